// Labels, scales, tables, pictures and input objects painted as the editor
// shows them and as the compiler paints the panel's 1-bit background,
// pinned against pictures a person has looked at. Texts are drawn by the
// fixed-cell rasteriser, so the pictures do not depend on installed fonts.
#include <gtest/gtest.h>

#include "tests/model/GoldenPicture.h"

#include <cstdlib>
#include <memory>

#include "devices/Bindings.h"
#include "devices/Model.h"
#include "graphics/Bevel.h"
#include "graphics/Bitmap.h"
#include "graphics/DC.h"
#include "graphics/Pen.h"
#include "graphics/Text.h"
#include "graphics/TextRaster.h"
#include "model/Controls.h"
#include "model/Inputs.h"
#include "model/Project.h"
#include "model/Scenes.h"
#include "model/StatusInf.h"

namespace {

// A 20 x 14 picture of an arrow pointing right, 1 bit per pixel.
void ArrowImage(TZmBitmap& b)
{
  b.Width = 20;
  b.Height = 14;
  b.ColorBit = 1;
  b.Image->Image.WriteZeros(PackedImageBytes(20, 14, 1));
  for (int32_t y = 0; y < 14; ++y)
    for (int32_t x = 0; x < 20; ++x) {
      bool shaft = x < 12 && y >= 5 && y <= 8;
      bool head = x >= 12 && (x - 12) <= 7 - std::abs(y - 6) && (x - 12) <= 7 - std::abs(y - 7);
      if (shaft || head) SetPackedPixel(b.Image->MutableBytes(), 20, 1, x, y, 1);
    }
}

std::unique_ptr<TZmHMI> GoldenProject()
{
  std::unique_ptr<TZmHMI> root(NewObject<TZmHMI>());
  root->ModelID = 1002;  // the shipped 240 x 128 panel
  TZmScene* s = TZmSceneGroup::Create(root->SceneGroups)->AddScene();
  TZmComponentGroup* g = s->ComponentGroup;

  auto* label = CreateComponent<TZmLabel>(g);
  label->SetBounds(4, 4, 63, 27);
  label->MultiTexts->First()->SetText("Tank 1\nlevel");
  label->MultiTexts->First()->Color = 1;

  auto* picture = CreateComponent<TZmPicture>(g);
  picture->SetBounds(68, 4, 107, 27);
  picture->Bevel->ID = 0x10001;
  ArrowImage(*picture->Image);

  auto* multi = CreateComponent<TZmMutilStatus>(g);
  multi->SetBounds(112, 4, 163, 27);
  TZmStatusInf* on = multi->StatusInfs->Add();
  on->Brush->StyleIndex = 3;
  on->Brush->Color = 1;
  on->MultiTexts->First()->SetText("AUTO");
  on->MultiTexts->First()->Color = 1;
  multi->StatusInfs->Add()->MultiTexts->First()->SetText("HAND");

  auto* num = CreateComponent<TZmEditNum>(g);
  num->SetBounds(168, 4, 235, 27);
  num->DisplayNumInf->IntWidth = 4;
  num->DisplayNumInf->FloatWidth = 2;
  num->MultiTexts->First()->Color = 1;
  num->MultiTexts->First()->Align = 5;  // right, centred vertically

  // One scale of each layout: labels right, below, left, above.
  const TZmRectValue scales[] = {{4, 32, 49, 123}, {104, 80, 235, 101}, {54, 32, 99, 123}, {104, 104, 235, 125}};
  for (uint32_t type = 0; type < 4; ++type) {
    auto* scale = CreateComponent<TZmScale>(g);
    const TZmRectValue& r = scales[type];
    scale->SetBounds(r.Left, r.Top, r.Right, r.Bottom);
    scale->Type = type;
    scale->ScaleInf->Pen->Color = 1;
    scale->ScaleInf->Text->Color = 1;
    scale->ScaleInf->Min = type < 2 ? 0 : -50;
    scale->ScaleInf->Max = type < 2 ? 100 : 50;
    scale->ScaleInf->FOption = type == 3 ? 5 : 7;  // the last one without its axis line
  }

  auto* table = CreateComponent<TZmTable>(g);
  table->SetBounds(104, 32, 171, 75);
  table->Type = 1;
  table->XCount = 4;
  table->YCount = 3;
  table->Pen->Color = 1;

  auto* grid = CreateComponent<TZmTable>(g);
  grid->SetBounds(176, 32, 235, 75);
  grid->Bevel->ID = 0x10001;
  grid->XCount = 6;
  grid->YCount = 0;  // read from a damaged file: one row
  grid->Pen->Color = 1;
  return root;
}

}  // namespace

TEST(ControlGolden, EditorViewAndBackground)
{
  const TZmModel* model = LoadGoldenModel();
  ASSERT_TRUE(model);
  auto root = GoldenProject();
  TZmScene* scene = root->SceneGroups->FindScene(1);
  TZmFixedCellRasterizer cells(4, 6);

  CompareSceneWithGolden(*scene, *model, 0, true, "controls-editor.png", &cells);
  // The compiler's mode: labels, pictures and inputs leave their frames,
  // scales and tables are drawn whole.
  CompareSceneWithGolden(*scene, *model, 1, false, "controls-background.png", &cells);
  root.reset();
  TZmModels::Global().Clear();
}
