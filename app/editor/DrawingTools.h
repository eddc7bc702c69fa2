#pragma once
// What each palette tool places: how many points it collects, the size of
// an object clicked without a drag, and the object itself with its initial
// settings. Every tool goes through one table here, so a kind of object
// that joins the program needs one entry filled in and nothing else.
#include <cstdint>
#include <vector>

#include "graphics/DC.h"

class TZmComponent;
class TZmScene;

enum class TZmToolKind { None, OnePoint, TwoPoints, FourPoints, ManyPoints };

// Points a polyline tool collects at most; further clicks add nothing.
inline constexpr int32_t kMaxToolPoints = 510;

TZmToolKind ToolKindOf(int32_t code);
// Whether the tool's kind of object exists in this program (the palette
// disables the others).
bool ToolAvailable(int32_t code);
// Width and height added to the start point when a two-point tool is
// clicked without dragging (or dragged by 8 pixels or less).
TZmDCPoint ToolDefaultSize(int32_t code);

// Creates the tool's object from the collected points (1, 2, 3 or 4 for the
// shape tools, up to kMaxToolPoints for the polyline tools), appended to
// the scene's object list, with its settings and bounds. None when the tool
// is not available, the scene has no model or the points do not suffice.
TZmComponent* CreateToolObject(int32_t code, TZmScene& scene, const std::vector<TZmDCPoint>& points);
