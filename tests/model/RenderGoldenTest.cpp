// A scene painted as the editor shows it and as the panel's 1-bit background,
// pinned against pictures a person has looked at. Shapes only: no fonts.
#include <gtest/gtest.h>

#include "tests/model/GoldenPicture.h"

#include <cstdlib>
#include <memory>

#include "base/File.h"
#include "devices/Model.h"
#include "graphics/Bitmap.h"
#include "graphics/Color.h"
#include "graphics/DC.h"
#include "graphics/Pen.h"
#include "graphics/Picture.h"
#include "graphics/SurfacePng.h"
#include "model/Project.h"
#include "model/Scenes.h"
#include "model/Shapes.h"

namespace {

std::unique_ptr<TZmHMI> GoldenProject()
{
  std::unique_ptr<TZmHMI> root(NewObject<TZmHMI>());
  root->ModelID = 1002;  // the shipped 240 x 128 panel
  TZmScene* s = TZmSceneGroup::Create(root->SceneGroups)->AddScene();
  TZmComponentGroup* g = s->ComponentGroup;
  auto ink = [](TZmGraphic* shape, int32_t fill) {
    shape->Pen->Color = 1;
    shape->Brush->Color = 1;
    shape->Brush->StyleIndex = fill;
  };
  auto* frame = CreateComponent<TZmRect>(g);
  frame->SetBounds(0, 0, 239, 127);
  ink(frame, 0);
  auto* hatch = CreateComponent<TZmRoundRect>(g);
  hatch->SetBounds(10, 10, 90, 60);
  ink(hatch, 3);
  auto* circle = CreateComponent<TZmEllipse>(g);
  circle->SetBounds(110, 10, 160, 60);
  ink(circle, 1);
  auto* pie = CreateComponent<TZmPie>(g);
  pie->SetBounds(170, 10, 220, 60);
  pie->StartAngle = 45;
  pie->EndAngle = 315;
  ink(pie, 0);
  auto* line = CreateComponent<TZmLine>(g);
  line->SetBounds(10, 120, 230, 70);
  ink(line, 0);
  line->Pen->Width = 3;
  auto* poly = CreateComponent<TZmPolyline>(g);
  poly->SetPoints({{20, 80}, {60, 110}, {100, 80}, {140, 110}});
  ink(poly, 0);
  for (int i = 0; i < 6; ++i) {
    auto* p = CreateComponent<TZmPoint>(g);
    p->SetBounds(160 + 12 * i, 100, 0, 0);
    p->Type = static_cast<uint32_t>(i);
    ink(p, 0);
  }
  hatch->ExternFlag = 0x4000;  // an editor overlay: shown on the canvas, never in the background
  return root;
}


}  // namespace

TEST(RenderGolden, EditorViewAndBackground)
{
  const TZmModel* model = LoadGoldenModel();
  ASSERT_TRUE(model);
  auto root = GoldenProject();
  TZmScene* scene = root->SceneGroups->FindScene(1);

  CompareSceneWithGolden(*scene, *model, 0, true, "scene-editor.png");

  scene->RenderBackground();
  TZmDC panel(model->Width(), model->Height());
  panel.Clear(0xFFFF);
  auto bits = scene->Background->Bytes();
  for (int32_t y = 0; y < panel.Height(); ++y)
    for (int32_t x = 0; x < panel.Width(); ++x) {
      size_t n = static_cast<size_t>(y) * panel.Width() + x;  // row layout, least significant bit first
      if ((bits[n / 8] >> (n % 8)) & 1) panel.SetPixel(x, y, 0);
    }
  CompareWithGolden(panel, "scene-background.png");
  TZmModels::Global().Clear();
}
