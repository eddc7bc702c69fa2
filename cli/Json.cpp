#include "cli/Json.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "base/Utf.h"

TJson& TJson::Add(std::string key, TJson v)
{
  O.emplace_back(std::move(key), std::move(v));
  return O.back().second;
}

const TJson* TJson::Get(std::string_view key) const
{
  if (K != Object) return nullptr;
  for (const auto& [k, v] : O)
    if (k == key) return &v;
  return nullptr;
}

namespace {

class Parser {
public:
  explicit Parser(std::string_view t) : T(t) {}
  bool Parse(TJson& out, std::string& error)
  {
    if (!Value(out, 0)) {
      error = Err.empty() ? "invalid JSON" : Err;
      error += " at offset " + std::to_string(P);
      return false;
    }
    Ws();
    if (P != T.size()) {
      error = "trailing characters after JSON value at offset " + std::to_string(P);
      return false;
    }
    return true;
  }

private:
  std::string_view T;
  size_t P = 0;
  std::string Err;

  void Ws()
  {
    while (P < T.size() && (T[P] == ' ' || T[P] == '\t' || T[P] == '\n' || T[P] == '\r')) ++P;
  }
  bool Fail(const char* why)
  {
    if (Err.empty()) Err = why;
    return false;
  }
  bool Lit(std::string_view word)
  {
    if (T.substr(P, word.size()) != word) return Fail("unexpected word");
    P += word.size();
    return true;
  }

  bool Value(TJson& out, int depth)
  {
    if (depth > 1000) return Fail("JSON nested too deeply");
    Ws();
    if (P >= T.size()) return Fail("unexpected end of JSON");
    char c = T[P];
    if (c == '{') return ObjectValue(out, depth);
    if (c == '[') return ArrayValue(out, depth);
    if (c == '"') {
      out.K = TJson::String;
      return StringValue(out.S);
    }
    if (c == 't') {
      out.K = TJson::Bool;
      out.B = true;
      return Lit("true");
    }
    if (c == 'f') {
      out.K = TJson::Bool;
      out.B = false;
      return Lit("false");
    }
    if (c == 'n') {
      out.K = TJson::Null;
      return Lit("null");
    }
    return Number(out);
  }

  bool Number(TJson& out)
  {
    size_t start = P;
    if (P < T.size() && T[P] == '-') ++P;
    size_t digits = P;
    while (P < T.size() && T[P] >= '0' && T[P] <= '9') ++P;
    if (P == digits) return Fail("invalid number");
    bool isFloat = false;
    if (P < T.size() && T[P] == '.') {
      isFloat = true;
      ++P;
      while (P < T.size() && T[P] >= '0' && T[P] <= '9') ++P;
    }
    if (P < T.size() && (T[P] == 'e' || T[P] == 'E')) {
      isFloat = true;
      ++P;
      if (P < T.size() && (T[P] == '+' || T[P] == '-')) ++P;
      while (P < T.size() && T[P] >= '0' && T[P] <= '9') ++P;
    }
    std::string text(T.substr(start, P - start));
    if (!isFloat) {
      errno = 0;
      char* end = nullptr;
      long long v = std::strtoll(text.c_str(), &end, 10);
      if (errno == 0 && end && *end == '\0') {
        out.K = TJson::Int;
        out.I = v;
        return true;
      }
    }
    out.K = TJson::Float;
    out.F = std::strtod(text.c_str(), nullptr);
    return true;
  }

  bool Hex4(uint32_t& v)
  {
    if (P + 4 > T.size()) return Fail("bad \\u escape");
    v = 0;
    for (int i = 0; i < 4; ++i) {
      char c = T[P++];
      v <<= 4;
      if (c >= '0' && c <= '9') v |= c - '0';
      else if (c >= 'a' && c <= 'f') v |= c - 'a' + 10;
      else if (c >= 'A' && c <= 'F') v |= c - 'A' + 10;
      else return Fail("bad \\u escape");
    }
    return true;
  }

  bool StringValue(std::string& s)
  {
    ++P;  // opening quote
    s.clear();
    while (true) {
      if (P >= T.size()) return Fail("unterminated string");
      char c = T[P++];
      if (c == '"') return true;
      if (static_cast<unsigned char>(c) < 0x20) return Fail("control character in string");
      if (static_cast<unsigned char>(c) >= 0x80) {
        // JSON text is UTF-8: a byte sequence that is not one is an error, not a guess.
        size_t at = P - 1, next = at;
        char32_t cp = DecodeUtf8(T, next);
        bool replacement = next - at == 3 && T.compare(at, 3, "\xEF\xBF\xBD") == 0;
        if ((cp == 0xFFFD && !replacement) || (cp >= 0xD800 && cp <= 0xDFFF)) return Fail("invalid UTF-8 in string");
        s.append(T.substr(at, next - at));
        P = next;
        continue;
      }
      if (c != '\\') {
        s.push_back(c);
        continue;
      }
      if (P >= T.size()) return Fail("unterminated string");
      char e = T[P++];
      switch (e) {
        case '"': s.push_back('"'); break;
        case '\\': s.push_back('\\'); break;
        case '/': s.push_back('/'); break;
        case 'b': s.push_back('\b'); break;
        case 'f': s.push_back('\f'); break;
        case 'n': s.push_back('\n'); break;
        case 'r': s.push_back('\r'); break;
        case 't': s.push_back('\t'); break;
        case 'u': {
          uint32_t u;
          if (!Hex4(u)) return false;
          // A surrogate pair written as two escapes is one character.
          if (u >= 0xD800 && u <= 0xDBFF && P + 6 <= T.size() && T[P] == '\\' && T[P + 1] == 'u') {
            size_t save = P;
            P += 2;
            uint32_t lo;
            if (Hex4(lo) && lo >= 0xDC00 && lo <= 0xDFFF) {
              AppendUtf8(s, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
              break;
            }
            Err.clear();
            P = save;
          }
          AppendUtf8(s, u);
          break;
        }
        default: return Fail("bad escape in string");
      }
    }
  }

  bool ArrayValue(TJson& out, int depth)
  {
    ++P;
    out = TJson::MakeArray();
    Ws();
    if (P < T.size() && T[P] == ']') {
      ++P;
      return true;
    }
    while (true) {
      TJson v;
      if (!Value(v, depth + 1)) return false;
      out.A.push_back(std::move(v));
      Ws();
      if (P < T.size() && T[P] == ',') {
        ++P;
        continue;
      }
      if (P < T.size() && T[P] == ']') {
        ++P;
        return true;
      }
      return Fail("expected , or ]");
    }
  }

  bool ObjectValue(TJson& out, int depth)
  {
    ++P;
    out = TJson::MakeObject();
    Ws();
    if (P < T.size() && T[P] == '}') {
      ++P;
      return true;
    }
    while (true) {
      Ws();
      if (P >= T.size() || T[P] != '"') return Fail("expected member name");
      std::string key;
      if (!StringValue(key)) return false;
      Ws();
      if (P >= T.size() || T[P] != ':') return Fail("expected :");
      ++P;
      TJson v;
      if (!Value(v, depth + 1)) return false;
      out.O.emplace_back(std::move(key), std::move(v));
      Ws();
      if (P < T.size() && T[P] == ',') {
        ++P;
        continue;
      }
      if (P < T.size() && T[P] == '}') {
        ++P;
        return true;
      }
      return Fail("expected , or }");
    }
  }
};

void WriteString(std::string& out, const std::string& s)
{
  out.push_back('"');
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
          if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
          } else {
            out.push_back(static_cast<char>(c));
          }
      }
      continue;
    }
    size_t start = i;
    char32_t cp = DecodeUtf8(s, i);
    if ((cp >= 0xD800 && cp <= 0xDFFF) || (cp == 0xFFFD && !(i - start == 3 && s.compare(start, 3, "\xEF\xBF\xBD") == 0))) {
      // Lone surrogates (and stray bytes, which never come from UTF-16) as escapes.
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(cp));
      out += buf;
    } else {
      out.append(s, start, i - start);
    }
  }
  out.push_back('"');
}

void Write(std::string& out, const TJson& v, int indent);

void WriteCompact(std::string& out, const TJson& v)
{
  switch (v.K) {
    case TJson::Array:
      out.push_back('[');
      for (size_t i = 0; i < v.A.size(); ++i) {
        if (i) out += ", ";
        WriteCompact(out, v.A[i]);
      }
      out.push_back(']');
      break;
    case TJson::Object:
      out.push_back('{');
      for (size_t i = 0; i < v.O.size(); ++i) {
        if (i) out += ", ";
        WriteString(out, v.O[i].first);
        out += ": ";
        WriteCompact(out, v.O[i].second);
      }
      out.push_back('}');
      break;
    default: Write(out, v, 0);  // scalars look the same either way
  }
}

void Write(std::string& out, const TJson& v, int indent)
{
  // Small values (a property with a number, a rectangle) stay on one line so
  // dumps read well and diff line by line.
  if ((v.K == TJson::Array || v.K == TJson::Object)) {
    std::string compact;
    WriteCompact(compact, v);
    if (compact.size() + static_cast<size_t>(indent) * 2 <= 110) {
      out += compact;
      return;
    }
  }
  auto newline = [&](int level) {
    out.push_back('\n');
    out.append(static_cast<size_t>(level) * 2, ' ');
  };
  switch (v.K) {
    case TJson::Null: out += "null"; break;
    case TJson::Bool: out += v.B ? "true" : "false"; break;
    case TJson::Int: out += std::to_string(v.I); break;
    case TJson::Float: {
      char buf[40];
      std::snprintf(buf, sizeof buf, "%.17g", v.F);
      out += buf;
      break;
    }
    case TJson::String: WriteString(out, v.S); break;
    case TJson::Array:
      if (v.A.empty()) {
        out += "[]";
        break;
      }
      out.push_back('[');
      for (size_t i = 0; i < v.A.size(); ++i) {
        if (i) out.push_back(',');
        newline(indent + 1);
        Write(out, v.A[i], indent + 1);
      }
      newline(indent);
      out.push_back(']');
      break;
    case TJson::Object:
      if (v.O.empty()) {
        out += "{}";
        break;
      }
      out.push_back('{');
      for (size_t i = 0; i < v.O.size(); ++i) {
        if (i) out.push_back(',');
        newline(indent + 1);
        WriteString(out, v.O[i].first);
        out += ": ";
        Write(out, v.O[i].second, indent + 1);
      }
      newline(indent);
      out.push_back('}');
      break;
  }
}

}  // namespace

bool ParseJson(std::string_view text, TJson& out, std::string& error)
{
  Parser p(text);
  return p.Parse(out, error);
}

std::string WriteJson(const TJson& value)
{
  std::string out;
  Write(out, value, 0);
  out.push_back('\n');
  return out;
}
