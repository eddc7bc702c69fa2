#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "DrawTestUtil.h"
#include "graphics/DC.h"
#include "graphics/FontRaster.h"
#include "graphics/TextRaster.h"

using Rows = std::vector<std::string>;

namespace {

// Cells 2 wide and 2 high: each printable character is a 1 x 2 bar.
struct FixedText : ::testing::Test {
  TZmFixedCellRasterizer Raster{2, 2};
  TZmDC DC{12, 8};
  TZmTextStyle Style;

  void SetUp() override
  {
    DC.Text = &Raster;
    Style.Color = 1;
  }
  Rows Draw(int32_t align, const char* text, int32_t l, int32_t t, int32_t r, int32_t b, bool multi = true,
            int32_t option = 0)
  {
    DC.Clear(0);
    Style.Align = align;
    Style.Option = option;
    Style.Text = text;
    DC.DrawText(0, l, t, r, b, Style, nullptr, multi, {});
    return Art(DC);
  }
};

}  // namespace

TEST_F(FixedText, Alignment)
{
  struct Case {
    int32_t align;
    Rows want;
  } cases[] = {
    {0, {"#.#.........", "#.#.........", "............", "............", "............", "............",
         "............", "............"}},
    {1, {"....#.#.....", "....#.#.....", "............", "............", "............", "............",
         "............", "............"}},
    {2, {"........#.#.", "........#.#.", "............", "............", "............", "............",
         "............", "............"}},
    {4, {"............", "............", "............", "....#.#.....", "....#.#.....", "............",
         "............", "............"}},
    {8, {"............", "............", "............", "............", "............", "............",
         "........#.#.", "........#.#."}},
    {42, {"#.#.........", "#.#.........", "............", "............", "............", "............",
          "............", "............"}},  // out of range: top left
  };
  for (const Case& c : cases)
    EXPECT_EQ(Draw(c.align, "AB", 0, 0, 11, 7), c.want) << c.align;
}

TEST_F(FixedText, WrappingAndLines)
{
  // Width limit right - left + 2 = 5: "AB" fits (4), "C" would make 6.
  EXPECT_EQ(Draw(0, "ABCD", 0, 0, 3, 7), (Rows{"#.#.........", "#.#.........", "#.#.........", "#.#.........",
                                               "............", "............", "............", "............"}));
  // No wrap: one line, cut at the rectangle's right edge.
  EXPECT_EQ(Draw(0, "ABCD", 0, 0, 2, 7, true, 1)[0], "#.#.........");
  // Two lines with multi-line off: the block decides the position, only the first is drawn.
  EXPECT_EQ(Draw(3, "A\nB", 0, 0, 11, 7, false),
            (Rows{"............", "............", "#...........", "#...........", "............", "............",
                  "............", "............"}));
  EXPECT_EQ(Draw(3, "A\r\nB", 0, 0, 11, 7, true),
            (Rows{"............", "............", "#...........", "#...........", "#...........", "#...........",
                  "............", "............"}));
  // Centred lines each find their own x.
  EXPECT_EQ(Draw(1, "ABC\rA", 0, 0, 11, 7)[2], ".....#......");
  // A single character wider than the limit still stays on its line.
  EXPECT_EQ(Draw(0, "AB", 0, 0, -1, 7)[0], "............");  // normalised to 0..0: A alone is 1 px wide
}

TEST_F(FixedText, InverseIdentityAndClip)
{
  // Inverse: the inclusive rectangle is filled with the colour, the text
  // drawn in the complement of the stored value.
  EXPECT_EQ(Draw(0, "AB", 2, 1, 6, 3, true, 0x8000),
            (Rows{"............", "..?#?##.....", "..?#?##.....", "..#####.....", "............", "............",
                  "............", "............"}));
  EXPECT_EQ(DC.RawPixel(2, 1), 0xFFFE);

  struct Ids : TZmIdentitySource {
    int32_t IdentityCount() const override { return 5; }
  } ids;
  DC.Clear(0);
  Style.Option = 0x8000;
  DC.DrawText(0, 0, 0, 3, 1, Style, &ids, true, "AB");
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(DC.RawPixel(x, y), 0xF004);

  // The context's clip still applies.
  DC.Clear(0);
  DC.SetClip(0, 0, 2, 7);
  Style.Option = 0;
  DC.DrawText(0, 0, 0, 11, 7, Style, nullptr, true, "ABC");
  EXPECT_EQ(Art(DC)[0], "#.#.........");
  EXPECT_EQ(DC.ClipRight(), 2);  // restored after drawing
}

TEST_F(FixedText, CharactersMarksAndPairs)
{
  struct Case {
    const char* text;
    const char* row;
  } cases[] = {
    {"A\tB", "#.#........."},              // control codes take no room
    {"A\xCC\x81" "B", "#.#........."},     // a mark sits on its base
    {"\xCC\x81" "A", "#.#........."},      // a mark without a base keeps its own cell
    {"A\xF0\x9F\x98\x80" "B", "#.#.#......."},  // a pair is one character
    {"A\xED\xA0\xBD\xED\xB8\x80" "B", "#.#.#......."},  // also when its halves were encoded one by one
  };
  for (const Case& c : cases)
    EXPECT_EQ(Draw(0, c.text, 0, 0, 11, 7, true, 1)[0], c.row) << c.text;
}

TEST_F(FixedText, Measure)
{
  struct Case {
    const char* text;
    int32_t w, h;
  } cases[] = {
    {"AB\nABC", 6, 4}, {"", 0, 2}, {"\n", 0, 4}, {"A\n\nAB", 4, 6}, {"A\xCC\x81", 2, 2},
  };
  for (const Case& c : cases) {
    Style.Text = c.text;
    const TZmTextSize s = DC.MeasureText(Style, {});
    EXPECT_EQ(s.Width, c.w) << c.text;
    EXPECT_EQ(s.Height, c.h) << c.text;
  }
  Style.Text = "ignored";
  EXPECT_EQ(DC.MeasureText(Style, "A").Width, 2);
}

TEST(FontRaster, PixelSizesAndLanguages)
{
  struct Case {
    int32_t points, px;
  } cases[] = {{0, 11}, {8, 11}, {-8, 11}, {10, 13}, {12, 16}, {-72, 96}, {INT32_MIN, INT32_MAX}};
  for (const Case& c : cases)
    EXPECT_EQ(FontPixelSize(c.points), c.px) << c.points;
  EXPECT_STREQ(CharsetLanguage(128), "ja");
  EXPECT_STREQ(CharsetLanguage(204), "ru");
  EXPECT_STREQ(CharsetLanguage(238), "pl");
  EXPECT_EQ(CharsetLanguage(0), nullptr);
  EXPECT_EQ(CharsetLanguage(1), nullptr);
}

namespace {

TZmFontSpec Sans(int32_t size = 8, uint8_t style = 0) { return TZmFontSpec{"DejaVu Sans", size, 0, style}; }

TZmGlyphRun Render(TZmTextRasterizer& r, const TZmFontSpec& font, std::u32string_view text)
{
  TZmGlyphRun run;
  EXPECT_TRUE(r.SelectFont(font));
  r.RenderRun(text, run);
  return run;
}

bool Same(const TZmGlyphRun& a, const TZmGlyphRun& b)
{
  return a.Left == b.Left && a.Top == b.Top && a.Width == b.Width && a.Height == b.Height && a.Mask == b.Mask;
}

}  // namespace

TEST(FontRaster, KnownMetricsOfTheBundledFont)
{
  TZmFontRasterizer r;
  ASSERT_TRUE(r.Ready());
  ASSERT_TRUE(r.SelectFont(Sans()));
  EXPECT_NE(r.FaceFileFor(U'A').find("DejaVuSans.ttf"), std::string::npos) << r.FaceFileFor(U'A');
  EXPECT_EQ(r.Advance(U'A'), 7);
  EXPECT_EQ(r.Advance(U'i'), 3);
  EXPECT_EQ(r.LineHeight(), 14);  // ascender 11 + descender 3
  EXPECT_EQ(r.Advance(U'\t'), 0);
  EXPECT_EQ(r.RunWidth(U"AiA"), 17);
  EXPECT_EQ(r.RunWidth(U"AV"), r.Advance(U'A') + r.Advance(U'V'));  // no kerning
  EXPECT_EQ(r.RunWidth(U"A\x0301"), 7);  // the mark adds no width after its base
  TZmGlyphRun tab;
  r.RenderRun(U"\t\r", tab);
  EXPECT_TRUE(std::none_of(tab.Mask.begin(), tab.Mask.end(), [](uint8_t v) { return v != 0; }));
  // A character no font has draws the best face's .notdef box.
  EXPECT_GT(r.Advance(U'\U0010FFFD'), 0);
  // Sizes no panel could show are refused.
  EXPECT_FALSE(r.SelectFont(Sans(100000)));
  EXPECT_EQ(r.LineHeight(), 0);
}

TEST(FontRaster, SamePixelsEveryTimeWhateverTheEnvironment)
{
  const std::u32string text = U"Kestrava 0123 \u00C4\u00D6\u00DC gy@W";
  TZmFontRasterizer first;
  const TZmGlyphRun a = Render(first, Sans(10), text);
  const TZmGlyphRun a2 = Render(first, Sans(10), text);
  EXPECT_TRUE(Same(a, a2));
  TZmFontRasterizer second;
  EXPECT_TRUE(Same(a, Render(second, Sans(10), text)));

  const char* old = std::getenv("FREETYPE_PROPERTIES");
  const std::string saved = old ? old : "";
  setenv("FREETYPE_PROPERTIES", "truetype:interpreter-version=38 cff:hinting-engine=freetype cff:no-stem-darkening=0 autofitter:no-stem-darkening=0", 1);
  TZmFontRasterizer other;
  const TZmGlyphRun b = Render(other, Sans(10), text);
  if (old)
    setenv("FREETYPE_PROPERTIES", saved.c_str(), 1);
  else
    unsetenv("FREETYPE_PROPERTIES");
  EXPECT_TRUE(Same(a, b));
  int on = 0;
  for (uint8_t v : a.Mask)
    on += v;
  EXPECT_GT(on, 100);
}

TEST(FontRaster, StylesChangeThePixels)
{
  TZmFontRasterizer r;
  const TZmGlyphRun plain = Render(r, Sans(10), U"Hello");
  const TZmGlyphRun bold = Render(r, Sans(10, 1), U"Hello");
  const TZmGlyphRun italic = Render(r, Sans(10, 2), U"Hello");
  const TZmGlyphRun under = Render(r, Sans(10, 4), U"Hello");
  EXPECT_FALSE(Same(plain, bold));
  EXPECT_FALSE(Same(plain, italic));
  ASSERT_EQ(under.Width, plain.Width);
  // The underline is one solid row across the run below the baseline.
  int full = 0;
  for (int32_t y = 0; y < under.Height; ++y) {
    bool solid = true;
    for (int32_t x = -under.Left; x < -under.Left + r.RunWidth(U"Hello"); ++x)
      solid = solid && under.At(x, y);
    full += solid;
  }
  EXPECT_GE(full, 1);
}

TEST(FontRaster, FallsBackForOtherScripts)
{
  TZmFontRasterizer r;
  ASSERT_TRUE(r.SelectFont(TZmFontSpec{"DejaVu Sans", 12, 134, 0}));
  const std::string face = r.FaceFileFor(U'\u4E2D');
  EXPECT_FALSE(face.empty());
  EXPECT_EQ(face.find("DejaVu"), std::string::npos) << face;
  EXPECT_GT(r.Advance(U'\u4E2D'), 8);
}

TEST(FontRaster, RightToLeftLinesAreDrawnInVisualOrder)
{
  TZmFontRasterizer r;
  TZmTextStyle style;
  style.Font = Sans(12);
  style.Color = 1;
  style.Align = 0;
  style.Option = 1;
  TZmDC line(80, 24), parts(80, 24);
  line.Text = &r;
  parts.Text = &r;
  // Hebrew has no joining forms: the line is its letters mirrored in order.
  line.DrawText(0, 0, 0, 79, 23, style, nullptr, true, "\xD7\x90\xD7\x91");
  ASSERT_TRUE(r.SelectFont(style.Font));
  const int32_t bet = r.Advance(U'\u05D1');
  parts.DrawText(0, 0, 0, 79, 23, style, nullptr, true, "\xD7\x91");
  parts.DrawText(0, bet, 0, 79, 23, style, nullptr, true, "\xD7\x90");
  EXPECT_EQ(Art(line), Art(parts));
  EXPECT_GT(CountSet(line), 10);

  // Arabic letters join: the shaped pair is not two isolated letters.
  TZmDC joined(80, 24), isolated(80, 24);
  joined.Text = &r;
  isolated.Text = &r;
  joined.DrawText(0, 0, 0, 79, 23, style, nullptr, true, "\xD8\xA8\xD8\xA8");
  ASSERT_TRUE(r.SelectFont(style.Font));
  const int32_t beh = r.Advance(U'\u0628');
  isolated.DrawText(0, 0, 0, 79, 23, style, nullptr, true, "\xD8\xA8");
  isolated.DrawText(0, beh, 0, 79, 23, style, nullptr, true, "\xD8\xA8");
  EXPECT_NE(Art(joined), Art(isolated));
}

// A combining mark attaches above its base: same width, the base's pixels
// kept, every extra pixel above the base letter.
TEST(FontRaster, CombiningMarkSitsOnItsBase)
{
  TZmFontRasterizer r;
  const TZmGlyphRun base = Render(r, Sans(12), U"e");
  const TZmGlyphRun marked = Render(r, Sans(12), U"e\u0301");
  EXPECT_EQ(r.RunWidth(U"e\u0301"), r.Advance(U'e'));
  auto set = [](const TZmGlyphRun& g) {
    std::set<std::pair<int, int>> px;
    for (int32_t y = 0; y < g.Height; ++y)
      for (int32_t x = 0; x < g.Width; ++x)
        if (g.At(x, y))
          px.insert({x + g.Left, y + g.Top});
    return px;
  };
  const auto a = set(base), b = set(marked);
  int topOfE = 1000;
  for (auto [x, y] : a)
    topOfE = std::min(topOfE, y);
  int extra = 0;
  for (auto p : b) {
    if (a.count(p))
      continue;
    ++extra;
    EXPECT_LT(p.second, topOfE) << p.first << "," << p.second;
  }
  for (auto p : a)
    EXPECT_TRUE(b.count(p));
  EXPECT_GT(extra, 0);
  // Decomposed and precomposed letters come out alike in width.
  EXPECT_EQ(r.RunWidth(U"e\u0301e\u0301"), r.RunWidth(U"\u00E9\u00E9"));
}
