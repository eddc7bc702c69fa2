// Painting a scene to PNG, as the editor shows it.
#include <memory>

#include "cli/Commands.h"
#include "devices/Model.h"
#include "graphics/DC.h"
#include "graphics/SurfacePng.h"
#include "model/Component.h"
#include "model/Project.h"
#include "model/Scenes.h"

bool RenderScene(const std::string& path, int32_t sceneId, const std::string& out, bool background, std::string& error)
{
  std::unique_ptr<TZmHMI> root(NewObject<TZmHMI>());
  if (!LoadProject(*root, path, error)) return false;
  const TZmModel* model = root->Model();
  if (!model) {
    error = "the project's panel model (ID " + std::to_string(root->ModelID) + ") is not installed";
    return false;
  }
  TZmScene* scene = root->SceneGroups->FindScene(sceneId);
  if (!scene) {
    error = "the project has no screen " + std::to_string(sceneId);
    return false;
  }
  TZmDC dc(model->Width(), model->Height());
  TZmComponent::PrepareContext(dc, model);
  dc.Clear(model->PaletteColor(static_cast<uint32_t>(model->BGColorIndex), scene->Option));
  // The background is the compiler's clean pass: no editor marks.
  scene->PaintScene(dc, nullptr, background ? 1 : 0, !background);
  return SaveSurfacePng(dc, out, error);
}
