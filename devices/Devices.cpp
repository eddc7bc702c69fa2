#include "devices/Devices.h"

#include <algorithm>

#include "base/Format.h"
#include "base/Texts.h"
#include "image/Context.h"
#include "devices/Model.h"
#include "devices/Protocols.h"

template <typename T>
static void RemoveFrom(std::vector<T*>& list, const T* item)
{
  auto it = std::find(list.begin(), list.end(), item);
  if (it != list.end()) list.erase(it);
}

// Owned children remove themselves from their owner's list when destroyed,
// so clearing deletes from the back of a copy.
template <typename T>
static void DeleteAll(std::vector<T*>& list)
{
  while (!list.empty()) delete list.back();
}

TZmStation::~TZmStation()
{
  if (Owner) RemoveFrom(Owner->Stations, this);
}

TZmStation* TZmStation::Create(TZmDevice* device)
{
  if (!device || !device->Protocol()) return nullptr;
  int32_t id = device->FreeId(0);
  int32_t num = device->FreeStationNum(-1);
  if (id < 0 || num < 0) return nullptr;
  auto* s = NewObject<TZmStation>();
  s->Owner = device;
  s->ID = id;
  s->StationNum = static_cast<uint32_t>(num);
  device->Stations.push_back(s);
  return s;
}

TZmController* TZmStation::Controller() const
{
  return ControllerUID ? TZmControllerDB::Global().FindController(ControllerUID) : nullptr;
}

void TZmStation::SetController(const TZmController* c) { ControllerUID = c ? c->UID : 0; }

std::string TZmStation::DisplayText() const
{
  if (!Description.empty()) return SafeFormat(GetText(200), {ID, Description, StationNum});
  if (TZmController* c = Controller()) return SafeFormat(GetText(200), {ID, c->Name, StationNum});
  return GetText(201);
}

void TZmStation::Serialize(TZmSerialization& s)
{
  s.SerializeInt32("ID", ID);
  s.SerializeUInt32("StationNum", StationNum);
  s.SerializeString("Description", Description);
  s.SerializeUInt32("ControllorRefUID", ControllerUID);
}

void TZmDevice::Initialize()
{
  CommSetup = {};
}

TZmDevice::~TZmDevice()
{
  ClearStations();
  if (Owner) RemoveFrom(Owner->Devices, this);
}

TZmDevice* TZmDevice::Create(TZmDevices* owner)
{
  auto* d = NewObject<TZmDevice>();
  d->Owner = owner;
  owner->Devices.push_back(d);
  return d;
}

void TZmDevice::ClearStations() { DeleteAll(Stations); }

bool TZmDevice::IsIdUsed(int32_t id) const
{
  if (Owner) return id != 255 && Owner->FindStation(id) != nullptr;
  for (auto* s : Stations)
    if (s->ID == id) return true;
  return false;
}

int32_t TZmDevice::FreeId(int32_t start) const
{
  int32_t id = start;
  for (int tries = 0; tries < 255; ++tries) {
    if (id < 0 || id > 254) id = 0;
    if (!IsIdUsed(id)) return id;
    ++id;
  }
  return -1;
}

int32_t TZmDevice::FreeStationNum(int32_t preferred) const
{
  TZmProtocol* p = Protocol();
  if (!p) return -1;
  int64_t lo = p->MinStationNum, hi = p->MaxStationNum;
  if (hi < lo) return -1;
  int64_t n = preferred == -1 ? p->Station : preferred;
  int64_t tries = hi - lo + 1;
  for (int64_t t = 0; t < tries; ++t) {
    if (n < lo || n > hi) n = lo;
    if (n >= 0 && !IsStationNumUsed(static_cast<uint32_t>(n))) return static_cast<int32_t>(n);
    ++n;
  }
  return -1;
}

TZmProtocol* TZmDevice::Protocol() const
{
  return ProtocolRefUID ? TZmControllerDB::Global().FindProtocol(ProtocolRefUID) : nullptr;
}

void TZmDevice::SetProtocol(const TZmProtocol* p) { ProtocolRefUID = p ? p->UID : 0; }

std::string TZmDevice::DisplayText() const
{
  if (Type != 15) return {};
  TZmProtocol* p = Protocol();
  if (!p) return SafeFormat("COM%d", {Index + 1});
  // Indexes come from the file: out of range shows '?' instead of reading past a table.
  auto pick = [](const char* table, uint32_t i) { return i < std::char_traits<char>::length(table) ? table[i] : '?'; };
  uint32_t parity = (CommSetup.setup1 >> 24) & 0xFF, data = (CommSetup.setup1 >> 8) & 0xFF, stop = (CommSetup.setup1 >> 16) & 0xFF;
  return SafeFormat("COM%d : %s [%d,%c,%c,%c]",
                    {Index + 1, p->Name, CommSetup.setup0, pick("NOEMS", parity), pick("5678", data), pick("12", stop)});
}

std::string TZmDevice::GetDisplayName()
{
  std::string text = DisplayText();
  return text.empty() ? SafeFormat("COM%d", {Index + 1}) : text;
}

void TZmDevice::WriteROM(TZmCompiler& compiler)
{
  TZmStream& out = compiler.Output();
  out.WriteU16(static_cast<uint16_t>(Type));
  out.WriteU16(0);
  out.WriteU16(static_cast<uint16_t>(Index));
  out.WriteU16(static_cast<uint16_t>(Owner ? Owner->IndexOf(this) : 0));
  out.WriteU32(ProtocolRefUID);
  for (uint32_t v : {CommSetup.setup0, CommSetup.setup1, CommSetup.delay, CommSetup.timeout, CommSetup.reTryCnt, CommSetup.rev})
    out.WriteU32(v);
  if (TZmProtocol* p = Protocol()) {
    compiler.WriteReference(resDataArray, &p->NameArray);
    compiler.WriteReference(resDataArray, &p->FormatArray);
    compiler.WriteReference(resDataArray, &p->CheckArray);
  } else {
    out.WriteZeros(12);
  }
}

bool TZmDevice::IsStationNumUsed(uint32_t n) const
{
  for (auto* s : Stations)
    if (s->StationNum == n) return true;
  return false;
}

void TZmDevice::Serialize(TZmSerialization& s)
{
  s.SerializeUInt32("Type", Type);
  s.SerializeUInt32("Index", Index);
  s.SerializeUInt32("CommSetup.setup0", CommSetup.setup0);
  s.SerializeUInt32("CommSetup.setup1", CommSetup.setup1);
  s.SerializeUInt32("CommSetup.delay", CommSetup.delay);
  s.SerializeUInt32("CommSetup.timeout", CommSetup.timeout);
  s.SerializeUInt32("CommSetup.reTryCnt", CommSetup.reTryCnt);
  s.SerializeUInt32("CommSetup.rev", CommSetup.rev);
  s.SerializeUInt32("ProtocolRefUID", ProtocolRefUID);
  if (s.Writing()) {
    TZmStream list;
    WriteObjectList(list, ClassName(), Stations);
    s.SerializeStream("Stations", list);
  } else {
    TZmStream list;
    s.SerializeStream("Stations", list);
    ReadTypedList(list, ClassName(), [this] { ClearStations(); },
                  [this]() -> TZmPersistent* {
                    auto* st = NewObject<TZmStation>();
                    st->Owner = this;
                    Stations.push_back(st);
                    return st;
                  });
  }
}

void TZmDevices::Initialize()
{
  InternalStation = NewObject<TZmStation>();
  InternalStation->ID = 255;
  InternalStation->StationNum = 255;
  InternalStation->Description = GetText(3900);
  TZmController* internal = TZmControllerDB::Global().InternalController();
  InternalStation->ControllerUID = internal ? internal->UID : kDefaultInternalControllerUID;
}

TZmDevices::~TZmDevices()
{
  Clear();
  delete InternalStation;
}

void TZmDevices::WriteROM(TZmCompiler& compiler)
{
  TZmStream& out = compiler.Output();
  out.WriteU32(static_cast<uint32_t>(Devices.size()));
  size_t slots = out.Size();
  out.WriteZeros(4 * Devices.size());
  for (size_t i = 0; i < Devices.size(); ++i) {
    compiler.PatchSlot(slots, i);
    Devices[i]->WriteROM(compiler);
  }
}

void TZmDevices::Clear() { DeleteAll(Devices); }

void TZmDevices::CreatePorts(const TZmModel& model)
{
  for (int32_t i = 0; i < model.COMCnt; ++i) {
    TZmDevice* d = TZmDevice::Create(this);
    d->Index = static_cast<uint32_t>(i);
    d->Type = 15;
  }
}

TZmStation* TZmDevices::FindStation(int32_t id) const
{
  for (auto* d : Devices)
    for (auto* s : d->Stations)
      if (s->ID == id) return s;
  return id == 255 ? InternalStation : nullptr;
}

int TZmDevices::IndexOf(const TZmDevice* d) const
{
  auto it = std::find(Devices.begin(), Devices.end(), d);
  return it == Devices.end() ? -1 : static_cast<int>(it - Devices.begin());
}

size_t TZmDevices::StationCount() const
{
  size_t n = 0;
  for (auto* d : Devices) n += d->Stations.size();
  return n;
}

void TZmDevices::Serialize(TZmSerialization& s)
{
  if (s.Writing()) {
    TZmStream list;
    WriteObjectList(list, ClassName(), Devices);
    s.SerializeStream("Devices", list);
  } else {
    TZmStream list;
    s.SerializeStream("Devices", list);
    ReadTypedList(list, ClassName(), [this] { Clear(); },
                  [this]() -> TZmPersistent* { return TZmDevice::Create(this); });
  }
}
