#include "graphics/FontRaster.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_MODULE_H
#include FT_DRIVER_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H
#include <hb-ft.h>
#include <hb.h>
#include <unicode/ubidi.h>
#include <unicode/uchar.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <unordered_map>

#include "graphics/DC.h"

int32_t FontPixelSize(int32_t points)
{
  int64_t p = points < 0 ? -static_cast<int64_t>(points) : points;
  if (p == 0)
    p = 8;
  const int64_t px = (p * 96 + 36) / 72;
  return static_cast<int32_t>(std::min<int64_t>(px, INT32_MAX));
}

const char* CharsetLanguage(uint8_t charset)
{
  switch (charset) {
  case 128: return "ja";
  case 129: return "ko";
  case 134: return "zh-cn";
  case 136: return "zh-tw";
  case 161: return "el";
  case 162: return "tr";
  case 163: return "vi";
  case 177: return "he";
  case 178: return "ar";
  case 186: return "lt";
  case 204: return "ru";
  case 222: return "th";
  case 238: return "pl";
  default: return nullptr;
  }
}

namespace {

struct Glyph {
  int32_t Advance = 0;
  int32_t Left = 0, Top = 0, Width = 0, Height = 0;  // Top relative to the line top
  std::vector<uint8_t> Bits;                          // one byte per pixel
};

struct FaceRef {
  std::string File;
  int Index = 0;
  bool Embolden = false;
  bool HasMatrix = false;
  FT_Matrix Matrix{0x10000, 0, 0, 0x10000};
  FcCharSet* Chars = nullptr;  // owned copy
  FT_Face Face = nullptr;      // opened on first use
  hb_font_t* Hb = nullptr;     // shaping font over Face, made on first use
  bool Failed = false;
};

struct Font {
  int32_t PixelSize = 0;
  std::vector<FaceRef> Faces;  // best match first, then the fallbacks
  int32_t Ascender = 0, Descender = 0;
  int32_t UnderPos = 0, UnderThick = 1, StrikePos = 0, StrikeThick = 1;
  bool Underline = false, StrikeOut = false;
  std::unordered_map<uint64_t, Glyph> ByIndex;          // (face, glyph index) -> glyph
  std::unordered_map<char32_t, const Glyph*> ByChar;  // character -> its glyph
  bool Usable = false;
};

const Glyph NoGlyph{};

bool IsNonSpacing(char32_t cp)
{
  const int8_t t = u_charType(static_cast<UChar32>(cp));
  return t == U_NON_SPACING_MARK || t == U_ENCLOSING_MARK;
}

// Runs that need a shaper: right-to-left letters (joining forms, order)
// or combining marks (attachment). Everything else is laid out one
// character after another, without kerning or ligatures.
bool NeedsShaping(std::u32string_view run)
{
  bool base = false;
  for (char32_t cp : run) {
    if (IsRightToLeftChar(cp) || (base && IsMarkChar(cp)))
      return true;
    base = base || !IsControlChar(cp);
  }
  return false;
}

int32_t Round26(hb_position_t v) { return static_cast<int32_t>((static_cast<int64_t>(v) + 32) >> 6); }

std::string FontKey(const TZmFontSpec& f)
{
  return f.Name + '\x01' + std::to_string(f.Size) + '\x01' + std::to_string(f.Charset) + '\x01' +
         std::to_string(f.Style);
}

}  // namespace

struct TZmFontRasterizer::Impl {
  FT_Library Lib = nullptr;
  // A configuration of our own: matching does not depend on (or disturb)
  // whatever else in the process uses fontconfig, and it is freed with us.
  FcConfig* Config = nullptr;
  std::map<std::string, std::unique_ptr<Font>> Fonts;
  Font* Cur = nullptr;

  ~Impl()
  {
    for (auto& [key, font] : Fonts)
      for (FaceRef& f : font->Faces) {
        if (f.Hb)
          hb_font_destroy(f.Hb);
        if (f.Face)
          FT_Done_Face(f.Face);
        if (f.Chars)
          FcCharSetDestroy(f.Chars);
      }
    if (Lib)
      FT_Done_FreeType(Lib);
    if (Config)
      FcConfigDestroy(Config);
  }

  // Hinting settings that FREETYPE_PROPERTIES could otherwise change.
  void PinProperties()
  {
    FT_UInt interpreter = TT_INTERPRETER_VERSION_35;
    FT_Property_Set(Lib, "truetype", "interpreter-version", &interpreter);
    FT_UInt engine = FT_HINTING_ADOBE;
    FT_Bool noDarkening = 1;
    for (const char* module : {"cff", "type1", "t1cid"}) {
      FT_Property_Set(Lib, module, "hinting-engine", &engine);
      FT_Property_Set(Lib, module, "no-stem-darkening", &noDarkening);
    }
    FT_Property_Set(Lib, "autofitter", "no-stem-darkening", &noDarkening);
  }

  FT_Face Open(FaceRef& ref, int32_t px)
  {
    if (ref.Face || ref.Failed)
      return ref.Face;
    if (FT_New_Face(Lib, ref.File.c_str(), ref.Index, &ref.Face) != 0) {
      ref.Face = nullptr;
      ref.Failed = true;
      return nullptr;
    }
    FT_Error err;
    if (FT_IS_SCALABLE(ref.Face)) {
      err = FT_Set_Pixel_Sizes(ref.Face, 0, static_cast<FT_UInt>(px));
    } else {
      // Bitmap-only face: the strike nearest the wanted height.
      int best = -1;
      for (int i = 0; i < ref.Face->num_fixed_sizes; ++i)
        if (best < 0 || std::abs(ref.Face->available_sizes[i].height - px) <
                          std::abs(ref.Face->available_sizes[best].height - px))
          best = i;
      err = best < 0 ? 1 : FT_Select_Size(ref.Face, best);
    }
    if (err != 0) {
      FT_Done_Face(ref.Face);
      ref.Face = nullptr;
      ref.Failed = true;
    }
    return ref.Face;
  }

  std::unique_ptr<Font> Load(const TZmFontSpec& spec)
  {
    auto font = std::make_unique<Font>();
    font->PixelSize = FontPixelSize(spec.Size);
    if (font->PixelSize > MaxPixelSize)
      return font;  // refused: not usable
    font->Underline = (spec.Style & 4) != 0;
    font->StrikeOut = (spec.Style & 8) != 0;
    FcPattern* pat = FcPatternCreate();
    FcPatternAddString(pat, FC_FAMILY,
                       reinterpret_cast<const FcChar8*>(spec.Name.empty() ? "sans-serif" : spec.Name.c_str()));
    FcPatternAddDouble(pat, FC_PIXEL_SIZE, font->PixelSize);
    FcPatternAddInteger(pat, FC_WEIGHT, (spec.Style & 1) ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pat, FC_SLANT, (spec.Style & 2) ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    if (const char* lang = CharsetLanguage(spec.Charset))
      FcPatternAddString(pat, FC_LANG, reinterpret_cast<const FcChar8*>(lang));
    FcConfigSubstitute(Config, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult result = FcResultNoMatch;
    FcFontSet* set = FcFontSort(Config, pat, FcTrue, nullptr, &result);
    if (set) {
      for (int i = 0; i < set->nfont && font->Faces.size() < 64; ++i) {
        FcPattern* m = FcFontRenderPrepare(Config, pat, set->fonts[i]);
        if (!m)
          continue;
        FaceRef ref;
        FcChar8* file = nullptr;
        if (FcPatternGetString(m, FC_FILE, 0, &file) == FcResultMatch && file) {
          ref.File = reinterpret_cast<const char*>(file);
          int index = 0;
          if (FcPatternGetInteger(m, FC_INDEX, 0, &index) == FcResultMatch)
            ref.Index = index;
          FcBool embolden = FcFalse;
          if (FcPatternGetBool(m, FC_EMBOLDEN, 0, &embolden) == FcResultMatch)
            ref.Embolden = embolden != FcFalse;
          FcMatrix* mx = nullptr;
          if (FcPatternGetMatrix(m, FC_MATRIX, 0, &mx) == FcResultMatch && mx &&
              (mx->xx != 1 || mx->xy != 0 || mx->yx != 0 || mx->yy != 1)) {
            ref.HasMatrix = true;
            ref.Matrix.xx = static_cast<FT_Fixed>(mx->xx * 0x10000);
            ref.Matrix.xy = static_cast<FT_Fixed>(mx->xy * 0x10000);
            ref.Matrix.yx = static_cast<FT_Fixed>(mx->yx * 0x10000);
            ref.Matrix.yy = static_cast<FT_Fixed>(mx->yy * 0x10000);
          }
          FcCharSet* cs = nullptr;
          if (FcPatternGetCharSet(m, FC_CHARSET, 0, &cs) == FcResultMatch && cs)
            ref.Chars = FcCharSetCopy(cs);
          font->Faces.push_back(std::move(ref));
        }
        FcPatternDestroy(m);
      }
      FcFontSetDestroy(set);
    }
    FcPatternDestroy(pat);

    FT_Face main = nullptr;
    for (FaceRef& ref : font->Faces)
      if ((main = Open(ref, font->PixelSize)))
        break;
    if (!main)
      return font;
    const FT_Size_Metrics& sm = main->size->metrics;
    font->Ascender = static_cast<int32_t>((sm.ascender + 32) >> 6);
    font->Descender = static_cast<int32_t>((-sm.descender + 32) >> 6);
    if (FT_IS_SCALABLE(main)) {
      font->UnderPos = static_cast<int32_t>((FT_MulFix(main->underline_position, sm.y_scale) + 32) >> 6);
      font->UnderThick = std::max<int32_t>(1, (FT_MulFix(main->underline_thickness, sm.y_scale) + 32) >> 6);
      auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(main, FT_SFNT_OS2));
      if (os2 && os2->version != 0xFFFF && os2->yStrikeoutSize > 0) {
        font->StrikePos = static_cast<int32_t>((FT_MulFix(os2->yStrikeoutPosition, sm.y_scale) + 32) >> 6);
        font->StrikeThick = std::max<int32_t>(1, (FT_MulFix(os2->yStrikeoutSize, sm.y_scale) + 32) >> 6);
      } else {
        font->StrikePos = font->Ascender / 3;
        font->StrikeThick = font->UnderThick;
      }
    } else {
      font->UnderPos = -1;
      font->StrikePos = font->Ascender / 3;
    }
    font->Usable = true;
    return font;
  }

  // The face that draws cp: the first in the sort list that has it, else
  // the best face with its .notdef (index 0). -1 when no face opens.
  int FaceFor(char32_t cp, FT_UInt& index)
  {
    Font& f = *Cur;
    for (size_t i = 0; i < f.Faces.size(); ++i) {
      FaceRef& ref = f.Faces[i];
      if (ref.Chars && !FcCharSetHasChar(ref.Chars, static_cast<FcChar32>(cp)))
        continue;
      FT_Face face = Open(ref, f.PixelSize);
      if (!face)
        continue;
      index = FT_Get_Char_Index(face, static_cast<FT_ULong>(cp));
      if (index != 0)
        return static_cast<int>(i);
    }
    index = 0;
    for (size_t i = 0; i < f.Faces.size(); ++i)
      if (Open(f.Faces[i], f.PixelSize))
        return static_cast<int>(i);
    return -1;
  }

  const Glyph& Render(int faceIndex, FT_UInt index)
  {
    Font& f = *Cur;
    const uint64_t key = static_cast<uint64_t>(faceIndex) << 32 | index;
    auto it = f.ByIndex.find(key);
    if (it != f.ByIndex.end())
      return it->second;
    Glyph& g = f.ByIndex[key];
    FaceRef& use = f.Faces[static_cast<size_t>(faceIndex)];
    FT_Face face = use.Face;
    FT_Set_Transform(face, use.HasMatrix ? &use.Matrix : nullptr, nullptr);
    if (FT_Load_Glyph(face, index, FT_LOAD_TARGET_MONO) != 0)
      return g;
    if (use.Embolden)
      FT_GlyphSlot_Embolden(face->glyph);
    if (face->glyph->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(face->glyph, FT_RENDER_MODE_MONO) != 0)
      return g;
    const FT_GlyphSlot slot = face->glyph;
    g.Advance = static_cast<int32_t>((slot->advance.x + 32) >> 6);
    const FT_Bitmap& bm = slot->bitmap;
    if (bm.width > 0 && bm.rows > 0 && bm.width <= 4096 && bm.rows <= 4096) {
      g.Left = slot->bitmap_left;
      g.Top = f.Ascender - slot->bitmap_top;
      g.Width = static_cast<int32_t>(bm.width);
      g.Height = static_cast<int32_t>(bm.rows);
      g.Bits.assign(static_cast<size_t>(g.Width) * g.Height, 0);
      const int pitch = std::abs(bm.pitch);
      for (int32_t y = 0; y < g.Height; ++y) {
        const unsigned char* row = bm.buffer + static_cast<ptrdiff_t>(y) * pitch;
        for (int32_t x = 0; x < g.Width; ++x) {
          bool on = false;
          if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
            on = (row[x >> 3] & (0x80 >> (x & 7))) != 0;
          else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY)
            on = row[x] >= 128;
          g.Bits[static_cast<size_t>(y) * g.Width + x] = on ? 1 : 0;
        }
      }
    }
    return g;
  }

  const Glyph& GlyphOf(char32_t cp)
  {
    if (IsControlChar(cp))
      return NoGlyph;
    Font& f = *Cur;
    auto it = f.ByChar.find(cp);
    if (it != f.ByChar.end())
      return *it->second;
    FT_UInt index = 0;
    const int face = FaceFor(cp, index);
    const Glyph* g = face < 0 ? &NoGlyph : &Render(face, index);
    f.ByChar.emplace(cp, g);
    return *g;
  }

  struct Placed {
    const Glyph* G;
    int32_t X, Y;  // Y: shift downward from the glyph's own place
  };

  // A mark with nothing to sit on gets a cell of its own.
  static int32_t PlaceAlone(const Glyph& g, int32_t x, std::vector<Placed>& placed)
  {
    placed.push_back({&g, x - std::min(g.Left, 0), 0});
    return x + std::max(g.Advance, g.Width);
  }

  // One font segment of one direction, shaped; returns the pen advance.
  int32_t Shape(std::u32string_view text, size_t start, size_t len, bool rtl, int faceIndex, int32_t x,
                std::vector<Placed>& placed)
  {
    FaceRef& ref = Cur->Faces[static_cast<size_t>(faceIndex)];
    if (!ref.Hb) {
      ref.Hb = hb_ft_font_create_referenced(ref.Face);
      hb_ft_font_set_load_flags(ref.Hb, FT_LOAD_TARGET_MONO);
    }
    hb_buffer_t* buf = hb_buffer_create();
    hb_buffer_add_utf32(buf, reinterpret_cast<const uint32_t*>(text.data()), static_cast<int>(text.size()),
                        static_cast<unsigned>(start), static_cast<int>(len));
    hb_buffer_set_direction(buf, rtl ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
    hb_buffer_guess_segment_properties(buf);
    // Left-to-right text keeps its plain advances: marks attach, nothing kerns or joins.
    hb_feature_t off[3];
    hb_feature_from_string("-kern", -1, &off[0]);
    hb_feature_from_string("-liga", -1, &off[1]);
    hb_feature_from_string("-clig", -1, &off[2]);
    hb_shape(ref.Hb, buf, rtl ? nullptr : off, rtl ? 0 : 3);
    unsigned n = 0;
    const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buf, &n);
    const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buf, &n);
    const int32_t x0 = x;
    for (unsigned i = 0; i < n && x - x0 < 32767; ++i) {
      const Glyph& g = Render(faceIndex, info[i].codepoint);
      placed.push_back({&g, x + Round26(pos[i].x_offset), -Round26(pos[i].y_offset)});
      x += Round26(pos[i].x_advance);
    }
    hb_buffer_destroy(buf);
    return x - x0;
  }

  int32_t ShapedLayout(std::u32string_view run, int32_t x, std::vector<Placed>& placed)
  {
    std::u16string u16;
    std::vector<size_t> at;  // UTF-16 index -> character index
    for (size_t i = 0; i < run.size(); ++i) {
      char32_t cp = run[i] <= 0x10FFFF ? run[i] : 0xFFFD;
      at.push_back(i);
      if (cp >= 0x10000) {
        u16.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
        at.push_back(i);
        u16.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
      } else {
        u16.push_back(static_cast<char16_t>(cp));
      }
    }
    at.push_back(run.size());
    UErrorCode err = U_ZERO_ERROR;
    UBiDi* bidi = ubidi_open();
    ubidi_setPara(bidi, reinterpret_cast<const UChar*>(u16.data()), static_cast<int32_t>(u16.size()), UBIDI_DEFAULT_LTR,
                  nullptr, &err);
    const int32_t runs = U_SUCCESS(err) ? ubidi_countRuns(bidi, &err) : 0;
    for (int32_t r = 0; r < runs && U_SUCCESS(err); ++r) {
      int32_t ls = 0, ll = 0;
      const bool rtl = ubidi_getVisualRun(bidi, r, &ls, &ll) == UBIDI_RTL;
      const size_t s = at[static_cast<size_t>(ls)], e = at[static_cast<size_t>(ls + ll)];
      // Font segments in logical order; marks and controls stay with their base.
      struct Seg {
        size_t Start, Len;
        int Face;
      };
      std::vector<Seg> segs;
      for (size_t i = s; i < e; ++i) {
        FT_UInt index = 0;
        // A mark stays in its base's face when that face has it.
        const bool follows =
          !segs.empty() && (IsControlChar(run[i]) ||
                            (IsMarkChar(run[i]) && FT_Get_Char_Index(Cur->Faces[static_cast<size_t>(segs.back().Face)].Face,
                                                                     static_cast<FT_ULong>(run[i])) != 0));
        const int face = follows ? segs.back().Face : FaceFor(run[i], index);
        if (face < 0)
          continue;
        if (!segs.empty() && segs.back().Face == face && segs.back().Start + segs.back().Len == i)
          ++segs.back().Len;
        else
          segs.push_back({i, 1, face});
      }
      if (rtl)
        std::reverse(segs.begin(), segs.end());
      for (const Seg& seg : segs) {
        x += Shape(run, seg.Start, seg.Len, rtl, seg.Face, x, placed);
        if (x > 32767)
          break;
      }
    }
    ubidi_close(bidi);
    return x;
  }

  int32_t Layout(std::u32string_view run, std::vector<Placed>& placed)
  {
    placed.clear();
    int32_t x = 0;
    size_t i = 0;
    // Leading marks have no base.
    for (; i < run.size() && (IsControlChar(run[i]) || IsNonSpacing(run[i])); ++i)
      if (!IsControlChar(run[i]))
        x = PlaceAlone(GlyphOf(run[i]), x, placed);
    run = run.substr(i);
    if (NeedsShaping(run))
      return std::min(ShapedLayout(run, x, placed), 32767);
    for (char32_t cp : run) {
      if (IsControlChar(cp))
        continue;
      const Glyph& g = GlyphOf(cp);
      placed.push_back({&g, x, 0});
      x += g.Advance;
      if (x > 32767)
        return 32767;  // runs wider than any surface are cut
    }
    return x;
  }
};

TZmFontRasterizer::TZmFontRasterizer() : P(std::make_unique<Impl>())
{
  if (FT_Init_FreeType(&P->Lib) != 0) {
    P->Lib = nullptr;
    return;
  }
  P->PinProperties();
  P->Config = FcInitLoadConfigAndFonts();
  if (!P->Config) {
    FT_Done_FreeType(P->Lib);
    P->Lib = nullptr;
  }
}

TZmFontRasterizer::~TZmFontRasterizer() = default;

bool TZmFontRasterizer::Ready() const { return P->Lib != nullptr; }

bool TZmFontRasterizer::SelectFont(const TZmFontSpec& font)
{
  P->Cur = nullptr;
  if (!P->Lib)
    return false;
  const std::string key = FontKey(font);
  auto it = P->Fonts.find(key);
  if (it == P->Fonts.end())
    it = P->Fonts.emplace(key, P->Load(font)).first;
  if (!it->second->Usable)
    return false;
  P->Cur = it->second.get();
  return true;
}

int32_t TZmFontRasterizer::LineHeight() { return P->Cur ? P->Cur->Ascender + P->Cur->Descender : 0; }

int32_t TZmFontRasterizer::Advance(char32_t cp)
{
  if (!P->Cur || IsControlChar(cp))
    return 0;
  return P->GlyphOf(cp).Advance;
}

int32_t TZmFontRasterizer::RunWidth(std::u32string_view run)
{
  if (!P->Cur)
    return 0;
  std::vector<Impl::Placed> placed;
  return P->Layout(run, placed);
}

void TZmFontRasterizer::RenderRun(std::u32string_view run, TZmGlyphRun& out)
{
  out = TZmGlyphRun{};
  if (!P->Cur)
    return;
  const Font& f = *P->Cur;
  std::vector<Impl::Placed> placed;
  const int32_t width = P->Layout(run, placed);
  // Bounding box of the line box and every glyph's pixels.
  int32_t x0 = 0, y0 = 0, x1 = width, y1 = f.Ascender + f.Descender;
  for (const Impl::Placed& p : placed) {
    if (p.G->Width == 0)
      continue;
    x0 = std::min(x0, p.X + p.G->Left);
    y0 = std::min(y0, p.Y + p.G->Top);
    x1 = std::max(x1, p.X + p.G->Left + p.G->Width);
    y1 = std::max(y1, p.Y + p.G->Top + p.G->Height);
  }
  out.Left = x0;
  out.Top = y0;
  out.Width = x1 - x0;
  out.Height = y1 - y0;
  out.Mask.assign(static_cast<size_t>(out.Width) * out.Height, 0);
  for (const Impl::Placed& p : placed)
    for (int32_t j = 0; j < p.G->Height; ++j)
      for (int32_t i = 0; i < p.G->Width; ++i)
        if (p.G->Bits[static_cast<size_t>(j) * p.G->Width + i])
          out.Mask[static_cast<size_t>(p.Y + p.G->Top + j - y0) * out.Width + (p.X + p.G->Left + i - x0)] = 1;
  auto rule = [&](int32_t top, int32_t thick) {
    for (int32_t j = top; j < top + thick; ++j)
      if (j >= y0 && j < y1)
        for (int32_t i = 0; i < width; ++i)
          out.Mask[static_cast<size_t>(j - y0) * out.Width + (i - x0)] = 1;
  };
  // Positions are baseline-relative, upward positive.
  if (f.Underline)
    rule(f.Ascender - f.UnderPos - f.UnderThick / 2, f.UnderThick);
  if (f.StrikeOut)
    rule(f.Ascender - f.StrikePos, f.StrikeThick);
}

std::string TZmFontRasterizer::FaceFileFor(char32_t cp)
{
  if (!P->Cur)
    return {};
  for (FaceRef& ref : P->Cur->Faces) {
    if (ref.Chars && !FcCharSetHasChar(ref.Chars, static_cast<FcChar32>(cp)))
      continue;
    FT_Face face = P->Open(ref, P->Cur->PixelSize);
    if (face && FT_Get_Char_Index(face, static_cast<FT_ULong>(cp)) != 0)
      return ref.File;
  }
  return {};
}

TZmTextRasterizer* DefaultTextRasterizer()
{
  static TZmFontRasterizer instance;
  return instance.Ready() ? &instance : nullptr;
}
