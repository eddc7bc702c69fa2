// The scene editor page: attaching, zoom and layout, painting, hit testing
#include "app/editor/SceneEditor.h"


#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "app/editor/DrawingTools.h"
#include "app/shell/LanguageUi.h"
#include "app/editor/SceneEditOpt.h"
#include "base/Stream.h"
#include "devices/Model.h"
#include "graphics/DC.h"
#include "graphics/Pen.h"
#include "model/Buttons.h"
#include "model/Scenes.h"
#include "model/Shapes.h"

#include "app/editor/SceneEditorParts.h"

using namespace scene_edit;

// ---- the page

TFrameEditScene::TFrameEditScene(QWidget* parent) : QWidget(parent)
{
  setObjectName(QStringLiteral("FrameEditScene"));
  MarkFormOwner(this);
  // Grouped objects are stored as nested groups; reading them back needs the class.
  static const bool groupsKnown = [] {
    if (!GetClass("TZmComponentGroup")) RegisterClassOf<TZmComponentGroup>();
    return true;
  }();
  (void)groupsKnown;
  ClipboardOwner = static_cast<uint32_t>(reinterpret_cast<quintptr>(this));
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  gbxCaption = new QGroupBox(this);
  gbxCaption->setObjectName(QStringLiteral("gbxCaption"));
  auto* inner = new QVBoxLayout(gbxCaption);
  inner->setContentsMargins(2, 2, 2, 2);
  sbxEdit = new QScrollArea(gbxCaption);
  sbxEdit->setObjectName(QStringLiteral("sbxEdit"));
  sbxEdit->setBackgroundRole(QPalette::Base);
  sbxEdit->setWidgetResizable(false);
  auto* host = new QWidget;
  host->setBackgroundRole(QPalette::Base);
  host->setAutoFillBackground(true);
  host->setMouseTracking(true);
  host->installEventFilter(this);
  sbxEdit->viewport()->setMouseTracking(true);
  imgEdit = new TZmModelPicture(this, host);
  ccEdit = new TZmSceneCanvas(this, host);
  sbxEdit->setWidget(host);
  // The zoom follows the room the editing area gets.
  sbxEdit->viewport()->installEventFilter(this);
  inner->addWidget(sbxEdit, 1);
  gbxOption = new QGroupBox(gbxCaption);
  gbxOption->setObjectName(QStringLiteral("gbxOption"));
  auto* optRow = new QVBoxLayout(gbxOption);
  ckbShowgrid = new QCheckBox(QStringLiteral("ckbShowgrid"), gbxOption);
  ckbShowgrid->setObjectName(QStringLiteral("ckbShowgrid"));
  optRow->addWidget(ckbShowgrid);
  inner->addWidget(gbxOption);
  gbxOption->hide();
  column->addWidget(gbxCaption);
  TimerHint = new QTimer(this);
  TimerHint->setObjectName(QStringLiteral("TimerHint"));
  TimerHint->setInterval(1000);
  TimerHint->setSingleShot(true);
  connect(TimerHint, &QTimer::timeout, this, [this] {
    TimerHint->stop();
    if (!CanvasHint.isEmpty()) QToolTip::showText(HintPos, CanvasHint, ccEdit);
    LastHintPos = HintPos;
  });
  connect(ckbShowgrid, &QCheckBox::clicked, this, [this](bool on) {
    if (Options) Options->DrawLine400 = on ? 1 : 0;
    Refresh();
  });
}

TFrameEditScene::~TFrameEditScene() = default;

bool TFrameEditScene::Attach(TZmPersistent* object, TZmSceneEditOpt* options)
{
  TZmScene* scene = nullptr;
  TZmComponent* given = nullptr;
  if (object && std::string_view(object->ClassName()) == "TZmScene") scene = static_cast<TZmScene*>(object);
  else if (auto* c = dynamic_cast<TZmComponent*>(object)) {
    given = c;
    scene = c->OwnerScene();
  }
  const TZmModel* model = scene ? scene->Model() : nullptr;
  if (!scene || !model || model->Width() <= 0 || model->Height() <= 0 || !options) {
    Detach();
    return false;
  }
  Scene = scene;
  Model = model;
  Options = options;
  Reset();
  LastResize.start();
  FitToArea();
  ckbShowgrid->setChecked(Options->DrawLine400 != 0);
  if (given && given->OwnerScene() == Scene) Selection.Add(given);
  MouseOutside = true;
  Refresh();
  return true;
}

void TFrameEditScene::Detach()
{
  for (TZmComponentRefs* r : {&Selection, &BandList, &PickList, &HandleList}) {
    r->Clear();
    r->Scene = nullptr;
  }
  HandleObject = nullptr;
  PointCount = 0;
  TimerHint->stop();
  Scene = nullptr;
  Model = nullptr;
  SceneImage.reset();
  ScreenImage.reset();
  PickImage.reset();
  DragMode = BandMode = 0;
  Moved = false;
  ccEdit->update();
  imgEdit->update();
}

void TFrameEditScene::Reset()
{
  const int32_t w = Scene->Width(), h = Scene->Height();
  SceneImage = std::make_unique<TZmDC>(w, h);
  ScreenImage = std::make_unique<TZmDC>(w, h);
  PickImage = std::make_unique<TZmDC>(w, h);
  PickImage->SolidGradients = true;
  for (TZmDC* dc : {SceneImage.get(), ScreenImage.get(), PickImage.get()}) TZmComponent::PrepareContext(*dc, Model);
  for (TZmComponentRefs* r : {&Selection, &BandList, &PickList, &HandleList}) {
    r->Clear();
    r->Scene = Scene;
  }
  BandMode = DragMode = 0;
  Moved = false;
  PointCount = 0;
  std::fill(Points.begin(), Points.end(), QPoint());
  HandleObject = nullptr;
  RebuildSnap(false);
  PickBaseValid = false;  // another scene
  PasteCount = 0;
  HintPos = LastHintPos = QPoint(-1, -1);
  CanvasHint.clear();
}

void TFrameEditScene::SceneReplaced()
{
  if (!Scene) return;
  // The objects were read anew: nothing held from before may be touched.
  for (TZmComponentRefs* r : {&Selection, &BandList, &PickList, &HandleList}) r->Items.clear();
  HandleObject = nullptr;
  DragMode = BandMode = 0;
  Moved = false;
  PointCount = 0;
  RebuildSnap(false);
  Refresh();
  ShowPage();
  if (OnSelectionChanged) OnSelectionChanged();
}

void TFrameEditScene::ObjectDestroyed(TZmComponent* c)
{
  if (!Scene || !c) return;
  auto within = [c](TZmComponent* o) {
    for (TZmComponent* x = o; x; x = x->Owner)
      if (x == c) return true;
    return false;
  };
  for (TZmComponentRefs* r : {&Selection, &BandList}) {
    const std::vector<TZmComponent*> items = r->Items;
    for (TZmComponent* o : items)
      if (within(o)) r->Remove(o);
  }
  PickList.Items.clear();
  HandleList.Items.clear();
  if (HandleObject && within(HandleObject)) {
    HandleObject = nullptr;
    DragMode = 0;
  }
  QTimer::singleShot(0, this, [this] {
    if (!Scene) return;
    Refresh();
    RebuildSnap(true);
    ShowPage();
    if (OnSelectionChanged) OnSelectionChanged();
  });
}

bool TFrameEditScene::eventFilter(QObject* watched, QEvent* e)
{
  // Leaving the picture for the empty editing area shows the overlays.
  if ((watched == sbxEdit->viewport() || watched == sbxEdit->widget()) &&
      (e->type() == QEvent::Enter || e->type() == QEvent::Leave || e->type() == QEvent::MouseMove))
    TrackMouse(QCursor::pos());
  // Only a resize soon after the page was shown, or one that comes with a
  // new size of the page itself (the window was resized), refits: the option
  // box appearing at a zoom chosen by the user must not take that zoom away
  // again. The page's layout resizes the editing area before the page hears
  // of its own resize, so the page's size is compared rather than a time.
  if (watched == sbxEdit->viewport() && e->type() == QEvent::Resize &&
      ((LastResize.isValid() && LastResize.elapsed() < 1000) || size() != FittedSize))
    FitToArea();
  return QWidget::eventFilter(watched, e);
}

void TFrameEditScene::resizeEvent(QResizeEvent* e)
{
  QWidget::resizeEvent(e);
  LastResize.start();
}

void TFrameEditScene::FitToArea()
{
  if (!Model) return;
  const int32_t pw = Model->Edit.Empty() ? Model->EditRect.Right + Model->EditRect.Left : Model->Edit.Width / 2;
  const int32_t ph = Model->Edit.Empty() ? Model->EditRect.Bottom + Model->EditRect.Top : Model->Edit.Height / 2;
  const QSize area = sbxEdit->viewport()->size();
  Zoom = FitZoom(pw, ph, area.width() - 16, area.height() - 16);
  FittedSize = size();
  Layout();
}

void TFrameEditScene::SetZoom(int32_t zoom)
{
  LastResize.invalidate();  // the user's choice stays until the window changes
  FittedSize = size();
  Zoom = std::clamp(zoom / 100 * 100, 100, 1600);
  Layout();
}

void TFrameEditScene::Layout()
{
  if (!Model) return;
  const int32_t pw = Model->Edit.Empty() ? Model->EditRect.Right + Model->EditRect.Left : Model->Edit.Width / 2;
  const int32_t ph = Model->Edit.Empty() ? Model->EditRect.Bottom + Model->EditRect.Top : Model->Edit.Height / 2;
  const TZmRectValue& e = Model->EditRect;
  imgEdit->setGeometry(8, 8, pw * Zoom / 100, ph * Zoom / 100);
  ccEdit->setGeometry(e.Left * Zoom / 100 + 8, e.Top * Zoom / 100 + 8, (e.Right - e.Left) * Zoom / 100,
                      (e.Bottom - e.Top) * Zoom / 100);
  ccEdit->raise();
  sbxEdit->widget()->resize(pw * Zoom / 100 + 16, ph * Zoom / 100 + 16);
  gbxOption->setVisible(Zoom >= 400);
  SetReadout(QStringLiteral("Scale : %1%").arg(Zoom));
}

void TFrameEditScene::SetReadout(const QString& text)
{
  ReadoutText = text;
  gbxCaption->setTitle(text);
  if (OnReadout) OnReadout(text);
}

QString TFrameEditScene::Readout() const { return ReadoutText; }

QPoint TFrameEditScene::ToScene(QPoint pos, bool snap) const
{
  if (!Scene || ccEdit->width() <= 0 || ccEdit->height() <= 0) return {};
  const int32_t w = Scene->Width(), h = Scene->Height();
  const double fx = pos.x() / (double(ccEdit->width()) / w), fy = pos.y() / (double(ccEdit->height()) / h);
  const QPoint p(std::clamp(static_cast<int32_t>(std::trunc(fx)), 0, w - 1), std::clamp(static_cast<int32_t>(std::trunc(fy)), 0, h - 1));
  return snap ? SnapPoint(p) : p;
}

// ---- drawing

void TFrameEditScene::DrawBackground(TZmDC& dc)
{
  dc.ColorFormat = Model->ColorFormat;
  dc.ResetClip();
  dc.Clear(Model->PaletteColor(static_cast<uint32_t>(Model->BGColorIndex), Scene->Option));
  if (!Options || !Options->ShowGrid) return;
  const int32_t gx = std::max(1, Options->GridSize.x()), gy = std::max(1, Options->GridSize.y());
  for (int32_t y = 0; y < Model->Height(); y += gy)
    for (int32_t x = 0; x < Model->Width(); x += gx) dc.SetPixel(x, y, Options->GridColor);
}

void TFrameEditScene::RedrawScene()
{
  DrawBackground(*SceneImage);
  Scene->PaintScene(*SceneImage, nullptr, 0);
  if (Options && Options->LabelMode) {
    TZmFontSpec font;
    font.Name = Options->LabelFont.family().toStdString();
    font.Size = Options->LabelFont.pointSize() > 0 ? Options->LabelFont.pointSize() : 8;
    // Below full opacity the labels go onto a copy that is then mixed in,
    // so the objects beneath stay visible.
    const int32_t opacity = std::clamp(Options->LabelOpacity, 0, 100);
    TZmDC* labels = nullptr;
    TZmDC* target = SceneImage.get();
    if (opacity < 100) {
      // One layer for the page's life, not a new surface per frame.
      if (!LabelImage || LabelImage->Width() != SceneImage->Width() || LabelImage->Height() != SceneImage->Height()) {
        LabelImage = std::make_unique<TZmDC>(SceneImage->Width(), SceneImage->Height());
        TZmComponent::PrepareContext(*LabelImage, Model);
      }
      labels = LabelImage.get();
      labels->ColorFormat = SceneImage->ColorFormat;
      CopySurface(*SceneImage, *labels);
      target = labels;
    }
    if (Options->LabelMode & 4) {
      // Each with its place in the scene, found once for all of them.
      std::unordered_map<const TZmComponent*, int32_t> place;
      const auto& members = Scene->ComponentGroup->Members;
      for (size_t i = 0; i < members.size(); ++i) place.emplace(members[i], static_cast<int32_t>(i));
      for (TZmComponent* c : Selection.Items)
        if (c->OwnerScene() == Scene) {
          const auto at = place.find(c);
          c->PaintInfo(*target, font, at == place.end() ? -1 : at->second, Options->LabelMode);
        }
    } else {
      Scene->PaintInfos(*target, font, Options->LabelMode);
    }
    if (labels) {
      const auto under = SceneImage->Pixels();
      const auto over = labels->Pixels();
      const int32_t w = SceneImage->Width();
      SceneImage->ResetClip();
      for (size_t i = 0; i < under.size() && i < over.size(); ++i)
        if (under[i] != over[i])
          SceneImage->SetPixel(static_cast<int32_t>(i % w), static_cast<int32_t>(i / w), Mix565(under[i], over[i], opacity));
    }
  }
  CopySurface(*SceneImage, *ScreenImage);
}

void TFrameEditScene::DrawObjectHandles(TZmComponent* c, bool highlighted)
{
  TZmHandlePoint pts[kMaxHandles];
  uint16_t kinds[kMaxHandles];
  const int32_t n = std::clamp(c->GetHandles(pts, kinds, 0), 0, kMaxHandles);
  if (n == 0) return;
  uint32_t pen = 0xC08000, fill = 0xFFFF80;
  if (highlighted) std::swap(pen, fill);
  if (c->FLock || Scene->FLock) pen = 0x00C080, fill = 0x80FFFF;
  if (c->OwnerScene() != Scene) pen = 0x8000C0, fill = 0xFF80FF;
  for (int32_t i = 0; i < n; ++i) {
    const int32_t x = pts[i].X, y = pts[i].Y;
    ScreenImage->SetBlend(fill, 75);
    ScreenImage->BlendFill(x - 3, y - 3, x + 3, y + 3);
    ScreenImage->SetBlend(pen, 75);
    ScreenImage->BlendFrame(x - 3, y - 3, x + 3, y + 3);
  }
}

void TFrameEditScene::DrawHandles()
{
  std::vector<TZmComponent*> drawn;
  for (TZmComponent* c : Selection.Items)
    if (!(BandMode == 2 && BandList.IndexOf(c) >= 0)) drawn.push_back(c);
  if (BandMode == 1)
    for (TZmComponent* c : BandList.Items)
      if (Selection.IndexOf(c) < 0) drawn.push_back(c);
  // The primary one stands out among those in the normal colours; locked
  // objects and those of other scenes keep their own colours.
  TZmComponent* last = nullptr;
  size_t normal = 0;
  for (TZmComponent* c : drawn) {
    DrawObjectHandles(c, false);
    if (!c->FLock && !Scene->FLock && c->OwnerScene() == Scene) ++normal, last = c;
  }
  if (normal > 1) DrawObjectHandles(last, true);
}

void TFrameEditScene::RebuildPick(bool bodies)
{
  PickImage->ResetClip();
  // The bodies change only with the scene; a new selection only moves the
  // handles, so it starts from the bodies drawn last time.
  if (bodies || !PickBaseValid) {
    PickImage->Clear(kNoPick);
    PickList.Clear();
    Scene->PaintScene(*PickImage, &PickList, 0, false);
    if (!PickBase || PickBase->Width() != PickImage->Width() || PickBase->Height() != PickImage->Height())
      PickBase = std::make_unique<TZmDC>(PickImage->Width(), PickImage->Height());
    PickBase->CopyPixelsFrom(*PickImage);
    PickBaseValid = true;
  } else {
    PickImage->CopyPixelsFrom(*PickBase);
  }
  HandleList.Clear();
  if (Selection.Count() == 0) return;
  for (TZmComponent* c : Selection.Items) {
    if (c->OwnerScene() != Scene) continue;
    TZmHandlePoint pts[kMaxHandles];
    uint16_t kinds[kMaxHandles];
    const int32_t n = std::clamp(c->GetHandles(pts, kinds, 0), 0, kMaxHandles);
    if (n == 0 || HandleList.Count() >= 4096) continue;
    for (int32_t i = 0; i < n; ++i) {
      if (kinds[i] > 14) continue;
      const uint16_t code = static_cast<uint16_t>(HandleList.Count() + kinds[i] * 4096u);
      for (int32_t y = pts[i].Y - 3; y <= pts[i].Y + 3; ++y) PickImage->HLine(pts[i].X - 3, pts[i].X + 3, y, code);
    }
    HandleList.Items.push_back(c);  // a plain list: the same object may not move to the end
  }
}

void TFrameEditScene::RebuildSnap(bool exceptSelection)
{
  Snap.Reset(Scene->Width(), Scene->Height());
  for (TZmComponent* c : Scene->ComponentGroup->Members)
    if (!exceptSelection || Selection.IndexOf(c) < 0) Snap.Add(c->GetBounds());
}

void TFrameEditScene::SelectionChanged()
{
  if (!Scene) return;
  RefreshSelection();
  RebuildSnap(true);
  if (OnSelectionChanged) OnSelectionChanged();
}

void TFrameEditScene::RefreshSelection()
{
  if (!Scene) return;
  // Labels of the selected objects only depend on the selection.
  if (Options && (Options->LabelMode & 4)) RedrawScene();
  else CopySurface(*SceneImage, *ScreenImage);
  if (Selection.Count()) DrawHandles();
  ccEdit->update();
  imgEdit->update();
  RebuildPick(false);
}

void TFrameEditScene::Refresh()
{
  if (!Scene) return;
  RedrawScene();
  if (Selection.Count()) DrawHandles();
  ccEdit->update();
  imgEdit->update();
  RebuildPick(true);
}

TZmComponent* TFrameEditScene::HitTest(QPoint p, int32_t& kind, bool forDown) const
{
  kind = kBody;
  if (!Scene || !PickImage) return nullptr;
  static const int kAround[9][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
  uint16_t code = kNoPick;
  for (const auto& d : kAround) {
    const int32_t x = p.x() + d[0], y = p.y() + d[1];
    if (x < 0 || y < 0 || x >= PickImage->Width() || y >= PickImage->Height()) continue;
    code = PickImage->GetPixel(x, y);
    if (code != kNoPick) break;
  }
  TZmComponent* hit = nullptr;
  if (code != kNoPick && code < 0xF000) {
    kind = code / 4096;
    hit = HandleList.Item(code % 4096);
  } else if (code != kNoPick) {
    hit = PickList.FromIdentity(code);
  } else {
    const auto& m = Scene->ComponentGroup->Members;
    for (auto it = m.rbegin(); it != m.rend(); ++it) {
      TZmRectValue r = (*it)->GetBounds();
      if (p.x() >= r.Left && p.x() <= r.Right && p.y() >= r.Top && p.y() <= r.Bottom) {
        hit = *it;
        break;
      }
    }
  }
  if (hit && forDown && (hit->FLock || Scene->FLock) && kind != kBody) kind = kBody;
  if (hit && forDown && hit->FLock) return nullptr;
  return hit;
}

// ---- selection tool

void TFrameEditScene::MouseDown(QPoint p, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
{
  if (!Scene) return;
  if (ToolCode != -1) {
    if (!Scene->FLock) ToolDown(p, buttons, mods);
    return;
  }
  BandMode = DragMode = 0;
  Moved = false;
  int32_t kind;
  TZmComponent* hit = HitTest(p, kind, true);
  if (!(buttons & Qt::LeftButton)) return;
  mods &= ~Qt::KeypadModifier;
  const bool left = buttons == Qt::LeftButton && mods == Qt::NoModifier;
  const bool shift = buttons == Qt::LeftButton && mods == Qt::ShiftModifier;
  const bool ctrl = buttons == Qt::LeftButton && mods == Qt::ControlModifier;
  if (hit && kind != kBody) {
    HandleKind = kind;
    HandleObject = hit;
    DragMode = 3;
    Points[0] = p;
    return;
  }
  if (hit && Selection.IndexOf(hit) >= 0) {
    if (left) {
      Selection.Add(hit);
      DragMode = 2;
      Points[0] = p;
    } else if (shift) {
      Selection.Add(hit);
    } else if (ctrl) {
      Selection.Remove(hit);
    } else {
      DragMode = 2;
      Points[0] = p;
    }
    SelectionChanged();
    return;
  }
  if (hit) {
    if (shift) Selection.Add(hit);
    else if (!ctrl) {
      Selection.Clear();
      Selection.Add(hit);
    }
    SelectionChanged();
    DragMode = 2;
    Points[0] = p;
    return;
  }
  if (left) {
    Selection.Clear();
    BandList.Clear();
    BandMode = 1;
  } else if (shift) {
    BandMode = 1;
  } else if (ctrl) {
    BandMode = 2;
  } else {
    return;
  }
  DragMode = 1;
  Refresh();
  Points[0] = p;
  if (OnSelectionChanged) OnSelectionChanged();
}

TZmRectValue TFrameEditScene::SelectionBounds() { return Selection.Bounds(); }

void TFrameEditScene::ShowRect(const TZmRectValue& r)
{
  SetReadout(QStringLiteral("[%1 , %2] [%3 x %4]").arg(r.Left).arg(r.Top).arg(r.Right - r.Left + 1).arg(r.Bottom - r.Top + 1));
}

void TFrameEditScene::Preview(int32_t handle, QPoint d, const TZmRectValue& shown, const std::vector<int32_t>& cols,
                              const std::vector<int32_t>& rows)
{
  DrawBackground(*ScreenImage);
  for (TZmComponent* c : Scene->ComponentGroup->Members) {
    const bool moves = Selection.IndexOf(c) >= 0 && !c->FLock && !Scene->FLock;
    if (!moves) {
      c->Paint(*ScreenImage, nullptr, 0, false);
      continue;
    }
    c->Dragging = true;
    c->MoveHandle(ScreenImage.get(), handle, d.x(), d.y());
    c->Dragging = false;
  }
  if (Options && Options->SnapToObjects) {
    ScreenImage->SetBlend(0x008000, 50);
    for (int32_t x : cols)
      if (const auto* l = Snap.Column(x))
        ScreenImage->BlendVLine(std::min(shown.Top, l->Min), std::max(shown.Bottom, l->Max), x, 0xCCCCCCCC);
    for (int32_t y : rows)
      if (const auto* l = Snap.Row(y))
        ScreenImage->BlendHLine(std::min(shown.Left, l->Min), std::max(shown.Right, l->Max), y, 0xCCCCCCCC);
  }
  ccEdit->update();
  ShowRect(shown);
}

void TFrameEditScene::MouseMove(QPoint p, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
{
  if (!Scene) return;
  if (ToolCode != -1) {
    if (!Scene->FLock) ToolMove(p, buttons, mods);
    return;
  }
  mods &= ~Qt::KeypadModifier;
  if (DragMode != 0) Moved = true;
  CanvasHint.clear();
  if (DragMode == 2 && !(buttons & Qt::LeftButton)) {
    DragMode = BandMode = 0;
    Moved = false;
  }
  switch (DragMode) {
    case 1: {
      Points[1] = p;
      CopySurface(*SceneImage, *ScreenImage);
      const bool ctrl = buttons == Qt::LeftButton && mods == Qt::ControlModifier;
      BandMode = ctrl ? 2 : 1;
      BandList.Clear();
      const TZmRectValue r = Normalised(Points[0], Points[1]);
      Scene->CollectInside(r, BandList);
      DrawHandles();
      ScreenImage->SetBlend(ctrl ? 0x0000FF : 0xFF0000, 30);
      ScreenImage->BlendFill(r.Left, r.Top, r.Right, r.Bottom);
      ScreenImage->BlendFrame(r.Left, r.Top, r.Right, r.Bottom);
      ccEdit->update();
      SetReadout(QStringLiteral("[%1 , %2] [%3 x %4]")
                     .arg(Points[0].x()).arg(Points[0].y())
                     .arg(std::abs(p.x() - Points[0].x()) + 1).arg(std::abs(p.y() - Points[0].y()) + 1));
      ShowHint();
      return;
    }
    case 2:
    case 3: {
      const TZmRectValue b = SelectionBounds();
      if (b.Left > b.Right) return ShowHint();  // nothing movable
      std::vector<int32_t> cols, rows;
      QPoint d = p - Points[0];
      TZmRectValue shown = b;
      if (DragMode == 2) {
        d = ClampMove(b, SnapMove(b, d, &cols, &rows));
        shown = {b.Left + d.x(), b.Top + d.y(), b.Right + d.x(), b.Bottom + d.y()};
        Preview(kBody, d, shown, cols, rows);
      } else {
        d = SnapResize(b, HandleKind, d, &cols, &rows);
        const Edges e = HandleEdges(HandleKind);
        if (e.L) shown.Left += d.x();
        if (e.T) shown.Top += d.y();
        if (e.R) shown.Right += d.x();
        if (e.B) shown.Bottom += d.y();
        Preview(HandleKind, d, shown, cols, rows);
      }
      return ShowHint();
    }
    default: {
      int32_t kind;
      TZmComponent* hit = HitTest(p, kind, true);
      ccEdit->setCursor(hit ? HandleCursor(kind) : Qt::CrossCursor);
      CanvasHint = hit ? QString::fromStdString(hit->GetInfoText(2)) : QString();
      if (OnHover) {
        // What the pointer is on: its kind, and what it is bound to.
        QString status;
        if (hit) {
          const QString line = CanvasHint.section('\n', 0, 0);
          status = Text(hit->GetTypeTextID());
          if (!line.isEmpty()) status = status.isEmpty() ? line : status + QStringLiteral(" : ") + line;
        }
        OnHover(status);
      }
      SetReadout(QStringLiteral("%1 , %2").arg(p.x()).arg(p.y()));
      return ShowHint();
    }
  }
}

void TFrameEditScene::ApplyBand()
{
  if (BandMode == 1) Selection.AddAll(BandList);
  else if (BandMode == 2) Selection.RemoveAll(BandList);
}

void TFrameEditScene::MouseUp(QPoint p, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
{
  if (!Scene) return;
  if (ToolCode != -1) {
    if (!Scene->FLock) ToolUp(p, mods);
    return;
  }
  (void)buttons;
  if (Moved) {
    if (DragMode == 1) {
      ApplyBand();
      BandMode = 0;
      BandList.Clear();
      RefreshSelection();
      RebuildSnap(true);
    } else if (DragMode == 2 || DragMode == 3) {
      const TZmRectValue b = SelectionBounds();
      if (b.Left <= b.Right) {
        QPoint d = p - Points[0];
        if (DragMode == 2) d = ClampMove(b, SnapMove(b, d, nullptr, nullptr));
        else d = SnapResize(b, HandleKind, d, nullptr, nullptr);
        CommitMove(DragMode == 2 ? kBody : HandleKind, d);
      }
      Refresh();
    }
  } else {
    // A click: the object under the pointer, locked ones included.
    int32_t kind;
    TZmComponent* hit = HitTest(p, kind, false);
    BandList.Clear();
    if (hit) {
      BandList.Add(hit);
      ApplyBand();
      BandList.Clear();
      RefreshSelection();
      RebuildSnap(true);
    }
  }
  PointCount = 0;
  BandMode = DragMode = 0;
  Moved = false;
  HandleObject = nullptr;
  ShowPage();
  if (OnSelectionChanged) OnSelectionChanged();
}

void TFrameEditScene::Commit(const TZmSnapshot& before)
{
  TZmSnapshot after = TZmUndoStack::Snapshot(Scene);
  if (after != before && OnEdited) OnEdited(Scene, before, std::move(after));
}

void TFrameEditScene::CommitMove(int32_t handle, QPoint d)
{
  if (d.isNull() || Scene->FLock) return;  // no distance, no edit
  const TZmSnapshot before = TZmUndoStack::Snapshot(Scene);
  for (TZmComponent* c : Selection.Items)
    if (!c->FLock && c->OwnerScene() == Scene) c->MoveHandle(nullptr, handle, d.x(), d.y());
  Refresh();
  RebuildSnap(true);
  Commit(before);
}

bool TFrameEditScene::KeyDown(int key, Qt::KeyboardModifiers mods)
{
  if (!Scene) return false;
  if (key == Qt::Key_Escape) {
    if (Selection.BoundsCount() != 0) {
      Selection.Clear();
      RefreshSelection();
      if (OnSelectionChanged) OnSelectionChanged();
    }
    // Points collected so far are dropped with the tool.
    PointCount = 0;
    Moved = false;
    if (OnToolDone) OnToolDone();
    Refresh();
    return true;
  }
  mods &= ~Qt::KeypadModifier;
  const bool none = mods == Qt::NoModifier, shift = mods == Qt::ShiftModifier, ctrl = mods == Qt::ControlModifier;
  QPoint step;
  switch (key) {
    case Qt::Key_Left: step = {-1, 0}; break;
    case Qt::Key_Right: step = {1, 0}; break;
    case Qt::Key_Up: step = {0, -1}; break;
    case Qt::Key_Down: step = {0, 1}; break;
    default: break;
  }
  if (!step.isNull()) {
    const TZmRectValue b = SelectionBounds();
    if (b.Left > b.Right) return true;
    if (none) CommitMove(kBody, ClampMove(b, step));
    else if (shift && Options)
      CommitMove(kBody, ClampMove(b, {step.x() * Options->GridSize.x(), step.y() * Options->GridSize.y()}));
    else if (ctrl) CommitMove(2, step);
    return true;
  }
  switch (key) {
    case Qt::Key_Delete:
      if (none) Delete();
      return true;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
      if (none) Order(2);
      else if (shift) Order(0);
      return true;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
      if (none) Order(3);
      else if (shift) Order(1);
      return true;
    default:
      return false;
  }
}

void TFrameEditScene::ShowPage()
{
  if (!OnShowObject || !Scene) return;
  if (Selection.Count() == 1) OnShowObject(Selection.Item(0));
  else OnShowObject(Selection.Count() == 0 ? Scene : nullptr);
}

void TFrameEditScene::SelectObject(TZmComponent* c)
{
  if (!Scene || !c || c->OwnerScene() != Scene) return;
  Selection.Clear();
  Selection.Add(c);
  RefreshSelection();
  RebuildSnap(true);
  ccEdit->setFocus();
  ShowPage();
  if (OnSelectionChanged) OnSelectionChanged();
}

