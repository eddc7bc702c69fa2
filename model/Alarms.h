#pragma once
// The project's alarm list: conditions on controller data, each with a type
// and an optional scene to show.
#include <cstdint>
#include <string>
#include <vector>

#include "base/Persistent.h"

class TZmAlarms;
class TZmReadValue;

class TZmAlarm : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmAlarm"; }
  void Serialize(TZmSerialization& s) override;
  void Initialize() override;
  // 12 bytes: ExternFlag, the condition's read value (or 0), ScreenID.
  void WriteROM(TZmCompiler& compiler) override;
  std::string GetDisplayName() override;
  ~TZmAlarm() override;
  // Registers the condition and reports a missing condition or screen.
  void Register(TZmCompiler& compiler);

  static TZmAlarm* Create(TZmAlarms* owner);

  TZmAlarms* Owner = nullptr;
  void* TreeNode = nullptr;
  TZmReadValue* Condition = nullptr;
  uint32_t ScreenID = 0;
  uint32_t ExternFlag = 0;
};

class TZmAlarms : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmAlarms"; }
  void Serialize(TZmSerialization& s) override;
  void Initialize() override;
  // Count, start and interval times, a zero word, offsets, the records.
  void WriteROM(TZmCompiler& compiler) override;
  ~TZmAlarms() override;

  void Clear();
  size_t Count() const { return Alarms.size(); }
  TZmAlarm* Item(size_t i) const { return i < Alarms.size() ? Alarms[i] : nullptr; }
  // An alarm joins at the end or at `at` (clamped to the list); one already
  // listed stays where it is. Joining takes it from any other list.
  void Append(TZmAlarm* a) { Insert(Alarms.size(), a); }
  void Insert(size_t at, TZmAlarm* a);
  // Takes the alarm out of the list without destroying it.
  void Remove(TZmAlarm* a);
  // -1 when not listed.
  int IndexOf(const TZmAlarm* a) const;
  // IntervalTime outside 1000..6000 is replaced by 6000.
  void CheckInterval();

  void* Owner = nullptr;
  void* TreeNode = nullptr;
  uint32_t StartTime = 6000;
  uint32_t IntervalTime = 6000;
  std::vector<TZmAlarm*> Alarms;
};
