#pragma once
// The data root: the folder with the panel models, protocols, pictures and
// language folders. Beside the executable unless KESTRAVA_DATA or an explicit
// option names another one.
#include <string>
#include <vector>

// The option when given, else $KESTRAVA_DATA, else the "data" folder beside
// the program, else (an installed copy) share/kestrava beside its bin folder.
std::string FindDataRoot(const std::string& executablePath, const std::string& option);

// Loads the process-wide databases from the data root. Problems in data
// files become warnings; nothing is shown.
struct TZmDataLoad {
  std::vector<std::string> Warnings;
};
TZmDataLoad LoadDataRoot(const std::string& root, const std::string& languageCode);
