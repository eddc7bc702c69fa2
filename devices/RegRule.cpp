#include "devices/RegRule.h"

#include <algorithm>
#include <cstdio>

#include "base/Utf.h"

namespace {

// Accumulators saturate here, far beyond any valid register number, so long
// digit runs fail the range check instead of wrapping into it.
constexpr int64_t kSaturated = int64_t(1) << 40;

int64_t Accumulate(int64_t v, int64_t base, int64_t digit)
{
  v = v * base + digit;
  return v > kSaturated ? kSaturated : v;
}

int DigitValue(char c, int32_t radix)
{
  int d = -1;
  if (c >= '0' && c <= '9') d = c - '0';
  else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
  switch (radix) {
    case radixBinary: return d >= 0 && d < 2 ? d : -1;
    case radixOctal: return d >= 0 && d < 8 ? d : -1;
    case radixHex: return d;
    default: return d >= 0 && d < 10 ? d : -1;
  }
}

int32_t Clamp32(int64_t v) { return v > INT32_MAX ? INT32_MAX : static_cast<int32_t>(v); }

bool ParseBound64(std::string_view t, int32_t radix, int64_t& value)
{
  if (t.empty() || radix == radixNone || radix < 0 || radix > radixWordDotOctalBit) return false;
  int64_t v = 0;
  if (radix == radixDecHexBit) {
    for (size_t i = 0; i + 1 < t.size(); ++i) {
      int d = DigitValue(t[i], radixDecimal);
      if (d < 0) return false;
      v = Accumulate(v, 10, d);
    }
    int last = DigitValue(t.back(), radixHex);
    if (last < 0) return false;
    value = Accumulate(v, 16, last);
    return true;
  }
  int32_t digits = (radix == radixWordDotBit || radix == radixWordDotOctalBit) ? radixDecimal : radix;
  int64_t base = digits == radixBinary ? 2 : digits == radixOctal ? 8 : digits == radixHex ? 16 : 10;
  for (char c : t) {
    int d = DigitValue(c, digits);
    if (d < 0) return false;
    v = Accumulate(v, base, d);
  }
  value = v;
  return true;
}

std::string EscapePercent(const std::string& s)
{
  std::string out;
  for (char c : s) {
    out.push_back(c);
    if (c == '%') out.push_back('%');
  }
  return out;
}

std::string Digits(uint64_t v, int base, int width, bool upper)
{
  const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string s;
  do {
    s.push_back(set[v % base]);
    v /= base;
  } while (v);
  while (static_cast<int>(s.size()) < width) s.push_back('0');
  std::reverse(s.begin(), s.end());
  return s;
}

}  // namespace

TZmRegRule* TZmRegRule::Create(TZmRegRules* owner, const std::string& text)
{
  auto* r = new TZmRegRule();
  r->Owner = owner;
  if (owner && std::find(owner->Items.begin(), owner->Items.end(), r) == owner->Items.end()) owner->Items.push_back(r);
  r->ParseFormat(text);
  return r;
}

TZmRegRule::~TZmRegRule()
{
  if (Owner) {
    auto& v = Owner->Items;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
  }
}

TZmRegRules::~TZmRegRules() { Clear(); }

void TZmRegRules::Clear()
{
  while (!Items.empty()) delete Items.back();
}

bool TZmRegRule::ParseBound(std::string_view text, int32_t radix, int32_t& value)
{
  int64_t v;
  if (!ParseBound64(text, radix, v)) return false;
  value = Clamp32(v);
  return true;
}

bool TZmRegRule::ParseFormat(const std::string& full)
{
  Prefix.clear();
  Suffix.clear();
  DisplayFormat.clear();
  Format.clear();
  Description.clear();
  Mask.clear();
  BlockSize = 1;
  Kind = 0;
  Radix = radixDecimal;
  Width = 0;
  Max = Min = 0;
  Group = 0;
  Step = 1;
  Value = 0;
  std::string_view t(full);
  if (t.size() > 1024) t = t.substr(0, 1024);
  if (t.empty() || t == "0") return false;

  struct KindLetter {
    char letter;
    int32_t kind, group, block;
  };
  static const KindLetter kinds[] = {
      {'0', kindBit, 0, 1},   {'3', kindByte, 0, 1},  {'4', kindWord, 0, 1}, {'5', kindDWord, 0, 1},
      {'B', kindBit, 0, 8},   {'W', kindBit, 0, 16},  {'g', kindBit, 1, 1},  {'F', kindWord, 0, 4},
      {'Q', kindWord, 0, 8},  {'G', kindWord, 1, 1},  {'P', kindWord2, 0, 1}, {'r', kindDWord, 0, 4},
      {'q', kindDWord, 0, 8}, {'n', kindDWord, 0, 9},
  };
  size_t p = 0;
  const KindLetter* k = nullptr;
  for (const auto& kl : kinds)
    if (kl.letter == t[0]) k = &kl;
  if (!k) return false;
  Kind = k->kind;
  Group = k->group;
  BlockSize = k->block;
  p = 1;
  if (p < t.size() && t[p] >= '0' && t[p] <= '9') Width = t[p++] - '0';

  // A quoted text; "" inside stands for one quote. False when unterminated.
  auto quoted = [&](std::string& out) {
    if (p >= t.size() || t[p] != '"') return false;
    ++p;
    while (p < t.size()) {
      if (t[p] == '"') {
        if (p + 1 < t.size() && t[p + 1] == '"') {
          out.push_back('"');
          p += 2;
          continue;
        }
        ++p;
        return true;
      }
      out.push_back(t[p++]);
    }
    return false;
  };
  if (!quoted(Prefix)) return false;

  std::string maxText;
  if (p >= t.size()) {
    Radix = radixNone;
  } else {
    static const char radixLetters[] = "bodx?met";
    const char* r = std::char_traits<char>::find(radixLetters, 8, t[p]);
    if (!r || *r == '?') return false;
    Radix = static_cast<int32_t>(r - radixLetters);
    ++p;
    if (p >= t.size()) return false;
    size_t dash = t.find('-', p);
    std::string_view minText = t.substr(p, dash == std::string_view::npos ? std::string_view::npos : dash - p);
    p = dash == std::string_view::npos ? t.size() : dash + 1;
    size_t stop = t.find_first_of("%\"", p);
    maxText = std::string(t.substr(p, stop == std::string_view::npos ? std::string_view::npos : stop - p));
    p = stop == std::string_view::npos ? t.size() : stop;
    ParseBound(minText, Radix, Min);
    ParseBound(maxText, Radix, Max);
    if (Width == 0 && minText.size() == maxText.size()) Width = static_cast<int32_t>(minText.size());
    if (p < t.size() && t[p] == '%') {
      ++p;
      int64_t step = 0;
      bool any = false;
      while (p < t.size() && t[p] != '"') {
        if (t[p] < '0' || t[p] > '9') return false;
        step = Accumulate(step, 10, t[p++] - '0');
        any = true;
      }
      // A step of 0 would divide by zero when matching and loop forever when enumerating.
      if (!any || step <= 0 || step > INT32_MAX) return false;
      Step = static_cast<int32_t>(step);
    }
    if (p < t.size()) {
      if (!quoted(Suffix) || p != t.size()) return false;
    }
  }

  int32_t w = Width;
  int32_t n = w > 0 ? w : static_cast<int32_t>(maxText.size());
  std::string pre = EscapePercent(Prefix), suf = EscapePercent(Suffix);
  auto wordSpec = [&](int digits) { return digits > 0 ? "%0" + std::to_string(digits) + "d" : std::string("%d"); };
  switch (Radix) {
    case radixOctal:
      DisplayFormat = pre + (w > 0 ? "%0" + std::to_string(w) + "o" : "%o") + suf;
      Mask = Prefix + std::string(n, 'o') + Suffix;
      break;
    case radixDecimal:
      DisplayFormat = pre + (w > 0 ? "%0" + std::to_string(w) + "d" : "%d") + suf;
      Mask = Prefix + std::string(n, 'n') + Suffix;
      break;
    case radixBinary:
    case radixHex:
      DisplayFormat = pre + (w > 0 ? "%0" + std::to_string(w) + "x" : "%X") + suf;
      Mask = Prefix + std::string(n, 'x') + Suffix;
      break;
    case radixDecHexBit:
      DisplayFormat = pre + (w > 0 ? wordSpec(w - 1) + "%x" : "%d%X") + suf;
      Mask = Prefix + (n > 0 ? std::string(n - 1, 'n') + "x" : std::string()) + Suffix;
      break;
    case radixWordDotBit:
    case radixWordDotOctalBit: {
      DisplayFormat = pre + (w > 0 ? wordSpec(w - 1) + ".%d" : "%d.%d") + suf;
      int32_t kk = std::max(n, 3);
      std::string m(kk + 1, 'n');
      m[kk - 2] = '.';
      Mask = Prefix + m + Suffix;
      break;
    }
    default:
      DisplayFormat = pre;
      Mask = Prefix;
  }
  Format = full;
  return true;
}

bool TZmRegRule::Match(std::string_view a, int32_t dataType, int32_t& count, int32_t acceptedKinds)
{
  if (!(Kind & acceptedKinds) || count < 1) return false;
  int64_t c = count;
  int64_t regs;
  auto half = [](int64_t x) { return (x + 1) / 2; };
  int32_t kind = Kind == kindWord2 ? kindWord : Kind;
  int width = dataType == 0 ? 1 : (dataType <= 2 ? 8 : (dataType <= 4 ? 16 : (dataType <= 6 ? 32 : 0)));
  if (width == 0) return false;
  switch (kind) {
    case kindBit: regs = c * width; break;
    case kindByte: regs = width == 1 ? (c - 1) / 8 + 1 : c * width / 8; break;
    case kindWord: regs = width == 1 ? (c - 1) / 16 + 1 : width == 8 ? half(c) : c * width / 16; break;
    case kindDWord: regs = width == 1 ? (c - 1) / 32 + 1 : width == 8 ? (c - 1) / 4 + 1 : width == 16 ? half(c) : c; break;
    default: return false;
  }
  if (a.empty() || a.size() < Prefix.size() || !EqualsNoCase(a.substr(0, Prefix.size()), Prefix)) return false;
  size_t p = Prefix.size();
  int64_t v = 0;
  if (Radix == radixWordDotBit || Radix == radixWordDotOctalBit) {
    int64_t word = 0, bit = 0;
    bool inBit = false;
    int32_t bitRadix = Radix == radixWordDotBit ? radixDecimal : radixOctal;
    while (p < a.size()) {
      if (!inBit && a[p] == '.') {
        inBit = true;
        ++p;
        continue;
      }
      int d = DigitValue(a[p], inBit ? bitRadix : radixDecimal);
      if (d < 0) break;
      if (inBit) bit = Accumulate(bit, bitRadix == radixDecimal ? 10 : 8, d);
      else word = Accumulate(word, 10, d);
      ++p;
    }
    int64_t bits = Radix == radixWordDotBit ? 16 : 8;
    if (bit >= bits) return false;
    v = std::min(word * bits + bit, kSaturated);
  } else if (Radix == radixNone) {
    v = 0;
  } else if (Width > 0) {
    if (a.size() - p < static_cast<size_t>(Width)) return false;
    if (!ParseBound64(a.substr(p, Width), Radix, v)) return false;
    p += Width;
  } else {
    size_t start = p;
    while (p < a.size()) {
      bool ok;
      if (Radix == radixDecHexBit)
        ok = DigitValue(a[p], radixDecimal) >= 0 || (p + 1 == a.size() && DigitValue(a[p], radixHex) >= 0);
      else
        ok = DigitValue(a[p], Radix) >= 0;
      if (!ok) break;
      ++p;
    }
    if (p == start || !ParseBound64(a.substr(start, p - start), Radix, v)) return false;
  }
  if (v < Min || v > Max || (v - Min) % Step != 0 || regs < 1) return false;
  if (v + (regs - 1) * int64_t(Step) > Max) return false;
  std::string_view rest = a.substr(p);
  if (rest.size() != Suffix.size() || !EqualsNoCase(rest, Suffix)) return false;
  Value = static_cast<int32_t>(v);
  count = static_cast<int32_t>(regs);
  return true;
}

std::string TZmRegRule::FormatNumber(int32_t number) const
{
  uint64_t n = number < 0 ? 0 : static_cast<uint64_t>(number);
  std::string body;
  switch (Radix) {
    case radixBinary: body = Digits(n, 2, Width, false); break;  // binary numbers read back as binary
    case radixOctal: body = Digits(n, 8, Width, false); break;
    case radixDecimal: body = Digits(n, 10, Width, false); break;
    case radixHex: body = Digits(n, 16, Width, Width == 0); break;
    case radixDecHexBit: body = Digits(n / 16, 10, Width > 0 ? Width - 1 : 0, false) + Digits(n % 16, 16, 0, Width == 0); break;
    case radixWordDotBit: body = Digits(n / 16, 10, Width > 0 ? Width - 1 : 0, false) + "." + Digits(n % 16, 10, 0, false); break;
    case radixWordDotOctalBit: body = Digits(n / 8, 10, Width > 0 ? Width - 1 : 0, false) + "." + Digits(n % 8, 10, 0, false); break;
    default: return Prefix;
  }
  return Prefix + body + Suffix;
}

int64_t TZmRegRule::ProtocolCount(int32_t dataType, int32_t count) const
{
  int64_t n = int64_t(Base) * count;
  int32_t kind = Kind == kindWord2 ? kindWord : Kind;
  if (dataType == 1 || dataType == 2) {
    if (kind == kindBit) n *= 8;
  } else if (dataType == 3 || dataType == 4) {
    if (kind == kindBit) n *= 16;
    else if (kind == kindByte) n *= 2;
  } else if (dataType == 5 || dataType == 6) {
    if (kind == kindBit) n *= 32;
    else if (kind == kindByte) n *= 4;
    else if (kind == kindWord) n *= 2;
  }
  return n;
}

static const char* const kDataTypeNames[kDataTypeCount] = {"BIT",    "INT8S",  "INT8U",  "INT16S",
                                                            "INT16U", "INT32S", "INT32U", "FLOAT32"};
static const uint32_t kTypeCodes[kDataTypeCount] = {1, 2, 3, 4, 5, 6, 7, 11};

const char* DataTypeName(int32_t t) { return t >= 0 && t < kDataTypeCount ? kDataTypeNames[t] : ""; }

int32_t DataTypeFromName(std::string_view name)
{
  for (int32_t i = 0; i < kDataTypeCount; ++i)
    if (EqualsNoCase(name, kDataTypeNames[i])) return i;
  return -1;
}

uint32_t TypeCodeOf(int32_t t) { return t >= 0 && t < kDataTypeCount ? kTypeCodes[t] : 4; }

int32_t DataTypeOfCode(uint32_t code)
{
  for (int32_t i = 0; i < kDataTypeCount; ++i)
    if (kTypeCodes[i] == code) return i;
  return 3;
}

TZmStationSplit SplitStation(std::string_view a)
{
  TZmStationSplit s;
  if (a.empty() || a == "0") return s;
  if (a[0] < '0' || a[0] > '9') {
    s.Rest = std::string(a);
    return s;
  }
  int64_t station = 0;
  size_t p = 0;
  while (p < a.size() && a[p] != ':') {
    if (a[p] < '0' || a[p] > '9') return s;
    station = Accumulate(station, 10, a[p] - '0');
    ++p;
  }
  if (p >= a.size() || station >= 256) return s;
  s.Station = static_cast<int32_t>(station);
  s.Rest = std::string(a.substr(p + 1));
  return s;
}

TZmBitSplit SplitBit(std::string_view a)
{
  TZmBitSplit b;
  if (a.size() <= 1) return b;
  size_t p = a.size();
  while (p > 0 && a[p - 1] >= '0' && a[p - 1] <= '9') --p;
  if (p == a.size() || p == 0 || a[p - 1] != '.') return b;
  int64_t bit = 0;
  for (size_t i = p; i < a.size(); ++i) bit = Accumulate(bit, 10, a[i] - '0');
  b.Ok = true;
  b.Rest = std::string(a.substr(0, p - 1));
  b.Bit = Clamp32(bit);
  return b;
}
