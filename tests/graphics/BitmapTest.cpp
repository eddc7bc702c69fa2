// Bitmaps: pixel packing, stored forms, compiled records (with the padding
// that keeps short stores from swallowing the next record), import with
// scaling and dither, drawing, and 1-bit backgrounds in both layouts.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

#include "base/File.h"
#include "image/Context.h"
#include "graphics/Bitmap.h"
#include "graphics/Color.h"
#include "graphics/DC.h"
#include "graphics/Picture.h"
#include "graphics/SurfacePng.h"
#include "DrawTestUtil.h"

namespace {

std::unique_ptr<TZmBitmap> Bitmap16(int32_t w, int32_t h, std::initializer_list<uint32_t> pixels)
{
  std::unique_ptr<TZmBitmap> b(NewObject<TZmBitmap>());
  b->Width = w;
  b->Height = h;
  b->ColorBit = 16;
  b->Image->Image.Buffer().assign(static_cast<size_t>(PackedImageBytes(w, h, 16)), 0);
  int i = 0;
  for (uint32_t v : pixels) {
    SetPackedPixel(b->Image->Image.Buffer(), w, 16, i % w, i / w, v);
    ++i;
  }
  return b;
}

TZmPictureData Solid(int32_t w, int32_t h, uint32_t argb)
{
  TZmPictureData p;
  p.Width = w;
  p.Height = h;
  p.Pixels.assign(static_cast<size_t>(w) * h, argb);
  return p;
}

std::vector<uint8_t> Words(std::initializer_list<uint32_t> words)
{
  std::vector<uint8_t> out;
  for (uint32_t w : words)
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(w >> (8 * i)));
  return out;
}

}  // namespace

TEST(Bitmap, PixelPackingFromTheHighEnd)
{
  std::vector<uint8_t> row(8, 0);
  SetPackedPixel(row, 33, 1, 0, 0, 1);   // bit 31 of word 0
  SetPackedPixel(row, 33, 1, 32, 0, 1);  // bit 31 of word 1
  EXPECT_EQ(row, Words({0x80000000, 0x80000000}));
  std::vector<uint8_t> w16(4, 0);
  SetPackedPixel(w16, 2, 16, 0, 0, 0x1234);
  SetPackedPixel(w16, 2, 16, 1, 0, 0xABCD);
  EXPECT_EQ(w16, Words({0x1234ABCD}));
  std::vector<uint8_t> w4(4, 0);
  SetPackedPixel(w4, 8, 4, 1, 0, 0xF);
  EXPECT_EQ(w4, Words({0x0F000000}));
  EXPECT_EQ(GetPackedPixel(w4, 8, 4, 1, 0), 0xFu);
  // Outside the bytes, beyond the row or with another depth: 0, and no write.
  EXPECT_EQ(GetPackedPixel(w4, 8, 4, 1, 1), 0u);
  EXPECT_EQ(GetPackedPixel(w4, 8, 4, 8, 0), 0u);
  EXPECT_EQ(GetPackedPixel(w4, 8, 2, 0, 0), 0u);
  SetPackedPixel(w4, 8, 4, 0, 5, 1);
  EXPECT_EQ(w4, Words({0x0F000000}));

  EXPECT_EQ(PackedImageBytes(10, 3, 1), 12u);
  EXPECT_EQ(PackedImageBytes(3, 2, 16), 16u);
  EXPECT_EQ(PackedImageBytes(8192, 8192, 32), 268435456u);
  EXPECT_EQ(PackedImageBytes(8193, 1, 32), 0u);
  EXPECT_EQ(PackedImageBytes(4, 4, 2), 0u);
  EXPECT_EQ(PackedImageBytes(-1, 4, 8), 0u);
}

TEST(Bitmap, CompiledRecords)
{
  // No further image: 4 header words, 1, the pixels inline.
  std::unique_ptr<TZmBitmap> b = Bitmap16(2, 1, {0x1234, 0xABCD});
  b->Type = 5;
  TZmCompiler c;
  b->WriteROM(c);
  EXPECT_EQ(c.Output().Buffer(), Words({2, 1, 16, 5, 1, 0x1234ABCD}));

  // A short store (5 bytes for 3 x 1 at 16 bits, which needs 8) is padded.
  std::unique_ptr<TZmBitmap> s(NewObject<TZmBitmap>());
  s->Width = 3;
  s->Height = 1;
  s->ColorBit = 16;
  s->Image->Image.Buffer() = {1, 2, 3, 4, 5};
  TZmCompiler c2;
  s->WriteROM(c2);
  std::vector<uint8_t> want = Words({3, 1, 16, 0, 1});
  for (uint8_t v : {1, 2, 3, 4, 5, 0, 0, 0}) want.push_back(v);
  EXPECT_EQ(c2.Output().Buffer(), want);

  // One further image: the count 2 and two references, main image first;
  // both stores hold the full image when they are written.
  s->SubBitmaps->Add()->Image->Image.Buffer() = {9};
  TZmCompiler c3;
  s->WriteROM(c3);
  EXPECT_EQ(c3.Output().Buffer(), Words({3, 1, 16, 0, 2, 0x70000000, 0x70000001}));
  c3.Resources.WriteAll(c3);
  const auto& img = c3.Output().Buffer();
  ASSERT_EQ(img.size(), 28u + 8u + 8u);
  EXPECT_EQ(GetU32(&img[20]), 28u);
  EXPECT_EQ(GetU32(&img[24]), 36u);
  EXPECT_EQ(std::vector<uint8_t>(img.begin() + 28, img.end()),
            (std::vector<uint8_t>{1, 2, 3, 4, 5, 0, 0, 0, 9, 0, 0, 0, 0, 0, 0, 0}));

  // Geometry no panel could hold compiles as an empty bitmap.
  const struct {
    int32_t w, h, bits;
  } bad[] = {{9000, 1, 16}, {1, -2, 16}, {4, 4, 2}, {4, 4, 0}, {INT32_MAX, INT32_MAX, 32}};
  for (const auto& g : bad) {
    std::unique_ptr<TZmBitmap> x(NewObject<TZmBitmap>());
    x->Width = g.w;
    x->Height = g.h;
    x->ColorBit = g.bits;
    x->Type = 3;
    x->Image->Image.Buffer() = {1, 2, 3, 4};
    x->SubBitmaps->Add();
    TZmCompiler cx;
    x->WriteROM(cx);
    EXPECT_EQ(cx.Output().Buffer(), Words({0, 0, 0, 3, 1})) << g.w << "x" << g.h << "x" << g.bits;
  }

  // A memory bitmap: its bytes and zeros to a multiple of 4.
  const struct {
    size_t size, compiled;
  } stores[] = {{5, 8}, {4, 4}, {0, 0}, {1, 4}};
  for (const auto& m : stores) {
    TZmMemoryBitmap mb;
    mb.Image.Buffer().assign(m.size, 0xEE);
    TZmCompiler cm;
    mb.WriteROM(cm);
    EXPECT_EQ(cm.Output().Size(), m.compiled) << m.size;
  }
}

TEST(Bitmap, StoredFormWithFurtherImages)
{
  std::unique_ptr<TZmBitmap> b = Bitmap16(2, 1, {1, 2});
  b->SubBitmaps->Add()->Image->Image.Buffer() = {7, 7, 7, 7};
  b->SubBitmaps->Add()->Image->Image.Buffer() = {8};
  TZmStream rec;
  SerializeObjectTo(b.get(), TZmSerialization::Write, rec);
  rec.Seek(0);
  {
    TZmSerialization s(b.get(), &rec, TZmSerialization::Read);
    const struct {
      const char* name;
      uint8_t tag;
    } props[] = {{"Width", tagUInt32}, {"Height", tagUInt32}, {"ColorBit", tagUInt32},
                 {"Type", tagUInt32},  {"Image", tagMemory},   {"SubBitmaps", tagObject}};
    EXPECT_EQ(s.Properties().size(), 6u);
    for (const auto& p : props) EXPECT_EQ(s.Properties().at(p.name).Bytes()[0], p.tag) << p.name;
    // The list is one stream property "SubBitmaps" inside its own record.
    TZmStream& list = s.Properties().at("SubBitmaps");
    list.Seek(1);
    TZmSerialization inner(b->SubBitmaps, &list, TZmSerialization::Read);
    EXPECT_EQ(inner.Properties().at("SubBitmaps").Bytes()[0], tagStream);
  }
  std::unique_ptr<TZmBitmap> copy(NewObject<TZmBitmap>());
  copy->Assign(b.get());
  EXPECT_EQ(copy->Compare(b.get()), 0);
  ASSERT_EQ(copy->ImageCount(), 3u);
  EXPECT_EQ(copy->ImageAt(2)->Image.Buffer(), std::vector<uint8_t>{8});
  EXPECT_EQ(copy->Pixel(1, 0), 2u);
  EXPECT_EQ(copy->ImageAt(3), nullptr);

  // An image destroyed on its own leaves its list; clearing frees the rest.
  delete copy->SubBitmaps->Item(0);
  EXPECT_EQ(copy->ImageCount(), 2u);
  copy->InvertImage();  // 4-byte main store inverted, the 1-byte one left alone
  EXPECT_EQ(copy->ImageAt(0)->Image.Buffer(), (std::vector<uint8_t>{0xFD, 0xFF, 0xFE, 0xFF}));
  EXPECT_EQ(copy->ImageAt(1)->Image.Buffer(), std::vector<uint8_t>{8});
  copy->ClearImage();
  EXPECT_EQ(copy->Width, 0);
  EXPECT_EQ(copy->ColorBit, 0);
  EXPECT_EQ(copy->ImageCount(), 1u);
  EXPECT_TRUE(copy->Image->Image.Empty());
}

TEST(Bitmap, ImportScalesConvertsAndAppends)
{
  std::unique_ptr<TZmBitmap> b(NewObject<TZmBitmap>());
  // 20 x 10 into at most 8 x 8: k = 2.5, so 8 x 4; RGB565 of pure red.
  b->ImportPictures({Solid(20, 10, 0xFFFF0000)}, 1, 8, 8);
  EXPECT_EQ(b->Width, 8);
  EXPECT_EQ(b->Height, 4);
  EXPECT_EQ(b->ColorBit, 16);
  EXPECT_EQ(b->Image->Image.Size(), 64u);
  EXPECT_EQ(b->Pixel(7, 3), 0xF800u);
  // A second picture of another size becomes a further image of the same size.
  b->ImportPictures({Solid(3, 3, 0xFF0000FF)}, 1, 8, 8);
  ASSERT_EQ(b->ImageCount(), 2u);
  EXPECT_EQ(GetPackedPixel(b->ImageAt(1)->Image.Bytes(), 8, 16, 7, 3), 0x001Fu);
  EXPECT_EQ(b->Width, 8);
  // Formats above 8 are not imported.
  b->ImportPictures({Solid(3, 3, 0xFF00FF00)}, 9, 8, 8);
  EXPECT_EQ(b->ImageCount(), 2u);

  // No limit (no model): 0 or less never divides.
  const struct {
    int32_t maxW, maxH, w, h;
  } limits[] = {{0, 0, 20, 10}, {-1, -1, 20, 10}, {0, 5, 10, 5}, {40, 0, 20, 10}, {1, 1, 1, 1}};
  for (const auto& l : limits) {
    std::unique_ptr<TZmBitmap> x(NewObject<TZmBitmap>());
    x->ImportPictures({Solid(20, 10, 0xFF000000)}, 7, l.maxW, l.maxH);
    EXPECT_EQ(x->Width, l.w) << l.maxW << "," << l.maxH;
    EXPECT_EQ(x->Height, l.h) << l.maxW << "," << l.maxH;
  }

  // Format 6 dithers with the cell D[x & 7][y & 7]: grey 150 is set where
  // the threshold is below 150 (D[0][0] 0, D[1][0] 192, D[0][1] 128, D[1][1] 64).
  std::unique_ptr<TZmBitmap> d(NewObject<TZmBitmap>());
  d->ImportPictures({Solid(2, 2, 0xFF969696)}, 6, 0, 0);
  EXPECT_EQ(d->ColorBit, 1);
  EXPECT_EQ(d->Image->Image.Buffer(), Words({0x80000000, 0xC0000000}));

  // Alpha composites over black; format 0 keeps 24 bits (red in the low byte).
  std::unique_ptr<TZmBitmap> a(NewObject<TZmBitmap>());
  a->ImportPictures({Solid(1, 1, 0x80FF0000)}, 0, 0, 0);
  EXPECT_EQ(a->ColorBit, 32);
  EXPECT_EQ(a->Pixel(0, 0), 0x80u);
}

TEST(Bitmap, LoadImageFromFiles)
{
  const std::filesystem::path dir =
    std::filesystem::temp_directory_path() / ("kestrava-bitmap-test-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  TZmDC dc(3, 2);
  dc.Clear(0xF800);
  const std::string path = (dir / "red.png").string();
  std::string error;
  ASSERT_TRUE(SaveSurfacePng(dc, path, error)) << error;
  std::unique_ptr<TZmBitmap> b(NewObject<TZmBitmap>());
  ASSERT_TRUE(b->LoadImage(path, 1, 100, 100, error)) << error;
  EXPECT_EQ(b->Width, 3);
  EXPECT_EQ(b->Pixel(2, 1), 0xF800u);
  EXPECT_FALSE(b->LoadImage((dir / "missing.png").string(), 1, 100, 100, error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(b->ImageCount(), 1u);
  ASSERT_TRUE(WriteFileAtomic((dir / "junk.png").string(), std::vector<uint8_t>{'n', 'o'}, error));
  EXPECT_FALSE(b->LoadImage((dir / "junk.png").string(), 1, 100, 100, error));
  EXPECT_EQ(b->ImageCount(), 1u);
  std::filesystem::remove_all(dir);
}

TEST(Bitmap, DrawStretchedTiledCentred)
{
  TZmDC dc(6, 6);
  // Nothing for an empty rectangle side or an empty bitmap.
  std::unique_ptr<TZmBitmap> b = Bitmap16(2, 1, {1, 2});
  b->DrawBitmap(dc, 0, 0, 0, nullptr, 0, 2, 0, 0, 0, 5);
  b->DrawBitmap(dc, 0, 0, 0, nullptr, 0, 2, 0, 3, 5, 3);
  EXPECT_EQ(CountSet(dc), 0);

  // Stretched: 16.16 steps, dx = 2 * 65536 / 5.
  b->DrawBitmap(dc, 0, 0, 0, nullptr, 0, 2, 0, 0, 4, 1);
  EXPECT_EQ(Art(dc, 0, 0, 6, 2), (std::vector<std::string>{"###oo.", "###oo."}));

  // Tiled: copies start while the start lies before right - left, so the
  // column at right - left is left out when the width divides it.
  std::unique_ptr<TZmBitmap> t = Bitmap16(2, 2, {1, 2, 3, 1});
  dc.Clear(0);
  t->DrawBitmap(dc, 0, 0, 0, nullptr, 0, 4, 0, 0, 4, 3);
  EXPECT_EQ(Art(dc, 0, 0, 6, 4), (std::vector<std::string>{"#o#o..", "x#x#..", "#o#o..", "x#x#.."}));

  // Centred with an offset; the transparent value is skipped with flag 1.
  dc.Clear(0);
  t->DrawBitmap(dc, 0, 1, 0, nullptr, 1, 1, 0, 0, 5, 5);
  EXPECT_EQ(Art(dc), (std::vector<std::string>{"......", "......", "....o.", "...x..", "......", "......"}));
  // Parts outside the rectangle are not drawn.
  dc.Clear(0);
  t->DrawBitmap(dc, 0, 1, 0, nullptr, 0, 0, 0, 0, 1, 3);
  EXPECT_EQ(Art(dc, 0, 0, 3, 4), (std::vector<std::string>{"...", ".#.", ".x.", "..."}));

  // Identity drawing paints the whole stretched rectangle without flag 1,
  // and leaves the transparent pixels with it.
  struct Ids : TZmIdentitySource {
    int32_t IdentityCount() const override { return 1; }
  } ids;
  dc.Clear(0);
  b->DrawBitmap(dc, 0, 0, 0, &ids, 1, 2, 0, 0, 3, 1);
  EXPECT_EQ(dc.RawPixel(0, 0), 0xF000);
  EXPECT_EQ(dc.RawPixel(3, 1), 0xF000);
  dc.Clear(0);
  b->DrawBitmap(dc, 0, 0, 0, &ids, 1, 3, 0, 0, 3, 1);
  EXPECT_EQ(Art(dc, 0, 0, 4, 2), (std::vector<std::string>{"..??", "..??"}));

  // Huge rectangles only cost their visible part.
  dc.Clear(0);
  t->DrawBitmap(dc, 0, 0, 0, nullptr, 0, 4, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
  t->DrawBitmap(dc, 0, 0, 0, nullptr, 0, 2, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
  t->DrawBitmap(dc, 0, INT32_MAX, INT32_MIN, nullptr, 0, 0, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
}

TEST(Bitmap, FromSurface1BitInBothLayouts)
{
  // 10 x 3, foreground (palette entry 1, black) at (0,0) (9,0) (1,1) (0,2) (9,2).
  TZmDC dc(10, 3);
  dc.Clear(0xFFFF);
  for (auto [x, y] : {std::pair{0, 0}, {9, 0}, {1, 1}, {0, 2}, {9, 2}}) dc.SetPixel(x, y, 0);
  TZmPanelColors model;
  model.ColorBit = 1;
  model.Palette = {0xFFFFFF, 0x000000};
  TZmMemoryBitmap m;
  model.ColorFormat = 8;  // row layout: 30 bits, least significant first
  FromSurface1Bit(m, dc, model, 0);
  EXPECT_EQ(m.Image.Buffer(), (std::vector<uint8_t>{0x01, 0x0A, 0x10, 0x20}));
  model.ColorFormat = 7;  // page layout: one byte per column, bit 0 the top row
  FromSurface1Bit(m, dc, model, 0);
  EXPECT_EQ(m.Image.Buffer(), (std::vector<uint8_t>{0x05, 0x02, 0, 0, 0, 0, 0, 0, 0, 0x05}));
  model.ColorFormat = 1;  // other formats: empty
  FromSurface1Bit(m, dc, model, 0);
  EXPECT_TRUE(m.Image.Empty());

  // No palette: the foreground is black. Only the bits that survive RGB565 count.
  model.ColorFormat = 8;
  model.Palette.clear();
  FromSurface1Bit(m, dc, model, 0);
  EXPECT_EQ(m.Image.Buffer(), (std::vector<uint8_t>{0x01, 0x0A, 0x10, 0x20}));
  model.Palette = {0xFFFFFF, 0x070307};
  FromSurface1Bit(m, dc, model, 0);
  EXPECT_EQ(m.Image.Buffer(), (std::vector<uint8_t>{0x01, 0x0A, 0x10, 0x20}));

  // The scene's colour option picks the foreground in the row layout only.
  TZmDC red(9, 9);
  red.Clear(0);
  red.SetPixel(0, 0, 0xF800);
  red.SetPixel(0, 8, 0xF800);
  model.SceneOption = 1;
  model.Palette = {0xFFFFFF, 0x000000, 0x0000FF, 0xFF0000};
  FromSurface1Bit(m, red, model, 2);
  ASSERT_EQ(m.Image.Size(), 11u);
  EXPECT_EQ(m.Image.Buffer()[0], 0x01);
  EXPECT_EQ(m.Image.Buffer()[9], 0x01);  // pixel 72, the last one
  EXPECT_EQ(m.Image.Buffer()[10], 0x00);
  model.ColorFormat = 7;
  FromSurface1Bit(m, red, model, 2);  // option ignored: black is the foreground
  ASSERT_EQ(m.Image.Size(), 18u);
  EXPECT_EQ(m.Image.Buffer()[0], 0xFE);
  EXPECT_EQ(m.Image.Buffer()[9], 0x00);  // row 8: band 1, bit 0 off (red)
  EXPECT_EQ(m.Image.Buffer()[10], 0x01);

  TZmDC none(0, 0);
  FromSurface1Bit(m, none, model, 0);
  EXPECT_TRUE(m.Image.Empty());
}

TEST(Bitmap, LoadBackgroundFitsTheScreen)
{
  const std::filesystem::path dir =
    std::filesystem::temp_directory_path() / ("kestrava-background-test-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  // 16 x 8 picture: left half black, right half white; onto an 8 x 8 screen
  // it shrinks to 8 x 4, centred vertically.
  TZmDC dc(16, 8);
  dc.Clear(0xFFFF);
  for (int y = 0; y < 8; ++y) dc.HLine(0, 7, y, 0);
  const std::string path = (dir / "bg.png").string();
  std::string error;
  ASSERT_TRUE(SaveSurfacePng(dc, path, error)) << error;
  TZmPanelColors model;
  model.ColorFormat = 7;
  model.ColorBit = 1;
  model.Palette = {0xFFFFFF, 0x000000};
  TZmMemoryBitmap m;
  ASSERT_TRUE(LoadBackground(m, path, model, 8, 8, error)) << error;
  EXPECT_EQ(m.Image.Buffer(), (std::vector<uint8_t>{0x3C, 0x3C, 0x3C, 0x3C, 0, 0, 0, 0}));
  EXPECT_FALSE(LoadBackground(m, (dir / "none.png").string(), model, 8, 8, error));
  EXPECT_FALSE(LoadBackground(m, path, model, 0, 8, error));
  std::filesystem::remove_all(dir);
}

TEST(Bitmap, ChangeColorFormatReencodesEveryImage)
{
  // Two frames imported as RGB565 and carried over to RGB332 end up as if
  // they had been imported there.
  std::unique_ptr<TZmBitmap> b(NewObject<TZmBitmap>());
  b->ImportPictures({Solid(3, 2, 0xFFFF0000), Solid(3, 2, 0xFF0000FF)}, 1, 0, 0);
  std::unique_ptr<TZmBitmap> direct(NewObject<TZmBitmap>());
  direct->ImportPictures({Solid(3, 2, 0xFFFF0000), Solid(3, 2, 0xFF0000FF)}, 2, 0, 0);
  ASSERT_EQ(b->ImageCount(), 2u);
  b->ChangeColorFormat(1, 2);
  EXPECT_EQ(b->ColorBit, 8);
  for (size_t i = 0; i < 2; ++i) EXPECT_EQ(b->ImageAt(i)->Image.Buffer(), direct->ImageAt(i)->Image.Buffer()) << i;

  // Nothing is guessed: a depth that is not the source format's, a target
  // that cannot hold pictures, or a store shorter than its pixels.
  const std::vector<uint8_t> before = b->Image->Image.Buffer();
  for (auto [from, to] : {std::pair{1, 2}, std::pair{2, 12}, std::pair{2, 2}}) {
    b->ChangeColorFormat(from, to);
    EXPECT_EQ(b->ColorBit, 8) << from << "->" << to;
    EXPECT_EQ(b->Image->Image.Buffer(), before) << from << "->" << to;
  }
  std::unique_ptr<TZmBitmap> shortStore = Bitmap16(4, 4, {1});
  shortStore->Image->Image.Buffer().resize(8);
  shortStore->ChangeColorFormat(1, 2);
  EXPECT_EQ(shortStore->Image->Image.Buffer().size(), 8u);
  EXPECT_EQ(shortStore->ColorBit, 16);
}
