#include "base/Language.h"

#include <algorithm>
#include <cstdio>

#include "base/File.h"
#include "base/Texts.h"
#include "base/Utf.h"

namespace {

// The locales a language folder may be named by. The abbreviations are the
// ones model and protocol files use for their localised keys.
constexpr TZmLocaleInfo kLocales[] = {
    {1025, "ARA", "ar-SA", "\u0627\u0644\u0639\u0631\u0628\u064a\u0629"},
    {1026, "BGR", "bg-BG", "\u0431\u044a\u043b\u0433\u0430\u0440\u0441\u043a\u0438"},
    {1027, "CAT", "ca-ES", "catal\u00e0"},
    {1028, "CHT", "zh-TW", "\u4e2d\u6587(\u53f0\u7063)"},
    {1029, "CSY", "cs-CZ", "\u010de\u0161tina"},
    {1030, "DAN", "da-DK", "dansk"},
    {1031, "DEU", "de-DE", "Deutsch (Deutschland)"},
    {1032, "ELL", "el-GR", "\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac"},
    {1033, "ENU", "en-US", "English (United States)"},
    {1035, "FIN", "fi-FI", "suomi"},
    {1036, "FRA", "fr-FR", "fran\u00e7ais (France)"},
    {1037, "HEB", "he-IL", "\u05e2\u05d1\u05e8\u05d9\u05ea"},
    {1038, "HUN", "hu-HU", "magyar"},
    {1040, "ITA", "it-IT", "italiano (Italia)"},
    {1041, "JPN", "ja-JP", "\u65e5\u672c\u8a9e"},
    {1042, "KOR", "ko-KR", "\ud55c\uad6d\uc5b4"},
    {1043, "NLD", "nl-NL", "Nederlands (Nederland)"},
    {1044, "NOR", "nb-NO", "norsk (bokm\u00e5l)"},
    {1045, "PLK", "pl-PL", "polski"},
    {1046, "PTB", "pt-BR", "portugu\u00eas (Brasil)"},
    {1048, "ROM", "ro-RO", "rom\u00e2n\u0103"},
    {1049, "RUS", "ru-RU", "\u0440\u0443\u0441\u0441\u043a\u0438\u0439"},
    {1050, "HRV", "hr-HR", "hrvatski"},
    {1051, "SKY", "sk-SK", "sloven\u010dina"},
    {1053, "SVE", "sv-SE", "svenska (Sverige)"},
    {1054, "THA", "th-TH", "\u0e44\u0e17\u0e22"},
    {1055, "TRK", "tr-TR", "T\u00fcrk\u00e7e"},
    {1057, "IND", "id-ID", "Indonesia"},
    {1058, "UKR", "uk-UA", "\u0443\u043a\u0440\u0430\u0457\u043d\u0441\u044c\u043a\u0430"},
    {1060, "SLV", "sl-SI", "sloven\u0161\u010dina"},
    {1061, "ETI", "et-EE", "eesti"},
    {1062, "LVI", "lv-LV", "latvie\u0161u"},
    {1063, "LTH", "lt-LT", "lietuvi\u0173"},
    {1066, "VIT", "vi-VN", "Ti\u1ebfng Vi\u1ec7t"},
    {2052, "CHS", "zh-CN", "\u4e2d\u6587(\u4e2d\u56fd)"},
    {2055, "DES", "de-CH", "Deutsch (Schweiz)"},
    {2057, "ENG", "en-GB", "English (United Kingdom)"},
    {2058, "ESM", "es-MX", "espa\u00f1ol (M\u00e9xico)"},
    {2070, "PTG", "pt-PT", "portugu\u00eas (Portugal)"},
    {3076, "ZHH", "zh-HK", "\u4e2d\u6587(\u9999\u6e2f)"},
    {3079, "DEA", "de-AT", "Deutsch (\u00d6sterreich)"},
    {3082, "ESN", "es-ES", "espa\u00f1ol (Espa\u00f1a)"},
    {3084, "FRC", "fr-CA", "fran\u00e7ais (Canada)"},
    {4100, "ZHI", "zh-SG", "\u4e2d\u6587(\u65b0\u52a0\u5761)"},
};

bool ValidUtf8(std::string_view s)
{
  size_t i = 0;
  while (i < s.size()) {
    auto c = static_cast<unsigned char>(s[i]);
    size_t n;
    if (c < 0x80) n = 0;
    else if ((c & 0xE0) == 0xC0 && c >= 0xC2) n = 1;
    else if ((c & 0xF0) == 0xE0) n = 2;
    else if ((c & 0xF8) == 0xF0 && c <= 0xF4) n = 3;
    else return false;
    if (n > 0 && i + n >= s.size()) return false;
    for (size_t k = 1; k <= n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += n + 1;
  }
  return true;
}

// Strict decimal: optional sign, at least one digit, nothing else; false on
// overflow of 32 bits.
bool ParseDecimal(std::string_view t, int32_t& out)
{
  size_t i = 0;
  bool neg = false;
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) neg = t[i++] == '-';
  if (i >= t.size()) return false;
  int64_t v = 0;
  for (; i < t.size(); ++i) {
    if (t[i] < '0' || t[i] > '9') return false;
    v = v * 10 + (t[i] - '0');
    if (v > int64_t(INT32_MAX) + 1) return false;
  }
  if (neg) v = -v;
  if (v > INT32_MAX || v < INT32_MIN) return false;
  out = static_cast<int32_t>(v);
  return true;
}

std::string WithSlash(std::string folder)
{
  if (!folder.empty() && folder.back() != '/') folder.push_back('/');
  return folder;
}

}  // namespace

std::span<const TZmLocaleInfo> KnownLocales() { return kLocales; }

const TZmLocaleInfo* FindLocale(int32_t id)
{
  for (const auto& l : kLocales)
    if (l.Id == id) return &l;
  return nullptr;
}

int32_t LocaleIdFromName(std::string_view name)
{
  std::string tag(name.substr(0, name.find_first_of(".@")));  // "de_DE.UTF-8" -> "de_DE"
  std::replace(tag.begin(), tag.end(), '_', '-');
  if (tag.empty()) return 0;
  for (const auto& l : kLocales)
    if (EqualsNoCase(l.Tag, tag)) return l.Id;
  std::string language = tag.substr(0, tag.find('-'));
  for (const auto& l : kLocales) {
    std::string_view t(l.Tag);
    if (EqualsNoCase(t.substr(0, t.find('-')), language)) return l.Id;
  }
  return 0;
}

std::string TextKey(int number)
{
  char buf[24];
  std::snprintf(buf, sizeof buf, "STR%05d", number);
  return buf;
}

// ---------------------------------------------------------------------------

std::string DecodeTextFile(std::span<const uint8_t> b)
{
  auto utf16 = [&](size_t start, bool little) {
    std::u16string u;
    u.reserve((b.size() - start) / 2);
    for (size_t i = start; i + 1 < b.size(); i += 2)
      u.push_back(static_cast<char16_t>(little ? (b[i] | (b[i + 1] << 8)) : ((b[i] << 8) | b[i + 1])));
    return Utf16ToUtf8(u);
  };
  if (b.size() >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF)
    return std::string(reinterpret_cast<const char*>(b.data()) + 3, b.size() - 3);
  if (b.size() >= 2 && b[0] == 0xFF && b[1] == 0xFE) return utf16(2, true);
  if (b.size() >= 2 && b[0] == 0xFE && b[1] == 0xFF) return utf16(2, false);
  std::string_view raw(reinterpret_cast<const char*>(b.data()), b.size());
  if (ValidUtf8(raw)) return std::string(raw);
  std::string out;
  out.reserve(b.size() + b.size() / 4);
  for (uint8_t c : b) AppendUtf8(out, c);
  return out;
}

bool TZmTextTable::Load(const std::string& path, std::string* error)
{
  Clear();
  std::vector<uint8_t> bytes;
  std::string err;
  if (!ReadWholeFile(path, bytes, err, size_t(16) << 20)) {
    if (error) *error = err;
    return false;
  }
  LoadFromBytes(bytes);
  return true;
}

void TZmTextTable::LoadFromBytes(std::span<const uint8_t> bytes)
{
  Clear();
  // The INI reader ignores lines before the first section header; an empty
  // header in front lets the plain line format through the same reader.
  TZmIniFile ini;
  ini.LoadFromText("[]\n" + DecodeTextFile(bytes));
  for (const auto& section : ini.Sections()) {
    for (const auto& key : ini.Keys(section)) {
      if (Values.count(key)) continue;
      Values.emplace(key, ini.ReadString(section, key));
      Order.push_back(key);
    }
  }
}

void TZmTextTable::Clear()
{
  Values.clear();
  Order.clear();
}

std::string TZmTextTable::Value(std::string_view key) const
{
  auto it = Values.find(std::string(key));
  return it == Values.end() ? std::string() : it->second;
}

bool TZmTextTable::Contains(std::string_view key) const { return Values.count(std::string(key)) != 0; }

// ---------------------------------------------------------------------------

TZmLanguageResources::TZmLanguageResources(std::string programFolder) : Program(WithSlash(std::move(programFolder)))
{
  FindLanguages();
}

TZmLanguageResources::~TZmLanguageResources()
{
  if (LookupInstalled) SetTextLookup(nullptr);
}

void TZmLanguageResources::FindLanguages()
{
  if (Program.empty()) return;
  std::vector<std::string> names;
  for (const TZmFolderEntry& e : ListFolder(Program))
    if (e.Directory) names.push_back(e.Name);
  for (const auto& name : names) {
    if (name.empty() || !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; })) continue;
    int32_t id;
    if (ParseDecimal(name, id)) AddLanguage(id);
  }
}

const TZmLanguageResource* TZmLanguageResources::Find(int32_t id) const
{
  for (const auto& l : List)
    if (l->ID == id) return l.get();
  return nullptr;
}

bool TZmLanguageResources::AddLanguage(int32_t id)
{
  if (!FindLocale(id)) return false;
  if (Find(id)) return true;
  auto lang = std::make_unique<TZmLanguageResource>();
  lang->ID = id;
  lang->Folder = Program + std::to_string(id) + "/";
  if (!FileExists(lang->Folder + "StrTab.ini")) return false;
  lang->StrResPath = lang->Folder + "StrRes.ini";
  if (!FileExists(lang->StrResPath)) {
    lang->StrResPath = Program + "StrRes.ini";
    if (!FileExists(lang->StrResPath)) return false;
  }
  if (!lang->StrTab.Load(lang->Folder + "StrTab.ini") || !lang->StrRes.Load(lang->StrResPath)) return false;
  List.push_back(std::move(lang));
  return true;
}

int TZmLanguageResources::SelectLanguage(int32_t id)
{
  const TZmLanguageResource* lang = Find(id);
  if (!lang) lang = Find(kEnglish);
  if (!lang) return -1;
  CurrentLang = lang;
  CurrentId = lang->ID;
  CurrentFolder = lang->Folder;
  return 0;
}

std::string TZmLanguageResources::GetText(int number) const
{
  if (!CurrentLang || number < 0 || number > 99999) return {};
  return CurrentLang->StrTab.Value(TextKey(number));
}

std::string TZmLanguageResources::FormatText(int number, std::initializer_list<TZmFormatArg> args) const
{
  return SafeFormat(GetText(number), args);
}

std::string TZmLanguageResources::GetRawText(std::string_view key) const
{
  return CurrentLang ? CurrentLang->StrTab.Value(key) : std::string();
}

const TZmTextTable* TZmLanguageResources::GetFormTexts() const { return CurrentLang ? &CurrentLang->StrRes : nullptr; }

const TZmTextTable* TZmLanguageResources::GetTextTable() const { return CurrentLang ? &CurrentLang->StrTab : nullptr; }

std::string TZmLanguageResources::ResolveFormValue(const std::string& value) const
{
  if (!CurrentLang || value.size() < 8 || value.compare(0, 3, "STR") != 0) return value;
  std::string text = CurrentLang->StrTab.Value(value.substr(0, 8));
  if (value.size() > 8 && value[8] == ':') text += ':';
  return text;
}

TZmChoiceEntry TZmLanguageResources::ParseChoiceEntry(const std::string& text)
{
  TZmChoiceEntry e;
  e.Whole = text;
  size_t sep = text.find_first_of(" :");
  std::string_view valueText = std::string_view(text).substr(0, sep);
  if (!ParseDecimal(valueText, e.Value)) e.Value = -1;
  if (sep != std::string::npos) e.Display = text.substr(sep + 1);
  return e;
}

std::vector<TZmChoiceEntry> TZmLanguageResources::ChoiceList(int list) const
{
  std::vector<TZmChoiceEntry> out;
  int32_t count;
  if (!ParseDecimal(Trim(GetText(list)), count) || count <= 0) return out;
  count = std::min(count, kMaxChoiceEntries);
  out.reserve(static_cast<size_t>(count));
  for (int i = 1; i <= count; ++i) out.push_back(ParseChoiceEntry(GetText(list + i)));
  return out;
}

std::string TZmLanguageResources::ChoiceText(int list, int32_t value) const
{
  for (const auto& e : ChoiceList(list))
    if (e.Value == value) return e.Display;
  return {};
}

std::string TZmLanguageResources::LanguageExtension() const
{
  const TZmLocaleInfo* l = CurrentLang ? FindLocale(CurrentId) : nullptr;
  return l ? l->Abbreviation : std::string();
}

std::string TZmLanguageResources::NativeName(int32_t id)
{
  const TZmLocaleInfo* l = FindLocale(id);
  return l ? l->NativeName : std::to_string(id);
}

void TZmLanguageResources::InstallTextLookup()
{
  SetTextLookup([this](int number) { return GetText(number); });
  LookupInstalled = true;
}
