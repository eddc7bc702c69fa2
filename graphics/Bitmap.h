#pragma once
// Bitmaps in the panel's own pixel format: a main image and any number of
// further images of the same size (state pictures, animation frames), and
// the plain byte store that holds one image (also a scene's 1-bit
// background).
//
// Pixel storage: rows top to bottom, each row ((ColorBit * Width - 1) >> 5) + 1
// little-endian 32-bit words; inside a word pixels are packed from the most
// significant end.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/Persistent.h"

class TZmDC;
class TZmIdentitySource;
struct TZmPanelColors;
struct TZmPictureData;

// Limits for geometry that comes from files: depths 1, 4, 8, 16 and 32 and
// sides 0..8192. Anything else is an empty bitmap.
inline constexpr int32_t kMaxBitmapSide = 8192;
bool ValidBitmapGeometry(int32_t width, int32_t height, int32_t colorBit);
// Bytes of a packed image (0 for invalid geometry); 64-bit, never overflows.
uint64_t PackedImageBytes(int32_t width, int32_t height, int32_t colorBit);
// Bits per pixel for a colour format: 0 -> 32, 1 -> 16, 2-3 -> 8, 4-5 -> 4,
// 6-8 -> 1; 0 for formats that cannot be imported.
int32_t BitsForColorFormat(int32_t format);

// Reads and writes packed pixels; reads outside the bytes give 0, writes
// outside them do nothing.
uint32_t GetPackedPixel(std::span<const uint8_t> bytes, int32_t width, int32_t colorBit, int32_t x, int32_t y);
void SetPackedPixel(std::span<uint8_t> bytes, int32_t width, int32_t colorBit, int32_t x, int32_t y, uint32_t v);

class TZmMemoryBitmap : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmMemoryBitmap"; }
  void Serialize(TZmSerialization& s) override { s.SerializeMemory("Image", Image); }
  // The raw bytes, then zeros to the next multiple of 4.
  void WriteROM(TZmCompiler& compiler) override;

  size_t Size() const { return Image.Size(); }
  std::span<const uint8_t> Bytes() const { return Image.Bytes(); }
  std::span<uint8_t> MutableBytes() { return Image.Buffer(); }

  TZmStream Image;
};

class TZmSubBitmaps;

class TZmSubBitmap : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmSubBitmap"; }
  void Initialize() override;
  void Serialize(TZmSerialization& s) override { s.SerializeObject("Image", Image); }
  void WriteROM(TZmCompiler& compiler) override;
  ~TZmSubBitmap() override;

  TZmSubBitmaps* List = nullptr;
  TZmMemoryBitmap* Image = nullptr;
};

class TZmSubBitmaps : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmSubBitmaps"; }
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler&) override {}  // the owning bitmap writes the references
  ~TZmSubBitmaps() override;

  size_t Count() const { return Items.size(); }
  TZmSubBitmap* Item(size_t i) const { return i < Items.size() ? Items[i] : nullptr; }
  TZmSubBitmap* Add();
  void Clear();
  // Called by an image that is destroyed on its own.
  void Remove(TZmSubBitmap* item);

private:
  std::vector<TZmSubBitmap*> Items;
};

class TZmBitmap : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmBitmap"; }
  void Initialize() override;
  void Serialize(TZmSerialization& s) override;
  // Width, Height, ColorBit, Type, then either the image count and a
  // reference to each image, or 1 and the main image's words inline.
  void WriteROM(TZmCompiler& compiler) override;
  ~TZmBitmap() override;

  bool Valid() const { return ValidBitmapGeometry(Width, Height, ColorBit); }
  bool HasImage() const { return Image && !Image->Image.Empty(); }
  // Pixel of the main image (0 outside it or for invalid geometry).
  uint32_t Pixel(int32_t x, int32_t y) const;
  size_t ImageCount() const { return 1 + (SubBitmaps ? SubBitmaps->Count() : 0); }
  // Image i: 0 the main image, then the further ones.
  TZmMemoryBitmap* ImageAt(size_t i) const;

  // Width, Height and ColorBit 0, the image emptied, further images deleted.
  void ClearImage();
  // Complements every word of every image whose length is a multiple of 4.
  void InvertImage();
  // Converts every image's pixels from one panel colour format to another
  // (depth included), as when objects move to a model of another format.
  void ChangeColorFormat(int32_t from, int32_t to);
  // Imports a picture file (GIF files: every frame). maxWidth/maxHeight of
  // 0 or less mean no limit. False with a message when the file cannot be
  // read; formats above 8 leave the bitmap unchanged and succeed.
  bool LoadImage(const std::string& path, int32_t colorFormat, int32_t maxWidth, int32_t maxHeight,
                 std::string& error);
  // The same for pictures already decoded (every entry one image).
  void ImportPictures(const std::vector<TZmPictureData>& pictures, int32_t colorFormat, int32_t maxWidth,
                      int32_t maxHeight);
  // Draws the main image. flags: 1 transparent value skipped, 2 stretched,
  // 4 tiled, otherwise centred (with the offsets). Colours are converted by
  // the context's model colours under the colour option.
  void DrawBitmap(TZmDC& dc, int32_t colorOption, int32_t xOffset, int32_t yOffset, const TZmIdentitySource* ids,
                  uint32_t transparent, int32_t flags, int32_t left, int32_t top, int32_t right,
                  int32_t bottom) const;

  int32_t Width = 0;
  int32_t Height = 0;
  int32_t ColorBit = 0;
  int32_t Type = 0;
  TZmMemoryBitmap* Image = nullptr;
  TZmSubBitmaps* SubBitmaps = nullptr;
};

// Converts a drawn surface into a 1-bit panel background. Formats 7 (page
// layout: a byte per column of 8 rows, bit 0 the top row) and 8 (row layout:
// pixels left to right, least significant bit first, no row padding); any
// other format leaves the store empty. A pixel is set when it shows the
// model's foreground colour (palette entry 1; black without a palette).
void FromSurface1Bit(TZmMemoryBitmap& bitmap, const TZmDC& surface, const TZmPanelColors& model,
                     int32_t colorOption);

// Loads a picture, fits it onto a screen of the given size (shrunk keeping
// its proportions when larger, at the top left) as the panel would show it,
// and converts it like FromSurface1Bit.
bool LoadBackground(TZmMemoryBitmap& bitmap, const std::string& path, const TZmPanelColors& model,
                    int32_t screenWidth, int32_t screenHeight, std::string& error);
