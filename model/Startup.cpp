#include "model/Startup.h"

#include <memory>

#include "base/Language.h"
#include "base/Texts.h"
#include "model/DataRoot.h"
#include "model/Registry.h"

namespace {
TZmStart& Current()
{
  static TZmStart start;
  return start;
}
std::unique_ptr<TZmLanguageResources>& OwnedLanguage()
{
  static std::unique_ptr<TZmLanguageResources> language;
  return language;
}
}  // namespace

const TZmStart& StartProgram(const TZmStartOptions& options)
{
  RegisterModelClasses();
  TZmStart& start = Current();
  start.DataRoot = FindDataRoot(options.Program, options.DataOption);
  // The old language goes first: it takes its text lookup with it.
  start.Language = nullptr;
  OwnedLanguage().reset();
  auto language = std::make_unique<TZmLanguageResources>(start.DataRoot);
  if (language->SelectLanguage(options.LanguageId) == 0) {
    language->InstallTextLookup();
    OwnedLanguage() = std::move(language);
    start.Language = OwnedLanguage().get();
  }
  return start;
}

const TZmStart& ProgramStart() { return Current(); }
