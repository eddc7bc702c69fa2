#include "model/Alarms.h"

#include <algorithm>

#include "base/Texts.h"
#include "devices/Bindings.h"

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
