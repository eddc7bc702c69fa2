// Placing objects with the palette's tools: what each tool creates and how
// the one-, two-, four- and many-point tools collect their points.
#include <QTest>

#include "EditorFixture.h"
#include "app/editor/DrawingTools.h"
#include "app/editor/ToolPalette.h"
#include "devices/Bindings.h"
#include "graphics/Bevel.h"
#include "graphics/Pen.h"
#include "graphics/Text.h"
#include "model/Buttons.h"
#include "model/Controls.h"
#include "model/Displays.h"
#include "model/Inputs.h"
#include "model/Shapes.h"
#include "model/StatusInf.h"

// Points compare and print by value (found next to the type).
bool operator==(const TZmDCPoint& a, const TZmDCPoint& b);
bool operator==(const TZmDCPoint& a, const TZmDCPoint& b) { return a.X == b.X && a.Y == b.Y; }
void PrintTo(const TZmDCPoint& p, std::ostream* os);
void PrintTo(const TZmDCPoint& p, std::ostream* os) { *os << '(' << p.X << ',' << p.Y << ')'; }

namespace {

class DrawingTools : public SceneEditor {
protected:
  void SetUp() override
  {
    SceneEditor::SetUp();
    NewProject();
    E = Show(SceneAt(0));
    ASSERT_NE(E, nullptr);
    ASSERT_NE(W->RightPage, nullptr);
    Objects = &SceneAt(0)->ComponentGroup->Members;
    FG = static_cast<uint32_t>(SceneAt(0)->Model()->FGColorIndex);
  }
  void Click(QPoint p, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = Qt::NoModifier)
  {
    E->MouseDown(p, b, m);
    E->MouseUp(p, b, m);
  }
  void DragTo(QPoint a, QPoint b, Qt::KeyboardModifiers m = Qt::NoModifier)
  {
    E->MouseDown(a, Qt::LeftButton, m);
    E->MouseMove(b, Qt::LeftButton, m);
    E->MouseUp(b, Qt::LeftButton, m);
  }
  TZmComponent* Last() { return Objects->empty() ? nullptr : Objects->back(); }
  std::vector<TZmDCPoint> PolyPoints() { return static_cast<TZmPolyline*>(Last())->SourcePoints(); }
  TFrameEditScene* E = nullptr;
  std::vector<TZmComponent*>* Objects = nullptr;
  uint32_t FG = 0;
};

std::vector<TZmDCPoint> Pts(std::initializer_list<std::pair<int, int>> l)
{
  std::vector<TZmDCPoint> v;
  for (auto [x, y] : l) v.push_back({x, y});
  return v;
}

// The two looks of a button (or lamp): compare values and texts.
void ExpectStates(TZmStatusInfs* s, std::vector<std::pair<const char*, const char*>> want, uint32_t fg, int32_t code)
{
  ASSERT_EQ(s->Count(), want.size()) << std::hex << code;
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(s->Item(i)->CmpValue->ReadValue->Expression, want[i].first) << std::hex << code;
    EXPECT_EQ(s->Item(i)->MultiTexts->First()->Text(), want[i].second) << std::hex << code;
    EXPECT_EQ(s->Item(i)->MultiTexts->First()->Color, fg) << std::hex << code;
  }
}

}  // namespace

TEST_F(DrawingTools, EachToolCreatesItsClassWithItsSettingsAndDefaultSize)
{
  // A click without a drag at (20, 20): shapes get corners 16 apart, controls
  // a rectangle of the default size that leaves the far corner out.
  const TZmRectValue shape = R(20, 20, 36, 36), small = R(20, 20, 67, 35), tall = R(20, 20, 51, 67);
  struct Case {
    int32_t code;
    const char* cls;
    uint32_t type;
    TZmRectValue rect;
    std::function<void(TZmComponent*)> check;
  };
  auto hollow = [](bool want) { return [want](TZmComponent* c) { EXPECT_EQ(static_cast<TZmGraphic*>(c)->Filled(), !want); }; };
  auto buttonStates = [this](const char* caption) {
    return [this, caption](TZmComponent* c) {
      ExpectStates(static_cast<TZmButtonBase*>(c)->StatusInfs, {{"0", caption}, {"1", caption}}, FG, static_cast<int32_t>(c->TypeCode));
    };
  };
  auto setValue = [&](const char* caption, const char* value) {
    auto states = buttonStates(caption);
    return [states, value](TZmComponent* c) {
      states(c);
      EXPECT_EQ(static_cast<TZmButtonSetValue*>(c)->WriteValue->ReadValue->Expression, value);
    };
  };
  const int32_t sceneId = SceneAt(0)->ID;
  const std::vector<Case> cases = {
      {0, "TZmPoint", 0, R(17, 17, 24, 24), [&](TZmComponent* c) { EXPECT_EQ(static_cast<TZmGraphic*>(c)->Pen->Color, FG); }},
      {1, "TZmLine", 0, shape, [&](TZmComponent* c) { EXPECT_EQ(static_cast<TZmGraphic*>(c)->Pen->Color, FG); }},
      {2, "TZmEllipse", 0, shape, hollow(true)},
      {0x40002, "TZmEllipse", 0, shape, [](TZmComponent* c) { EXPECT_TRUE(c->KeepSquare()); EXPECT_FALSE(static_cast<TZmGraphic*>(c)->Filled()); }},
      {0x40003, "TZmEllipse", 0, shape, [](TZmComponent* c) { EXPECT_TRUE(c->KeepSquare()); EXPECT_TRUE(static_cast<TZmGraphic*>(c)->Filled()); }},
      {0x40004, "TZmEllipse", 0, shape, hollow(false)},
      {3, "TZmRect", 0, shape, hollow(true)},
      {0x40005, "TZmRect", 0, shape, [&](TZmComponent* c) { EXPECT_EQ(static_cast<TZmGraphic*>(c)->Brush->Color, FG); hollow(false)(c); }},
      {4, "TZmRoundRect", 0, shape, hollow(true)},
      {0x40006, "TZmRoundRect", 0, shape, hollow(false)},
      {0x10000, "TZmLamp", 0, small, [&](TZmComponent* c) { ExpectStates(static_cast<TZmLamp*>(c)->StatusInfs, {{"0", "OFF"}, {"1", "ON"}}, FG, 0x10000); }},
      {0x10001, "TZmNum", 0, small, [&](TZmComponent* c) {
         EXPECT_EQ(static_cast<TZmNum*>(c)->MultiTexts->First()->Text(), "");
         EXPECT_EQ(static_cast<TZmNum*>(c)->MultiTexts->First()->Color, FG);
       }},
      {0x10002, "TZmText", 0, small, [&](TZmComponent* c) { EXPECT_EQ(static_cast<TZmText*>(c)->MultiTexts->First()->Color, FG); }},
      {0x10007, "TZmBar", 0, tall, [&](TZmComponent* c) { EXPECT_EQ(static_cast<TZmBar*>(c)->BarBrush->Color, FG); }},
      {0x40014, "TZmBar", 1, tall, nullptr},
      {0x20000, "TZmButtonSetValue", 0, small, setValue("INPUT", "")},
      {0x4000F, "TZmButtonSetValue", 1, small, setValue("CONST", "0")},
      {0x40010, "TZmButtonSetValue", 2, small, setValue("+1", "+1")},
      {0x40011, "TZmButtonSetValue", 2, small, setValue("-1", "-1")},
      {0x20001, "TZmButtonPage", 0, small, [&](TZmComponent* c) {
         EXPECT_EQ(static_cast<TZmButtonPage*>(c)->Page, uint32_t(sceneId)) << "a jump button points at its own scene";
         buttonStates("JUMP")(c);
       }},
      {0x40012, "TZmButtonPage", 0, small, [&](TZmComponent* c) {
         EXPECT_EQ(static_cast<TZmButtonPage*>(c)->Page, 0u);
         buttonStates("BACK")(c);
       }},
      {0x20002, "TZmButtonFun", 0, small, buttonStates("FUN")},
      {0x20003, "TZmButtonKey", 0, small, buttonStates("KEY")},
      {0x20004, "TZmBtnStatusSet", 0, small, buttonStates("SETV")},
      {0x30000, "TZmButton", 0, small, buttonStates("ON")},
      {0x4000C, "TZmButton", 1, small, buttonStates("OFF")},
      {0x4000D, "TZmButton", 2, small, buttonStates("SW")},
      {0x4000E, "TZmButton", 3, small, buttonStates("HOLD")},
      {9, "TZmLabel", 0, small, [&](TZmComponent* c) {
         auto* l = static_cast<TZmLabel*>(c);
         EXPECT_EQ(l->MultiTexts->First()->Text(), "Label");
         EXPECT_EQ(l->MultiTexts->First()->Color, FG);
       }},
      {0x4000B, "TZmLabel", 0, small, [&](TZmComponent* c) {
         auto* l = static_cast<TZmLabel*>(c);
         EXPECT_EQ(l->MultiTexts->First()->Text(), "");
         EXPECT_EQ(l->Bevel->Brush->StyleIndex, 0u) << "a bare frame";
       }},
      {10, "TZmScale", 0, tall, [&](TZmComponent* c) {
         auto* s = static_cast<TZmScale*>(c);
         EXPECT_EQ(s->ScaleInf->Pen->Color, FG);
         EXPECT_EQ(s->ScaleInf->Text->Color, FG);
       }},
      {11, "TZmTable", 0, R(20, 20, 67, 67), [&](TZmComponent* c) { EXPECT_EQ(static_cast<TZmTable*>(c)->Pen->Color, FG); }},
      {12, "TZmPicture", 0, R(20, 20, 35, 35), nullptr},
      {0x30001, "TZmMutilStatus", 0, small, [&](TZmComponent* c) {
         ExpectStates(static_cast<TZmMutilStatus*>(c)->StatusInfs, {{"0", "OFF"}, {"1", "ON"}}, FG, 0x30001);
       }},
      {0x30002, "TZmEditNum", 0, small, [&](TZmComponent* c) {
         EXPECT_EQ(static_cast<TZmEditNum*>(c)->MultiTexts->First()->Text(), "");
         EXPECT_EQ(static_cast<TZmEditNum*>(c)->MultiTexts->First()->Color, FG);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "tool 0x" << std::hex << c.code);
    ASSERT_TRUE(ToolAvailable(c.code));
    ASSERT_TRUE(W->RightPage->SelectTool(c.code));
    ASSERT_EQ(E->ToolCode, c.code);
    const size_t before = Objects->size();
    Click({20, 20});
    ASSERT_EQ(Objects->size(), before + 1);
    TZmComponent* o = Last();
    EXPECT_STREQ(o->ClassName(), c.cls);
    EXPECT_EQ(o->Type, c.type);
    EXPECT_EQ(o->Rect, c.rect);
    if (c.check) c.check(o);
    EXPECT_EQ(E->Selection.Items, std::vector<TZmComponent*>({o}));
    EXPECT_EQ(W->PageObject, o) << "its property page is shown";
    EXPECT_EQ(E->ToolCode, -1) << "one object per tool choice";
    EXPECT_EQ(W->RightPage->ToolCode, -1);
  }
  // Every placing is one undo step; the file holds them all.
  EXPECT_EQ(W->UndoStack.Count(), cases.size());
  // Every command of the palette can place its kind; codes that name no
  // tool place nothing.
  for (const Case& c : cases) EXPECT_TRUE(W->RightPage->ActionFor(c.code)->isEnabled()) << c.code;
  for (int32_t code : {-1, 13, 0x40001, 0x40013, 0x20005})
    EXPECT_EQ(CreateToolObject(code, *SceneAt(0), Pts({{0, 0}, {40, 40}})), nullptr) << code;
}

TEST_F(DrawingTools, TwoPointsDragThresholdGridAndShift)
{
  struct Case {
    const char* what;
    QPoint a, b;
    bool snap;
    TZmRectValue rect;
  } cases[] = {
      {"dragged 9 pixels both ways", {20, 20}, {29, 29}, false, R(20, 20, 28, 28)},
      {"dragged only 8 to the right: default size", {20, 20}, {28, 40}, false, R(20, 20, 67, 35)},
      {"dragged up and left, on the grid", {32, 40}, {8, 16}, true, R(8, 16, 31, 39)},
      {"the start snaps to the grid first", {30, 40}, {8, 16}, true, R(8, 16, 31, 39)},
  };
  for (const Case& c : cases) {
    W->EditOptions.SnapToGrid = c.snap;
    W->RightPage->SelectTool(0x10000);
    DragTo(c.a, c.b);
    EXPECT_EQ(Last()->Rect, c.rect) << c.what;
  }
  W->EditOptions.SnapToGrid = 0;
  // With Shift the tool stays for the next object.
  W->RightPage->SelectTool(3);
  DragTo({100, 100}, {120, 120}, Qt::ShiftModifier);
  EXPECT_EQ(E->ToolCode, 3);
  DragTo({130, 100}, {150, 120});
  EXPECT_EQ(Last()->Rect, R(130, 100, 150, 120));
  EXPECT_EQ(E->ToolCode, -1);
  // A release without a press on the canvas places nothing.
  const size_t n = Objects->size();
  W->RightPage->SelectTool(3);
  E->MouseUp({50, 50}, Qt::LeftButton, Qt::NoModifier);
  EXPECT_EQ(Objects->size(), n);
  // In a locked scene the tools do nothing.
  SceneAt(0)->FLock = 1;
  DragTo({20, 20}, {60, 40});
  EXPECT_EQ(Objects->size(), n);
}

TEST_F(DrawingTools, ArcsTakeTheRectangleThenBothAngles)
{
  for (int32_t code : {5, 6, 0x40007, 7, 0x40008}) {
    SCOPED_TRACE(code);
    W->RightPage->SelectTool(code);
    const size_t n = Objects->size();
    Click({20, 20});
    Click({60, 60});
    // The guide runs from the centre to the angle being chosen.
    E->MouseMove({80, 40}, Qt::NoButton, Qt::NoModifier);
    EXPECT_NE(E->Screen()->GetPixel(50, 40), E->SceneImage->GetPixel(50, 40));
    if (code == 5) {
      EXPECT_TRUE(E->ccEdit->grab().save(QStringLiteral(KESTRAVA_BUILD_DIR "/app-arc-guide.png")));
    }
    EXPECT_EQ(Objects->size(), n) << "a preview leaves nothing behind";
    Click({80, 40});
    EXPECT_EQ(Objects->size(), n);
    Click({40, 0}, Qt::RightButton);  // any button
    ASSERT_EQ(Objects->size(), n + 1);
    auto* arc = static_cast<TZmArc*>(Last());
    EXPECT_EQ(arc->Rect, R(20, 20, 60, 60));
    EXPECT_EQ(arc->StartAngle, uint32_t(TZmDC::AngleOf(40, 0)));
    EXPECT_EQ(arc->EndAngle, uint32_t(TZmDC::AngleOf(0, 40)));
    EXPECT_EQ(static_cast<TZmGraphic*>(arc)->Filled(), code == 0x40007 || code == 0x40008 || code == 5);
    EXPECT_EQ(E->ToolCode, -1);
  }
}

TEST_F(DrawingTools, PolylinesCollectLeftClicksAndFinishWithTheRightButton)
{
  W->EditOptions.SnapToGrid = 1;
  struct Case {
    const char* what;
    int32_t code;
    std::vector<QPoint> clicks;
    Qt::KeyboardModifiers finish;
    std::vector<TZmDCPoint> points;  // empty: nothing is made
    bool filled;
    bool toolStays;
  } cases[] = {
      {"polygon, on the grid", 8, {{10, 10}, {50, 13}, {47, 40}}, Qt::NoModifier, Pts({{8, 8}, {48, 16}, {48, 40}}), false, false},
      {"two points are enough", 8, {{10, 10}, {50, 13}}, Qt::NoModifier, Pts({{8, 8}, {48, 16}}), false, false},
      {"Shift and the right button keep the tool", 8, {{10, 10}, {50, 13}}, Qt::ShiftModifier, Pts({{8, 8}, {48, 16}}), false, true},
      {"one point makes nothing", 8, {{10, 10}}, Qt::NoModifier, {}, false, true},
      {"no point makes nothing", 8, {}, Qt::NoModifier, {}, false, true},
      {"a curve keeps its points off the grid", 0x40009, {{10, 10}, {50, 13}}, Qt::NoModifier, Pts({{10, 10}, {50, 13}}), false, false},
      {"a filled outline is closed", 0x4000A, {{8, 8}, {48, 8}, {48, 40}}, Qt::NoModifier, Pts({{8, 8}, {48, 8}, {48, 40}, {8, 8}}), true, false},
      {"an outline closed by hand stays as it is", 0x4000A, {{8, 8}, {48, 8}, {9, 9}}, Qt::NoModifier, Pts({{8, 8}, {48, 8}, {8, 8}}), true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    W->RightPage->SelectTool(c.code);
    const size_t n = Objects->size();
    for (QPoint p : c.clicks) Click(p);
    EXPECT_EQ(E->PointCount, int32_t(c.clicks.size()));
    E->MouseMove({100, 100}, Qt::NoButton, Qt::NoModifier);
    if (c.code == 0x4000A && c.clicks.size() == 3) {
      EXPECT_TRUE(E->ccEdit->grab().save(QStringLiteral(KESTRAVA_BUILD_DIR "/app-fillpoly-preview.png")));
    }
    EXPECT_EQ(Objects->size(), n) << "the preview is gone again";
    Click({100, 100}, Qt::RightButton, c.finish);
    EXPECT_EQ(E->PointCount, 0);
    if (c.points.empty()) {
      EXPECT_EQ(Objects->size(), n);
    } else {
      ASSERT_EQ(Objects->size(), n + 1);
      EXPECT_STREQ(Last()->ClassName(), "TZmPolyline");
      EXPECT_EQ(PolyPoints(), c.points);
      EXPECT_EQ(static_cast<TZmGraphic*>(Last())->Filled(), c.filled);
    }
    EXPECT_EQ(E->ToolCode, c.toolStays ? c.code : -1);
  }
}

TEST_F(DrawingTools, CurveDrawsFreehandAndPolylinesStopAt510Points)
{
  W->RightPage->SelectTool(0x40009);
  E->MouseDown({10, 10}, Qt::LeftButton, Qt::NoModifier);
  E->MouseMove({11, 12}, Qt::LeftButton, Qt::NoModifier);
  E->MouseMove({13, 15}, Qt::LeftButton, Qt::NoModifier);
  E->MouseUp({13, 15}, Qt::LeftButton, Qt::NoModifier);
  E->MouseMove({30, 30}, Qt::NoButton, Qt::NoModifier);  // only follows
  Click({30, 30}, Qt::RightButton);
  EXPECT_EQ(PolyPoints(), Pts({{10, 10}, {11, 12}, {13, 15}}));

  W->RightPage->SelectTool(8);
  std::vector<TZmDCPoint> want;
  for (int i = 0; i < 600; ++i) {
    const QPoint p(i % 300, 10 + i / 300 * 20);
    Click(p);
    if (i < kMaxToolPoints) want.push_back({p.x(), p.y()});
  }
  EXPECT_EQ(E->PointCount, kMaxToolPoints);
  E->MouseMove({5, 200}, Qt::NoButton, Qt::NoModifier);
  Click({5, 200}, Qt::RightButton);
  EXPECT_EQ(PolyPoints(), want);
}

TEST_F(DrawingTools, EscapeDropsTheDrawingAndTheTool)
{
  TZmComponent* a = Place(E, 3, {100, 100}, {120, 120});
  E->SelectObject(a);
  W->RightPage->SelectTool(8);
  Click({10, 10});
  Click({40, 10});
  EXPECT_TRUE(E->Selection.Items.empty()) << "the first point clears the selection";
  E->KeyDown(Qt::Key_Escape, Qt::NoModifier);
  EXPECT_EQ(E->ToolCode, -1);
  EXPECT_EQ(W->RightPage->ToolCode, -1);
  EXPECT_EQ(E->PointCount, 0);
  // Choosing the tool again starts a new outline.
  W->RightPage->SelectTool(8);
  Click({60, 60});
  Click({80, 60});
  Click({80, 80}, Qt::RightButton);
  EXPECT_EQ(PolyPoints(), Pts({{60, 60}, {80, 60}}));
}

TEST_F(DrawingTools, PolygonWithTheRealMouse)
{
  QApplication::processEvents();
  const int k = E->Zoom / 100;
  W->RightPage->SelectTool(8);
  for (QPoint p : {QPoint(10, 10), QPoint(40, 10), QPoint(40, 30)})
    QTest::mouseClick(E->ccEdit, Qt::LeftButton, Qt::NoModifier, p * k + QPoint(k / 2, k / 2));
  QTest::mouseMove(E->ccEdit, QPoint(60, 60) * k);
  QTest::mouseClick(E->ccEdit, Qt::RightButton, Qt::ShiftModifier, QPoint(60, 60) * k);
  EXPECT_EQ(PolyPoints(), Pts({{10, 10}, {40, 10}, {40, 30}}));
  EXPECT_EQ(E->ToolCode, 8) << "Shift keeps the tool";
  QTest::mouseClick(E->ccEdit, Qt::RightButton, Qt::NoModifier, QPoint(60, 60) * k);
  EXPECT_EQ(E->ToolCode, 8) << "a right click without points changes nothing";
}
