#pragma once
// Snap lines of a scene and the zoom that fits the editing area.
#include <cstdint>
#include <vector>

#include "model/Component.h"

// Snap lines of one scene: per column and per row, which edges lie there.
class TZmObjectSnap {
public:
  struct Line {
    uint32_t Flags = 0;
    int32_t Min = 0xFFFF, Max = 0;
  };
  void Reset(int32_t width, int32_t height);
  void Add(const TZmRectValue& r);
  // The first line near x with one of the flags of `mask`: x, x+1, x-1, ...
  // up to x +- (tolerance - 1); -1 when there is none.
  int32_t FindColumn(int32_t x, int32_t tolerance, uint32_t mask) const;
  int32_t FindRow(int32_t y, int32_t tolerance, uint32_t mask) const;
  const Line* Column(int32_t x) const;
  const Line* Row(int32_t y) const;

private:
  static int32_t Find(const std::vector<Line>& lines, int32_t v, int32_t tolerance, uint32_t mask);
  std::vector<Line> Cols, Rows;
};

// The largest whole zoom (100 to 1600 percent) at which a picture of
// pictureW x pictureH half-pixels fits an area of areaW x areaH.
int32_t FitZoom(int32_t pictureW, int32_t pictureH, int32_t areaW, int32_t areaH);
