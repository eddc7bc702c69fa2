#pragma once
// The scene editor inside a main window with a new project of two scenes,
// shared by the editor, drawing-tool and palette tests.
#include <QApplication>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "AppSupport.h"
#include "app/shell/MainWindow.h"
#include "app/shell/ProjectTree.h"
#include "app/editor/SceneEditor.h"
#include "base/Language.h"
#include "devices/Model.h"
#include "model/Project.h"
#include "model/Scenes.h"

// Readable rectangles in failures (found next to the type).
void PrintTo(const TZmRectValue& r, std::ostream* os);

class SceneEditor : public AppTest {
protected:
  void SetUp() override
  {
    AppTest::SetUp();
    Language = std::make_unique<TZmLanguageResources>(DataRoot().toStdString());
    ASSERT_EQ(Language->SelectLanguage(1033), 0);
    SetAppLanguage(Language.get());
    ASSERT_TRUE(Dir.isValid());
    W = std::make_unique<TFormMain>();
    W->resize(1100, 800);
    W->show();
    // Plain behaviour for the geometry checks; the snap rules have tests of their own.
    W->EditOptions.SnapToObjects = 0;
    W->EditOptions.SnapToGrid = 0;
    W->EditOptions.LabelMode = 0;
  }
  void TearDown() override
  {
    W.reset();
    AppTest::TearDown();
  }
  // A new KP320 project (from its template) with two scenes.
  void NewProject()
  {
    const TZmModel* model = TZmModels::Global().FindByName("KP320");
    ASSERT_NE(model, nullptr);
    W->ChooseModel = [model] { return model; };
    ASSERT_TRUE(W->NewProject());
    TZmSceneGroup* g = W->Root().SceneGroups->Item(0);
    ASSERT_NE(g, nullptr);
    while (g->Count() < 2) ASSERT_NE(g->AddScene(), nullptr);
    W->tvProject->Build(W->Root());
    W->SetModified(false);
  }
  TZmScene* SceneAt(size_t i) { return W->Root().SceneGroups->Item(0)->Item(i); }
  TFrameEditScene* Show(TZmScene* s)
  {
    W->tvProject->setCurrentItem(W->tvProject->NodeOf(s));
    QApplication::processEvents();
    return W->ClientPage;
  }
  TZmComponent* Place(TFrameEditScene* e, int32_t tool, QPoint a, QPoint b)
  {
    e->SetTool(tool);
    e->MouseDown(a, Qt::LeftButton, Qt::NoModifier);
    e->MouseMove(b, Qt::LeftButton, Qt::NoModifier);
    e->MouseUp(b, Qt::LeftButton, Qt::NoModifier);
    e->SetTool(-1);
    auto& m = e->EditedScene()->ComponentGroup->Members;
    return m.empty() ? nullptr : m.back();
  }
  void Drag(TFrameEditScene* e, QPoint a, QPoint b, Qt::KeyboardModifiers mods = Qt::NoModifier)
  {
    e->MouseDown(a, Qt::LeftButton, mods);
    if (a != b) e->MouseMove(b, Qt::LeftButton, mods);
    e->MouseUp(b, Qt::LeftButton, mods);
  }
  static TZmRectValue R(int l, int t, int r, int b) { return {l, t, r, b}; }
  std::unique_ptr<TZmLanguageResources> Language;
  std::unique_ptr<TFormMain> W;
  QTemporaryDir Dir;
};

