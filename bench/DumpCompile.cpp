// dump and pack against compile, side by side on the demo made N-fold
// (every object of every scene N times): dump must cost no more than the
// compile of the same project, and both dump and pack must grow with the
// project, in time and in memory, not faster. Prints the ratios.
//
//   bench_DumpCompile [FOLD [FILE]]   (default 1000; a quarter of it is run
//   too; FILE receives the FOLD-fold project, for measuring the programs)
#include <malloc.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include "base/File.h"
#include "base/Language.h"
#include "base/Persistent.h"
#include "cli/Commands.h"
#include "compiler/Compiler.h"
#include "model/Component.h"
#include "model/DataRoot.h"
#include "model/Project.h"
#include "model/Registry.h"
#include "model/Scenes.h"
#include "model/Startup.h"

// Heap in use and its peak, counted by this program's operator new.
namespace {
std::atomic<size_t> gLive{0}, gPeak{0};
void Count(void* p, bool add)
{
  if (!p) return;
  size_t n = malloc_usable_size(p);
  if (!add) {
    gLive -= n;
    return;
  }
  size_t now = gLive += n, peak = gPeak;
  while (now > peak && !gPeak.compare_exchange_weak(peak, now)) {
  }
}
void* HookedMalloc(size_t n)
{
  void* p = std::malloc(n);
  Count(p, true);
  return p;
}

void HookedFree(void* p)
{
  Count(p, false);
  std::free(p);
}

}  // namespace

#include "tests/ReplaceNew.h"

namespace {

struct TCost {
  double Seconds = 0;
  size_t Peak = 0;  // heap above what was in use before
};

template <typename F>
TCost Measure(F&& f)
{
  size_t before = gLive;
  gPeak = before;
  auto t0 = std::chrono::steady_clock::now();
  f();
  TCost c;
  c.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  c.Peak = gPeak - before;
  return c;
}

// The demo with every object of every scene `fold` times.
std::vector<uint8_t> FoldedDemo(const std::vector<uint8_t>& demo, int fold, size_t& objects)
{
  std::unique_ptr<TZmHMI> root(NewObject<TZmHMI>());
  std::string error;
  if (!LoadProjectFromBytes(*root, demo, error)) {
    std::fprintf(stderr, "bench_DumpCompile: %s\n", error.c_str());
    std::exit(1);
  }
  objects = 0;
  for (TZmSceneGroup* g : root->SceneGroups->Groups)
    for (TZmScene* s : g->Scenes) {
      std::vector<TZmComponent*> originals = s->ComponentGroup->Members;
      for (TZmComponent* c : originals) {
        TZmStream record;
        SerializeObjectTo(c, TZmSerialization::Write, record);
        for (int k = 1; k < fold; ++k) {
          TZmClassFactory make = ScreenObjectClass(c->ClassName());
          if (!make) break;
          auto* copy = static_cast<TZmComponent*>(make());
          record.Seek(0);
          SerializeObjectTo(copy, TZmSerialization::Read, record);
          s->ComponentGroup->Append(copy);
        }
      }
      objects += s->ComponentGroup->Count();
    }
  return SaveProjectToBytes(*root);
}

struct TRow {
  size_t Objects = 0, File = 0, Body = 0;
  TCost Load, Compile, Dump, Pack;
};

TRow Run(const std::vector<uint8_t>& demo, int fold, const char* save)
{
  TRow row;
  const std::vector<uint8_t> file = FoldedDemo(demo, fold, row.Objects);
  std::string error;
  if (save && !WriteFileAtomic(save, file, error)) std::fprintf(stderr, "bench_DumpCompile: %s\n", error.c_str());
  row.File = file.size();
  std::vector<uint8_t> body;
  Inflate(std::span(file).subspan(36), kMaxProjectBody, body, error);
  row.Body = body.size();
  body = {};
  std::unique_ptr<TZmHMI> root(NewObject<TZmHMI>());
  row.Load = Measure([&] { LoadProjectFromBytes(*root, file, error); });
  std::unique_ptr<TZmCompileDriver> compiler = std::make_unique<TZmCompileDriver>();
  row.Compile = Measure([&] { CompileProject(*root, *compiler); });
  compiler.reset();
  root.reset();
  std::string json;
  row.Dump = Measure([&] { DumpProject(file, json, error); });
  std::vector<uint8_t> back;
  row.Pack = Measure([&] { PackProject(json, back, error); });
  if (back != file) {
    std::fprintf(stderr, "bench_DumpCompile: pack(dump(f)) differs from f at fold %d\n", fold);
    std::exit(1);
  }
  return row;
}

void Print(const char* what, const TCost& c, const TRow& r, const TCost& compile)
{
  std::printf("  %-8s %8.3f s  %7.2f us/object  peak %7.1f MB = %5.1f x body  time %5.2f x compile\n", what,
              c.Seconds, 1e6 * c.Seconds / static_cast<double>(r.Objects), c.Peak / 1048576.0,
              static_cast<double>(c.Peak) / static_cast<double>(r.Body), c.Seconds / compile.Seconds);
}

}  // namespace

int main(int argc, char** argv)
{
  int fold = argc > 1 ? std::atoi(argv[1]) : 1000;
  if (fold < 4) fold = 4;
  const TZmStart& start = StartProgram({argv[0], KESTRAVA_BUILD_DIR "/data", 1033});
  LoadDataRoot(start.DataRoot, start.Language ? start.Language->LanguageExtension() : std::string());
  std::vector<uint8_t> demo;
  std::string error;
  if (!ReadWholeFile(start.DataRoot + "/demo/demo.ksv", demo, error)) {
    std::fprintf(stderr, "bench_DumpCompile: %s\n", error.c_str());
    return 1;
  }
  TRow rows[2];
  int folds[2] = {fold / 4, fold};
  for (int i = 0; i < 2; ++i) {
    rows[i] = Run(demo, folds[i], i == 1 && argc > 2 ? argv[2] : nullptr);
    const TRow& r = rows[i];
    std::printf("demo x %d: %zu objects, file %.1f KB, body %.1f MB\n", folds[i], r.Objects, r.File / 1024.0,
                r.Body / 1048576.0);
    Print("load", r.Load, r, r.Compile);
    Print("compile", r.Compile, r, r.Compile);
    Print("dump", r.Dump, r, r.Compile);
    Print("pack", r.Pack, r, r.Compile);
  }
  // Growth from a quarter of the project to all of it: 1.0 is linear.
  auto growth = [&](double a, double b) { return (b / a) / (static_cast<double>(rows[1].Objects) / rows[0].Objects); };
  std::printf("growth per object from x%d to x%d (1.0 = linear): dump time %.2f, dump memory %.2f, pack time %.2f, "
              "pack memory %.2f\n",
              folds[0], folds[1], growth(rows[0].Dump.Seconds, rows[1].Dump.Seconds),
              growth(double(rows[0].Dump.Peak), double(rows[1].Dump.Peak)),
              growth(rows[0].Pack.Seconds, rows[1].Pack.Seconds),
              growth(double(rows[0].Pack.Peak), double(rows[1].Pack.Peak)));
  std::printf("dump / compile at x%d: %.2f (goal: at most 1)\n", folds[1], rows[1].Dump.Seconds / rows[1].Compile.Seconds);
  return 0;
}
