#pragma once
// The project root, the panel configuration and the project file (.ksv).
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/Persistent.h"

class TZmAlarms;
class TZmDevices;
class TZmModel;
class TZmSceneGroups;
class TZmSceneGroup;
class TZmScene;
class TZmHMI;

class TZmConfiguration : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmConfiguration"; }
  void Serialize(TZmSerialization& s) override;
  void Initialize() override;
  // 36-byte record: 0, the eight settings, eight reserved zero words.
  void WriteROM(TZmCompiler& compiler) override;
  // The decimal separator as the editor stores it: one character 32..127, else '.'.
  static uint16_t DecimalFromText(const std::string& text);

  TZmHMI* Owner = nullptr;
  void* TreeNode = nullptr;
  uint16_t ScreenBright = 100;
  uint16_t ScreenContrast = 50;
  uint16_t BackLightTime = 180;
  uint16_t Sdecimal = 46;
  uint16_t SaveScreenBright = 0;
  uint16_t SaveScreenID = 0;
  uint16_t SoundOption = 0;
  uint16_t ModbusSlaveID = 0;
};

// Placeholder object of the root: no stored properties, no record.
class TZmInformation : public TZmPersistent {
public:
  const char* ClassName() const override { return "TZmInformation"; }
  void Serialize(TZmSerialization&) override {}
  TZmHMI* Owner = nullptr;
  uint32_t Value = 0;
};

// The file-information record of a project file; always Count 0.
class TZmFileInf : public TZmPersistent {
public:
  const char* ClassName() const override { return "TZmFileInf"; }
  void Serialize(TZmSerialization&) override {}
};

class TZmHMI : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmHMI"; }
  void Serialize(TZmSerialization& s) override;
  void Initialize() override;
  // The whole panel image: header, ports, scenes, configuration, alarms,
  // register memory, port links, shared resources and both checksums.
  // Nothing is written when the model is not installed.
  void WriteROM(TZmCompiler& compiler) override;
  std::string GetDisplayName() override;
  ~TZmHMI() override;

  // The model-database entry for ModelID, or none.
  const TZmModel* Model() const;
  // Passes a change notice to the devices, scene groups, alarms and
  // configuration. Notices about scenes update every reference to the
  // scene: a deleted scene's references become 0, a renumbered one's follow.
  void NotifyChange(TZmPersistent* object, int32_t value, uint32_t kind);

  TZmDevices* Devices = nullptr;
  TZmSceneGroups* SceneGroups = nullptr;
  TZmConfiguration* Configuration = nullptr;
  TZmAlarms* Alarms = nullptr;
  TZmInformation* Information = nullptr;
  int32_t ModelKnown = 0;
  uint32_t ModelID = 0;
  std::string Title;
  std::string Description;
  void* TreeNode = nullptr;
};

inline constexpr const char* kProjectMagic = "ksv0";
inline constexpr const char* kProjectExtension = ".ksv";
// A project body never inflates beyond this; a small file claiming more is corrupt.
inline constexpr size_t kMaxProjectBody = size_t(256) << 20;

// Empties the root: no ports, scene groups or alarms, no model, and the
// default panel configuration (a new project never inherits the last one's).
void ClearProject(TZmHMI& root);
bool NewFromModel(TZmHMI& root, const TZmModel* model);

// Reads a project file into `root`. On failure the root is left as an empty
// project, `error` says why, and the file is untouched.
// `warnings` receives what was read but is not understood (objects of
// unknown classes are kept as stored and reported there).
bool LoadProject(TZmHMI& root, const std::string& path, std::string& error, std::vector<std::string>* warnings = nullptr);
bool LoadProjectFromBytes(TZmHMI& root, std::span<const uint8_t> bytes, std::string& error,
                          std::vector<std::string>* warnings = nullptr);

// The bytes of a project file for `root`.
std::vector<uint8_t> SaveProjectToBytes(TZmHMI& root);
// Saves under `path` with its extension replaced by ".ksv" (the path used is
// returned in savedPath). Atomic: on failure the old file stays as it was.
bool SaveProject(TZmHMI& root, const std::string& path, std::string& error, std::string* savedPath = nullptr);
std::string WithProjectExtension(const std::string& path);

inline constexpr uint32_t kImageHeaderSize = 256;
inline constexpr int32_t kRegisterMemorySize = 1024;

// Scene edits that keep every reference right. False (nothing changed) for an
// ID outside 1..255 or taken by another scene.
bool RenumberScene(TZmHMI& root, TZmScene* scene, int32_t newId);
void DeleteScene(TZmHMI& root, TZmScene* scene);
void DeleteSceneGroup(TZmHMI& root, TZmSceneGroup* group);

// zlib helpers for the project body.
std::vector<uint8_t> Deflate(std::span<const uint8_t> data);
// `consumed` receives the number of input bytes the zlib stream took; what
// follows it is not part of the stream.
bool Inflate(std::span<const uint8_t> data, size_t limit, std::vector<uint8_t>& out, std::string& error,
             size_t* consumed = nullptr);
