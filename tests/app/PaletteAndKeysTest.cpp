// The tool palette's categories, the physical keys of the model picture,
// the canvas overlays and hint, the "about to destroy" notice, and what the
// editor window looks like.
#include <QAction>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include "EditorFixture.h"
#include "app/editor/ToolPalette.h"
#include "devices/Devices.h"
#include "model/Buttons.h"

namespace {

class Palette : public SceneEditor {};

// Pure red pixels: the colour of the overlay texts (the panel pictures are grey).
int RedPixels(QWidget* w)
{
  const QImage img = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      const QRgb c = img.pixel(x, y);
      n += qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
    }
  return n;
}

const TZmModelKey* FirstKey(const TZmModel* m)
{
  for (const auto& [name, key] : m->Keys)
    if (key.Code < 256) return &key;
  return nullptr;
}

}  // namespace

TEST_F(Palette, CategoriesOpenOneAtATimeAndTheToolFollowsTheSelectedButton)
{
  NewProject();
  TFrameEditScene* e = Show(SceneAt(0));
  TFrameToolPalette* p = W->RightPage;
  ASSERT_NE(p, nullptr);
  ASSERT_EQ(p->CategoryCount(), 5);
  auto open = [&] {
    std::vector<bool> v;
    for (int i = 0; i < p->CategoryCount(); ++i) v.push_back(p->IsExpanded(i));
    return v;
  };
  using B = std::vector<bool>;
  EXPECT_EQ(open(), B({true, false, false, false, false})) << "Graphic open, the others closed";
  EXPECT_EQ(p->gbxTools->title(), "Tools : Cursor");
  EXPECT_TRUE(p->actCursor->isChecked());
  // Every command of the table is there, each with its tool code.
  int commands = 0;
  for (const auto& c : p->Categories) commands += static_cast<int>(c.Buttons.size());
  EXPECT_EQ(commands, 43);

  // Opening a category with no selected button: the selection tool stays.
  p->SetExpanded(2, true);
  EXPECT_EQ(open(), B({false, false, true, false, false}));
  EXPECT_EQ(p->ToolCode, -1);
  // Choosing a button makes its tool active and names it in the caption.
  p->Categories[2].Buttons[8]->click();  // Jump
  EXPECT_EQ(p->ToolCode, 0x20001);
  EXPECT_EQ(e->ToolCode, 0x20001);
  EXPECT_FALSE(p->actCursor->isChecked());
  EXPECT_EQ(p->gbxTools->title(), "Tools : " + p->ActionFor(0x20001)->text());
  // Opening another category folds the chosen button away: back to the cursor.
  p->Categories[3].Header->click();
  EXPECT_EQ(open(), B({false, false, false, true, false}));
  EXPECT_EQ(p->ToolCode, -1);
  EXPECT_EQ(e->ToolCode, -1);
  EXPECT_EQ(p->SelectedCommand(), nullptr);
  // A tool chosen in the open category survives closing another one.
  p->Categories[3].Buttons[0]->click();  // Lamp
  p->SetExpanded(0, false);
  EXPECT_EQ(p->ToolCode, 0x10000);
  // Closing its own category gives it up.
  p->Categories[3].Header->click();
  EXPECT_EQ(open(), B({false, false, false, false, false}));
  EXPECT_EQ(p->ToolCode, -1);
  // A disabled button does nothing (every command is enabled in this
  // build, so one is turned off here).
  p->SetExpanded(4, true);
  p->ActionFor(0x30001)->setEnabled(false);
  p->Categories[4].Buttons[0]->click();
  EXPECT_EQ(p->ToolCode, -1);
  p->ActionFor(0x30001)->setEnabled(true);
  p->Categories[4].Buttons[0]->click();
  EXPECT_EQ(p->ToolCode, 0x30001);
  p->Cursor();

  // Selecting a scene in the tree always starts with the selection tool.
  ASSERT_TRUE(p->SelectTool(3));
  EXPECT_EQ(open(), B({true, false, false, false, false})) << "its category opens";
  Show(SceneAt(1));
  EXPECT_EQ(p->ToolCode, -1);
  EXPECT_EQ(W->ClientPage->ToolCode, -1);
  // For a person to look at: a category open and a tool chosen.
  p->SetExpanded(2, true);
  p->Categories[2].Buttons[4]->click();
  QApplication::processEvents();
  EXPECT_TRUE(W->grab().save(QStringLiteral(KESTRAVA_BUILD_DIR "/app-palette.png")));
}

TEST_F(Palette, ClickingAKeyShowsItsBindingAndMakesOneOnlyWhenMissing)
{
  NewProject();
  TFrameEditScene* e = Show(SceneAt(0));
  const TZmModelKey* key = FirstKey(SceneAt(0)->Model());
  ASSERT_NE(key, nullptr);
  QApplication::processEvents();
  const QPoint at((key->Left + key->Width / 2) * e->Zoom / 100, (key->Top + key->Height / 2) * e->Zoom / 100);
  EXPECT_EQ(e->KeyAt(at), key);
  EXPECT_EQ(e->KeyAt(QPoint(1, 1)), nullptr);
  // Clicking the picture beside the keys shows the scene's page.
  W->ShowObjectPage(nullptr);
  QTest::mouseClick(e->imgEdit, Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));
  EXPECT_EQ(W->PageObject, SceneAt(0));
  // Hovering names the key.
  QTest::mouseMove(e->imgEdit, at);
  EXPECT_EQ(e->Readout(), FormatText(1120, {key->Caption}));
  EXPECT_EQ(e->imgEdit->cursor().shape(), Qt::PointingHandCursor);
  QTest::mouseMove(e->imgEdit, QPoint(1, 1));
  EXPECT_EQ(e->Readout(), "Screen");

  TZmComponent* a = Place(e, 3, {10, 10}, {30, 30});
  e->SelectObject(a);
  W->SetModified(false);
  auto& ex = SceneAt(0)->ComponentGroupEx->Members;
  const size_t before = ex.size(), steps = W->UndoStack.Count();
  // The first click binds the key: one new, undoable edit.
  QTest::mouseClick(e->imgEdit, Qt::LeftButton, Qt::NoModifier, at);
  EXPECT_TRUE(e->Selection.Items.empty());
  ASSERT_EQ(ex.size(), before + 1);
  TZmBtnSystem* b = e->FindKeyButton(key->Code);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b, ex.back());
  EXPECT_EQ(b->TypeCode, 0x20005u);
  EXPECT_EQ(b->KeyValue, uint32_t(key->Code));
  EXPECT_EQ(b->Rect, key->Rect());
  EXPECT_EQ(W->PageObject, b);
  EXPECT_TRUE(W->Modified);
  EXPECT_EQ(W->UndoStack.Count(), steps + 1);
  // Looking at it again changes nothing.
  W->SetModified(false);
  QTest::mouseClick(e->imgEdit, Qt::LeftButton, Qt::NoModifier, at);
  EXPECT_EQ(ex.size(), before + 1);
  EXPECT_EQ(W->PageObject, b);
  EXPECT_FALSE(W->Modified);
  EXPECT_EQ(W->UndoStack.Count(), steps + 1);
  // Undo takes the binding away; the page falls back to the scene.
  W->Undo();
  EXPECT_EQ(ex.size(), before);
  EXPECT_EQ(W->PageObject, SceneAt(0));
  // In a locked scene a missing binding is not made.
  SceneAt(0)->FLock = 1;
  QTest::mouseClick(e->imgEdit, Qt::LeftButton, Qt::NoModifier, at);
  EXPECT_EQ(ex.size(), before);
}

TEST_F(Palette, OverlaysOnlyWithTheMouseAwayAndNothingSelected)
{
  ASSERT_TRUE(W->OpenFile(DataRoot() + "/demo/demo.ksv", false));
  TZmScene* scene = W->Root().SceneGroups->FindScene(2);
  ASSERT_NE(scene, nullptr);
  W->EditOptions.ShowGrid = 0;
  TFrameEditScene* e = Show(scene);
  ASSERT_NE(e, nullptr);
  ASSERT_GT(scene->ComponentGroup->Count(), 0u);
  const TZmModelKey* key = FirstKey(scene->Model());
  ASSERT_NE(key, nullptr);
  auto* sys = CreateComponent<TZmBtnSystem>(scene->ComponentGroupEx);
  sys->KeyValue = static_cast<uint32_t>(key->Code);
  sys->Type = 8;
  sys->JumpPage = 1;
  QApplication::processEvents();

  // The mouse position decides; the picture's edges belong to it.
  const QPoint inside = e->imgEdit->mapToGlobal(QPoint(e->imgEdit->width(), e->imgEdit->height()));
  const QPoint outside = e->imgEdit->mapToGlobal(QPoint(e->imgEdit->width() + 5, 2));
  struct Case {
    const char* what;
    QPoint mouse;
    bool select;
    bool shown;
  } cases[] = {
      {"away from the picture", outside, false, true},
      {"on the picture's edge", inside, false, false},
      {"away, with a selection", outside, true, false},
  };
  for (const Case& c : cases) {
    e->Selection.Clear();
    if (c.select) e->SelectObject(scene->ComponentGroup->Item(0));
    e->TrackMouse(c.mouse);
    e->Refresh();
    EXPECT_EQ(e->MouseOutside, c.mouse == outside) << c.what;
    EXPECT_EQ(RedPixels(e->ccEdit) > 0, c.shown) << c.what;
    EXPECT_EQ(RedPixels(e->imgEdit) > 0, c.shown) << c.what << " (key overlay)";
  }
  // Keys doing nothing, or only the scene-order keys, get no text (the
  // demo binds other keys of its own).
  e->Selection.Clear();
  e->TrackMouse(outside);
  sys->Type = 0;
  e->Refresh();
  const int others = RedPixels(e->imgEdit);
  sys->Type = 12;
  e->Refresh();
  EXPECT_EQ(RedPixels(e->imgEdit), others);
  sys->Type = 8;
  e->Refresh();
  EXPECT_GT(RedPixels(e->imgEdit), others);
  // For a person to look at: every object's bindings and the key's action.
  QApplication::processEvents();
  EXPECT_TRUE(W->grab().save(QStringLiteral(KESTRAVA_BUILD_DIR "/app-overlays.png")));
}

TEST_F(Palette, TheCanvasHintWaitsASecondAndOnlyMovesOn)
{
  NewProject();
  TFrameEditScene* e = Show(SceneAt(0));
  Place(e, 0x10000, {10, 10}, {40, 40});  // a lamp: its hint names its address
  e->Selection.Clear();
  e->Refresh();
  EXPECT_EQ(e->TimerHint->interval(), 1000);
  e->HintPos = QPoint(300, 300);
  e->MouseMove({20, 20}, Qt::NoButton, Qt::NoModifier);
  EXPECT_FALSE(e->CanvasHint.isEmpty());
  EXPECT_TRUE(e->TimerHint->isActive());
  // Over empty space the hint goes at once.
  e->HintPos = QPoint(310, 310);
  e->MouseMove({100, 100}, Qt::NoButton, Qt::NoModifier);
  EXPECT_TRUE(e->CanvasHint.isEmpty());
  EXPECT_FALSE(e->TimerHint->isActive());
  // Where it was shown last, it is not started again.
  e->LastHintPos = e->HintPos = QPoint(320, 320);
  e->MouseMove({20, 20}, Qt::NoButton, Qt::NoModifier);
  EXPECT_FALSE(e->TimerHint->isActive());
}

TEST_F(Palette, AboutToDestroyLetsGoOfEverythingBeneath)
{
  ASSERT_TRUE(W->OpenFile(DataRoot() + "/demo/demo.ksv", false));
  TZmScene* scene = W->Root().SceneGroups->FindScene(2);
  ASSERT_NE(scene, nullptr);
  TFrameEditScene* e = Show(scene);
  ASSERT_EQ(e->EditedScene(), scene);

  // One object of several: the rest of the selection stays.
  ASSERT_GE(scene->ComponentGroup->Count(), 2u);
  TZmComponent* a = scene->ComponentGroup->Item(0);
  TZmComponent* b = scene->ComponentGroup->Item(1);
  e->SelectObject(a);
  EXPECT_EQ(W->PageObject, a);
  e->Selection.Add(b);
  W->AboutToDestroy(a);
  delete a;
  QApplication::processEvents();
  EXPECT_EQ(e->Selection.Items, std::vector<TZmComponent*>({b}));
  EXPECT_NE(W->PageObject, a);
  int32_t kind;
  EXPECT_NE(e->HitTest({b->Rect.Left, b->Rect.Top}, kind, false), nullptr);

  // A scene whose key binding is on the page: page, editor, undo and tree let go.
  const TZmModelKey* key = FirstKey(scene->Model());
  e->KeyClicked(*key);
  ASSERT_NE(W->PageObject, nullptr);
  ASSERT_GT(W->UndoStack.Count(), 0u);
  W->AboutToDestroy(scene);
  EXPECT_NE(e->EditedScene(), scene);
  EXPECT_EQ(W->PageObject == scene || W->PageObject == e->FindKeyButton(key->Code), false);
  EXPECT_EQ(W->tvProject->NodeOf(scene), nullptr);
  EXPECT_EQ(W->UndoStack.Count(), 0u) << "its steps cannot be applied any more";
  delete scene;
  QApplication::processEvents();

  // A group with the edited scene in it: every node beneath goes.
  TZmSceneGroup* group = W->Root().SceneGroups->Item(0);
  ASSERT_NE(group, nullptr);
  TZmScene* first = group->Item(0);
  Show(first);
  ASSERT_EQ(W->ClientPage->EditedScene(), first);
  std::vector<TZmScene*> scenes = group->Scenes;
  W->AboutToDestroy(group);
  EXPECT_EQ(W->tvProject->NodeOf(group), nullptr);
  for (TZmScene* s : scenes) EXPECT_EQ(W->tvProject->NodeOf(s), nullptr);
  EXPECT_NE(W->ClientPage->EditedScene(), first);
  delete group;
  QApplication::processEvents();

  // A port whose station is shown on the page.
  TZmDevice* port = W->Root().Devices->Devices.at(0);
  ASSERT_FALSE(port->Stations.empty());
  W->tvProject->setCurrentItem(W->tvProject->NodeOf(port->Stations.front()));
  EXPECT_EQ(W->PageObject, port->Stations.front());
  W->AboutToDestroy(port);
  EXPECT_EQ(W->PageObject == port || W->PageObject == port->Stations.front(), false);
  EXPECT_EQ(W->tvProject->NodeOf(port->Stations.front()), nullptr);
  W->tvProject->Build(W->Root());  // the port stays after all: shown again
  // A station shown on the page.
  ASSERT_FALSE(port->Stations.empty());
  TZmStation* station = port->Stations.front();
  W->tvProject->setCurrentItem(W->tvProject->NodeOf(station));
  EXPECT_EQ(W->PageObject, station);
  W->AboutToDestroy(station);
  EXPECT_EQ(W->tvProject->NodeOf(station), nullptr);
  EXPECT_NE(W->PageObject, station);
  delete station;
  // The tree still works on what is left.
  for (QTreeWidgetItemIterator it(W->tvProject); *it; ++it) (void)TZmProjectTreeView::ObjectOf(*it);
  W->tvProject->setCurrentItem(W->tvProject->topLevelItem(0));
  EXPECT_EQ(W->PageObject, &W->Root());
}

TEST_F(Palette, NoCaptionShowsTheNameOfItsComponent)
{
  ASSERT_TRUE(W->OpenFile(DataRoot() + "/demo/demo.ksv", false));
  EXPECT_EQ(W->gbxProject->title(), "Project");
  Show(W->Root().SceneGroups->FindScene(1));
  W->ClientPage->SetZoom(400);  // the grid box shows as well
  W->RightPage->SetExpanded(1, true);
  QApplication::processEvents();
  for (QWidget* top : {static_cast<QWidget*>(W.get())}) {
    for (QObject* o : top->findChildren<QObject*>()) {
      if (o->objectName().isEmpty()) continue;
      QString text;
      if (auto* g = qobject_cast<QGroupBox*>(o)) text = g->title();
      else if (auto* b = qobject_cast<QAbstractButton*>(o)) text = b->text();
      else if (auto* l = qobject_cast<QLabel*>(o)) text = l->text();
      else if (auto* a = qobject_cast<QAction*>(o)) text = a->text();
      else if (auto* m = qobject_cast<QMenu*>(o)) text = m->title();
      else if (auto* w = qobject_cast<QWidget*>(o); w && w->isWindow()) text = w->windowTitle();
      EXPECT_NE(text, o->objectName()) << o->metaObject()->className();
    }
  }
  // Tree nodes carry their texts, stations included.
  for (QTreeWidgetItemIterator it(W->tvProject); *it; ++it) EXPECT_FALSE((*it)->text(0).isEmpty());
}
