// Bevels: stored form, compiled record, colour formats, the script
// interpreter (operands, opcodes, end of stream) and the 15 built-in frames.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "image/Context.h"
#include "graphics/Bevel.h"
#include "graphics/DC.h"
#include "graphics/Pen.h"
#include "DrawTestUtil.h"

namespace {

// Pen colours: OutColor 1 ('#'), InColor 2 ('o'), brush 3 ('x'); the
// context's model is plain RGB565 so stored values pass through unchanged.
std::unique_ptr<TZmBevelInf> Bevel(int32_t id, int32_t brushStyle = 1, int32_t space = 0)
{
  std::unique_ptr<TZmBevelInf> b(NewObject<TZmBevelInf>());
  b->ID = id;
  b->OutColor = 1;
  b->InColor = 2;
  b->Brush->Color = 3;
  b->Brush->StyleIndex = brushStyle;
  b->Space = space;
  return b;
}

std::vector<uint8_t> Bytes(std::initializer_list<uint16_t> words)
{
  std::vector<uint8_t> out;
  for (uint16_t w : words) {
    out.push_back(static_cast<uint8_t>(w));
    out.push_back(static_cast<uint8_t>(w >> 8));
  }
  return out;
}

}  // namespace

TEST(Bevel, DefaultsStoredFormAndColourFormat)
{
  std::unique_ptr<TZmBevelInf> b(NewObject<TZmBevelInf>());
  EXPECT_EQ(b->TypeMask, 0x10000);
  EXPECT_EQ(b->ID, 0x10001);
  EXPECT_EQ(b->Space, 0);
  ASSERT_NE(b->Brush, nullptr);
  EXPECT_EQ(b->Brush->StyleIndex, 1);
  EXPECT_EQ(b->PickerCell(), 1);

  b->Space = -3;
  b->InColor = 0xFFFF;
  b->Brush->ExtColor = 0xFFFF;
  TZmStream rec;
  SerializeObjectTo(b.get(), TZmSerialization::Write, rec);
  rec.Seek(0);
  TZmSerialization s(b.get(), &rec, TZmSerialization::Read);
  const struct {
    const char* name;
    uint8_t tag;
  } props[] = {{"TypeMask", tagUInt32}, {"ID", tagUInt32}, {"InColor", tagColor},
               {"OutColor", tagColor}, {"Space", tagUInt32}, {"Brush", tagObject}};
  EXPECT_EQ(s.Properties().size(), 6u);
  for (const auto& p : props) {
    ASSERT_TRUE(s.Properties().count(p.name)) << p.name;
    EXPECT_EQ(s.Properties().at(p.name).Bytes()[0], p.tag) << p.name;
  }
  std::unique_ptr<TZmBevelInf> copy(NewObject<TZmBevelInf>());
  copy->Assign(b.get());
  EXPECT_EQ(copy->Compare(b.get()), 0);
  EXPECT_EQ(copy->Space, -3);
  EXPECT_EQ(copy->Brush->ExtColor, 0xFFFFu);

  // White RGB565 becomes 0 in the 1-bit "1 = black" format, black becomes 1;
  // the brush is converted with the bevel.
  copy->OutColor = 0;
  copy->ChangeColorFormat(1, 7);
  EXPECT_EQ(copy->InColor, 0u);
  EXPECT_EQ(copy->OutColor, 1u);
  EXPECT_EQ(copy->Brush->ExtColor, 0u);
  EXPECT_EQ(copy->Brush->Color, 1u);
}

TEST(Bevel, CompiledRecordRefersToBrushAndScriptList)
{
  std::unique_ptr<TZmBevelInf> a = Bevel(0x10002, 1, 5), same = Bevel(0x10002), other = Bevel(0x10003),
                               unknown = Bevel(0x20000);
  a->InColor = 0x1234;
  a->OutColor = 0xABCD;
  TZmCompiler c;  // no project: colours are written as stored
  a->WriteROM(c);
  same->WriteROM(c);
  other->WriteROM(c);
  unknown->WriteROM(c);
  const auto& img = c.Output().Buffer();
  ASSERT_EQ(img.size(), 4u * 24u);
  EXPECT_EQ(GetU32(&img[0]), 0x1234u);
  EXPECT_EQ(GetU32(&img[4]), 0xABCDu);
  EXPECT_EQ(GetU32(&img[8]), 5u);
  EXPECT_EQ(GetU32(&img[12]), 0u);
  EXPECT_EQ(GetU32(&img[16]), 0x61000000u);  // brush: first item of its group
  EXPECT_EQ(GetU32(&img[20]), 0x63000000u);  // script list 0x10002
  EXPECT_EQ(GetU32(&img[24 + 20]), 0x63000000u);  // same list, same item
  EXPECT_EQ(GetU32(&img[48 + 20]), 0x63000001u);
  EXPECT_EQ(GetU32(&img[72 + 20]), 0u);  // no such list
  // Brushes of a and same differ in colour (3 vs 3, equal) -> one item.
  EXPECT_EQ(GetU32(&img[24 + 16]), 0x61000000u);
  c.Resources.WriteAll(c);
  // The script list's own record is empty; the brush record is 16 bytes.
  EXPECT_EQ(c.Output().Size(), 4u * 24u + 16u);
  EXPECT_EQ(GetU32(&c.Output().Buffer()[16]), 96u);
}

TEST(Bevel, OperandBasesAndTruncation)
{
  // 0x7400 sets the fill area from four operands; with Space 0 the client
  // rectangle shows the four values. Object rectangle (10, 20, 30, 40).
  const struct {
    uint16_t base;
    int16_t offset;
    int32_t value;
  } cases[] = {{0, 7, 7},     {1, 7, 7},      {4, 0, 20},   {5, 0, 30},   {8, 1, 11},     {9, -1, 29},
               {10, 2, 22},   {11, -2, 38},   {12, 0, -10}, {13, 0, 50},  {14, 0, 0},     {15, 0, 60},
               {99, 5, 5},    {9, 32767, -32739}};
  TZmDC dc(8, 8);
  std::unique_ptr<TZmBevelInf> b = Bevel(0x10000, 0);
  for (const auto& c : cases) {
    const uint16_t o = static_cast<uint16_t>(c.offset);
    auto script = Bytes({0x7400, c.base, o, c.base, o, c.base, o, c.base, o});
    TZmClientRect r = RunBevelScript(script, dc, *b, nullptr, 0, 10, 20, 30, 40);
    EXPECT_EQ(r, (TZmClientRect{c.value, c.value, c.value, c.value})) << c.base << " " << c.offset;
  }
}

TEST(Bevel, ScriptStopsAtTheEndOfItsStream)
{
  std::unique_ptr<TZmBevelInf> b = Bevel(0x10000, 0);
  TZmDC dc(8, 8);
  dc.Pen.Color = 1;
  // A line whose last operand is cut off draws nothing; an odd trailing byte
  // is not a word.
  const std::vector<uint8_t> scripts[] = {
    Bytes({0x0400, 0, 0, 0, 0, 0, 7, 0}),
    Bytes({0x0200, 0, 1}),
    Bytes({0x7400, 0, 1, 0, 1, 0, 5}),
    [] {
      auto v = Bytes({0x0200, 0, 1, 0, 1});
      v.push_back(0x02);
      return v;
    }(),
    {},
  };
  for (size_t i = 0; i < std::size(scripts); ++i) {
    dc.Clear(0);
    TZmClientRect r = RunBevelScript(scripts[i], dc, *b, nullptr, 0, 0, 0, 7, 7);
    EXPECT_EQ(CountSet(dc), i == 3 ? 1 : 0) << i;
    EXPECT_EQ(r, (TZmClientRect{0, 0, 7, 7})) << i;  // the fill area as it was
  }
}

TEST(Bevel, OpcodesAndColourSelectors)
{
  std::unique_ptr<TZmBevelInf> b = Bevel(0x10000, 0);
  b->InColor = 0x20;
  b->OutColor = 0x21;
  b->Brush->Color = 0x22;
  TZmDC dc(4, 1);
  dc.Colors.WhiteIndex = 0x23;
  dc.Colors.GrayIndex = 0x24;
  dc.Colors.BlackIndex = 0x25;
  const struct {
    uint16_t op;
    uint16_t colour;  // pixel after the op and a SetPixel at (0, 0)
  } cases[] = {
    {0x8800, 0x20}, {0x8801, 0x21}, {0x8802, 0x22}, {0x8803, 0x23}, {0x8804, 0x24}, {0x8805, 0x25},
    {0x8806, 0},    {0x88FF, 0},    {0x8017, 0x17}, {0x80FF, 0xFF},
    // unused bits: 0x8C00 & 0x8700 is 0x8400 (ignored), 0x8C17 likewise
    {0x8C17, 9},    {0x8417, 9},    {0x1234, 9},    {0x7002, 9},    {0xA801, 9},  {0x0201, 9},
  };
  for (const auto& c : cases) {
    dc.Clear(0);
    dc.Pen.Color = 9;
    RunBevelScript(Bytes({c.op, 0x0200, 0, 0, 0, 0}), dc, *b, nullptr, 0, 0, 0, 3, 0);
    EXPECT_EQ(dc.RawPixel(0, 0), c.colour) << std::hex << c.op;
  }
  // Width, style and mode; 0x8900 decodes as 0x8100 under the mask.
  dc.Pen = TZmDCPen{};
  RunBevelScript(Bytes({0x8105, 0x8203, 0x8307}), dc, *b, nullptr, 0, 0, 0, 3, 0);
  EXPECT_EQ(dc.Pen.Width, 5);
  EXPECT_EQ(dc.Pen.StyleIndex, 3);
  EXPECT_EQ(dc.Pen.Mode, 7);
  RunBevelScript(Bytes({0x8902}), dc, *b, nullptr, 0, 0, 0, 3, 0);
  EXPECT_EQ(dc.Pen.Width, 2);
  // The script starts with pen width and style 1; colour and mode stay.
  dc.Pen = TZmDCPen{7, 0, 9, 4};
  RunBevelScript({}, dc, *b, nullptr, 0, 0, 0, 3, 0);
  EXPECT_EQ(dc.Pen.Width, 1);
  EXPECT_EQ(dc.Pen.StyleIndex, 1);
  EXPECT_EQ(dc.Pen.Color, 7u);
  EXPECT_EQ(dc.Pen.Mode, 4);
  // Brush colour and style, and a span with that brush.
  dc.Clear(0);
  RunBevelScript(Bytes({0x9801, 0x9101, 0x0302, 0, 1, 0, 2, 0, 0}), dc, *b, nullptr, 0, 0, 0, 3, 0);
  EXPECT_EQ(Art(dc), std::vector<std::string>{".??."});
  EXPECT_EQ(dc.RawPixel(1, 0), 0x21);
  // With an identity source every selector gives the identity colour.
  struct Ids : TZmIdentitySource {
    int32_t IdentityCount() const override { return 3; }
  } ids;
  dc.Clear(0);
  RunBevelScript(Bytes({0x8017, 0x0200, 0, 2, 0, 0}), dc, *b, &ids, 0, 0, 0, 3, 0);
  EXPECT_EQ(dc.RawPixel(2, 0), 0xF002);
}

TEST(Bevel, MissingListTooSmallSpaceAndNoBrush)
{
  TZmDC dc(100, 50);
  // Unknown ID: nothing drawn, empty client rectangle.
  EXPECT_TRUE(Bevel(0x10020)->DrawBevel(dc, nullptr, 0, 0, 0, 20, 20).Empty());
  EXPECT_EQ(CountSet(dc), 0);

  // Too small: the fill is drawn first, then the script refuses the size.
  TZmClientRect r = Bevel(0x10001)->DrawBevel(dc, nullptr, 0, 0, 0, 4, 19);
  EXPECT_TRUE(r.Empty());
  EXPECT_EQ(CountSet(dc), 5 * 20);
  EXPECT_EQ(dc.RawPixel(4, 19), 3);

  // Space shrinks the client area on every side.
  dc.Clear(0);
  EXPECT_EQ(Bevel(0x10002, 1, 2)->DrawBevel(dc, nullptr, 0, 0, 0, 99, 49), (TZmClientRect{4, 4, 95, 45}));

  // Brush style 0: only the lines; the client area is computed all the same.
  dc.Clear(0);
  EXPECT_EQ(Bevel(0x10001, 0)->DrawBevel(dc, nullptr, 0, 0, 0, 9, 9), (TZmClientRect{1, 1, 8, 8}));
  EXPECT_EQ(CountSet(dc), 36);
  for (uint16_t v : dc.Pixels()) EXPECT_NE(v, 3);

  // A script index without a script falls back to script 0.
  std::unique_ptr<TZmBevelInf> b = Bevel(0x10001);
  b->ScriptIndex = 4;
  dc.Clear(0);
  EXPECT_EQ(b->DrawBevel(dc, nullptr, 0, 0, 0, 9, 9), (TZmClientRect{1, 1, 8, 8}));
}

// Each built-in frame drawn at 12 x 12 ('#' OutColor, 'o' InColor, 'x' the
// brush), pinned after looking at them enlarged as a picture.
TEST(Bevel, BuiltInFramesAt12x12)
{
  static const struct {
    TZmClientRect client;
    const char* rows[12];
  } frames[15] = {
    {{0, 0, 11, 11},  // 0
     {"xxxxxxxxxxxx",
      "xxxxxxxxxxxx",
      "xxxxxxxxxxxx",
      "xxxxxxxxxxxx",
      "xxxxxxxxxxxx",
      "xxxxxxxxxxxx",
      "xxxxxxxxxxxx",
      "xxxxxxxxxxxx",
      "xxxxxxxxxxxx",
      "xxxxxxxxxxxx",
      "xxxxxxxxxxxx",
      "xxxxxxxxxxxx"}},
    {{1, 1, 10, 10},  // 1
     {"###########o",
      "#xxxxxxxxxxo",
      "#xxxxxxxxxxo",
      "#xxxxxxxxxxo",
      "#xxxxxxxxxxo",
      "#xxxxxxxxxxo",
      "#xxxxxxxxxxo",
      "#xxxxxxxxxxo",
      "#xxxxxxxxxxo",
      "#xxxxxxxxxxo",
      "#xxxxxxxxxxo",
      "oooooooooooo"}},
    {{2, 2, 9, 9},  // 2
     {"###########o",
      "##########oo",
      "##xxxxxxxxoo",
      "##xxxxxxxxoo",
      "##xxxxxxxxoo",
      "##xxxxxxxxoo",
      "##xxxxxxxxoo",
      "##xxxxxxxxoo",
      "##xxxxxxxxoo",
      "##xxxxxxxxoo",
      "#ooooooooooo",
      "oooooooooooo"}},
    {{3, 3, 8, 8},  // 3
     {"###########o",
      "##########oo",
      "#########ooo",
      "###xxxxxxooo",
      "###xxxxxxooo",
      "###xxxxxxooo",
      "###xxxxxxooo",
      "###xxxxxxooo",
      "###xxxxxxooo",
      "##oooooooooo",
      "#ooooooooooo",
      "oooooooooooo"}},
    {{2, 2, 9, 9},  // 4
     {"###########o",
      "#ooooooooo#o",
      "#oxxxxxxxx#o",
      "#oxxxxxxxx#o",
      "#oxxxxxxxx#o",
      "#oxxxxxxxx#o",
      "#oxxxxxxxx#o",
      "#oxxxxxxxx#o",
      "#oxxxxxxxx#o",
      "#oxxxxxxxx#o",
      "###########o",
      "oooooooooooo"}},
    {{3, 3, 8, 8},  // 5
     {"###########o",
      "#xxxxxxxxxxo",
      "#xooooooo#xo",
      "#xoxxxxxx#xo",
      "#xoxxxxxx#xo",
      "#xoxxxxxx#xo",
      "#xoxxxxxx#xo",
      "#xoxxxxxx#xo",
      "#xoxxxxxx#xo",
      "#x########xo",
      "#xxxxxxxxxxo",
      "oooooooooooo"}},
    {{4, 4, 7, 7},  // 6
     {"###########o",
      "#xxxxxxxxxxo",
      "#xxxxxxxxxxo",
      "#xxooooo#xxo",
      "#xxoxxxx#xxo",
      "#xxoxxxx#xxo",
      "#xxoxxxx#xxo",
      "#xxoxxxx#xxo",
      "#xx######xxo",
      "#xxxxxxxxxxo",
      "#xxxxxxxxxxo",
      "oooooooooooo"}},
    {{5, 5, 6, 6},  // 7
     {"###########o",
      "#xxxxxxxxxxo",
      "#xxxxxxxxxxo",
      "#xxxxxxxxxxo",
      "#xxxooo#xxxo",
      "#xxxoxx#xxxo",
      "#xxxoxx#xxxo",
      "#xxx####xxxo",
      "#xxxxxxxxxxo",
      "#xxxxxxxxxxo",
      "#xxxxxxxxxxo",
      "oooooooooooo"}},
    {{1, 1, 10, 10},  // 8
     {"xx########xx",
      "x#xxxxxxxx#x",
      "#xxxxxxxxxxo",
      "#xxxxxxxxxxo",
      "#xxxxxxxxxxo",
      "#xxxxxxxxxxo",
      "#xxxxxxxxxxo",
      "#xxxxxxxxxxo",
      "#xxxxxxxxxxo",
      "#xxxxxxxxxxo",
      "x#xxxxxxxxox",
      "xxooooooooxx"}},
    {{2, 2, 9, 9},  // 9
     {"xx########xx",
      "x##########x",
      "###xxxxxx#oo",
      "##xxxxxxxxoo",
      "##xxxxxxxxoo",
      "##xxxxxxxxoo",
      "##xxxxxxxxoo",
      "##xxxxxxxxoo",
      "##xxxxxxxxoo",
      "###xxxxxxooo",
      "x#ooooooooox",
      "xxooooooooxx"}},
    {{3, 3, 8, 8},  // 10
     {"xx########xx",
      "x##########x",
      "##########oo",
      "####xxxx#ooo",
      "###xxxxxxooo",
      "###xxxxxxooo",
      "###xxxxxxooo",
      "###xxxxxxooo",
      "####xxxxoooo",
      "###ooooooooo",
      "x#ooooooooox",
      "xxooooooooxx"}},
    {{3, 3, 8, 8},  // 11
     {"xx########xx",
      "x#xoooooox#x",
      "#xoxxxxxxoxo",
      "#oxxxxxxxx#o",
      "#oxxxxxxxx#o",
      "#oxxxxxxxx#o",
      "#oxxxxxxxx#o",
      "#oxxxxxxxx#o",
      "#oxxxxxxxx#o",
      "#xoxxxxxx#xo",
      "x#x######xox",
      "xxooooooooxx"}},
    {{4, 4, 7, 7},  // 12
     {"xx########xx",
      "x#xxxxxxxx#x",
      "#xxxooooxxxo",
      "#xxoxxxxoxxo",
      "#xoxxxxxx#xo",
      "#xoxxxxxx#xo",
      "#xoxxxxxx#xo",
      "#xoxxxxxx#xo",
      "#xxoxxxx#xxo",
      "#xxx####xxxo",
      "x#xxxxxxxxox",
      "xxooooooooxx"}},
    {{5, 5, 6, 6},  // 13
     {"xx########xx",
      "x#xxxxxxxx#x",
      "#xxxxxxxxxxo",
      "#xxxxooxxxxo",
      "#xxxoxxoxxxo",
      "#xxoxxxx#xxo",
      "#xxoxxxx#xxo",
      "#xxxoxx#xxxo",
      "#xxxx##xxxxo",
      "#xxxxxxxxxxo",
      "x#xxxxxxxxox",
      "xxooooooooxx"}},
    {{7, 7, 4, 4},  // 14
     {"xx########xx",
      "x#xxxxxxxx#x",
      "#xxxxxxxxxxo",
      "#xxxxxxxxxxo",
      "#xxxxo#xxxxo",
      "#xxxooooxxxo",
      "#xxx#oo#xxxo",
      "#xxxxo#xxxxo",
      "#xxxxxxxxxxo",
      "#xxxxxxxxxxo",
      "x#xxxxxxxxox",
      "xxooooooooxx"}},
  };
  for (int k = 0; k < 15; ++k) {
    TZmDC dc(12, 12);
    std::unique_ptr<TZmBevelInf> b = Bevel(0x10000 + k);
    EXPECT_EQ(b->DrawBevel(dc, nullptr, 0, 0, 0, 11, 11), frames[k].client) << k;
    EXPECT_EQ(Art(dc), std::vector<std::string>(frames[k].rows, frames[k].rows + 12)) << "bevel " << k;
  }
}
