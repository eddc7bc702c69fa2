#include "graphics/TextRaster.h"

#include <unicode/uchar.h>

#include "base/Utf.h"

bool IsControlChar(char32_t cp) { return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F); }

bool IsMarkChar(char32_t cp)
{
  const int8_t t = u_charType(static_cast<UChar32>(cp));
  return t == U_NON_SPACING_MARK || t == U_ENCLOSING_MARK || t == U_COMBINING_SPACING_MARK;
}

bool IsRightToLeftChar(char32_t cp)
{
  const UCharDirection d = u_charDirection(static_cast<UChar32>(cp));
  return d == U_RIGHT_TO_LEFT || d == U_RIGHT_TO_LEFT_ARABIC;
}

namespace {

bool IsNonSpacingMark(char32_t cp)
{
  const int8_t t = u_charType(static_cast<UChar32>(cp));
  return t == U_NON_SPACING_MARK || t == U_ENCLOSING_MARK;
}

}  // namespace

std::u32string DecodeText(std::string_view utf8)
{
  std::u32string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    char32_t cp = DecodeUtf8(utf8, i);
    // Halves of a pair that arrived encoded one by one make one character.
    if (cp >= 0xDC00 && cp <= 0xDFFF && !out.empty() && out.back() >= 0xD800 && out.back() <= 0xDBFF) {
      out.back() = 0x10000 + ((out.back() - 0xD800) << 10) + (cp - 0xDC00);
      continue;
    }
    out.push_back(cp);
  }
  return out;
}

bool TZmFixedCellRasterizer::SelectFont(const TZmFontSpec&)
{
  Usable = CellW > 0 && CellH > 0 && CellW <= 256 && CellH <= 256;
  return Usable;
}

int32_t TZmFixedCellRasterizer::Advance(char32_t cp)
{
  if (!Usable || IsControlChar(cp) || IsNonSpacingMark(cp))
    return 0;
  return CellW;
}

int32_t TZmFixedCellRasterizer::RunWidth(std::u32string_view run)
{
  if (!Usable)
    return 0;
  int32_t width = 0;
  bool base = false;
  for (char32_t cp : run) {
    if (IsControlChar(cp))
      continue;
    if (IsNonSpacingMark(cp)) {
      if (!base)
        width += CellW;  // a mark with nothing to sit on keeps a cell of its own
      base = true;
      continue;
    }
    base = true;
    width += CellW;
    if (width > 32767)
      return 32767;
  }
  return width;
}

void TZmFixedCellRasterizer::RenderRun(std::u32string_view run, TZmGlyphRun& out)
{
  out = TZmGlyphRun{};
  if (!Usable)
    return;
  out.Width = RunWidth(run);
  out.Height = CellH;
  out.Mask.assign(static_cast<size_t>(out.Width) * out.Height, 0);
  int32_t x = 0;
  bool base = false;
  for (char32_t cp : run) {
    if (IsControlChar(cp))
      continue;
    const bool mark = IsNonSpacingMark(cp);
    if (mark && base)
      continue;
    base = true;
    if (x + CellW > out.Width)
      break;
    if (cp != U' ') {
      for (int32_t j = 0; j < CellH; ++j)
        for (int32_t i = 0; i + 1 < CellW; ++i)
          out.Mask[static_cast<size_t>(j) * out.Width + x + i] = 1;
    }
    x += CellW;
  }
}
