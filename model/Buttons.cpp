#include "model/Buttons.h"

#include <charconv>

#include "base/Format.h"
#include "base/Texts.h"
#include "image/Context.h"
#include "image/Messages.h"
#include "devices/Bindings.h"
#include "devices/RegRule.h"
#include "graphics/Bevel.h"
#include "graphics/DC.h"
#include "graphics/Pen.h"
#include "graphics/Text.h"
#include "model/Displays.h"
#include "model/Project.h"
#include "model/Scenes.h"
#include "model/StatusInf.h"

namespace {

// Scene IDs are at most 255; anything beyond the 24 bits of a scene
// reference would spill into its kind byte, so it is refused and compiled
// as "no target".
void WriteSceneReference(TZmCompiler& compiler, uint32_t page, TZmPersistent* owner)
{
  if (page > 0xFFFFFF) {
    compiler.Messages->Add(TZmMessage::ObjectError, TZmMessage::ScreenObject,
                           SafeFormat(GetText(9005), {0x92000000u, page}), owner, 0);
    compiler.Output().SeekEnd();
    compiler.Output().WriteU32(0);
    return;
  }
  compiler.WriteFixup(0x92000000u | page);
}

TZmWriteValue* NewWriteValue(uint32_t dataType)
{
  TZmWriteValue* v = NewObject<TZmWriteValue>();
  v->DataType = dataType;
  return v;
}

TZmReadValue* NewPassword()
{
  TZmReadValue* v = NewObject<TZmReadValue>();
  v->DataType = 6;
  v->ReadValue->Expression = "0";
  return v;
}

// A reference to a scene that is deleted becomes 0; one that is renumbered
// follows. A scene without a valid ID (a damaged file) matches nothing: 0
// means "no target", and renumbering such a scene must not give every
// target-less button one.
void FollowScene(uint32_t& ref, TZmPersistent* object, int32_t value, uint32_t kind)
{
  auto* scene = dynamic_cast<TZmScene*>(object);
  if (!scene || scene->ID <= 0 || ref != static_cast<uint32_t>(scene->ID)) return;
  if (IsDeleteNotice(kind)) ref = 0;
  else if (kind == kNoticeSceneRenumbered) ref = static_cast<uint32_t>(value);
}

// A value to enter on the keypad needs no value operand, but the address it
// is written to must be there: its absence is reported.
void RegisterEntryValue(TZmCompiler& compiler, TZmWriteValue* v, TZmPersistent* owner)
{
  v->TZmReadValue::Register(compiler, owner, 0, false);
  compiler.Report(owner, 3, false, 1, v->WriteValue->Expression, kindAll, static_cast<int32_t>(v->DataType), true);
}

// Info lines: text `base + n` followed by a value.
std::string Labelled(int base, int n, const std::string& value) { return GetText(base + n) + value; }

// The record refers to the condition only when it has an expression. The
// condition is read; its write address is optional and never reported empty.
void RegisterSafeControl(TZmCompiler& compiler, TZmSafeControl* safe, TZmPersistent* owner)
{
  if (!safe->Condition->ReadValue->Expression.empty()) safe->Condition->Register(compiler, owner, 0, false);
}

std::string PageLine(TZmComponent* self, uint32_t page, int base)
{
  if (page == 0) return GetText(base + 4) + GetText(2030);
  TZmScene* own = self->OwnerScene();
  TZmHMI* project = own ? own->Project() : nullptr;
  TZmScene* target = project ? project->SceneGroups->FindScene(static_cast<int32_t>(page)) : nullptr;
  return target ? GetText(base + 4) + target->GetDisplayName() : GetText(base + 4);
}

// Lines 1.. of an information text, picked from a list built on demand.
std::string PickLine(const std::vector<std::string>& lines, int32_t index)
{
  return index >= 1 && static_cast<size_t>(index) <= lines.size() ? lines[index - 1] : std::string();
}

}  // namespace

std::string ChoiceName(int list, int64_t value)
{
  int count = 0;
  std::string head = GetText(list);
  std::from_chars(head.data(), head.data() + head.size(), count);
  count = std::clamp(count, 0, 999);
  for (int k = 1; k <= count; ++k) {
    std::string e = GetText(list + k);
    size_t colon = e.find(':');
    if (colon == std::string::npos) continue;
    int64_t v = 0;
    auto [p, ec] = std::from_chars(e.data(), e.data() + colon, v);
    if (ec == std::errc() && v == value) return e.substr(colon + 1);
  }
  return {};
}

// ---- common base

void TZmButtonBase::Initialize()
{
  TZmControl::Initialize();
  SafeControl = NewObject<TZmSafeControl>();
  SafeControl->Owner = this;
  StatusInfs = NewObject<TZmStatusInfs>();
  StatusInfs->Owner = this;
  PressEvent = NewWriteValue(0);
  ReleaseEvent = NewWriteValue(0);
}

TZmButtonBase::~TZmButtonBase()
{
  delete SafeControl;
  delete StatusInfs;
  delete PressEvent;
  delete ReleaseEvent;
}

void TZmButtonBase::Serialize(TZmSerialization& s)
{
  TZmControl::Serialize(s);
  s.SerializeObject("SafeControl", SafeControl);
  s.SerializeObject("StatusInfs", StatusInfs);
  s.SerializeObject("PressEvent", PressEvent);
  s.SerializeObject("ReleaseEvent", ReleaseEvent);
}

void TZmButtonBase::WriteBase(TZmCompiler& compiler)
{
  TZmControl::WriteROM(compiler);
  compiler.WriteReference(resSafeControl, SafeControl);  // +32
  compiler.WriteReference(resStatusList, StatusInfs);    // +36
  TZmStream& out = compiler.Output();
  out.WriteU32(0);  // +40 press event: kept in the project only
  out.WriteU32(0);  // +44 release event
}

void TZmButtonBase::RegisterBase(TZmCompiler& compiler)
{
  RegisterSafeControl(compiler, SafeControl, this);
  StatusInfs->Register(compiler, this);
}

void TZmButtonBase::WriteROM(TZmCompiler& compiler)
{
  WriteBase(compiler);
  RegisterBase(compiler);
}

void TZmButtonBase::NotifyChange(TZmPersistent* object, int32_t value, uint32_t kind)
{
  auto* scene = dynamic_cast<TZmScene*>(object);
  SafeControl->NotifyScene(scene ? scene->ID : 0, kind, value);
}

void TZmButtonBase::ChangeColorFormat(int32_t from, int32_t to)
{
  TZmControl::ChangeColorFormat(from, to);
  StatusInfs->ChangeColorFormat(from, to);
}

void TZmButtonBase::Scale(double fx, double fy)
{
  TZmControl::Scale(fx, fy);
  StatusInfs->ScaleFont(fx, fy);
}

void TZmButtonBase::Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool registerIt)
{
  const TZmIdentitySource* ids = nullptr;
  TZmClientRect r = PaintFrame(dc, collector, registerIt, ids);
  if (mode != 0) return;
  if (TZmStatusInf* state = StatusInfs->Current())
    state->Paint(dc, ids, ColorOption(), r.Left, r.Top, r.Right, r.Bottom, 1);
}

// ---- bit button

void TZmButton::Initialize()
{
  TZmButtonBase::Initialize();
  WriteValue = NewWriteValue(0);
}

TZmButton::~TZmButton() { delete WriteValue; }

void TZmButton::Serialize(TZmSerialization& s)
{
  TZmButtonBase::Serialize(s);
  s.SerializeObject("WriteValue", WriteValue);
}

void TZmButton::WriteROM(TZmCompiler& compiler)
{
  WriteBase(compiler);
  compiler.WriteReference(resWriteValue, WriteValue);  // +48
  RegisterBase(compiler);
  WriteValue->Register(compiler, this, 0, true);
}

int32_t TZmButton::GetTypeTextID()
{
  static const int32_t ids[4] = {7300, 7412, 7413, 7414};
  return ids[std::min<uint32_t>(Type, 3)];
}

std::string TZmButton::GetInfoLine(int32_t index, int32_t mode)
{
  int base = InfoLabelMode(mode);
  if (base == 0) return TZmButtonBase::GetInfoLine(index, mode);
  std::vector<std::string> lines;
  if (base == 8000) lines.push_back(Labelled(base, 2, ChoiceName(6700, Type)));
  lines.push_back(Labelled(base, 0, WriteValue->ReadValue->Expression));
  lines.push_back(Labelled(base, 1, WriteValue->WriteValue->Expression));
  return PickLine(lines, index);
}

// ---- set-value button

void TZmButtonSetValue::Initialize()
{
  TZmButtonBase::Initialize();
  WriteValue = NewWriteValue(3);
  DisplayNumInf = NewObject<TZmDisplayNumInf>();
}

TZmButtonSetValue::~TZmButtonSetValue()
{
  delete WriteValue;
  delete DisplayNumInf;
}

void TZmButtonSetValue::Serialize(TZmSerialization& s)
{
  TZmButtonBase::Serialize(s);
  s.SerializeObject("WriteValue", WriteValue);
  s.SerializeObject("DisplayNumInf", DisplayNumInf);
}

void TZmButtonSetValue::WriteROM(TZmCompiler& compiler)
{
  WriteBase(compiler);
  compiler.WriteReference(resWriteValue, WriteValue);       // +48
  compiler.WriteReference(resNumberFormat, DisplayNumInf);  // +52
  RegisterBase(compiler);
  if (Type == 0) RegisterEntryValue(compiler, WriteValue, this);
  else WriteValue->Register(compiler, this, 0, true);
}

bool TZmButtonSetValue::IsDecrement() const { return Type == 2 && WriteValue->ReadValue->Expression == "-1"; }

int32_t TZmButtonSetValue::GetImageIndex()
{
  if (IsDecrement()) return 35;
  return 32 + static_cast<int32_t>(std::min<uint32_t>(Type, 2));
}

int32_t TZmButtonSetValue::GetTypeTextID()
{
  if (IsDecrement()) return 7417;
  static const int32_t ids[3] = {7200, 7415, 7416};
  return ids[std::min<uint32_t>(Type, 2)];
}

std::string TZmButtonSetValue::GetInfoLine(int32_t index, int32_t mode)
{
  int base = InfoLabelMode(mode);
  if (base == 0) return TZmButtonBase::GetInfoLine(index, mode);
  std::vector<std::string> lines;
  if (base == 8000) lines.push_back(Labelled(base, 2, ChoiceName(6020, Type)));
  lines.push_back(Labelled(base, 1, WriteValue->WriteValue->Expression));
  lines.push_back(Labelled(base, 3, WriteValue->ReadValue->Expression));
  return PickLine(lines, index);
}

// ---- page button

void TZmButtonPage::Serialize(TZmSerialization& s)
{
  TZmButtonBase::Serialize(s);
  s.SerializeUInt32("Page", Page);
}

void TZmButtonPage::WriteROM(TZmCompiler& compiler)
{
  WriteBase(compiler);
  WriteSceneReference(compiler, Page, this);  // +48
  RegisterBase(compiler);
}

void TZmButtonPage::NotifyChange(TZmPersistent* object, int32_t value, uint32_t kind)
{
  TZmButtonBase::NotifyChange(object, value, kind);
  FollowScene(Page, object, value, kind);
}

std::string TZmButtonPage::GetInfoLine(int32_t index, int32_t mode)
{
  int base = InfoLabelMode(mode);
  if (base == 0) return TZmButtonBase::GetInfoLine(index, mode);
  return PickLine({PageLine(this, Page, base)}, index);
}

// ---- function button

void TZmButtonFun::WriteROM(TZmCompiler& compiler)
{
  WriteBase(compiler);
  RegisterBase(compiler);
}

std::string TZmButtonFun::GetInfoLine(int32_t index, int32_t mode)
{
  int base = InfoLabelMode(mode);
  if (base == 0) return TZmButtonBase::GetInfoLine(index, mode);
  return PickLine({Labelled(base, 2, ChoiceName(2020, Type))}, index);
}

// ---- key button

void TZmButtonKey::Initialize()
{
  TZmButtonBase::Initialize();
  Key = NewObject<TZmKeyDef>();
}

TZmButtonKey::~TZmButtonKey() { delete Key; }

void TZmButtonKey::Serialize(TZmSerialization& s)
{
  TZmButtonBase::Serialize(s);
  s.SerializeObject("Key", Key);
}

void TZmButtonKey::WriteROM(TZmCompiler& compiler)
{
  WriteBase(compiler);
  Key->WriteROM(compiler);  // +48, inline
  RegisterBase(compiler);
}

std::string TZmButtonKey::GetInfoLine(int32_t index, int32_t mode)
{
  int base = InfoLabelMode(mode);
  if (base == 0) return TZmButtonBase::GetInfoLine(index, mode);
  return PickLine({Labelled(base, 5, ChoiceName(6200, Key->Normal))}, index);
}

// ---- press/release button

void TZmBtnStatusSet::Initialize()
{
  TZmButtonBase::Initialize();
  PressValue = NewWriteValue(3);
  ReleaseValue = NewWriteValue(3);
}

TZmBtnStatusSet::~TZmBtnStatusSet()
{
  delete PressValue;
  delete ReleaseValue;
}

void TZmBtnStatusSet::Serialize(TZmSerialization& s)
{
  TZmButtonBase::Serialize(s);
  s.SerializeObject("PressValue", PressValue);
  s.SerializeObject("ReleaseValue", ReleaseValue);
}

void TZmBtnStatusSet::WriteROM(TZmCompiler& compiler)
{
  WriteBase(compiler);
  compiler.WriteReference(resWriteValue, PressValue);    // +48
  compiler.WriteReference(resWriteValue, ReleaseValue);  // +52
  RegisterBase(compiler);
  PressValue->Register(compiler, this, 0, true);
  ReleaseValue->Register(compiler, this, 0, true);
}

std::string TZmBtnStatusSet::GetInfoLine(int32_t index, int32_t mode)
{
  int base = InfoLabelMode(mode);
  if (base == 0) return TZmButtonBase::GetInfoLine(index, mode);
  return PickLine({Labelled(base, 9, PressValue->WriteValue->Expression), Labelled(base, 10, PressValue->ReadValue->Expression),
                   Labelled(base, 11, ReleaseValue->WriteValue->Expression),
                   Labelled(base, 12, ReleaseValue->ReadValue->Expression)},
                  index);
}

// ---- password page button

void TZmButtonPwdPage::Initialize()
{
  TZmButtonBase::Initialize();
  Password = NewPassword();
}

TZmButtonPwdPage::~TZmButtonPwdPage() { delete Password; }

void TZmButtonPwdPage::Serialize(TZmSerialization& s)
{
  TZmButtonBase::Serialize(s);
  s.SerializeUInt32("Page", Page);
  s.SerializeObject("Password", Password);
}

void TZmButtonPwdPage::WriteROM(TZmCompiler& compiler)
{
  WriteBase(compiler);
  WriteSceneReference(compiler, Page, this);        // +48
  compiler.WriteReference(resReadValue, Password);  // +52
  RegisterBase(compiler);
  // A password read from the controller must reach the register memory, or
  // no entry could ever match it; a constant registers nothing.
  Password->Register(compiler, this, 0, true);
}

void TZmButtonPwdPage::NotifyChange(TZmPersistent* object, int32_t value, uint32_t kind)
{
  TZmButtonBase::NotifyChange(object, value, kind);
  FollowScene(Page, object, value, kind);
}

std::string TZmButtonPwdPage::GetInfoLine(int32_t index, int32_t mode)
{
  int base = InfoLabelMode(mode);
  if (base == 0) return TZmButtonBase::GetInfoLine(index, mode);
  return PickLine({PageLine(this, Page, base), Labelled(base, 19, Password->ReadValue->Expression)}, index);
}

// ---- hardware key binding

void TZmBtnSystem::Initialize()
{
  TZmComponent::Initialize();
  KeyValue = 0;
  SafeControl = NewObject<TZmSafeControl>();
  SafeControl->Owner = this;
  PressEvent = NewWriteValue(0);
  ReleaseEvent = NewWriteValue(0);
  ONWriteValue = NewWriteValue(0);
  SetValueWriteValue = NewWriteValue(3);
  SetValueDisplayNumInf = NewObject<TZmDisplayNumInf>();
  JumpPage = 0;
  FunType = 0;
  Key = NewObject<TZmKeyDef>();
  PressValue = NewWriteValue(3);
  ReleaseValue = NewWriteValue(3);
  Page = 0;
  Password = NewPassword();
}

TZmBtnSystem::~TZmBtnSystem()
{
  delete SafeControl;
  delete PressEvent;
  delete ReleaseEvent;
  delete ONWriteValue;
  delete SetValueWriteValue;
  delete SetValueDisplayNumInf;
  delete Key;
  delete PressValue;
  delete ReleaseValue;
  delete Password;
}

void TZmBtnSystem::Serialize(TZmSerialization& s)
{
  TZmComponent::Serialize(s);
  s.SerializeUInt32("KeyValue", KeyValue);
  s.SerializeObject("SafeControl", SafeControl);
  s.SerializeObject("PressEvent", PressEvent);
  s.SerializeObject("ReleaseEvent", ReleaseEvent);
  s.SerializeObject("ONWriteValue", ONWriteValue);
  s.SerializeObject("SetValueWriteValue", SetValueWriteValue);
  s.SerializeObject("SetValueDisplayNumInf", SetValueDisplayNumInf);
  s.SerializeUInt32("JumpPage", JumpPage);
  s.SerializeUInt32("FunType", FunType);
  s.SerializeObject("Key", Key);
  s.SerializeObject("PressValue", PressValue);
  s.SerializeObject("ReleaseValue", ReleaseValue);
  s.SerializeUInt32("Page", Page);
  s.SerializeObject("Password", Password);
}

void TZmBtnSystem::WriteROM(TZmCompiler& compiler)
{
  if (Type == 0) return;
  TZmComponent::WriteROM(compiler);
  TZmStream& out = compiler.Output();
  out.WriteU32(KeyValue);                                // +28
  compiler.WriteReference(resSafeControl, SafeControl);  // +32
  out.WriteU32(0);                                       // +36
  out.WriteU32(0);                                       // +40
  switch (Type) {                                        // +44 on
    case 1: case 2: case 3: case 4:
      compiler.WriteReference(resWriteValue, ONWriteValue);
      break;
    case 5: case 6: case 7:
      compiler.WriteReference(resWriteValue, SetValueWriteValue);
      compiler.WriteReference(resNumberFormat, SetValueDisplayNumInf);
      break;
    case 8: case 12:
      WriteSceneReference(compiler, JumpPage, this);
      break;
    case 9:
      out.WriteU32(FunType);
      break;
    case 10:
      Key->WriteROM(compiler);
      break;
    case 11:
      compiler.WriteReference(resWriteValue, PressValue);
      compiler.WriteReference(resWriteValue, ReleaseValue);
      break;
    case 13:
      WriteSceneReference(compiler, Page, this);
      compiler.WriteReference(resReadValue, Password);
      break;
    default:
      break;
  }
  RegisterSafeControl(compiler, SafeControl, this);
  switch (Type) {
    case 1: case 2: case 3: case 4: ONWriteValue->Register(compiler, this, 0, true); break;
    case 5: RegisterEntryValue(compiler, SetValueWriteValue, this); break;
    case 6: case 7: SetValueWriteValue->Register(compiler, this, 0, true); break;
    case 11:
      PressValue->Register(compiler, this, 0, true);
      ReleaseValue->Register(compiler, this, 0, true);
      break;
    case 13: Password->Register(compiler, this, 0, true); break;
    default: break;
  }
}

void TZmBtnSystem::NotifyChange(TZmPersistent* object, int32_t value, uint32_t kind)
{
  auto* scene = dynamic_cast<TZmScene*>(object);
  SafeControl->NotifyScene(scene ? scene->ID : 0, kind, value);
  FollowScene(JumpPage, object, value, kind);
  FollowScene(Page, object, value, kind);
}

std::string TZmBtnSystem::GetInfoLine(int32_t index, int32_t mode)
{
  int base = InfoLabelMode(mode);
  if (base == 0) return TZmComponent::GetInfoLine(index, mode);
  std::vector<std::string> lines{ChoiceName(2100, Type)};
  auto add = [&](int n, const std::string& v) { lines.push_back(Labelled(base, n, v)); };
  switch (Type) {
    case 1: case 2: case 3: case 4:
      if (base == 8000) add(2, ChoiceName(6700, Type - 1));
      add(0, ONWriteValue->ReadValue->Expression);
      add(1, ONWriteValue->WriteValue->Expression);
      break;
    case 5: case 6: case 7:
      if (base == 8000) add(2, ChoiceName(6020, Type - 5));
      add(1, SetValueWriteValue->WriteValue->Expression);
      add(3, SetValueWriteValue->ReadValue->Expression);
      break;
    case 8: case 12: lines.push_back(PageLine(this, JumpPage, base)); break;
    case 9: add(2, ChoiceName(2020, FunType)); break;
    case 10: add(5, ChoiceName(6200, Key->Normal)); break;
    case 11:
      add(9, PressValue->WriteValue->Expression);
      add(10, PressValue->ReadValue->Expression);
      add(11, ReleaseValue->WriteValue->Expression);
      add(12, ReleaseValue->ReadValue->Expression);
      break;
    case 13:
      lines.push_back(PageLine(this, Page, base));
      add(19, Password->ReadValue->Expression);
      break;
    default: break;
  }
  return PickLine(lines, index);
}
