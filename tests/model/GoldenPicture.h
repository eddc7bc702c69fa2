#pragma once
// Compares a drawn surface with a golden picture in tests/data/golden, at
// the surface's colour precision. KESTRAVA_WRITE_GOLDEN=1 rewrites the
// picture instead (look at it before committing it).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "devices/Model.h"
#include "graphics/Color.h"
#include "graphics/DC.h"
#include "graphics/Picture.h"
#include "graphics/SurfacePng.h"
#include "model/Component.h"
#include "model/Scenes.h"

inline void CompareWithGolden(const TZmDC& dc, const std::string& name)
{
  std::string path = std::string(KESTRAVA_TEST_DATA "/golden/") + name;
  if (std::getenv("KESTRAVA_WRITE_GOLDEN")) {
    std::string error;
    ASSERT_TRUE(SaveSurfacePng(dc, path, error)) << error;
  }
  TZmPictureData golden;
  std::string error;
  ASSERT_TRUE(LoadPngFile(path, golden, error)) << error;
  ASSERT_EQ(golden.Width, dc.Width());
  ASSERT_EQ(golden.Height, dc.Height());
  size_t differ = 0;
  for (int32_t y = 0; y < dc.Height(); ++y)
    for (int32_t x = 0; x < dc.Width(); ++x) {
      uint32_t px = golden.At(x, y);  // 0xAARRGGBB
      uint32_t rgb = ((px >> 16) & 0xFF) | (px & 0xFF00) | ((px & 0xFF) << 16);
      if ((RGB565ToRGB(dc.RawPixel(x, y)) & 0xF8FCF8) != (rgb & 0xF8FCF8)) ++differ;
    }
  EXPECT_EQ(differ, 0u) << name;
}

// The panel model the golden pictures are drawn for (KP240), loaded afresh
// from the build's data folder; none when it is missing.
inline const TZmModel* LoadGoldenModel()
{
  TZmModels::Global().Clear();
  TZmModels::Global().LoadModelFolder(KESTRAVA_BUILD_DIR "/data/model", "ENU");
  return TZmModels::Global().Find(1002);
}

// Paints a scene onto a cleared surface of the model's size, as the editor
// (mode 0 with its marks) or the compiler (mode 1, no marks) does, and
// compares it with a golden picture.
inline void CompareSceneWithGolden(TZmScene& scene, const TZmModel& model, int32_t mode, bool editorMarks,
                                   const std::string& name, TZmTextRasterizer* text = nullptr)
{
  TZmDC dc(model.Width(), model.Height());
  TZmComponent::PrepareContext(dc, &model);
  if (text) dc.Text = text;
  dc.Clear(model.PaletteColor(0, 0));
  scene.PaintScene(dc, nullptr, mode, editorMarks);
  CompareWithGolden(dc, name);
}
