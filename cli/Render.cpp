// Painting a scene to PNG, as the editor shows it.
#include <filesystem>
#include <memory>

#include "cli/Commands.h"
#include "devices/Model.h"
#include "graphics/Bitmap.h"
#include "graphics/DC.h"
#include "graphics/SurfacePng.h"
#include "model/Component.h"
#include "model/Project.h"
#include "model/Scenes.h"

static bool RenderOne(TZmHMI& root, TZmScene* scene, const std::string& out, bool background, std::string& error)
{
  const TZmModel* model = root.Model();
  TZmDC dc(model->Width(), model->Height());
  TZmComponent::PrepareContext(dc, model);
  uint16_t back = model->PaletteColor(static_cast<uint32_t>(model->BGColorIndex), scene->Option);
  dc.Clear(back);
  if (!background) {
    scene->PaintScene(dc, nullptr, 0, true);
    return SaveSurfacePng(dc, out, error);
  }
  // What the panel receives: the compiler's 1-bit background, shown in the
  // panel's two colours.
  scene->RenderBackground();
  std::span<const uint8_t> bits = scene->Background->Bytes();
  if (bits.empty()) {
    error = "the panel model's colour format has no 1-bit background";
    return false;
  }
  uint16_t ink = model->PaletteColor(1, scene->Option);
  int32_t w = dc.Width(), h = dc.Height();
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      size_t byte, bit;
      if (model->ColorFormat == 7) {  // a byte per column of eight rows
        byte = static_cast<size_t>(y / 8) * w + x;
        bit = y % 8;
      } else {  // rows of pixels, least significant bit first
        size_t n = static_cast<size_t>(y) * w + x;
        byte = n / 8;
        bit = n % 8;
      }
      if (byte < bits.size() && (bits[byte] >> bit) & 1) dc.SetPixel(x, y, ink);
    }
  return SaveSurfacePng(dc, out, error);
}

static bool LoadForRender(TZmHMI& root, const std::string& path, std::string& error)
{
  if (!LoadProject(root, path, error)) return false;
  if (!root.Model()) {
    error = "the project's panel model (ID " + std::to_string(root.ModelID) + ") is not installed";
    return false;
  }
  return true;
}

bool RenderScene(const std::string& path, int32_t sceneId, const std::string& out, bool background, std::string& error)
{
  std::unique_ptr<TZmHMI> root(NewObject<TZmHMI>());
  if (!LoadForRender(*root, path, error)) return false;
  TZmScene* scene = root->SceneGroups->FindScene(sceneId);
  if (!scene) {
    error = "the project has no screen " + std::to_string(sceneId);
    return false;
  }
  return RenderOne(*root, scene, out, background, error);
}

bool RenderAllScenes(const std::string& path, const std::string& folder, bool background, std::ostream& report,
                     std::string& error)
{
  std::unique_ptr<TZmHMI> root(NewObject<TZmHMI>());
  if (!LoadForRender(*root, path, error)) return false;
  try {
    std::filesystem::create_directories(folder);
  } catch (const std::filesystem::filesystem_error& e) {
    error = folder + ": " + e.code().message();
    return false;
  }
  for (TZmSceneGroup* g : root->SceneGroups->Groups)
    for (TZmScene* s : g->Scenes) {
      std::string file = folder + "/screen-" + std::to_string(s->ID) + ".png";
      if (!RenderOne(*root, s, file, background, error)) return false;
      report << "Wrote " << file << " (" << s->GetDisplayName() << ")\n";
    }
  return true;
}
