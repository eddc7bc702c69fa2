#include "graphics/DC.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "graphics/StyleTables.h"
#include "graphics/TextRaster.h"

TZmTextRasterizer* DefaultTextRasterizer();  // FontRaster.cpp

namespace {

// Coordinates and radii are held to 16 bits and pen widths to 0..65535 so
// that every intermediate fits its type and no loop runs away; inside these
// limits the results are those of plain 32-bit arithmetic.
constexpr int32_t CoordLimit = 32767;
int32_t Coord(int32_t v) { return std::clamp(v, -CoordLimit, CoordLimit); }
int32_t PenWidthOf(int32_t w) { return std::clamp(w, 0, 65535); }

// sin(d) * 16384 rounded half up, d = 0..90 degrees; 47 is one above.
const uint16_t SineTable[91] = {
  0, 286, 572, 857, 1143, 1428, 1713, 1997, 2280, 2563, 2845, 3126, 3406, 3686, 3964, 4240,
  4516, 4790, 5063, 5334, 5604, 5872, 6138, 6402, 6664, 6924, 7182, 7438, 7692, 7943, 8192, 8438,
  8682, 8923, 9162, 9397, 9630, 9860, 10087, 10311, 10531, 10749, 10963, 11174, 11381, 11585, 11786, 11983,
  12176, 12365, 12551, 12733, 12911, 13085, 13255, 13421, 13583, 13741, 13894, 14044, 14189, 14330, 14466, 14598,
  14726, 14849, 14968, 15082, 15191, 15296, 15396, 15491, 15582, 15668, 15749, 15826, 15897, 15964, 16026, 16083,
  16135, 16182, 16225, 16262, 16294, 16322, 16344, 16362, 16374, 16382, 16384,
};

int32_t Sign(int32_t v) { return (v > 0) - (v < 0); }
int32_t Mod360(int32_t a) { return ((a % 360) + 360) % 360; }

void Normalise(int32_t& left, int32_t& top, int32_t& right, int32_t& bottom)
{
  left = Coord(left);
  top = Coord(top);
  right = Coord(right);
  bottom = Coord(bottom);
  if (left > right)
    std::swap(left, right);
  if (top > bottom)
    std::swap(top, bottom);
}

// Midpoint stepping of a width-1 line, both end points visited.
template <class F>
void StepLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, F visit)
{
  int32_t dx = x2 - x1, dy = y2 - y1;
  int32_t sx = Sign(dx), sy = Sign(dy);
  int32_t ax = std::abs(dx), ay = std::abs(dy);
  int32_t x = x1, y = y1;
  if (ax < ay) {
    int32_t err = ay / 2;
    for (int32_t i = 0; i <= ay; ++i) {
      visit(x, y);
      err += ax;
      if (err >= ay) {
        err -= ay;
        x += sx;
      }
      y += sy;
    }
  } else {
    int32_t err = ax / 2;
    for (int32_t i = 0; i <= ax; ++i) {
      visit(x, y);
      err += ay;
      if (err >= ax) {
        err -= ax;
        y += sy;
      }
      x += sx;
    }
  }
}

// The quarter walk shared by ellipses, rounded corners and cap discs.
// lowerY runs before region 1 lowers y, raiseX before region 2 raises x.
template <class Visit, class LowerY, class RaiseX>
void QuarterWalk(int64_t a, int64_t b, bool capDisc, Visit visit, LowerY lowerY, RaiseX raiseX)
{
  const int64_t A = a * a, B = b * b;
  int64_t x = 0, y = b, px = 0, py = 2 * A * b, p = B - A * b + A / 4;
  while (capDisc ? px <= py : px < py) {
    visit(x, y);
    if (p > 0) {
      lowerY(x, y);
      y -= 1;
      p += 2 * A - py;
      py -= 2 * A;
    }
    x += 1;
    p += 3 * B + px;
    px += 2 * B;
  }
  if (capDisc)
    return;
  p += ((3 * (A - B)) / 2 - py - px) / 2;
  while (y >= 0) {
    visit(x, y);
    if (p < 0) {
      raiseX(x, y);
      x += 1;
      p += px + 2 * B;
      px += 2 * B;
    }
    y -= 1;
    p += 3 * A - py;
    py -= 2 * A;
  }
}

auto NoStep = [](int64_t, int64_t) {};

// Unknown patterns act as the solid one.
const uint8_t* PatternOf(int32_t index)
{
  const uint8_t* p = BrushStylePattern(index);
  return p ? p : BrushStylePattern(1);
}

int32_t Sat32(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

}  // namespace

uint16_t IdentityColor(const TZmIdentitySource& ids)
{
  return static_cast<uint16_t>(0xF000u | static_cast<uint32_t>(ids.IdentityCount() - 1));
}

TZmDC::TZmDC(int32_t width, int32_t height)
{
  if (width > 0 && height > 0 && width <= MaxSide && height <= MaxSide) {
    W = width;
    H = height;
    Surface.assign(static_cast<size_t>(W) * H, 0);
  }
  ResetClip();
  MakeBlendTables();
}

TZmDC::~TZmDC() = default;

uint16_t TZmDC::RawPixel(int32_t x, int32_t y) const
{
  if (x < 0 || y < 0 || x >= W || y >= H)
    return 0;
  return Surface[static_cast<size_t>(y) * W + x];
}

void TZmDC::SetClip(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
  CL = std::max(left, 0);
  CT = std::max(top, 0);
  CR = std::min(right, W - 1);
  CB = std::min(bottom, H - 1);
}

void TZmDC::ResetClip()
{
  CL = 0;
  CT = 0;
  CR = W - 1;
  CB = H - 1;
}

void TZmDC::Clear(uint16_t color) { std::fill(Surface.begin(), Surface.end(), color); }

bool TZmDC::CopyPixelsFrom(const TZmDC& from)
{
  if (from.W != W || from.H != H) return false;
  std::copy(from.Surface.begin(), from.Surface.end(), Surface.begin());
  return true;
}

void TZmDC::SetPixel(int32_t x, int32_t y, uint16_t color)
{
  if (InClip(x, y))
    Put(x, y, color);
}

uint16_t TZmDC::GetPixel(int32_t x, int32_t y) const
{
  return InClip(x, y) ? Surface[static_cast<size_t>(y) * W + x] : 0xFFFF;
}

void TZmDC::HLine(int32_t x1, int32_t x2, int32_t y, uint16_t color)
{
  if (y < CT || y > CB)
    return;
  if (x1 > x2)
    std::swap(x1, x2);
  int32_t s = std::max(x1, CL), e = std::min(x2, CR);
  if (s > e)
    return;
  const auto row = Surface.begin() + static_cast<std::ptrdiff_t>(y) * W;
  std::fill(row + s, row + e + 1, color);
}

void TZmDC::VLine(int32_t y1, int32_t y2, int32_t x, uint16_t color)
{
  if (x < CL || x > CR)
    return;
  if (y1 > y2)
    std::swap(y1, y2);
  int32_t s = std::max(y1, CT), e = std::min(y2, CB);
  for (int32_t y = s; y <= e; ++y)
    Put(x, y, color);
}

void TZmDC::FillSpan(int32_t x1, int32_t x2, int32_t y)
{
  const int32_t style = Brush.StyleIndex;
  if (style == 0)
    return;
  const uint16_t color = static_cast<uint16_t>(Brush.Color);
  // Style 1 is pattern 1 (all set); negative styles are unknown, so solid too.
  if (style == 1 || style < 0) {
    HLine(x1, x2, y, color);
    return;
  }
  if (y < CT || y > CB)
    return;
  if (x1 > x2)
    std::swap(x1, x2);
  const uint8_t row = PatternOf(style & 0x1FF)[y & 7];
  const bool opaque = (style & 0x200) != 0;
  const uint16_t back = static_cast<uint16_t>(Brush.ExtColor);
  int32_t s = std::max(x1, CL), e = std::min(x2, CR);
  for (int32_t x = s; x <= e; ++x) {
    if (row & (0x80 >> (x & 7)))
      Put(x, y, color);
    else if (opaque)
      Put(x, y, back);
  }
}

void TZmDC::WidthOneLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, bool dashed, uint16_t mask16)
{
  const uint16_t color = static_cast<uint16_t>(Pen.Color);
  if (!dashed) {
    StepLine(x1, y1, x2, y2, [&](int32_t x, int32_t y) { SetPixel(x, y, color); });
    return;
  }
  uint16_t bit = DashContinue ? DashMask : 0x8000;
  if (bit == 0)
    bit = 0x8000;
  StepLine(x1, y1, x2, y2, [&](int32_t x, int32_t y) {
    if (mask16 & bit)
      SetPixel(x, y, color);
    bit = bit == 1 ? 0x8000 : static_cast<uint16_t>(bit >> 1);
  });
  if (DashContinue)
    DashMask = bit;
}

void TZmDC::CapDisc(int32_t px, int32_t py, int32_t r)
{
  const uint16_t c = static_cast<uint16_t>(Pen.Color);
  QuarterWalk(
    r, r, true,
    [&](int64_t x64, int64_t y64) {
      int32_t x = static_cast<int32_t>(x64), y = static_cast<int32_t>(y64);
      HLine(px - x, px + x, py + y, c);
      HLine(px - x, px + x, py - y, c);
      HLine(px - y, px + y, py + x, c);
      HLine(px - y, px + y, py - x, c);
    },
    NoStep, NoStep);
}

void TZmDC::Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
  if (Pen.StyleIndex == 0)
    return;
  x1 = Coord(x1);
  y1 = Coord(y1);
  x2 = Coord(x2);
  y2 = Coord(y2);
  const int32_t w = PenWidthOf(Pen.Width);
  if (w == 1) {
    // Unknown dash styles draw solid.
    const uint32_t* mask = Pen.StyleIndex >= 2 ? PenStyleMask(Pen.StyleIndex) : nullptr;
    WidthOneLine(x1, y1, x2, y2, mask != nullptr, mask ? static_cast<uint16_t>(*mask & 0xFFFF) : 0xFFFF);
    return;
  }
  const int32_t h = w / 2;
  const uint16_t c = static_cast<uint16_t>(Pen.Color);
  const bool steep = std::abs(x2 - x1) < std::abs(y2 - y1);
  StepLine(x1, y1, x2, y2, [&](int32_t x, int32_t y) {
    if (steep)
      HLine(x - h, x + h, y, c);
    else
      VLine(y - h, y + h, x, c);
  });
  if (w >= 4) {
    CapDisc(x1, y1, w / 2 - 1);
    CapDisc(x2, y2, w / 2 - 1);
  }
}

void TZmDC::Polyline(std::span<const TZmDCPoint> points)
{
  if (points.size() < 2)
    return;
  const bool saved = DashContinue;
  DashContinue = true;
  DashMask = 0x8000;
  for (size_t i = 0; i + 1 < points.size(); ++i)
    Line(points[i].X, points[i].Y, points[i + 1].X, points[i + 1].Y);
  DashContinue = saved;
}

void TZmDC::Polygon(std::span<const TZmDCPoint> points)
{
  const size_t n = points.size();
  if (n < 2)
    return;
  // The scan is rows x active edges; a polygon of more points than any
  // screen object has is outlined only, so stored data cannot make it crawl.
  if (Brush.StyleIndex != 0 && n <= MaxFilledPoints) {
    struct Edge {
      int32_t YMin, YMax;
      int64_t X, Slope, Extra, Key;
      int64_t SortKey() const { return X + Extra / 2; }
    };
    std::vector<Edge> table;
    table.reserve(n);
    for (size_t i = 0; i < n; ++i) {
      const TZmDCPoint& a = points[(i + n - 1) % n];
      const TZmDCPoint& b = points[i];
      TZmDCPoint pa{Coord(a.X), Coord(a.Y)}, pb{Coord(b.X), Coord(b.Y)};
      if (pa.Y == pb.Y)
        continue;
      const TZmDCPoint& up = pa.Y < pb.Y ? pa : pb;
      const TZmDCPoint& lo = pa.Y < pb.Y ? pb : pa;
      Edge e;
      e.YMin = up.Y;
      e.YMax = lo.Y - 1;
      // Q18 fixed point; the 64-bit products match 32-bit ones wherever those fit.
      e.Slope = (static_cast<int64_t>(lo.X - up.X) * 0x40000) / (lo.Y - up.Y);
      e.X = static_cast<int64_t>(up.X) * 0x40000 + 0x1FFFF;
      if (e.Slope < 0 && e.Slope + 0x40000 < 0)
        e.X += e.Slope + 0x40000;
      const int64_t mag = std::abs(e.Slope);
      e.Extra = mag > 0x40000 ? mag - 0x40000 : 0;
      e.Key = e.X + (e.Slope + e.Extra) / 2;
      table.push_back(e);
    }
    // Each new edge goes before the first one whose ymin is not smaller:
    // ascending ymin, later edges first among equals.
    std::reverse(table.begin(), table.end());
    std::stable_sort(table.begin(), table.end(), [](const Edge& a, const Edge& b) { return a.YMin < b.YMin; });
    if (!table.empty()) {
      int32_t ymin = table.front().YMin, ymax = table.front().YMax;
      for (const Edge& e : table)
        ymax = std::max(ymax, e.YMax);
      std::vector<Edge> active;
      size_t next = 0;
      ymax = std::min(ymax, CB);  // later rows cannot show
      for (int32_t y = ymin; y <= ymax; ++y) {
        while (next < table.size() && table[next].YMin == y) {
          const Edge& e = table[next++];
          auto at = std::find_if(active.begin(), active.end(), [&](const Edge& t) { return t.Key >= e.Key; });
          active.insert(at, e);
        }
        for (size_t k = 0; k + 1 < active.size(); k += 2)
          FillSpan(static_cast<int32_t>(active[k].X >> 18),
                   static_cast<int32_t>((active[k + 1].X + active[k + 1].Extra) >> 18), y);
        for (size_t i = 0; i < active.size();) {
          if (active[i].YMax <= y) {
            active.erase(active.begin() + static_cast<ptrdiff_t>(i));
            continue;
          }
          active[i].X += active[i].Slope;
          for (size_t j = i; j > 0 && active[j].SortKey() < active[j - 1].SortKey(); --j)
            std::swap(active[j], active[j - 1]);
          ++i;
        }
      }
    }
  }
  Polyline(points);
}

void TZmDC::Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
  Normalise(left, top, right, bottom);
  const int32_t w = PenWidthOf(Pen.Width);
  const int32_t style = Brush.StyleIndex;
  if (style != 0 && w < right - left + 1 && w < bottom - top + 1) {
    if (style < 1024 || SolidGradients) {
      const int32_t saved = Brush.StyleIndex;
      if (style >= 1024)
        Brush.StyleIndex = 1;
      const int32_t y0 = std::max(top + w, CT), y1 = std::min(bottom - w, CB);
      for (int32_t y = y0; y <= y1; ++y)
        FillSpan(left + w, right - w, y);
      Brush.StyleIndex = saved;
    } else {
      GradientFill(left, top, right, bottom, style - 1024);
    }
  }
  if (Pen.StyleIndex == 0)
    return;
  const uint16_t c = static_cast<uint16_t>(Pen.Color);
  const uint32_t* mask = Pen.StyleIndex >= 2 ? PenStyleMask(Pen.StyleIndex) : nullptr;
  // Borders never leave the rectangle: bands stop at the opposite side, and
  // a side whose span is empty is not drawn (turned round it would stick
  // out of a one-row rectangle).
  if (w != 1) {
    for (int32_t i = 0; i < w && i <= bottom - top; ++i) {
      HLine(left, right, top + i, c);
      HLine(left, right, bottom - i, c);
    }
    if (top + w <= bottom - w)
      for (int32_t i = 0; i < w && i <= right - left; ++i) {
        VLine(top + w, bottom - w, left + i, c);
        VLine(top + w, bottom - w, right - i, c);
      }
  } else if (!mask) {
    HLine(left, right, top, c);
    HLine(left, right, bottom, c);
    if (top + 1 <= bottom - 1) {
      VLine(top + 1, bottom - 1, left, c);
      VLine(top + 1, bottom - 1, right, c);
    }
  } else if (left == right || top == bottom) {
    // A rectangle one pixel thin is a dashed line; the four sides would
    // step one pixel outside it.
    const bool saved = DashContinue;
    DashContinue = false;
    Line(left, top, right, bottom);
    DashContinue = saved;
  } else {
    const bool saved = DashContinue;
    DashContinue = true;
    DashMask = 0x8000;
    Line(left, top, right - 1, top);
    Line(right, top, right, bottom - 1);
    Line(right, bottom, left + 1, bottom);
    Line(left, bottom, left, top + 1);
    DashContinue = saved;
  }
}

void TZmDC::GradientFill(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t kind)
{
  if (kind < 0 || kind > 3)
    return;
  const int32_t w = PenWidthOf(Pen.Width);
  const int32_t h = bottom - top - 2 * w, wd = right - left - 2 * w;
  if (h == 0 || wd == 0)
    return;
  auto expand = [](uint32_t v, int32_t ch) -> int32_t {
    uint32_t r5 = (v >> 11) & 0x1F, g6 = (v >> 5) & 0x3F, b5 = v & 0x1F;
    if (ch == 0)
      return static_cast<int32_t>(r5 << 3 | r5 >> 2);
    if (ch == 1)
      return static_cast<int32_t>(g6 << 2 | g6 >> 4);
    return static_cast<int32_t>(b5 << 3 | b5 >> 2);
  };
  const int32_t div = kind < 2 ? h : wd;
  int32_t acc[3], step[3];
  for (int32_t ch = 0; ch < 3; ++ch) {
    int32_t s = expand(Brush.Color, ch), e = expand(Brush.ExtColor, ch);
    step[ch] = ((e - s) * 65536) / div;
    if (kind == 1 || kind == 3)
      step[ch] *= 2;
    acc[ch] = s * 65536;
  }
  auto colour = [&]() {
    return QuantiseGradient(ColorFormat, static_cast<uint32_t>(acc[0] >> 16), static_cast<uint32_t>(acc[1] >> 16),
                            static_cast<uint32_t>(acc[2] >> 16));
  };
  auto advance = [&]() {
    for (int32_t ch = 0; ch < 3; ++ch)
      acc[ch] += step[ch];
  };
  switch (kind) {
  case 0:
    for (int32_t i = 0; i <= h; ++i, advance())
      HLine(left + w, right - w, top + w + i, colour());
    break;
  case 1:
    for (int32_t i = 0; i <= h / 2; ++i, advance()) {
      uint16_t c = colour();
      HLine(left + w, right - w, top + w + i, c);
      HLine(left + w, right - w, bottom - w - i, c);
    }
    break;
  case 2:
    for (int32_t i = 0; i <= wd; ++i, advance())
      VLine(top + w, bottom - w, left + w + i, colour());
    break;
  default:
    for (int32_t i = 0; i <= wd / 2; ++i, advance()) {
      uint16_t c = colour();
      VLine(top + w, bottom - w, left + w + i, c);
      VLine(top + w, bottom - w, right - w - i, c);
    }
    break;
  }
}

// True when a ring of radii a, b around the given quadrant centres cannot
// touch the clip: the clip lies beyond its bounding box or well inside it.
// Saves walking thousands of off-screen rings of a huge thick outline.
bool TZmDC::RingMissesClip(const int32_t centres[4][2], int32_t a, int32_t b) const
{
  if (CL > CR || CT > CB)
    return true;
  a = std::abs(a);
  if (b < 0)
    return true;
  for (int32_t q = 0; q < 4; ++q) {
    const int64_t cx = centres[q][0], cy = centres[q][1];
    if (CR < cx - a - 2 || CL > cx + a + 2 || CB < cy - b - 2 || CT > cy + b + 2)
      continue;
    if (a > 16 && b > 16) {
      double fx = static_cast<double>(std::max(std::abs(CL - cx), std::abs(CR - cx)) + 1);
      double fy = static_cast<double>(std::max(std::abs(CT - cy), std::abs(CB - cy)) + 1);
      double ia = a - 4, ib = b - 4;
      if ((fx / ia) * (fx / ia) + (fy / ib) * (fy / ib) < 1.0)
        continue;
    }
    return false;
  }
  return true;
}

// One outline ring: quadrant q of the walk is placed around centres[q]
// (q: +x+y, -x+y, +x-y, -x-y). Thick rings also plot the step pixels that
// close the gaps to the next ring.
void TZmDC::EllipseRing(int32_t, int32_t, int32_t a, int32_t b, bool thick, const int32_t centres[4][2])
{
  if (RingMissesClip(centres, a, b))
    return;
  const uint16_t c = static_cast<uint16_t>(Pen.Color);
  auto plot4 = [&](int64_t x64, int64_t y64) {
    int32_t x = static_cast<int32_t>(x64), y = static_cast<int32_t>(y64);
    SetPixel(centres[0][0] + x, centres[0][1] + y, c);
    SetPixel(centres[1][0] - x, centres[1][1] + y, c);
    SetPixel(centres[2][0] + x, centres[2][1] - y, c);
    SetPixel(centres[3][0] - x, centres[3][1] - y, c);
  };
  if (!thick) {
    QuarterWalk(a, b, false, plot4, NoStep, NoStep);
    return;
  }
  QuarterWalk(
    a, b, false, plot4, [&](int64_t x, int64_t y) { plot4(x, y - 1); }, [&](int64_t x, int64_t y) { plot4(x + 1, y); });
}

void TZmDC::Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
  Normalise(left, top, right, bottom);
  const int32_t cx = (left + right) / 2, cy = (top + bottom) / 2;
  const int32_t a = (right - left) / 2, b = (bottom - top) / 2;
  if (Brush.StyleIndex != 0) {
    QuarterWalk(
      a, b, false,
      [&](int64_t x64, int64_t y64) {
        int32_t x = static_cast<int32_t>(x64), y = static_cast<int32_t>(y64);
        FillSpan(cx - x, cx + x, cy + y);
        FillSpan(cx - x, cx + x, cy - y);
      },
      NoStep, NoStep);
  }
  if (Pen.StyleIndex == 0)
    return;
  const int32_t w = PenWidthOf(Pen.Width);
  const int32_t centres[4][2] = {{cx, cy}, {cx, cy}, {cx, cy}, {cx, cy}};
  if (w == 1) {
    EllipseRing(cx, cy, a, b, false, centres);
    return;
  }
  // Rings stop when a radius would go negative: the walk squares the radii,
  // so such a ring would come out wider than the rectangle again.
  for (int32_t i = 0; i < w && i <= a && i <= b; ++i)
    EllipseRing(cx, cy, a - i, b - i, true, centres);
}

void TZmDC::RoundRect(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t rx, int32_t ry)
{
  Normalise(left, top, right, bottom);
  // Negative corner radii would put the corners outside the rectangle.
  rx = std::clamp(rx, 0, CoordLimit);
  ry = std::clamp(ry, 0, CoordLimit);
  // Radii beyond half the rectangle would put the corners outside it.
  rx = std::min(rx, (right - left) / 2);
  ry = std::min(ry, (bottom - top) / 2);
  const int32_t w = PenWidthOf(Pen.Width);
  if (Brush.StyleIndex != 0) {
    const int32_t y0 = std::max(top + ry + 1, CT), y1 = std::min(bottom - ry - 1, CB);
    if (left + w <= right - w)
      for (int32_t y = y0; y <= y1; ++y)
        FillSpan(left + w, right - w, y);
    QuarterWalk(
      rx, ry, false,
      [&](int64_t x64, int64_t y64) {
        int32_t x = static_cast<int32_t>(x64), y = static_cast<int32_t>(y64);
        FillSpan(left + rx - x, right - rx + x, top + ry - y);
        FillSpan(left + rx - x, right - rx + x, bottom - ry + y);
      },
      NoStep, NoStep);
  }
  if (Pen.StyleIndex == 0)
    return;
  const uint16_t c = static_cast<uint16_t>(Pen.Color);
  for (int32_t i = 0; i < w && i <= bottom - top; ++i) {
    HLine(left + rx, right - rx, top + i, c);
    HLine(left + rx, right - rx, bottom - i, c);
  }
  for (int32_t i = 0; i < w && i <= right - left; ++i) {
    VLine(top + ry, bottom - ry, left + i, c);
    VLine(top + ry, bottom - ry, right - i, c);
  }
  const int32_t centres[4][2] = {
    {right - rx, bottom - ry}, {left + rx, bottom - ry}, {right - rx, top + ry}, {left + rx, top + ry}};
  if (w == 1) {
    EllipseRing(0, 0, rx, ry, false, centres);
    return;
  }
  for (int32_t i = 0; i < w && i <= rx && i <= ry; ++i)
    EllipseRing(0, 0, rx - i, ry - i, true, centres);
}

TZmDCPoint TZmDC::EllipsePoint(int32_t cx, int32_t cy, int32_t a, int32_t b, int32_t angle)
{
  const int32_t d = Mod360(angle);
  const int64_t A = a, B = b, X = cx, Y = cy;
  auto T = [](int64_t v) { return v / 16384; };
  int64_t x, y;
  switch (d / 90) {
  case 0:
    x = X + T(A * SineTable[90 - d]);
    y = Y - T(B * SineTable[d]);
    break;
  case 1:
    x = X - T(A * SineTable[d - 90]);
    y = Y - T(B * SineTable[180 - d]);
    break;
  case 2:
    x = X - T(A * SineTable[270 - d]);
    y = Y + T(B * SineTable[d - 180]);
    break;
  default:
    x = X + T(A * SineTable[d - 270]);
    y = Y + T(B * SineTable[360 - d]);
    break;
  }
  return {Sat32(x), Sat32(y)};
}

void TZmDC::ArcPoints(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t start, int32_t end,
                      bool withCentre, std::vector<TZmDCPoint>& pts, TZmDCPoint& centre) const
{
  Normalise(left, top, right, bottom);
  const int32_t w = PenWidthOf(Pen.Width);
  const int32_t a = (right - left - w + 1) >> 1, b = (bottom - top - w + 1) >> 1;
  centre = {(left + right) >> 1, (top + bottom) >> 1};
  pts.clear();
  pts.reserve(384);
  if (withCentre)
    pts.push_back(centre);
  // Angles are reduced into 0..359 first, so the walk is at most 359 steps.
  start = Mod360(start);
  end = Mod360(end);
  if (end < start)
    end += 360;
  for (int32_t angle = start; angle != end; ++angle)
    pts.push_back(EllipsePoint(centre.X, centre.Y, a, b, angle));
}

void TZmDC::Arc(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t start, int32_t end)
{
  std::vector<TZmDCPoint> pts;
  TZmDCPoint c;
  ArcPoints(left, top, right, bottom, start, end, false, pts, c);
  Polyline(pts);
}

void TZmDC::Pie(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t start, int32_t end)
{
  std::vector<TZmDCPoint> pts;
  TZmDCPoint c;
  ArcPoints(left, top, right, bottom, start, end, true, pts, c);
  pts.push_back(c);
  if (Brush.StyleIndex == 0)
    Polyline(pts);
  else
    Polygon(pts);
}

void TZmDC::Chord(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t start, int32_t end)
{
  std::vector<TZmDCPoint> pts;
  TZmDCPoint c;
  ArcPoints(left, top, right, bottom, start, end, false, pts, c);
  if (pts.empty())
    return;
  pts.push_back(pts.front());
  if (Brush.StyleIndex == 0)
    Polyline(pts);
  else
    Polygon(pts);
}

uint16_t TZmDC::ConvertColor(uint32_t stored, int32_t option) const { return Colors.PaletteColor(stored, option); }

void TZmDC::SelectPen(const TZmDCPen& pen, const TZmIdentitySource* ids, int32_t option)
{
  Pen = pen;
  Pen.Color = ids ? IdentityColor(*ids) : ConvertColor(pen.Color, option);
}

void TZmDC::SelectBrush(const TZmDCBrush& brush, const TZmIdentitySource* ids, int32_t option)
{
  Brush = brush;
  Brush.Color = ids ? IdentityColor(*ids) : ConvertColor(brush.Color, option);
  Brush.ExtColor = ids ? IdentityColor(*ids) : ConvertColor(brush.ExtColor, option);
}

void TZmDC::SetBlend(uint32_t rgb, int32_t percent)
{
  const int32_t p = std::clamp(percent, 0, 100);
  const int32_t r5 = (rgb >> 3) & 0x1F, g5 = (rgb >> 11) & 0x1F, b5 = (rgb >> 19) & 0x1F;
  BlendRed = static_cast<uint8_t>(r5 * p / 100);
  BlendGreen = static_cast<uint8_t>(g5 * p / 100);
  BlendBlue = static_cast<uint8_t>(b5 * p / 100);
  BlendKeep = static_cast<uint8_t>(100 - p);
  MakeBlendTables();
}

void TZmDC::MakeBlendTables()
{
  const uint32_t key = uint32_t(BlendRed) | uint32_t(BlendGreen) << 8 | uint32_t(BlendBlue) << 16 | uint32_t(BlendKeep) << 24;
  for (const BlendTables& t : BlendCache)
    if (t.Key == key) {
      std::copy(std::begin(t.R), std::end(t.R), BlendR);
      std::copy(std::begin(t.G), std::end(t.G), BlendG);
      std::copy(std::begin(t.B), std::end(t.B), BlendB);
      return;
    }
  auto ch = [&](int32_t c, int32_t part) {
    return static_cast<uint8_t>(static_cast<uint32_t>(static_cast<int32_t>(static_cast<double>(c * BlendKeep) * 0.01 + part)) & 0x1F);
  };
  for (int32_t c = 0; c < 32; ++c) {
    BlendR[c] = ch(c, BlendRed);
    BlendG[c] = ch(c, BlendGreen);
    BlendB[c] = ch(c, BlendBlue);
  }
  BlendCache[1] = BlendCache[0];
  BlendTables& t = BlendCache[0];
  t.Key = key;
  std::copy(std::begin(BlendR), std::end(BlendR), t.R);
  std::copy(std::begin(BlendG), std::end(BlendG), t.G);
  std::copy(std::begin(BlendB), std::end(BlendB), t.B);
}


void TZmDC::BlendPixel(int32_t x, int32_t y)
{
  if (x < 0 || y < 0 || x >= W || y >= H)
    return;
  size_t i = static_cast<size_t>(y) * W + x;
  Surface[i] = BlendValue(Surface[i]);
}

void TZmDC::BlendHLine(int32_t x1, int32_t x2, int32_t y, uint32_t mask)
{
  if (y < 0 || y >= H)
    return;
  if (x1 > x2)
    std::swap(x1, x2);
  // A run wholly off one side draws nothing (clamping it would paint the edge column).
  if (x2 < 0 || x1 >= W)
    return;
  x1 = std::max(x1, 0);
  x2 = std::min(x2, W - 1);
  uint32_t bit = 0x80000000u;
  uint16_t* row = Surface.data() + static_cast<size_t>(y) * W;
  for (int32_t x = x1; x <= x2; ++x) {
    if (mask & bit)
      row[x] = BlendValue(row[x]);
    bit = bit == 1 ? 0x80000000u : bit >> 1;
  }
}

void TZmDC::BlendVLine(int32_t y1, int32_t y2, int32_t x, uint32_t mask)
{
  if (x < 0 || x >= W)
    return;
  if (y1 > y2)
    std::swap(y1, y2);
  if (y2 < 0 || y1 >= H)
    return;
  y1 = std::max(y1, 0);
  y2 = std::min(y2, H - 1);
  uint32_t bit = 0x80000000u;
  for (int32_t y = y1; y <= y2; ++y) {
    if (mask & bit) {
      uint16_t& p = Surface[static_cast<size_t>(y) * W + x];
      p = BlendValue(p);
    }
    bit = bit == 1 ? 0x80000000u : bit >> 1;
  }
}

void TZmDC::BlendLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
  StepLine(Coord(x1), Coord(y1), Coord(x2), Coord(y2), [&](int32_t x, int32_t y) { BlendPixel(x, y); });
}

void TZmDC::BlendFrame(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
  Normalise(left, top, right, bottom);
  BlendHLine(left + 1, right - 1, top, 0xFFFFFFFF);
  BlendHLine(left + 1, right - 1, bottom, 0xFFFFFFFF);
  BlendVLine(top + 1, bottom - 1, left, 0xFFFFFFFF);
  BlendVLine(top + 1, bottom - 1, right, 0xFFFFFFFF);
}

void TZmDC::BlendFill(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
  Normalise(left, top, right, bottom);
  const int32_t y0 = std::max(top + 1, 0), y1 = std::min(bottom - 1, H - 1);
  const int32_t x0 = std::max(left + 1, 0), x1 = std::min(right - 1, W - 1);
  for (int32_t y = y0; y <= y1; ++y) {
    uint16_t* row = Surface.data() + static_cast<size_t>(y) * W;
    for (int32_t x = x0; x <= x1; ++x)
      row[x] = BlendValue(row[x]);
  }
}

void TZmDC::BlendOutline(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t kind)
{
  BlendFrame(left, top, right, bottom);
  if (kind != 1)
    return;
  Normalise(left, top, right, bottom);
  BlendHLine(left + 1, right - 1, top + 1, 0xFFFFFFFF);
  BlendHLine(left + 1, right - 1, bottom - 1, 0xFFFFFFFF);
  BlendVLine(top + 2, bottom - 2, left + 1, 0xFFFFFFFF);
  BlendVLine(top + 2, bottom - 2, right - 1, 0xFFFFFFFF);
}

void TZmDC::AlphaBlit(std::span<const uint16_t> bitmap, int32_t width, int32_t height, int32_t x0, int32_t y0,
                      int32_t percent)
{
  if (width <= 0 || height <= 0 || static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > bitmap.size())
    return;
  const int32_t p = std::clamp(percent, 0, 100);
  // Only the part that lands inside the clip is visited.
  const int64_t i0 = std::max<int64_t>(0, int64_t(CL) - x0), i1 = std::min<int64_t>(width - 1, int64_t(CR) - x0);
  const int64_t j0 = std::max<int64_t>(0, int64_t(CT) - y0), j1 = std::min<int64_t>(height - 1, int64_t(CB) - y0);
  auto mix = [&](uint32_t s, uint32_t d) {
    return static_cast<uint32_t>(static_cast<double>(s * p + d * (100 - p)) * 0.01) & 0x1F;
  };
  for (int64_t j = j0; j <= j1; ++j) {
    for (int64_t i = i0; i <= i1; ++i) {
      const uint16_t s = bitmap[static_cast<size_t>(j * width + i)];
      if (s == 0)
        continue;
      const int32_t x = static_cast<int32_t>(x0 + i), y = static_cast<int32_t>(y0 + j);
      const uint16_t d = Surface[static_cast<size_t>(y) * W + x];
      uint32_t r = mix(s >> 11, d >> 11), g = mix((s >> 6) & 0x1F, (d >> 6) & 0x1F), b = mix(s & 0x1F, d & 0x1F);
      Put(x, y, static_cast<uint16_t>(r << 11 | g << 6 | b));
    }
  }
}

void TZmDC::DrawPointMarker(int32_t x, int32_t y, int32_t index, uint16_t color)
{
  const uint8_t* rows = PointStyleMarker(index);
  if (!rows)
    return;  // unknown markers draw nothing
  x = Coord(x);
  y = Coord(y);
  for (int32_t i = 0; i < 7; ++i)
    for (int32_t j = 0; j < 7; ++j)
      if (rows[i] & (0x80 >> j))
        SetPixel(x + j, y + i, color);
}

int32_t TZmDC::AngleOf(int32_t dx, int32_t dy)
{
  if (dx == 0 || dy == 0) {
    if (dx != 0)
      return dx < 0 ? 180 : 0;
    return dy < 0 ? 270 : 90;
  }
  const double fx = dx, fy = dy;
  const double t = std::asin(fy / std::sqrt(fx * fx + fy * fy)) * 180 / 3.1415;
  double r;
  if (dx <= 0)
    r = 180 - t;
  else if (dy <= 0)
    r = t + 360;
  else
    r = t;
  return static_cast<int32_t>(r);
}
