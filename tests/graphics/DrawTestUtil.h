#pragma once
// Small helpers for pixel fixtures: a surface region as rows of characters.
#include <string>
#include <vector>

#include "graphics/DC.h"

// '.' for 0, '#' for 1, 'o' for 2, 'x' for 3, '?' for anything else.
inline std::vector<std::string> Art(const TZmDC& dc, int x0, int y0, int w, int h)
{
  std::vector<std::string> rows;
  for (int y = y0; y < y0 + h; ++y) {
    std::string row;
    for (int x = x0; x < x0 + w; ++x) {
      const uint16_t v = dc.RawPixel(x, y);
      row += v == 0 ? '.' : v == 1 ? '#' : v == 2 ? 'o' : v == 3 ? 'x' : '?';
    }
    rows.push_back(row);
  }
  return rows;
}

inline std::vector<std::string> Art(const TZmDC& dc) { return Art(dc, 0, 0, dc.Width(), dc.Height()); }

inline int CountSet(const TZmDC& dc)
{
  int n = 0;
  for (uint16_t v : dc.Pixels())
    n += v != 0;
  return n;
}

// A context whose pen draws 1 and whose brush fills 2 (pattern background 3).
inline void Inks(TZmDC& dc, int32_t penStyle = 1, int32_t penWidth = 1, int32_t brushStyle = 0)
{
  dc.Pen = TZmDCPen{1, penStyle, penWidth, 0};
  dc.Brush = TZmDCBrush{2, brushStyle, 0, 3};
}
