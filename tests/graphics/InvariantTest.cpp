// Properties that must hold for any shape: checked over seeded random
// shapes, including coordinates and widths far outside any screen.
#include <gtest/gtest.h>

#include <random>

#include "DrawTestUtil.h"
#include "graphics/DC.h"

using Rows = std::vector<std::string>;

// The rasteriser's documented edge cases, one row each.
TEST(DCEdgeCases, Table)
{
  struct Case {
    const char* what;
    void (*draw)(TZmDC&);
    int pixels;
  } cases[] = {
    {"a line from a point to itself is one pixel", [](TZmDC& dc) { dc.Line(3, 3, 3, 3); }, 1},
    {"width 2 lines are 3 pixels thick", [](TZmDC& dc) { Inks(dc, 1, 2); dc.Line(2, 5, 9, 5); }, 8 * 3},
    {"width 4 lines get caps of radius 1", [](TZmDC& dc) { Inks(dc, 1, 4); dc.Line(5, 5, 8, 5); }, 4 * 5 + 6},
    {"width 0 is one pixel and solid", [](TZmDC& dc) { Inks(dc, 2, 0); dc.Line(0, 0, 9, 0); }, 10},
    {"a pen of width 0 draws no rectangle border", [](TZmDC& dc) { Inks(dc, 1, 0); dc.Rectangle(0, 0, 9, 9); }, 0},
    {"a dashed rectangle draws each corner once", [](TZmDC& dc) { Inks(dc, 3); dc.Rectangle(0, 0, 4, 3); }, 7},
    {"arc with start = end draws nothing", [](TZmDC& dc) { dc.Arc(0, 0, 15, 15, 10, 10); }, 0},
    {"gradient as high as twice the pen width has no interior",
     [](TZmDC& dc) { Inks(dc, 0, 2, 1024); dc.Brush.Color = 1; dc.Rectangle(0, 0, 9, 4); }, 0},
    {"no pen, width 2: fill inset by 2", [](TZmDC& dc) { Inks(dc, 0, 2, 1); dc.Rectangle(0, 0, 6, 5); }, 3 * 2},
    {"pen style 0 draws no outline", [](TZmDC& dc) { Inks(dc, 0, 3); dc.Ellipse(0, 0, 9, 9); dc.Line(0, 0, 9, 9); }, 0},
    {"brush style 0 fills nothing", [](TZmDC& dc) { Inks(dc, 0, 1, 0); dc.RoundRect(0, 0, 9, 9, 2, 2); }, 0},
    {"clear paints outside the clip", [](TZmDC& dc) { dc.SetClip(2, 2, 3, 3); dc.Clear(1); }, 16 * 16},
  };
  for (const Case& c : cases) {
    TZmDC dc(16, 16);
    Inks(dc);
    c.draw(dc);
    EXPECT_EQ(CountSet(dc), c.pixels) << c.what;
  }
}

TEST(DCInvariants, LinePixelCountAndBounds)
{
  std::mt19937 rng(12345);
  std::uniform_int_distribution<int> coord(0, 199);
  for (int n = 0; n < 300; ++n) {
    TZmDC dc(200, 200);
    Inks(dc);
    const int x1 = coord(rng), y1 = coord(rng), x2 = coord(rng), y2 = coord(rng);
    dc.Line(x1, y1, x2, y2);
    ASSERT_EQ(CountSet(dc), std::max(std::abs(x2 - x1), std::abs(y2 - y1)) + 1) << x1 << "," << y1 << " " << x2 << "," << y2;
    // Drawn the other way round, a line covers the same rows and columns.
    TZmDC back(200, 200);
    Inks(back);
    back.Line(x2, y2, x1, y1);
    ASSERT_EQ(CountSet(back), CountSet(dc));
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 200; ++x)
        if (dc.RawPixel(x, y)) {
          ASSERT_TRUE(x >= std::min(x1, x2) && x <= std::max(x1, x2) && y >= std::min(y1, y2) && y <= std::max(y1, y2));
        }
  }
}

TEST(DCInvariants, OutlinesStayInsideTheirRectangle)
{
  std::mt19937 rng(777);
  std::uniform_int_distribution<int> coord(0, 99), width(0, 9), style(0, 5), brush(0, 47);
  for (int n = 0; n < 300; ++n) {
    TZmDC dc(100, 100);
    int l = coord(rng), t = coord(rng), r = coord(rng), b = coord(rng);
    Inks(dc, style(rng), width(rng), brush(rng));
    switch (n % 3) {
    case 0: dc.Ellipse(l, t, r, b); break;
    case 1: dc.Rectangle(l, t, r, b); break;
    default: dc.RoundRect(l, t, r, b, width(rng), width(rng)); break;
    }
    if (l > r)
      std::swap(l, r);
    if (t > b)
      std::swap(t, b);
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 100; ++x)
        if (dc.RawPixel(x, y)) {
          ASSERT_TRUE(x >= l && x <= r && y >= t && y <= b)
            << "shape " << n % 3 << " (" << l << "," << t << "," << r << "," << b << ") pen " << dc.Pen.Width << " at "
            << x << "," << y;
        }
  }
}

TEST(DCInvariants, ConvexFillsHaveNoHoles)
{
  std::mt19937 rng(4242);
  std::uniform_int_distribution<int> coord(0, 79);
  for (int n = 0; n < 300; ++n) {
    TZmDC dc(80, 80);
    Inks(dc, 0, 1, 1);
    const TZmDCPoint tri[] = {{coord(rng), coord(rng)}, {coord(rng), coord(rng)}, {coord(rng), coord(rng)}};
    if (n % 2)
      dc.Polygon(tri);
    else
      dc.Ellipse(tri[0].X, tri[0].Y, tri[1].X, tri[1].Y);
    for (int y = 0; y < 80; ++y) {
      int first = -1, last = -1, count = 0;
      for (int x = 0; x < 80; ++x)
        if (dc.RawPixel(x, y)) {
          if (first < 0)
            first = x;
          last = x;
          ++count;
        }
      ASSERT_TRUE(first < 0 || count == last - first + 1) << "shape " << n << " row " << y;
    }
  }
  // A rectangle given as a polygon fills its rows down to, not including, the bottom.
  TZmDC dc(20, 20);
  Inks(dc, 0, 1, 1);
  const TZmDCPoint quad[] = {{3, 4}, {12, 4}, {12, 9}, {3, 9}};
  dc.Polygon(quad);
  EXPECT_EQ(CountSet(dc), 10 * 5);
}

TEST(DCInvariants, NothingOutsideTheClip)
{
  std::mt19937 rng(99);
  std::uniform_int_distribution<int> small(-60, 160), style(-1, 7), width(0, 40), pick(0, 99);
  std::uniform_int_distribution<int> any(INT32_MIN, INT32_MAX);
  const uint16_t sentinel = 0x1234;
  for (int n = 0; n < 400; ++n) {
    TZmDC dc(100, 80);
    dc.Clear(sentinel);
    const int cl = pick(rng) % 50, ct = pick(rng) % 40;
    dc.SetClip(cl, ct, cl + pick(rng) % 50, ct + pick(rng) % 40);
    auto c = [&]() { return pick(rng) < 10 ? any(rng) : small(rng); };
    Inks(dc, style(rng), pick(rng) < 5 ? any(rng) : width(rng), pick(rng) % 3 == 0 ? 1024 + pick(rng) % 5 : style(rng) * 80);
    dc.ColorFormat = pick(rng) % 10;
    switch (n % 9) {
    case 0: dc.Line(c(), c(), c(), c()); break;
    case 1: dc.Rectangle(c(), c(), c(), c()); break;
    case 2: dc.Ellipse(c(), c(), c(), c()); break;
    case 3: dc.RoundRect(c(), c(), c(), c(), c(), c()); break;
    case 4: dc.Arc(c(), c(), c(), c(), c(), c()); break;
    case 5: dc.Pie(c(), c(), c(), c(), c(), c()); break;
    case 6: dc.Chord(c(), c(), c(), c(), c(), c()); break;
    case 7: {
      const TZmDCPoint pts[] = {{c(), c()}, {c(), c()}, {c(), c()}, {c(), c()}, {c(), c()}};
      dc.Polygon(pts);
      break;
    }
    default: {
      const uint16_t bmp[6] = {1, 2, 3, 4, 5, 6};
      dc.AlphaBlit(bmp, 3, 2, c(), c(), pick(rng));
      dc.DrawPointMarker(c(), c(), pick(rng) % 40, 7);
      dc.FillSpan(c(), c(), c());
      break;
    }
    }
    for (int y = 0; y < 80; ++y)
      for (int x = 0; x < 100; ++x)
        if (x < dc.ClipLeft() || x > dc.ClipRight() || y < dc.ClipTop() || y > dc.ClipBottom()) {
          ASSERT_EQ(dc.RawPixel(x, y), sentinel) << "case " << n << " at " << x << "," << y;
        }
  }
}

// Values a stored project could hold: they finish, and what reaches the
// surface is what the shape covers there (no wrapped coordinate or width
// that draws elsewhere or nothing).
TEST(DCInvariants, HugeShapesStayBounded)
{
  auto count = [](const TZmDC& dc, uint16_t v) {
    int n = 0;
    for (uint16_t p : dc.Pixels()) n += p == v;
    return n;
  };
  constexpr int all = 64 * 48;
  struct Case {
    const char* what;
    void (*draw)(TZmDC&);
    int pen, brush;  // pixels of the pen's and the brush's colour
  } cases[] = {
      {"an ellipse around the surface fills it",
       [](TZmDC& dc) { dc.Ellipse(-2000000000, -2000000000, 2000000000, 2000000000); }, 0, all},
      {"a flat wide ellipse covers every row", [](TZmDC& dc) { dc.Ellipse(-40000, -30, 40000, 60); }, 0, all},
      {"a round rectangle of the whole range with huge corners fills it",
       [](TZmDC& dc) { dc.RoundRect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX); }, 0, all},
      {"a line across the whole range is one pixel per column", [](TZmDC& dc) { dc.Line(INT32_MIN, 0, INT32_MAX, 10); }, 64, 0},
      {"a pen of the largest width covers the surface",
       [](TZmDC& dc) {
         dc.Pen.Width = INT32_MAX;
         dc.Line(0, 0, 30, 30);
       },
       all, 0},
      {"a rectangle around the surface fills it", [](TZmDC& dc) { dc.Rectangle(-5, -5, 70, 70); }, 0, all},
      {"an arc far outside draws nothing", [](TZmDC& dc) { dc.Arc(-100000, -100000, 100000, 100000, 0, 359); }, 0, 0},
      {"a big circle around the surface fills it", [](TZmDC& dc) { dc.Ellipse(-30000, -30000, 30000, 30000); }, 0, all},
  };
  for (const Case& c : cases) {
    TZmDC dc(64, 48);
    Inks(dc, 1, 1, 1);
    c.draw(dc);
    EXPECT_EQ(count(dc, 1), c.pen) << c.what;
    EXPECT_EQ(count(dc, 2), c.brush) << c.what;
  }
  // A triangle with corners a million pixels away: filled above its long
  // edge, which crosses the surface near row 22, and empty below it.
  TZmDC dc(64, 48);
  Inks(dc, 1, 1, 1);
  const TZmDCPoint far[] = {{-1000000, 5}, {1000000, 40}, {20000, -300000}};
  dc.Polygon(far);
  for (int x : {0, 32, 63}) {
    EXPECT_EQ(dc.RawPixel(x, 0), 2) << x;
    EXPECT_EQ(dc.RawPixel(x, 15), 2) << x;
    EXPECT_EQ(dc.RawPixel(x, 30), 0) << x;
    EXPECT_EQ(dc.RawPixel(x, 47), 0) << x;
  }
  EXPECT_EQ(count(dc, 1), 64);  // the long edge, one pixel per column
}
