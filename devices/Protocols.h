#pragma once
// The protocols and controllers the tool can talk to, read from the
// protocol folder's INI files, and the internal controller (the panel's own
// register memory).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Persistent.h"
#include "devices/RegRule.h"

class TZmIniFile;

// Persistent array of 1-, 2- or 4-byte elements. Compiled as the element
// count, the bytes, and zero bytes up to a multiple of 4.
class TZmDataArray : public TZmPersistentROM {
public:
  explicit TZmDataArray(int32_t elementSize = 1) : ElementSize(elementSize) {}
  const char* ClassName() const override { return "TZmDataArray"; }
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler& compiler) override;
  void WriteRecord(TZmStream& out) const;

  void Append(uint32_t value);
  size_t Count() const { return ElementSize > 0 ? Data.Size() / ElementSize : 0; }
  uint32_t Element(size_t i) const;

  int32_t ElementSize;
  TZmStream Data;
};

// A problem found while reading data files. Collected, never shown by the core.
struct TZmDataWarning {
  std::string File, Section, Key, Text;
};

class TZmController {
public:
  bool ReadFromIni(const TZmIniFile& ini, const std::string& section, const std::string& languageCode,
                   std::vector<TZmDataWarning>* warnings = nullptr);

  std::string Name, FirmName, Description;
  uint32_t UID = 0;
  TZmRegRules RegRules;
};

class TZmProtocol {
public:
  bool ReadFromIni(const TZmIniFile& ini, const std::string& section, const std::string& languageCode,
                   std::vector<TZmDataWarning>* warnings = nullptr);
  // Offered for a serial port when any of bits 0..3 of Type is set.
  bool RunsOnSerialPort() const { return (Type & 15) != 0; }

  std::string Name, FirmName, Description;
  uint32_t UID = 0;
  int32_t Type = 0;
  int32_t StationCount = 256;
  int32_t MaxStationNum = 255;
  int32_t MinStationNum = 0;
  int32_t Station = 1;
  std::vector<TZmController*> ControllerRefs;  // shared controllers, not owned
  int32_t RS232 = 0, BaudRate = 9600, DataBit = 2, Parity = 2, StopBit = 0, Delay = 0, Timeout = 1000, RetryCount = 3;
  std::string IP;
  int32_t Port = 502;
  int32_t Mode = 1;
  TZmDataArray NameArray{2};
  TZmDataArray FormatArray{4};
  TZmDataArray CheckArray{4};
};

class TZmControllerDB {
public:
  static TZmControllerDB& Global();

  // Loads every *.ini of the folder, in name order (case-insensitive).
  bool LoadProtocolFolder(const std::string& folder, const std::string& languageCode);
  bool LoadProtocolFile(const std::string& path, const std::string& languageCode);
  // The protocols of a parsed protocol file; `path` names it in warnings.
  void LoadProtocolIni(const TZmIniFile& ini, const std::string& path, const std::string& languageCode);
  void ClearProtocols() { Protocols.clear(); }
  // Also clears controllers; for tests and a full reload of the data root.
  void ClearAll();
  TZmController* BuildInternalController();

  TZmProtocol* FindProtocol(uint32_t uid) const;
  TZmController* FindController(uint32_t uid) const;
  TZmProtocol* Protocol(size_t i) const { return i < Protocols.size() ? Protocols[i].get() : nullptr; }
  size_t ProtocolCount() const { return Protocols.size(); }
  TZmController* Controller(size_t i) const { return i < Controllers.size() ? Controllers[i].get() : nullptr; }
  size_t ControllerCount() const { return Controllers.size(); }
  TZmController* InternalController() const;

  // Shared controllers: reuse the one with this UID or append a new one.
  TZmController* ControllerFor(uint32_t uid, bool& created);

  std::vector<TZmDataWarning> Warnings;
  std::vector<std::unique_ptr<TZmProtocol>> Protocols;
  std::vector<std::unique_ptr<TZmController>> Controllers;
  uint32_t InternalUID = 0;
};

inline constexpr uint32_t kDefaultInternalControllerUID = 1150809209;  // 0x4497F479
