// Compiled scene table and scene records.
#include <gtest/gtest.h>

#include <memory>

#include "compiler/Compiler.h"
#include "image/Messages.h"
#include "devices/Model.h"
#include "graphics/Bitmap.h"
#include "graphics/Pen.h"
#include "model/Alarms.h"
#include "model/Project.h"
#include "model/Scenes.h"
#include "model/Shapes.h"

namespace {

// A button-like object: focusable, with a record of the header only.
class TFocusBox : public TZmComponent {
public:
  const char* ClassName() const override { return "TTestFocusBox"; }
  uint32_t ClassTypeCode() const override { return 0x20000; }
  void ChangeColorFormat(int32_t, int32_t) override {}
  void Paint(TZmDC&, TZmComponentRefs* c, int32_t, bool r) override { BeginPaint(c, r); }
  int32_t GetImageIndex() override { return 0; }
  int32_t GetTypeTextID() override { return -1; }
};

class SceneRecords : public ::testing::Test {
protected:
  void SetUp() override
  {
    auto m = std::make_unique<TZmModel>();
    m->ID = 502;
    m->EditRect = {0, 0, 16, 8};
    m->ColorBit = 1;
    m->ColorFormat = 8;
    m->Palette = {0xFFFFFF, 0x000000};
    TZmModels::Global().Add(std::move(m));
    root.reset(NewObject<TZmHMI>());
    root->ModelID = 502;
    TZmSceneGroup* a = TZmSceneGroup::Create(root->SceneGroups);
    TZmSceneGroup* b = TZmSceneGroup::Create(root->SceneGroups);
    for (auto [g, id] : {std::pair{a, 7}, {b, 3}, {a, 200}}) TZmScene::Create(g)->ID = id;
    compiler.Project = root.get();
  }
  void TearDown() override
  {
    root.reset();
    TZmModels::Global().Clear();
  }
  TZmScene* Scene(int id) { return root->SceneGroups->FindScene(id); }
  std::unique_ptr<TZmHMI> root;
  TZmCompileDriver compiler;
};

}  // namespace

TEST_F(SceneRecords, TableInIdOrderWithFixups)
{
  Scene(7)->JumpSceneID = 3;
  Scene(7)->DelayJumpScene = 500;
  Scene(3)->JumpSceneID = 99;  // no such scene: 0, no message
  auto* line = CreateComponent<TZmLine>(Scene(7)->ComponentGroup);
  line->SetBounds(0, 0, 15, 0);
  line->Pen->Color = 1;
  compiler.SceneLinks[7] = 0x1234;
  root->SceneGroups->WriteROM(compiler);
  compiler.Resources.WriteAll(compiler);
  const auto& img = compiler.Output().Buffer();
  ASSERT_EQ(GetU32(&img[0]), 3u);
  uint32_t r3 = GetU32(&img[4]), r7 = GetU32(&img[8]), r200 = GetU32(&img[12]);
  EXPECT_EQ(GetU32(&img[r3]), 3u);
  EXPECT_EQ(GetU32(&img[r7]), 7u);
  EXPECT_EQ(GetU32(&img[r200]), 200u);
  EXPECT_EQ(Scene(7)->ImageOffset, r7);
  // Scene 7: sections right after the 36-byte header, links, delay, jump.
  EXPECT_EQ(GetU32(&img[r7 + 8]), r7 + 36);
  EXPECT_EQ(GetU32(&img[r7 + 12]), r7 + 40);  // an empty section is one count word
  EXPECT_EQ(GetU32(&img[r7 + 16]), 0x1234u);
  EXPECT_EQ(GetU32(&img[r7 + 20]), 500u);
  EXPECT_EQ(GetU32(&img[r7 + 24]), r3);
  EXPECT_EQ(GetU32(&img[r7 + 32]), r7 + 44);
  EXPECT_EQ(GetU32(&img[r7 + 44]), 0u);  // no focusable objects
  EXPECT_EQ(GetU32(&img[r3 + 16]), 0u);  // polls nothing
  EXPECT_EQ(GetU32(&img[r3 + 24]), 0u);
  EXPECT_EQ(compiler.Messages->Size(), 0u);
  // Each scene's background is its own picture: scene 7 has a line, the others share an empty one.
  uint32_t bg3 = GetU32(&img[r3 + 28]), bg7 = GetU32(&img[r7 + 28]), bg200 = GetU32(&img[r200 + 28]);
  EXPECT_NE(bg3, bg7);
  EXPECT_EQ(bg3, bg200);
  EXPECT_EQ(img[bg7], 0xFF);  // row layout: the top row's first eight pixels are set
  EXPECT_EQ(img[bg7 + 1], 0xFF);
  EXPECT_EQ(img[bg7 + 2], 0x00);
  EXPECT_EQ(img[bg3], 0x00);
}

TEST_F(SceneRecords, FocusListInReadingOrder)
{
  TZmScene* s = Scene(7);
  auto place = [&](int l, int t) {
    auto* b = CreateComponent<TFocusBox>(s->ComponentGroup);
    b->Rect = {l, t, l + 1, t + 1};
    return b;
  };
  auto* shape = CreateComponent<TZmRect>(s->ComponentGroup);  // no record: not counted
  shape->Rect = {0, 0, 3, 3};
  place(5, 4);  // record 0
  place(1, 6);  // record 1
  place(9, 1);  // record 2
  place(5, 4);  // record 3: same place as record 0
  EXPECT_EQ(s->FocusList(), (std::vector<uint32_t>{2, 0, 1}));
}

TEST_F(SceneRecords, MissingSceneReferencesGiveAMessage)
{
  compiler.WriteFixup(0x90000000u | 55);
  compiler.WriteFixup(0x92000000u | 0);
  compiler.Resources.WriteAll(compiler);
  EXPECT_EQ(GetU32(compiler.Output().Data()), 0u);
  ASSERT_EQ(compiler.Messages->Size(), 1u);
  EXPECT_EQ(compiler.Messages->Item(0).Kind, TZmMessage::Plain);
}

TEST_F(SceneRecords, RenumberingAndDeletingFollowEveryReference)
{
  Scene(7)->JumpSceneID = 3;
  Scene(200)->JumpSceneID = 3;
  root->Configuration->SaveScreenID = 3;
  TZmAlarm* alarm = TZmAlarm::Create(root->Alarms);
  alarm->ScreenID = 3;
  EXPECT_FALSE(RenumberScene(*root, Scene(3), 7));  // taken
  EXPECT_FALSE(RenumberScene(*root, Scene(3), 256));
  ASSERT_TRUE(RenumberScene(*root, Scene(3), 9));
  EXPECT_EQ(Scene(7)->JumpSceneID, 9u);
  EXPECT_EQ(root->Configuration->SaveScreenID, 9);
  EXPECT_EQ(alarm->ScreenID, 9u);
  DeleteSceneGroup(*root, Scene(9)->Owner);
  EXPECT_EQ(Scene(9), nullptr);
  EXPECT_EQ(Scene(7)->JumpSceneID, 0u);
  EXPECT_EQ(Scene(200)->JumpSceneID, 0u);
  EXPECT_EQ(root->Configuration->SaveScreenID, 0);
  EXPECT_EQ(alarm->ScreenID, 0u);
  Scene(200)->JumpSceneID = 7;
  DeleteScene(*root, Scene(7));
  EXPECT_EQ(Scene(200)->JumpSceneID, 0u);
}
