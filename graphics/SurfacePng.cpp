#include "graphics/SurfacePng.h"

#include <png.h>

#include "base/File.h"
#include "graphics/DC.h"

bool EncodeRGB565Png(std::span<const uint16_t> pixels, int32_t width, int32_t height, std::vector<uint8_t>& png)
{
  png.clear();
  if (width <= 0 || height <= 0 || static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > pixels.size())
    return false;
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
    const uint32_t v = pixels[i];
    const uint32_t r5 = v >> 11, g6 = (v >> 5) & 0x3F, b5 = v & 0x1F;
    rgb[3 * i] = static_cast<uint8_t>(r5 << 3 | r5 >> 2);
    rgb[3 * i + 1] = static_cast<uint8_t>(g6 << 2 | g6 >> 4);
    rgb[3 * i + 2] = static_cast<uint8_t>(b5 << 3 | b5 >> 2);
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr) || size == 0)
    return false;
  png.resize(size);
  if (!png_image_write_to_memory(&image, png.data(), &size, 0, rgb.data(), 0, nullptr)) {
    png.clear();
    return false;
  }
  png.resize(size);
  return true;
}

bool SaveSurfacePng(const TZmDC& dc, const std::string& path, std::string& error)
{
  std::vector<uint8_t> png;
  if (!EncodeRGB565Png(dc.Pixels(), dc.Width(), dc.Height(), png)) {
    error = "cannot encode the surface as PNG";
    return false;
  }
  return WriteFileAtomic(path, png, error);
}
