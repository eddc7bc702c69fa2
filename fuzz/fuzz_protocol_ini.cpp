// Feeds arbitrary text to the reader of controller protocol files
// (protocol/*.ini) and then resolves addresses against every controller it
// made, through the register rules the file gave.
#include <cstdint>
#include <span>
#include <string>

#include "base/Ini.h"
#include "devices/Protocols.h"
#include "devices/RegRule.h"
#include "devices/Resolve.h"
#include "model/Startup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static const bool started = (StartProgram({}), true);
  (void)started;
  TZmIniFile ini;
  ini.LoadFromBytes(std::span(data, size));
  TZmControllerDB& db = TZmControllerDB::Global();
  db.ClearAll();
  db.LoadProtocolIni(ini, "fuzz.ini", "ENU");
  static const char* const addresses[] = {"D100", "HR5", "X17", "M0.3", "C1", "400001", "LW3", "DB1.DBW4", "T9", "Y7"};
  for (size_t c = 0; c < db.ControllerCount() && c < 8; ++c) {
    TZmController* ctrl = db.Controller(c);
    for (const char* a : addresses)
      for (int32_t type : {0, 4, 7}) MatchController(*ctrl, a, type, 3, kindAll);
  }
  db.ClearAll();
  return 0;
}
