// Pens and brushes: stored forms (byte-exact for the pen), compiled records
// with replicated colours, colour-format changes, selection into a context
// and the pen picker cells.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "image/Context.h"
#include "devices/Model.h"
#include "graphics/Color.h"
#include "graphics/DC.h"
#include "graphics/Pen.h"
#include "model/Project.h"

namespace {

// A compiler whose project uses a model with the given bits per pixel.
struct ModelCompiler {
  explicit ModelCompiler(uint32_t id, int32_t colorBit)
  {
    auto model = std::make_unique<TZmModel>();
    model->ID = id;
    model->ColorBit = colorBit;
    TZmModels::Global().Add(std::move(model));
    Root.reset(NewObject<TZmHMI>());
    Root->ModelID = id;
    Compiler.ColorBit = colorBit;
  }
  std::unique_ptr<TZmHMI> Root;
  TZmCompiler Compiler;
};

std::vector<uint8_t> Utf16Name(const char* s)
{
  std::vector<uint8_t> out = {static_cast<uint8_t>(std::strlen(s)), 0, 0, 0};
  for (; *s; ++s) {
    out.push_back(static_cast<uint8_t>(*s));
    out.push_back(0);
  }
  return out;
}

}  // namespace

TEST(Pen, StoredFormIsByteExact)
{
  std::unique_ptr<TZmPen> pen(NewObject<TZmPen>());
  EXPECT_EQ(pen->Color, 0u);
  EXPECT_EQ(pen->StyleIndex, 1);
  EXPECT_EQ(pen->Width, 1);
  EXPECT_EQ(pen->Mode, 0);
  pen->Color = 0x1234;
  pen->StyleIndex = 2;
  pen->Width = 3;
  pen->Mode = -1;
  TZmStream rec;
  SerializeObjectTo(pen.get(), TZmSerialization::Write, rec);

  // Hand-made: class name, End (124), 4 properties in name order, each a
  // 5-byte blob: tag 13 for the colour, tag 7 for the integers.
  std::vector<uint8_t> want = Utf16Name("TZmPen");
  for (uint8_t b : {124, 0, 0, 0, 4, 0, 0, 0}) want.push_back(b);
  const struct {
    const char* name;
    uint8_t blob[5];
  } props[] = {{"Color", {13, 0x34, 0x12, 0, 0}},
               {"Mode", {7, 0xFF, 0xFF, 0xFF, 0xFF}},
               {"StyleIndex", {7, 2, 0, 0, 0}},
               {"Width", {7, 3, 0, 0, 0}}};
  for (const auto& p : props) {
    std::vector<uint8_t> n = Utf16Name(p.name);
    want.insert(want.end(), n.begin(), n.end());
    for (uint8_t b : {5, 0, 0, 0}) want.push_back(b);
    want.insert(want.end(), p.blob, p.blob + 5);
  }
  EXPECT_EQ(rec.Buffer(), want);

  std::unique_ptr<TZmPen> back(NewObject<TZmPen>());
  rec.Seek(0);
  SerializeObjectTo(back.get(), TZmSerialization::Read, rec);
  EXPECT_EQ(back->Compare(pen.get()), 0);
  EXPECT_EQ(back->Mode, -1);
}

TEST(Brush, StoredFormTagsAndRoundTrip)
{
  std::unique_ptr<TZmBrush> brush(NewObject<TZmBrush>());
  EXPECT_EQ(brush->StyleIndex, 1);
  brush->Color = 0xF800;
  brush->StyleIndex = 0x205;
  brush->ExternFlag = 7;
  brush->ExtColor = 0x07E0;
  TZmStream rec;
  SerializeObjectTo(brush.get(), TZmSerialization::Write, rec);
  rec.Seek(0);
  TZmSerialization s(brush.get(), &rec, TZmSerialization::Read);
  ASSERT_EQ(s.Properties().size(), 4u);
  EXPECT_EQ(s.Properties().at("Color").Bytes()[0], tagColor);
  EXPECT_EQ(s.Properties().at("ExtColor").Bytes()[0], tagColor);
  EXPECT_EQ(s.Properties().at("StyleIndex").Bytes()[0], tagUInt32);
  EXPECT_EQ(s.Properties().at("ExternFlag").Bytes()[0], tagUInt32);
  std::unique_ptr<TZmBrush> copy(NewObject<TZmBrush>());
  copy->Assign(brush.get());
  EXPECT_EQ(copy->StyleIndex, 0x205);
  EXPECT_EQ(copy->ExtColor, 0x07E0u);
  EXPECT_EQ(copy->Compare(brush.get()), 0);
}

TEST(PenBrush, CompiledRecordsReplicateColours)
{
  const struct {
    int32_t colorBit;
    uint32_t color, ext;
    uint32_t wantColor, wantExt;
  } cases[] = {{1, 1, 0, 0xFFFFFFFF, 0},
               {16, 0x1234, 0xF800, 0x12341234, 0xF800F800},
               {4, 0x3A, 5, 0xAAAAAAAA, 0x55555555},
               {32, 0x89ABCDEF, 7, 0x89ABCDEF, 7}};
  uint32_t id = 4800;
  for (const auto& c : cases) {
    ModelCompiler mc(id++, c.colorBit);
    std::unique_ptr<TZmPen> pen(NewObject<TZmPen>());
    pen->Color = c.color;
    pen->StyleIndex = 3;
    pen->Width = 2;
    pen->Mode = 9;
    std::unique_ptr<TZmBrush> brush(NewObject<TZmBrush>());
    brush->Color = c.color;
    brush->StyleIndex = 1024 + 2;
    brush->ExternFlag = 1;
    brush->ExtColor = c.ext;
    pen->WriteROM(mc.Compiler);
    brush->WriteROM(mc.Compiler);
    const auto& img = mc.Compiler.Output().Buffer();
    ASSERT_EQ(img.size(), 32u);
    const uint32_t want[8] = {c.wantColor, 3, 2, 9, c.wantColor, 1026, 1, c.wantExt};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(GetU32(&img[4 * i]), want[i]) << c.colorBit << " word " << i;
  }
}

TEST(PenBrush, ChangeColorFormatAndSelection)
{
  std::unique_ptr<TZmPen> pen(NewObject<TZmPen>());
  std::unique_ptr<TZmBrush> brush(NewObject<TZmBrush>());
  pen->Color = 0xF800;  // RGB565 red
  brush->Color = 0xFFFF;
  brush->ExtColor = 0x001F;
  pen->ChangeColorFormat(1, 2);  // RGB332
  brush->ChangeColorFormat(1, 7);
  EXPECT_EQ(pen->Color, 0xE0u);
  EXPECT_EQ(brush->Color, 0u);     // white: 0 in "1 = black"
  EXPECT_EQ(brush->ExtColor, 1u);  // dark blue: black
  pen->ChangeColorFormat(2, 2);
  EXPECT_EQ(pen->Color, 0xE0u);

  // Selection resolves stored colours through the context's model colours.
  TZmDC dc(4, 4);
  dc.Colors.ColorFormat = 7;
  dc.Colors.ColorBit = 1;
  dc.Colors.Palette = {0xFFFFFF, 0x000000};
  pen->Color = 1;
  pen->Width = 2;
  pen->StyleIndex = 0;
  pen->Select(dc, nullptr, 0);
  EXPECT_EQ(dc.Pen.Color, 0u);
  EXPECT_EQ(dc.Pen.Width, 2);
  EXPECT_EQ(dc.Pen.StyleIndex, 0);
  brush->Color = 0;
  brush->ExtColor = 1;
  brush->StyleIndex = 0x203;
  brush->Select(dc, nullptr, 0);
  EXPECT_EQ(dc.Brush.Color, 0xFFFFu);
  EXPECT_EQ(dc.Brush.ExtColor, 0u);
  EXPECT_EQ(dc.Brush.StyleIndex, 0x203);
  struct Ids : TZmIdentitySource {
    int32_t IdentityCount() const override { return 5; }
  } ids;
  brush->Select(dc, &ids, 0);
  EXPECT_EQ(dc.Brush.Color, 0xF004u);
  EXPECT_EQ(dc.Brush.ExtColor, 0xF004u);
}

TEST(Pen, PickerCells)
{
  std::unique_ptr<TZmPen> pen(NewObject<TZmPen>());
  const struct {
    int32_t cell, style, width;
  } cases[] = {{0, 1, 0}, {1, 1, 1}, {9, 1, 9}, {10, 0, 1}, {12, 2, 1}, {15, 5, 1}};
  for (const auto& c : cases) {
    pen->SetPickerCell(c.cell);
    EXPECT_EQ(pen->StyleIndex, c.style) << c.cell;
    EXPECT_EQ(pen->Width, c.width) << c.cell;
    EXPECT_EQ(pen->PickerCell(), c.cell);
  }
}
