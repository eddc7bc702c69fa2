#pragma once
// Numbered user-interface texts as the Qt-free core sees them. The language
// store installs the lookup at start-up; without one, texts are empty.
#include <functional>
#include <string>

using TZmTextLookup = std::function<std::string(int number)>;
void SetTextLookup(TZmTextLookup lookup);
std::string GetText(int number);
