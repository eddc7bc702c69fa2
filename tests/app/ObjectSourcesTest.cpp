// Objects reach the editor from a file, the clipboard, an undo or redo step
// and a template; from each source every object must be a known, drawn,
// editable object, never one kept as stored but invisible. And the demo
// survives a round of select all, copy, paste, move, undo, redo and save
// with no hidden duplicates.
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "AppSupport.h"
#include "app/editor/SceneEditor.h"
#include "app/shell/MainWindow.h"
#include "app/shell/ProjectTree.h"
#include "base/Language.h"
#include "devices/Model.h"
#include "graphics/DC.h"
#include "model/Component.h"
#include "model/Project.h"
#include "model/Scenes.h"

namespace {

class ObjectSources : public AppTest {
protected:
  void SetUp() override
  {
    AppTest::SetUp();
    Language = std::make_unique<TZmLanguageResources>(DataRoot().toStdString());
    ASSERT_EQ(Language->SelectLanguage(1033), 0);
    SetAppLanguage(Language.get());
    ASSERT_TRUE(Dir.isValid());
    Demo = Dir.filePath("demo.ksv");
    ASSERT_TRUE(QFile::copy(DataRoot() + "/demo/demo.ksv", Demo));
    W = std::make_unique<TFormMain>();
    W->resize(1100, 800);
    W->show();
  }
  void TearDown() override
  {
    W.reset();
    AppTest::TearDown();
  }
  TZmScene* Scene(int32_t id) { return W->Root().SceneGroups->FindScene(id); }
  TFrameEditScene* Show(TZmScene* s)
  {
    W->tvProject->setCurrentItem(W->tvProject->NodeOf(s));
    QApplication::processEvents();
    return W->ClientPage;
  }
  // Known: a class of this version. Drawn: painting it alone changes pixels.
  // Editable: it answers with handles.
  static void ExpectLive(TZmScene* scene, const char* source)
  {
    ASSERT_NE(scene, nullptr) << source;
    const TZmModel* model = scene->Model();
    ASSERT_NE(model, nullptr) << source;
    for (TZmComponent* c : scene->ComponentGroup->Members) {
      EXPECT_EQ(dynamic_cast<TZmUnknownComponent*>(c), nullptr) << source << ": " << c->ClassName();
      TZmDC dc(model->Width(), model->Height());
      TZmComponent::PrepareContext(dc, model);
      dc.Clear(0x1234);
      c->Paint(dc, nullptr, 0, false);
      bool drawn = false;
      for (uint16_t p : dc.Pixels()) drawn = drawn || p != 0x1234;
      EXPECT_TRUE(drawn) << source << ": " << c->ClassName() << " draws nothing";
      TZmHandlePoint pts[kMaxHandles];
      uint16_t kinds[kMaxHandles];
      EXPECT_GT(c->GetHandles(pts, kinds, 0), 0) << source << ": " << c->ClassName();
    }
  }
  static size_t Objects(TZmHMI& root)
  {
    size_t n = 0;
    for (TZmSceneGroup* g : root.SceneGroups->Groups)
      for (TZmScene* s : g->Scenes) n += s->ComponentGroup->Count();
    return n;
  }
  std::unique_ptr<TZmLanguageResources> Language;
  std::unique_ptr<TFormMain> W;
  QTemporaryDir Dir;
  QString Demo;
};

TEST_F(ObjectSources, EverySourceGivesKnownDrawnObjects)
{
  ASSERT_TRUE(W->OpenFile(Demo, false));
  TZmScene* overview = Scene(1);
  ASSERT_GT(overview->ComponentGroup->Count(), 3u);
  const size_t shown = overview->ComponentGroup->Count();
  TFrameEditScene* e = Show(overview);
  ASSERT_NE(e, nullptr);
  e->ccEdit->setFocus();
  QApplication::processEvents();
  const struct {
    const char* Source;
    std::function<TZmScene*()> Run;
  } cases[] = {
      {"file", [&] { return overview; }},
      {"clipboard",
       [&] {
         e->SelectAll();
         e->Copy();
         TFrameEditScene* into = Show(Scene(3));
         EXPECT_TRUE(into->Paste());
         EXPECT_EQ(into->EditedScene()->ComponentGroup->Count(), shown);
         return into->EditedScene();
       }},
      {"undo snapshot",
       [&] {
         // A move, then its undo: the scene is read back from its record.
         TFrameEditScene* page = Show(Scene(1));
         page->SelectAll();
         page->KeyDown(Qt::Key_Right, Qt::NoModifier);
         W->Undo();
         return page->EditedScene();
       }},
      {"redo snapshot",
       [&] {
         W->Redo();
         return W->ClientPage->EditedScene();
       }},
      {"template",
       [&] {
         const TZmModel* model = TZmModels::Global().FindByName("KP240");
         EXPECT_NE(model, nullptr);
         W->SetModified(false);
         W->ChooseModel = [model] { return model; };
         Script->Answers = {int(ZmMb::IdNo)};
         EXPECT_TRUE(W->NewProject());
         return W->Root().SceneGroups->Item(0)->Item(0);
       }},
  };
  for (const auto& c : cases) ExpectLive(c.Run(), c.Source);
}

TEST_F(ObjectSources, CopyPasteMoveUndoRedoAndSaveLeaveNoHiddenObjects)
{
  ASSERT_TRUE(W->OpenFile(Demo, false));
  const size_t before = Objects(W->Root());
  const size_t overview = Scene(1)->ComponentGroup->Count();
  TFrameEditScene* e = Show(Scene(1));
  e->ccEdit->setFocus();
  e->SelectAll();
  EXPECT_EQ(e->Selection.Count(), overview) << "every object of the scene is selectable";
  e->Copy();
  e = Show(Scene(3));
  ASSERT_TRUE(e->Paste());
  // Moved by the mouse: down on a pasted object, drag, up.
  TZmComponent* first = e->Selection.Item(0);
  const TZmRectValue was = first->GetBounds();
  const QPoint at((was.Left + was.Right) / 2, (was.Top + was.Bottom) / 2);
  e->MouseDown(at, Qt::LeftButton, Qt::ShiftModifier);  // keeps the pasted selection
  e->MouseDown(at, Qt::LeftButton, Qt::NoModifier);
  e->MouseMove(at + QPoint(5, 3), Qt::LeftButton, Qt::NoModifier);
  e->MouseUp(at + QPoint(5, 3), Qt::LeftButton, Qt::NoModifier);
  const size_t pasted = Scene(3)->ComponentGroup->Count();
  EXPECT_EQ(pasted, overview);
  W->Undo();  // the move
  W->Undo();  // the paste
  EXPECT_EQ(Scene(3)->ComponentGroup->Count(), 0u);
  EXPECT_FALSE(W->Modified) << "back at the saved state";
  W->Redo();
  W->Redo();
  EXPECT_EQ(Scene(3)->ComponentGroup->Count(), pasted);
  ExpectLive(Scene(3), "after redo");
  const QString saved = Dir.filePath("saved.ksv");
  ASSERT_TRUE(W->SaveFile(saved));
  // The file holds what the user sees: the demo's objects and one copy of
  // the overview's, every one known.
  std::unique_ptr<TZmHMI> back(NewObject<TZmHMI>());
  std::string error;
  ASSERT_TRUE(LoadProject(*back, saved.toStdString(), error)) << error;
  EXPECT_EQ(Objects(*back), before + overview);
  for (TZmSceneGroup* g : back->SceneGroups->Groups)
    for (TZmScene* s : g->Scenes) ExpectLive(s, "saved file");
}

TEST_F(ObjectSources, DraggingASceneToAnotherGroupIsUndone)
{
  ASSERT_TRUE(W->OpenFile(Demo, false));
  ASSERT_GE(W->Root().SceneGroups->Count(), 2u);
  TZmSceneGroup* service = W->Root().SceneGroups->Item(1);
  TZmScene* moved = Scene(2);
  const size_t serviceScenes = service->Count();
  W->tvProject->setCurrentItem(W->tvProject->NodeOf(moved));
  ASSERT_TRUE(W->tvProject->Drop(moved, service));
  EXPECT_EQ(W->Root().SceneGroups->Item(1)->Count(), serviceScenes + 1);
  EXPECT_TRUE(W->Modified);
  ASSERT_TRUE(W->actUndo->isEnabled());
  W->Undo();
  EXPECT_EQ(W->Root().SceneGroups->Item(1)->Count(), serviceScenes);
  EXPECT_EQ(W->Root().SceneGroups->Item(0)->Item(1)->ID, 2);
  EXPECT_FALSE(W->Modified);
  // The tree shows the project read back, and a scene's page still opens.
  EXPECT_NE(W->tvProject->NodeOf(Scene(2)), nullptr);
  ASSERT_NE(Show(Scene(2)), nullptr);
  EXPECT_EQ(W->ClientPage->EditedScene(), Scene(2));
  W->Redo();
  EXPECT_EQ(W->Root().SceneGroups->Item(1)->Count(), serviceScenes + 1);
  EXPECT_TRUE(W->Modified);
}

}  // namespace
