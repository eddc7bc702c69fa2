#pragma once
// TZmDC: the software rasteriser everything on a panel screen is drawn with.
// Its pixels end up in compiled images (scene backgrounds), so every
// operation follows one exact integer recipe; the editor shows the same
// pixels. All coordinates are clipped: nothing is ever written outside the
// surface or the clip rectangle, whatever the arguments.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/Color.h"

class TZmTextRasterizer;

struct TZmDCPoint {
  int32_t X = 0, Y = 0;
};

// Pen and brush as the context uses them. Handed to SelectPen/SelectBrush
// the colours are stored panel values; inside the context they are RGB565.
struct TZmDCPen {
  uint32_t Color = 0;
  int32_t StyleIndex = 1;  // 0 none, 1 solid, 2.. dash styles
  int32_t Width = 1;
  int32_t Mode = 0;
};

struct TZmDCBrush {
  uint32_t Color = 0;
  int32_t StyleIndex = 1;  // 0 none, 1 solid, 2..511 pattern, +0x200 opaque, 1024+k gradient k
  int32_t ExternFlag = 0;
  uint32_t ExtColor = 0;
};

// The hit-test collector as drawing sees it: each object is drawn in a
// colour made from the collector's size right after the object was added.
class TZmIdentitySource {
public:
  virtual int32_t IdentityCount() const = 0;

protected:
  ~TZmIdentitySource() = default;
};

uint16_t IdentityColor(const TZmIdentitySource& ids);

// Font as stored with a text: face name, size in points, character set and
// style bits (1 bold, 2 italic, 4 underline, 8 strike-out).
struct TZmFontSpec {
  std::string Name;
  int32_t Size = 0;
  uint8_t Charset = 0;
  uint8_t Style = 0;
  bool operator==(const TZmFontSpec&) const = default;
};

// What DrawText needs of a text object.
struct TZmTextStyle {
  TZmFontSpec Font;
  uint32_t Color = 0;   // stored panel colour
  int32_t Align = 4;    // vertical * 3 + horizontal
  int32_t Option = 0;   // bit 0 no wrap, bit 15 inverse
  std::string Text;     // UTF-8
};

struct TZmTextSize {
  int32_t Width = 0, Height = 0;
};

class TZmDC {
public:
  static constexpr int32_t MaxSide = 8192;
  static constexpr size_t MaxFilledPoints = 8192;

  // Sides outside 0..MaxSide are refused: the surface is then empty.
  TZmDC(int32_t width, int32_t height);
  virtual ~TZmDC();
  TZmDC(const TZmDC&) = delete;
  TZmDC& operator=(const TZmDC&) = delete;

  bool Valid() const { return W > 0 && H > 0; }
  int32_t Width() const { return W; }
  int32_t Height() const { return H; }
  std::span<const uint16_t> Pixels() const { return Surface; }
  uint16_t RawPixel(int32_t x, int32_t y) const;  // 0 outside the surface

  // The clip is always kept inside the surface; an inverted one clips everything.
  void SetClip(int32_t left, int32_t top, int32_t right, int32_t bottom);
  void ResetClip();
  int32_t ClipLeft() const { return CL; }
  int32_t ClipTop() const { return CT; }
  int32_t ClipRight() const { return CR; }
  int32_t ClipBottom() const { return CB; }

  TZmDCPen Pen;
  TZmDCBrush Brush;
  int32_t ColorFormat = 0;
  uint16_t DashMask = 0x8000;
  bool DashContinue = false;
  bool SolidGradients = false;
  // Colour description of the model being drawn; set by the owner.
  TZmPanelColors Colors;
  // Text output; nullptr means the process-wide font rasteriser.
  TZmTextRasterizer* Text = nullptr;

  void Clear(uint16_t color);
  // Every pixel of a context of the same size (the editor's layers); false,
  // and nothing copied, for another size.
  bool CopyPixelsFrom(const TZmDC& from);
  void SetPixel(int32_t x, int32_t y, uint16_t color);
  uint16_t GetPixel(int32_t x, int32_t y) const;
  void HLine(int32_t x1, int32_t x2, int32_t y, uint16_t color);
  void VLine(int32_t y1, int32_t y2, int32_t x, uint16_t color);
  void FillSpan(int32_t x1, int32_t x2, int32_t y);
  void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  void Polyline(std::span<const TZmDCPoint> points);
  void Polygon(std::span<const TZmDCPoint> points);
  void Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom);
  void Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom);
  void RoundRect(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t rx, int32_t ry);
  void Arc(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t start, int32_t end);
  void Pie(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t start, int32_t end);
  void Chord(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t start, int32_t end);

  // Colour of a stored panel value under a scene's colour option.
  uint16_t ConvertColor(uint32_t stored, int32_t option) const;
  void SelectPen(const TZmDCPen& pen, const TZmIdentitySource* ids, int32_t option);
  void SelectBrush(const TZmDCBrush& brush, const TZmIdentitySource* ids, int32_t option);

  // Editor overlays: clipped to the surface, not to the clip rectangle.
  void SetBlend(uint32_t rgb, int32_t percent);
  void BlendPixel(int32_t x, int32_t y);
  void BlendHLine(int32_t x1, int32_t x2, int32_t y, uint32_t mask);
  void BlendVLine(int32_t y1, int32_t y2, int32_t x, uint32_t mask);
  void BlendLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  void BlendFrame(int32_t left, int32_t top, int32_t right, int32_t bottom);
  void BlendFill(int32_t left, int32_t top, int32_t right, int32_t bottom);
  void BlendOutline(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t kind);
  // Translucent copy of a width x height RGB565 bitmap; 0 is transparent.
  void AlphaBlit(std::span<const uint16_t> bitmap, int32_t width, int32_t height, int32_t x0, int32_t y0,
                 int32_t percent);

  void DrawText(int32_t option, int32_t left, int32_t top, int32_t right, int32_t bottom, const TZmTextStyle& style,
                const TZmIdentitySource* ids, bool multiLine, std::string_view overrideText);
  TZmTextSize MeasureText(const TZmTextStyle& style, std::string_view overrideText);
  void DrawPointMarker(int32_t x, int32_t y, int32_t index, uint16_t color);

  static int32_t AngleOf(int32_t dx, int32_t dy);
  static TZmDCPoint EllipsePoint(int32_t cx, int32_t cy, int32_t a, int32_t b, int32_t angle);

  // The blend parts SetBlend stored: red, green, blue, 100 - percent.
  uint8_t BlendRed = 0, BlendGreen = 0, BlendBlue = 0, BlendKeep = 100;

private:
  // What each five-bit channel value blends to under the current parts:
  // overlays blend thousands of pixels per frame with one setting.
  uint8_t BlendR[32] = {}, BlendG[32] = {}, BlendB[32] = {};
  // The tables of the last two settings: handles alternate fill and frame.
  struct BlendTables {
    uint32_t Key = 0xFFFFFFFF;
    uint8_t R[32], G[32], B[32];
  } BlendCache[2];
  void MakeBlendTables();

public:

private:
  struct Walk;
  void ClipLine(int32_t& x1, int32_t& x2) const;
  bool InClip(int32_t x, int32_t y) const { return x >= CL && x <= CR && y >= CT && y <= CB; }
  void Put(int32_t x, int32_t y, uint16_t c) { Surface[static_cast<size_t>(y) * W + x] = c; }
  uint16_t BlendValue(uint16_t v) const
  {
    return static_cast<uint16_t>(uint32_t(BlendR[v >> 11]) << 11 | uint32_t(BlendG[(v >> 6) & 0x1F]) << 6 | BlendB[v & 0x1F]);
  }
  void WidthOneLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, bool dashed, uint16_t mask16);
  void CapDisc(int32_t px, int32_t py, int32_t r);
  void EllipseRing(int32_t cx, int32_t cy, int32_t a, int32_t b, bool thick, const int32_t centres[4][2]);
  bool RingMissesClip(const int32_t centres[4][2], int32_t a, int32_t b) const;
  void GradientFill(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t kind);
  void ArcPoints(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t start, int32_t end,
                 bool withCentre, std::vector<TZmDCPoint>& pts, TZmDCPoint& centre) const;
  TZmTextRasterizer* Rasterizer() const;

  int32_t W = 0, H = 0;
  int32_t CL = 0, CT = 0, CR = -1, CB = -1;
  std::vector<uint16_t> Surface;
};
