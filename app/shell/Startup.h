#pragma once
// Program entry of the editor: data root, language selection, main window.
#include <QString>
#include <cstdint>

class TZmLanguageResources;

// The system locale as a locale number; English when the table has no match.
int32_t SystemLocaleId();
// The stored language, or the system's when none (or 0) is stored.
int32_t StartupLanguageId();
// Selects the start-up language with the fallback to English. False when no
// language is installed at all.
bool SelectStartupLanguage(TZmLanguageResources& language);

int RunEditor(int argc, char** argv, const char* version);
