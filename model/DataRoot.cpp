#include "model/DataRoot.h"

#include <cstdlib>
#include <filesystem>

#include "devices/Model.h"
#include "devices/Protocols.h"

std::string FindDataRoot(const std::string& executablePath, const std::string& option)
{
  namespace fs = std::filesystem;
  if (!option.empty()) return option;
  if (const char* env = std::getenv("KESTRAVA_DATA"); env && *env) return env;
  // The throwing forms: the error-code ones are noexcept and would end the
  // program on an allocation failure.
  fs::path exe = executablePath;
  try {
    exe = fs::canonical(exe);
  } catch (const fs::filesystem_error&) {
    try {
      exe = fs::absolute(exe);
    } catch (const fs::filesystem_error&) {
      // as given
    }
  }
  // A build keeps the data beside the programs; an installed copy keeps it
  // in share/kestrava next to the bin folder.
  const fs::path beside = exe.parent_path() / "data";
  const fs::path installed = exe.parent_path().parent_path() / "share" / "kestrava";
  try {
    if (!fs::is_directory(beside) && fs::is_directory(installed)) return installed.string();
  } catch (const fs::filesystem_error&) {
    // unreadable: the folder beside the program
  }
  return beside.string();
}

TZmDataLoad LoadDataRoot(const std::string& root, const std::string& languageCode)
{
  TZmDataLoad load;
  TZmControllerDB& db = TZmControllerDB::Global();
  db.BuildInternalController();
  db.ClearProtocols();
  db.Warnings.clear();
  db.LoadProtocolFolder(root + "/protocol", languageCode);
  for (const auto& w : db.Warnings) load.Warnings.push_back(w.File + ": [" + w.Section + "] " + w.Key + ": " + w.Text);
  TZmModels::Global().Clear();
  TZmModels::Global().LoadModelFolder(root + "/model", languageCode);
  return load;
}
