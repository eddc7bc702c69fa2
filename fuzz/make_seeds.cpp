// Writes the seed files of the fuzz targets that are made from the demo
// project rather than kept as they are: the clipboard blocks the editor
// copies from each demo screen, and the demo with deeply nested records
// appended (which every program must read within bounds).
//
//   make_seeds DEMO.ksv CORPUS_DIR
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "base/File.h"
#include "base/Guard.h"
#include "model/Clipboard.h"
#include "model/Component.h"
#include "model/Project.h"
#include "model/Scenes.h"
#include "model/Startup.h"
#include "tests/DeepRecords.h"

namespace fs = std::filesystem;

static bool Write(const fs::path& path, const std::vector<uint8_t>& bytes)
{
  std::string error;
  fs::create_directories(path.parent_path());
  if (WriteFileAtomic(path.string(), bytes, error)) return true;
  std::fprintf(stderr, "make_seeds: %s\n", error.c_str());
  return false;
}

static int Main(int argc, char** argv)
{
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_seeds DEMO.ksv CORPUS_DIR\n");
    return 2;
  }
  StartProgram({argv[0], {}, 1033});
  std::vector<uint8_t> demo;
  std::string error;
  auto load = [&](TZmHMI& root) {
    if (LoadProjectFromBytes(root, demo, error)) return true;
    std::fprintf(stderr, "make_seeds: %s\n", error.c_str());
    return false;
  };
  if (!ReadWholeFile(argv[1], demo, error)) {
    std::fprintf(stderr, "make_seeds: %s\n", error.c_str());
    return 1;
  }
  const fs::path out = argv[2];
  bool ok = true;

  std::unique_ptr<TZmHMI> root(NewObject<TZmHMI>());
  if (!load(*root)) return 1;
  for (TZmSceneGroup* g : root->SceneGroups->Groups)
    for (TZmScene* s : g->Scenes) {
      TZmComponentRefs all;
      all.Scene = s;
      for (TZmComponent* c : s->ComponentGroup->Members) all.Add(c);
      if (all.Count())
        ok &= Write(out / "fuzz_clipboard" / ("scene-" + std::to_string(s->ID) + ".bin"),
                    WriteClipboardBlock(all, 1, 1));
    }
  {
    // Nested groups on the clipboard, a few past the depth that is read.
    std::unique_ptr<TZmHMI> nest(NewObject<TZmHMI>());
    TZmScene* s = TZmScene::Create(TZmSceneGroup::Create(nest->SceneGroups));
    deep::AddRecordToScene(*nest, deep::NestedGroups(kMaxGroupDepth + 4), "TZmComponentGroup");
    TZmComponentRefs one;
    one.Scene = s;
    one.Add(s->ComponentGroup->Item(0));
    ok &= Write(out / "fuzz_clipboard" / "nested-groups.bin", WriteClipboardBlock(one, 1, 1));
  }

  std::unique_ptr<TZmHMI> groups(NewObject<TZmHMI>()), objects(NewObject<TZmHMI>());
  if (!load(*groups) || !load(*objects)) return 1;
  deep::AddRecordToScene(*groups, deep::NestedGroups(6000), "TZmComponentGroup");
  deep::AddRecordToScene(*objects, deep::NestedObjects(10000), "TZmSomethingNew");
  auto after = demo;
  for (uint8_t b : {0xDE, 0xAD, 0xBE, 0xEF}) after.push_back(b);
  for (const char* target : {"fuzz_project", "fuzz_dump"}) {
    ok &= Write(out / target / "demo.ksv", demo);
    ok &= Write(out / target / "demo-6000-nested-groups.ksv", SaveProjectToBytes(*groups));
    ok &= Write(out / target / "demo-10000-nested-objects.ksv", SaveProjectToBytes(*objects));
    ok &= Write(out / target / "demo-bytes-after-the-body.ksv", after);
  }
  return ok ? 0 : 1;
}

int main(int argc, char** argv) { return RunGuarded("make_seeds", Main, argc, argv); }
