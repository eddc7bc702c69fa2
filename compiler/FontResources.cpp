#include "compiler/FontResources.h"

#include <algorithm>
#include <cstring>

#include "base/Persistent.h"
#include "compiler/Compiler.h"
#include "graphics/DC.h"
#include "graphics/Text.h"
#include "graphics/TextRaster.h"

namespace {

constexpr size_t kMaxCluster = 16;
constexpr int32_t kCanvas = 256;
const std::u32string kLineBreak = U"\n";

// Clusters of one line: a character that is not a mark with the marks after
// it; marks with no base are dropped.
void Clusters(const std::u32string& line, std::vector<std::u32string>& out)
{
  for (size_t i = 0; i < line.size();) {
    if (IsMarkChar(line[i])) {
      ++i;
      continue;
    }
    size_t j = i + 1;
    while (j < line.size() && j - i < kMaxCluster && IsMarkChar(line[j])) ++j;
    out.push_back(line.substr(i, j - i));
    i = j;
  }
}

std::vector<std::u32string> Lines(const std::u32string& text)
{
  std::vector<std::u32string> lines;
  std::u32string cur;
  for (char32_t c : text) {
    if (c == '\n') {
      lines.push_back(cur);
      cur.clear();
    } else if (c != '\r') {
      cur.push_back(c);
    }
  }
  lines.push_back(cur);
  return lines;
}

bool HasRightToLeft(const std::u32string& s) { return std::any_of(s.begin(), s.end(), IsRightToLeftChar); }

std::string Utf8(const std::u32string& s)
{
  std::string out;
  for (char32_t c : s) AppendUtf8(out, c);
  return out;
}

TZmTextStyle StyleFor(TZmFont* font, const std::u32string& text)
{
  TZmTextStyle style;
  style.Font = TZmFontSpec{font->Font.Name, font->Font.Size, font->Font.Charset, font->Font.Style};
  style.Color = 0;  // black on the white canvas
  style.Align = 0;
  style.Option = 1;  // one line, no wrapping
  style.Text = Utf8(text);
  return style;
}

}  // namespace

std::vector<std::u32string> CutGlyphs(const std::u32string& text, bool& rightToLeft)
{
  std::vector<std::u32string> out;
  rightToLeft = HasRightToLeft(text);
  if (!rightToLeft) {
    Clusters(text, out);
    return out;
  }
  std::vector<std::u32string> lines = Lines(text);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) out.push_back(kLineBreak);
    if (HasRightToLeft(lines[i])) out.push_back(lines[i]);
    else Clusters(lines[i], out);
  }
  return out;
}

TZmResFont* TZmResFonts::Find(TZmFont* font, bool create)
{
  if (!font) return nullptr;
  TZmStream key;
  SerializeObjectTo(font, TZmSerialization::Write, key);
  for (auto& f : Fonts)
    if (f->Key.Size() == key.Size() && std::memcmp(f->Key.Data(), key.Data(), key.Size()) == 0) return f.get();
  if (!create) return nullptr;
  auto f = std::make_unique<TZmResFont>();
  f->Font = font;
  f->Key = std::move(key);
  for (char32_t c = 4; c < 128; ++c) f->Glyphs.push_back(std::u32string(1, c));
  Fonts.push_back(std::move(f));
  return Fonts.back().get();
}

void TZmResFonts::AddText(TZmFont* font, const std::string& text)
{
  TZmResFont* f = Find(font, true);
  if (!f) return;
  bool rtl;
  for (const std::u32string& g : CutGlyphs(DecodeText(text), rtl)) {
    if (g == kLineBreak) continue;
    if (std::find(f->Glyphs.begin(), f->Glyphs.end(), g) == f->Glyphs.end()) f->Glyphs.push_back(g);
  }
}

std::vector<uint16_t> TZmResFonts::GlyphString(TZmFont* font, const std::string& text)
{
  TZmResFont* f = Find(font, false);
  std::vector<uint16_t> out;
  if (!f) return out;
  bool rtl;
  for (const std::u32string& g : CutGlyphs(DecodeText(text), rtl)) {
    if (rtl && g == kLineBreak) {
      out.push_back(10);
      continue;
    }
    auto it = std::find(f->Glyphs.begin(), f->Glyphs.end(), g);
    size_t number = it == f->Glyphs.end() ? 0 : static_cast<size_t>(it - f->Glyphs.begin()) + 4;
    if (number == 0 || number > 0xFFFF) {
      if (!rtl) return {};
      out.push_back(0);  // a missing right-to-left line ends the string
      return out;
    }
    out.push_back(static_cast<uint16_t>(number));
  }
  return out;
}

void TZmResFonts::WriteGlyphString(TZmStream& out, const std::vector<uint16_t>& glyphs)
{
  out.WriteU32(static_cast<uint32_t>(glyphs.size()));
  for (uint16_t g : glyphs) out.WriteU16(g);
  if (glyphs.size() % 2) out.WriteU16(0);
}

size_t TZmResFonts::WriteFontRecord(TZmCompiler& compiler, TZmFont* font)
{
  TZmResFont* f = Find(font, false);
  if (!f) return 0;
  TZmStream& out = compiler.Output();
  out.SeekEnd();
  size_t start = out.Size();
  TZmDC canvas(kCanvas, kCanvas);
  canvas.Text = Rasterizer;
  std::u32string all;
  for (size_t i = 0; i < f->Glyphs.size(); ++i) {
    if (i) all.push_back(',');
    all += f->Glyphs[i];
  }
  out.WriteI32(canvas.MeasureText(StyleFor(font, all), {}).Height);
  out.WriteU32(4);
  out.WriteU32(static_cast<uint32_t>(f->Glyphs.size()));
  size_t slots = out.Size();
  out.WriteZeros(4 * f->Glyphs.size());
  for (size_t i = 0; i < f->Glyphs.size(); ++i) {
    compiler.PatchSlot(slots, i);
    TZmTextStyle style = StyleFor(font, f->Glyphs[i]);
    TZmTextSize size = canvas.MeasureText(style, {});
    canvas.ResetClip();
    canvas.Clear(0xFFFF);
    if (size.Width > 0 && size.Height > 0) canvas.DrawText(0, 0, 0, size.Width - 1, size.Height - 1, style, nullptr, false, {});
    out.WriteI32(size.Width);
    uint32_t word = 0;
    int bits = 0;
    for (int32_t y = 0; y < size.Height; ++y)
      for (int32_t x = 0; x < size.Width; ++x) {
        // Beyond the canvas a glyph is clipped: those pixels stay clear.
        bool black = x < kCanvas && y < kCanvas && canvas.RawPixel(x, y) == 0;
        if (black) word |= 1u << (31 - bits);
        if (++bits == 32) {
          out.WriteU32(word);
          word = 0;
          bits = 0;
        }
      }
    if (bits) out.WriteU32(word);
  }
  return out.Size() - start;
}
