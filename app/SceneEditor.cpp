#include "app/SceneEditor.h"

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

#include "app/DrawingTools.h"
#include "app/LanguageUi.h"
#include "app/SceneEditOpt.h"
#include "base/Stream.h"
#include "devices/Model.h"
#include "graphics/DC.h"
#include "graphics/Pen.h"
#include "model/Buttons.h"
#include "model/Scenes.h"
#include "model/Shapes.h"

// On Windows this names the registered clipboard format itself; elsewhere it
// is a private MIME type that only we read.
const char* const kSceneClipboardMime = "application/x-qt-windows-mime;value=\"CF_SceneComRes2\"";

namespace {
constexpr uint16_t kNoPick = 0xFFFF;
constexpr int32_t kSnapTolerance = 2;
constexpr int32_t kBody = 15;

// Numbered texts of the page.
enum : int { kKeyReadout = 1120 };

// Whole-surface copy between two contexts of the same size.
void CopySurface(const TZmDC& from, TZmDC& to)
{
  to.ResetClip();
  const auto px = from.Pixels();
  const int32_t w = std::min(from.Width(), to.Width()), h = std::min(from.Height(), to.Height());
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) to.SetPixel(x, y, px[static_cast<size_t>(y) * from.Width() + x]);
}

// `over` laid on `under` at `percent` (0 to 100), channel by channel.
uint16_t Mix565(uint16_t under, uint16_t over, int32_t percent)
{
  auto mix = [&](int shift, int bits) {
    const int mask = (1 << bits) - 1;
    const int a = (under >> shift) & mask, b = (over >> shift) & mask;
    return ((a * (100 - percent) + b * percent + 50) / 100) << shift;
  };
  return static_cast<uint16_t>(mix(11, 5) | mix(5, 6) | mix(0, 5));
}

TZmRectValue Normalised(QPoint a, QPoint b)
{
  return {std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()), std::max(a.y(), b.y())};
}

// Edges of the displayed rectangle that follow a handle: left, top, right, bottom.
struct Edges {
  bool L, T, R, B;
};
Edges HandleEdges(int32_t kind)
{
  switch (kind) {
    case 0: return {true, true, false, false};
    case 1: return {true, false, false, true};
    case 2: return {false, false, true, true};
    case 3: return {false, true, true, false};
    case 4: return {true, false, false, false};
    case 5: return {false, false, false, true};
    case 6: return {false, false, true, false};
    case 7: return {false, true, false, false};
    case 10: return {true, true, false, false};
    case 11: return {false, false, true, true};
    case kBody: return {true, true, true, true};
    default: return {false, false, false, false};
  }
}

Qt::CursorShape HandleCursor(int32_t kind)
{
  switch (kind) {
    case 0: case 2: return Qt::SizeFDiagCursor;
    case 1: case 3: return Qt::SizeBDiagCursor;
    case 4: case 6: return Qt::SizeHorCursor;
    case 5: case 7: return Qt::SizeVerCursor;
    case 14: return Qt::ForbiddenCursor;
    case 12: case 13: return Qt::CrossCursor;
    default: return Qt::SizeAllCursor;
  }
}

// Classes whose objects live outside a scene's object list (the physical
// keys) never come in through the clipboard, nor objects of classes this
// version does not know, not even inside a group.
bool MayLiveOnScene(const TZmComponent* c)
{
  if (std::string_view(c->ClassName()) == "TZmBtnSystem" || dynamic_cast<const TZmUnknownComponent*>(c)) return false;
  if (auto* g = dynamic_cast<const TZmComponentGroup*>(c))
    return std::all_of(g->Members.begin(), g->Members.end(), [](const TZmComponent* m) { return MayLiveOnScene(m); });
  return true;
}
}  // namespace

// ---- snap lines

void TZmObjectSnap::Reset(int32_t w, int32_t h)
{
  Cols.assign(static_cast<size_t>(std::max(w, 0)), Line{});
  Rows.assign(static_cast<size_t>(std::max(h, 0)), Line{});
  if (w <= 0 || h <= 0) return;
  auto col = [&](int32_t x, uint32_t f) {
    Cols[x].Flags |= f;
    Cols[x].Min = 0;
    Cols[x].Max = h - 1;
  };
  auto row = [&](int32_t y, uint32_t f) {
    Rows[y].Flags |= f;
    Rows[y].Min = 0;
    Rows[y].Max = w - 1;
  };
  col(0, 4), col(w - 1, 1), col(w / 2, 16);
  row(0, 8), row(h - 1, 2), row(h / 2, 32);
}

void TZmObjectSnap::Add(const TZmRectValue& r)
{
  auto widen = [](std::vector<Line>& lines, int32_t at, uint32_t f, int32_t a, int32_t b) {
    if (at < 0 || at >= static_cast<int32_t>(lines.size())) return;
    Line& l = lines[at];
    l.Flags |= f;
    l.Min = std::min(l.Min, std::min(a, b));
    l.Max = std::max(l.Max, std::max(a, b));
  };
  widen(Cols, r.Left, 1, r.Top, r.Bottom);
  widen(Cols, r.Right, 4, r.Top, r.Bottom);
  widen(Cols, (r.Left + r.Right) / 2, 16, r.Top, r.Bottom);
  widen(Rows, r.Top, 2, r.Left, r.Right);
  widen(Rows, r.Bottom, 8, r.Left, r.Right);
  widen(Rows, (r.Top + r.Bottom) / 2, 32, r.Left, r.Right);
}

int32_t TZmObjectSnap::Find(const std::vector<Line>& lines, int32_t v, int32_t tolerance, uint32_t mask)
{
  const int32_t n = static_cast<int32_t>(lines.size());
  auto hit = [&](int32_t at) { return at >= 0 && at < n && (lines[at].Flags & mask); };
  if (hit(v)) return v;
  for (int32_t i = 1; i < tolerance; ++i) {
    if (hit(v + i)) return v + i;
    if (hit(v - i)) return v - i;
  }
  return -1;
}

int32_t TZmObjectSnap::FindColumn(int32_t x, int32_t tolerance, uint32_t mask) const { return Find(Cols, x, tolerance, mask); }
int32_t TZmObjectSnap::FindRow(int32_t y, int32_t tolerance, uint32_t mask) const { return Find(Rows, y, tolerance, mask); }

const TZmObjectSnap::Line* TZmObjectSnap::Column(int32_t x) const
{
  return x >= 0 && x < static_cast<int32_t>(Cols.size()) ? &Cols[x] : nullptr;
}

const TZmObjectSnap::Line* TZmObjectSnap::Row(int32_t y) const
{
  return y >= 0 && y < static_cast<int32_t>(Rows.size()) ? &Rows[y] : nullptr;
}

int32_t FitZoom(int32_t pw, int32_t ph, int32_t aw, int32_t ah)
{
  if (pw <= 0 || ph <= 0 || pw > aw || ph > ah) return 100;
  for (int32_t n = 16; n >= 1; --n)
    if (pw * n <= aw && ph * n <= ah) return 100 * n;
  return 100;
}

// ---- canvas and picture widgets

TZmSceneCanvas::TZmSceneCanvas(TFrameEditScene* page, QWidget* parent) : QWidget(parent), Page(page)
{
  setObjectName(QStringLiteral("ccEdit"));
  setCursor(Qt::CrossCursor);
  setFocusPolicy(Qt::ClickFocus);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TZmSceneCanvas::paintEvent(QPaintEvent*)
{
  QPainter p(this);
  const TZmDC* dc = Page->Screen();
  if (!dc || !dc->Valid()) {
    p.fillRect(rect(), palette().window());
    return;
  }
  // The RGB565 surface is shown as it is, every scene pixel a square.
  QImage img(reinterpret_cast<const uchar*>(dc->Pixels().data()), dc->Width(), dc->Height(), dc->Width() * 2,
             QImage::Format_RGB16);
  p.drawImage(rect(), img);
  const TZmSceneEditOpt* o = Page->Options;
  if (Page->Zoom >= 400 && o && o->DrawLine400) {
    const uint32_t c = o->PixelGridColor;
    p.setPen(QPen(QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF), 1));
    const double sx = double(width()) / dc->Width(), sy = double(height()) / dc->Height();
    double y = 0;
    for (int32_t i = 0; i < dc->Height(); ++i, y += sy) p.drawLine(0, int(y), width(), int(y));
    double x = 0;
    for (int32_t i = 0; i < dc->Width(); ++i, x += sx) p.drawLine(int(x), 0, int(x), height());
  }
  // With the mouse away from the panel and nothing selected, every object
  // tells what it is bound to.
  if (Page->MouseOutside && Page->Selection.Count() == 0 && Page->Scene)
    for (TZmComponent* c : Page->Scene->ComponentGroup->Members)
      Page->PaintInfoLines(p, c, QPoint(c->Rect.Left * Page->Zoom / 100, c->Rect.Top * Page->Zoom / 100));
}

void TZmSceneCanvas::mousePressEvent(QMouseEvent* e)
{
  setFocus(Qt::MouseFocusReason);
  Page->MouseDown(Page->ToScene(e->position().toPoint(), false), e->buttons(), e->modifiers());
}

void TZmSceneCanvas::mouseMoveEvent(QMouseEvent* e)
{
  Page->HintPos = e->globalPosition().toPoint();
  Page->MouseMove(Page->ToScene(e->position().toPoint(), false), e->buttons(), e->modifiers());
}

void TZmSceneCanvas::mouseReleaseEvent(QMouseEvent* e)
{
  // The state as it was while the button was down.
  Page->MouseUp(Page->ToScene(e->position().toPoint(), false), e->buttons() | e->button(), e->modifiers());
}

void TZmSceneCanvas::enterEvent(QEnterEvent* e)
{
  Page->TrackMouse(e->globalPosition().toPoint());
  QWidget::enterEvent(e);
}

void TZmSceneCanvas::leaveEvent(QEvent* e)
{
  Page->TrackMouse(QCursor::pos());
  QWidget::leaveEvent(e);
}

bool TZmSceneCanvas::event(QEvent* e)
{
  // The canvas hint has its own delay (TimerHint), not the tool-tip one.
  if (e->type() == QEvent::ToolTip) return true;
  return QWidget::event(e);
}

void TZmSceneCanvas::keyPressEvent(QKeyEvent* e)
{
  if (!Page->KeyDown(e->key(), e->modifiers())) QWidget::keyPressEvent(e);
}

void TZmSceneCanvas::wheelEvent(QWheelEvent* e)
{
  if (e->modifiers() & Qt::ControlModifier) {
    Page->SetZoom(Page->Zoom + (e->angleDelta().y() > 0 ? 100 : -100));
    e->accept();
    return;
  }
  QWidget::wheelEvent(e);
}

TZmModelPicture::TZmModelPicture(TFrameEditScene* page, QWidget* parent) : QWidget(parent), Page(page)
{
  setObjectName(QStringLiteral("imgEdit"));
  setMouseTracking(true);
}

void TZmModelPicture::paintEvent(QPaintEvent*)
{
  QPainter p(this);
  const TZmModel* m = Page->Model;
  if (!m || m->Edit.Empty()) {
    p.fillRect(rect(), QColor(96, 96, 96));
    return;
  }
  QImage img(reinterpret_cast<const uchar*>(m->Edit.Pixels.data()), m->Edit.Width, m->Edit.Height, m->Edit.Width * 4,
             QImage::Format_ARGB32);
  p.setRenderHint(QPainter::SmoothPixmapTransform, Page->Zoom < 200);
  p.drawImage(rect(), img);
  // The key overlay: what each bound physical key does in this scene.
  if (!Page->MouseOutside || Page->Selection.Count() != 0 || !Page->Scene) return;
  for (TZmComponent* c : Page->Scene->ComponentGroupEx->Members) {
    if (std::string_view(c->ClassName()) != "TZmBtnSystem" || c->Type == 0 || c->Type == 12) continue;
    const TZmModelKey* key = m->FindKeyByCode(static_cast<int32_t>(static_cast<TZmBtnSystem*>(c)->KeyValue));
    if (key) Page->PaintInfoLines(p, c, QPoint(key->Left * Page->Zoom / 100, key->Top * Page->Zoom / 100));
  }
}

void TZmModelPicture::mouseMoveEvent(QMouseEvent* e)
{
  Page->TrackMouse(e->globalPosition().toPoint());
  const TZmModelKey* key = Page->KeyAt(e->position().toPoint());
  setCursor(key ? Qt::PointingHandCursor : Qt::ArrowCursor);
  Page->SetReadout(key ? FormatText(kKeyReadout, {key->Caption}) : QStringLiteral("Screen"));
}

void TZmModelPicture::mousePressEvent(QMouseEvent* e)
{
  // A key shows its binding; the rest of the picture the scene's page.
  if (const TZmModelKey* key = Page->KeyAt(e->position().toPoint())) Page->KeyClicked(*key);
  else if (Page->Scene && Page->OnShowObject) Page->OnShowObject(Page->Scene);
}

void TZmModelPicture::enterEvent(QEnterEvent* e)
{
  Page->TrackMouse(e->globalPosition().toPoint());
  QWidget::enterEvent(e);
}

void TZmModelPicture::leaveEvent(QEvent* e)
{
  Page->TrackMouse(QCursor::pos());
  QWidget::leaveEvent(e);
}

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

QPoint TFrameEditScene::SnapPoint(QPoint p) const
{
  if (!Scene || !Options || !Options->SnapToGrid) return p;
  const int32_t gx = std::max(1, Options->SnapSize.x()), gy = std::max(1, Options->SnapSize.y());
  const int32_t sx = gx * ((p.x() + gx / 2) / gx), sy = gy * ((p.y() + gy / 2) / gy);
  return {std::clamp(sx, 0, Scene->Width() - 1), std::clamp(sy, 0, Scene->Height() - 1)};
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
    std::unique_ptr<TZmDC> labels;
    TZmDC* target = SceneImage.get();
    if (opacity < 100) {
      labels = std::make_unique<TZmDC>(SceneImage->Width(), SceneImage->Height());
      TZmComponent::PrepareContext(*labels, Model);
      CopySurface(*SceneImage, *labels);
      target = labels.get();
    }
    if (Options->LabelMode & 4) {
      for (TZmComponent* c : Selection.Items)
        if (c->OwnerScene() == Scene) c->PaintInfo(*target, font, Scene->ComponentGroup->IndexOf(c), Options->LabelMode);
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

void TFrameEditScene::RebuildPick()
{
  PickImage->ResetClip();
  PickImage->Clear(kNoPick);
  PickList.Clear();
  Scene->PaintScene(*PickImage, &PickList, 0, false);
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
      for (int32_t y = pts[i].Y - 3; y <= pts[i].Y + 3; ++y)
        for (int32_t x = pts[i].X - 3; x <= pts[i].X + 3; ++x) PickImage->SetPixel(x, y, code);
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
  CopySurface(*SceneImage, *ScreenImage);
  if (Selection.Count()) DrawHandles();
  ccEdit->update();
  RebuildPick();
  RebuildSnap(true);
  if (OnSelectionChanged) OnSelectionChanged();
}

void TFrameEditScene::Refresh()
{
  if (!Scene) return;
  RedrawScene();
  if (Selection.Count()) DrawHandles();
  ccEdit->update();
  imgEdit->update();
  RebuildPick();
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

QPoint TFrameEditScene::SnapMove(const TZmRectValue& b, QPoint d, std::vector<int32_t>* cols, std::vector<int32_t>* rows) const
{
  int32_t dx = d.x(), dy = d.y();
  if (Options && Options->SnapToObjects) {
    const int32_t gx = Options->SnapGap.x(), gy = Options->SnapGap.y();
    auto col = [&](int32_t x, uint32_t mask, auto apply) {
      const int32_t line = Snap.FindColumn(x, kSnapTolerance, mask);
      if (line < 0) return;
      dx = apply(line);
      if (cols) cols->push_back(line);
    };
    auto row = [&](int32_t y, uint32_t mask, auto apply) {
      const int32_t line = Snap.FindRow(y, kSnapTolerance, mask);
      if (line < 0) return;
      dy = apply(line);
      if (rows) rows->push_back(line);
    };
    const int32_t cx = (b.Left + b.Right) / 2, cy = (b.Top + b.Bottom) / 2;
    col(cx + dx, 16, [&](int32_t l) { return l - cx; });
    col(b.Left + dx - gx, 4, [&](int32_t l) { return l + gx - b.Left; });
    col(b.Right + dx + gx, 1, [&](int32_t l) { return l - b.Right - gx; });
    col(b.Right + dx, 4, [&](int32_t l) { return l - b.Right; });
    col(b.Left + dx, 1, [&](int32_t l) { return l - b.Left; });
    row(cy + dy, 32, [&](int32_t l) { return l - cy; });
    row(b.Top + dy - gy, 8, [&](int32_t l) { return l + gy - b.Top; });
    row(b.Bottom + dy + gy, 2, [&](int32_t l) { return l - b.Bottom - gy; });
    row(b.Bottom + dy, 8, [&](int32_t l) { return l - b.Bottom; });
    row(b.Top + dy, 2, [&](int32_t l) { return l - b.Top; });
  } else if (Options && Options->SnapToGrid) {
    const int32_t sx = std::max(1, Options->SnapSize.x()), sy = std::max(1, Options->SnapSize.y());
    dx -= (b.Left + dx) % sx;
    dy -= (b.Top + dy) % sy;
  }
  return {dx, dy};
}

QPoint TFrameEditScene::SnapResize(const TZmRectValue& b, int32_t kind, QPoint d, std::vector<int32_t>* cols,
                                   std::vector<int32_t>* rows) const
{
  int32_t dx = d.x(), dy = d.y();
  if (Options && Options->SnapToObjects) {
    const int32_t gx = Options->SnapGap.x(), gy = Options->SnapGap.y();
    auto col = [&](int32_t x, uint32_t mask, int32_t shift) {
      const int32_t line = Snap.FindColumn(x, kSnapTolerance, mask);
      if (line < 0) return;
      dx = line + shift;
      if (cols) cols->push_back(line);
    };
    auto row = [&](int32_t y, uint32_t mask, int32_t shift) {
      const int32_t line = Snap.FindRow(y, kSnapTolerance, mask);
      if (line < 0) return;
      dy = line + shift;
      if (rows) rows->push_back(line);
    };
    if (kind == 0 || kind == 1 || kind == 4) {
      col(b.Left + dx - gx, 4, gx - b.Left);
      col(b.Left + dx, 1, -b.Left);
    }
    if (kind == 2 || kind == 3 || kind == 6) {
      col(b.Right + dx + gx, 1, -b.Right - gx);
      col(b.Right + dx, 4, -b.Right);
    }
    if (kind == 0 || kind == 3 || kind == 7) {
      row(b.Top + dy - gy, 8, gy - b.Top);
      row(b.Top + dy, 2, -b.Top);
    }
    if (kind == 1 || kind == 2 || kind == 5) {
      row(b.Bottom + dy + gy, 2, -b.Bottom - gy);
      row(b.Bottom + dy, 8, -b.Bottom);
    }
  } else if (Options && Options->SnapToGrid) {
    // The edge that follows the handle lands on the grid; a left or top
    // handle must not be snapped by where the opposite edge ends up.
    const int32_t sx = std::max(1, Options->SnapSize.x()), sy = std::max(1, Options->SnapSize.y());
    const Edges e = HandleEdges(kind);
    if (e.L != e.R) dx -= ((e.L ? b.Left : b.Right) + dx) % sx;
    if (e.T != e.B) dy -= ((e.T ? b.Top : b.Bottom) + dy) % sy;
  }
  return {dx, dy};
}

QPoint TFrameEditScene::ClampMove(const TZmRectValue& b, QPoint d) const
{
  int32_t dx = d.x(), dy = d.y();
  const int32_t w = Scene->Width(), h = Scene->Height();
  if (b.Left + dx < 0) dx = -b.Left;
  if (b.Right + dx > w - 1) dx = w - 1 - b.Right;
  if (b.Top + dy < 0) dy = -b.Top;
  if (b.Bottom + dy > h - 1) dy = h - 1 - b.Bottom;
  return {dx, dy};
}

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
      SetReadout(QStringLiteral("%1 , %2").arg(p.x()).arg(p.y()));
      return ShowHint();
    }
  }
}

void TFrameEditScene::ShowHint()
{
  if (HintPos == LastHintPos) return;
  if (!CanvasHint.isEmpty()) {
    TimerHint->start();
  } else {
    TimerHint->stop();
    QToolTip::hideText();
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
      Refresh();
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
      Refresh();
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
      Refresh();
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

// ---- commands

bool TFrameEditScene::SceneLocked() const { return !Scene || Scene->FLock != 0; }

bool TFrameEditScene::CanCopy() const
{
  return Scene && Model && const_cast<TZmComponentRefs&>(Selection).BoundsCount() != 0;
}

bool TFrameEditScene::CanPaste() const
{
  const QMimeData* m = QApplication::clipboard()->mimeData();
  return Scene && !Scene->FLock && m && m->hasFormat(QLatin1String(kSceneClipboardMime));
}

bool TFrameEditScene::CanOrder() const
{
  return Scene && !Scene->FLock && Selection.Count() > 0 && Scene->ComponentGroup->Count() > 1;
}

void TFrameEditScene::Copy()
{
  if (!CanCopy()) return;
  TZmStream list;
  Selection.WriteObjectList(list);
  TZmStream block;
  block.WriteU32(static_cast<uint32_t>(list.Size() + 8));
  block.WriteU32(ClipboardOwner);
  block.WriteU32(static_cast<uint32_t>(Model->ColorFormat));
  block.Write(list.Bytes());
  // Other formats on the clipboard stay.
  auto* mime = new QMimeData;
  if (const QMimeData* old = QApplication::clipboard()->mimeData())
    for (const QString& f : old->formats())
      if (f != QLatin1String(kSceneClipboardMime)) mime->setData(f, old->data(f));
  mime->setData(QLatin1String(kSceneClipboardMime),
                QByteArray(reinterpret_cast<const char*>(block.Data()), static_cast<qsizetype>(block.Size())));
  QApplication::clipboard()->setMimeData(mime);
  PasteCount = 1;
}

bool TFrameEditScene::Paste(QString* error)
{
  if (!Scene || Scene->FLock || !Model) return false;
  const QMimeData* mime = QApplication::clipboard()->mimeData();
  if (!mime || !mime->hasFormat(QLatin1String(kSceneClipboardMime))) return false;
  const QByteArray data = mime->data(QLatin1String(kSceneClipboardMime));
  auto fail = [&](const QString& why) {
    if (error) *error = why;
    if (OnPasteError) OnPasteError(why);
    return false;
  };
  // Every length is checked before it is trusted.
  TZmStream block(std::vector<uint8_t>(data.begin(), data.end()));
  uint32_t n = 0, owner = 0, format = 0;
  if (!block.ReadU32(n) || n < 8 || n > block.Remaining() || !block.ReadU32(owner) || !block.ReadU32(format))
    return fail(QStringLiteral("the clipboard data is incomplete"));
  TZmStream list(std::vector<uint8_t>(block.Data() + 12, block.Data() + 4 + n));
  // Read into a scratch scene: all objects arrive or none.
  std::unique_ptr<TZmScene> scratch(NewObject<TZmScene>());
  TZmComponentRefs read;
  read.Scene = scratch.get();
  int32_t announced = -1;
  {
    TZmStream peek(list.Buffer());
    try {
      if (ReadText(peek) == "TZmComponentRefs") peek.ReadI32(announced);
    } catch (const EZmStreamError&) {
      announced = -1;
    }
  }
  try {
    if (announced < 0 || !read.ReadObjectList(list)) return fail(QStringLiteral("the clipboard holds no screen objects"));
  } catch (const EZmStreamError& e) {
    return fail(QString::fromUtf8(e.what()));
  }
  if (static_cast<int32_t>(read.Count()) != announced)
    return fail(QStringLiteral("the clipboard holds objects of a kind this version does not know"));
  for (TZmComponent* c : read.Items)
    if (!MayLiveOnScene(c)) return fail(QStringLiteral("the clipboard holds objects that cannot be placed on a screen"));
  if (read.Count() == 0) return false;

  const TZmSnapshot before = TZmUndoStack::Snapshot(Scene);
  const int32_t ox = PasteCount * (Options ? Options->GridSize.x() : 8);
  const int32_t oy = PasteCount * (Options ? Options->GridSize.y() : 8);
  Selection.Clear();
  BandList.Clear();
  for (TZmComponent* c : read.Items) {
    scratch->ComponentGroup->Remove(c);
    Scene->ComponentGroup->Append(c);
    Selection.Add(c);
  }
  read.Items.clear();
  for (TZmComponent* c : Selection.Items) {
    c->MoveHandle(nullptr, kBody, ox, oy);
    if (static_cast<int32_t>(format) != Model->ColorFormat) c->ChangeColorFormat(static_cast<int32_t>(format), Model->ColorFormat);
  }
  TZmRectValue b{65536, 65536, -1, -1};
  for (TZmComponent* c : Selection.Items) {
    const TZmRectValue r = c->GetBounds();
    b = {std::min(b.Left, r.Left), std::min(b.Top, r.Top), std::max(b.Right, r.Right), std::max(b.Bottom, r.Bottom)};
  }
  if ((b.Right - b.Left) * 2 + ox >= Model->Width() || (b.Bottom - b.Top) * 2 + oy >= Model->Height()) PasteCount = 0;
  else ++PasteCount;
  Refresh();
  RebuildSnap(true);
  Commit(before);
  if (OnSelectionChanged) OnSelectionChanged();
  return true;
}

void TFrameEditScene::Cut()
{
  if (!Scene || Scene->FLock || !CanCopy()) return;
  Copy();
  Delete();
  --PasteCount;
}

void TFrameEditScene::Delete()
{
  if (!Scene || Scene->FLock || Selection.Count() == 0) return;
  const TZmSnapshot before = TZmUndoStack::Snapshot(Scene);
  std::vector<TZmComponent*> doomed;
  for (TZmComponent* c : Selection.Items)
    if (!c->FLock && c->OwnerScene() == Scene) doomed.push_back(c);
  Selection.Clear();
  BandList.Clear();
  PickList.Clear();
  HandleList.Items.clear();
  HandleObject = nullptr;
  for (TZmComponent* c : doomed) {
    if (OnAboutToDestroy) OnAboutToDestroy(c);
    delete c;
  }
  Refresh();
  RebuildSnap(true);
  Commit(before);
  ShowPage();
  if (OnSelectionChanged) OnSelectionChanged();
}

void TFrameEditScene::SelectAll()
{
  if (!Scene) return;
  Selection.Clear();
  BandList.Clear();
  Scene->CollectInside({0, 0, Scene->Width() - 1, Scene->Height() - 1}, BandList);
  Selection.AddAll(BandList);
  BandList.Clear();
  Refresh();
  RebuildSnap(true);
  if (OnSelectionChanged) OnSelectionChanged();
}

void TFrameEditScene::Order(int kind)
{
  if (!Scene || Scene->FLock || Scene->ComponentGroup->Count() == 0) return;
  const TZmSnapshot before = TZmUndoStack::Snapshot(Scene);
  auto& m = Scene->ComponentGroup->Members;
  const int32_t n = static_cast<int32_t>(m.size());
  auto moves = [&](const TZmComponent* c) { return Selection.IndexOf(c) >= 0 && !c->FLock; };
  auto moveTo = [&](int32_t from, int32_t to) {
    TZmComponent* c = m[from];
    m.erase(m.begin() + from);
    m.insert(m.begin() + to, c);
  };
  switch (kind) {
    case 0: {
      int32_t to = n - 1;
      for (int32_t i = n - 1; i >= 0; --i)
        if (moves(m[i])) moveTo(i, to--);
      break;
    }
    case 1: {
      int32_t to = 0;
      for (int32_t i = 0; i < n; ++i)
        if (moves(m[i])) moveTo(i, to++);
      break;
    }
    // One step: a selected object passes the unselected one next to it, so
    // a run of selected objects keeps its own order.
    case 2:
      for (int32_t i = n - 2; i >= 0; --i)
        if (moves(m[i]) && !moves(m[i + 1])) std::swap(m[i], m[i + 1]);
      break;
    case 3:
      for (int32_t i = 1; i < n; ++i)
        if (moves(m[i]) && !moves(m[i - 1])) std::swap(m[i], m[i - 1]);
      break;
    default:
      return;
  }
  Scene->ComponentGroup->MarkDirty();
  Refresh();
  Commit(before);
}

void TFrameEditScene::Group()
{
  if (!Scene || Scene->FLock) return;
  auto& m = Scene->ComponentGroup->Members;
  std::vector<TZmComponent*> members;
  int32_t top = -1;
  for (int32_t i = 0; i < static_cast<int32_t>(m.size()); ++i)
    if (Selection.IndexOf(m[i]) >= 0 && !m[i]->FLock) {
      members.push_back(m[i]);
      top = i;
    }
  if (members.size() < 2) return;
  const TZmSnapshot before = TZmUndoStack::Snapshot(Scene);
  top -= static_cast<int32_t>(members.size()) - 1;  // where the group lands once its members left
  auto* g = NewObject<TZmComponentGroup>();
  for (TZmComponent* c : members) g->Append(c);  // leaves the scene's list, keeps paint order
  m.insert(m.begin() + std::clamp(top, 0, static_cast<int32_t>(m.size())), g);
  g->Owner = Scene->ComponentGroup;
  Scene->ComponentGroup->MarkDirty();
  g->MarkDirty();
  Selection.Clear();
  Selection.Add(g);
  Refresh();
  RebuildSnap(true);
  Commit(before);
  if (OnSelectionChanged) OnSelectionChanged();
}

void TFrameEditScene::Ungroup()
{
  if (!Scene || Scene->FLock) return;
  auto& m = Scene->ComponentGroup->Members;
  std::vector<TZmComponentGroup*> groups;
  for (TZmComponent* c : Selection.Items)
    if (std::string_view(c->ClassName()) == "TZmComponentGroup" && c->Owner == Scene->ComponentGroup && !c->FLock)
      groups.push_back(static_cast<TZmComponentGroup*>(c));
  if (groups.empty()) return;
  const TZmSnapshot before = TZmUndoStack::Snapshot(Scene);
  Selection.Clear();
  for (TZmComponentGroup* g : groups) {
    int32_t at = Scene->ComponentGroup->IndexOf(g);
    std::vector<TZmComponent*> members = g->Members;
    for (TZmComponent* c : members) {
      g->Remove(c);
      m.insert(m.begin() + at++, c);
      c->Owner = Scene->ComponentGroup;
      Selection.Add(c);
    }
    if (OnAboutToDestroy) OnAboutToDestroy(g);
    delete g;
  }
  Scene->ComponentGroup->MarkDirty();
  Refresh();
  RebuildSnap(true);
  Commit(before);
  ShowPage();
  if (OnSelectionChanged) OnSelectionChanged();
}



// ---- physical keys, overlays and the property page

const TZmModelKey* TFrameEditScene::KeyAt(QPoint pos) const
{
  if (!Model || Zoom <= 0) return nullptr;
  const int32_t x = pos.x() * 100 / Zoom, y = pos.y() * 100 / Zoom;
  for (const auto& [name, key] : Model->Keys) {
    if (key.Code >= 256) continue;
    const TZmRectValue r = key.Rect();
    if (x >= r.Left && x <= r.Right && y >= r.Top && y <= r.Bottom) return &key;
  }
  return nullptr;
}

TZmBtnSystem* TFrameEditScene::FindKeyButton(int32_t keyCode) const
{
  if (!Scene) return nullptr;
  for (TZmComponent* c : Scene->ComponentGroupEx->Members)
    if (std::string_view(c->ClassName()) == "TZmBtnSystem" && static_cast<TZmBtnSystem*>(c)->KeyValue == static_cast<uint32_t>(keyCode))
      return static_cast<TZmBtnSystem*>(c);
  return nullptr;
}

void TFrameEditScene::KeyClicked(const TZmModelKey& key)
{
  if (!Scene) return;
  Selection.Clear();
  BandList.Clear();
  SelectionChanged();
  SetReadout(FormatText(kKeyReadout, {key.Caption}));
  TZmBtnSystem* button = FindKeyButton(key.Code);
  // Looking at a key that is bound already changes nothing; binding a new
  // one is an edit like any other (undone as one step). A locked scene
  // gets no new bindings.
  if (!button && !Scene->FLock) {
    const TZmSnapshot before = TZmUndoStack::Snapshot(Scene);
    button = CreateComponent<TZmBtnSystem>(Scene->ComponentGroupEx);
    // The key's own rectangle on the picture; it lies outside the screen,
    // so it is not clamped to it.
    button->Rect = key.Rect();
    button->KeyValue = static_cast<uint32_t>(key.Code);
    Commit(before);
  }
  if (OnShowObject) OnShowObject(button ? static_cast<TZmPersistent*>(button) : Scene);
}

void TFrameEditScene::TrackMouse(QPoint globalPos)
{
  if (!Scene) return;
  const QPoint p = imgEdit->mapFromGlobal(globalPos);
  // The picture's edges belong to it.
  const bool outside = p.x() < 0 || p.y() < 0 || p.x() > imgEdit->width() || p.y() > imgEdit->height();
  if (outside == MouseOutside) return;
  MouseOutside = outside;
  Refresh();
}

void TFrameEditScene::PaintInfoLines(QPainter& p, TZmComponent* c, QPoint at) const
{
  const QString text = QString::fromStdString(c->GetInfoText(Zoom < 400 ? 16 : 2));
  if (text.isEmpty()) return;
  const QFontMetrics fm(font());
  const QColor back = QToolTip::palette().color(QPalette::ToolTipBase);
  p.setFont(font());
  p.setPen(QColor(255, 0, 0));
  int32_t y = at.y();
  for (const QString& line : text.split('\n')) {
    p.fillRect(QRect(at.x(), y, fm.horizontalAdvance(line) + 2, fm.height()), back);
    p.drawText(at.x() + 1, y + fm.ascent(), line);
    y += fm.height();
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
  Refresh();
  RebuildSnap(true);
  ccEdit->setFocus();
  ShowPage();
  if (OnSelectionChanged) OnSelectionChanged();
}

// ---- drawing tools

void TFrameEditScene::SetTool(int32_t code)
{
  if (code == ToolCode) return;
  ToolCode = code;
  // A drawing in progress belongs to the tool that started it.
  const bool drawing = PointCount != 0;
  PointCount = 0;
  Moved = false;
  if (drawing) Refresh();
}

std::vector<TZmDCPoint> TFrameEditScene::ToolPoints(int32_t n) const
{
  n = std::clamp(n, 0, kMaxToolPoints);
  std::vector<TZmDCPoint> out(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i) out[i] = {Points[i].x(), Points[i].y()};
  return out;
}

void TFrameEditScene::ToolPreview(int32_t n)
{
  // The object is made, drawn over a copy of the scene and destroyed again
  // within this one event: a preview never stays in the scene.
  CopySurface(*SceneImage, *ScreenImage);
  if (TZmComponent* c = CreateToolObject(ToolCode, *Scene, ToolPoints(n))) {
    c->MoveHandle(ScreenImage.get(), kBody, 0, 0);
    delete c;
  }
  ccEdit->update();
}

void TFrameEditScene::ToolPlace(int32_t n, bool backToCursor)
{
  Selection.Clear();
  BandList.Clear();
  const TZmSnapshot before = TZmUndoStack::Snapshot(Scene);
  if (TZmComponent* c = CreateToolObject(ToolCode, *Scene, ToolPoints(n))) {
    Selection.Add(c);
    Refresh();
    RebuildSnap(true);
    Commit(before);
    ShowPage();
  } else {
    Refresh();
  }
  PointCount = 0;
  if (OnSelectionChanged) OnSelectionChanged();
  if (backToCursor && OnToolDone) OnToolDone();
}

void TFrameEditScene::StartDrawing()
{
  // The selection goes with its handles, from the picture and the pick map
  // alike, so nothing unselected can be grabbed by a stale handle later.
  Selection.Clear();
  BandList.Clear();
  RedrawScene();
  ccEdit->update();
  RebuildPick();
  if (OnSelectionChanged) OnSelectionChanged();
}

void TFrameEditScene::ToolDown(QPoint p, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
{
  mods &= ~Qt::KeypadModifier;
  const bool plain = mods == Qt::NoModifier, shift = mods == Qt::ShiftModifier;
  const bool left = buttons == Qt::LeftButton && (plain || shift);
  const bool right = buttons == Qt::RightButton && (plain || shift);
  switch (ToolKindOf(ToolCode)) {
    case TZmToolKind::OnePoint:
      if (!left) return;
      Points[0] = SnapPoint(p);
      ToolPlace(1, !shift);
      return;
    case TZmToolKind::TwoPoints:
      PointCount = 0;
      Moved = false;
      Points[0] = SnapPoint(p);
      StartDrawing();
      PointCount = 1;
      return;
    case TZmToolKind::FourPoints:
      if (PointCount <= 0) {
        StartDrawing();
        Points[0] = SnapPoint(p);
        PointCount = 1;
      } else if (PointCount < 3) {
        Points[PointCount++] = SnapPoint(p);
      } else {
        Points[3] = SnapPoint(p);
        ToolPlace(4, !shift);
      }
      return;
    case TZmToolKind::ManyPoints:
      if (left) {
        // The curve follows the hand; the other outlines keep to the grid.
        const QPoint q = ToolCode == 0x40009 ? p : SnapPoint(p);
        if (PointCount <= 0) {
          StartDrawing();
          Points[0] = q;
          PointCount = 1;
        } else if (PointCount < kMaxToolPoints) {
          Points[PointCount++] = q;
        }
      } else if (right) {
        if (PointCount < 2) {
          Refresh();
          PointCount = 0;
        } else {
          ToolPlace(PointCount, plain);
        }
      }
      return;
    case TZmToolKind::None:
      return;
  }
}

void TFrameEditScene::ToolMove(QPoint p, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
{
  mods &= ~Qt::KeypadModifier;
  Moved = true;
  const TZmToolKind kind = ToolKindOf(ToolCode);
  if (PointCount < kMaxToolPoints) Points[PointCount] = SnapPoint(p);
  switch (kind) {
    case TZmToolKind::OnePoint:
      ToolPreview(1);
      break;
    case TZmToolKind::TwoPoints:
      if (PointCount == 1) ToolPreview(2);
      break;
    case TZmToolKind::FourPoints:
      if (PointCount == 1) {
        ToolPreview(2);
      } else if (PointCount == 2 || PointCount == 3) {
        ToolPreview(PointCount + 1);
        // A guide from the centre to the angle being chosen.
        const TZmRectValue r = Normalised(Points[0], Points[1]);
        const int32_t rad = std::min((r.Bottom - r.Top) / 2, (r.Right - r.Left) / 2);
        ScreenImage->SetBlend(0xFF0000, 60);
        ScreenImage->BlendLine(r.Left + rad, r.Top + rad, Points[PointCount].x(), Points[PointCount].y());
        ccEdit->update();
      }
      break;
    case TZmToolKind::ManyPoints:
      if (ToolCode == 0x40009) {
        if (PointCount > 0 && PointCount < kMaxToolPoints) {
          Points[PointCount] = p;
          ToolPreview(PointCount + 1);
          // Dragging with the left button draws freehand.
          if (buttons == Qt::LeftButton && mods == Qt::NoModifier) ++PointCount;
        }
      } else if (PointCount > 0) {
        ToolPreview(std::min(PointCount + 1, kMaxToolPoints));
      }
      break;
    case TZmToolKind::None:
      break;
  }
  const QPoint live = PointCount < kMaxToolPoints ? Points[PointCount] : SnapPoint(p);
  auto at = [](QPoint q) { return QStringLiteral("%1 , %2").arg(q.x()).arg(q.y()); };
  if (PointCount == 0) SetReadout(at(Points[0]));
  else if (PointCount >= 2 || kind == TZmToolKind::ManyPoints) SetReadout(at(live));
  else if (ToolCode == 1)
    SetReadout(QStringLiteral("[%1 , %2] [%3 , %4]").arg(Points[0].x()).arg(Points[0].y()).arg(Points[1].x()).arg(Points[1].y()));
  else
    SetReadout(QStringLiteral("[%1 , %2] [%3 x %4]")
                   .arg(Points[0].x()).arg(Points[0].y())
                   .arg(std::abs(Points[1].x() - Points[0].x())).arg(std::abs(Points[1].y() - Points[0].y())));
}

void TFrameEditScene::ToolUp(QPoint p, Qt::KeyboardModifiers mods)
{
  mods &= ~Qt::KeypadModifier;
  if (ToolKindOf(ToolCode) == TZmToolKind::TwoPoints && PointCount == 1) {
    const QPoint end = SnapPoint(p);
    // A click, or a drag too short to mean a size, places the default size.
    if (Moved && std::abs(end.x() - Points[0].x()) > 8 && std::abs(end.y() - Points[0].y()) > 8) {
      Points[1] = end;
    } else {
      const TZmDCPoint size = ToolDefaultSize(ToolCode);
      Points[1] = Points[0] + QPoint(size.X, size.Y);
    }
    ToolPlace(2, mods != Qt::ShiftModifier);
  }
  Moved = false;
}
