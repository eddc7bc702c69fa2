// Replays every file of the given folders (or files) through the fuzz entry
// point, so the corpus runs as a regression test without libFuzzer.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "base/File.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv)
{
  namespace fs = std::filesystem;
  size_t runs = 0;
  for (int i = 1; i < argc; ++i) {
    std::vector<fs::path> files;
    if (fs::is_directory(argv[i])) {
      for (const auto& e : fs::recursive_directory_iterator(argv[i]))
        if (e.is_regular_file()) files.push_back(e.path());
    } else {
      files.push_back(argv[i]);
    }
    for (const auto& f : files) {
      std::vector<uint8_t> bytes;
      std::string err;
      if (!ReadWholeFile(f.string(), bytes, err)) {
        std::fprintf(stderr, "%s\n", err.c_str());
        return 1;
      }
      LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
      ++runs;
    }
  }
  std::printf("%zu inputs replayed\n", runs);
  return runs ? 0 : 1;
}
