#pragma once
// The built-in drawing style tables: pen dashes, 8 x 8 brush patterns and
// 7 x 7 point markers. Read-only; the style library wraps them with names.

#include <cstdint>

constexpr int32_t PenStyleCount = 6;
constexpr int32_t BrushStyleCount = 48;
constexpr int32_t PointStyleCount = 33;

extern const char* const PenStyleNames[PenStyleCount];
extern const uint32_t PenStyleMasks[PenStyleCount];
extern const char* const BrushStyleNames[BrushStyleCount];
extern const uint8_t BrushStylePatterns[BrushStyleCount][8];
extern const uint8_t PointStyleMarkers[PointStyleCount][8];

// Lookups that never read outside the tables: nullptr for unknown indexes.
const uint32_t* PenStyleMask(int32_t index);
const uint8_t* BrushStylePattern(int32_t index);
const uint8_t* PointStyleMarker(int32_t index);
