// The component base, groups, reference sets and scene rules.
#include <gtest/gtest.h>

#include <memory>

#include "base/Persistent.h"
#include "image/Context.h"
#include "devices/Model.h"
#include "graphics/DC.h"
#include "model/Component.h"
#include "model/Project.h"
#include "model/Scenes.h"

namespace {

// A filled box with a chosen type code; enough to exercise the base.
template <uint32_t Code>
class TBox : public TZmComponent {
public:
  const char* ClassName() const override { return Name(); }
  static const char* Name()
  {
    static const std::string n = "TTestBox" + std::to_string(Code);
    return n.c_str();
  }
  uint32_t ClassTypeCode() const override { return Code; }
  void Initialize() override { TypeCode = Code; }
  void ChangeColorFormat(int32_t, int32_t) override {}
  void Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t, bool registerIt) override
  {
    const TZmIdentitySource* ids = BeginPaint(collector, registerIt);
    dc.SelectPen(TZmDCPen{0, 0, 1, 0}, ids, 0);
    dc.SelectBrush(TZmDCBrush{0x1F, 1, 0, 0}, ids, 0);
    dc.Rectangle(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
  }
  int32_t GetImageIndex() override { return 0; }
  int32_t GetTypeTextID() override { return -1; }
  void WriteROM(TZmCompiler& c) override
  {
    TZmComponent::WriteROM(c);
    c.Output().WriteU32(0xB0B0B0B0);
  }
};
using TRect3 = TBox<3>;

class Scenes : public ::testing::Test {
protected:
  void SetUp() override
  {
    auto m = std::make_unique<TZmModel>();
    m->ID = 500;
    m->EditRect = {0, 0, 100, 50};
    TZmModels::Global().Add(std::move(m));
    RegisterClassOf<TBox<3>>();
    RegisterClassOf<TBox<9>>();
    RegisterClassOf<TBox<10>>();
    RegisterClassOf<TBox<0x10002>>();
    root.reset(NewObject<TZmHMI>());
    root->ModelID = 500;
    scene = TZmSceneGroup::Create(root->SceneGroups)->AddScene();
  }
  void TearDown() override
  {
    root.reset();
    TZmModels::Global().Clear();
  }
  template <typename T = TRect3>
  T* Box(int32_t l, int32_t t, int32_t r, int32_t b, TZmScene* in = nullptr)
  {
    T* box = NewObject<T>();
    (in ? in : scene)->ComponentGroup->Append(box);
    box->SetBounds(l, t, r, b);
    return box;
  }
  std::unique_ptr<TZmHMI> root;
  TZmScene* scene = nullptr;
};

}  // namespace

TEST_F(Scenes, BoundsRules)
{
  auto* b = Box(30, 40, 10, 20);
  EXPECT_EQ(b->Rect, (TZmRectValue{10, 20, 30, 40}));
  b->SetBounds(90, 10, 200, 70);
  EXPECT_EQ(b->Rect, (TZmRectValue{90, 10, 99, 49}));  // clamped to the 100 x 50 screen
  b->SetKeepSquare(true);
  b->SetBounds(0, 0, 50, 20);
  EXPECT_EQ(b->Rect, (TZmRectValue{0, 0, 20, 20}));
  // Without a known model nothing collapses to a zero-size screen.
  root->ModelID = 999;
  auto* free = Box(10, 10, 300, 200);
  EXPECT_EQ(free->Rect, (TZmRectValue{10, 10, 300, 200}));
  std::unique_ptr<TZmComponentGroup> empty(NewObject<TZmComponentGroup>());
  EXPECT_EQ(empty->GetBounds(), (TZmRectValue{65536, 65536, -1, -1}));
}

TEST_F(Scenes, HandlesAndMoves)
{
  auto* b = Box(10, 10, 20, 21);
  TZmHandlePoint p[kMaxHandles];
  uint16_t k[kMaxHandles];
  ASSERT_EQ(b->GetHandles(p, k, 2), 8);
  EXPECT_EQ(p[0].X, 8);
  EXPECT_EQ(p[2].Y, 23);
  EXPECT_EQ(p[4].Y, 16);  // (10 + 21 + 1) / 2
  EXPECT_EQ(p[5].X, 15);
  EXPECT_EQ(k[7], 7);
  struct Case {
    int32_t handle;
    TZmRectValue expected;
  } cases[] = {{0, {13, 8, 20, 21}}, {1, {13, 10, 20, 19}}, {2, {10, 10, 23, 19}}, {3, {10, 8, 23, 21}},
               {4, {13, 10, 20, 21}}, {5, {10, 10, 20, 19}}, {6, {10, 10, 23, 21}}, {7, {10, 8, 20, 21}},
               {15, {13, 8, 23, 19}}, {9, {10, 10, 20, 21}}};
  for (const auto& c : cases) {
    b->Rect = {10, 10, 20, 21};
    b->MoveHandle(nullptr, c.handle, 3, -2);
    EXPECT_EQ(b->Rect, c.expected) << c.handle;
  }
  // A move past the edge keeps the size: the object is pushed back inside.
  b->Rect = {90, 40, 99, 49};
  b->MoveHandle(nullptr, 15, 5, 5);
  EXPECT_EQ(b->Rect, (TZmRectValue{90, 40, 99, 49}));
  b->MoveHandle(nullptr, 15, -200, -3);
  EXPECT_EQ(b->Rect, (TZmRectValue{0, 37, 9, 46}));
  // A preview never changes the object, even when the preview would be clamped.
  b->Rect = {-5, 3, 120, 8};  // as stored by some older file
  TZmDC dc(100, 50);
  b->Dragging = true;
  b->MoveHandle(&dc, 2, 10, 10);
  EXPECT_EQ(b->Rect, (TZmRectValue{-5, 3, 120, 8}));
}

TEST_F(Scenes, HitTestingThroughIdentityColours)
{
  auto* bottom = Box(10, 10, 40, 40);
  auto* top = Box(30, 30, 60, 45);
  TZmDC dc(100, 50);
  TZmComponentRefs collector;
  collector.Scene = scene;
  scene->PaintScene(dc, &collector, 0);
  ASSERT_EQ(collector.Count(), 2u);
  EXPECT_EQ(collector.FromIdentity(dc.RawPixel(15, 15)), bottom);
  EXPECT_EQ(collector.FromIdentity(dc.RawPixel(35, 35)), top);  // the upper object covers the overlap
  EXPECT_EQ(collector.FromIdentity(dc.RawPixel(80, 5)), nullptr);
  TZmComponentRefs inside;
  scene->CollectInside({0, 0, 50, 49}, inside);
  EXPECT_EQ(inside.Count(), 1u);
  EXPECT_EQ(inside.Item(0), bottom);
  TZmComponentRefs sel;
  sel.Scene = scene;
  sel.Add(top);
  sel.Add(bottom);
  sel.Add(top);  // moves to the end
  EXPECT_EQ(sel.IndexOf(top), 1);
  EXPECT_EQ(sel.Bounds(), (TZmRectValue{10, 10, 60, 45}));
  top->FLock = 1;
  EXPECT_EQ(sel.Bounds(), (TZmRectValue{10, 10, 40, 40}));
  scene->FLock = 1;
  EXPECT_EQ(sel.BoundsCount(), 0u);
}

TEST_F(Scenes, GroupSectionHoldsOnlyRecordObjects)
{
  Box<TBox<3>>(0, 0, 1, 1);
  auto* label = Box<TBox<9>>(2, 2, 3, 3);
  auto* text = Box<TBox<0x10002>>(4, 4, 5, 5);
  Box<TBox<10>>(6, 6, 7, 7);
  TZmCompiler c;
  scene->ComponentGroup->WriteROM(c);
  const auto& img = c.Output().Buffer();
  ASSERT_EQ(img.size(), 4u + 8 + 2 * 32);
  EXPECT_EQ(GetU32(&img[0]), 2u);
  EXPECT_EQ(GetU32(&img[4]), 12u);
  EXPECT_EQ(GetU32(&img[8]), 44u);
  EXPECT_EQ(GetU32(&img[12]), 9u);
  EXPECT_EQ(GetU32(&img[12 + 12]), static_cast<uint32_t>(label->Rect.Left));
  EXPECT_EQ(GetU32(&img[44]), text->TypeCode);
}

TEST_F(Scenes, UnknownClassesAreKeptAndTypeCodesCorrected)
{
  Box(1, 1, 5, 5);
  Box(6, 6, 9, 9);
  Box(10, 10, 12, 12);
  // Rename the middle object's class in the stored list, and give the last a wrong code.
  TZmStream rec;
  SerializeObjectTo(scene->ComponentGroup, TZmSerialization::Write, rec);
  std::string bytes(rec.Buffer().begin(), rec.Buffer().end());
  std::u16string from = u"TTestBox3", to = u"TFutureX3";
  std::string f(reinterpret_cast<const char*>(from.data()), from.size() * 2), t(reinterpret_cast<const char*>(to.data()), to.size() * 2);
  size_t first = bytes.find(f);
  size_t second = bytes.find(f, first + 1);
  ASSERT_NE(second, std::string::npos);
  bytes.replace(second, t.size(), t);
  TZmStream changed(std::vector<uint8_t>(bytes.begin(), bytes.end()));

  TZmLoadWarnings warnings;
  std::unique_ptr<TZmComponentGroup> g(NewObject<TZmComponentGroup>());
  g->Scene = scene;
  SerializeObjectTo(g.get(), TZmSerialization::Read, changed);
  ASSERT_EQ(g->Count(), 3u);  // the objects after the unknown one are read too
  EXPECT_EQ(g->UnknownCount(), 1u);
  EXPECT_EQ(warnings.List.size(), 1u);
  EXPECT_EQ(g->Item(2)->Rect, (TZmRectValue{10, 10, 12, 12}));
  TZmStream again;
  SerializeObjectTo(g.get(), TZmSerialization::Write, again);
  EXPECT_EQ(again.Buffer(), changed.Buffer());  // saved back unchanged, nothing lost

  auto* wrong = g->Item(2);
  wrong->TypeCode = 77;
  TZmStream w;
  SerializeObjectTo(wrong, TZmSerialization::Write, w);
  w.Seek(0);
  std::unique_ptr<TRect3> back(NewObject<TRect3>());
  SerializeObjectTo(back.get(), TZmSerialization::Read, w);
  EXPECT_EQ(back->TypeCode, 3u);
}

TEST_F(Scenes, ClipboardObjectList)
{
  auto* a = Box(1, 1, 5, 5);
  auto* b = Box(6, 6, 9, 9);
  TZmComponentRefs sel;
  sel.Scene = scene;
  sel.Add(b);
  sel.Add(a);
  TZmStream clip;
  sel.WriteObjectList(clip);
  clip.Seek(0);
  TZmScene* other = scene->Owner->AddScene();
  TZmComponentRefs pasted;
  pasted.Scene = other;
  ASSERT_TRUE(pasted.ReadObjectList(clip));
  ASSERT_EQ(pasted.Count(), 2u);
  EXPECT_EQ(pasted.Item(0)->Rect, b->Rect);
  EXPECT_EQ(other->ComponentGroup->Count(), 2u);
  TZmStream notAList;
  WriteText(notAList, "Something");
  notAList.WriteU32(0);
  notAList.Seek(0);
  EXPECT_FALSE(pasted.ReadObjectList(notAList));
  EXPECT_EQ(notAList.Position(), 0u);
  EXPECT_EQ(pasted.Count(), 2u);
}

TEST_F(Scenes, SceneIdsAcrossTheProject)
{
  TZmSceneGroup* g = scene->Owner;
  EXPECT_EQ(scene->ID, 1);
  scene->ID = 255;
  TZmScene* next = g->AddScene();
  ASSERT_TRUE(next);
  EXPECT_EQ(next->ID, 1);  // after 255 comes 1
  TZmSceneGroup* g2 = TZmSceneGroup::Create(root->SceneGroups);
  EXPECT_EQ(g2->AddScene()->ID, 2);  // IDs are unique over all groups
  for (int i = 0; i < 252; ++i) ASSERT_TRUE(g2->AddScene());
  EXPECT_EQ(root->SceneGroups->SceneCount(), 255u);
  EXPECT_EQ(g->AddScene(), nullptr);  // every ID taken: adding fails cleanly
  EXPECT_EQ(root->SceneGroups->NextFreeSceneID(7), -1);
  EXPECT_EQ(TZmSceneGroup::Create(root->SceneGroups)->Name, "ScreenGroup2");
  g->Name = "ScreenGroup0";
  g2->Name = "ScreenGroup2";
  EXPECT_EQ(root->SceneGroups->NewGroupName(), "ScreenGroup1");
}
