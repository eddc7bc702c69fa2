#include "base/Ini.h"

#include "base/File.h"
#include "base/Utf.h"

bool TZmNoCaseLess::operator()(const std::string& a, const std::string& b) const { return CompareNoCase(a, b) < 0; }

std::string Trim(std::string_view s)
{
  size_t b = 0, e = s.size();
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; };
  while (b < e && blank(s[b])) ++b;
  while (e > b && blank(s[e - 1])) --e;
  return std::string(s.substr(b, e - b));
}

bool TZmIniFile::Load(const std::string& path, std::string* error)
{
  std::vector<uint8_t> bytes;
  std::string err;
  List.clear();
  SectionIndex.clear();
  Path = path;
  if (!ReadWholeFile(path, bytes, err, size_t(64) << 20)) {
    if (error) *error = err;
    return false;
  }
  LoadFromBytes(bytes);
  return true;
}

void TZmIniFile::LoadFromBytes(std::span<const uint8_t> b)
{
  if (b.size() >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
    std::u16string u;
    for (size_t i = 2; i + 1 < b.size(); i += 2) u.push_back(static_cast<char16_t>(b[i] | (b[i + 1] << 8)));
    LoadFromText(Utf16ToUtf8(u));
  } else if (b.size() >= 2 && b[0] == 0xFE && b[1] == 0xFF) {
    std::u16string u;
    for (size_t i = 2; i + 1 < b.size(); i += 2) u.push_back(static_cast<char16_t>((b[i] << 8) | b[i + 1]));
    LoadFromText(Utf16ToUtf8(u));
  } else if (b.size() >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
    LoadFromText(std::string_view(reinterpret_cast<const char*>(b.data()) + 3, b.size() - 3));
  } else {
    LoadFromText(std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
  }
}

void TZmIniFile::LoadFromText(std::string_view text)
{
  List.clear();
  SectionIndex.clear();
  Section* current = nullptr;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t nl = text.find('\n', pos);
    if (nl == std::string_view::npos) nl = text.size();
    std::string line = Trim(text.substr(pos, nl - pos));
    pos = nl + 1;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      size_t close = line.find(']');
      std::string name = Trim(std::string_view(line).substr(1, close == std::string::npos ? std::string::npos : close - 1));
      auto it = SectionIndex.find(name);
      if (it == SectionIndex.end()) {
        SectionIndex.emplace(name, List.size());
        List.push_back(Section{name, {}, {}});
        current = &List.back();
      } else {
        // A repeated section adds only keys the first one lacks.
        current = &List[it->second];
      }
      continue;
    }
    if (!current) continue;
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = Trim(std::string_view(line).substr(0, eq));
    std::string value = Trim(std::string_view(line).substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    if (key.empty() || current->Index.count(key)) continue;
    current->Index.emplace(key, current->Order.size());
    current->Order.emplace_back(key, value);
  }
}

const TZmIniFile::Section* TZmIniFile::Find(const std::string& section) const
{
  auto it = SectionIndex.find(section);
  return it == SectionIndex.end() ? nullptr : &List[it->second];
}

bool TZmIniFile::SectionExists(const std::string& section) const { return Find(section) != nullptr; }

bool TZmIniFile::ValueExists(const std::string& section, const std::string& key) const
{
  const Section* s = Find(section);
  return s && s->Index.count(key);
}

std::string TZmIniFile::ReadString(const std::string& section, const std::string& key, const std::string& def) const
{
  const Section* s = Find(section);
  if (!s) return def;
  auto it = s->Index.find(key);
  return it == s->Index.end() ? def : s->Order[it->second].second;
}

bool ParseIniInteger(std::string_view t, int32_t& out)
{
  size_t i = 0;
  bool neg = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) neg = t[i++] == '-';
  int base = 10;
  if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
    base = 16;
    i += 2;
  } else if (i < t.size() && t[i] == '$') {
    base = 16;
    i += 1;
  }
  if (i >= t.size()) return false;
  uint64_t v = 0;
  for (; i < t.size(); ++i) {
    char c = t[i];
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    v = v * base + d;
    if (v > 0xFFFFFFFFull) return false;
  }
  uint32_t u = static_cast<uint32_t>(v);
  if (neg) u = 0u - u;
  out = static_cast<int32_t>(u);
  return true;
}

int32_t TZmIniFile::ReadInteger(const std::string& section, const std::string& key, int32_t def) const
{
  int32_t v;
  return ParseIniInteger(ReadString(section, key), v) ? v : def;
}

std::vector<std::string> TZmIniFile::Sections() const
{
  std::vector<std::string> out;
  for (const auto& s : List) out.push_back(s.Name);
  return out;
}

std::vector<std::string> TZmIniFile::Keys(const std::string& section) const
{
  std::vector<std::string> out;
  if (const Section* s = Find(section))
    for (const auto& kv : s->Order) out.push_back(kv.first);
  return out;
}
