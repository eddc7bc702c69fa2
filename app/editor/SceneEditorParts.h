#pragma once
// Pieces the scene editor's files share: pick codes, the handle table and
// small surface helpers. Internal to app/editor.
#include <QCursor>
#include <QPoint>
#include <algorithm>
#include <cstdint>
#include <string_view>

#include "graphics/DC.h"
#include "model/Component.h"
#include "model/Buttons.h"

namespace scene_edit {
constexpr uint16_t kNoPick = 0xFFFF;
constexpr int32_t kSnapTolerance = 2;
constexpr int32_t kBody = 15;

// Numbered texts of the page.
enum : int { kKeyReadout = 1120 };

// Whole-surface copy between two contexts of the same size.
inline void CopySurface(const TZmDC& from, TZmDC& to)
{
  to.ResetClip();
  if (to.CopyPixelsFrom(from)) return;
  const auto px = from.Pixels();
  const int32_t w = std::min(from.Width(), to.Width()), h = std::min(from.Height(), to.Height());
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) to.SetPixel(x, y, px[static_cast<size_t>(y) * from.Width() + x]);
}

// `over` laid on `under` at `percent` (0 to 100), channel by channel.
inline uint16_t Mix565(uint16_t under, uint16_t over, int32_t percent)
{
  auto mix = [&](int shift, int bits) {
    const int mask = (1 << bits) - 1;
    const int a = (under >> shift) & mask, b = (over >> shift) & mask;
    return ((a * (100 - percent) + b * percent + 50) / 100) << shift;
  };
  return static_cast<uint16_t>(mix(11, 5) | mix(5, 6) | mix(0, 5));
}

inline TZmRectValue Normalised(QPoint a, QPoint b)
{
  return {std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()), std::max(a.y(), b.y())};
}

// Edges of the displayed rectangle that follow a handle: left, top, right, bottom.
struct Edges {
  bool L, T, R, B;
};
inline Edges HandleEdges(int32_t kind)
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

inline Qt::CursorShape HandleCursor(int32_t kind)
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
inline bool MayLiveOnScene(const TZmComponent* c)
{
  if (std::string_view(c->ClassName()) == "TZmBtnSystem" || dynamic_cast<const TZmUnknownComponent*>(c)) return false;
  if (auto* g = dynamic_cast<const TZmComponentGroup*>(c))
    return std::all_of(g->Members.begin(), g->Members.end(), [](const TZmComponent* m) { return MayLiveOnScene(m); });
  return true;
}
}  // namespace scene_edit
