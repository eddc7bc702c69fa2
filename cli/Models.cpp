// Listing panel models and creating a new project for one.
#include <memory>

#include "base/Format.h"
#include "base/Texts.h"
#include "base/Utf.h"
#include "cli/Commands.h"
#include "devices/Model.h"
#include "model/Project.h"

void ListModels(std::ostream& out)
{
  const TZmModels& models = TZmModels::Global();
  for (size_t i = 0; i < models.Count(); ++i) {
    const TZmModel& m = *models.Item(i);
    out << m.Name << " (ID " << m.ID << ")" << (m.Valid ? "" : "  [incomplete: not offered for new projects]") << "\n";
    if (!m.Description.empty()) out << "  " << m.Description << "\n";
    out << "  screen " << m.Width() << " x " << m.Height() << ", " << m.ColorBit << " bit per pixel, colour format "
        << m.ColorFormat << (m.SceneOption ? ", scene colour option" : "") << "\n";
    out << "  image memory " << m.ROMSize << " KiB, " << m.REGCnt << " internal registers, " << m.COMCnt << " serial ports";
    for (const auto& p : m.PortNames) out << " " << p;
    out << "\n  keys:";
    for (const auto& k : m.Keys) {
      out << " " << (k.second.Caption.empty() ? std::to_string(k.second.Code) : k.second.Caption);
      if (k.second.Function == 1280) out << "(previous scene)";
      if (k.second.Function == 1536) out << "(next scene)";
    }
    out << "\n";
  }
}

bool NewProject(const std::string& modelName, const std::string& languageFolder, const std::string& path,
                std::ostream& out, std::string& error)
{
  const TZmModel* m = TZmModels::Global().FindByName(modelName);
  if (!m) {
    for (size_t i = 0; i < TZmModels::Global().Count() && !m; ++i)
      if (EqualsNoCase(TZmModels::Global().Item(i)->Name, modelName)) m = TZmModels::Global().Item(i);
  }
  if (!m) {
    error = "no panel model \"" + modelName + "\" (kestrava-cli models lists them)";
    return false;
  }
  if (!m->Valid) {
    error = "panel model \"" + m->Name + "\" is incomplete (a picture or location is missing)";
    return false;
  }
  std::unique_ptr<TZmHMI> root(NewObject<TZmHMI>());
  // The language folder's template project for this model comes first.
  std::string templateError;
  bool fromTemplate = !languageFolder.empty() && LoadProject(*root, languageFolder + "/" + m->Name + ".ksv", templateError);
  if (!fromTemplate) NewFromModel(*root, m);
  std::string saved;
  if (!SaveProject(*root, path, error, &saved)) return false;
  out << "Created " << saved << " for " << m->Name << (fromTemplate ? " from its template" : "") << "\n";
  return true;
}
