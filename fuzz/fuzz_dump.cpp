// Feeds arbitrary bytes to `kestrava-cli dump`'s walk of the record tree:
// whatever it dumps must pack back to exactly the same bytes.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "cli/Commands.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  std::string json, error;
  if (!DumpProject(std::span(data, size), json, error)) {
    if (error.empty()) __builtin_trap();
    return 0;
  }
  std::vector<uint8_t> back;
  if (!PackProject(json, back, error)) __builtin_trap();
  if (back.size() != size || !std::equal(back.begin(), back.end(), data)) __builtin_trap();
  return 0;
}
