#pragma once
// INI reader for the data files (models, protocols, language texts).
// The file is parsed once. Section and key names compare without regard to
// ASCII case and the first occurrence wins. Values are trimmed and lose one
// pair of surrounding quotes; only lines whose first non-blank character is
// ';' are comments, so values may hold ';' and '"'. Accepts UTF-8 with or
// without a byte-order mark and UTF-16 with one.

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct TZmNoCaseLess {
  bool operator()(const std::string& a, const std::string& b) const;
};

class TZmIniFile {
public:
  TZmIniFile() = default;
  bool Load(const std::string& path, std::string* error = nullptr);
  void LoadFromBytes(std::span<const uint8_t> bytes);
  void LoadFromText(std::string_view utf8);

  bool SectionExists(const std::string& section) const;
  bool ValueExists(const std::string& section, const std::string& key) const;
  std::string ReadString(const std::string& section, const std::string& key, const std::string& def = {}) const;
  // Optional sign, then decimal digits or 0x/$ hex. Magnitudes up to
  // 0xFFFFFFFF wrap to signed 32 bits; anything else yields `def`.
  int32_t ReadInteger(const std::string& section, const std::string& key, int32_t def = 0) const;
  // Section names in file order (first occurrence), and keys of one section in file order.
  std::vector<std::string> Sections() const;
  std::vector<std::string> Keys(const std::string& section) const;

  const std::string& FileName() const { return Path; }

private:
  struct Section {
    std::string Name;
    std::vector<std::pair<std::string, std::string>> Order;  // key, value in file order
    std::map<std::string, size_t, TZmNoCaseLess> Index;       // key -> position in Order
  };
  const Section* Find(const std::string& section) const;
  std::vector<Section> List;
  std::map<std::string, size_t, TZmNoCaseLess> SectionIndex;
  std::string Path;
};

// The integer rule of ReadInteger, for callers that hold a value text already.
bool ParseIniInteger(std::string_view text, int32_t& out);
std::string Trim(std::string_view s);
