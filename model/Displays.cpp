#include "model/Displays.h"

#include <algorithm>
#include <cstdint>

#include "base/Texts.h"
#include "image/Context.h"
#include "devices/Bindings.h"
#include "graphics/Bevel.h"
#include "graphics/DC.h"
#include "graphics/Pen.h"
#include "graphics/Text.h"
#include "model/Project.h"
#include "model/Scenes.h"
#include "model/StatusInf.h"

namespace {

constexpr size_t kMaxPlaceholder = 256;

}  // namespace

void WriteOptionalValue(TZmCompiler& compiler, TZmReadValue* value)
{
  if (value->ReadValue->Expression.empty()) {
    compiler.Output().SeekEnd();
    compiler.Output().WriteU32(0);
  } else {
    compiler.WriteReference(resReadValue, value);
  }
}

char ProjectDecimalSeparator(const TZmComponent* c)
{
  TZmScene* scene = c ? c->OwnerScene() : nullptr;
  TZmHMI* project = scene ? scene->Project() : nullptr;
  if (project && project->Configuration) {
    uint16_t v = project->Configuration->Sdecimal;
    if (v >= 32 && v < 127) return static_cast<char>(v);
  }
  return '.';
}

int32_t InfoLabelMode(int32_t mode)
{
  switch (mode & 0x12) {
    case 0x02: return 8000;
    case 0x10: return 8100;
    default: return 0;
  }
}

// ---- read-info base: a value and a display condition

void TZmReadInfBase::Initialize()
{
  TZmControl::Initialize();
  ReadValue = NewObject<TZmReadValue>();
  ReadValue->DataType = 3;
  DisplayFlag = NewObject<TZmReadValue>();
  DisplayFlag->DataType = 0;
}

TZmReadInfBase::~TZmReadInfBase()
{
  delete ReadValue;
  delete DisplayFlag;
}

void TZmReadInfBase::Serialize(TZmSerialization& s)
{
  TZmControl::Serialize(s);
  s.SerializeObject("ReadValue", ReadValue);
  s.SerializeObject("DisplayFlag", DisplayFlag);
}

void TZmReadInfBase::WriteReadInf(TZmCompiler& compiler)
{
  TZmControl::WriteROM(compiler);
  compiler.WriteReference(resReadValue, ReadValue);  // +32
  WriteOptionalValue(compiler, DisplayFlag);         // +36
}

void TZmReadInfBase::RegisterReadInf(TZmCompiler& compiler)
{
  ReadValue->Register(compiler, this, 0, true);
  DisplayFlag->Register(compiler, this, 0, true);
}

void TZmReadInfBase::WriteROM(TZmCompiler& compiler)
{
  WriteReadInf(compiler);
  RegisterReadInf(compiler);
}

std::string TZmReadInfBase::GetInfoLine(int32_t index, int32_t mode)
{
  int32_t base = InfoLabelMode(mode);
  if (index == 1 && base != 0) return GetText(base) + ReadValue->ReadValue->Expression;
  return TZmControl::GetInfoLine(index, mode);
}

// ---- lamp

void TZmLamp::Initialize()
{
  TZmReadInfBase::Initialize();
  StatusInfs = NewObject<TZmStatusInfs>();
  StatusInfs->Owner = this;
}

TZmLamp::~TZmLamp() { delete StatusInfs; }

void TZmLamp::Serialize(TZmSerialization& s)
{
  TZmReadInfBase::Serialize(s);
  s.SerializeObject("StatusInfs", StatusInfs);
}

void TZmLamp::WriteROM(TZmCompiler& compiler)
{
  WriteReadInf(compiler);
  compiler.WriteReference(resStatusList, StatusInfs);  // +40
  RegisterReadInf(compiler);
  StatusInfs->Register(compiler, this);
}

// Converts the frame and the states like every other display object, so a
// pasted lamp keeps its looks under another colour format.
void TZmLamp::ChangeColorFormat(int32_t from, int32_t to)
{
  TZmReadInfBase::ChangeColorFormat(from, to);
  StatusInfs->ChangeColorFormat(from, to);
}

void TZmLamp::Scale(double fx, double fy)
{
  TZmReadInfBase::Scale(fx, fy);
  StatusInfs->ScaleFont(fx, fy);
}

void TZmLamp::Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool registerIt)
{
  const TZmIdentitySource* ids = nullptr;
  TZmClientRect r = PaintFrame(dc, collector, registerIt, ids);
  if (mode != 0) return;
  TZmStatusInf* state = StatusInfs->Current();
  if (!state) return;
  state->Paint(dc, ids, ColorOption(), r.Left, r.Top, r.Right, r.Bottom, 0);
}

// ---- number

void TZmNum::Initialize()
{
  TZmReadInfBase::Initialize();
  MultiTexts = NewObject<TZmMultiTexts>();
  DisplayNumInf = NewObject<TZmDisplayNumInf>();
}

TZmNum::~TZmNum()
{
  delete MultiTexts;
  delete DisplayNumInf;
}

void TZmNum::Serialize(TZmSerialization& s)
{
  TZmReadInfBase::Serialize(s);
  s.SerializeObject("MultiTexts", MultiTexts);
  s.SerializeObject("DisplayNumInf", DisplayNumInf);
}

void TZmNum::WriteROM(TZmCompiler& compiler)
{
  WriteReadInf(compiler);
  compiler.WriteReference(resTextList, MultiTexts);         // +40
  compiler.WriteReference(resNumberFormat, DisplayNumInf);  // +44
  RegisterReadInf(compiler);
}

void TZmNum::ChangeColorFormat(int32_t from, int32_t to)
{
  TZmReadInfBase::ChangeColorFormat(from, to);
  MultiTexts->ChangeColorFormat(from, to);
}

void TZmNum::Scale(double fx, double fy)
{
  TZmReadInfBase::Scale(fx, fy);
  MultiTexts->ScaleFont(fx, fy);
}

std::string NumberPlaceholder(const TZmDisplayNumInf& format, char separator)
{
  // Widths come from files: negative ones count as 0, the whole stays within the limit.
  size_t whole = static_cast<size_t>(std::clamp(format.IntWidth, 0, int32_t(kMaxPlaceholder)));
  size_t fraction = static_cast<size_t>(std::clamp(format.FloatWidth, 0, int32_t(kMaxPlaceholder)));
  if (fraction == 0) return std::string(std::max<size_t>(whole, 1), '#');
  fraction = std::min(fraction, kMaxPlaceholder - 1);
  whole = std::min(whole, kMaxPlaceholder - 1 - fraction);
  return std::string(whole, '#') + separator + std::string(fraction, '#');
}

std::string TZmNum::Placeholder() const { return NumberPlaceholder(*DisplayNumInf, ProjectDecimalSeparator(this)); }

void TZmNum::Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool registerIt)
{
  const TZmIdentitySource* ids = nullptr;
  TZmClientRect r = PaintFrame(dc, collector, registerIt, ids);
  if (mode != 0) return;
  // The placeholder is drawn in place of the text; the stored text stays as it is.
  if (TZmMultiText* t = MultiTexts->First())
    t->Draw(dc, r.Left, r.Top, r.Right, r.Bottom, ids, ColorOption(), false, Placeholder());
}

// ---- bar

void TZmBar::Initialize()
{
  TZmReadInfBase::Initialize();
  BarBrush = NewObject<TZmBrush>();
  Direction = 1;
  BarSize = 8;
}

TZmBar::~TZmBar() { delete BarBrush; }

void TZmBar::Serialize(TZmSerialization& s)
{
  TZmReadInfBase::Serialize(s);
  s.SerializeObject("BarBrush", BarBrush);
  s.SerializeInt32("Direction", Direction);
  s.SerializeInt32("BarSize", BarSize);
}

void TZmBar::WriteROM(TZmCompiler& compiler)
{
  WriteReadInf(compiler);
  compiler.WriteReference(resBrush, BarBrush);  // +40
  TZmStream& out = compiler.Output();
  out.WriteI32(Direction);  // +44
  out.WriteI32(BarSize);    // +48
  RegisterReadInf(compiler);
}

void TZmBar::ChangeColorFormat(int32_t from, int32_t to)
{
  TZmReadInfBase::ChangeColorFormat(from, to);
  BarBrush->ChangeColorFormat(from, to);
}

std::string TZmBar::GetInfoLine(int32_t index, int32_t mode)
{
  int32_t base = InfoLabelMode(mode);
  if (base == 8000) {
    switch (index) {
      case 1: return GetText(8000) + ReadValue->ReadValue->Expression;
      case 2: return GetText(8016) + ReadValue->MaxValue->Expression;
      case 3: return GetText(8017) + ReadValue->MinValue->Expression;
      default: break;
    }
  } else if (base == 8100 && index == 1) {
    return GetText(8100) + ReadValue->ReadValue->Expression;
  }
  return TZmControl::GetInfoLine(index, mode);
}

TZmClientRect TZmBar::PreviewRect(const TZmClientRect& client) const
{
  // 64-bit sums: rectangles from files may lie anywhere.
  auto half = [](int32_t a, int32_t b) { return static_cast<int32_t>((int64_t(a) + b) / 2); };
  auto narrow = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
  TZmClientRect r = client;
  if (Type == 1) {
    int64_t size = std::max(BarSize, 0);
    if (Direction == 0 || Direction == 2) {
      r.Left = narrow((int64_t(r.Left) + r.Right - size) / 2);
      r.Right = narrow(r.Left + size);
    } else {
      r.Top = narrow((int64_t(r.Top) + r.Bottom - size) / 2);
      r.Bottom = narrow(r.Top + size);
    }
    return r;
  }
  switch (Direction) {
    case 0: r.Left = half(r.Left, r.Right); break;
    case 1: r.Top = half(r.Top, r.Bottom); break;
    case 2: r.Right = half(r.Left, r.Right); break;
    case 3: r.Bottom = half(r.Top, r.Bottom); break;
    default: break;
  }
  return r;
}

void TZmBar::Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool registerIt)
{
  const TZmIdentitySource* ids = nullptr;
  TZmClientRect r = PaintFrame(dc, collector, registerIt, ids);
  if (mode != 0) return;
  TZmClientRect b = PreviewRect(r);
  dc.Pen.Width = 0;
  BarBrush->Select(dc, ids, ColorOption());
  dc.Rectangle(b.Left, b.Top, b.Right, b.Bottom);
}

// ---- register text

void TZmTextBase::Initialize()
{
  TZmControl::Initialize();
  MultiTexts = NewObject<TZmMultiTexts>();
  DisplayFlag = NewObject<TZmReadValue>();
  DisplayFlag->DataType = 0;
}

TZmTextBase::~TZmTextBase()
{
  delete MultiTexts;
  delete DisplayFlag;
}

void TZmTextBase::Serialize(TZmSerialization& s)
{
  TZmControl::Serialize(s);
  s.SerializeObject("MultiTexts", MultiTexts);
  s.SerializeObject("DisplayFlag", DisplayFlag);
}

void TZmTextBase::WriteROM(TZmCompiler& compiler)
{
  TZmControl::WriteROM(compiler);
  compiler.WriteReference(resTextList, MultiTexts);  // +32
  WriteOptionalValue(compiler, DisplayFlag);         // +36
}

void TZmTextBase::ChangeColorFormat(int32_t from, int32_t to)
{
  TZmControl::ChangeColorFormat(from, to);
  MultiTexts->ChangeColorFormat(from, to);
}

void TZmTextBase::Scale(double fx, double fy)
{
  TZmControl::Scale(fx, fy);
  MultiTexts->ScaleFont(fx, fy);
}

void TZmText::Initialize()
{
  TZmTextBase::Initialize();
  ReadText = NewObject<TZmReadText>();
}

TZmText::~TZmText() { delete ReadText; }

void TZmText::Serialize(TZmSerialization& s)
{
  TZmTextBase::Serialize(s);
  s.SerializeObject("ReadText", ReadText);
}

void TZmText::WriteROM(TZmCompiler& compiler)
{
  TZmTextBase::WriteROM(compiler);
  compiler.WriteReference(resReadText, ReadText);  // +40
  DisplayFlag->Register(compiler, this, 0, true);
  ReadText->Register(compiler, this, 0, true);
}

std::string TZmText::Placeholder() const
{
  return std::string(std::min<size_t>(ReadText->Lenght, kMaxPlaceholder), '*');
}

void TZmText::Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool registerIt)
{
  const TZmIdentitySource* ids = nullptr;
  TZmClientRect r = PaintFrame(dc, collector, registerIt, ids);
  if (mode != 0) return;
  std::string text = Placeholder();
  if (text.empty()) return;  // an empty override would draw the stored text
  if (TZmMultiText* t = MultiTexts->First()) t->Draw(dc, r.Left, r.Top, r.Right, r.Bottom, ids, ColorOption(), false, text);
}

std::string TZmText::GetInfoLine(int32_t index, int32_t mode)
{
  int32_t base = InfoLabelMode(mode);
  if (base != 0 && index == 1) return GetText(base) + ReadText->ReadAddr;
  if (base == 8000 && index == 2) return GetText(8018) + std::to_string(ReadText->Lenght);
  return TZmTextBase::GetInfoLine(index, mode);
}
