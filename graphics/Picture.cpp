#include "graphics/Picture.h"

#include <png.h>

#include <cstring>

#include "base/File.h"

bool DecodePng(const uint8_t* data, size_t size, TZmPicture& out, std::string& error)
{
  out = {};
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, data, size)) {
    error = image.message[0] ? image.message : "not a PNG picture";
    return false;
  }
  if (image.width == 0 || image.height == 0 || image.width > kMaxPictureSide || image.height > kMaxPictureSide) {
    png_image_free(&image);
    error = "picture size out of range";
    return false;
  }
  image.format = PNG_FORMAT_BGRA;  // little-endian 32-bit words read as 0xAARRGGBB
  std::vector<uint8_t> bytes(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr)) {
    error = image.message[0] ? image.message : "damaged PNG picture";
    png_image_free(&image);
    return false;
  }
  out.Width = static_cast<int32_t>(image.width);
  out.Height = static_cast<int32_t>(image.height);
  out.Pixels.resize(static_cast<size_t>(out.Width) * out.Height);
  for (size_t i = 0; i < out.Pixels.size(); ++i)
    out.Pixels[i] = static_cast<uint32_t>(bytes[4 * i]) | (static_cast<uint32_t>(bytes[4 * i + 1]) << 8) |
                    (static_cast<uint32_t>(bytes[4 * i + 2]) << 16) | (static_cast<uint32_t>(bytes[4 * i + 3]) << 24);
  return true;
}

bool LoadPngFile(const std::string& path, TZmPicture& out, std::string& error)
{
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, bytes, error, size_t(256) << 20)) return false;
  if (!DecodePng(bytes.data(), bytes.size(), out, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}
