#include "model/Inputs.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <limits>

#include "base/Texts.h"
#include "image/Context.h"
#include "devices/Bindings.h"
#include "graphics/Bevel.h"
#include "graphics/DC.h"
#include "graphics/Text.h"
#include "model/Displays.h"
#include "model/Scenes.h"
#include "model/StatusInf.h"

// ---- value scale text

float ParseValueScale(const std::string& text)
{
  // Never the process locale: under a comma locale "1.5" must still be 1.5.
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end && (*p == ' ' || (*p >= '\t' && *p <= '\r'))) ++p;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  if (p == end || *p == '+' || *p == '-') return 0.0f;
  double value = 0.0;
  std::from_chars_result r;
  if (end - p > 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    r = std::from_chars(p + 2, end, value, std::chars_format::hex);
    if (r.ec == std::errc::invalid_argument) {  // "0x" with no digit reads as the 0 before it
      value = 0.0;
      r.ec = std::errc();
    }
  } else {
    r = std::from_chars(p, end, value, std::chars_format::general);
  }
  if (r.ec != std::errc() || !std::isfinite(value)) return 0.0f;
  if (std::fabs(value) > std::numeric_limits<float>::max()) return 0.0f;
  return static_cast<float>(negative ? -value : value);
}

std::string FormatValueScale(double value)
{
  if (!std::isfinite(value)) return "0";
  char buffer[64];
  auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
  return r.ec == std::errc() ? std::string(buffer, r.ptr) : std::string("0");
}

// ---- common base

namespace {

TZmWriteValue* NewWriteValue(uint32_t dataType)
{
  TZmWriteValue* v = NewObject<TZmWriteValue>();
  v->DataType = dataType;
  return v;
}

}  // namespace

void TZmEditBase::Initialize()
{
  TZmControl::Initialize();
  SafeControl = NewObject<TZmSafeControl>();
  SafeControl->Owner = this;
  WriteValue = NewWriteValue(3);
  PressEvent = NewWriteValue(0);
  ReleaseEvent = NewWriteValue(0);
}

TZmEditBase::~TZmEditBase()
{
  delete SafeControl;
  delete WriteValue;
  delete PressEvent;
  delete ReleaseEvent;
}

void TZmEditBase::Serialize(TZmSerialization& s)
{
  TZmControl::Serialize(s);
  s.SerializeObject("SafeControl", SafeControl);
  s.SerializeObject("WriteValue", WriteValue);
  s.SerializeObject("PressEvent", PressEvent);
  s.SerializeObject("ReleaseEvent", ReleaseEvent);
}

void TZmEditBase::WriteBase(TZmCompiler& compiler)
{
  TZmControl::WriteROM(compiler);
  compiler.WriteReference(resSafeControl, SafeControl);  // +32
  compiler.WriteReference(resWriteValue, WriteValue);    // +36
  TZmStream& out = compiler.Output();
  out.WriteU32(0);  // +40 press event: kept in the project only
  out.WriteU32(0);  // +44 release event
}

void TZmEditBase::RegisterBase(TZmCompiler& compiler)
{
  // The condition gets its registers now, before the register memory is laid
  // out; its record is written later, among the shared resources.
  SafeControl->Register(compiler, this, 0);
  WriteValue->Register(compiler, this, 0, true);
}

void TZmEditBase::WriteROM(TZmCompiler& compiler)
{
  WriteBase(compiler);
  RegisterBase(compiler);
}

void TZmEditBase::NotifyChange(TZmPersistent* object, int32_t value, uint32_t kind)
{
  auto* scene = dynamic_cast<TZmScene*>(object);
  SafeControl->NotifyScene(scene ? scene->ID : 0, kind, value);
}

std::string TZmEditBase::GetInfoLine(int32_t index, int32_t mode)
{
  switch (InfoLabelMode(mode)) {
    case 8000:
      switch (index) {
        case 1: return GetText(8000) + WriteValue->ReadValue->Expression;
        case 2: return GetText(8016) + WriteValue->MaxValue->Expression;
        case 3: return GetText(8017) + WriteValue->MinValue->Expression;
        case 4: return GetText(8001) + WriteValue->WriteValue->Expression;
        default: return {};
      }
    case 8100:
      switch (index) {
        case 1: return GetText(8100) + WriteValue->ReadValue->Expression;
        case 2: return GetText(8101) + WriteValue->WriteValue->Expression;
        default: return {};
      }
    default: return TZmControl::GetInfoLine(index, mode);
  }
}

// ---- multi-state input

void TZmMutilStatus::Initialize()
{
  TZmEditBase::Initialize();
  StatusInfs = NewObject<TZmStatusInfs>();
  StatusInfs->Owner = this;
}

TZmMutilStatus::~TZmMutilStatus() { delete StatusInfs; }

void TZmMutilStatus::Serialize(TZmSerialization& s)
{
  TZmEditBase::Serialize(s);
  s.SerializeObject("StatusInfs", StatusInfs);
}

void TZmMutilStatus::WriteROM(TZmCompiler& compiler)
{
  WriteBase(compiler);
  compiler.WriteReference(resStatusList, StatusInfs);  // +48
  RegisterBase(compiler);
  StatusInfs->Register(compiler, this);
}

void TZmMutilStatus::ChangeColorFormat(int32_t from, int32_t to)
{
  TZmEditBase::ChangeColorFormat(from, to);
  StatusInfs->ChangeColorFormat(from, to);
}

void TZmMutilStatus::Scale(double fx, double fy)
{
  TZmEditBase::Scale(fx, fy);
  StatusInfs->ScaleFont(fx, fy);
}

void TZmMutilStatus::Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool registerIt)
{
  const TZmIdentitySource* ids = nullptr;
  TZmClientRect r = PaintFrame(dc, collector, registerIt, ids);
  if (mode != 0) return;
  if (TZmStatusInf* state = StatusInfs->Current())
    state->Paint(dc, ids, ColorOption(), r.Left, r.Top, r.Right, r.Bottom, 0);
}

// ---- numeric entry

void TZmEditNum::Initialize()
{
  TZmEditBase::Initialize();
  MultiTexts = NewObject<TZmMultiTexts>();
  DisplayNumInf = NewObject<TZmDisplayNumInf>();
  ValueOffset = 0;
  ValueScaleString = "1.0";
}

TZmEditNum::~TZmEditNum()
{
  delete MultiTexts;
  delete DisplayNumInf;
}

void TZmEditNum::Serialize(TZmSerialization& s)
{
  TZmEditBase::Serialize(s);
  s.SerializeObject("MultiTexts", MultiTexts);
  s.SerializeObject("DisplayNumInf", DisplayNumInf);
  s.SerializeInt32("ValueOffset", ValueOffset);
  s.SerializeString("ValueScaleString", ValueScaleString);
}

void TZmEditNum::WriteROM(TZmCompiler& compiler)
{
  WriteBase(compiler);
  compiler.WriteReference(resTextList, MultiTexts);         // +48
  compiler.WriteReference(resNumberFormat, DisplayNumInf);  // +52
  TZmStream& out = compiler.Output();
  out.WriteI32(ValueOffset);                                            // +56
  out.WriteU32(std::bit_cast<uint32_t>(ParseValueScale(ValueScaleString)));  // +60
  RegisterBase(compiler);
}

void TZmEditNum::ChangeColorFormat(int32_t from, int32_t to)
{
  TZmEditBase::ChangeColorFormat(from, to);
  MultiTexts->ChangeColorFormat(from, to);
}

void TZmEditNum::Scale(double fx, double fy)
{
  TZmEditBase::Scale(fx, fy);
  MultiTexts->ScaleFont(fx, fy);
}

std::string TZmEditNum::Placeholder() const { return NumberPlaceholder(*DisplayNumInf, ProjectDecimalSeparator(this)); }

void TZmEditNum::Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool registerIt)
{
  const TZmIdentitySource* ids = nullptr;
  TZmClientRect r = PaintFrame(dc, collector, registerIt, ids);
  if (mode != 0) return;
  // The placeholder is drawn in place of the text; the stored text stays as it is.
  if (TZmMultiText* t = MultiTexts->First())
    t->Draw(dc, r.Left, r.Top, r.Right, r.Bottom, ids, ColorOption(), false, Placeholder());
}
