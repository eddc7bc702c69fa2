// The scene editor inside the main window: what the canvas shows, placing,
// selecting, moving and resizing objects, undo and redo, the clipboard,
// layer order and groups.
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLayout>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollArea>
#include <QLabel>
#include <QStatusBar>
#include <QTreeWidgetItemIterator>
#include <QTest>

#include "EditorFixture.h"
#include "app/shell/DynamicPanel.h"
#include "app/shell/MainWindow.h"
#include "app/shell/ProjectTree.h"
#include "app/editor/SceneEditor.h"
#include "app/editor/ToolPalette.h"
#include "base/Language.h"
#include "base/Stream.h"
#include "devices/Model.h"
#include "graphics/Color.h"
#include "graphics/DC.h"
#include "graphics/Pen.h"
#include "graphics/SurfacePng.h"
#include "model/Alarms.h"
#include "model/Buttons.h"
#include "model/Project.h"
#include "model/Scenes.h"
#include "model/Shapes.h"


void PrintTo(const TZmRectValue& r, std::ostream* os) { *os << '(' << r.Left << ',' << r.Top << ',' << r.Right << ',' << r.Bottom << ')'; }

TEST(SceneEditorZoom, FitsTheLargestWholeZoom)
{
  struct Case {
    int pw, ph, aw, ah, zoom;
  } cases[] = {
      {320, 240, 1000 - 16, 800 - 16, 300},  // a 640 x 480 edit picture in a 1000 x 800 area
      {320, 240, 300 - 16, 300 - 16, 100},   // does not fit at all
      {100, 50, 2000, 2000, 1600},           // never beyond 1600
      {320, 240, 320, 240, 100},             // exactly
      {0, 0, 500, 500, 100},                 // no picture
  };
  for (const Case& c : cases) EXPECT_EQ(FitZoom(c.pw, c.ph, c.aw, c.ah), c.zoom) << c.pw << 'x' << c.ph << " in " << c.aw << 'x' << c.ah;
}

TEST(SceneEditorSnap, LinesOfTheBordersAndObjects)
{
  TZmObjectSnap s;
  s.Reset(100, 50);
  EXPECT_EQ(s.FindColumn(0, 2, 4), 0);
  EXPECT_EQ(s.FindColumn(1, 2, 4), 0);   // one pixel away still snaps
  EXPECT_EQ(s.FindColumn(2, 2, 4), -1);  // two do not
  EXPECT_EQ(s.FindColumn(50, 2, 16), 50);
  EXPECT_EQ(s.FindRow(48, 2, 2), 49);
  s.Add({10, 20, 30, 40});
  EXPECT_EQ(s.FindColumn(11, 2, 1), 10);
  EXPECT_EQ(s.FindColumn(20, 2, 16), 20);
  EXPECT_EQ(s.Column(30)->Flags & 4, 4u);
  EXPECT_EQ(s.Column(30)->Min, 20);
  EXPECT_EQ(s.Column(30)->Max, 40);
  EXPECT_EQ(s.Row(40)->Flags & 8, 8u);
  // Both neighbours match: the higher side wins.
  s.Add({12, 0, 14, 0});
  EXPECT_EQ(s.FindColumn(11, 2, 1), 12);
  EXPECT_EQ(s.Column(-1), nullptr);
  EXPECT_EQ(s.FindColumn(-5, 2, 1), -1);
}

TEST_F(SceneEditor, CanvasShowsTheSceneAsThePanelDoes)
{
  ASSERT_TRUE(W->OpenFile(DataRoot() + "/demo/demo.ksv", false));
  TZmScene* scene = W->Root().SceneGroups->FindScene(1);
  ASSERT_NE(scene, nullptr);
  ASSERT_GT(scene->ComponentGroup->Count(), 0u);
  W->EditOptions.ShowGrid = 0;
  TFrameEditScene* e = Show(scene);
  ASSERT_NE(e, nullptr);
  ASSERT_EQ(e->EditedScene(), scene);
  EXPECT_TRUE(W->dplRight->isVisible());  // the tool palette comes with a scene
  // The panel's own painting, as the command line's render does it.
  const TZmModel* model = scene->Model();
  TZmDC panel(model->Width(), model->Height());
  TZmComponent::PrepareContext(panel, model);
  panel.Clear(model->PaletteColor(static_cast<uint32_t>(model->BGColorIndex), scene->Option));
  scene->PaintScene(panel, nullptr, 0, true);
  ASSERT_EQ(e->Screen()->Width(), panel.Width());
  EXPECT_TRUE(std::equal(panel.Pixels().begin(), panel.Pixels().end(), e->Screen()->Pixels().begin()));
  // Each scene pixel is Zoom/100 canvas pixels; the canvas sits in the picture's screen.
  EXPECT_EQ(e->ccEdit->width(), model->Width() * e->Zoom / 100);
  EXPECT_EQ(e->ccEdit->x(), model->EditRect.Left * e->Zoom / 100 + 8);
  const int k = e->Zoom / 100;
  EXPECT_EQ(e->ToScene(QPoint(10 * k + k - 1, 7 * k), false), QPoint(10, 7));
  EXPECT_EQ(e->Readout(), QString("Scale : %1%").arg(e->Zoom));

  // Grid on, an object selected: what a user sees, for a person to look at.
  W->EditOptions.ShowGrid = 1;
  e->SelectObject(scene->ComponentGroup->Item(0));
  QApplication::processEvents();
  EXPECT_TRUE(W->grab().save(QStringLiteral(KESTRAVA_BUILD_DIR "/app-sceneeditor.png")));
  e->SetZoom(400);
  QApplication::processEvents();
  EXPECT_TRUE(e->gbxOption->isVisible());
  EXPECT_EQ(e->Zoom, 400) << "the option box appearing keeps the chosen zoom";
  EXPECT_TRUE(e->grab().save(QStringLiteral(KESTRAVA_BUILD_DIR "/app-sceneeditor-400.png")));
  std::string error;
  EXPECT_TRUE(SaveSurfacePng(*e->Screen(), KESTRAVA_BUILD_DIR "/app-sceneeditor-surface.png", error)) << error;
  // The options as the program starts: every object labelled, half see-through.
  W->EditOptions = TZmSceneEditOpt();
  e->SetZoom(200);
  e->Selection.Clear();
  e->Refresh();
  QApplication::processEvents();
  EXPECT_TRUE(e->grab().save(QStringLiteral(KESTRAVA_BUILD_DIR "/app-sceneeditor-labels.png")));
}

TEST_F(SceneEditor, PlaceMoveResizeUndoRedoAndSaveAgain)
{
  NewProject();
  TZmScene* scene = SceneAt(0);
  TFrameEditScene* e = Show(scene);
  ASSERT_NE(e, nullptr);
  EXPECT_FALSE(W->Modified);

  // Placing: the palette's tool draws a rectangle.
  TZmComponent* rect = Place(e, 3, {10, 10}, {40, 30});
  ASSERT_NE(rect, nullptr);
  EXPECT_STREQ(rect->ClassName(), "TZmRect");
  EXPECT_EQ(rect->Rect, R(10, 10, 40, 30));
  EXPECT_FALSE(static_cast<TZmGraphic*>(rect)->Filled());
  EXPECT_TRUE(W->Modified);
  EXPECT_EQ(W->UndoStack.Count(), 1u);

  struct Step {
    const char* what;
    std::function<void()> act;
    TZmRectValue expected;
  };
  const std::vector<Step> steps = {
      {"move the body", [&] { Drag(e, {20, 20}, {25, 27}); }, R(15, 17, 45, 37)},
      {"zero-distance drag", [&] { Drag(e, {20, 20}, {20, 20}); }, R(15, 17, 45, 37)},
      {"resize bottom-right", [&] { Drag(e, {45, 37}, {50, 40}); }, R(15, 17, 50, 40)},
      {"resize top-left", [&] { Drag(e, {15, 17}, {12, 20}); }, R(12, 20, 50, 40)},
      {"arrow key", [&] { e->KeyDown(Qt::Key_Left, Qt::NoModifier); }, R(11, 20, 49, 40)},
      {"shift arrow: a grid step", [&] { e->KeyDown(Qt::Key_Down, Qt::ShiftModifier); }, R(11, 28, 49, 48)},
      {"ctrl arrow: resize", [&] { e->KeyDown(Qt::Key_Right, Qt::ControlModifier); }, R(11, 28, 50, 48)},
      {"dragged past the left edge", [&] { Drag(e, {20, 38}, {-200, 38}); }, R(0, 28, 39, 48)},
  };
  std::vector<TZmRectValue> history = {rect->Rect};
  for (const Step& s : steps) {
    s.act();
    ASSERT_EQ(scene->ComponentGroup->Count(), 1u) << s.what;
    rect = scene->ComponentGroup->Item(0);
    EXPECT_EQ(rect->Rect, s.expected) << s.what;
    if (!(s.expected == history.back())) history.push_back(s.expected);
  }
  // Every change is one step; the zero-distance drag is none.
  EXPECT_EQ(W->UndoStack.Count(), history.size());
  for (size_t i = history.size() - 1; i > 0; --i) {
    W->Undo();
    ASSERT_EQ(scene->ComponentGroup->Count(), 1u);
    EXPECT_EQ(scene->ComponentGroup->Item(0)->Rect, history[i - 1]) << "undo " << i;
    EXPECT_TRUE(W->Modified);
  }
  W->Undo();  // the placing itself
  EXPECT_EQ(scene->ComponentGroup->Count(), 0u);
  EXPECT_FALSE(W->Modified) << "back at the saved state";
  EXPECT_FALSE(W->actUndo->isEnabled());
  for (size_t i = 0; i < history.size(); ++i) W->Redo();
  ASSERT_EQ(scene->ComponentGroup->Count(), 1u);
  EXPECT_EQ(scene->ComponentGroup->Item(0)->Rect, history.back());
  EXPECT_TRUE(W->Modified);

  // Saved, the state is clean; undo makes it modified again, redo clean.
  const QString a = Dir.filePath("a.ksv"), b = Dir.filePath("b.ksv");
  ASSERT_TRUE(W->SaveFile(a));
  EXPECT_FALSE(W->Modified);
  W->Undo();
  EXPECT_TRUE(W->Modified);
  W->Redo();
  EXPECT_FALSE(W->Modified);
  // Reopened and saved again: the same bytes.
  ASSERT_TRUE(W->OpenFile(a, false));
  ASSERT_TRUE(W->SaveFile(b));
  QFile fa(a), fb(b);
  ASSERT_TRUE(fa.open(QIODevice::ReadOnly) && fb.open(QIODevice::ReadOnly));
  EXPECT_EQ(fa.readAll(), fb.readAll());
}

TEST_F(SceneEditor, SelectionWithModifiersBandAndLockedObjects)
{
  NewProject();
  TFrameEditScene* e = Show(SceneAt(0));
  ASSERT_NE(e, nullptr);
  TZmComponent* a = Place(e, 5 - 2, {10, 10}, {30, 30});
  TZmComponent* b = Place(e, 3, {60, 10}, {80, 30});
  TZmComponent* c = Place(e, 3, {110, 10}, {130, 30});
  ASSERT_TRUE(a && b && c);
  c->FLock = 1;
  auto selected = [&] { return e->Selection.Items; };
  using V = std::vector<TZmComponent*>;

  Drag(e, {20, 20}, {20, 20});
  EXPECT_EQ(selected(), V({a}));
  Drag(e, {70, 20}, {70, 20}, Qt::ShiftModifier);
  EXPECT_EQ(selected(), V({a, b}));
  Drag(e, {20, 20}, {20, 20}, Qt::ShiftModifier);  // makes it the primary one
  EXPECT_EQ(selected(), V({b, a}));
  Drag(e, {20, 20}, {20, 20}, Qt::ControlModifier);
  EXPECT_EQ(selected(), V({b}));
  Drag(e, {20, 20}, {20, 20}, Qt::ControlModifier);  // unselected: unchanged
  EXPECT_EQ(selected(), V({b}));
  // A band from empty space catches what lies wholly inside it.
  Drag(e, {5, 5}, {90, 40});
  EXPECT_EQ(selected(), V({a, b}));
  Drag(e, {55, 5}, {90, 40}, Qt::ControlModifier);  // a Ctrl band takes away
  EXPECT_EQ(selected(), V({a}));
  // A locked object is not dragged: pressing on it starts a band, a click selects it.
  Drag(e, {120, 20}, {120, 20});
  EXPECT_EQ(selected(), V({c}));
  Drag(e, {120, 20}, {150, 40});
  EXPECT_EQ(c->Rect, R(110, 10, 130, 30));
  // Esc clears; the keyboard moves only unlocked objects.
  e->SelectAll();
  EXPECT_EQ(selected().size(), 3u);
  e->KeyDown(Qt::Key_Right, Qt::NoModifier);
  EXPECT_EQ(a->Rect, R(11, 10, 31, 30));
  EXPECT_EQ(c->Rect, R(110, 10, 130, 30));
  e->KeyDown(Qt::Key_Escape, Qt::NoModifier);
  EXPECT_TRUE(selected().empty());
}

TEST_F(SceneEditor, SnapToObjectsAndGrid)
{
  NewProject();
  TFrameEditScene* e = Show(SceneAt(0));
  TZmComponent* a = Place(e, 3, {10, 10}, {30, 30});
  TZmComponent* b = Place(e, 3, {100, 100}, {120, 120});
  ASSERT_TRUE(a && b);
  W->EditOptions.SnapToObjects = 1;
  // b's left edge dragged to one pixel right of a's right edge plus the gap (8): snaps to the gap.
  e->SelectObject(b);
  Drag(e, {110, 110}, {110 - 100 + 30 + 8 + 1, 110});
  EXPECT_EQ(b->Rect.Left, 38);
  W->EditOptions.SnapToObjects = 0;
  W->EditOptions.SnapToGrid = 1;
  Drag(e, {45, 110}, {48, 113});  // left 41 -> snapped down to 40
  EXPECT_EQ(b->Rect.Left, 40);
  EXPECT_EQ(b->Rect.Top % 8, 0);
  // Both on, as a new user has them: an object line near wins along its
  // axis; along the other the grid holds, as it does for placing.
  W->EditOptions.SnapToObjects = 1;
  const TZmRectValue was = b->Rect;
  Drag(e, {was.Left + 5, was.Top + 5}, {was.Left + 5 + 37, was.Top + 5 + 29});  // far from a's lines
  EXPECT_EQ(b->Rect.Left % 8, 0) << b->Rect.Left;
  EXPECT_EQ(b->Rect.Top % 8, 0) << b->Rect.Top;
  const TZmRectValue mid = b->Rect;
  // Left edge brought one pixel past a's right edge plus the gap: x snaps to
  // the gap (38), y (moved by 13) lands on the grid.
  Drag(e, {mid.Left + 5, mid.Top + 5}, {38 + 1 + 5, mid.Top + 5 + 13});
  EXPECT_EQ(b->Rect.Left, 38);
  EXPECT_EQ(b->Rect.Top % 8, 0) << b->Rect.Top;
}

TEST_F(SceneEditor, CopyAndPasteBetweenScenes)
{
  NewProject();
  TFrameEditScene* e = Show(SceneAt(0));
  TZmComponent* a = Place(e, 3, {10, 10}, {30, 20});
  ASSERT_NE(a, nullptr);
  e->SelectObject(a);
  e->Copy();
  ASSERT_TRUE(QApplication::clipboard()->mimeData()->hasFormat(kSceneClipboardMime));
  EXPECT_TRUE(e->CanPaste());

  // In another scene the first paste keeps the place; further ones step by the grid.
  e = Show(SceneAt(1));
  ASSERT_EQ(e->EditedScene(), SceneAt(1));
  const size_t steps = W->UndoStack.Count();
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(e->Paste());
    TZmComponent* p = SceneAt(1)->ComponentGroup->Members.back();
    EXPECT_STREQ(p->ClassName(), "TZmRect");
    EXPECT_EQ(p->Rect, R(10 + 8 * i, 10 + 8 * i, 30 + 8 * i, 20 + 8 * i)) << "paste " << i;
    EXPECT_EQ(e->Selection.Items, std::vector<TZmComponent*>({p}));
  }
  EXPECT_EQ(W->UndoStack.Count(), steps + 3);
  // After a cut the first paste lands where the objects were.
  e->SelectObject(SceneAt(1)->ComponentGroup->Members.front());
  e->Cut();
  EXPECT_EQ(SceneAt(1)->ComponentGroup->Count(), 2u);
  ASSERT_TRUE(e->Paste());
  EXPECT_EQ(SceneAt(1)->ComponentGroup->Members.back()->Rect, R(10, 10, 30, 20));
  // Pasting again in the same scene steps away from the copy.
  ASSERT_TRUE(e->Paste());
  EXPECT_EQ(SceneAt(1)->ComponentGroup->Members.back()->Rect, R(18, 18, 38, 28));
  W->Undo();
  W->Undo();
  EXPECT_EQ(SceneAt(1)->ComponentGroup->Count(), 2u);
}

TEST_F(SceneEditor, MalformedClipboardPastesNothing)
{
  NewProject();
  TFrameEditScene* e = Show(SceneAt(0));
  TZmComponent* a = Place(e, 3, {10, 10}, {30, 20});
  Place(e, 2, {40, 40}, {60, 50});
  e->SelectAll();
  e->Copy();
  const QByteArray good = QApplication::clipboard()->mimeData()->data(kSceneClipboardMime);
  ASSERT_GT(good.size(), 40);
  W->SetModified(false);
  const TZmSnapshot before = TZmUndoStack::Snapshot(SceneAt(0));

  auto le32 = [](uint32_t v) { return QByteArray(reinterpret_cast<const char*>(&v), 4); };
  QByteArray unknown = good;
  unknown.replace(QByteArray("T\0Z\0m\0E\0l\0l\0i\0p\0s\0e\0", 20), QByteArray("T\0Z\0m\0Q\0l\0l\0i\0p\0s\0e\0", 20));
  ASSERT_NE(unknown, good);
  struct Case {
    const char* name;
    QByteArray data;
  } cases[] = {
      {"empty", QByteArray()},
      {"shorter than its header", good.left(9)},
      {"length beyond the data", le32(1000) + good.mid(4)},
      {"length below the header", le32(4) + good.mid(4)},
      {"cut short", good.left(good.size() - 10)},
      {"no object list", le32(12) + le32(0) + le32(8) + QByteArray("abcd")},
      {"an unknown class after a good object", unknown},
  };
  int errors = 0;
  for (const Case& c : cases) {
    auto* mime = new QMimeData;
    mime->setData(kSceneClipboardMime, c.data);
    QApplication::clipboard()->setMimeData(mime);
    QString why;
    EXPECT_FALSE(e->Paste(&why)) << c.name;
    if (!why.isEmpty()) ++errors;
    EXPECT_EQ(TZmUndoStack::Snapshot(SceneAt(0)), before) << c.name << ": all or nothing";
    EXPECT_FALSE(W->Modified) << c.name;
  }
  EXPECT_EQ(errors, int(std::size(cases)));  // each one says why
  // The reasons reached the user.
  EXPECT_GE(Script->Asked.size(), size_t(errors));
  EXPECT_EQ(a->Rect, R(10, 10, 30, 20));
}

TEST_F(SceneEditor, LayerOrderAndGroups)
{
  NewProject();
  TFrameEditScene* e = Show(SceneAt(0));
  std::vector<TZmComponent*> o;
  for (int i = 0; i < 5; ++i) o.push_back(Place(e, 3, {10 + 20 * i, 10}, {25 + 20 * i, 25}));
  auto& m = SceneAt(0)->ComponentGroup->Members;
  using V = std::vector<TZmComponent*>;
  struct Case {
    int kind;
    std::vector<int> selected;
    std::vector<int> order;
  } cases[] = {
      {0, {1, 2}, {0, 3, 4, 1, 2}},  // to the top, keeping their order
      {1, {2, 3}, {2, 3, 0, 1, 4}},  // to the bottom
      {2, {1, 2}, {0, 3, 1, 2, 4}},  // one step up, as a block
      {2, {3, 4}, {0, 1, 2, 3, 4}},  // already on top
      {3, {0, 4}, {0, 1, 2, 4, 3}},  // one step down
  };
  for (const Case& c : cases) {
    m = o;
    e->Selection.Clear();
    for (int i : c.selected) e->Selection.Add(o[i]);
    e->Order(c.kind);
    V want;
    for (int i : c.order) want.push_back(o[i]);
    EXPECT_EQ(m, want) << "order " << c.kind;
  }
  m = o;
  // Grouping: one object in the list, saved and read back; undo and ungroup restore.
  e->Selection.Clear();
  e->Selection.Add(o[1]);
  e->Selection.Add(o[3]);
  e->Group();
  ASSERT_EQ(m.size(), 4u);
  EXPECT_STREQ(m[2]->ClassName(), "TZmComponentGroup");
  EXPECT_EQ(m[2]->GetBounds(), R(30, 10, 85, 25));
  const TZmSnapshot grouped = TZmUndoStack::Snapshot(SceneAt(0));
  W->Undo();
  EXPECT_EQ(m.size(), 5u);
  W->Redo();
  ASSERT_EQ(m.size(), 4u);
  EXPECT_EQ(TZmUndoStack::Snapshot(SceneAt(0)), grouped);
  // The group moves as one.
  e->SelectObject(m[2]);
  e->KeyDown(Qt::Key_Down, Qt::NoModifier);
  EXPECT_EQ(m[2]->GetBounds(), R(30, 11, 85, 26));
  e->Ungroup();
  ASSERT_EQ(m.size(), 5u);
  EXPECT_EQ(m[2]->Rect, R(30, 11, 45, 26));
  EXPECT_EQ(m[3]->Rect, R(70, 11, 85, 26));
}

TEST_F(SceneEditor, MouseOnTheRealCanvas)
{
  NewProject();
  TFrameEditScene* e = Show(SceneAt(0));
  TZmComponent* a = Place(e, 3, {10, 10}, {30, 30});
  ASSERT_NE(a, nullptr);
  QApplication::processEvents();
  const int k = e->Zoom / 100;
  QTest::mouseClick(e->ccEdit, Qt::LeftButton, Qt::NoModifier, QPoint(20 * k, 20 * k));
  EXPECT_EQ(e->Selection.Items, std::vector<TZmComponent*>({a}));
  QTest::mouseClick(e->ccEdit, Qt::LeftButton, Qt::NoModifier, QPoint(150 * k, 150 * k));
  EXPECT_TRUE(e->Selection.Items.empty());
}

TEST_F(SceneEditor, ReadoutsFollowTheMouse)
{
  NewProject();
  TFrameEditScene* e = Show(SceneAt(0));
  TZmComponent* a = Place(e, 3, {10, 10}, {40, 30});
  ASSERT_NE(a, nullptr);
  e->Selection.Clear();
  e->Refresh();
  struct Case {
    const char* what;
    std::function<void()> act;
    QString readout;
  } cases[] = {
      {"hover", [&] { e->MouseMove({12, 34}, Qt::NoButton, Qt::NoModifier); }, "12 , 34"},
      {"rubber band upwards to the left",
       [&] {
         e->MouseDown({100, 100}, Qt::LeftButton, Qt::NoModifier);
         e->MouseMove({90, 120}, Qt::LeftButton, Qt::NoModifier);
       },
       "[100 , 100] [11 x 21]"},
      {"moving: the displayed rectangle",
       [&] {
         e->MouseDown({20, 20}, Qt::LeftButton, Qt::NoModifier);
         e->MouseMove({25, 27}, Qt::LeftButton, Qt::NoModifier);
       },
       "[15 , 17] [31 x 21]"},
      {"resizing by the bottom-right handle",
       [&] {
         e->MouseDown({40, 30}, Qt::LeftButton, Qt::NoModifier);
         e->MouseMove({50, 40}, Qt::LeftButton, Qt::NoModifier);
       },
       "[10 , 10] [41 x 31]"},
  };
  for (const Case& c : cases) {
    const TZmSnapshot before = TZmUndoStack::Snapshot(SceneAt(0));
    c.act();
    EXPECT_EQ(e->Readout(), c.readout) << c.what;
    e->MouseUp({0, 0}, Qt::LeftButton, Qt::NoModifier);
    if (TZmUndoStack::Snapshot(SceneAt(0)) != before) W->Undo();  // nothing of it is kept for the next case
    a = SceneAt(0)->ComponentGroup->Item(0);
    ASSERT_EQ(a->Rect, R(10, 10, 40, 30)) << c.what;
    e->SelectObject(a);
  }
}

TEST_F(SceneEditor, KeyboardTable)
{
  NewProject();
  TFrameEditScene* e = Show(SceneAt(0));
  std::vector<TZmComponent*> o;
  for (int i = 0; i < 3; ++i) o.push_back(Place(e, 3, {10 + 30 * i, 10}, {30 + 30 * i, 30}));
  auto& m = SceneAt(0)->ComponentGroup->Members;
  using V = std::vector<TZmComponent*>;
  const Qt::KeyboardModifiers none = Qt::NoModifier, shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier;
  struct Case {
    const char* what;
    int key;
    Qt::KeyboardModifiers mods;
    V order;  // with the middle object selected; empty: it was deleted
  } cases[] = {
      {"+ one step up", Qt::Key_Plus, none, {o[0], o[2], o[1]}},
      {"+ on the numeric pad", Qt::Key_Plus, Qt::KeypadModifier, {o[0], o[2], o[1]}},
      {"the + key unshifted", Qt::Key_Equal, none, {o[0], o[2], o[1]}},
      {"Shift + to the top", Qt::Key_Plus, shift, {o[0], o[2], o[1]}},
      {"Ctrl + nothing", Qt::Key_Plus, ctrl, {o[0], o[1], o[2]}},
      {"- one step down", Qt::Key_Minus, none, {o[1], o[0], o[2]}},
      {"- on the numeric pad", Qt::Key_Minus, Qt::KeypadModifier, {o[1], o[0], o[2]}},
      {"Shift - to the bottom", Qt::Key_Underscore, shift, {o[1], o[0], o[2]}},
      {"Ctrl - nothing", Qt::Key_Minus, ctrl, {o[0], o[1], o[2]}},
      {"Shift Delete nothing", Qt::Key_Delete, shift, {o[0], o[1], o[2]}},
      {"Ctrl Delete nothing", Qt::Key_Delete, ctrl, {o[0], o[1], o[2]}},
      {"Delete", Qt::Key_Delete, none, {o[0], o[2]}},
  };
  for (const Case& c : cases) {
    m = o;
    e->SelectObject(o[1]);
    const size_t steps = W->UndoStack.Count();
    EXPECT_TRUE(e->KeyDown(c.key, c.mods)) << c.what << ": the canvas keeps its keys";
    EXPECT_EQ(m, c.order) << c.what;
    EXPECT_EQ(W->UndoStack.Count(), steps + (m == o ? 0 : 1)) << c.what;
  }
  // Typed characters and other keys go on to the window.
  EXPECT_FALSE(e->KeyDown(Qt::Key_A, none));
}

TEST_F(SceneEditor, ALockedSceneSelectsButChangesNothing)
{
  NewProject();
  TFrameEditScene* e = Show(SceneAt(0));
  TZmComponent* a = Place(e, 3, {10, 10}, {30, 30});
  TZmComponent* b = Place(e, 3, {50, 10}, {70, 30});
  ASSERT_TRUE(a && b);
  e->SelectObject(a);
  e->Copy();  // something to paste
  ASSERT_TRUE(e->CanPaste());
  SceneAt(0)->FLock = 1;
  W->SetModified(false);
  const TZmSnapshot before = TZmUndoStack::Snapshot(SceneAt(0));
  const size_t steps = W->UndoStack.Count();
  struct Case {
    const char* what;
    std::function<void()> act;
  } cases[] = {
      {"Delete", [&] { e->Delete(); }},
      {"Cut", [&] { e->Cut(); }},
      {"Paste", [&] { e->Paste(); }},
      {"to the top", [&] { e->Order(0); }},
      {"one step down", [&] { e->Order(3); }},
      {"arrow key", [&] { e->KeyDown(Qt::Key_Right, Qt::NoModifier); }},
      {"Ctrl arrow", [&] { e->KeyDown(Qt::Key_Right, Qt::ControlModifier); }},
      {"dragging", [&] { Drag(e, {20, 20}, {40, 40}); }},
      {"a drawing tool", [&] { Place(e, 3, {100, 100}, {130, 130}); }},
      {"a polygon", [&] {
         e->SetTool(8);
         e->MouseDown({100, 100}, Qt::LeftButton, Qt::NoModifier);
         e->MouseDown({120, 100}, Qt::LeftButton, Qt::NoModifier);
         e->MouseDown({120, 100}, Qt::RightButton, Qt::NoModifier);
         e->SetTool(-1);
       }},
  };
  for (const Case& c : cases) {
    e->SelectObject(a);
    c.act();
    EXPECT_EQ(TZmUndoStack::Snapshot(SceneAt(0)), before) << c.what;
    EXPECT_EQ(W->UndoStack.Count(), steps) << c.what;
    EXPECT_FALSE(W->Modified) << c.what;
  }
  // Copy leaves the clipboard alone: nothing in a locked scene can be taken.
  QApplication::clipboard()->setText("kept");
  e->SelectObject(a);
  e->Copy();
  EXPECT_FALSE(QApplication::clipboard()->mimeData()->hasFormat(kSceneClipboardMime));
  EXPECT_EQ(QApplication::clipboard()->text(), "kept");
  // Objects can still be selected, by click and by band.
  Drag(e, {60, 20}, {60, 20});
  EXPECT_EQ(e->Selection.Items, std::vector<TZmComponent*>({b}));
  Drag(e, {5, 5}, {80, 40});
  EXPECT_EQ(e->Selection.Count(), 2u);
}

TEST_F(SceneEditor, PasteOffsetsWrapAndColoursFollowTheModel)
{
  NewProject();
  TFrameEditScene* e = Show(SceneAt(0));
  const int32_t w = SceneAt(0)->Width();
  ASSERT_GT(w, 200);
  // Wide enough that the third step reaches the screen's width: twice its
  // width plus 24 pixels of offset.
  const int32_t right = 10 + (w - 20) / 2;
  TZmComponent* a = Place(e, 3, {10, 10}, {right, 30});
  ASSERT_NE(a, nullptr);
  ASSERT_LT((right - 10) * 2 + 16, w);
  ASSERT_GE((right - 10) * 2 + 24, w);
  e->SelectObject(a);
  e->Copy();
  const int expected[] = {8, 16, 24, 0, 8};
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(e->Paste()) << i;
    EXPECT_EQ(SceneAt(0)->ComponentGroup->Members.back()->Rect.Left, 10 + expected[i]) << "paste " << i;
  }

  // Copied from a model of another colour format: the colours are converted.
  auto* shape = static_cast<TZmGraphic*>(a);
  shape->Pen->Color = 0x1234;
  e->SelectObject(a);
  e->Copy();
  QByteArray data = QApplication::clipboard()->mimeData()->data(kSceneClipboardMime);
  const int32_t here = SceneAt(0)->Model()->ColorFormat, there = here == 7 ? 8 : 7;
  // The block: the length of what follows, the copying window, the colour format, the objects.
  auto u32 = [&](int at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | uint8_t(data[at + i]);
    return v;
  };
  ASSERT_GT(data.size(), 12);
  EXPECT_EQ(u32(0), uint32_t(data.size() - 4));
  EXPECT_EQ(u32(8), uint32_t(here));
  const QString list = QStringLiteral("TZmComponentRefs");  // the object list's own name, UTF-16
  EXPECT_EQ(u32(12), uint32_t(list.size()));
  EXPECT_EQ(data.mid(16, 2 * list.size()), QByteArray(reinterpret_cast<const char*>(list.utf16()), 2 * list.size()));
  for (int i = 0; i < 4; ++i) data[8 + i] = char((uint32_t(there) >> (8 * i)) & 0xFF);
  auto* mime = new QMimeData;
  mime->setData(kSceneClipboardMime, data);
  QApplication::clipboard()->setMimeData(mime);
  ASSERT_TRUE(e->Paste());
  auto* pasted = static_cast<TZmGraphic*>(SceneAt(0)->ComponentGroup->Members.back());
  EXPECT_EQ(pasted->Pen->Color, ConvertPanelColor(there, here, 0x1234));
  EXPECT_NE(ConvertPanelColor(there, here, 0x1234), 0x1234u) << "the two formats differ";
}

TEST_F(SceneEditor, ObjectsThatCannotLiveOnAScreenAreNotPasted)
{
  NewProject();
  TFrameEditScene* e = Show(SceneAt(0));
  const TZmModel* model = SceneAt(0)->Model();
  auto block = [&](const std::function<void(TZmComponentRefs&, TZmComponentGroup&)>& fill) {
    std::unique_ptr<TZmComponentGroup> holder(NewObject<TZmComponentGroup>());
    TZmComponentRefs refs;
    refs.Scene = SceneAt(0);
    fill(refs, *holder);
    TZmStream list;
    refs.WriteObjectList(list);
    TZmStream out;
    out.WriteU32(static_cast<uint32_t>(list.Size() + 8));
    out.WriteU32(0);
    out.WriteU32(static_cast<uint32_t>(model->ColorFormat));
    out.Write(list.Bytes());
    return QByteArray(reinterpret_cast<const char*>(out.Data()), static_cast<qsizetype>(out.Size()));
  };
  struct Case {
    const char* what;
    QByteArray data;
  } cases[] = {
      {"a physical key beside a rectangle", block([](TZmComponentRefs& r, TZmComponentGroup& h) {
         r.Add(CreateComponent<TZmRect>(&h));
         r.Add(CreateComponent<TZmBtnSystem>(&h));
       })},
      {"a physical key inside a group", block([](TZmComponentRefs& r, TZmComponentGroup& h) {
         auto* g = CreateComponent<TZmComponentGroup>(&h);
         CreateComponent<TZmRect>(g);
         CreateComponent<TZmBtnSystem>(g);
         r.Add(g);
       })},
  };
  W->SetModified(false);
  const TZmSnapshot before = TZmUndoStack::Snapshot(SceneAt(0));
  for (const Case& c : cases) {
    auto* mime = new QMimeData;
    mime->setData(kSceneClipboardMime, c.data);
    QApplication::clipboard()->setMimeData(mime);
    QString why;
    EXPECT_FALSE(e->Paste(&why)) << c.what;
    EXPECT_FALSE(why.isEmpty()) << c.what;
    EXPECT_EQ(TZmUndoStack::Snapshot(SceneAt(0)), before) << c.what;
    EXPECT_FALSE(W->Modified) << c.what;
  }
  // A group of plain shapes comes in whole.
  auto* mime = new QMimeData;
  mime->setData(kSceneClipboardMime, block([](TZmComponentRefs& r, TZmComponentGroup& h) {
                  auto* g = CreateComponent<TZmComponentGroup>(&h);
                  CreateComponent<TZmRect>(g)->SetBounds(10, 10, 20, 20);
                  CreateComponent<TZmEllipse>(g)->SetBounds(30, 10, 40, 20);
                  r.Add(g);
                }));
  QApplication::clipboard()->setMimeData(mime);
  ASSERT_TRUE(e->Paste());
  ASSERT_EQ(SceneAt(0)->ComponentGroup->Count(), 1u);
  EXPECT_EQ(static_cast<TZmComponentGroup*>(SceneAt(0)->ComponentGroup->Item(0))->Count(), 2u);
  EXPECT_TRUE(W->Modified);
}

namespace {
// A pixel of a handle: `under` with the colour blended in at 75 %.
uint16_t HandlePixel(uint16_t under, uint32_t colour)
{
  TZmDC dc(1, 1);
  dc.SetPixel(0, 0, under);
  dc.SetBlend(colour, 75);
  dc.BlendPixel(0, 0);
  return dc.GetPixel(0, 0);
}
}  // namespace

TEST_F(SceneEditor, HandleColoursTellNormalPrimaryLockedAndForeignObjects)
{
  NewProject();
  W->EditOptions.ShowGrid = 0;
  TFrameEditScene* e = Show(SceneAt(1));
  TZmComponent* foreign = Place(e, 3, {130, 60}, {170, 90});
  e = Show(SceneAt(0));
  TZmComponent* a = Place(e, 3, {10, 20}, {50, 50});
  TZmComponent* b = Place(e, 3, {70, 20}, {110, 50});
  TZmComponent* c = Place(e, 3, {130, 20}, {170, 50});
  ASSERT_TRUE(a && b && c && foreign);
  c->FLock = 1;
  enum Look { Normal, Primary, Locked, Foreign };
  auto colours = [](Look l) -> std::pair<uint32_t, uint32_t> {
    switch (l) {
      case Normal: return {0xC08000, 0xFFFF80};
      case Primary: return {0xFFFF80, 0xC08000};
      case Locked: return {0x00C080, 0x80FFFF};
      default: return {0x8000C0, 0xFF80FF};
    }
  };
  struct Case {
    const char* what;
    std::vector<TZmComponent*> selection;
    bool sceneLocked;
    std::vector<Look> looks;
  } cases[] = {
      {"one object", {a}, false, {Normal}},
      {"two: the last is the primary one", {a, b}, false, {Normal, Primary}},
      {"a locked one last: the primary is the last unlocked", {a, b, c}, false, {Normal, Primary, Locked}},
      {"a locked one among two", {a, c}, false, {Normal, Locked}},
      {"a locked scene", {a, b}, true, {Locked, Locked}},
      {"an object of another scene", {a, b, foreign}, false, {Normal, Primary, Foreign}},
  };
  for (const Case& k : cases) {
    SceneAt(0)->FLock = k.sceneLocked;
    e->Selection.Clear();
    for (TZmComponent* o : k.selection) e->Selection.Items.push_back(o);
    e->Refresh();
    for (size_t i = 0; i < k.selection.size(); ++i) {
      const TZmRectValue r = k.selection[i]->Rect;
      // The top-middle handle: its upper edge in the pen colour, inside it the fill.
      const int x = (r.Left + r.Right) / 2, edge = r.Top - 3, inside = r.Top - 2;
      // The primary one is drawn in the normal colours first, then again highlighted.
      uint16_t wantEdge = e->SceneImage->GetPixel(x, edge), wantInside = e->SceneImage->GetPixel(x, inside);
      for (Look l : k.looks[i] == Primary ? std::vector<Look>{Normal, Primary} : std::vector<Look>{k.looks[i]}) {
        wantEdge = HandlePixel(wantEdge, colours(l).first);
        wantInside = HandlePixel(wantInside, colours(l).second);
      }
      EXPECT_EQ(e->Screen()->GetPixel(x, edge), wantEdge) << k.what << ", object " << i;
      EXPECT_EQ(e->Screen()->GetPixel(x, inside), wantInside) << k.what << ", object " << i;
    }
  }
  SceneAt(0)->FLock = 0;
  e->Selection.Items.clear();
}

TEST_F(SceneEditor, LabelsBlendInAndCanFollowTheSelection)
{
  NewProject();
  W->EditOptions.ShowGrid = 0;
  TFrameEditScene* e = Show(SceneAt(0));
  TZmComponent* a = Place(e, 3, {10, 20}, {80, 60});
  TZmComponent* b = Place(e, 3, {120, 20}, {190, 60});
  ASSERT_TRUE(a && b);
  auto picture = [&](int mode, int opacity, std::vector<TZmComponent*> selected) {
    W->EditOptions.LabelMode = mode;
    W->EditOptions.LabelOpacity = opacity;
    e->Selection.Clear();
    for (TZmComponent* o : selected) e->Selection.Add(o);
    e->Refresh();
    std::vector<uint16_t> px(e->SceneImage->Pixels().begin(), e->SceneImage->Pixels().end());
    return px;
  };
  const auto plain = picture(0, 100, {});
  auto changed = [&](const std::vector<uint16_t>& px, int fromX, int toX) {
    int n = 0;
    const int w = e->SceneImage->Width();
    for (size_t i = 0; i < px.size(); ++i)
      if (px[i] != plain[i] && int(i % w) >= fromX && int(i % w) < toX) ++n;
    return n;
  };
  const int width = e->SceneImage->Width();
  const uint16_t green = 0x0400;  // the label's own colour, drawn directly
  const auto direct = picture(1 | 8, 100, {});
  const auto blended = picture(1 | 8, 50, {});
  ASSERT_GT(changed(direct, 0, width), 0) << "every object gets its label";
  EXPECT_NE(std::count(direct.begin(), direct.end(), green), 0);
  EXPECT_EQ(std::count(blended.begin(), blended.end(), green), 0) << "at half opacity nothing is pure label colour";
  EXPECT_GT(changed(blended, 0, width), 0);
  // With the selection flag only the selected objects are labelled.
  EXPECT_EQ(changed(picture(1 | 8 | 4, 100, {}), 0, width), 0);
  const auto onlyB = picture(1 | 8 | 4, 100, {b});
  EXPECT_EQ(changed(onlyB, 0, 100), 0);
  EXPECT_GT(changed(onlyB, 100, width), 0);
  picture(0, 70, {});
}

TEST_F(SceneEditor, TheGridBoxShowsFromZoom400AndSwitchesThePixelGrid)
{
  NewProject();
  TFrameEditScene* e = Show(SceneAt(0));
  QApplication::processEvents();
  auto grey = [&] {
    const QImage img = e->ccEdit->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) n += img.pixel(x, y) == qRgb(0x80, 0x80, 0x80);
    return n;
  };
  e->SetZoom(300);
  QApplication::processEvents();
  EXPECT_FALSE(e->gbxOption->isVisible());
  EXPECT_EQ(grey(), 0);
  e->SetZoom(400);
  QApplication::processEvents();
  ASSERT_TRUE(e->gbxOption->isVisible());
  EXPECT_TRUE(e->ckbShowgrid->isChecked());
  EXPECT_GT(grey(), e->ccEdit->width());  // a line per scene pixel
  e->ckbShowgrid->click();
  EXPECT_EQ(W->EditOptions.DrawLine400, 0);
  EXPECT_EQ(grey(), 0);
  e->ckbShowgrid->click();
  EXPECT_EQ(W->EditOptions.DrawLine400, 1);
  EXPECT_GT(grey(), 0);
  EXPECT_FALSE(W->Modified) << "an option, not a change of the project";
}

TEST_F(SceneEditor, OtherPagesFindTheNodeAndTheEditorOfAScene)
{
  NewProject();
  TZmComponent* a = Place(Show(SceneAt(0)), 3, {10, 10}, {30, 30});
  ASSERT_TRUE(W->SelectSceneNode(SceneAt(1)));
  EXPECT_EQ(W->tvProject->currentItem(), W->tvProject->NodeOf(SceneAt(1)));
  ASSERT_NE(W->SceneEditorFor(SceneAt(1)), nullptr);
  EXPECT_EQ(W->SceneEditorFor(SceneAt(1))->EditedScene(), SceneAt(1));
  EXPECT_EQ(W->SceneEditorFor(SceneAt(0)), nullptr) << "not shown";
  // A screen object has no node of its own: the caller goes through its scene.
  EXPECT_FALSE(W->SelectNode(a));
  EXPECT_FALSE(W->SelectNode(nullptr));
  ASSERT_TRUE(W->SelectSceneNode(SceneAt(0)));
  TFrameEditScene* e = W->SceneEditorFor(SceneAt(0));
  ASSERT_NE(e, nullptr);
  e->SelectObject(a);
  EXPECT_EQ(e->Selection.Items, std::vector<TZmComponent*>({a}));
  EXPECT_EQ(W->PageObject, a);
  // The root's node shows no editor.
  ASSERT_TRUE(W->SelectNode(&W->Root()));
  EXPECT_EQ(W->SceneEditorFor(SceneAt(0)), nullptr);
}

TEST_F(SceneEditor, ResizingSnapsTheEdgeThatFollowsTheHandle)
{
  NewProject();
  TFrameEditScene* e = Show(SceneAt(0));
  ASSERT_NE(Place(e, 3, {10, 10}, {40, 30}), nullptr);
  W->EditOptions.SnapToGrid = 1;
  struct Case {
    const char* what;
    QPoint handle, to;
    TZmRectValue expected;
  } cases[] = {
      {"bottom-right", {40, 30}, {50, 42}, R(10, 10, 48, 40)},
      {"left middle", {10, 20}, {21, 20}, R(16, 10, 40, 30)},
      {"top middle", {25, 10}, {25, 20}, R(10, 16, 40, 30)},
      {"top-left", {10, 10}, {27, 19}, R(24, 16, 40, 30)},
  };
  for (const Case& c : cases) {
    const TZmSnapshot before = TZmUndoStack::Snapshot(SceneAt(0));
    e->SelectObject(SceneAt(0)->ComponentGroup->Item(0));
    Drag(e, c.handle, c.to);
    EXPECT_EQ(SceneAt(0)->ComponentGroup->Item(0)->Rect, c.expected) << c.what;
    if (TZmUndoStack::Snapshot(SceneAt(0)) != before) W->Undo();
  }

  // Near another object the edge keeps the gap, and a guide line shows it.
  W->EditOptions.SnapToGrid = 0;
  W->EditOptions.SnapToObjects = 1;
  TZmComponent* b = Place(e, 3, {60, 10}, {90, 30});
  ASSERT_NE(b, nullptr);
  e->SelectObject(b);
  e->MouseDown({60, 20}, Qt::LeftButton, Qt::NoModifier);
  e->MouseMove({49, 20}, Qt::LeftButton, Qt::NoModifier);
  EXPECT_NE(e->Screen()->GetPixel(40, 10), e->SceneImage->GetPixel(40, 10)) << "the guide along the other's right edge";
  EXPECT_EQ(e->Screen()->GetPixel(40, 12), e->SceneImage->GetPixel(40, 12)) << "dashed";
  e->MouseUp({49, 20}, Qt::LeftButton, Qt::NoModifier);
  EXPECT_EQ(SceneAt(0)->ComponentGroup->Members.back()->Rect, R(48, 10, 90, 30));
}

TEST_F(SceneEditor, EachNodeShowsItsPagesAndOnlySomeMayBeDragged)
{
  NewProject();
  TZmHMI& root = W->Root();
  struct Case {
    const char* what;
    TZmPersistent* node;
    bool draggable, editor;
  } cases[] = {
      {"the project", &root, false, false},
      {"a scene group", root.SceneGroups->Item(0), true, false},
      {"a scene", SceneAt(1), true, true},
      {"the configuration", root.Configuration, false, false},
      {"the alarm list", root.Alarms, false, false},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(W->SelectNode(c.node)) << c.what;
    QApplication::processEvents();
    EXPECT_EQ(W->tvProject->dragEnabled(), c.draggable) << c.what;
    EXPECT_EQ(W->ClientPage && W->ClientPage->isVisible() && W->ClientPage->EditedScene(), c.editor) << c.what;
    EXPECT_EQ(W->dplRight->isVisible(), c.editor) << c.what << ": the palette comes with the editor";
    EXPECT_EQ(W->PageObject, c.node) << c.what;
  }
  // A scene whose model is not installed cannot be edited: the hosts stay empty.
  root.ModelID = 0x7FFFFFF0;
  ASSERT_EQ(SceneAt(0)->Model(), nullptr);
  ASSERT_TRUE(W->SelectSceneNode(SceneAt(0)));
  QApplication::processEvents();
  EXPECT_FALSE(W->ClientPage->isVisible());
  EXPECT_EQ(W->ClientPage->EditedScene(), nullptr);
  EXPECT_FALSE(W->dplRight->isVisible());
  EXPECT_EQ(W->SceneEditorFor(SceneAt(0)), nullptr);
}

TEST_F(SceneEditor, EditCommandsRouteToTheFocusedCanvasOrTextField)
{
  NewProject();
  TFrameEditScene* e = Show(SceneAt(0));
  TZmComponent* a = Place(e, 3, {10, 10}, {30, 30});
  TZmComponent* b = Place(e, 3, {50, 10}, {70, 30});
  ASSERT_TRUE(a && b);
  auto* field = new QLineEdit(W->pnlClient);
  W->pnlClient->layout()->addWidget(field);
  field->show();
  W->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(W.get()));
  auto focus = [&](QWidget* w) {
    w->setFocus();
    QApplication::processEvents();
    W->UpdateEditActions();
    return QApplication::focusWidget() == w;
  };
  using A = std::vector<QAction*>;
  auto enabled = [&] {
    A on;
    for (QAction* x : {W->actCut, W->actCopy, W->actPaste, W->actDelete, W->actSelectAll, W->actTopLayer, W->actNextLayer})
      if (x->isEnabled()) on.push_back(x);
    return on;
  };
  QApplication::clipboard()->setText("typed");
  // The canvas: copy and the layers with a selection, delete always, select all with objects.
  ASSERT_TRUE(focus(e->ccEdit));
  Drag(e, {150, 150}, {150, 150});  // a click on empty space
  EXPECT_EQ(enabled(), A({W->actDelete, W->actSelectAll}));
  e->SelectObject(a);
  EXPECT_EQ(enabled(), A({W->actCut, W->actCopy, W->actDelete, W->actSelectAll, W->actTopLayer, W->actNextLayer}));
  W->actCopy->trigger();
  EXPECT_TRUE(QApplication::clipboard()->mimeData()->hasFormat(kSceneClipboardMime));
  EXPECT_TRUE(W->actPaste->isEnabled());
  W->actSelectAll->trigger();
  EXPECT_EQ(e->Selection.Count(), 2u);
  W->actDelete->trigger();
  EXPECT_EQ(SceneAt(0)->ComponentGroup->Count(), 0u);
  EXPECT_FALSE(W->actSelectAll->isEnabled()) << "nothing left to select";
  W->actPaste->trigger();
  EXPECT_EQ(SceneAt(0)->ComponentGroup->Count(), 1u);

  // A text field: by its selection, caret, text and the clipboard's plain text.
  QApplication::clipboard()->setText("typed");
  ASSERT_TRUE(focus(field));
  EXPECT_EQ(enabled(), A({W->actPaste})) << "empty field";
  field->setText("abc");
  field->setCursorPosition(1);
  W->UpdateEditActions();
  EXPECT_EQ(enabled(), A({W->actPaste, W->actDelete, W->actSelectAll})) << "caret before the end";
  W->actDelete->trigger();
  EXPECT_EQ(field->text(), "ac");
  W->actSelectAll->trigger();
  EXPECT_EQ(enabled(), A({W->actCut, W->actCopy, W->actPaste, W->actDelete, W->actSelectAll}));
  W->actCut->trigger();
  EXPECT_EQ(field->text(), "");
  EXPECT_EQ(QApplication::clipboard()->text(), "ac");
  field->setText("xyz");
  field->setReadOnly(true);
  field->selectAll();
  W->UpdateEditActions();
  EXPECT_EQ(enabled(), A({W->actCopy, W->actSelectAll})) << "read-only";
  // Anything else: nothing.
  ASSERT_TRUE(focus(W->tvProject));
  EXPECT_EQ(enabled(), A());
}

TEST_F(SceneEditor, DeletingTellsTheOtherViewsWhileTheObjectStillExists)
{
  NewProject();
  TFrameEditScene* e = Show(SceneAt(0));
  TZmComponent* a = Place(e, 3, {10, 10}, {30, 30});
  TZmComponent* b = Place(e, 3, {50, 10}, {70, 30});
  ASSERT_TRUE(a && b);
  std::vector<TZmPersistent*> told;
  auto window = e->OnAboutToDestroy;
  ASSERT_TRUE(window);
  e->OnAboutToDestroy = [&](TZmPersistent* o) {
    told.push_back(o);
    EXPECT_NE(dynamic_cast<TZmComponent*>(o)->OwnerScene(), nullptr) << "still in its scene";
    window(o);
    EXPECT_NE(W->PageObject, o);
  };
  e->SelectObject(a);
  ASSERT_EQ(W->PageObject, a);
  e->Delete();
  EXPECT_EQ(told, std::vector<TZmPersistent*>({a}));
  EXPECT_EQ(W->PageObject, SceneAt(0));
  // A dissolved group is destroyed too.
  TZmComponent* c = Place(e, 3, {90, 10}, {110, 30});
  e->SelectAll();
  e->Group();
  ASSERT_EQ(SceneAt(0)->ComponentGroup->Count(), 1u);
  TZmComponent* g = SceneAt(0)->ComponentGroup->Item(0);
  e->SelectObject(g);
  ASSERT_EQ(W->PageObject, g);
  told.clear();
  e->Ungroup();
  EXPECT_EQ(told, std::vector<TZmPersistent*>({g}));
  EXPECT_NE(W->PageObject, g);
  EXPECT_EQ(SceneAt(0)->ComponentGroup->Members, std::vector<TZmComponent*>({b, c}));
}

TEST_F(SceneEditor, ResizingTheWindowRefitsTheZoom)
{
  NewProject();
  W->resize(900, 650);
  TFrameEditScene* e = Show(SceneAt(0));
  QApplication::processEvents();
  const int32_t small = e->Zoom;
  e->SetZoom(small + 300);  // the user's choice
  QApplication::processEvents();
  EXPECT_EQ(e->Zoom, small + 300);
  // A bigger window: the picture is fitted to the new room.
  W->resize(1800, 1300);
  QApplication::processEvents();
  const QSize area = e->sbxEdit->viewport()->size();
  const TZmModel* m = SceneAt(0)->Model();
  EXPECT_EQ(e->Zoom, FitZoom(m->Edit.Width / 2, m->Edit.Height / 2, area.width() - 16, area.height() - 16));
  EXPECT_GT(e->Zoom, small);
  EXPECT_EQ(e->Readout(), QString("Scale : %1%").arg(e->Zoom));
}

TEST_F(SceneEditor, HitTestingReadsThePickMapThenTheBounds)
{
  NewProject();
  W->EditOptions.ShowGrid = 0;
  TFrameEditScene* e = Show(SceneAt(0));
  TZmComponent* a = Place(e, 3, {10, 10}, {60, 60});  // outlines only: hollow inside
  TZmComponent* b = Place(e, 3, {30, 30}, {80, 80});
  ASSERT_TRUE(a && b);
  e->SelectObject(a);
  struct Case {
    const char* what;
    QPoint p;
    bool forDown;
    TZmComponent* hit;
    int kind;
  } cases[] = {
      {"on b's left edge", {30, 70}, true, b, 15},
      {"a pixel beside it", {31, 70}, true, b, 15},
      {"inside both outlines: the upper one by its bounds", {45, 45}, true, b, 15},
      {"inside a only", {15, 20}, true, a, 15},
      {"a's top-left handle, selected", {11, 11}, true, a, 0},
      {"a's bottom-right handle", {60, 60}, true, a, 2},
      {"outside everything", {150, 150}, true, nullptr, 15},
  };
  for (const Case& c : cases) {
    int32_t kind = -1;
    EXPECT_EQ(e->HitTest(c.p, kind, c.forDown), c.hit) << c.what;
    if (c.hit) {
      EXPECT_EQ(kind, c.kind) << c.what;
    }
  }
  // A locked object is no hit for a press, but is for a release.
  b->FLock = 1;
  e->Refresh();
  int32_t kind = -1;
  EXPECT_EQ(e->HitTest({30, 70}, kind, true), nullptr);
  EXPECT_EQ(e->HitTest({30, 70}, kind, false), b);
}

TEST_F(SceneEditor, PlacingShowsTheSizeTheObjectGets)
{
  // Shapes take both points as corners, controls end a pixel before the
  // second one: the read-out while dragging tells the stored size for both.
  NewProject();
  TFrameEditScene* e = Show(SceneAt(0));
  for (int32_t tool : {3, 2, 0x40005, 9, 0x10000, 0x30002}) {
    e->SetTool(tool);
    e->MouseDown({16, 16}, Qt::LeftButton, Qt::NoModifier);
    e->MouseMove({56, 40}, Qt::LeftButton, Qt::NoModifier);
    const QString shown = e->Readout();
    e->MouseUp({56, 40}, Qt::LeftButton, Qt::NoModifier);
    e->SetTool(-1);
    TZmComponent* c = SceneAt(0)->ComponentGroup->Members.back();
    const TZmRectValue r = c->GetBounds();
    EXPECT_EQ(shown, QString("[16 , 16] [%1 x %2]").arg(r.Right - r.Left + 1).arg(r.Bottom - r.Top + 1))
        << "tool " << std::hex << tool;
  }
}

TEST_F(SceneEditor, TheStatusBarCarriesTheReadoutAndHints)
{
  NewProject();
  TFrameEditScene* e = Show(SceneAt(0));
  TZmComponent* a = Place(e, 3, {10, 10}, {40, 30});
  ASSERT_NE(a, nullptr);
  e->Selection.Clear();
  e->Refresh();
  e->MouseMove({70, 60}, Qt::NoButton, Qt::NoModifier);
  EXPECT_EQ(W->lblReadout->text(), "70 , 60");
  EXPECT_TRUE(W->statusBar()->currentMessage().isEmpty());
  e->MouseMove({10, 20}, Qt::NoButton, Qt::NoModifier);  // on the rectangle's edge
  EXPECT_FALSE(W->statusBar()->currentMessage().isEmpty());
  EXPECT_TRUE(W->statusBar()->currentMessage().startsWith(Text(a->GetTypeTextID()))) << W->statusBar()->currentMessage().toStdString();
  // Commands say what they do, with their keys.
  EXPECT_TRUE(W->actCompiler->statusTip().contains("F8")) << W->actCompiler->statusTip().toStdString();
  EXPECT_FALSE(W->actSaveFile->statusTip().isEmpty());
}

TEST_F(SceneEditor, LongCaptionsCanBeReadWhole)
{
  NewProject();
  Show(SceneAt(0));
  // The palette is as wide as its longest caption; tree nodes tell their
  // whole name when the panel is too narrow for it.
  ASSERT_NE(W->RightPage, nullptr);
  int widest = 0;
  for (auto* b : W->RightPage->findChildren<TZmPaletteButton*>())
    widest = std::max(widest, QFontMetrics(b->font()).horizontalAdvance(b->text().remove('&')));
  EXPECT_GE(W->RightPage->minimumWidth(), std::min(widest + 30, 320));
  for (QTreeWidgetItemIterator it(W->tvProject); *it; ++it)
    if (TZmProjectTreeView::ObjectOf(*it)) {
      EXPECT_EQ((*it)->toolTip(0), (*it)->text(0));
    }
}
