#pragma once
// Screen-object groups. Until the screen-object classes exist this group
// keeps every stored property of its record as it was read and writes it
// back unchanged, so projects pass through without losing objects.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "base/Persistent.h"

class TZmScene;

class TZmComponentGroup : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmComponentGroup"; }
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler&) override {}

  // Number of members in the stored "Components" list (0 when absent or unreadable).
  int32_t ComponentCount() const;

  TZmScene* Scene = nullptr;
  uint32_t TypeCode = 0x40001;

private:
  std::vector<std::pair<std::string, std::vector<uint8_t>>> Kept;
};
