// DrawText and MeasureText: text blocks laid out with the text rasteriser.
#include <algorithm>

#include "graphics/DC.h"
#include "graphics/TextRaster.h"

TZmTextRasterizer* DefaultTextRasterizer();  // FontRaster.cpp

namespace {

// Splits at CR LF, LF or CR.
std::vector<std::u32string> SplitLines(const std::u32string& text)
{
  std::vector<std::u32string> lines(1);
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c == U'\r' || c == U'\n') {
      if (c == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n')
        ++i;
      lines.emplace_back();
      continue;
    }
    lines.back().push_back(c);
  }
  return lines;
}

}  // namespace

TZmTextRasterizer* TZmDC::Rasterizer() const { return Text ? Text : DefaultTextRasterizer(); }

TZmTextSize TZmDC::MeasureText(const TZmTextStyle& style, std::string_view overrideText)
{
  TZmTextRasterizer* r = Rasterizer();
  if (!r || !r->SelectFont(style.Font))
    return {};
  const std::vector<std::u32string> lines =
    SplitLines(DecodeText(overrideText.empty() ? std::string_view(style.Text) : overrideText));
  TZmTextSize size;
  for (const std::u32string& line : lines)
    if (!line.empty())
      size.Width = std::max(size.Width, r->RunWidth(line));
  const int64_t h = static_cast<int64_t>(lines.size()) * r->LineHeight();
  size.Height = static_cast<int32_t>(std::min<int64_t>(h, INT32_MAX));
  return size;
}

void TZmDC::DrawText(int32_t option, int32_t left, int32_t top, int32_t right, int32_t bottom,
                     const TZmTextStyle& style, const TZmIdentitySource* ids, bool multiLine,
                     std::string_view overrideText)
{
  TZmTextRasterizer* r = Rasterizer();
  if (!r || !r->SelectFont(style.Font))
    return;
  left = std::clamp(left, -32767, 32767);
  top = std::clamp(top, -32767, 32767);
  right = std::clamp(right, -32767, 32767);
  bottom = std::clamp(bottom, -32767, 32767);
  if (left > right)
    std::swap(left, right);
  if (top > bottom)
    std::swap(top, bottom);

  const uint16_t color = ids ? IdentityColor(*ids) : ConvertColor(style.Color, option);
  uint16_t textColor = color;

  // The text's own rectangle, inclusive, inside the clip.
  const int32_t savedL = CL, savedT = CT, savedR = CR, savedB = CB;
  SetClip(std::max(left, CL), std::max(top, CT), std::min(right, CR), std::min(bottom, CB));
  if (style.Option & 0x8000) {
    for (int32_t y = CT; y <= CB; ++y)
      HLine(CL, CR, y, color);
    textColor = ids ? IdentityColor(*ids) : ConvertColor(~style.Color, option);
  }

  std::vector<std::u32string> lines =
    SplitLines(DecodeText(overrideText.empty() ? std::string_view(style.Text) : overrideText));
  if (!(style.Option & 1)) {
    const int64_t limit = static_cast<int64_t>(right) - left + 2;
    std::vector<std::u32string> wrapped;
    for (const std::u32string& line : lines) {
      std::u32string cur;
      int64_t width = 0;
      for (char32_t cp : line) {
        const int32_t adv = r->Advance(cp);
        // Never before the first character of a line, and never before a
        // zero-width character (a mark stays with its base).
        if (!cur.empty() && adv > 0 && width + adv > limit) {
          wrapped.push_back(std::move(cur));
          cur.clear();
          width = 0;
        }
        cur.push_back(cp);
        width += adv;
      }
      wrapped.push_back(std::move(cur));
    }
    lines = std::move(wrapped);
  }

  const int32_t lineHeight = r->LineHeight();
  const int64_t blockHeight = static_cast<int64_t>(lines.size()) * lineHeight;
  const int32_t align = style.Align >= 0 && style.Align <= 8 ? style.Align : 0;
  int64_t y;
  switch (align / 3) {
  case 0:
    y = top;
    break;
  case 1:
    y = (static_cast<int64_t>(top) + bottom - blockHeight + 1) / 2;
    break;
  default:
    y = static_cast<int64_t>(bottom) - blockHeight + 1;
    break;
  }
  const size_t drawn = lines.size() >= 2 && !multiLine ? 1 : lines.size();
  TZmGlyphRun run;
  for (size_t n = 0; n < drawn; ++n, y += lineHeight) {
    // Lines far outside the visible rows are not rendered (glyphs overhang
    // their line by much less than a line height).
    const int64_t margin = 2 * static_cast<int64_t>(lineHeight) + 64;
    if (y - margin > CB || y + lineHeight + margin < CT)
      continue;
    const std::u32string& line = lines[n];
    const int64_t lw = r->RunWidth(line);
    int64_t x;
    switch (align % 3) {
    case 0:
      x = left;
      break;
    case 1:
      x = (static_cast<int64_t>(left) + right - lw + 1) >> 1;
      break;
    default:
      x = static_cast<int64_t>(right) - lw + 1;
      break;
    }
    r->RenderRun(line, run);
    for (int32_t j = 0; j < run.Height; ++j) {
      const int64_t py = y + run.Top + j;
      if (py < CT || py > CB)
        continue;
      for (int32_t i = 0; i < run.Width; ++i) {
        const int64_t px = x + run.Left + i;
        if (px >= CL && px <= CR && run.At(i, j))
          Put(static_cast<int32_t>(px), static_cast<int32_t>(py), textColor);
      }
    }
  }
  CL = savedL;
  CT = savedT;
  CR = savedR;
  CB = savedB;
}
