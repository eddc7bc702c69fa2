#pragma once
// Options of the scene editor, owned by the main window. Only DrawLine400 is
// stored in the settings; the others keep these values for the whole run.
#include <QFont>
#include <QPoint>
#include <cstdint>

// 0x00BBGGRR to RGB565: the top 5 bits of red, 6 of green, 5 of blue.
constexpr uint16_t ColorToRgb565(uint32_t bbggrr)
{
  const uint32_t r = bbggrr & 0xFF, g = (bbggrr >> 8) & 0xFF, b = (bbggrr >> 16) & 0xFF;
  return static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

struct TZmSceneEditOpt {
  QPoint GridSize{8, 8};
  QPoint SnapSize{8, 8};
  QPoint SnapGap{8, 8};
  uint16_t GridColor = ColorToRgb565(0x008000);
  int32_t ShowGrid = 1;
  int32_t SnapToGrid = 1;
  int32_t SnapToObjects = 1;
  int32_t LabelMode = 1;
  QFont LabelFont;
  int32_t LabelOpacity = 70;
  int32_t DrawLine400 = 1;
  uint32_t PixelGridColor = 0x808080;
};
