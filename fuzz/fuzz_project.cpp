// Feeds arbitrary bytes to the project-file reader; a failed load must leave
// an empty project and a successful one must save again.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "model/Project.h"
#include "model/Startup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static const bool started = (StartProgram({}), true);
  (void)started;
  std::unique_ptr<TZmHMI> root(NewObject<TZmHMI>());
  std::string error;
  if (LoadProjectFromBytes(*root, std::span(data, size), error)) {
    std::vector<uint8_t> again = SaveProjectToBytes(*root);
    std::unique_ptr<TZmHMI> copy(NewObject<TZmHMI>());
    if (!LoadProjectFromBytes(*copy, again, error)) __builtin_trap();
  }
  return 0;
}
