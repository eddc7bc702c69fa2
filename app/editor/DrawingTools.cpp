#include "app/editor/DrawingTools.h"

#include <algorithm>
#include <string>

#include "devices/Bindings.h"
#include "devices/Model.h"
#include "graphics/Bevel.h"
#include "graphics/Pen.h"
#include "graphics/Text.h"
#include "model/Buttons.h"
#include "model/Controls.h"
#include "model/Displays.h"
#include "model/Inputs.h"
#include "model/Scenes.h"
#include "model/Shapes.h"
#include "model/StatusInf.h"

namespace {

// Everything a factory needs besides the points.
struct Context {
  int32_t Code;
  TZmScene& Scene;
  uint32_t FG;  // the model's foreground colour index
};
using Factory = TZmComponent* (*)(const Context&);

// Shapes: pen and brush in the foreground colour; `filled` keeps the
// brush's solid default, otherwise the shape is hollow.
template <typename T>
T* Shape(const Context& c, bool filled)
{
  T* s = CreateComponent<T>(c.Scene.ComponentGroup);
  s->Pen->Color = c.FG;
  s->Brush->Color = c.FG;
  if (!filled) s->Brush->StyleIndex = 0;
  else if (s->Brush->StyleIndex == 0) s->Brush->StyleIndex = 1;
  return s;
}

void FirstText(TZmMultiTexts* texts, const std::string& text, uint32_t color)
{
  if (!texts->First()) texts->Add();
  texts->First()->SetText(text);
  texts->First()->Color = color;
}

void AddState(TZmStatusInfs* states, const char* value, const std::string& text, uint32_t color)
{
  TZmStatusInf* s = states->Add();
  s->CmpValue->ReadValue->Expression = value;
  FirstText(s->MultiTexts, text, color);
}

// A button's two looks, "0" and "1", both showing the caption.
void TwoStates(TZmStatusInfs* states, const std::string& caption, uint32_t color)
{
  AddState(states, "0", caption, color);
  AddState(states, "1", caption, color);
}

TZmComponent* MakePoint(const Context& c) { return Shape<TZmPoint>(c, true); }
TZmComponent* MakeLine(const Context& c) { return Shape<TZmLine>(c, true); }
TZmComponent* MakeEllipse(const Context& c)
{
  auto* e = Shape<TZmEllipse>(c, c.Code == 0x40003 || c.Code == 0x40004);
  if (c.Code == 0x40002 || c.Code == 0x40003) e->SetKeepSquare(true);
  return e;
}
TZmComponent* MakeRect(const Context& c) { return Shape<TZmRect>(c, c.Code == 0x40005); }
TZmComponent* MakeRoundRect(const Context& c) { return Shape<TZmRoundRect>(c, c.Code == 0x40006); }
// An arc has no inside: its brush stays as the class makes it.
TZmComponent* MakeArc(const Context& c) { return Shape<TZmArc>(c, true); }
TZmComponent* MakePie(const Context& c) { return Shape<TZmPie>(c, c.Code == 0x40007); }
TZmComponent* MakeChord(const Context& c) { return Shape<TZmChord>(c, c.Code == 0x40008); }
TZmComponent* MakePolyline(const Context& c) { return Shape<TZmPolyline>(c, c.Code == 0x4000A); }

// Numeric and text displays and numeric entries start with one empty text
// in the foreground colour.
template <typename T>
TZmComponent* WithEmptyText(const Context& c)
{
  auto* o = CreateComponent<T>(c.Scene.ComponentGroup);
  FirstText(o->MultiTexts, "", c.FG);
  return o;
}
// Lamps and multi-state inputs: an "OFF" look for 0 and an "ON" look for 1.
template <typename T>
TZmComponent* OffOn(const Context& c)
{
  auto* o = CreateComponent<T>(c.Scene.ComponentGroup);
  AddState(o->StatusInfs, "0", "OFF", c.FG);
  AddState(o->StatusInfs, "1", "ON", c.FG);
  return o;
}
// Buttons whose two looks show one fixed caption.
template <typename T>
TZmComponent* Captioned(const Context& c, const char* caption)
{
  auto* b = CreateComponent<T>(c.Scene.ComponentGroup);
  TwoStates(b->StatusInfs, caption, c.FG);
  return b;
}

TZmComponent* MakeBar(const Context& c)
{
  auto* b = CreateComponent<TZmBar>(c.Scene.ComponentGroup);
  b->BarBrush->Color = c.FG;
  if (c.Code == 0x40014) b->Type = 1;
  return b;
}
TZmComponent* MakeSetValue(const Context& c)
{
  auto* b = CreateComponent<TZmButtonSetValue>(c.Scene.ComponentGroup);
  std::string caption = "INPUT";
  switch (c.Code) {
    case 0x4000F: b->Type = 1, caption = "CONST"; break;
    case 0x40010: b->Type = 2, caption = "+1"; break;
    case 0x40011: b->Type = 2, caption = "-1"; break;
    default: b->Type = 0; break;
  }
  if (c.Code != 0x20000) b->WriteValue->ReadValue->Expression = c.Code == 0x4000F ? "0" : caption;
  TwoStates(b->StatusInfs, caption, c.FG);
  return b;
}
TZmComponent* MakePage(const Context& c)
{
  auto* b = CreateComponent<TZmButtonPage>(c.Scene.ComponentGroup);
  const bool jump = c.Code == 0x20001;
  if (jump) b->Page = static_cast<uint32_t>(c.Scene.ID);
  TwoStates(b->StatusInfs, jump ? "JUMP" : "BACK", c.FG);
  return b;
}
TZmComponent* MakeBitButton(const Context& c)
{
  auto* b = CreateComponent<TZmButton>(c.Scene.ComponentGroup);
  static const char* const captions[] = {"ON", "OFF", "SW", "HOLD"};
  const uint32_t type = c.Code == 0x30000 ? 0 : static_cast<uint32_t>(c.Code - 0x4000C + 1);
  b->Type = type;
  TwoStates(b->StatusInfs, captions[std::min<uint32_t>(type, 3)], c.FG);
  return b;
}

// A label, or with the Bevel tool a bare frame: no text and nothing filled
// inside it, so what lies beneath shows through.
TZmComponent* MakeLabel(const Context& c)
{
  auto* l = CreateComponent<TZmLabel>(c.Scene.ComponentGroup);
  const bool bevel = c.Code == 0x4000B;
  FirstText(l->MultiTexts, bevel ? "" : "Label", c.FG);
  if (bevel) l->Bevel->Brush->StyleIndex = 0;
  return l;
}
TZmComponent* MakeScale(const Context& c)
{
  auto* s = CreateComponent<TZmScale>(c.Scene.ComponentGroup);
  s->ScaleInf->Pen->Color = c.FG;
  s->ScaleInf->Text->Color = c.FG;
  return s;
}
TZmComponent* MakeTable(const Context& c)
{
  auto* t = CreateComponent<TZmTable>(c.Scene.ComponentGroup);
  t->Pen->Color = c.FG;
  return t;
}
TZmComponent* MakePicture(const Context& c) { return CreateComponent<TZmPicture>(c.Scene.ComponentGroup); }

struct Tool {
  int32_t Code;
  TZmToolKind Kind;
  int32_t Width, Height;  // default size of two-point tools
  Factory Make;           // none: the kind cannot be placed in this build
};

using K = TZmToolKind;
const Tool kTools[] = {
    {0, K::OnePoint, 0, 0, MakePoint},
    {1, K::TwoPoints, 16, 16, MakeLine},
    {2, K::TwoPoints, 16, 16, MakeEllipse},
    {3, K::TwoPoints, 16, 16, MakeRect},
    {4, K::TwoPoints, 16, 16, MakeRoundRect},
    {5, K::FourPoints, 0, 0, MakeArc},
    {6, K::FourPoints, 0, 0, MakePie},
    {7, K::FourPoints, 0, 0, MakeChord},
    {8, K::ManyPoints, 0, 0, MakePolyline},
    {9, K::TwoPoints, 48, 16, MakeLabel},
    {10, K::TwoPoints, 32, 48, MakeScale},
    {11, K::TwoPoints, 48, 48, MakeTable},
    {12, K::TwoPoints, 16, 16, MakePicture},
    {0x10000, K::TwoPoints, 48, 16, OffOn<TZmLamp>},
    {0x10001, K::TwoPoints, 48, 16, WithEmptyText<TZmNum>},
    {0x10002, K::TwoPoints, 48, 16, WithEmptyText<TZmText>},
    {0x10007, K::TwoPoints, 32, 48, MakeBar},
    {0x20000, K::TwoPoints, 48, 16, MakeSetValue},
    {0x20001, K::TwoPoints, 48, 16, MakePage},
    {0x20002, K::TwoPoints, 48, 16, [](const Context& c) { return Captioned<TZmButtonFun>(c, "FUN"); }},
    {0x20003, K::TwoPoints, 48, 16, [](const Context& c) { return Captioned<TZmButtonKey>(c, "KEY"); }},
    {0x20004, K::TwoPoints, 48, 16, [](const Context& c) { return Captioned<TZmBtnStatusSet>(c, "SETV"); }},
    {0x30000, K::TwoPoints, 48, 16, MakeBitButton},
    {0x30001, K::TwoPoints, 48, 16, OffOn<TZmMutilStatus>},
    {0x30002, K::TwoPoints, 48, 16, WithEmptyText<TZmEditNum>},
    {0x40002, K::TwoPoints, 16, 16, MakeEllipse},
    {0x40003, K::TwoPoints, 16, 16, MakeEllipse},
    {0x40004, K::TwoPoints, 16, 16, MakeEllipse},
    {0x40005, K::TwoPoints, 16, 16, MakeRect},
    {0x40006, K::TwoPoints, 16, 16, MakeRoundRect},
    {0x40007, K::FourPoints, 0, 0, MakePie},
    {0x40008, K::FourPoints, 0, 0, MakeChord},
    {0x40009, K::ManyPoints, 0, 0, MakePolyline},
    {0x4000A, K::ManyPoints, 0, 0, MakePolyline},
    {0x4000B, K::TwoPoints, 48, 16, MakeLabel},
    {0x4000C, K::TwoPoints, 48, 16, MakeBitButton},
    {0x4000D, K::TwoPoints, 48, 16, MakeBitButton},
    {0x4000E, K::TwoPoints, 48, 16, MakeBitButton},
    {0x4000F, K::TwoPoints, 48, 16, MakeSetValue},
    {0x40010, K::TwoPoints, 48, 16, MakeSetValue},
    {0x40011, K::TwoPoints, 48, 16, MakeSetValue},
    {0x40012, K::TwoPoints, 48, 16, MakePage},
    {0x40014, K::TwoPoints, 32, 48, MakeBar},
};

const Tool* Find(int32_t code)
{
  for (const Tool& t : kTools)
    if (t.Code == code) return &t;
  return nullptr;
}

// Shapes take their corners as given; everything else is a control whose
// rectangle excludes the release point.
bool IsShape(int32_t code) { return (code >= 0 && code <= 8) || (code >= 0x40002 && code <= 0x4000A); }

}  // namespace

TZmToolKind ToolKindOf(int32_t code)
{
  const Tool* t = Find(code);
  return t ? t->Kind : TZmToolKind::None;
}

bool ToolAvailable(int32_t code)
{
  const Tool* t = Find(code);
  return t && t->Make;
}

TZmDCPoint ToolDefaultSize(int32_t code)
{
  const Tool* t = Find(code);
  return t ? TZmDCPoint{t->Width, t->Height} : TZmDCPoint{16, 16};
}

TZmComponent* CreateToolObject(int32_t code, TZmScene& scene, const std::vector<TZmDCPoint>& points)
{
  const Tool* t = Find(code);
  const TZmModel* model = scene.Model();
  if (!t || !t->Make || !model || !scene.ComponentGroup || points.empty()) return nullptr;
  const size_t n = points.size();
  if ((t->Kind == K::TwoPoints || t->Kind == K::FourPoints) && n < 2) return nullptr;
  if (t->Kind == K::ManyPoints && n < 2) return nullptr;
  TZmComponent* c = t->Make({code, scene, static_cast<uint32_t>(model->FGColorIndex)});
  if (!c) return nullptr;
  const TZmDCPoint a = points[0];
  switch (t->Kind) {
    case K::OnePoint:
      c->SetBounds(a.X - 3, a.Y - 3, a.X + 4, a.Y + 4);
      break;
    case K::FourPoints: {
      c->SetBounds(a.X, a.Y, points[1].X, points[1].Y);
      auto* arc = static_cast<TZmArc*>(c);
      const TZmRectValue& r = arc->Rect;
      const int32_t cx = (r.Left + r.Right + 1) / 2, cy = (r.Top + r.Bottom + 1) / 2;
      if (n >= 3) arc->StartAngle = static_cast<uint32_t>(TZmDC::AngleOf(points[2].X - cx, cy - points[2].Y));
      if (n >= 4) arc->EndAngle = static_cast<uint32_t>(TZmDC::AngleOf(points[3].X - cx, cy - points[3].Y));
      break;
    }
    case K::ManyPoints: {
      std::vector<TZmDCPoint> pts(points.begin(), points.begin() + static_cast<std::ptrdiff_t>(std::min<size_t>(n, kMaxToolPoints)));
      // A filled outline is closed by its first point.
      if (code == 0x4000A && (pts.back().X != pts.front().X || pts.back().Y != pts.front().Y)) pts.push_back(pts.front());
      static_cast<TZmPolyline*>(c)->SetPoints(pts);
      break;
    }
    default: {
      const TZmDCPoint b = points[1];
      if (IsShape(code)) {
        c->SetBounds(a.X, a.Y, b.X, b.Y);
      } else {
        // The control rectangle: normalised, the far corner left out.
        c->SetBounds(std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X) - 1, std::max(a.Y, b.Y) - 1);
      }
      break;
    }
  }
  return c;
}
