#include "graphics/Bitmap.h"

#include <algorithm>
#include <memory>

#include "image/Context.h"
#include "graphics/Color.h"
#include "graphics/DC.h"
#include "graphics/Pen.h"
#include "graphics/Picture.h"

bool ValidBitmapGeometry(int32_t width, int32_t height, int32_t colorBit)
{
  const bool depth = colorBit == 1 || colorBit == 4 || colorBit == 8 || colorBit == 16 || colorBit == 32;
  return depth && width >= 0 && height >= 0 && width <= kMaxBitmapSide && height <= kMaxBitmapSide;
}

static uint64_t WordsPerRow(int32_t width, int32_t colorBit)
{
  if (width <= 0) return 0;
  return ((static_cast<uint64_t>(colorBit) * static_cast<uint64_t>(width) - 1) >> 5) + 1;
}

uint64_t PackedImageBytes(int32_t width, int32_t height, int32_t colorBit)
{
  if (!ValidBitmapGeometry(width, height, colorBit)) return 0;
  return WordsPerRow(width, colorBit) * static_cast<uint64_t>(height) * 4;
}

int32_t BitsForColorFormat(int32_t format)
{
  switch (format) {
  case 0: return 32;
  case 1: return 16;
  case 2:
  case 3: return 8;
  case 4:
  case 5: return 4;
  case 6:
  case 7:
  case 8: return 1;
  default: return 0;
  }
}

namespace {

// Byte offset of the word that holds pixel (x, y) and the shift of the pixel
// in it; false outside the image or for an unknown depth.
bool Locate(size_t size, int32_t width, int32_t colorBit, int32_t x, int32_t y, size_t& at, int32_t& shift)
{
  if (colorBit != 1 && colorBit != 4 && colorBit != 8 && colorBit != 16 && colorBit != 32) return false;
  if (x < 0 || y < 0 || x >= width) return false;
  const int32_t perWord = 32 / colorBit;
  const uint64_t word = WordsPerRow(width, colorBit) * static_cast<uint64_t>(y) + static_cast<uint64_t>(x / perWord);
  if (word >= size / 4) return false;
  at = static_cast<size_t>(word) * 4;
  shift = 32 - colorBit * (x % perWord + 1);
  return true;
}

uint32_t Mask(int32_t colorBit) { return colorBit >= 32 ? 0xFFFFFFFFu : (1u << colorBit) - 1; }

}  // namespace

uint32_t GetPackedPixel(std::span<const uint8_t> bytes, int32_t width, int32_t colorBit, int32_t x, int32_t y)
{
  size_t at;
  int32_t shift;
  if (!Locate(bytes.size(), width, colorBit, x, y, at, shift)) return 0;
  return (GetU32(&bytes[at]) >> shift) & Mask(colorBit);
}

void SetPackedPixel(std::span<uint8_t> bytes, int32_t width, int32_t colorBit, int32_t x, int32_t y, uint32_t v)
{
  size_t at;
  int32_t shift;
  if (!Locate(bytes.size(), width, colorBit, x, y, at, shift)) return;
  const uint32_t m = Mask(colorBit) << shift;
  PutU32(&bytes[at], (GetU32(&bytes[at]) & ~m) | ((v << shift) & m));
}

// --- memory bitmap and further images ---

void TZmMemoryBitmap::WriteROM(TZmCompiler& compiler)
{
  TZmStream& out = compiler.Output();
  out.SeekEnd();
  out.Write(Image.Bytes());
  out.WriteZeros((4 - Image.Size() % 4) % 4);
}

void TZmSubBitmap::Initialize()
{
  delete Image;
  Image = NewObject<TZmMemoryBitmap>();
}

TZmSubBitmap::~TZmSubBitmap()
{
  if (List) List->Remove(this);
  delete Image;
}

void TZmSubBitmap::WriteROM(TZmCompiler& compiler)
{
  if (Image) Image->WriteROM(compiler);
}

TZmSubBitmaps::~TZmSubBitmaps() { Clear(); }

TZmSubBitmap* TZmSubBitmaps::Add()
{
  TZmSubBitmap* s = NewObject<TZmSubBitmap>();
  s->List = this;
  Items.push_back(s);
  return s;
}

void TZmSubBitmaps::Remove(TZmSubBitmap* item) { std::erase(Items, item); }

void TZmSubBitmaps::Clear()
{
  std::vector<TZmSubBitmap*> items;
  items.swap(Items);
  for (TZmSubBitmap* s : items) {
    s->List = nullptr;
    delete s;
  }
}

void TZmSubBitmaps::Serialize(TZmSerialization& s)
{
  TZmStream list;
  if (s.Writing()) {
    WriteObjectList(list, ClassName(), Items);
    s.SerializeStream("SubBitmaps", list);
    return;
  }
  s.SerializeStream("SubBitmaps", list);
  ReadTypedList(list, ClassName(), [&] { Clear(); }, [&]() -> TZmPersistent* { return Add(); });
}

// --- bitmap ---

void TZmBitmap::Initialize()
{
  Width = Height = ColorBit = Type = 0;
  delete Image;
  delete SubBitmaps;
  Image = NewObject<TZmMemoryBitmap>();
  SubBitmaps = NewObject<TZmSubBitmaps>();
}

TZmBitmap::~TZmBitmap()
{
  delete Image;
  delete SubBitmaps;
}

void TZmBitmap::Serialize(TZmSerialization& s)
{
  SerializeTag7(s, "Width", Width);
  SerializeTag7(s, "Height", Height);
  SerializeTag7(s, "ColorBit", ColorBit);
  SerializeTag7(s, "Type", Type);
  s.SerializeMemory("Image", Image->Image);
  s.SerializeObject("SubBitmaps", SubBitmaps);
}

TZmMemoryBitmap* TZmBitmap::ImageAt(size_t i) const
{
  if (i == 0) return Image;
  TZmSubBitmap* s = SubBitmaps ? SubBitmaps->Item(i - 1) : nullptr;
  return s ? s->Image : nullptr;
}

void TZmBitmap::WriteROM(TZmCompiler& compiler)
{
  TZmStream& out = compiler.Output();
  out.SeekEnd();
  // Geometry from a damaged file compiles as an empty bitmap rather than as
  // a size the panel would read pixels for.
  const bool valid = Valid();
  out.WriteI32(valid ? Width : 0);
  out.WriteI32(valid ? Height : 0);
  out.WriteI32(valid ? ColorBit : 0);
  out.WriteI32(Type);
  const size_t bytes = static_cast<size_t>(PackedImageBytes(Width, Height, ColorBit));
  const size_t subs = SubBitmaps ? SubBitmaps->Count() : 0;
  if (valid && subs > 0) {
    // Every image is padded to the full pixel size so that the panel never
    // reads the record behind a short store as pixels.
    out.WriteU32(static_cast<uint32_t>(subs + 1));
    for (size_t i = 0; i <= subs; ++i) {
      TZmMemoryBitmap* m = ImageAt(i);
      if (m && m->Image.Size() < bytes) m->Image.Buffer().resize(bytes, 0);
      compiler.WriteReference(resBitmap, m);
    }
    return;
  }
  out.WriteU32(1);
  if (!valid) return;
  const size_t have = std::min(bytes, Image->Image.Size());
  out.Write(Image->Image.Data(), have);
  out.WriteZeros(bytes - have);
}

uint32_t TZmBitmap::Pixel(int32_t x, int32_t y) const
{
  if (!Valid() || y >= Height) return 0;
  return GetPackedPixel(Image->Image.Bytes(), Width, ColorBit, x, y);
}

void TZmBitmap::ClearImage()
{
  Width = Height = ColorBit = 0;
  Image->Image.Clear();
  SubBitmaps->Clear();
}

void TZmBitmap::InvertImage()
{
  for (size_t i = 0; i < ImageCount(); ++i) {
    TZmMemoryBitmap* m = ImageAt(i);
    if (!m || m->Image.Size() % 4 != 0) continue;
    for (uint8_t& b : m->Image.Buffer()) b = static_cast<uint8_t>(~b);
  }
}

void TZmBitmap::ChangeColorFormat(int32_t from, int32_t to)
{
  const int32_t bits = BitsForColorFormat(to);
  if (from == to || bits == 0 || !Valid() || Width == 0 || Height == 0 || BitsForColorFormat(from) != ColorBit) return;
  const uint64_t oldBytes = PackedImageBytes(Width, Height, ColorBit);
  // A store that does not hold its pixels means the geometry cannot be
  // trusted: convert all images or none, so they keep one depth.
  for (size_t i = 0; i < ImageCount(); ++i)
    if (TZmMemoryBitmap* m = ImageAt(i); !m || m->Image.Size() < oldBytes) return;
  for (size_t i = 0; i < ImageCount(); ++i) {
    TZmMemoryBitmap* m = ImageAt(i);
    std::vector<uint8_t> store(static_cast<size_t>(PackedImageBytes(Width, Height, bits)), 0);
    for (int32_t y = 0; y < Height; ++y)
      for (int32_t x = 0; x < Width; ++x) {
        const uint32_t v = GetPackedPixel(m->Image.Bytes(), Width, ColorBit, x, y);
        SetPackedPixel(store, Width, bits, x, y, RGBToPanel(to, PanelToRGB(from, v), x, y));
      }
    m->Image.Buffer() = std::move(store);
    m->Image.Seek(0);
  }
  ColorBit = bits;
}

void TZmBitmap::ImportPictures(const std::vector<TZmPictureData>& pictures, int32_t colorFormat, int32_t maxWidth,
                               int32_t maxHeight)
{
  const int32_t bits = BitsForColorFormat(colorFormat);
  if (bits == 0) return;
  // A main image whose geometry does not describe it is replaced, not extended.
  if (HasImage() && !(Valid() && Width > 0 && Height > 0)) ClearImage();
  for (const TZmPictureData& picture : pictures) {
    if (picture.Empty()) continue;
    int32_t w = picture.Width, h = picture.Height;
    if (HasImage()) {
      w = Width;
      h = Height;
    } else {
      // A limit of 0 or less is no limit (there is no model to take one from).
      const float kx = maxWidth > 0 ? static_cast<float>(w) / static_cast<float>(maxWidth) : 0.0f;
      const float ky = maxHeight > 0 ? static_cast<float>(h) / static_cast<float>(maxHeight) : 0.0f;
      if ((maxWidth > 0 && w > maxWidth) || (maxHeight > 0 && h > maxHeight)) {
        const float k = std::max(kx, ky);
        w = std::max(1, static_cast<int32_t>(static_cast<float>(w) / k));
        h = std::max(1, static_cast<int32_t>(static_cast<float>(h) / k));
      }
    }
    TZmPictureData stretched;
    const TZmPictureData* source = &picture;
    if (w != picture.Width || h != picture.Height) {
      StretchPicture(picture, w, h, stretched);
      source = &stretched;
    }
    const TZmPictureData& work = *source;
    TZmMemoryBitmap* target = Image;
    if (HasImage()) target = SubBitmaps->Add()->Image;
    Width = w;
    Height = h;
    ColorBit = bits;
    const size_t bytes = static_cast<size_t>(PackedImageBytes(w, h, bits));
    std::vector<uint8_t>& store = target->Image.Buffer();
    store.assign(bytes, 0);
    target->Image.Seek(0);
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) {
        // The dither cell is taken as (x, y), row first, as the import always did.
        const uint32_t v = RGBToPanel(colorFormat, PictureRGB(work.At(x, y)), x, y);
        SetPackedPixel(store, w, bits, x, y, v);
      }
  }
}

bool TZmBitmap::LoadImage(const std::string& path, int32_t colorFormat, int32_t maxWidth, int32_t maxHeight,
                          std::string& error)
{
  if (BitsForColorFormat(colorFormat) == 0) return true;
  std::vector<TZmPictureData> pictures;
  if (!LoadPictureFrames(path, pictures, error)) return false;
  ImportPictures(pictures, colorFormat, maxWidth, maxHeight);
  return true;
}

void TZmBitmap::DrawBitmap(TZmDC& dc, int32_t colorOption, int32_t xOffset, int32_t yOffset,
                           const TZmIdentitySource* ids, uint32_t transparent, int32_t flags, int32_t left,
                           int32_t top, int32_t right, int32_t bottom) const
{
  if (left == right || top == bottom || Width == 0 || Height == 0 || !Valid()) return;
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  const bool skip = flags & 1;
  const uint16_t identity = ids ? IdentityColor(*ids) : 0;
  auto colour = [&](uint32_t v) { return ids ? identity : dc.ConvertColor(v, colorOption); };
  // Only the part of the rectangle inside the clip can change pixels.
  const int64_t x0 = std::max<int64_t>(left, dc.ClipLeft()), x1 = std::min<int64_t>(right, dc.ClipRight());
  const int64_t y0 = std::max<int64_t>(top, dc.ClipTop()), y1 = std::min<int64_t>(bottom, dc.ClipBottom());
  if (x0 > x1 || y0 > y1) return;
  const std::span<const uint8_t> bytes = Image->Image.Bytes();
  auto pixel = [&](int64_t sx, int64_t sy) {
    return GetPackedPixel(bytes, Width, ColorBit, static_cast<int32_t>(sx), static_cast<int32_t>(sy));
  };
  if (flags & 2) {
    const uint64_t dx = static_cast<uint64_t>(Width) * 65536u / static_cast<uint64_t>(int64_t(right) - left + 1);
    const uint64_t dy = static_cast<uint64_t>(Height) * 65536u / static_cast<uint64_t>(int64_t(bottom) - top + 1);
    for (int64_t y = y0; y <= y1; ++y) {
      const int64_t sy = static_cast<int64_t>((static_cast<uint64_t>(y - top) * dy) >> 16);
      for (int64_t x = x0; x <= x1; ++x) {
        const uint32_t v = pixel(static_cast<int64_t>((static_cast<uint64_t>(x - left) * dx) >> 16), sy);
        if (skip && v == transparent) continue;
        dc.SetPixel(static_cast<int32_t>(x), static_cast<int32_t>(y), colour(v));
      }
    }
    return;
  }
  if (flags & 4) {
    // Copies start at multiples of the image size from (left, top) while the
    // start lies before right - left (bottom - top).
    const int64_t spanX = int64_t(right) - left, spanY = int64_t(bottom) - top;
    for (int64_t y = y0; y <= y1; ++y) {
      const int64_t py = y - top;
      if (py - py % Height >= spanY) continue;
      for (int64_t x = x0; x <= x1; ++x) {
        const int64_t px = x - left;
        if (px - px % Width >= spanX) continue;
        const uint32_t v = pixel(px % Width, py % Height);
        if (skip && v == transparent) continue;
        dc.SetPixel(static_cast<int32_t>(x), static_cast<int32_t>(y), colour(v));
      }
    }
    return;
  }
  const int64_t ox = int64_t(left) + xOffset + (int64_t(right) - left - Width + 2) / 2;
  const int64_t oy = int64_t(top) + yOffset + (int64_t(bottom) - top - Height + 2) / 2;
  for (int64_t y = std::max(y0, oy); y <= std::min(y1, oy + Height - 1); ++y)
    for (int64_t x = std::max(x0, ox); x <= std::min(x1, ox + Width - 1); ++x) {
      const uint32_t v = pixel(x - ox, y - oy);
      if (skip && v == transparent) continue;
      dc.SetPixel(static_cast<int32_t>(x), static_cast<int32_t>(y), colour(v));
    }
}

// --- 1-bit backgrounds ---

void FromSurface1Bit(TZmMemoryBitmap& bitmap, const TZmDC& surface, const TZmPanelColors& model, int32_t colorOption)
{
  bitmap.Image.Clear();
  const int32_t format = model.ColorFormat;
  if (!surface.Valid() || (format != 7 && format != 8)) return;
  const uint32_t fg = model.PaletteEntry(1, format == 7 ? 0 : colorOption).value_or(0) & 0xF8FCF8;
  const int32_t w = surface.Width(), h = surface.Height();
  auto on = [&](int32_t x, int32_t y) { return (RGB565ToRGB(surface.RawPixel(x, y)) & 0xF8FCF8) == fg; };
  std::vector<uint8_t>& out = bitmap.Image.Buffer();
  if (format == 7) {
    out.reserve(static_cast<size_t>(w) * static_cast<size_t>((h + 7) / 8));
    for (int32_t y = 0; y < h; y += 8)
      for (int32_t x = 0; x < w; ++x) {
        uint8_t b = 0;
        for (int32_t i = 0; i < 8 && y + i < h; ++i)
          if (on(x, y + i)) b = static_cast<uint8_t>(b | (1u << i));
        out.push_back(b);
      }
  } else {
    const size_t total = static_cast<size_t>(w) * static_cast<size_t>(h);
    out.assign((total + 7) / 8, 0);
    size_t n = 0;
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x, ++n)
        if (on(x, y)) out[n / 8] = static_cast<uint8_t>(out[n / 8] | (1u << (n % 8)));
  }
  bitmap.Image.Seek(0);
}

bool LoadBackground(TZmMemoryBitmap& bitmap, const std::string& path, const TZmPanelColors& model,
                    int32_t screenWidth, int32_t screenHeight, std::string& error)
{
  if (screenWidth <= 0 || screenHeight <= 0 || screenWidth > TZmDC::MaxSide || screenHeight > TZmDC::MaxSide) {
    error = "screen size out of range";
    return false;
  }
  TZmPictureData picture;
  if (!LoadPictureFile(path, picture, error)) return false;
  std::unique_ptr<TZmBitmap> image(NewObject<TZmBitmap>());
  image->ImportPictures({picture}, model.ColorFormat, screenWidth, screenHeight);
  TZmDC dc(screenWidth, screenHeight);
  dc.Colors = model;
  dc.Clear(dc.ConvertColor(0, 0));
  image->DrawBitmap(dc, 0, 0, 0, nullptr, 0, 0, 0, 0, screenWidth - 1, screenHeight - 1);
  FromSurface1Bit(bitmap, dc, model, 0);
  return true;
}
