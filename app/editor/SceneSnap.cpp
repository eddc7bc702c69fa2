// Snap lines and the snapping and clamping rules of moves and resizes.
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

QPoint TFrameEditScene::SnapPoint(QPoint p) const
{
  if (!Scene || !Options || !Options->SnapToGrid) return p;
  const int32_t gx = std::max(1, Options->SnapSize.x()), gy = std::max(1, Options->SnapSize.y());
  const int32_t sx = gx * ((p.x() + gx / 2) / gx), sy = gy * ((p.y() + gy / 2) / gy);
  return {std::clamp(sx, 0, Scene->Width() - 1), std::clamp(sy, 0, Scene->Height() - 1)};
}


QPoint TFrameEditScene::SnapMove(const TZmRectValue& b, QPoint d, std::vector<int32_t>* cols, std::vector<int32_t>* rows) const
{
  int32_t dx = d.x(), dy = d.y();
  bool snappedX = false, snappedY = false;
  if (Options && Options->SnapToObjects) {
    int colsFound = 0, rowsFound = 0;
    const int32_t gx = Options->SnapGap.x(), gy = Options->SnapGap.y();
    auto col = [&](int32_t x, uint32_t mask, auto apply) {
      const int32_t line = Snap.FindColumn(x, kSnapTolerance, mask);
      if (line < 0) return;
      ++colsFound;
      dx = apply(line);
      if (cols) cols->push_back(line);
    };
    auto row = [&](int32_t y, uint32_t mask, auto apply) {
      const int32_t line = Snap.FindRow(y, kSnapTolerance, mask);
      if (line < 0) return;
      ++rowsFound;
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
    snappedX = colsFound > 0;
    snappedY = rowsFound > 0;
  }
  // Objects take precedence; along an axis where no object line is near, the
  // grid that placing snaps to holds for moving too.
  if (Options && Options->SnapToGrid) {
    const int32_t sx = std::max(1, Options->SnapSize.x()), sy = std::max(1, Options->SnapSize.y());
    if (!snappedX) dx -= (b.Left + dx) % sx;
    if (!snappedY) dy -= (b.Top + dy) % sy;
  }
  return {dx, dy};
}

QPoint TFrameEditScene::SnapResize(const TZmRectValue& b, int32_t kind, QPoint d, std::vector<int32_t>* cols,
                                   std::vector<int32_t>* rows) const
{
  int32_t dx = d.x(), dy = d.y();
  bool snappedX = false, snappedY = false;
  if (Options && Options->SnapToObjects) {
    const int32_t gx = Options->SnapGap.x(), gy = Options->SnapGap.y();
    auto col = [&](int32_t x, uint32_t mask, int32_t shift) {
      const int32_t line = Snap.FindColumn(x, kSnapTolerance, mask);
      if (line < 0) return;
      snappedX = true;
      dx = line + shift;
      if (cols) cols->push_back(line);
    };
    auto row = [&](int32_t y, uint32_t mask, int32_t shift) {
      const int32_t line = Snap.FindRow(y, kSnapTolerance, mask);
      if (line < 0) return;
      snappedY = true;
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
  }
  if (Options && Options->SnapToGrid) {
    // The edge that follows the handle lands on the grid; a left or top
    // handle must not be snapped by where the opposite edge ends up.
    const int32_t sx = std::max(1, Options->SnapSize.x()), sy = std::max(1, Options->SnapSize.y());
    const Edges e = HandleEdges(kind);
    if (e.L != e.R && !snappedX) dx -= ((e.L ? b.Left : b.Right) + dx) % sx;
    if (e.T != e.B && !snappedY) dy -= ((e.T ? b.Top : b.Bottom) + dy) % sy;
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

