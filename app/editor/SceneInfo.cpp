// Information lines over the canvas, the mouse-outside tracking and the hint.
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

void TFrameEditScene::TrackMouse(QPoint globalPos)
{
  if (!Scene) return;
  const QPoint p = imgEdit->mapFromGlobal(globalPos);
  // The picture's edges belong to it.
  const bool outside = p.x() < 0 || p.y() < 0 || p.x() > imgEdit->width() || p.y() > imgEdit->height();
  if (outside == MouseOutside) return;
  MouseOutside = outside;
  // The binding texts are drawn over the canvas and the picture, not into the scene.
  ccEdit->update();
  imgEdit->update();
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


void TFrameEditScene::SetPointerOnPanel(bool on)
{
  MouseOutside = !on;
  ccEdit->update();
  imgEdit->update();
}
