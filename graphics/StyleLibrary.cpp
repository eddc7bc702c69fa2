#include "graphics/StyleLibrary.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "base/Texts.h"
#include "graphics/Bevel.h"
#include "graphics/DC.h"
#include "graphics/Pen.h"
#include "graphics/StyleTables.h"

void TZmBevelScripts::Serialize(TZmSerialization& s)
{
  SerializeTag7(s, "ID", ID);
}

const TZmBevelScript* TZmBevelScripts::Script(int32_t index) const
{
  return index >= 0 && static_cast<size_t>(index) < Scripts.size() ? Scripts[static_cast<size_t>(index)].get()
                                                                    : nullptr;
}

TZmBevelScript* TZmBevelScripts::Add(std::vector<uint8_t> words)
{
  Scripts.push_back(std::make_unique<TZmBevelScript>());
  Scripts.back()->List = this;
  Scripts.back()->Script = std::move(words);
  return Scripts.back().get();
}

std::string TZmBevelScripts::Name() const { return GetText(NameText); }

std::string TZmBevelScriptGroup::Name() const { return GetText(NameText); }

TZmBevelScripts* TZmBevelScriptGroup::Item(int32_t i) const
{
  return i >= 0 && static_cast<size_t>(i) < Lists.size() ? Lists[static_cast<size_t>(i)].get() : nullptr;
}

TZmBevelScripts* TZmBevelScriptGroup::Add(int32_t id, int32_t nameText)
{
  Lists.push_back(std::make_unique<TZmBevelScripts>());
  TZmBevelScripts* l = Lists.back().get();
  l->Group = this;
  l->ID = id;
  l->NameText = nameText;
  return l;
}

namespace {

// Operand bases of the script language.
enum : uint16_t { bAbs = 0, bL = 8, bR = 9, bT = 10, bB = 11 };

struct Operand {
  uint16_t Base;
  int16_t Offset;
};

Operand L(int n = 0) { return {bL, static_cast<int16_t>(n)}; }
Operand T(int n = 0) { return {bT, static_cast<int16_t>(n)}; }
Operand R(int n = 0) { return {bR, static_cast<int16_t>(n)}; }
Operand B(int n = 0) { return {bB, static_cast<int16_t>(n)}; }
Operand Abs(int n) { return {bAbs, static_cast<int16_t>(n)}; }

enum : uint16_t {
  opPixel = 0x0200,
  opLine = 0x0400,
  opFillRect = 0x7000,
  opMinSize = 0x7200,
  opFillArea = 0x7400,
  opArea = 0x7401,
  opPenWidth = 0x8100,
  opInColor = 0x8800,
  opOutColor = 0x8801,
};

struct Builder {
  std::vector<uint16_t> W;
  void Op(uint16_t op, std::initializer_list<Operand> operands)
  {
    W.push_back(op);
    for (const Operand& o : operands) {
      W.push_back(o.Base);
      W.push_back(static_cast<uint16_t>(o.Offset));
    }
  }
  void Line(Operand a, Operand b, Operand c, Operand d) { Op(opLine, {a, b, c, d}); }
  void Pixel(Operand a, Operand b) { Op(opPixel, {a, b}); }
  void Word(uint16_t w) { W.push_back(w); }
  void Begin(int minW, int minH, int d)
  {
    Word(opFillRect);
    Op(opMinSize, {Abs(minW), Abs(minH)});
    Op(opFillArea, {L(d), T(d), R(-d), B(-d)});
    Op(opArea, {L(d), T(d), R(-d), B(-d)});
    Word(opOutColor);
    Word(opPenWidth | 1);
  }
};

// Scripts 4..7: one outer ring and an inner ring at distance j with the
// colours swapped (a raised edge around a sunken area).
void DoubleRing(Builder& s, int j)
{
  s.Line(L(), T(), L(), B(-1));
  s.Line(L(1), T(), R(-1), T());
  s.Line(L(j), B(-j), R(-j), B(-j));
  s.Line(R(-j), T(j), R(-j), B(-j - 1));
  s.Word(opInColor);
  s.Line(L(), B(), R(), B());
  s.Line(R(), T(), R(), B(-1));
  s.Line(L(j), T(j), L(j), B(-j - 1));
  s.Line(L(j + 1), T(j), R(-j - 1), T(j));
}

// Scripts 11..14: the rounded variant of the above.
void RoundedDoubleRing(Builder& s, int j)
{
  s.Line(L(), T(2), L(), B(-2));
  s.Line(L(2), T(), R(-2), T());
  s.Pixel(L(1), T(1));
  s.Pixel(R(-1), T(1));
  s.Pixel(L(1), B(-1));
  s.Line(L(j + 2), B(-j), R(-j - 2), B(-j));
  s.Line(R(-j), T(j + 2), R(-j), B(-j - 2));
  s.Pixel(R(-j - 1), B(-j - 1));
  s.Word(opInColor);
  s.Line(L(j), T(j + 2), L(j), B(-j - 2));
  s.Line(L(j + 2), T(j), R(-j - 2), T(j));
  s.Pixel(L(j + 1), T(j + 1));
  s.Pixel(R(-j - 1), T(j + 1));
  s.Pixel(L(j + 1), B(-j - 1));
  s.Line(L(2), B(), R(-2), B());
  s.Line(R(), T(2), R(), B(-2));
  s.Pixel(R(-1), B(-1));
}

}  // namespace

std::vector<uint16_t> BuiltInBevelWords(int32_t k)
{
  Builder s;
  switch (k) {
  case 0:
    s.Word(opFillRect);
    break;
  case 1:
    s.Begin(6, 6, 1);
    s.Line(L(), T(), L(), B(-1));
    s.Line(L(1), T(), R(-1), T());
    s.Word(opInColor);
    s.Line(L(), B(), R(), B());
    s.Line(R(), T(), R(), B(-1));
    break;
  case 2:
  case 3:
    s.Begin(6, 6, k);
    s.Line(L(), T(), L(), B(-1));
    s.Line(L(1), T(1), L(1), B(-2));
    s.Line(L(1), T(), R(-1), T());
    s.Line(L(2), T(1), R(-2), T(1));
    if (k == 3) {
      s.Line(L(2), T(2), L(2), B(-3));
      s.Line(L(3), T(2), R(-3), T(2));
    }
    s.Word(opInColor);
    s.Line(L(), B(), R(), B());
    s.Line(L(1), B(-1), R(-1), B(-1));
    s.Line(R(), T(), R(), B(-1));
    s.Line(R(-1), T(1), R(-1), B(-2));
    if (k == 3) {
      s.Line(L(2), B(-2), R(-2), B(-2));
      s.Line(R(-2), T(2), R(-2), B(-3));
    }
    break;
  case 4:
  case 5:
  case 6:
  case 7:
    s.Begin(k == 7 ? 10 : 6, k == 7 ? 10 : 6, k - 2);
    DoubleRing(s, k - 3);
    break;
  case 8:
    s.Begin(6, 6, 1);
    s.Line(L(), T(2), L(), B(-2));
    s.Line(L(2), T(), R(-2), T());
    s.Pixel(L(1), T(1));
    s.Pixel(R(-1), T(1));
    s.Pixel(L(1), B(-1));
    s.Word(opInColor);
    s.Line(L(2), B(), R(-2), B());
    s.Line(R(), T(2), R(), B(-2));
    s.Pixel(R(-1), B(-1));
    break;
  case 9:
    s.Begin(6, 6, 2);
    s.Line(L(), T(2), L(), B(-2));
    s.Line(L(1), T(1), L(1), B(-1));
    s.Line(L(2), T(), R(-2), T());
    s.Line(L(2), T(1), R(-1), T(1));
    s.Pixel(L(2), T(2));
    s.Pixel(L(2), B(-2));
    s.Pixel(R(-2), T(2));
    s.Word(opInColor);
    s.Line(L(2), B(), R(-2), B());
    s.Line(L(2), B(-1), R(-1), B(-1));
    s.Line(R(), T(2), R(), B(-2));
    s.Line(R(-1), T(2), R(-1), B(-2));
    s.Pixel(R(-2), B(-2));
    break;
  case 10:
    s.Begin(6, 6, 3);
    s.Line(L(), T(2), L(), B(-2));
    s.Line(L(1), T(1), L(1), B(-1));
    s.Line(L(2), T(2), L(2), B(-2));
    s.Line(L(2), T(), R(-2), T());
    s.Line(L(2), T(1), R(-1), T(1));
    s.Line(L(3), T(2), R(-2), T(2));
    s.Pixel(L(3), T(3));
    s.Pixel(L(3), B(-3));
    s.Pixel(R(-3), T(3));
    s.Word(opInColor);
    s.Line(L(2), B(), R(-2), B());
    s.Line(L(2), B(-1), R(-1), B(-1));
    s.Line(L(3), B(-2), R(-2), B(-2));
    s.Line(R(), T(2), R(), B(-2));
    s.Line(R(-1), T(2), R(-1), B(-2));
    s.Line(R(-2), T(3), R(-2), B(-3));
    s.Pixel(R(-3), B(-3));
    break;
  case 11:
  case 12:
  case 13:
  case 14: {
    static const int d[] = {3, 4, 5, 7}, j[] = {1, 2, 3, 5};
    s.Begin(6, 6, d[k - 11]);
    RoundedDoubleRing(s, j[k - 11]);
    break;
  }
  default:
    break;
  }
  return s.W;
}

TZmBevelScripts* TZmGraphicsDB::BevelScripts(int32_t id) const
{
  for (size_t g = 0; g < BevelScriptGroups.Count(); ++g) {
    const TZmBevelScriptGroup* group = BevelScriptGroups.Item(static_cast<int32_t>(g));
    for (size_t i = 0; i < group->Count(); ++i)
      if (group->Item(static_cast<int32_t>(i))->ID == id) return group->Item(static_cast<int32_t>(i));
  }
  return nullptr;
}

TZmGraphicsDB::TZmGraphicsDB()
{
  for (int32_t i = 0; i < PenStyleCount; ++i) {
    TZmPenStyle* p = PenStyles.Add();
    p->List = &PenStyles;
    p->Name = PenStyleNames[i];
    p->Mask = PenStyleMasks[i];
  }
  for (int32_t i = 0; i < BrushStyleCount; ++i) {
    TZmBrushStyle* b = BrushStyles.Add();
    b->List = &BrushStyles;
    b->Name = BrushStyleNames[i];
    std::memcpy(b->Pattern, BrushStylePatterns[i], 8);
  }
  for (int32_t i = 0; i < PointStyleCount; ++i) {
    TZmPointStyle* p = PointStyles.Add();
    p->List = &PointStyles;
    std::memcpy(p->Marker, PointStyleMarkers[i], 8);
  }
  TZmBevelScriptGroup* group = BevelScriptGroups.Add();
  group->List = &BevelScriptGroups;
  group->ID = kBevelGroupID;
  group->NameText = 1380;
  for (int32_t k = 0; k < kBevelCount; ++k) {
    std::vector<uint16_t> words = BuiltInBevelWords(k);
    std::vector<uint8_t> bytes(words.size() * 2);
    for (size_t i = 0; i < words.size(); ++i) PutU16(&bytes[2 * i], words[i]);
    group->Add(kBevelGroupID + k, 1300 + k)->Add(std::move(bytes));
  }
}

const TZmGraphicsDB& TZmGraphicsDB::Global()
{
  static const TZmGraphicsDB db;
  return db;
}

namespace {

class ScriptRunner {
public:
  ScriptRunner(std::span<const uint8_t> script, TZmDC& dc, const TZmBevelInf& bevel, const TZmIdentitySource* ids,
               int32_t option, int32_t l, int32_t t, int32_t r, int32_t b)
      : Script(script), DC(dc), Bevel(bevel), Ids(ids), Option(option), Lf(l), Tp(t), Rt(r), Bt(b)
  {
  }

  TZmClientRect Run();

private:
  bool Next(uint16_t& w)
  {
    if (Pos + 2 > Script.size()) return false;
    w = GetU16(&Script[Pos]);
    Pos += 2;
    return true;
  }
  // Reads n operands; false when the script ends before all are read.
  bool Operands(int n)
  {
    for (int i = 0; i < n; ++i) {
      uint16_t base, offset;
      if (!Next(base) || !Next(offset)) return false;
      // 64-bit sums, then the low 16 bits as a signed value: no overflow for
      // any rectangle.
      P[i] = static_cast<int16_t>(static_cast<uint16_t>(Base(base) + static_cast<int16_t>(offset)));
    }
    return true;
  }
  int64_t Base(uint16_t selector) const
  {
    const int64_t Lf = this->Lf, Tp = this->Tp, Rt = this->Rt, Bt = this->Bt;
    switch (selector) {
    case 4: return (Lf + Rt) / 2;
    case 5: return (Tp + Bt) / 2;
    case 8: return Lf;
    case 9: return Rt;
    case 10: return Tp;
    case 11: return Bt;
    case 12: return 2 * Lf - Rt;
    case 13: return 2 * Rt - Lf;
    case 14: return 2 * Tp - Bt;
    case 15: return 2 * Bt - Tp;
    default: return 0;
    }
  }
  uint32_t Colour(uint16_t c) const;
  void Fill(bool ellipse);
  TZmClientRect End() const
  {
    auto at = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    const int64_t s = Bevel.Space;
    return {at(Area[0] + s), at(Area[1] + s), at(Area[2] - s), at(Area[3] - s)};
  }

  std::span<const uint8_t> Script;
  size_t Pos = 0;
  TZmDC& DC;
  const TZmBevelInf& Bevel;
  const TZmIdentitySource* Ids;
  int32_t Option;
  int32_t Lf, Tp, Rt, Bt;
  int32_t Area[4] = {};
  int32_t P[6] = {};
};

uint32_t ScriptRunner::Colour(uint16_t c) const
{
  if (Ids) return IdentityColor(*Ids);
  if (!(c & 0x800)) return c & 0xFF;
  switch (c & 0x8FF) {
  case 0x800: return DC.ConvertColor(Bevel.InColor, Option);
  case 0x801: return DC.ConvertColor(Bevel.OutColor, Option);
  case 0x802: return Bevel.Brush ? DC.ConvertColor(Bevel.Brush->Color, Option) : 0;
  case 0x803: return DC.ConvertColor(static_cast<uint32_t>(DC.Colors.WhiteIndex), Option);
  case 0x804: return DC.ConvertColor(static_cast<uint32_t>(DC.Colors.GrayIndex), Option);
  case 0x805: return DC.ConvertColor(static_cast<uint32_t>(DC.Colors.BlackIndex), Option);
  default: return 0;
  }
}

void ScriptRunner::Fill(bool ellipse)
{
  if (!Bevel.Brush || Bevel.Brush->StyleIndex == 0) return;
  DC.Pen.Width = 0;
  Bevel.Brush->Select(DC, Ids, Option);
  if (ellipse) DC.Ellipse(Area[0], Area[1], Area[2], Area[3]);
  else DC.Rectangle(Area[0], Area[1], Area[2], Area[3]);
}

TZmClientRect ScriptRunner::Run()
{
  DC.Pen.Width = 1;
  DC.Pen.StyleIndex = 1;
  Area[0] = Lf;
  Area[1] = Tp;
  Area[2] = Rt;
  Area[3] = Bt;
  uint16_t w;
  while (Next(w)) {
    const uint16_t pen = static_cast<uint16_t>(DC.Pen.Color);
    if (w < 0x1000) {
      switch (w) {
      case 0x0200:
        if (!Operands(2)) return End();
        DC.SetPixel(P[0], P[1], pen);
        break;
      case 0x0300:
        if (!Operands(3)) return End();
        DC.HLine(P[0], P[1], P[2], pen);
        break;
      case 0x0301:
        if (!Operands(3)) return End();
        DC.VLine(P[0], P[1], P[2], pen);
        break;
      case 0x0302:
        if (!Operands(3)) return End();
        DC.FillSpan(P[0], P[1], P[2]);
        break;
      case 0x0400:
        if (!Operands(4)) return End();
        DC.Line(P[0], P[1], P[2], P[3]);
        break;
      case 0x0401:
        if (!Operands(4)) return End();
        DC.Rectangle(P[0], P[1], P[2], P[3]);
        break;
      case 0x0402:
        if (!Operands(4)) return End();
        DC.Ellipse(P[0], P[1], P[2], P[3]);
        break;
      case 0x0600:
        if (!Operands(6)) return End();
        DC.RoundRect(P[0], P[1], P[2], P[3], P[4], P[5]);
        break;
      case 0x0601:
      case 0x0602:
      case 0x0603:
        if (!Operands(6)) return End();
        DC.Arc(P[0], P[1], P[2], P[3], P[4], P[5]);
        break;
      default:
        break;
      }
    } else if ((w & 0xF000) == 0x7000) {
      switch (w) {
      case 0x7000: Fill(false); break;
      case 0x7001: Fill(true); break;
      case 0x7200:
        if (!Operands(2)) return End();
        if (int64_t(Rt) - Lf < P[0] || int64_t(Bt) - Tp < P[1]) return {};
        break;
      case 0x7400:
        if (!Operands(4)) return End();
        for (int i = 0; i < 4; ++i) Area[i] = P[i];
        break;
      case 0x7401:
        if (!Operands(4)) return End();
        break;
      default:
        break;
      }
    } else if ((w & 0xF000) == 0x8000) {
      const int32_t n = w & 0xFF;
      switch (w & 0x8700) {
      case 0x8000: DC.Pen.Color = Colour(w & 0x8FF); break;
      case 0x8100: DC.Pen.Width = n; break;
      case 0x8200: DC.Pen.StyleIndex = n; break;
      case 0x8300: DC.Pen.Mode = n; break;
      default: break;
      }
    } else if ((w & 0xF000) == 0x9000) {
      switch (w & 0x9700) {
      case 0x9000: DC.Brush.Color = Colour(w & 0x8FF); break;
      case 0x9100: DC.Brush.StyleIndex = w & 0xFF; break;
      default: break;
      }
    }
  }
  return End();
}

}  // namespace

TZmClientRect RunBevelScript(std::span<const uint8_t> script, TZmDC& dc, const TZmBevelInf& bevel,
                             const TZmIdentitySource* ids, int32_t colorOption, int32_t left, int32_t top,
                             int32_t right, int32_t bottom)
{
  return ScriptRunner(script, dc, bevel, ids, colorOption, left, top, right, bottom).Run();
}
