#include "model/Controls.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "image/Context.h"
#include "devices/Bindings.h"
#include "graphics/Bevel.h"
#include "graphics/Bitmap.h"
#include "graphics/Color.h"
#include "graphics/DC.h"
#include "graphics/Pen.h"
#include "graphics/Text.h"
#include "model/Displays.h"

namespace {

// Frameless by default: the bevel library's empty entry.
constexpr int32_t kNoBevel = 0x10000;

// Fraction digits a label can show; more is no number anyone reads.
constexpr int32_t kMaxFraction = 18;

// Whether a line across the object at row (or column) `at` misses the clip
// entirely, pen width included: such lines are skipped, so huge rectangles
// from files cost no more than what is visible.
bool OutsideClip(const TZmDC& dc, int64_t at, bool row)
{
  const int64_t margin = std::clamp(dc.Pen.Width, 0, 65535) + 1;
  return row ? at < dc.ClipTop() - margin || at > dc.ClipBottom() + margin
             : at < dc.ClipLeft() - margin || at > dc.ClipRight() + margin;
}

}  // namespace

// ---- label

void TZmLabel::Initialize()
{
  TZmControl::Initialize();
  MultiTexts = NewObject<TZmMultiTexts>();
}

TZmLabel::~TZmLabel() { delete MultiTexts; }

void TZmLabel::Serialize(TZmSerialization& s)
{
  TZmControl::Serialize(s);
  s.SerializeObject("MultiTexts", MultiTexts);
}

void TZmLabel::WriteROM(TZmCompiler& compiler)
{
  TZmControl::WriteROM(compiler);
  compiler.WriteReference(resTextList, MultiTexts);  // +32
}

void TZmLabel::ChangeColorFormat(int32_t from, int32_t to)
{
  TZmControl::ChangeColorFormat(from, to);
  MultiTexts->ChangeColorFormat(from, to);
}

void TZmLabel::Scale(double fx, double fy)
{
  TZmControl::Scale(fx, fy);
  MultiTexts->ScaleFont(fx, fy);
}

bool TZmLabel::AllTextsEmpty() const
{
  return std::all_of(MultiTexts->Items.begin(), MultiTexts->Items.end(),
                     [](const TZmMultiText* t) { return t->Text().empty(); });
}

void TZmLabel::Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool registerIt)
{
  const TZmIdentitySource* ids = nullptr;
  TZmClientRect r = PaintFrame(dc, collector, registerIt, ids);
  if (mode != 0) return;  // the panel draws the text from the record
  if (TZmMultiText* t = MultiTexts->First()) t->Draw(dc, r.Left, r.Top, r.Right, r.Bottom, ids, ColorOption(), true);
}

// ---- scale

void TZmScale::Initialize()
{
  TZmControl::Initialize();
  Bevel->ID = kNoBevel;
  ScaleInf = NewObject<TZmScaleInf>();
}

TZmScale::~TZmScale() { delete ScaleInf; }

void TZmScale::Serialize(TZmSerialization& s)
{
  TZmControl::Serialize(s);
  s.SerializeObject("ScaleInf", ScaleInf);
}

void TZmScale::ChangeColorFormat(int32_t from, int32_t to)
{
  TZmControl::ChangeColorFormat(from, to);
  ScaleInf->ChangeColorFormat(from, to);
}

int64_t TZmScale::TickIntervals() const
{
  if (ScaleInf->MasterCount <= 1) return 0;
  int64_t majors = std::min(ScaleInf->MasterCount, kMaxMajor);
  int64_t minors = std::clamp(ScaleInf->SlaveCount, 0, kMaxMinor);
  return (majors - 1) * (minors + 1);
}

int64_t TZmScale::LabelValue(int64_t i, int64_t n) const
{
  if (n <= 0) return ScaleInf->Max;
  int64_t max = ScaleInf->Max, min = ScaleInf->Min;
  return max - i * (max - min) / n;
}

std::string TZmScale::LabelText(int64_t value) const
{
  // The panel's number formatter: sign, digits padded with zeros to one
  // more than the fraction digits, the separator before the fraction.
  int32_t fraction = std::clamp(ScaleInf->FloatWidth, 0, kMaxFraction);
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  std::string digits = std::to_string(magnitude);
  if (digits.size() < static_cast<size_t>(fraction) + 1) digits.insert(0, fraction + 1 - digits.size(), '0');
  if (fraction > 0) digits.insert(digits.size() - fraction, 1, ProjectDecimalSeparator(this));
  if (value < 0) digits.insert(0, 1, '-');
  return digits + ScaleInf->Text->Text();
}

void TZmScale::Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t, bool registerIt)
{
  const TZmIdentitySource* ids = BeginPaint(collector, registerIt);
  int64_t n = TickIntervals();
  if (n == 0) return;  // fewer than two major ticks: nothing at all, not even the frame
  TZmClientRect r = Bevel->DrawBevel(dc, ids, ColorOption(), Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
  if (r.Empty()) r = {Rect.Left, Rect.Top, Rect.Right, Rect.Bottom};
  const TZmScaleInf& inf = *ScaleInf;
  const int32_t layout = Type <= 3 ? static_cast<int32_t>(Type) : 0;  // unknown layouts draw as the first
  const bool vertical = layout == 0 || layout == 2;
  const bool ticks = inf.FOption & 1, axis = inf.FOption & 2, labels = inf.FOption & 4;
  const int32_t option = ColorOption();
  // 64-bit geometry: rectangles and text sizes from files may be anything.
  int64_t left = r.Left, top = r.Top, right = r.Right, bottom = r.Bottom;
  int64_t w = 0, h = 0;
  if (labels) {
    int64_t majors = std::min(inf.MasterCount, kMaxMajor);
    for (int64_t i = 0; i <= majors; ++i) {
      TZmTextSize size = inf.Text->Measure(dc, LabelText(LabelValue(i, majors)));
      w = std::max<int64_t>(w, size.Width);
      h = std::max<int64_t>(h, size.Height);
    }
    w += 2;
    h += 2;
    switch (layout) {
      case 0: right = r.Right - w - 1; break;
      case 2: left = r.Left + w + 1; break;
      case 1: bottom = r.Bottom - h - 1; break;
      case 3: top = r.Top + h + 1; break;
    }
    if (vertical) {
      top += (h + 1) / 2;
      bottom -= (h + 1) / 2;
    } else {
      left += (w + 1) / 2;
      right -= (w + 1) / 2;
    }
  }
  if (right - left <= 0 || bottom - top <= 0) return;
  auto clip = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN / 2, INT32_MAX / 2)); };
  const int32_t L = clip(left), T = clip(top), R = clip(right), B = clip(bottom);
  inf.Pen->Select(dc, ids, option);
  if (axis) {
    switch (layout) {
      case 0: dc.Line(L, T, L, B); break;
      case 1: dc.Line(L, T, R, T); break;
      case 2: dc.Line(R, T, R, B); break;
      case 3: dc.Line(L, B, R, B); break;
    }
  }
  const int32_t midX = static_cast<int32_t>((int64_t(L) + R + 1) / 2);
  const int32_t midY = static_cast<int32_t>((int64_t(T) + B + 1) / 2);
  const int64_t perMajor = std::clamp(inf.SlaveCount, 0, kMaxMinor) + 1;
  const double step = static_cast<double>(vertical ? int64_t(B) - T : int64_t(R) - L) / static_cast<double>(n);
  double p = (vertical ? T : L) + 0.5;
  for (int64_t i = 0; i <= n; ++i, p += step) {
    const int32_t at = static_cast<int32_t>(std::trunc(p));
    const bool major = i % perMajor == 0;
    if (ticks && !OutsideClip(dc, at, vertical)) {
      // Major ticks cross the area from the axis side; minor ones reach its middle.
      switch (layout) {
        case 0: dc.Line(L, at, major ? R : midX, at); break;
        case 2: dc.Line(R, at, major ? L : midX, at); break;
        case 1: dc.Line(at, T, at, major ? B : midY); break;
        case 3: dc.Line(at, B, at, major ? T : midY); break;
      }
    }
    if (major && labels) {
      std::string text = LabelText(LabelValue(i, n));
      switch (layout) {
        case 0: inf.Text->Draw(dc, clip(r.Right - w), clip(at - h / 2), r.Right, clip(at + h / 2), ids, option, false, text); break;
        case 2: inf.Text->Draw(dc, r.Left, clip(at - h / 2), clip(r.Left + w), clip(at + h / 2), ids, option, false, text); break;
        case 1: inf.Text->Draw(dc, clip(at - w / 2), clip(r.Bottom - h), clip(at + w / 2), r.Bottom, ids, option, false, text); break;
        case 3: inf.Text->Draw(dc, clip(at - w / 2), r.Top, clip(at + w / 2), clip(r.Top + h), ids, option, false, text); break;
      }
    }
  }
}

// ---- table

void TZmTable::Initialize()
{
  TZmControl::Initialize();
  Bevel->ID = kNoBevel;
  XCount = 5;
  YCount = 5;
  Pen = NewObject<TZmPen>();
}

TZmTable::~TZmTable() { delete Pen; }

void TZmTable::Serialize(TZmSerialization& s)
{
  TZmControl::Serialize(s);
  s.SerializeUInt32("XCount", XCount);
  s.SerializeUInt32("YCount", YCount);
  s.SerializeObject("Pen", Pen);
}

void TZmTable::ChangeColorFormat(int32_t from, int32_t to)
{
  TZmControl::ChangeColorFormat(from, to);
  Pen->ChangeColorFormat(from, to);
}

int64_t TZmTable::CellsAcross(uint32_t count, int64_t span)
{
  return std::clamp<int64_t>(count, 1, std::clamp<int64_t>(span, 1, kMaxCells));
}

void TZmTable::Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t, bool registerIt)
{
  const TZmIdentitySource* ids = nullptr;
  TZmClientRect r = PaintFrame(dc, collector, registerIt, ids);
  Pen->Select(dc, ids, ColorOption());
  TZmDCBrush none;
  none.StyleIndex = 0;
  dc.SelectBrush(none, ids, ColorOption());
  dc.Rectangle(r.Left, r.Top, r.Right, r.Bottom);
  const int64_t columns = CellsAcross(XCount, int64_t(r.Right) - r.Left);
  const int64_t rows = CellsAcross(YCount, int64_t(r.Bottom) - r.Top);
  const double dx = static_cast<double>(int64_t(r.Right) - r.Left) / static_cast<double>(columns);
  const double dy = static_cast<double>(int64_t(r.Bottom) - r.Top) / static_cast<double>(rows);
  const double x0 = r.Left + 0.5, y0 = r.Top + 0.5;
  auto at = [](double v) { return static_cast<int32_t>(std::trunc(v)); };
  if (Type & 1) dc.Line(at(x0), at(y0), at(x0 + dx), at(y0 + dy));
  double x = x0;
  for (int64_t i = 0; i <= columns; ++i, x += dx)
    if (!OutsideClip(dc, at(x), false)) dc.Line(at(x), r.Top, at(x), r.Bottom);
  double y = y0;
  for (int64_t j = 0; j <= rows; ++j, y += dy)
    if (!OutsideClip(dc, at(y), true)) dc.Line(r.Left, at(y), r.Right, at(y));
}

// ---- picture

void TZmPicture::Initialize()
{
  TZmControl::Initialize();
  Bevel->ID = kNoBevel;
  Option = 0;
  TransparentColor = 0;
  ImageLeft = ImageTop = 0;
  Image = NewObject<TZmBitmap>();
}

TZmPicture::~TZmPicture() { delete Image; }

void TZmPicture::Serialize(TZmSerialization& s)
{
  TZmControl::Serialize(s);
  s.SerializeUInt32("Option", Option);
  // "ExternFlag" is the component's own entry, already stored above.
  s.SerializeColor("TransparentColor", TransparentColor);
  s.SerializeInt32("ImageLeft", ImageLeft);
  s.SerializeInt32("ImageTop", ImageTop);
  s.SerializeObject("Image", Image);
}

void TZmPicture::WriteROM(TZmCompiler& compiler)
{
  TZmControl::WriteROM(compiler);
  TZmStream& out = compiler.Output();
  out.WriteU32(Option);            // +32
  out.WriteU32(ExternFlag);        // +36
  out.WriteU32(TransparentColor);  // +40
  out.WriteI32(ImageLeft);         // +44
  out.WriteI32(ImageTop);          // +48
  if (Image->Width != 0 && Image->Height != 0) compiler.WriteReference(resPictureBitmap, Image);  // +52
  else out.WriteU32(0);
}

void TZmPicture::ChangeColorFormat(int32_t from, int32_t to)
{
  TZmControl::ChangeColorFormat(from, to);
  Image->ChangeColorFormat(from, to);
  TransparentColor = ConvertPanelColor(from, to, TransparentColor);
}

void TZmPicture::Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool registerIt)
{
  const TZmIdentitySource* ids = nullptr;
  TZmClientRect r = PaintFrame(dc, collector, registerIt, ids);
  if (mode != 0) return;  // the panel draws the bitmap from the record
  if (Image->Width > 0 && Image->Height > 0)
    Image->DrawBitmap(dc, ColorOption(), ImageLeft, ImageTop, ids, TransparentColor, static_cast<int32_t>(Option),
                      r.Left, r.Top, r.Right, r.Bottom);
}
