#include "graphics/Picture.h"

#include <gif_lib.h>
#include <png.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "base/File.h"
#include "base/Stream.h"
#include "base/Utf.h"

bool DecodePng(const uint8_t* data, size_t size, TZmPictureData& out, std::string& error)
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
  // 16-bit files count as linear light: read as 8-bit they would be gamma
  // encoded on the way. Read them linear (premultiplied 16-bit) and keep the
  // top byte of each sample, as other readers show them.
  const bool linear = (image.format & PNG_FORMAT_FLAG_LINEAR) != 0;
  image.format = linear ? PNG_FORMAT_LINEAR_RGB_ALPHA
                        : PNG_FORMAT_BGRA;  // little-endian 32-bit words read as 0xAARRGGBB
  std::vector<uint8_t> bytes(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr)) {
    error = image.message[0] ? image.message : "damaged PNG picture";
    png_image_free(&image);
    return false;
  }
  out.Width = static_cast<int32_t>(image.width);
  out.Height = static_cast<int32_t>(image.height);
  out.Pixels.resize(static_cast<size_t>(out.Width) * out.Height);
  if (linear) {
    for (size_t i = 0; i < out.Pixels.size(); ++i) {
      const uint8_t* q = &bytes[8 * i];
      const uint32_t a = static_cast<uint32_t>(q[6] | q[7] << 8);
      uint32_t p = 0;
      if (a != 0) {
        p = (a >> 8) << 24;
        for (int c = 0; c < 3; ++c) {
          const uint32_t v = static_cast<uint32_t>(q[2 * c] | q[2 * c + 1] << 8);
          const uint32_t straight = std::min<uint32_t>(65535, (v * 65535u + a / 2) / a);
          p |= (straight >> 8) << (16 - 8 * c);
        }
      }
      out.Pixels[i] = p;
    }
    return true;
  }
  for (size_t i = 0; i < out.Pixels.size(); ++i)
    out.Pixels[i] = static_cast<uint32_t>(bytes[4 * i]) | (static_cast<uint32_t>(bytes[4 * i + 1]) << 8) |
                    (static_cast<uint32_t>(bytes[4 * i + 2]) << 16) | (static_cast<uint32_t>(bytes[4 * i + 3]) << 24);
  return true;
}

bool LoadPngFile(const std::string& path, TZmPictureData& out, std::string& error)
{
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, bytes, error, size_t(256) << 20)) return false;
  if (!DecodePng(bytes.data(), bytes.size(), out, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

// --- BMP ---

namespace {

struct BitField {
  uint32_t Mask = 0;
  int32_t Shift = 0;
  uint32_t Max = 0;  // largest value of the field after shifting
  void Set(uint32_t mask)
  {
    Mask = mask;
    Shift = 0;
    Max = 0;
    if (!mask) return;
    while (!((mask >> Shift) & 1)) ++Shift;
    Max = mask >> Shift;
  }
  // The field scaled to 8 bits (truncating, as other readers do).
  uint32_t Get(uint32_t v, uint32_t absent) const
  {
    if (!Mask) return absent;
    const uint64_t f = (v & Mask) >> Shift;
    return static_cast<uint32_t>(std::min<uint64_t>(f * 255 / Max, 255));
  }
};

}  // namespace

bool DecodeBmp(const uint8_t* data, size_t size, TZmPictureData& out, std::string& error)
{
  out = {};
  auto fail = [&](const char* message) {
    out = {};
    error = message;
    return false;
  };
  if (!data || size < 14 + 12 || data[0] != 'B' || data[1] != 'M') return fail("not a BMP picture");
  const uint32_t pixelOffset = GetU32(data + 10);
  const uint32_t headerSize = GetU32(data + 14);
  if (headerSize != 12 && headerSize < 40) return fail("unsupported BMP header");
  if (headerSize > size - 14) return fail("truncated BMP header");
  const uint8_t* h = data + 14;
  int64_t width, height;
  uint32_t bpp, compression = 0, colorsUsed = 0;
  if (headerSize == 12) {
    width = GetU16(h + 4);
    height = static_cast<int16_t>(GetU16(h + 6));
    bpp = GetU16(h + 10);
  } else {
    width = static_cast<int32_t>(GetU32(h + 4));
    height = static_cast<int32_t>(GetU32(h + 8));
    bpp = GetU16(h + 14);
    compression = GetU32(h + 16);
    colorsUsed = GetU32(h + 32);
  }
  const bool topDown = height < 0;
  if (topDown) height = -height;
  if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide)
    return fail("picture size out of range");
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return fail("unsupported BMP depth");
  const bool bitfields = compression == 3 || compression == 6;
  if (compression != 0 && !bitfields) return fail("compressed BMP pictures are not supported");
  if (bitfields && bpp != 16 && bpp != 32) return fail("damaged BMP header");

  // Colour masks: in the header from version 4 on, otherwise right after it.
  BitField red, green, blue, alpha;
  bool hasAlpha = false;
  if (bitfields) {
    const size_t at = 14 + 40;
    const size_t count = compression == 6 || headerSize >= 56 ? 4 : 3;
    if (at + 4 * count > size) return fail("truncated BMP header");
    red.Set(GetU32(data + at));
    green.Set(GetU32(data + at + 4));
    blue.Set(GetU32(data + at + 8));
    if (count == 4) {
      alpha.Set(GetU32(data + at + 12));
      hasAlpha = alpha.Mask != 0;
    }
  } else if (bpp == 16) {
    red.Set(0x7C00);
    green.Set(0x03E0);
    blue.Set(0x001F);
  }

  // Palette for indexed depths; indexes beyond it show black.
  std::vector<uint32_t> palette;
  if (bpp <= 8) {
    const size_t entry = headerSize == 12 ? 3 : 4;
    size_t count = colorsUsed == 0 || colorsUsed > (1u << bpp) ? (1u << bpp) : colorsUsed;
    size_t at = 14 + headerSize + (compression == 3 && headerSize == 40 ? 12 : 0);
    if (at > size) return fail("truncated BMP palette");
    count = std::min(count, (size - at) / entry);
    for (size_t i = 0; i < count; ++i, at += entry)
      palette.push_back(0xFF000000u | (uint32_t(data[at + 2]) << 16) | (uint32_t(data[at + 1]) << 8) | data[at]);
  }

  const uint64_t stride = ((bpp * static_cast<uint64_t>(width) + 31) / 32) * 4;
  if (pixelOffset > size || stride * static_cast<uint64_t>(height) > size - pixelOffset)
    return fail("truncated BMP pixel data");
  out.Width = static_cast<int32_t>(width);
  out.Height = static_cast<int32_t>(height);
  out.Pixels.assign(static_cast<size_t>(width * height), 0);
  for (int64_t y = 0; y < height; ++y) {
    const uint8_t* row = data + pixelOffset + stride * static_cast<uint64_t>(topDown ? y : height - 1 - y);
    uint32_t* dst = &out.Pixels[static_cast<size_t>(y * width)];
    for (int64_t x = 0; x < width; ++x) {
      uint32_t p;
      switch (bpp) {
      case 1:
      case 4:
      case 8: {
        const uint64_t bit = static_cast<uint64_t>(x) * bpp;
        const uint32_t index = (row[bit / 8] >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
        p = index < palette.size() ? palette[index] : 0xFF000000u;
        break;
      }
      case 24: {
        const uint8_t* q = row + 3 * x;
        p = 0xFF000000u | (uint32_t(q[2]) << 16) | (uint32_t(q[1]) << 8) | q[0];
        break;
      }
      default: {
        const uint32_t v = bpp == 16 ? GetU16(row + 2 * x) : GetU32(row + 4 * x);
        if (bpp == 32 && !bitfields) {
          p = 0xFF000000u | (v & 0xFFFFFF);  // the fourth byte of plain 32-bit rows is not alpha
        } else {
          p = (hasAlpha ? alpha.Get(v, 255) : 255) << 24 | red.Get(v, 0) << 16 | green.Get(v, 0) << 8 | blue.Get(v, 0);
        }
        break;
      }
      }
      dst[x] = p;
    }
  }
  return true;
}

// --- GIF ---

namespace {

struct MemorySource {
  const uint8_t* Data;
  size_t Size;
  size_t Pos = 0;
};

int ReadMemory(GifFileType* gif, GifByteType* buffer, int length)
{
  auto* src = static_cast<MemorySource*>(gif->UserData);
  if (length <= 0) return 0;
  const size_t n = std::min(static_cast<size_t>(length), src->Size - src->Pos);
  std::memcpy(buffer, src->Data + src->Pos, n);
  src->Pos += n;
  return static_cast<int>(n);
}

// giflib has no text for some codes (0 among them): never build a string
// from a null pointer.
std::string GifMessage(int code)
{
  const char* text = GifErrorString(code);
  return text ? std::string("damaged GIF picture: ") + text : std::string("damaged GIF picture");
}

struct GifCloser {
  void operator()(GifFileType* gif) const
  {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};

}  // namespace

bool DecodeGif(const uint8_t* data, size_t size, std::vector<TZmPictureData>& frames, std::string& error)
{
  frames.clear();
  auto fail = [&](const std::string& message) {
    frames.clear();
    error = message;
    return false;
  };
  if (!data || size < 6 || std::memcmp(data, "GIF8", 4) != 0) return fail("not a GIF picture");
  MemorySource src{data, size};
  int code = 0;
  std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&src, ReadMemory, &code));
  if (!gif) return fail(GifMessage(code));
  const int32_t sw = gif->SWidth, sh = gif->SHeight;
  if (sw <= 0 || sh <= 0 || sw > kMaxPictureSide || sh > kMaxPictureSide) return fail("picture size out of range");
  const size_t screen = static_cast<size_t>(sw) * static_cast<size_t>(sh);
  std::vector<uint32_t> canvas(screen, 0), saved;
  GraphicsControlBlock gcb{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
  struct {
    int Disposal = DISPOSAL_UNSPECIFIED;
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;  // drawn area, clipped, exclusive ends
  } last;
  uint64_t pixels = 0;
  std::vector<GifPixelType> raster;
  for (;;) {
    GifRecordType type;
    if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) {
      // A file that ends after a complete frame without its trailer is common.
      if (!frames.empty()) break;
      return fail(GifMessage(gif->Error));
    }
    if (type == TERMINATE_RECORD_TYPE) break;
    if (type == EXTENSION_RECORD_TYPE) {
      int ext = 0;
      GifByteType* block = nullptr;
      if (DGifGetExtension(gif.get(), &ext, &block) == GIF_ERROR)
        return fail(GifMessage(gif->Error));
      if (ext == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) DGifExtensionToGCB(block[0], block + 1, &gcb);
      while (block) {
        if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR)
          return fail(GifMessage(gif->Error));
      }
      continue;
    }
    if (type != IMAGE_DESC_RECORD_TYPE) continue;
    if (DGifGetImageDesc(gif.get()) == GIF_ERROR)
      return fail(GifMessage(gif->Error));
    const GifImageDesc& d = gif->Image;
    if (d.Width <= 0 || d.Height <= 0 || d.Width > kMaxPictureSide || d.Height > kMaxPictureSide)
      return fail("GIF frame size out of range");
    pixels += screen;
    if (pixels > kMaxAnimationPixels || frames.size() >= kMaxAnimationFrames) return fail("GIF animation too large");
    const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
    if (!map) return fail("GIF frame without a colour table");
    const int32_t fw = d.Width, fh = d.Height;
    raster.assign(static_cast<size_t>(fw) * static_cast<size_t>(fh), 0);
    if (d.Interlace) {
      static const int32_t start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
      for (int pass = 0; pass < 4; ++pass)
        for (int32_t y = start[pass]; y < fh; y += step[pass])
          if (DGifGetLine(gif.get(), &raster[static_cast<size_t>(y) * fw], fw) == GIF_ERROR)
            return fail(GifMessage(gif->Error));
    } else {
      for (int32_t y = 0; y < fh; ++y)
        if (DGifGetLine(gif.get(), &raster[static_cast<size_t>(y) * fw], fw) == GIF_ERROR)
          return fail(GifMessage(gif->Error));
    }
    // What the frame before asked for once it had been shown.
    if (last.Disposal == DISPOSE_BACKGROUND) {
      for (int32_t y = last.Top; y < last.Bottom; ++y)
        std::fill(canvas.begin() + static_cast<ptrdiff_t>(y) * sw + last.Left,
                  canvas.begin() + static_cast<ptrdiff_t>(y) * sw + last.Right, 0u);
    } else if (last.Disposal == DISPOSE_PREVIOUS && saved.size() == canvas.size()) {
      canvas = saved;
    }
    if (gcb.DisposalMode == DISPOSE_PREVIOUS) saved = canvas;
    const int32_t left = std::clamp<int32_t>(d.Left, 0, sw), top = std::clamp<int32_t>(d.Top, 0, sh);
    const int32_t right = static_cast<int32_t>(std::clamp<int64_t>(int64_t(d.Left) + fw, 0, sw));
    const int32_t bottom = static_cast<int32_t>(std::clamp<int64_t>(int64_t(d.Top) + fh, 0, sh));
    for (int32_t y = top; y < bottom; ++y)
      for (int32_t x = left; x < right; ++x) {
        const int index = raster[static_cast<size_t>(y - d.Top) * fw + (x - d.Left)];
        if (index == gcb.TransparentColor || index >= map->ColorCount) continue;
        const GifColorType& c = map->Colors[index];
        canvas[static_cast<size_t>(y) * sw + x] =
          0xFF000000u | (uint32_t(c.Red) << 16) | (uint32_t(c.Green) << 8) | c.Blue;
      }
    TZmPictureData frame;
    frame.Width = sw;
    frame.Height = sh;
    frame.Pixels = canvas;
    frames.push_back(std::move(frame));
    last.Disposal = gcb.DisposalMode;
    last.Left = left;
    last.Top = top;
    last.Right = right;
    last.Bottom = bottom;
    gcb = GraphicsControlBlock{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
  }
  if (frames.empty()) return fail("GIF picture without frames");
  return true;
}

// --- any format ---

bool DecodePicture(const uint8_t* data, size_t size, TZmPictureData& out, std::string& error)
{
  static const uint8_t pngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  out = {};
  if (data && size >= 8 && std::memcmp(data, pngSignature, 8) == 0) return DecodePng(data, size, out, error);
  if (data && size >= 2 && data[0] == 'B' && data[1] == 'M') return DecodeBmp(data, size, out, error);
  if (data && size >= 4 && std::memcmp(data, "GIF8", 4) == 0) {
    std::vector<TZmPictureData> frames;
    if (!DecodeGif(data, size, frames, error)) return false;
    out = std::move(frames.front());
    return true;
  }
  error = "unknown picture format";
  return false;
}

static bool ReadPictureBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string& error)
{
  return ReadWholeFile(path, bytes, error, size_t(256) << 20);
}

bool LoadPictureFile(const std::string& path, TZmPictureData& out, std::string& error)
{
  std::vector<uint8_t> bytes;
  if (!ReadPictureBytes(path, bytes, error)) return false;
  if (!DecodePicture(bytes.data(), bytes.size(), out, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

bool LoadPictureFrames(const std::string& path, std::vector<TZmPictureData>& frames, std::string& error)
{
  frames.clear();
  const bool gif = path.size() >= 4 && EqualsNoCase(std::string_view(path).substr(path.size() - 4), ".gif");
  if (!gif) {
    TZmPictureData one;
    if (!LoadPictureFile(path, one, error)) return false;
    frames.push_back(std::move(one));
    return true;
  }
  std::vector<uint8_t> bytes;
  if (!ReadPictureBytes(path, bytes, error)) return false;
  if (!DecodeGif(bytes.data(), bytes.size(), frames, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

void StretchPicture(const TZmPictureData& source, int32_t width, int32_t height, TZmPictureData& out)
{
  TZmPictureData result;
  if (source.Empty() || width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide) {
    out = std::move(result);
    return;
  }
  result.Width = width;
  result.Height = height;
  result.Pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  const uint64_t dx = static_cast<uint64_t>(source.Width) * 65536u / static_cast<uint64_t>(width);
  const uint64_t dy = static_cast<uint64_t>(source.Height) * 65536u / static_cast<uint64_t>(height);
  for (int32_t y = 0; y < height; ++y) {
    const auto sy = static_cast<int32_t>((static_cast<uint64_t>(y) * dy) >> 16);
    for (int32_t x = 0; x < width; ++x)
      result.Pixels[static_cast<size_t>(y) * width + x] =
        source.At(static_cast<int32_t>((static_cast<uint64_t>(x) * dx) >> 16), sy);
  }
  out = std::move(result);
}

uint32_t PictureRGB(uint32_t argb)
{
  const uint32_t a = argb >> 24;
  auto ch = [&](int shift) { return ((argb >> shift & 0xFF) * a + 127) / 255; };
  return ch(16) | ch(8) << 8 | ch(0) << 16;
}
