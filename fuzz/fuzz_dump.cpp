// Feeds arbitrary bytes to `kestrava-cli dump`'s walk of the record tree.
// Whatever it dumps packs back to the same file: byte for byte where the
// compressed body is as this program compresses it, and otherwise with the
// same bytes around an equivalent compressed body (deflate has many
// encodings of one body; pack makes the one zlib makes).
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/Record.h"
#include "cli/Commands.h"
#include "model/Project.h"

namespace {

struct TParts {
  std::vector<uint8_t> Head, Body, After;
  bool Canonical = false;
};

// Magic and file information, the inflated body, the bytes after it.
bool Split(std::span<const uint8_t> file, TParts& p)
{
  size_t pos = 4;
  TZmRawRecord info;
  if (file.size() < 4 || !ParseRawRecord(file, pos, info)) return false;
  p.Head.assign(file.begin(), file.begin() + pos);
  std::string error;
  size_t used = 0;
  std::span<const uint8_t> z = file.subspan(pos);
  if (!Inflate(z, kMaxProjectBody, p.Body, error, &used)) return false;
  p.After.assign(z.begin() + used, z.end());
  std::vector<uint8_t> again = Deflate(p.Body);
  p.Canonical = again.size() == used && std::equal(again.begin(), again.end(), z.begin());
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  std::string json, error;
  std::span<const uint8_t> file(data, size);
  if (!DumpProject(file, json, error)) {
    if (error.empty()) __builtin_trap();
    return 0;
  }
  std::vector<uint8_t> back;
  if (!PackProject(json, back, error)) __builtin_trap();
  TParts in, out;
  if (!Split(file, in) || !Split(back, out)) __builtin_trap();
  if (in.Head != out.Head || in.Body != out.Body || in.After != out.After) __builtin_trap();
  if (in.Canonical && (back.size() != size || !std::equal(back.begin(), back.end(), data))) __builtin_trap();
  return 0;
}
