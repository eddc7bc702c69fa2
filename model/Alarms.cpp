#include "model/Alarms.h"

#include <algorithm>
#include <cstddef>

#include "base/Format.h"
#include "base/Texts.h"
#include "image/Context.h"
#include "image/Messages.h"
#include "devices/Bindings.h"
#include "model/Project.h"
#include "model/Scenes.h"

void TZmAlarm::Initialize()
{
  Condition = NewObject<TZmReadValue>();
  Condition->DataType = 0;
}

TZmAlarm::~TZmAlarm()
{
  if (Owner) {
    auto it = std::find(Owner->Alarms.begin(), Owner->Alarms.end(), this);
    if (it != Owner->Alarms.end()) Owner->Alarms.erase(it);
  }
  delete Condition;
}

TZmAlarm* TZmAlarm::Create(TZmAlarms* owner)
{
  auto* a = NewObject<TZmAlarm>();
  a->Owner = owner;
  owner->Alarms.push_back(a);
  return a;
}

std::string TZmAlarm::GetDisplayName()
{
  const std::string& text = Condition->ReadValue->Expression;
  return text.empty() ? GetText(223) : text;
}

void TZmAlarm::Serialize(TZmSerialization& s)
{
  s.SerializeObject("Condition", Condition);
  s.SerializeUInt32("ScreenID", ScreenID);
  s.SerializeUInt32("ExternFlag", ExternFlag);
}

void TZmAlarms::Initialize()
{
  StartTime = 6000;
  IntervalTime = 6000;
}

TZmAlarms::~TZmAlarms() { Clear(); }

void TZmAlarms::Clear()
{
  while (!Alarms.empty()) delete Alarms.back();
}

void TZmAlarms::Insert(size_t at, TZmAlarm* a)
{
  if (!a || IndexOf(a) >= 0) return;
  if (a->Owner) a->Owner->Remove(a);
  Alarms.insert(Alarms.begin() + static_cast<std::ptrdiff_t>(std::min(at, Alarms.size())), a);
  a->Owner = this;
}

void TZmAlarms::Remove(TZmAlarm* a)
{
  auto it = std::find(Alarms.begin(), Alarms.end(), a);
  if (it == Alarms.end()) return;
  Alarms.erase(it);
  a->Owner = nullptr;
}

int TZmAlarms::IndexOf(const TZmAlarm* a) const
{
  auto it = std::find(Alarms.begin(), Alarms.end(), a);
  return it == Alarms.end() ? -1 : static_cast<int>(it - Alarms.begin());
}

void TZmAlarms::CheckInterval()
{
  if (IntervalTime < 1000 || IntervalTime > 6000) IntervalTime = 6000;
}

void TZmAlarms::Serialize(TZmSerialization& s)
{
  if (s.Writing()) CheckInterval();
  s.SerializeUInt32("StartTime", StartTime);
  s.SerializeUInt32("IntervalTime", IntervalTime);
  if (s.Reading()) CheckInterval();
  TZmStream list;
  if (s.Writing()) {
    WriteObjectList(list, ClassName(), Alarms);
    s.SerializeStream("Alarms", list);
  } else {
    s.SerializeStream("Alarms", list);
    ReadTypedList(list, ClassName(), [this] { Clear(); },
                  [this]() -> TZmPersistent* { return TZmAlarm::Create(this); });
  }
}

void TZmAlarm::Register(TZmCompiler& compiler)
{
  Condition->Register(compiler, this, 0, true);
  std::string name = GetDisplayName();
  auto report = [&](int format, int label) {
    compiler.Messages->Add(TZmMessage::ObjectError, TZmMessage::Alarm, SafeFormat(GetText(format), {name, GetText(label)}),
                           this, label - 622);
  };
  if (Condition->ReadValue->Expression.empty()) report(2627, 622);
  if (ScreenID == 0) report(2605, 623);
  else if (!compiler.HasScene(static_cast<int32_t>(ScreenID))) report(2606, 623);
}

void TZmAlarm::WriteROM(TZmCompiler& compiler)
{
  TZmStream& out = compiler.Output();
  out.WriteU32(ExternFlag);
  if (Condition->ReadValue->Expression.empty()) out.WriteU32(0);
  else compiler.WriteReference(resReadValue, Condition);
  out.WriteU32(ScreenID);
}

void TZmAlarms::WriteROM(TZmCompiler& compiler)
{
  CheckInterval();
  TZmStream& out = compiler.Output();
  out.WriteU32(static_cast<uint32_t>(Alarms.size()));
  out.WriteU32(StartTime);
  out.WriteU32(IntervalTime);
  out.WriteU32(0);
  size_t slots = out.Size();
  out.WriteZeros(4 * Alarms.size());
  for (size_t i = 0; i < Alarms.size(); ++i) {
    Alarms[i]->Register(compiler);
    compiler.PatchSlot(slots, i);
    Alarms[i]->WriteROM(compiler);
  }
}
