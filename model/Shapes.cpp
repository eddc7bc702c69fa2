#include "model/Shapes.h"

#include <algorithm>
#include <cmath>

#include "graphics/DC.h"
#include "graphics/Pen.h"
#include "model/Scenes.h"

// ---- common

void TZmGraphic::Initialize()
{
  TZmComponent::Initialize();
  Pen = NewObject<TZmPen>();
  Brush = NewObject<TZmBrush>();
}

TZmGraphic::~TZmGraphic()
{
  delete Pen;
  delete Brush;
}

void TZmGraphic::Serialize(TZmSerialization& s)
{
  TZmComponent::Serialize(s);
  s.SerializeObject("Pen", Pen);
  s.SerializeObject("Brush", Brush);
}

void TZmGraphic::ChangeColorFormat(int32_t from, int32_t to)
{
  Pen->ChangeColorFormat(from, to);
  Brush->ChangeColorFormat(from, to);
}

bool TZmGraphic::Filled() const { return Brush && Brush->StyleIndex != 0; }

void TZmGraphic::SelectStyles(TZmDC& dc, TZmComponentRefs* collector, bool registerIt)
{
  const TZmIdentitySource* ids = BeginPaint(collector, registerIt);
  int32_t option = ColorOption();
  Pen->Select(dc, ids, option);
  Brush->Select(dc, ids, option);
}

// ---- point marker: always 8 x 8

void TZmPoint::SetBounds(int32_t left, int32_t top, int32_t, int32_t)
{
  TZmScene* scene = OwnerScene();
  if (scene && scene->Width() > 0 && scene->Height() > 0) {
    left = std::clamp(left, 0, std::max(0, scene->Width() - 8));
    top = std::clamp(top, 0, std::max(0, scene->Height() - 8));
  }
  Rect = {left, top, left + 7, top + 7};
  if (Owner) Owner->MarkDirty();
}

void TZmPoint::Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t, bool registerIt)
{
  SelectStyles(dc, collector, registerIt);
  dc.DrawPointMarker(Rect.Left, Rect.Top, static_cast<int32_t>(Type), static_cast<uint16_t>(dc.Pen.Color));
}

int32_t TZmPoint::GetHandles(TZmHandlePoint p[kMaxHandles], uint16_t kinds[kMaxHandles], int32_t m)
{
  const TZmRectValue& r = Rect;
  const TZmHandlePoint pts[4] = {{r.Left - m - 3, r.Top - m - 3},
                                 {r.Left - m - 3, r.Bottom + m + 2},
                                 {r.Right + m + 2, r.Bottom + m + 2},
                                 {r.Right + m + 2, r.Top - m - 3}};
  for (int i = 0; i < 4; ++i) {
    p[i] = pts[i];
    kinds[i] = 14;
  }
  return 4;
}

void TZmPoint::MoveHandle(TZmDC* dc, int32_t handle, int32_t dx, int32_t dy)
{
  if (handle != 15) return;
  TZmComponent::MoveHandle(dc, handle, dx, dy);
}

// ---- line: a normalised rectangle and a direction

void TZmLine::SetBounds(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
  Type = ((right < left) != (bottom < top)) ? 1 : 0;
  TZmComponent::SetBounds(left, top, right, bottom);
}

void TZmLine::Ends(TZmHandlePoint& start, TZmHandlePoint& end) const
{
  if (Type == 1) {
    start = {Rect.Right, Rect.Top};
    end = {Rect.Left, Rect.Bottom};
  } else {
    start = {Rect.Left, Rect.Top};
    end = {Rect.Right, Rect.Bottom};
  }
}

void TZmLine::Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t, bool registerIt)
{
  SelectStyles(dc, collector, registerIt);
  TZmHandlePoint a, b;
  Ends(a, b);
  dc.Line(a.X, a.Y, b.X, b.Y);
}

int32_t TZmLine::GetHandles(TZmHandlePoint p[kMaxHandles], uint16_t kinds[kMaxHandles], int32_t)
{
  Ends(p[0], p[1]);
  kinds[0] = 10;
  kinds[1] = 11;
  return 2;
}

void TZmLine::MoveHandle(TZmDC* dc, int32_t handle, int32_t dx, int32_t dy)
{
  TZmHandlePoint a, b;
  Ends(a, b);
  if (handle == 10 || handle == 15) {
    a.X += dx;
    a.Y += dy;
  }
  if (handle == 11 || handle == 15) {
    b.X += dx;
    b.Y += dy;
  }
  if (handle != 10 && handle != 11 && handle != 15) return;
  if (!dc) {
    SetBounds(a.X, a.Y, b.X, b.Y);
    return;
  }
  TZmRectValue saved = Rect;
  uint32_t savedType = Type;
  SetBounds(a.X, a.Y, b.X, b.Y);
  Paint(*dc, nullptr, 0, false);
  if (Dragging) {
    dc->SetBlend(0x008000, 50);
    dc->BlendFill(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
  }
  Rect = saved;
  Type = savedType;
}

// ---- rectangle-like shapes

void TZmEllipse::Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t, bool registerIt)
{
  SelectStyles(dc, collector, registerIt);
  dc.Ellipse(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
}

int32_t TZmEllipse::GetImageIndex() { return IsCircle() ? (Filled() ? 9 : 8) : (Filled() ? 11 : 10); }

int32_t TZmEllipse::GetTypeTextID() { return IsCircle() ? (Filled() ? 7403 : 7402) : (Filled() ? 7404 : 7002); }

void TZmRect::Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t, bool registerIt)
{
  SelectStyles(dc, collector, registerIt);
  dc.Rectangle(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
}

void TZmRoundRect::Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t, bool registerIt)
{
  SelectStyles(dc, collector, registerIt);
  dc.RoundRect(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom, (Rect.Right - Rect.Left) / 4, (Rect.Bottom - Rect.Top) / 4);
}

// ---- arcs, pies and chords

void TZmArc::Construct()
{
  StartAngle = 0;
  EndAngle = 360;
  SetKeepSquare(true);
}

void TZmArc::Serialize(TZmSerialization& s)
{
  TZmGraphic::Serialize(s);
  s.SerializeUInt32("StartAngle", StartAngle);
  s.SerializeUInt32("EndAngle", EndAngle);
}

void TZmArc::Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t, bool registerIt)
{
  SelectStyles(dc, collector, registerIt);
  dc.Arc(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom, static_cast<int32_t>(StartAngle), static_cast<int32_t>(EndAngle));
}

void TZmPie::Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t, bool registerIt)
{
  SelectStyles(dc, collector, registerIt);
  dc.Pie(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom, static_cast<int32_t>(StartAngle), static_cast<int32_t>(EndAngle));
}

void TZmChord::Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t, bool registerIt)
{
  SelectStyles(dc, collector, registerIt);
  dc.Chord(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom, static_cast<int32_t>(StartAngle), static_cast<int32_t>(EndAngle));
}

TZmHandlePoint TZmArc::AnglePoint(uint32_t angle) const
{
  int32_t cx = (Rect.Left + Rect.Right + 1) / 2, cy = (Rect.Top + Rect.Bottom + 1) / 2;
  TZmDCPoint p = TZmDC::EllipsePoint(cx, cy, (Rect.Right - Rect.Left) / 2, (Rect.Bottom - Rect.Top) / 2,
                                     static_cast<int32_t>(angle));
  return {p.X, p.Y};
}

int32_t TZmArc::GetHandles(TZmHandlePoint p[kMaxHandles], uint16_t kinds[kMaxHandles], int32_t margin)
{
  TZmComponent::GetHandles(p, kinds, margin);
  p[8] = AnglePoint(StartAngle);
  p[9] = AnglePoint(EndAngle);
  kinds[8] = 8;
  kinds[9] = 9;
  return 10;
}

void TZmArc::MoveHandle(TZmDC* dc, int32_t handle, int32_t dx, int32_t dy)
{
  if (handle != 8 && handle != 9) {
    TZmComponent::MoveHandle(dc, handle, dx, dy);
    return;
  }
  TZmHandlePoint p = AnglePoint(handle == 8 ? StartAngle : EndAngle);
  int32_t cx = (Rect.Left + Rect.Right + 1) / 2, cy = (Rect.Top + Rect.Bottom + 1) / 2;
  uint32_t angle = static_cast<uint32_t>(TZmDC::AngleOf(p.X + dx - cx, cy - (p.Y + dy)));
  uint32_t savedStart = StartAngle, savedEnd = EndAngle;
  (handle == 8 ? StartAngle : EndAngle) = angle;
  if (!dc) return;
  Paint(*dc, nullptr, 0, false);
  StartAngle = savedStart;
  EndAngle = savedEnd;
}

// ---- polylines

namespace {

std::vector<TZmDCPoint> PointsOf(const TZmStream& s)
{
  std::vector<TZmDCPoint> pts(s.Size() / 8);
  for (size_t i = 0; i < pts.size(); ++i) {
    pts[i].X = static_cast<int32_t>(GetU32(s.Data() + 8 * i));
    pts[i].Y = static_cast<int32_t>(GetU32(s.Data() + 8 * i + 4));
  }
  return pts;
}

void Put(TZmStream& s, const std::vector<TZmDCPoint>& pts)
{
  s.Clear();
  for (const auto& p : pts) {
    s.WriteI32(p.X);
    s.WriteI32(p.Y);
  }
  s.Seek(0);
}

}  // namespace

std::vector<TZmDCPoint> TZmPolyline::SourcePoints() const { return PointsOf(Points); }
std::vector<TZmDCPoint> TZmPolyline::DrawnPoints() const { return PointsOf(DrawPoints); }

void TZmPolyline::SetPoints(const std::vector<TZmDCPoint>& pts)
{
  Points.Clear();
  DrawPoints.Clear();
  OrgRect = {};
  if (pts.empty()) return;
  Put(Points, pts);
  Put(DrawPoints, pts);
  OrgRect = {pts[0].X, pts[0].Y, pts[0].X, pts[0].Y};
  for (const auto& p : pts) {
    OrgRect.Left = std::min(OrgRect.Left, p.X);
    OrgRect.Top = std::min(OrgRect.Top, p.Y);
    OrgRect.Right = std::max(OrgRect.Right, p.X);
    OrgRect.Bottom = std::max(OrgRect.Bottom, p.Y);
  }
  Rect = OrgRect;
}

void TZmPolyline::Refit()
{
  std::vector<TZmDCPoint> src = PointsOf(Points);
  // A stored source box of no width would divide by zero: take it as one pixel.
  int64_t ow = int64_t(OrgRect.Right) - OrgRect.Left + 1, oh = int64_t(OrgRect.Bottom) - OrgRect.Top + 1;
  float u = static_cast<float>(int64_t(Rect.Right) - Rect.Left + 1) / static_cast<float>(ow > 0 ? ow : 1);
  float v = static_cast<float>(int64_t(Rect.Bottom) - Rect.Top + 1) / static_cast<float>(oh > 0 ? oh : 1);
  // Stored points need not lie in the stored box: a point far outside it
  // lands beyond the coordinate range, where it is kept at the range's end.
  auto fit = [](float f) {
    double t = std::trunc(static_cast<double>(f));
    return static_cast<int32_t>(std::clamp(t, double(INT32_MIN), double(INT32_MAX)));
  };
  std::vector<TZmDCPoint> out(src.size());
  for (size_t i = 0; i < src.size(); ++i) {
    out[i].X = fit(u * static_cast<float>(int64_t(src[i].X) - OrgRect.Left) + static_cast<float>(Rect.Left));
    out[i].Y = fit(v * static_cast<float>(int64_t(src[i].Y) - OrgRect.Top) + static_cast<float>(Rect.Top));
  }
  Put(DrawPoints, out);
}

void TZmPolyline::SetBounds(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
  TZmComponent::SetBounds(left, top, right, bottom);
  Refit();
}

void TZmPolyline::Serialize(TZmSerialization& s)
{
  TZmGraphic::Serialize(s);
  s.SerializeRect("OrgRect", OrgRect);
  s.SerializeMemory("Points", Points);
  s.SerializeMemory("DrawPoints", DrawPoints);
  if (s.Reading()) {
    // Point blocks from a file must agree with each other: whole points, the
    // same number in both; otherwise the drawn points are made again.
    Points.SetSize(Points.Size() / 8 * 8);
    if (DrawPoints.Size() != Points.Size()) Refit();
  }
}

void TZmPolyline::Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t, bool registerIt)
{
  SelectStyles(dc, collector, registerIt);
  std::vector<TZmDCPoint> pts = PointsOf(DrawPoints);
  if (Filled()) dc.Polygon(pts);
  else dc.Polyline(pts);
}
