// Glyph tables and glyph strings of the texts in an image.
#include <gtest/gtest.h>

#include <memory>

#include "compiler/Compiler.h"
#include "compiler/FontResources.h"
#include "graphics/Text.h"
#include "graphics/TextRaster.h"

namespace {

struct Texts {
  TZmCompileDriver c;
  TZmFixedCellRasterizer cells{10, 12};
  std::vector<std::unique_ptr<TZmMultiText>> texts;
  Texts() { c.Fonts->Rasterizer = &cells; }
  TZmMultiText* Add(const std::string& text, int32_t size = 9)
  {
    texts.emplace_back(NewObject<TZmMultiText>());
    texts.back()->SetText(text);
    texts.back()->Font().Size = size;
    return texts.back().get();
  }
  // Writes the texts' records and resources; returns the image words.
  std::vector<uint8_t> Compile()
  {
    for (auto& t : texts) t->WriteROM(c);
    c.Resources.WriteAll(c);
    return c.Output().Buffer();
  }
};

std::vector<uint16_t> GlyphsAt(const std::vector<uint8_t>& img, uint32_t at)
{
  std::vector<uint16_t> g(GetU32(&img[at]));
  for (size_t i = 0; i < g.size(); ++i) g[i] = GetU16(&img[at + 4 + 2 * i]);
  return g;
}

}  // namespace

TEST(FontResources, GlyphCutting)
{
  bool rtl;
  EXPECT_EQ(CutGlyphs(U"AB", rtl).size(), 2u);
  EXPECT_FALSE(rtl);
  auto marks = CutGlyphs(U"a\u0301\u0323b", rtl);  // a base letter with two combining marks
  ASSERT_EQ(marks.size(), 2u);
  EXPECT_EQ(marks[0].size(), 3u);
  EXPECT_EQ(CutGlyphs(U"\u0301x", rtl).size(), 1u);  // a mark with no base is dropped
  auto mixed = CutGlyphs(U"\u0645\u0631\u062d\u0628\u0627\nOK", rtl);
  EXPECT_TRUE(rtl);
  ASSERT_EQ(mixed.size(), 4u);  // the Arabic line whole, the break, then O and K
  EXPECT_EQ(mixed[0].size(), 5u);
  EXPECT_EQ(mixed[1], U"\n");
}

TEST(FontResources, GlyphStringsAndTables)
{
  Texts t;
  TZmMultiText* ab = t.Add("AB");
  t.Add("ABC");
  t.Add("\xC3\xA9\xC3\xA8");  // two letters above 127: glyphs 128 and 129
  t.Add("AB", 12);             // the same text in another font
  auto img = t.Compile();
  // Each multi-text record holds its font and glyph-string references first.
  auto record = [&](size_t i) { return static_cast<uint32_t>(36 * i); };
  EXPECT_EQ(GlyphsAt(img, GetU32(&img[record(0) + 4])), (std::vector<uint16_t>{65, 66}));
  uint32_t abc = GetU32(&img[record(1) + 4]);
  EXPECT_EQ(GlyphsAt(img, abc), (std::vector<uint16_t>{65, 66, 67}));
  EXPECT_EQ(GetU16(&img[abc + 4 + 6]), 0);  // odd count: one padding number
  EXPECT_EQ(GlyphsAt(img, GetU32(&img[record(2) + 4])), (std::vector<uint16_t>{128, 129}));
  uint32_t font9 = GetU32(&img[record(0)]), font12 = GetU32(&img[record(3)]);
  EXPECT_EQ(GetU32(&img[record(1)]), font9);  // one table per font
  EXPECT_NE(font9, font12);
  EXPECT_NE(GetU32(&img[record(3) + 4]), GetU32(&img[record(0) + 4]));  // AB twice: two glyph strings
  ASSERT_EQ(t.c.Fonts->Fonts.size(), 2u);
  // Font record: height, first glyph 4, count, slots, glyphs of width then bits.
  EXPECT_EQ(GetU32(&img[font9 + 4]), 4u);
  uint32_t count = GetU32(&img[font9 + 8]);
  EXPECT_EQ(count, 124u + 2);
  uint32_t glyphA = GetU32(&img[font9 + 12 + 4 * (65 - 4)]);
  uint32_t glyphB = GetU32(&img[font9 + 12 + 4 * (66 - 4)]);
  EXPECT_EQ(GetU32(&img[glyphA]), 10u);  // width of a 10 x 12 cell
  EXPECT_EQ(glyphB - glyphA, 4u + 4 * 4);  // 120 bits take four words
  EXPECT_GT(t.c.FontBytes, 0u);
  (void)ab;
}
