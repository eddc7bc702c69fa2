#include "compiler/Parser.h"

#include "base/Utf.h"
#include "devices/RegRule.h"

namespace {

enum : int32_t {
  tokEnd = 0,
  tokError = -1,
  tokIdent = 1,
  tokString = 2,
  tokNumber = 3,
  tokReal = 4,
  tokComma = 5,
  tokHash = 6,
  tokPoint = 7,
  tokPlus = 10,
  tokMinus = 11,
  tokMul = 12,
  tokDiv = 13,
  tokMod = 14,
  tokNot = 15,
  tokTilde = 16,
  tokOpen = 20,
  tokClose = 21,
  tokEq = 30,
  tokNe = 31,
  tokLt = 32,
  tokLe = 33,
  tokGt = 34,
  tokGe = 35,
  tokOrOr = 36,
  tokAndAnd = 37,
  tokAnd = 40,
  tokXor = 41,
  tokOr = 42,
  tokShl = 43,
  tokShr = 44,
  tokAssign = 45,
  tokTypeFirst = 100,
  tokTypeLast = 121,
};

struct Keyword {
  const char* text;
  int32_t token;
  uint32_t typeCode;
};
const Keyword kKeywords[] = {
    {"BIT", 100, 1},    {"INT8S", 101, 2}, {"S8", 101, 2},     {"INT8U", 102, 3},  {"U8", 102, 3},
    {"INT16S", 103, 4}, {"S16", 103, 4},   {"INT16U", 104, 5}, {"U16", 104, 5},    {"WORD", 104, 5},
    {"INT32S", 105, 6}, {"S32", 105, 6},   {"INT32U", 106, 7}, {"U32", 106, 7},    {"DW", 106, 7},
    {"DWORD", 106, 7},  {"FLOAT32", 121, 11}, {"FLOAT", 121, 11}, {"F32", 121, 11},
};

bool IsDigit(char32_t c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char32_t c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsIdentStart(char32_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c > 255; }
bool IsIdentChar(char32_t c) { return IsIdentStart(c) || IsDigit(c); }

uint32_t BinaryWord(int32_t token)
{
  switch (token) {
    case tokPlus: return 0x02000000;
    case tokMinus: return 0x02000001;
    case tokMul: return 0x02000002;
    case tokDiv: return 0x02000003;
    case tokMod: return 0x02000004;
    case tokEq: return 0x02000005;
    case tokNe: return 0x02000006;
    case tokLt: return 0x02000007;
    case tokLe: return 0x02000008;
    case tokGt: return 0x02000009;
    case tokGe: return 0x0200000A;
    case tokOrOr: return 0x0200000B;
    case tokAndAnd: return 0x0200000C;
    case tokAnd: return 0x0200000D;
    case tokXor: return 0x0200000E;
    case tokOr: return 0x0200000F;
    case tokShl: return 0x02000010;
    case tokShr: return 0x02000011;
    default: return 0;
  }
}

std::u32string ToU32(std::string_view utf8)
{
  std::u32string out;
  for (size_t i = 0; i < utf8.size();) out.push_back(DecodeUtf8(utf8, i));
  return out;
}

std::string ToUtf8(std::u32string_view s)
{
  std::string out;
  for (char32_t c : s) AppendUtf8(out, c);
  return out;
}

}  // namespace

wxParser::wxParser(std::string_view text, int32_t defaultDataType)
{
  Text = ToU32(text);
  if (Text.size() > kMaxExpressionText) {
    // A cut text would silently mean something else: refuse it instead.
    TooLong = true;
    Text.resize(kMaxExpressionText);
  }
  DefaultType = TypeCodeOf(defaultDataType);
  Next();
}

void wxParser::Fail(uint32_t code)
{
  if (Failed) return;
  Failed = true;
  Errors.push_back(code);
  Position = Text.size();  // the rest of the text is skipped
  Token = tokError;
}

std::string wxParser::TokenText() const { return ToUtf8(std::u32string_view(Text).substr(TokenStart, Position - TokenStart)); }

void wxParser::Next()
{
  if (Failed) return;
  const std::u32string& t = Text;
  size_t p = Position;
  while (p < t.size() && t[p] <= 32) ++p;
  TokenStart = p;
  auto at = [&](size_t i) -> char32_t { return i < t.size() ? t[i] : 0; };
  auto identTail = [&](size_t i) {
    for (;;) {
      while (i < t.size() && IsIdentChar(t[i])) ++i;
      if (at(i) == '.' && IsIdentChar(at(i + 1))) {
        ++i;
        continue;
      }
      return i;
    }
  };
  if (p >= t.size()) {
    Position = p;
    Token = tokEnd;
    return;
  }
  char32_t c = t[p];
  if (IsIdentStart(c)) {
    Position = identTail(p + 1);
    Token = tokIdent;
    std::string word = TokenText();
    for (const auto& k : kKeywords)
      if (EqualsNoCase(word, k.text)) Token = k.token;
    return;
  }
  if (IsDigit(c)) {
    size_t q = p;
    while (IsDigit(at(q))) ++q;
    if (at(q) == ':' && IsIdentStart(at(q + 1))) {  // station prefix: 2:D100
      Position = identTail(q + 2);
      Token = tokIdent;
      return;
    }
    if (at(q) == '.' && IsDigit(at(q + 1))) {
      ++q;
      while (IsDigit(at(q))) ++q;
      Position = q;
      Token = tokReal;
      return;
    }
    size_t h = q;
    while (IsHexDigit(at(h))) ++h;
    char32_t last = at(h);
    if (last == 'H' || last == 'h') {
      Position = h + 1;
      Token = tokNumber;
    } else if (h == q && (last == 'O' || last == 'o')) {
      Position = q + 1;
      Token = tokNumber;
    } else if (h > q && (at(h - 1) == 'B' || at(h - 1) == 'b') && !IsIdentChar(last)) {
      // 101B: the binary suffix, which the constant syntax accepts too.
      Position = h;
      Token = tokNumber;
    } else if (h == q) {
      Position = q;
      Token = tokNumber;
    } else {
      Position = h;
      Token = tokError;
    }
    return;
  }
  if (c == '"') {
    size_t q = p + 1;
    while (q < t.size() && t[q] != '"') q += t[q] == '\\' ? 2 : 1;
    Position = q < t.size() ? q + 1 : t.size();
    Token = tokString;
    return;
  }
  char32_t d = at(p + 1), e = at(p + 2);
  struct Punct {
    const char* text;
    int32_t token;
  };
  static const Punct puncts[] = {
      {"<<=", 51}, {">>=", 52}, {"||", tokOrOr}, {"&&", tokAndAnd}, {"==", tokEq}, {"!=", tokNe},  {"<>", tokNe},
      {"<=", tokLe}, {">=", tokGe}, {"<<", tokShl}, {">>", tokShr},  {"+=", 46},     {"-=", 47},     {"*=", 48},
      {"/=", 49},  {"%=", 50},   {"&=", 53},       {"^=", 54},       {"|=", 55},     {"//", tokHash}, {"(", tokOpen},
      {")", tokClose}, {"[", 22}, {"]", 23},       {",", tokComma},  {"#", tokHash}, {".", tokPoint}, {"~", tokTilde},
      {"!", tokNot}, {"+", tokPlus}, {"-", tokMinus}, {"*", tokMul}, {"/", tokDiv},  {"%", tokMod},   {"<", tokLt},
      {">", tokGt},  {"&", tokAnd}, {"^", tokXor},  {"|", tokOr},    {"=", tokAssign},
  };
  for (const auto& pu : puncts) {
    size_t n = std::char_traits<char>::length(pu.text);
    if (pu.text[0] == static_cast<char>(c) && c < 128 && (n < 2 || pu.text[1] == static_cast<char>(d)) &&
        (n < 3 || pu.text[2] == static_cast<char>(e))) {
      Position = p + n;
      Token = pu.token;
      return;
    }
  }
  Position = p + 1;
  Token = tokError;
}

bool wxParser::Parse()
{
  if (TooLong) {
    Fail(parserErrorTooLong);
    return false;
  }
  Level1();
  return Ok();
}

void wxParser::Level1()
{
  Level2();
  while (Token == tokOrOr || Token == tokAndAnd) {
    int32_t op = Token;
    Next();
    Level2();
    Program.push_back(BinaryWord(op));
  }
}

void wxParser::Level2()
{
  Level3();
  if (Token >= tokEq && Token <= tokGe) {
    int32_t op = Token;
    Next();
    Level3();
    Program.push_back(BinaryWord(op));
  }
}

void wxParser::Level3()
{
  Level4();
  while (Token == tokAnd || Token == tokXor || Token == tokOr || Token == tokShl || Token == tokShr) {
    int32_t op = Token;
    Next();
    Level4();
    Program.push_back(BinaryWord(op));
  }
}

void wxParser::Level4()
{
  Level5();
  while (Token == tokPlus || Token == tokMinus) {
    int32_t op = Token;
    Next();
    Level5();
    Program.push_back(BinaryWord(op));
  }
}

void wxParser::Level5()
{
  Level6();
  while (Token == tokMul || Token == tokDiv || Token == tokMod) {
    int32_t op = Token;
    Next();
    Level6();
    Program.push_back(BinaryWord(op));
  }
}

void wxParser::Level6()
{
  int32_t unary = 0;
  if (Token == tokPlus || Token == tokMinus || Token == tokNot || Token == tokTilde) {
    unary = Token;
    Next();
  }
  Primary();
  if (unary == tokMinus) Program.push_back(0x01000000);
  if (unary == tokNot) Program.push_back(0x01000001);
  if (unary == tokTilde) Program.push_back(0x01000002);
}

void wxParser::EmitOperand(const std::string& name, uint32_t typeCode)
{
  size_t index = Operands.size();
  for (size_t i = 0; i < Operands.size(); ++i)
    if (Operands[i].Name == name && Operands[i].TypeCode == typeCode) index = i;
  if (index == Operands.size()) Operands.push_back({name, typeCode, 0});
  Program.push_back(kParserOperand | (typeCode << 24) | static_cast<uint32_t>(index));
}

void wxParser::Primary()
{
  if (Failed) return;
  if (Token == tokIdent) {
    EmitOperand(TokenText(), DefaultType);
    Next();
    return;
  }
  if (Token == tokNumber) {
    uint32_t v;
    if (!IsConstant(TokenText(), v)) {
      Fail(parserErrorBadNumber);
      return;
    }
    Program.push_back(kParserConstant);
    Program.push_back(v);
    Next();
    return;
  }
  if (Token == tokReal) {
    Fail(parserErrorReal);
    return;
  }
  if (Token == tokString) {
    // A quoted name is an address text without its quotes.
    std::u32string name;
    for (size_t i = TokenStart + 1; i + 1 < Position; ++i) {
      if (Text[i] == '\\' && i + 2 < Position) ++i;
      name.push_back(Text[i]);
    }
    if (Position - TokenStart < 2 || Text[Position - 1] != '"' || name.empty()) {
      Fail(parserErrorSyntax);
      return;
    }
    EmitOperand(ToUtf8(name), DefaultType);
    Next();
    return;
  }
  if (Token == tokOpen) {
    Next();
    if (Token >= tokTypeFirst && Token <= tokTypeLast) {
      uint32_t type = 0;
      std::string word = TokenText();
      for (const auto& k : kKeywords)
        if (EqualsNoCase(word, k.text)) type = k.typeCode;
      Next();
      if (Token != tokClose) {
        Fail(parserErrorParenthesis);
        return;
      }
      Next();
      if (Token != tokIdent) {
        Fail(parserErrorSyntax);
        return;
      }
      EmitOperand(TokenText(), type);
      Next();
      return;
    }
    Level1();
    if (Failed) return;
    if (Token != tokClose) {
      Fail(parserErrorParenthesis);
      return;
    }
    Next();
    return;
  }
  Fail(parserErrorSyntax);
}

bool wxParser::Finish()
{
  for (size_t i = 0; i < Program.size(); ++i) {
    uint32_t w = Program[i];
    uint32_t cls = w >> 28;
    if (cls == 4) {
      ++i;  // exactly one payload word follows a constant marker
    } else if (cls == 2) {
      uint32_t index = w & 0xFFFFFF;
      if (index >= Operands.size()) return false;
      Program[i] = Operands[index].Value;
    }
  }
  return true;
}

int32_t wxParser::StackDepth() const
{
  int32_t depth = 0, deepest = 0;
  for (size_t i = 0; i < Program.size(); ++i) {
    uint32_t w = Program[i];
    uint32_t top = w >> 24;
    if (top == 0x02) {
      --depth;
    } else if (top == 0x01) {
      // unary: the top value is replaced
    } else {
      ++depth;
      if ((w >> 28) == 4) ++i;
    }
    deepest = std::max(deepest, depth);
  }
  return deepest;
}

bool wxParser::IsConstant(std::string_view t, uint32_t& value)
{
  if (t.empty() || !IsDigit(static_cast<unsigned char>(t[0]))) return false;
  char last = t.back();
  int base = 10;
  std::string_view digits = t;
  if (last == 'H' || last == 'h') {
    base = 16;
    digits = t.substr(0, t.size() - 1);
  } else if (last == 'O' || last == 'o') {
    base = 8;
    digits = t.substr(0, t.size() - 1);
  } else if (last == 'B' || last == 'b') {
    base = 2;
    digits = t.substr(0, t.size() - 1);
  }
  if (digits.empty()) return false;
  uint64_t v = 0;
  for (char c : digits) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    if (d >= base) return false;
    v = v * base + d;
    if (v > 0xFFFFFFFFull) return false;  // never wrap silently
  }
  value = static_cast<uint32_t>(v);
  return true;
}

std::string wxParser::ErrorText() const
{
  if (Ok()) return {};
  if (Errors.empty()) return "unexpected text after the expression";
  switch (Errors.front()) {
    case parserErrorBadNumber: return "a number is not a valid constant (decimal, or with H, O or B, within 32 bits)";
    case parserErrorParenthesis: return "a parenthesis is missing";
    case parserErrorTooLong: return "the expression is longer than 4096 characters";
    case parserErrorReal: return "numbers with a decimal point are not accepted";
    default: return "the expression is not complete or has a character it does not allow";
  }
}
