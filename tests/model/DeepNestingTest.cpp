// Groups nested deeper than any drawing: read to a bounded depth, the rest
// kept as stored, in memory that grows with the file and not its square.
#include <gtest/gtest.h>
#include <malloc.h>


#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>

#include "../DeepRecords.h"
#include "model/Component.h"
#include "model/Project.h"
#include "model/Scenes.h"
#include "model/Shapes.h"

// The heap in use, and its peak, counted by the operator new of this test
// program (nothing else changes: every allocation still comes from malloc).
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
  size_t now = gLive += n;
  size_t peak = gPeak;
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

#include "../ReplaceNew.h"

namespace {

using Root = std::unique_ptr<TZmHMI>;

// A scene with a rectangle, then `depth` nested groups, then a line.
std::vector<uint8_t> DeepProject(int depth)
{
  Root r(NewObject<TZmHMI>());
  TZmScene* scene = TZmScene::Create(TZmSceneGroup::Create(r->SceneGroups));
  scene->ID = 3;
  CreateComponent<TZmRect>(scene->ComponentGroup)->SetBounds(1, 2, 30, 40);
  deep::AddRecordToScene(*r, deep::NestedGroups(depth), "TZmComponentGroup");
  CreateComponent<TZmLine>(scene->ComponentGroup)->SetBounds(5, 5, 9, 9);
  return SaveProjectToBytes(*r);
}

int GroupDepth(TZmComponent* c)
{
  int d = 0;
  while (auto* g = dynamic_cast<TZmComponentGroup*>(c)) {
    ++d;
    c = g->Count() ? g->Item(0) : nullptr;
  }
  return d;
}

}  // namespace

TEST(DeepNesting, GroupsReadToTheLimitAndTheRestKeptWithinAMemoryBound)
{
  struct Case {
    int depth;
    bool warned;
  };
  for (Case c : {Case{kMaxGroupDepth, false}, Case{kMaxGroupDepth + 1, true}, Case{6000, true}}) {
    const auto file = DeepProject(c.depth);
    Root r(NewObject<TZmHMI>());
    std::vector<std::string> warnings;
    std::string error;
    size_t before = gLive;
    gPeak = before;
    ASSERT_TRUE(LoadProjectFromBytes(*r, file, error, &warnings)) << error;
    size_t peak = gPeak - before;
    TZmComponentGroup* list = r->SceneGroups->FindScene(3)->ComponentGroup;
    ASSERT_EQ(list->Count(), 3u) << c.depth;
    EXPECT_TRUE(dynamic_cast<TZmRect*>(list->Item(0)));  // the objects around it are kept
    EXPECT_TRUE(dynamic_cast<TZmLine*>(list->Item(2)));
    EXPECT_EQ(GroupDepth(list->Item(1)), std::min(c.depth, kMaxGroupDepth)) << c.depth;
    EXPECT_EQ(list->UnknownCount(), c.warned ? 1u : 0u);
    ASSERT_EQ(warnings.size(), c.warned ? 1u : 0u) << c.depth;
    if (c.warned) {
      EXPECT_NE(warnings[0].find("nested deeper than 32 levels"), std::string::npos) << warnings[0];
    }
    // What lies below the limit is kept byte for byte: saved and read
    // again, the project saves to the same bytes.
    const auto saved = SaveProjectToBytes(*r);
    Root again(NewObject<TZmHMI>());
    ASSERT_TRUE(LoadProjectFromBytes(*again, saved, error)) << error;
    EXPECT_EQ(SaveProjectToBytes(*again), saved) << c.depth;
    if (c.warned) {
      TZmComponent* kept = list->Item(1);
      for (int i = 0; i < kMaxGroupDepth; ++i) kept = static_cast<TZmComponentGroup*>(kept)->Item(0);
      TZmStream record;
      SerializeObjectTo(kept, TZmSerialization::Write, record);
      EXPECT_EQ(record.Size(), deep::NestedGroups(c.depth - kMaxGroupDepth).size());
    }
    if (c.depth == 6000) {
      // 6000 levels (729 KB of records) take about 31 MB: 32 levels are
      // read, each holding its part of the record once. Read without a
      // bound, copying the rest at every level, they took gigabytes and
      // ended in an uncaught allocation failure.
      std::vector<uint8_t> body;
      ASSERT_TRUE(Inflate(std::span(file).subspan(36), kMaxProjectBody, body, error));
      EXPECT_LT(peak, 64 * body.size()) << "peak " << peak << " for a body of " << body.size();
      std::printf("6000 nested groups: body %zu bytes, peak heap while loading %zu bytes\n", body.size(), peak);
    }
  }
}

TEST(DeepNesting, ClipboardListsHaveTheSameLimit)
{
  Root r(NewObject<TZmHMI>());
  TZmScene* scene = TZmScene::Create(TZmSceneGroup::Create(r->SceneGroups));
  TZmStream clip;
  WriteText(clip, "TZmComponentRefs");
  clip.WriteI32(1);
  auto groups = deep::NestedGroups(kMaxGroupDepth + 5);
  clip.Write(groups);
  // The End of the first record counts from the start of the clipboard block.
  clip.PatchU32(4 + 2 * 16 + 4 + 38, static_cast<uint32_t>(clip.Size()));
  clip.Seek(0);
  TZmLoadWarnings warnings;
  TZmComponentRefs refs;
  refs.Scene = scene;
  ASSERT_TRUE(refs.ReadObjectList(clip));
  ASSERT_EQ(refs.Count(), 1u);
  EXPECT_EQ(GroupDepth(refs.Item(0)), kMaxGroupDepth);
  EXPECT_EQ(warnings.List.size(), 1u);
}
