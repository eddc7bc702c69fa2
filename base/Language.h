#pragma once
// The user-interface language store. Every caption, message, tree-node name
// and choice list comes from a language folder beside the program, named by
// its locale number ("1033" is English): "StrTab.ini" holds the numbered texts
// (STR01000=...), "StrRes.ini" the form texts addressed by widget path. This
// part is Qt-free so that the core (type names, station texts, compiler
// messages) reads the same texts as the editor.

#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/Format.h"
#include "base/Ini.h"

// One row of the locale table: the locale number a language folder is named
// by, the three-letter abbreviation models and protocols use for localised
// keys, the BCP 47 tag for matching the system locale, and the language's
// name in its own language (shown in the language menu).
struct TZmLocaleInfo {
  int32_t Id;
  const char* Abbreviation;
  const char* Tag;
  const char* NativeName;
};

std::span<const TZmLocaleInfo> KnownLocales();
const TZmLocaleInfo* FindLocale(int32_t id);
// Matches "de_DE", "de-DE" or "de" (case-insensitive): the exact tag first,
// then the first locale of the same language. 0 when nothing matches.
int32_t LocaleIdFromName(std::string_view name);

// The lines of one language file: key = value, keys compared without regard
// to ASCII case, the first line of a key wins. Lines outside any [section]
// count as well as lines inside one, so both the plain line format and INI
// files with a section header are read.
class TZmTextTable {
public:
  bool Load(const std::string& path, std::string* error = nullptr);
  void LoadFromBytes(std::span<const uint8_t> bytes);
  void Clear();

  // The value of the key, or an empty text when no line has that key.
  std::string Value(std::string_view key) const;
  bool Contains(std::string_view key) const;
  // Keys in file order (first occurrence), as written in the file.
  const std::vector<std::string>& Keys() const { return Order; }
  size_t Count() const { return Order.size(); }

private:
  std::map<std::string, std::string, TZmNoCaseLess> Values;
  std::vector<std::string> Order;
};

// Decodes a text file's bytes to UTF-8: a byte-order mark selects UTF-8 or
// UTF-16 (either byte order); without one, valid UTF-8 is taken as it is and
// anything else is read as Latin-1, so no byte sequence is lost or rejected.
std::string DecodeTextFile(std::span<const uint8_t> bytes);

class TZmLanguageResources;

// One installed language; both files are loaded when it is found.
class TZmLanguageResource {
public:
  int32_t ID = 0;
  std::string Folder;       // ProgramFolder + ID + "/"
  std::string StrResPath;   // the "StrRes.ini" in use
  TZmTextTable StrTab;
  TZmTextTable StrRes;
};

// One entry of a choice list: the value before the first space or colon (-1
// when it is not a decimal number), the display text after that one
// separator, and the whole entry text.
struct TZmChoiceEntry {
  int32_t Value = -1;
  std::string Display;
  std::string Whole;
};

class TZmLanguageResources {
public:
  // A choice list longer than this is cut: the count comes from a data file.
  static constexpr int kMaxChoiceEntries = 1000;
  static constexpr int32_t kEnglish = 1033;

  // Finds the languages under programFolder (created without any when the
  // folder is empty). The folder gets a trailing '/' when it lacks one.
  explicit TZmLanguageResources(std::string programFolder);
  ~TZmLanguageResources();
  TZmLanguageResources(const TZmLanguageResources&) = delete;
  TZmLanguageResources& operator=(const TZmLanguageResources&) = delete;

  // Lists the sub-folders of ProgramFolder in name order and adds every one
  // whose name is a decimal number.
  void FindLanguages();
  // False when id is not a known locale, has no "StrTab.ini", or has no
  // "StrRes.ini" either in its folder or in ProgramFolder; true when it is
  // installed (already or now).
  bool AddLanguage(int32_t id);
  // 0 on success; falls back to English when id is not installed. -1 when
  // neither is installed; the current language then stays as it was.
  int SelectLanguage(int32_t id);
  bool IsInstalled(int32_t id) const { return Find(id) != nullptr; }

  // Numbered text: the value of "STR%05d"; empty without a language or when
  // the number has no line.
  std::string GetText(int number) const;
  // A numbered text used as a format, through the safe formatter: only the
  // expected conversions are honoured, anything else is copied literally.
  std::string FormatText(int number, std::initializer_list<TZmFormatArg> args) const;
  // Lookup of any key in the numbered-text table ("Font.Name").
  std::string GetRawText(std::string_view key) const;
  const TZmTextTable* GetFormTexts() const;
  const TZmTextTable* GetTextTable() const;
  // A form-text value with its reference resolved: "STR01000" gives text
  // 1000, "STR01000:" text 1000 and a colon, "STR01000xyz" text 1000; other
  // values come back unchanged. References stay as they are without a
  // language.
  std::string ResolveFormValue(const std::string& value) const;

  // Choice list L: text L is the count N, texts L+1 .. L+N the entries.
  // Empty when text L is not a positive number.
  std::vector<TZmChoiceEntry> ChoiceList(int list) const;
  // The display text of the first entry whose value equals value, or empty.
  std::string ChoiceText(int list, int32_t value) const;
  static TZmChoiceEntry ParseChoiceEntry(const std::string& text);

  // The current locale's three-letter abbreviation ("ENU"), or empty.
  std::string LanguageExtension() const;
  // The language's own name for the menu; the number as text when the
  // locale table does not know it.
  static std::string NativeName(int32_t id);

  // Makes this store the core's source of numbered texts (GetText in
  // base/Texts.h) until it is destroyed.
  void InstallTextLookup();

  const TZmLanguageResource* Current() const { return CurrentLang; }
  int32_t CurrentID() const { return CurrentId; }
  const std::string& LanguageFolder() const { return CurrentFolder; }
  const std::string& ProgramFolder() const { return Program; }
  const std::vector<std::unique_ptr<TZmLanguageResource>>& Languages() const { return List; }

private:
  const TZmLanguageResource* Find(int32_t id) const;

  std::string Program;
  std::vector<std::unique_ptr<TZmLanguageResource>> List;
  const TZmLanguageResource* CurrentLang = nullptr;
  int32_t CurrentId = 0;
  std::string CurrentFolder;
  bool LookupInstalled = false;
};

// The key of a numbered text: "STR" and the number in five digits.
std::string TextKey(int number);
