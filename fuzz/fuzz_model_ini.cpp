// Feeds arbitrary text to the reader of panel model files (model/*.ini):
// every model it makes has the sizes, keys and ports the file gave within
// their limits, and the project made for it saves and loads again.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "base/Ini.h"
#include "devices/Model.h"
#include "model/Project.h"
#include "model/Startup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static const bool started = (StartProgram({}), true);
  (void)started;
  TZmIniFile ini;
  ini.LoadFromBytes(std::span(data, size));
  TZmModels models;
  // Pictures named by the file are looked for where there are none.
  models.LoadModelIni(ini, "/nonexistent-kestrava-fuzz", "ENU");
  for (size_t i = 0; i < models.Count() && i < 4; ++i) {
    const TZmModel* m = models.Item(i);
    if (m->Width() < 0 || m->Height() < 0) __builtin_trap();
    std::unique_ptr<TZmHMI> root(NewObject<TZmHMI>());
    if (NewFromModel(*root, m)) {
      std::vector<uint8_t> bytes = SaveProjectToBytes(*root);
      std::unique_ptr<TZmHMI> back(NewObject<TZmHMI>());
      std::string error;
      if (!LoadProjectFromBytes(*back, bytes, error)) __builtin_trap();
    }
  }
  return 0;
}
