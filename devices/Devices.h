#pragma once
// The project's ports (devices) and the controller stations on them.
#include <cstdint>
#include <string>
#include <vector>

#include "base/Persistent.h"

class TZmDevice;
class TZmDevices;
class TZmModel;

class TZmStation : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmStation"; }
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler&) override {}  // stations have no record of their own
  ~TZmStation() override;

  // A new station on `device`: a free ID of the whole project, a free bus
  // number of the device; the station appends itself to the device.
  static TZmStation* Create(TZmDevice* device);

  TZmDevice* Owner = nullptr;
  void* TreeNode = nullptr;
  int32_t ID = 0;
  uint32_t StationNum = 0;
  std::string Description;
  // Kept as stored even when no loaded controller has this UID, so a project
  // opened without that protocol file does not lose the binding on save.
  uint32_t ControllerUID = 0;
};

class TZmDevice : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmDevice"; }
  void Serialize(TZmSerialization& s) override;
  void Initialize() override;
  void WriteROM(TZmCompiler&) override {}
  ~TZmDevice() override;

  static TZmDevice* Create(TZmDevices* owner);

  void ClearStations();
  size_t StationCount() const { return Stations.size(); }
  TZmStation* Station(size_t i) const { return i < Stations.size() ? Stations[i] : nullptr; }
  bool IsIdUsed(int32_t id) const;
  int32_t FreeId(int32_t start) const;
  bool IsStationNumUsed(uint32_t n) const;

  TZmDevices* Owner = nullptr;
  uint32_t Type = 0;  // 15 = serial port
  uint32_t Index = 0;
  uint32_t ProtocolRefUID = 0;
  struct {
    uint32_t setup0 = 0, setup1 = 0, delay = 0, timeout = 1000, reTryCnt = 0, rev = 0;
  } CommSetup;
  std::vector<TZmStation*> Stations;
};

class TZmDevices : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmDevices"; }
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler&) override {}
  ~TZmDevices() override;

  void CreatePorts(const TZmModel& model);
  void Clear();
  TZmStation* FindStation(int32_t id) const;
  size_t DeviceCount() const { return Devices.size(); }
  TZmDevice* Device(size_t i) const { return i < Devices.size() ? Devices[i] : nullptr; }
  int IndexOf(const TZmDevice* d) const;
  size_t StationCount() const;

  void* Owner = nullptr;  // the project root
  std::vector<TZmDevice*> Devices;
};
