#include "base/Format.h"

#include <cstdio>
#include <cstring>

#include "base/Utf.h"

namespace {

struct Spec {
  size_t End = 0;  // index after the conversion letter
  char Conv = 0;
  std::string Flags;
  int Width = -1;
  int Precision = -1;
};

// Parses the conversion that starts at fmt[i] == '%'. Returns false when it
// is not one we accept.
bool ParseSpec(std::string_view fmt, size_t i, Spec& sp)
{
  size_t k = i + 1;
  while (k < fmt.size() && std::strchr("-+ 0#", fmt[k])) sp.Flags.push_back(fmt[k++]);
  if (sp.Flags.size() > 5) return false;
  int width = -1;
  while (k < fmt.size() && fmt[k] >= '0' && fmt[k] <= '9') {
    width = (width < 0 ? 0 : width) * 10 + (fmt[k++] - '0');
    if (width > 999) return false;
  }
  int prec = -1;
  if (k < fmt.size() && fmt[k] == '.') {
    ++k;
    prec = 0;
    while (k < fmt.size() && fmt[k] >= '0' && fmt[k] <= '9') {
      prec = prec * 10 + (fmt[k++] - '0');
      if (prec > 999) return false;
    }
  }
  while (k < fmt.size() && (fmt[k] == 'l' || fmt[k] == 'h')) ++k;  // length modifiers carry no meaning here
  if (k >= fmt.size() || !std::strchr("diuxXcsfeg", fmt[k])) return false;
  sp.Conv = fmt[k];
  sp.Width = width;
  sp.Precision = prec;
  sp.End = k + 1;
  return true;
}

std::string BuildSpec(const Spec& sp, const char* length, char conv)
{
  std::string s = "%" + sp.Flags;
  if (sp.Width >= 0) s += std::to_string(sp.Width);
  if (sp.Precision >= 0) s += "." + std::to_string(sp.Precision);
  s += length;
  s.push_back(conv);
  return s;
}

std::string Pad(std::string text, const Spec& sp)
{
  size_t len = Utf16Length(text);
  if (sp.Width > 0 && len < static_cast<size_t>(sp.Width)) {
    std::string pad(static_cast<size_t>(sp.Width) - len, ' ');
    text = sp.Flags.find('-') != std::string::npos ? text + pad : pad + text;
  }
  return text;
}

template <typename T>
std::string Snprintf(const std::string& spec, T value)
{
  char buf[1100];
  int n = std::snprintf(buf, sizeof buf, spec.c_str(), value);
  if (n < 0) return {};
  return std::string(buf, static_cast<size_t>(n) < sizeof buf ? static_cast<size_t>(n) : sizeof buf - 1);
}

}  // namespace

std::string SafeFormat(std::string_view fmt, const std::vector<TZmFormatArg>& args)
{
  std::string out;
  size_t next = 0;
  for (size_t i = 0; i < fmt.size();) {
    if (fmt[i] != '%') {
      out.push_back(fmt[i++]);
      continue;
    }
    if (i + 1 < fmt.size() && fmt[i + 1] == '%') {
      out.push_back('%');
      i += 2;
      continue;
    }
    Spec sp;
    if (!ParseSpec(fmt, i, sp) || next >= args.size()) {
      out.push_back(fmt[i++]);
      continue;
    }
    const TZmFormatArg& a = args[next];
    std::string piece;
    bool ok = true;
    switch (sp.Conv) {
      case 'd':
      case 'i':
        if (a.K == TZmFormatArg::Int) piece = Snprintf(BuildSpec(sp, "ll", 'd'), static_cast<long long>(a.I));
        else ok = false;
        break;
      case 'u':
      case 'x':
      case 'X':
        if (a.K == TZmFormatArg::Int)
          piece = Snprintf(BuildSpec(sp, "ll", sp.Conv), static_cast<unsigned long long>(static_cast<uint64_t>(a.I)));
        else ok = false;
        break;
      case 'f':
      case 'e':
      case 'g':
        if (a.K == TZmFormatArg::Float) piece = Snprintf(BuildSpec(sp, "", sp.Conv), a.F);
        else if (a.K == TZmFormatArg::Int) piece = Snprintf(BuildSpec(sp, "", sp.Conv), static_cast<double>(a.I));
        else ok = false;
        break;
      case 'c':
        if (a.K == TZmFormatArg::Int && a.I > 0 && a.I <= 0x10FFFF) {
          AppendUtf8(piece, static_cast<char32_t>(a.I));
          piece = Pad(piece, sp);
        } else ok = false;
        break;
      case 's':
        if (a.K == TZmFormatArg::Text) {
          std::string s = a.S;
          if (sp.Precision >= 0) {  // precision counts characters, never splits one
            size_t k = 0, taken = 0;
            while (k < s.size() && taken < static_cast<size_t>(sp.Precision)) {
              DecodeUtf8(s, k);
              ++taken;
            }
            s.resize(k);
          }
          piece = Pad(s, sp);
        } else ok = false;
        break;
    }
    if (!ok) {
      out.push_back(fmt[i++]);
      continue;
    }
    out += piece;
    ++next;
    i = sp.End;
  }
  return out;
}

std::string SafeFormat(std::string_view fmt, std::initializer_list<TZmFormatArg> args)
{
  return SafeFormat(fmt, std::vector<TZmFormatArg>(args));
}

std::string FormatConversions(std::string_view fmt)
{
  std::string out;
  for (size_t i = 0; i < fmt.size();) {
    if (fmt[i] == '%' && i + 1 < fmt.size() && fmt[i + 1] == '%') {
      i += 2;
      continue;
    }
    Spec sp;
    if (fmt[i] == '%' && ParseSpec(fmt, i, sp)) {
      out.push_back(sp.Conv);
      i = sp.End;
    } else {
      ++i;
    }
  }
  return out;
}
