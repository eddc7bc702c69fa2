#include <gtest/gtest.h>

#include "graphics/Color.h"

namespace {

uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }

}  // namespace

// The dither matrix must be the Bayer matrix built by the recursive rule
// M(2n) = [[4M, 4M+2], [4M+3, 4M+1]], scaled by 4.
TEST(Color, DitherMatrixIsRecursiveBayer)
{
  int m[8][8] = {{0}};
  int n = 1;
  while (n < 8) {
    int next[8][8] = {{0}};
    for (int y = 0; y < n; ++y)
      for (int x = 0; x < n; ++x) {
        next[y][x] = 4 * m[y][x];
        next[y][x + n] = 4 * m[y][x] + 2;
        next[y + n][x] = 4 * m[y][x] + 3;
        next[y + n][x + n] = 4 * m[y][x] + 1;
      }
    n *= 2;
    for (int y = 0; y < n; ++y)
      for (int x = 0; x < n; ++x)
        m[y][x] = next[y][x];
  }
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(DitherMatrix[y][x], 4 * m[y][x]) << y << "," << x;
}

// Every stored value of the formats that can hold it survives the way to
// 24-bit RGB and back.
TEST(Color, ExhaustiveRoundTrips)
{
  for (uint32_t v = 0; v <= 0xFFFF; ++v)
    ASSERT_EQ(RGBToPanel(1, PanelToRGB(1, v), 0, 0), v) << v;
  for (uint32_t v = 0; v <= 0xFF; ++v) {
    ASSERT_EQ(RGBToPanel(2, PanelToRGB(2, v), 0, 0), v) << v;
    ASSERT_EQ(RGBToPanel(3, PanelToRGB(3, v), 0, 0), v) << v;
  }
  for (uint32_t v = 0; v < 16; ++v)
    EXPECT_EQ(RGBToPanel(4, PanelToRGB(4, v), 0, 0), v) << v;
  for (int32_t f : {6, 7, 8})
    for (uint32_t v : {0u, 1u})
      for (int32_t row = 0; row < 8; ++row)
        for (int32_t col = 0; col < 8; ++col)
          EXPECT_EQ(RGBToPanel(f, PanelToRGB(f, v), row, col), v) << f;
  for (uint32_t rgb : {0u, 0x123456u, 0xFFFFFFu})
    EXPECT_EQ(RGBToPanel(0, PanelToRGB(0, rgb), 0, 0), rgb);
  // RGB565 survives the surface widening used for text and the simulator.
  for (uint32_t v = 0; v <= 0xFFFF; ++v)
    ASSERT_EQ(RGBToRGB565(RGB565ToRGB(static_cast<uint16_t>(v))), v) << v;
}

// PanelToRGB565 of the small formats is the RGB value cut to 5/6/5 bits.
TEST(Color, SurfaceColourIsTheCutRgb)
{
  for (int32_t f : {2, 3, 4, 5})
    for (uint32_t v = 0; v <= 0xFF; ++v)
      ASSERT_EQ(PanelToRGB565(f, v), RGBToRGB565(PanelToRGB(f, v))) << f << " " << v;
}

TEST(Color, KnownValues)
{
  struct Case {
    const char* what;
    uint32_t got, want;
  } cases[] = {
    // A 24-bit stored colour (0x00BBGGRR) becomes its RGB565, not its low half.
    {"fmt0 red", PanelToRGB565(0, 0x0000FF), 0xF800},
    {"fmt0 blue", PanelToRGB565(0, 0xFF0000), 0x001F},
    {"fmt0 keeps 24 bits", PanelToRGB(0, 0xAB123456), 0x123456},
    {"fmt1 replicate", PanelToRGB(1, 0x0841), Rgb(8, 8, 8)},
    {"fmt1 max green", PanelToRGB(1, 0x07E0), Rgb(0, 255, 0)},
    {"fmt2 white", PanelToRGB(2, 0xFF), 0xFFFFFF},
    {"fmt2 red3=5", PanelToRGB(2, 5 << 5), Rgb(36 * 5 | 2, 0, 0)},
    {"fmt2 blue1", PanelToRGB(2, 1), Rgb(0, 0, 0x55)},
    {"fmt3 r", PanelToRGB(3, 0x0A), Rgb(170, 0, 0)},
    {"fmt3 g", PanelToRGB(3, 0x30), Rgb(0, 51, 0)},
    {"fmt4 grey", PanelToRGB(4, 0x17), 0x777777},
    {"fmt5 red", PanelToRGB(5, 3), Rgb(51, 0, 0)},
    {"fmt5 565", PanelToRGB565(5, 15), 0xF800},
    {"fmt6 one", PanelToRGB565(6, 1), 0xFFFF},
    {"fmt7 one", PanelToRGB565(7, 1), 0},
    {"fmt7 zero", PanelToRGB565(7, 0), 0xFFFF},
    {"fmt8 as is", PanelToRGB565(8, 1), 1},
    {"fmt8 rgb", PanelToRGB(8, 1), 0},
    {"unknown as 565", PanelToRGB565(12, 0x1234), 0x1234},
    {"to565", RGBToRGB565(Rgb(0xFF, 0x80, 0x08)), 0xF800 | 0x20 << 5 | 1},
    {"widen zero", RGB565ToRGB(0), 0},
    {"widen low", RGB565ToRGB(0x0821), Rgb(15, 7, 15)},
    {"widen max", RGB565ToRGB(0xFFFF), 0xFFFFFF},
    {"fmt2 from rgb", RGBToPanel(2, Rgb(0xE0, 0xE0, 0xC0), 0, 0), 0xFF},
    {"fmt3 from rgb", RGBToPanel(3, Rgb(0xA0, 0x50, 0xFF), 0, 0), 0x5A},
    {"fmt4 luma", RGBToPanel(4, Rgb(255, 255, 255), 0, 0), 15},
    {"fmt5 luma of red", RGBToPanel(5, Rgb(255, 0, 0), 0, 0), (77 * 255) >> 12},
    {"convert 565 white to fmt7", ConvertPanelColor(1, 7, 0xFFFF), 0},
    {"convert fmt7 black to 565", ConvertPanelColor(7, 1, 1), 0},
    {"convert same format", ConvertPanelColor(3, 3, 0x1234), 0x1234},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.got, c.want) << c.what;
}

// Mid grey: format 7 thresholds it away, format 6 dithers half the cells on,
// in the matrix's own arrangement.
TEST(Color, MidGreyDitherDependsOnPosition)
{
  const uint32_t grey = 0x808080;  // L >> 8 == 128
  int on6 = 0;
  for (int32_t row = 0; row < 8; ++row)
    for (int32_t col = 0; col < 8; ++col) {
      const uint32_t v = RGBToPanel(6, grey, row, col);
      EXPECT_EQ(v, DitherMatrix[row][col] < 128 ? 1u : 0u);
      on6 += static_cast<int>(v);
      EXPECT_EQ(RGBToPanel(7, grey, row, col), 0u);
      EXPECT_EQ(RGBToPanel(8, 0x7F7F7F, row, col), 1u);
    }
  EXPECT_EQ(on6, 32);
  EXPECT_EQ(RGBToPanel(6, grey, 0, 0), 1u);
  EXPECT_EQ(RGBToPanel(6, grey, 0, 1), 0u);
  EXPECT_EQ(RGBToPanel(6, grey, 9, 8), RGBToPanel(6, grey, 1, 0));  // cells repeat every 8
}

TEST(Color, GradientQuantisation)
{
  struct Case {
    int32_t format;
    uint32_t r, g, b;
    uint16_t want;
  } cases[] = {
    {1, 63, 63, 63, 0x39E7},
    {0, 63, 63, 63, 0x39E7},   // 24-bit panels show the colours as format 1
    {9, 127, 127, 127, 0x7BEF},
    {2, 0xFF, 0xFF, 0xFF, static_cast<uint16_t>(((7 * 36) & 0xF8) << 8 | 0xFC << 3 | (3 * 21) >> 1)},
    {2, 0x40, 0x40, 0x40, static_cast<uint16_t>(((2 * 36) & 0xF8) << 8 | (0x40 | 0x08) << 3 | 21 >> 1)},
    {3, 0xA5, 0x5A, 0xFF, static_cast<uint16_t>((0xAA / 8) << 11 | (0x55 / 4) << 5)},
    {4, 0x9F, 0, 0, static_cast<uint16_t>((0x99 / 4) << 5 | (0x99 / 8) << 11 | 0x99 / 8)},
    {5, 0x9F, 0xFF, 0xFF, static_cast<uint16_t>((0x99 / 8) << 11)},
    {6, 0x80, 0, 0, 1},
    {7, 0x7F, 0xFF, 0xFF, 0},
    {8, 0xFF, 0, 0, 1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(QuantiseGradient(c.format, c.r, c.g, c.b), c.want) << c.format << " " << c.r;
}

TEST(Color, PaletteColourOfAModel)
{
  TZmPanelColors mono;
  mono.ColorBit = 1;
  mono.ColorFormat = 7;
  mono.SceneOption = 1;
  mono.Palette = {0xFFFFFF, 0x000000, 0x0000FF, 0xFF0000};
  EXPECT_EQ(mono.PaletteColor(0, 0), 0xFFFF);
  EXPECT_EQ(mono.PaletteColor(1, 0), 0x0000);
  EXPECT_EQ(mono.PaletteColor(1, 2), 0xF800);  // scene option moves index 1 to entry 2
  EXPECT_EQ(mono.PaletteColor(1, 3), 0x001F);
  EXPECT_EQ(mono.PaletteColor(1, 6), 0xF800);  // only the low two bits of the mode count
  EXPECT_EQ(mono.PaletteColor(3, 0), 0x0000);  // masked to one bit first
  EXPECT_EQ(mono.PaletteEntry(1, 2), 0x0000FFu);
  EXPECT_FALSE(mono.PaletteEntry(7, 0).has_value());

  mono.SceneOption = 0;
  EXPECT_EQ(mono.PaletteColor(1, 2), 0x0000);

  TZmPanelColors noPalette;
  noPalette.ColorBit = 1;
  noPalette.ColorFormat = 7;
  EXPECT_EQ(noPalette.PaletteColor(1, 0), 0x0000);
  EXPECT_EQ(noPalette.PaletteColor(0, 0), 0xFFFF);

  TZmPanelColors wide;
  wide.ColorBit = 32;  // no mask, and no shift by 32
  wide.ColorFormat = 0;
  EXPECT_EQ(wide.PaletteColor(0x00FF0000, 0), 0x001F);
}
