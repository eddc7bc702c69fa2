#pragma once
// Text rasteriser over font files: fontconfig picks the faces, FreeType
// renders them monochrome at a fixed 96 dpi with pinned hinting, so the same
// fonts give the same pixels on every machine whatever the environment says.

#include <memory>
#include <string>

#include "graphics/TextRaster.h"

// Pixel size of a font size in points at 96 dpi; 0 counts as 8 points.
int32_t FontPixelSize(int32_t points);
// Language tag for a character set number, or nullptr when it names none.
const char* CharsetLanguage(uint8_t charset);

class TZmFontRasterizer : public TZmTextRasterizer {
public:
  static constexpr int32_t MaxPixelSize = 1000;

  TZmFontRasterizer();
  ~TZmFontRasterizer() override;
  bool Ready() const;

  bool SelectFont(const TZmFontSpec& font) override;
  int32_t LineHeight() override;
  int32_t Advance(char32_t cp) override;
  int32_t RunWidth(std::u32string_view run) override;
  void RenderRun(std::u32string_view run, TZmGlyphRun& out) override;

  // File of the face that draws cp in the selected font (empty if none).
  std::string FaceFileFor(char32_t cp);

private:
  struct Impl;
  std::unique_ptr<Impl> P;
};

// The process-wide rasteriser drawing contexts use by default. Not for use
// from several threads at once.
TZmTextRasterizer* DefaultTextRasterizer();
