// The canvas (ccEdit) and the model picture (imgEdit) widgets of the page.
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

