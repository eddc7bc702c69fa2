#pragma once
// Glyph tables and glyph strings: the panel has no font engine, so every
// text shown in a project font becomes a string of glyph numbers, and every
// glyph is drawn once into a 1-bit bitmap of that font's table.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Stream.h"

class TZmFont;
class TZmCompiler;
class TZmTextRasterizer;

class TZmResFont {
public:
  TZmFont* Font = nullptr;
  TZmStream Key;                      // the font's stored form: equal forms are one font
  std::vector<std::u32string> Glyphs;  // glyph number = index + 4
};

class TZmResFonts {
public:
  void Clear() { Fonts.clear(); }
  TZmResFont* Find(TZmFont* font, bool create);
  // Adds the glyphs of a text to its font's table.
  void AddText(TZmFont* font, const std::string& text);
  // The glyph numbers of a text; empty when a glyph is missing.
  std::vector<uint16_t> GlyphString(TZmFont* font, const std::string& text);
  // Height, first glyph number, glyph count, slots, then each glyph's width
  // and bits. Nothing for a font without texts. Returns the bytes written.
  size_t WriteFontRecord(TZmCompiler& compiler, TZmFont* font);
  static void WriteGlyphString(TZmStream& out, const std::vector<uint16_t>& glyphs);

  std::vector<std::unique_ptr<TZmResFont>> Fonts;
  // The text rasteriser glyphs are drawn with; none: the process-wide one.
  TZmTextRasterizer* Rasterizer = nullptr;
};

// The glyph texts a text is cut into: clusters of a base character and its
// marks, or whole lines that hold right-to-left writing (10 separates lines
// then). Exposed for tests.
std::vector<std::u32string> CutGlyphs(const std::u32string& text, bool& rightToLeft);
