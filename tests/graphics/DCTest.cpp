#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "DrawTestUtil.h"
#include "graphics/DC.h"

using Rows = std::vector<std::string>;

TEST(DC, CreateRefusesAbsurdSizes)
{
  for (auto [w, h] : {std::pair{0, 10}, {10, -1}, {TZmDC::MaxSide + 1, 1}, {100000, 100000}}) {
    TZmDC dc(w, h);
    EXPECT_FALSE(dc.Valid());
    EXPECT_TRUE(dc.Pixels().empty());
    Inks(dc, 1, 3, 1);
    dc.Rectangle(-5, -5, 50, 50);  // nothing to draw on, nothing breaks
    dc.Clear(7);
    EXPECT_EQ(dc.GetPixel(0, 0), 0xFFFF);
  }
  TZmDC dc(3, 2);
  EXPECT_TRUE(dc.Valid());
  EXPECT_EQ(dc.ClipRight(), 2);
  EXPECT_EQ(dc.ClipBottom(), 1);
}

TEST(DC, ClipAndClear)
{
  TZmDC dc(6, 4);
  dc.SetClip(1, 1, 3, 2);
  dc.Clear(1);  // ignores the clip
  EXPECT_EQ(CountSet(dc), 24);
  EXPECT_EQ(dc.GetPixel(0, 0), 0xFFFF);
  EXPECT_EQ(dc.GetPixel(1, 1), 1);
  dc.Clear(0);
  dc.SetPixel(0, 0, 1);
  dc.SetPixel(2, 2, 1);
  dc.HLine(-100, 100, 1, 2);
  dc.VLine(100, -100, 3, 3);
  EXPECT_EQ(Art(dc), (Rows{"......", ".oox..", "..#x..", "......"}));
  dc.SetClip(-10, -10, 100, 100);  // clamped to the surface
  EXPECT_EQ(dc.ClipLeft(), 0);
  EXPECT_EQ(dc.ClipRight(), 5);
  dc.SetClip(3, 0, 2, 3);  // inverted: clips everything
  dc.HLine(0, 5, 0, 1);
  EXPECT_EQ(Art(dc)[0], "......");
}

TEST(DC, BresenhamLines)
{
  struct Case {
    int x1, y1, x2, y2;
    Rows want;
  } cases[] = {
    {2, 1, 2, 1, {".....", "..#..", "....."}},
    {0, 0, 5, 2, {"##....", "..##..", "....##"}},
    {5, 2, 0, 0, {"##....", "..##..", "....##"}},
    {0, 0, 2, 5, {"#..", "#..", ".#.", ".#.", "..#", "..#"}},
    {0, 0, 3, 3, {"#...", ".#..", "..#.", "...#"}},
    {0, 2, 4, 0, {"...##", ".##..", "#...."}},
  };
  for (const Case& c : cases) {
    const int w = static_cast<int>(c.want[0].size()), h = static_cast<int>(c.want.size());
    TZmDC dc(w, h);
    Inks(dc);
    dc.Line(c.x1, c.y1, c.x2, c.y2);
    EXPECT_EQ(Art(dc), c.want) << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2;
  }
}

TEST(DC, LineWidthsAndCaps)
{
  {  // width 2: three pixels across
    TZmDC dc(7, 5);
    Inks(dc, 1, 2);
    dc.Line(1, 2, 5, 2);
    EXPECT_EQ(Art(dc), (Rows{".......", ".#####.", ".#####.", ".#####.", "......."}));
  }
  {  // width 4: five across, cap discs of radius 1 (3 x 3) at both ends
    TZmDC dc(14, 11);
    Inks(dc, 1, 4);
    dc.Line(5, 5, 8, 5);
    EXPECT_EQ(Art(dc, 3, 2, 8, 7), (Rows{"........", "..####..", ".######.", ".######.", ".######.", "..####..",
                                         "........"}));
  }
  {  // width 0: one pixel, and solid even with a dash style
    TZmDC dc(8, 1);
    Inks(dc, 3, 0);
    dc.Line(0, 0, 7, 0);
    EXPECT_EQ(Art(dc)[0], "########");
  }
  {  // steep thick lines spread horizontally
    TZmDC dc(5, 3);
    Inks(dc, 1, 3);
    dc.Line(2, 0, 2, 2);
    EXPECT_EQ(Art(dc), (Rows{".###.", ".###.", ".###."}));
  }
}

TEST(DC, DashesAndTheirContinuation)
{
  struct Case {
    int32_t style;
    std::string want;
  } cases[] = {
    {2, "####....####....####"},
    {3, ".#.#.#.#.#.#.#.#.#.#"},
    {4, "#####.#.#####.#.####"},
    {5, "###.#.#.###.#.#.###."},
    {99, "####################"},  // unknown styles draw solid
    {-4, "####################"},
  };
  for (const Case& c : cases) {
    TZmDC dc(20, 1);
    Inks(dc, c.style);
    dc.Line(0, 0, 19, 0);
    EXPECT_EQ(Art(dc)[0], c.want) << c.style;
  }
  // A polyline runs its dash on across its corners; single lines restart it.
  TZmDC dc(12, 2);
  Inks(dc, 2);
  const TZmDCPoint pts[] = {{0, 0}, {5, 0}, {5, 1}, {0, 1}};
  dc.Polyline(pts);
  EXPECT_EQ(Art(dc), (Rows{"####........", "..####......"}));
  EXPECT_FALSE(dc.DashContinue);
  TZmDC two(12, 1);
  Inks(two, 2);
  two.Line(0, 0, 5, 0);
  two.Line(6, 0, 11, 0);
  EXPECT_EQ(Art(two)[0], "####..####..");
}

TEST(DC, DashedRectangleGoesRoundOnce)
{
  TZmDC dc(5, 4);
  Inks(dc, 3);
  dc.Rectangle(0, 0, 4, 3);
  EXPECT_EQ(Art(dc), (Rows{".#.#.", "#...#", ".....", "#.#.#"}));
  EXPECT_FALSE(dc.DashContinue);
}

TEST(DC, RectangleFillAndBorder)
{
  {  // width 1 solid border around a solid fill
    TZmDC dc(5, 4);
    Inks(dc, 1, 1, 1);
    dc.Rectangle(4, 3, 0, 0);  // normalised
    EXPECT_EQ(Art(dc), (Rows{"#####", "#ooo#", "#ooo#", "#####"}));
  }
  {  // no pen, width 2: the fill is still inset by 2
    TZmDC dc(7, 6);
    Inks(dc, 0, 2, 1);
    dc.Rectangle(0, 0, 6, 5);
    EXPECT_EQ(Art(dc), (Rows{".......", ".......", "..ooo..", "..ooo..", ".......", "......."}));
  }
  {  // width 2 border: the vertical sides run between the bands
    TZmDC dc(6, 6);
    Inks(dc, 1, 2, 0);
    dc.Rectangle(0, 0, 5, 5);
    EXPECT_EQ(Art(dc), (Rows{"######", "######", "##..##", "##..##", "######", "######"}));
  }
  {  // width 0: fill to the edge, no border
    TZmDC dc(3, 2);
    Inks(dc, 1, 0, 1);
    dc.Rectangle(0, 0, 2, 1);
    EXPECT_EQ(Art(dc), (Rows{"ooo", "ooo"}));
  }
  {  // the pen as wide as the rectangle: no fill
    TZmDC dc(3, 3);
    Inks(dc, 0, 3, 1);
    dc.Rectangle(0, 0, 2, 2);
    EXPECT_EQ(CountSet(dc), 0);
  }
}

TEST(DC, PatternsAreAnchoredToTheSurface)
{
  TZmDC dc(10, 4);
  Inks(dc, 0, 0, 3);  // vertical line pattern 0x10: column 3 of every 8
  dc.FillSpan(0, 9, 0);
  dc.Brush.StyleIndex = 0x200 | 2;  // opaque horizontal: row 3 set, others background
  dc.FillSpan(9, 2, 3);
  dc.FillSpan(2, 9, 2);
  dc.Brush.StyleIndex = 8;  // "bsNone" still has its pattern: rows 2 and 6
  dc.FillSpan(0, 1, 2);
  dc.Brush.StyleIndex = 77;  // unknown pattern: solid
  dc.FillSpan(0, 4, 1);
  dc.Brush.StyleIndex = 1024;  // a gradient outside a rectangle is pattern 0: nothing
  dc.FillSpan(5, 9, 1);
  EXPECT_EQ(Art(dc), (Rows{"...o......", "ooooo.....", "ooxxxxxxxx", "..oooooooo"}));
}

TEST(DC, GradientRectangle)
{
  TZmDC dc(4, 5);
  dc.Pen = TZmDCPen{0, 0, 0, 0};
  dc.Brush = TZmDCBrush{0x0000, 1024, 0, 0xFFFF};
  dc.ColorFormat = 1;
  dc.Rectangle(0, 0, 3, 4);
  const uint16_t want[5] = {0x0000, 0x39E7, 0x7BEF, 0xBDF7, 0xFFFF};
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(dc.RawPixel(x, y), want[y]) << x << "," << y;

  // Kind 3 runs from both sides to the middle, twice as fast.
  TZmDC mid(5, 2);
  mid.Pen = TZmDCPen{0, 0, 0, 0};
  mid.Brush = TZmDCBrush{0x0000, 1027, 0, 0xFFFF};
  mid.ColorFormat = 1;
  mid.Rectangle(0, 0, 4, 1);
  for (int y = 0; y < 2; ++y) {
    EXPECT_EQ(mid.RawPixel(0, y), 0);
    EXPECT_EQ(mid.RawPixel(4, y), 0);
    EXPECT_EQ(mid.RawPixel(1, y), 0x7BEF);
    EXPECT_EQ(mid.RawPixel(3, y), 0x7BEF);
    EXPECT_EQ(mid.RawPixel(2, y), 0xFFFF);
  }

  // Height equal to twice the pen width: no interior at all.
  TZmDC flat(8, 5);
  flat.Pen = TZmDCPen{0, 0, 2, 0};
  flat.Brush = TZmDCBrush{0xFFFF, 1024, 0, 0xFFFF};
  flat.Rectangle(0, 0, 7, 4);
  EXPECT_EQ(CountSet(flat), 0);

  // The hit-test context fills gradients solid.
  TZmDC hit(3, 3);
  hit.Pen = TZmDCPen{0, 0, 0, 0};
  hit.Brush = TZmDCBrush{2, 1026, 0, 0};
  hit.SolidGradients = true;
  hit.Rectangle(0, 0, 2, 2);
  EXPECT_EQ(Art(hit), (Rows{"ooo", "ooo", "ooo"}));
  EXPECT_EQ(hit.Brush.StyleIndex, 1026);
}

TEST(DC, EllipseQuarterWalk)
{
  TZmDC dc(7, 5);
  Inks(dc);
  dc.Ellipse(0, 0, 6, 4);
  EXPECT_EQ(Art(dc), (Rows{".#####.", "#.....#", "#.....#", "#.....#", ".#####."}));

  TZmDC filled(7, 5);
  Inks(filled, 0, 1, 1);
  filled.Ellipse(0, 0, 6, 4);
  EXPECT_EQ(Art(filled), (Rows{".ooooo.", "ooooooo", "ooooooo", "ooooooo", ".ooooo."}));
}

TEST(DC, ThickEllipseHasNoGapsBetweenRings)
{
  TZmDC dc(41, 31);
  Inks(dc, 1, 4);
  dc.Ellipse(0, 0, 40, 30);
  // Along every row and column through the ring band the ring is solid:
  // walking inward from the outside, the first set pixel starts a run of
  // at least the pen width.
  for (int y = 3; y < 28; ++y) {
    int x = 0;
    while (x < 41 && dc.RawPixel(x, y) == 0)
      ++x;
    ASSERT_LT(x, 41);
    int run = 0;
    while (x < 41 && dc.RawPixel(x, y) != 0)
      ++run, ++x;
    EXPECT_GE(run, 4) << y;
  }
  // The centre stays empty.
  EXPECT_EQ(dc.RawPixel(20, 15), 0);
}

TEST(DC, RoundRectCorners)
{
  TZmDC dc(9, 7);
  Inks(dc, 1, 1, 1);
  dc.RoundRect(0, 0, 8, 6, 2, 2);
  EXPECT_EQ(Art(dc), (Rows{".#######.", "#ooooooo#", "#ooooooo#", "#ooooooo#", "#ooooooo#", "#ooooooo#",
                           ".#######."}));
}

TEST(DC, PolygonFill)
{
  {  // the lower end row of an edge is not filled by the scan
    TZmDC dc(7, 6);
    Inks(dc, 0, 1, 1);
    const TZmDCPoint square[] = {{1, 1}, {5, 1}, {5, 4}, {1, 4}};
    dc.Polygon(square);
    EXPECT_EQ(Art(dc), (Rows{".......", ".ooooo.", ".ooooo.", ".ooooo.", ".......", "......."}));
  }
  {
    TZmDC dc(5, 5);
    Inks(dc, 0, 1, 1);
    const TZmDCPoint tri[] = {{0, 0}, {4, 4}, {0, 4}};
    dc.Polygon(tri);
    EXPECT_EQ(Art(dc), (Rows{"o....", "oo...", "ooo..", "oooo.", "....."}));
  }
  {  // the outline is the polyline of the points: it does not close by itself
    TZmDC dc(5, 5);
    Inks(dc, 1, 1, 1);
    const TZmDCPoint tri[] = {{0, 0}, {4, 4}, {0, 4}};
    dc.Polygon(tri);
    EXPECT_EQ(Art(dc), (Rows{"#....", "o#...", "oo#..", "ooo#.", "#####"}));
  }
  {  // more points than any screen object has: outlined, not filled
    TZmDC dc(40, 40);
    Inks(dc, 1, 1, 1);
    std::vector<TZmDCPoint> many;
    for (size_t i = 0; i <= TZmDC::MaxFilledPoints; ++i)
      many.push_back({static_cast<int32_t>(20 + (i % 2 ? 15 : 14)), static_cast<int32_t>(5 + i % 30)});
    many.push_back({5, 35});
    many.push_back({5, 5});
    dc.Polygon(many);
    EXPECT_EQ(dc.RawPixel(20, 20), 0);
    EXPECT_EQ(dc.RawPixel(5, 20), 1);
  }
  {  // fewer than two points: nothing
    TZmDC dc(3, 3);
    Inks(dc, 1, 1, 1);
    const TZmDCPoint one[] = {{1, 1}};
    dc.Polygon(one);
    dc.Polyline(one);
    EXPECT_EQ(CountSet(dc), 0);
  }
}

TEST(DC, ArcsPiesChords)
{
  {  // a quarter arc of radius 5: the truncated table steps, end angle 90 left out
    TZmDC dc(12, 12);
    Inks(dc);
    dc.Arc(0, 0, 10, 10, 0, 90);
    EXPECT_EQ(Art(dc, 4, 0, 7, 7), (Rows{".......", ".###...", "....#..", ".....#.", ".....#.", ".....##", "......."}));
  }
  {  // start = end: no arc points
    TZmDC dc(20, 20);
    Inks(dc);
    dc.Arc(0, 0, 19, 19, 45, 45);
    EXPECT_EQ(CountSet(dc), 0);
  }
  {  // 350 -> 10 wraps through 0: a short arc on the right
    TZmDC dc(40, 40);
    Inks(dc);
    dc.Arc(0, 0, 39, 39, 350, 10);
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 30; ++x)
        ASSERT_EQ(dc.RawPixel(x, y), 0) << x << "," << y;
    EXPECT_EQ(dc.RawPixel(38, 19), 1);  // angle 0: (cx + a, cy), a = (39 - 1 + 1) >> 1
    EXPECT_GT(CountSet(dc), 5);
  }
  {  // out-of-range angles are reduced, the walk ends
    TZmDC a(40, 40), b(40, 40);
    Inks(a);
    Inks(b);
    a.Arc(0, 0, 39, 39, 800, 10);
    b.Arc(0, 0, 39, 39, 80, 10);
    EXPECT_EQ(Art(a), Art(b));
    a.Pie(0, 0, 39, 39, -2000000000, 2000000000);
    a.Chord(0, 0, 39, 39, INT32_MIN, INT32_MAX);
  }
  {  // pie without brush: centre, arc, centre
    TZmDC dc(21, 21);
    Inks(dc);
    dc.Pie(0, 0, 20, 20, 0, 90);
    EXPECT_EQ(dc.RawPixel(10, 10), 1);
    for (int x = 10; x <= 20; ++x)
      EXPECT_EQ(dc.RawPixel(x, 10), 1) << x;
    for (int y = 1; y <= 10; ++y)  // angle 89 is the last arc point, at (10, 1)
      EXPECT_EQ(dc.RawPixel(10, y), 1) << y;
    EXPECT_EQ(dc.RawPixel(10, 0), 0);
    EXPECT_EQ(dc.RawPixel(14, 7), 0);  // inside stays empty
  }
  {  // a filled chord closes on its first point
    TZmDC dc(21, 21);
    Inks(dc, 1, 1, 1);
    dc.Chord(0, 0, 20, 20, 0, 180);
    EXPECT_EQ(dc.RawPixel(10, 5), 2);
    EXPECT_EQ(dc.RawPixel(10, 15), 0);
  }
}

TEST(DC, EllipsePointAndSineTable)
{
  // With radii 16384 the point coordinates are the table entries.
  for (int d = 0; d <= 90; ++d) {
    const TZmDCPoint p = TZmDC::EllipsePoint(0, 0, 16384, 16384, d);
    int want = static_cast<int>(std::floor(std::sin(d * M_PI / 180) * 16384 + 0.5));
    if (d == 47)
      want = 11983;  // the one entry that is not the rounded sine
    EXPECT_EQ(-p.Y, want) << d;
    EXPECT_EQ(TZmDC::EllipsePoint(0, 0, 16384, 16384, 90 - d).X, want) << d;
  }
  struct Case {
    int angle;
    TZmDCPoint want;
  } cases[] = {
    {0, {110, 50}}, {90, {100, 30}}, {180, {90, 50}}, {270, {100, 70}}, {30, {108, 40}},
    {-90, {100, 70}}, {450, {100, 30}}, {135, {93, 36}}, {225, {93, 64}}, {315, {107, 64}},
  };
  for (const Case& c : cases) {
    const TZmDCPoint p = TZmDC::EllipsePoint(100, 50, 10, 20, c.angle);
    EXPECT_EQ(p.X, c.want.X) << c.angle;
    EXPECT_EQ(p.Y, c.want.Y) << c.angle;
  }
}

TEST(DC, AngleOf)
{
  struct Case {
    int dx, dy, want;
  } cases[] = {
    {1, 0, 0}, {-5, 0, 180}, {0, 3, 90}, {0, -3, 270}, {0, 0, 90}, {1, 1, 45}, {-1, 1, 134},
    {1, -1, 314}, {-1, -1, 225}, {10, 1, 5}, {1, 1000, 89}, {-1000000, -1, 180},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TZmDC::AngleOf(c.dx, c.dy), c.want) << c.dx << "," << c.dy;
}

TEST(DC, BlendOverlays)
{
  TZmDC dc(4, 3);
  dc.Clear(0xFFFF);
  dc.SetBlend(0xFFFFFF, 0);
  dc.BlendPixel(0, 0);
  EXPECT_EQ(dc.RawPixel(0, 0), 0xFFDF);  // only the lowest green bit goes
  dc.SetBlend(0x0000FF, 50);             // red overlay at half strength
  EXPECT_EQ(dc.BlendRed, 15);
  EXPECT_EQ(dc.BlendGreen, 0);
  EXPECT_EQ(dc.BlendKeep, 50);
  dc.BlendPixel(1, 0);
  // red: trunc(31 * 0.5 + 15) = 30; green, blue: trunc(15.5) = 15
  EXPECT_EQ(dc.RawPixel(1, 0), 30 << 11 | 15 << 6 | 15);
  dc.BlendPixel(-1, 0);
  dc.BlendPixel(4, 0);

  TZmDC line(40, 1);
  line.SetBlend(0xFFFFFF, 100);
  line.BlendHLine(39, 0, 0, 0xF0000000);  // dash pattern from the left end
  EXPECT_EQ(Art(line, 0, 0, 10, 1)[0], "????......");
  EXPECT_EQ(line.RawPixel(32, 0), 0xFFDF);  // wraps after 32 pixels
  line.Clear(0);
  line.BlendHLine(100, 200, 0, 0xFFFFFFFF);  // wholly off the surface: nothing
  EXPECT_EQ(CountSet(line), 0);

  TZmDC frame(5, 4);
  frame.SetBlend(0xFFFFFF, 100);
  frame.BlendFrame(0, 0, 4, 3);
  EXPECT_EQ(Art(frame), (Rows{".???.", "?...?", "?...?", ".???."}));
  frame.Clear(0);
  frame.BlendFill(0, 0, 4, 3);
  EXPECT_EQ(Art(frame), (Rows{".....", ".???.", ".???.", "....."}));
  frame.Clear(0);
  frame.BlendFill(0, 0, 1, 3);  // no inside: nothing
  EXPECT_EQ(CountSet(frame), 0);
  frame.SetClip(2, 2, 2, 2);  // overlays ignore the clip
  frame.BlendOutline(0, 0, 4, 3, 1);
  EXPECT_EQ(Art(frame), (Rows{".???.", "?????", "?????", ".???."}));
}

TEST(DC, AlphaBlit)
{
  TZmDC dc(4, 3);
  dc.Clear(0);
  const uint16_t bmp[] = {0xFFFF, 0, 0xF800, 0x001F};
  dc.AlphaBlit(bmp, 2, 2, 1, 1, 50);
  EXPECT_EQ(dc.RawPixel(1, 1), 15 << 11 | 15 << 6 | 15);
  EXPECT_EQ(dc.RawPixel(2, 1), 0);  // transparent source pixel
  EXPECT_EQ(dc.RawPixel(1, 2), 15 << 11);
  EXPECT_EQ(dc.RawPixel(2, 2), 15);
  // Clipped on every side, whatever the position.
  for (auto [x, y] : {std::pair{-1, -1}, {3, 2}, {-2000000000, 5}, {2000000000, 2000000000}, {INT32_MIN, INT32_MAX}})
    dc.AlphaBlit(bmp, 2, 2, x, y, 100);
  EXPECT_EQ(dc.RawPixel(0, 0), 0x001F);  // the last source pixel of the (-1,-1) copy
  EXPECT_EQ(dc.RawPixel(3, 2), 0xFFFF & ~0x20);
  dc.AlphaBlit(bmp, 3, 2, 0, 0, 100);  // claims more pixels than it has: refused
  dc.AlphaBlit(bmp, -2, 2, 0, 0, 100);
}

TEST(DC, IdentityColoursForHitTesting)
{
  struct Collector : TZmIdentitySource {
    int32_t N = 0;
    int32_t IdentityCount() const override { return N; }
  } ids;
  TZmDC dc(4, 4);
  dc.Colors.ColorFormat = 7;
  dc.Colors.ColorBit = 1;
  ids.N = 3;
  dc.SelectPen(TZmDCPen{1, 1, 1, 0}, &ids, 0);
  dc.SelectBrush(TZmDCBrush{0, 0x205, 0, 1}, &ids, 0);
  EXPECT_EQ(dc.Pen.Color, 0xF002u);
  EXPECT_EQ(dc.Brush.Color, 0xF002u);
  EXPECT_EQ(dc.Brush.ExtColor, 0xF002u);
  EXPECT_EQ(dc.Brush.StyleIndex, 0x205);
  dc.Rectangle(0, 0, 3, 3);
  for (uint16_t v : dc.Pixels())
    EXPECT_EQ(v, 0xF002);
  // Without a collector the model converts: 1 is black on a format 7 panel.
  dc.SelectPen(TZmDCPen{1, 1, 2, 0}, nullptr, 0);
  dc.SelectBrush(TZmDCBrush{0, 1, 0, 1}, nullptr, 0);
  EXPECT_EQ(dc.Pen.Color, 0u);
  EXPECT_EQ(dc.Pen.Width, 2);
  EXPECT_EQ(dc.Brush.Color, 0xFFFFu);
  EXPECT_EQ(dc.Brush.ExtColor, 0u);
}

TEST(DC, PointMarkers)
{
  TZmDC dc(9, 9);
  dc.DrawPointMarker(1, 1, 0, 1);  // a plus
  EXPECT_EQ(Art(dc), (Rows{".........", "....#....", "....#....", "....#....", ".#######.", "....#....",
                           "....#....", "....#....", "........."}));
  dc.Clear(0);
  dc.DrawPointMarker(1, 1, 33, 1);  // unknown: nothing
  dc.DrawPointMarker(1, 1, -1, 1);
  dc.DrawPointMarker(INT32_MAX, INT32_MIN, 11, 1);
  EXPECT_EQ(CountSet(dc), 0);
  dc.DrawPointMarker(-3, -3, 11, 1);  // partly outside: clipped
  EXPECT_EQ(CountSet(dc), 16);
}

// Ellipse centres truncate ((l + r) / 2) while arc centres floor
// ((l + r) >> 1): moved across x = 0, only the arc keeps its shape.
TEST(DC, TruncatingAndFlooringCentres)
{
  auto draw = [](bool arc, int dx) {
    auto dc = std::make_unique<TZmDC>(20, 9);
    Inks(*dc);
    if (arc)
      dc->Arc(-5 + dx, 0, 4 + dx, 8, 0, 359);
    else
      dc->Ellipse(-5 + dx, 0, 4 + dx, 8);
    return dc;
  };
  EXPECT_EQ(Art(*draw(true, 0), 0, 0, 5, 9), Art(*draw(true, 10), 10, 0, 5, 9));
  EXPECT_NE(Art(*draw(false, 0), 0, 0, 5, 9), Art(*draw(false, 10), 10, 0, 5, 9));
  EXPECT_EQ(Art(*draw(false, 0), 0, 0, 5, 9), Art(*draw(false, 10), 9, 0, 5, 9));  // centre 0, then 9
}
