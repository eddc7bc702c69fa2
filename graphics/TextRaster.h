#pragma once
// The text rasteriser behind DrawText, MeasureText and the compiler's glyph
// tables. Monochrome only. Two implementations: the font-file rasteriser
// (FontRaster.h) and a fixed-cell one whose layout can be computed by hand.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TZmFontSpec;

// Set pixels of a rendered run, one byte (0 or 1) per pixel. (Left, Top)
// is where the mask's first pixel lies relative to the run's origin (the
// left end of the run at the top of its line); glyph parts that overhang
// the advance box are kept.
struct TZmGlyphRun {
  int32_t Left = 0, Top = 0, Width = 0, Height = 0;
  std::vector<uint8_t> Mask;
  bool At(int32_t x, int32_t y) const { return Mask[static_cast<size_t>(y) * Width + x] != 0; }
};

class TZmTextRasterizer {
public:
  virtual ~TZmTextRasterizer() = default;
  // False when the font cannot be used (no face, absurd size); measuring
  // then gives 0 and drawing draws nothing.
  virtual bool SelectFont(const TZmFontSpec& font) = 0;
  virtual int32_t LineHeight() = 0;
  // Advance of one character on its own; control codes and marks give 0.
  virtual int32_t Advance(char32_t cp) = 0;
  // Width of a run of one line as drawn (marks sit on their base).
  virtual int32_t RunWidth(std::u32string_view run) = 0;
  virtual void RenderRun(std::u32string_view run, TZmGlyphRun& out) = 0;
};

// Character classes used for line layout and glyph cutting.
bool IsControlChar(char32_t cp);
bool IsMarkChar(char32_t cp);         // non-spacing, enclosing or spacing combining mark
bool IsRightToLeftChar(char32_t cp);  // strong right-to-left letter

// UTF-8 to code points; a surrogate pair stored as two code points is joined.
std::u32string DecodeText(std::string_view utf8);

// Every printable character is a CellWidth x CellHeight block of set
// pixels; control codes are empty with no advance; a mark takes no room
// and no pixels after a base, and a cell of its own at the start of a run.
class TZmFixedCellRasterizer : public TZmTextRasterizer {
public:
  TZmFixedCellRasterizer(int32_t cellWidth, int32_t cellHeight) : CellW(cellWidth), CellH(cellHeight) {}
  bool SelectFont(const TZmFontSpec& font) override;
  int32_t LineHeight() override { return Usable ? CellH : 0; }
  int32_t Advance(char32_t cp) override;
  int32_t RunWidth(std::u32string_view run) override;
  void RenderRun(std::u32string_view run, TZmGlyphRun& out) override;

private:
  int32_t CellW, CellH;
  bool Usable = true;
};
