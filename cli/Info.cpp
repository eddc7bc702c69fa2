#include <memory>

#include "cli/Commands.h"
#include "devices/Devices.h"
#include "devices/Model.h"
#include "model/Alarms.h"
#include "model/Component.h"
#include "model/Project.h"
#include "model/Scenes.h"

bool ProjectInfo(const std::string& path, std::ostream& out, std::string& error)
{
  std::unique_ptr<TZmHMI> root(NewObject<TZmHMI>());
  std::vector<std::string> warnings;
  if (!LoadProject(*root, path, error, &warnings)) return false;
  for (const auto& w : warnings) out << "Warning: " << w << "\n";
  const TZmModel* model = root->Model();
  out << "Project:      " << path << "\n";
  out << "Title:        " << root->Title << "\n";
  out << "Description:  " << root->Description << "\n";
  out << "Model ID:     " << root->ModelID;
  if (model) out << " (" << model->Name << ")";
  else out << " (no such model installed)";
  out << "\n";
  out << "Ports:        " << root->Devices->DeviceCount() << "\n";
  for (auto* d : root->Devices->Devices) {
    std::string text = d->DisplayText();
    out << "  " << (text.empty() ? "port " + std::to_string(d->Index) : text) << "\n";
  }
  out << "Stations:     " << root->Devices->StationCount() << "\n";
  for (auto* d : root->Devices->Devices)
    for (auto* s : d->Stations) out << "  " << s->DisplayText() << "\n";
  out << "Scene groups: " << root->SceneGroups->Count() << "\n";
  out << "Scenes:       " << root->SceneGroups->SceneCount() << "\n";
  for (auto* g : root->SceneGroups->Groups) {
    out << "  " << g->GetDisplayName() << ":";
    for (auto* s : g->Scenes) out << " [" << s->GetDisplayName() << ", " << s->ComponentGroup->Count() << " objects]";
    out << "\n";
  }
  out << "Alarms:       " << root->Alarms->Count() << "\n";
  return true;
}
