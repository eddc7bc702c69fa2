// Drawing tools: points collected on the canvas, previews, placing.
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
  PreviewSize = QSize();
  if (TZmComponent* c = CreateToolObject(ToolCode, *Scene, ToolPoints(n))) {
    c->MoveHandle(ScreenImage.get(), kBody, 0, 0);
    const TZmRectValue r = c->GetBounds();
    PreviewSize = QSize(r.Right - r.Left + 1, r.Bottom - r.Top + 1);
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
  RebuildPick(false);
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
  else {
    // The size the object will have: shapes take both points, controls end
    // a pixel before the second, so the distance alone would be a pixel off
    // for one of them.
    const QSize size = PreviewSize.isValid() ? PreviewSize
                                             : QSize(std::abs(Points[1].x() - Points[0].x()), std::abs(Points[1].y() - Points[0].y()));
    SetReadout(QStringLiteral("[%1 , %2] [%3 x %4]").arg(Points[0].x()).arg(Points[0].y()).arg(size.width()).arg(size.height()));
  }
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

