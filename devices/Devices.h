#pragma once
// The project's ports (devices) and the controller stations on them.
#include <cstdint>
#include <string>
#include <vector>

#include "base/Persistent.h"

class TZmController;
class TZmDevice;
class TZmDevices;
class TZmModel;
class TZmProtocol;

class TZmStation : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmStation"; }
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler&) override {}  // stations have no record of their own
  ~TZmStation() override;

  // A new station on `device`: a free ID of the whole project, a free bus
  // number of the device; the station appends itself to the device. None
  // when the device has no protocol or no ID or bus number is free.
  static TZmStation* Create(TZmDevice* device);

  // The controller with ControllerUID in the loaded protocol files, or none.
  TZmController* Controller() const;
  void SetController(const TZmController* c);
  std::string DisplayText() const;
  std::string GetDisplayName() override { return DisplayText(); }

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
  ~TZmDevice() override;

  static TZmDevice* Create(TZmDevices* owner);

  void ClearStations();
  size_t StationCount() const { return Stations.size(); }
  TZmStation* Station(size_t i) const { return i < Stations.size() ? Stations[i] : nullptr; }
  bool IsIdUsed(int32_t id) const;
  // -1 when every ID (or bus number) is taken.
  int32_t FreeId(int32_t start) const;
  bool IsStationNumUsed(uint32_t n) const;
  int32_t FreeStationNum(int32_t preferred) const;
  TZmProtocol* Protocol() const;
  void SetProtocol(const TZmProtocol* p);
  std::string DisplayText() const;
  // The port's text; a port of another kind shows its number as a serial one would.
  std::string GetDisplayName() override;
  // 48-byte record: type, index, position, protocol UID, line settings and
  // references to the protocol's three shared data arrays.
  void WriteROM(TZmCompiler& compiler) override;

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
  void Initialize() override;
  // Device count, a slot per device, then the device records.
  void WriteROM(TZmCompiler& compiler) override;
  ~TZmDevices() override;

  void CreatePorts(const TZmModel& model);
  void Clear();
  TZmStation* FindStation(int32_t id) const;
  size_t DeviceCount() const { return Devices.size(); }
  TZmDevice* Device(size_t i) const { return i < Devices.size() ? Devices[i] : nullptr; }
  int IndexOf(const TZmDevice* d) const;
  size_t StationCount() const;

  void* Owner = nullptr;  // the project root
  // Station 255: the panel's own memory. Owned, in no device, never stored.
  TZmStation* InternalStation = nullptr;
  std::vector<TZmDevice*> Devices;
};
