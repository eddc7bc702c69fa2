// Feeds arbitrary text to the JSON reader behind `kestrava-cli pack`; what
// packs must dump again and pack back to the same bytes.
#include <cstdint>
#include <string>
#include <vector>

#include "cli/Commands.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  std::string json(reinterpret_cast<const char*>(data), size), error, again;
  std::vector<uint8_t> file, back;
  if (!PackProject(json, file, error)) return 0;
  if (!DumpProject(file, again, error)) __builtin_trap();
  if (!PackProject(again, back, error) || back != file) __builtin_trap();
  return 0;
}
