// Feeds arbitrary bytes to the readers of a language folder's text files
// ("StrTab.ini" and "StrRes.ini") and then uses every numbered text the way
// the program does: as a text, as a format of the safe formatter, as a
// choice list, and form values as references to texts.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "base/File.h"
#include "base/Language.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  namespace fs = std::filesystem;
  static const fs::path folder = fs::temp_directory_path() / ("kestrava-fuzz-language-" + std::to_string(::getpid()));
  std::error_code ec;
  fs::create_directories(folder / "1033", ec);
  std::string error;
  std::span<const uint8_t> bytes(data, size);
  if (!WriteFileAtomic((folder / "1033" / "StrTab.ini").string(), bytes, error) ||
      !WriteFileAtomic((folder / "1033" / "StrRes.ini").string(), bytes, error))
    return 0;
  TZmLanguageResources language(folder.string());
  if (language.SelectLanguage(1033) != 0) return 0;
  const TZmTextTable* table = language.GetTextTable();
  size_t used = 0;
  for (const std::string& key : table->Keys()) {
    if (++used > 64) break;
    int32_t number = 0;
    if (key.size() == 8 && (key.rfind("STR", 0) == 0 || key.rfind("str", 0) == 0))
      number = std::atoi(key.c_str() + 3);
    language.GetText(number);
    language.FormatText(number, {12, "text", 2.5, -7});
    language.ChoiceList(number);
    language.ChoiceText(number, 1);
    language.ResolveFormValue(table->Value(key));
  }
  return 0;
}
