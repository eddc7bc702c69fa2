#include "devices/Devices.h"

#include <algorithm>

#include "devices/Model.h"

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
  auto* s = NewObject<TZmStation>();
  s->Owner = device;
  s->ID = device->FreeId(0);
  device->Stations.push_back(s);
  return s;
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
  if (Owner) return Owner->FindStation(id) != nullptr;
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
  return 0;
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

TZmDevices::~TZmDevices() { Clear(); }

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
  return nullptr;
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
