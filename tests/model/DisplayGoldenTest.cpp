// Display objects and buttons painted as the editor shows them and as the
// panel's 1-bit background (bare frames), pinned against pictures a person
// has looked at. No texts: glyphs depend on the fonts of the machine.
#include <gtest/gtest.h>

#include "tests/model/GoldenPicture.h"

#include <cstdlib>
#include <memory>

#include "devices/Model.h"
#include "graphics/Bevel.h"
#include "graphics/Bitmap.h"
#include "graphics/Color.h"
#include "graphics/DC.h"
#include "graphics/Pen.h"
#include "graphics/Picture.h"
#include "graphics/SurfacePng.h"
#include "model/Buttons.h"
#include "model/Displays.h"
#include "model/Project.h"
#include "model/Scenes.h"
#include "model/StatusInf.h"

namespace {

std::unique_ptr<TZmHMI> GoldenProject()
{
  std::unique_ptr<TZmHMI> root(NewObject<TZmHMI>());
  root->ModelID = 1002;  // the shipped 240 x 128 panel
  TZmScene* s = TZmSceneGroup::Create(root->SceneGroups)->AddScene();
  TZmComponentGroup* g = s->ComponentGroup;
  auto state = [](TZmStatusInfs* list, int32_t style) {
    TZmStatusInf* st = list->Add();
    st->Brush->StyleIndex = style;
    st->Brush->Color = 1;
  };
  auto* lamp = CreateComponent<TZmLamp>(g);
  lamp->SetBounds(4, 4, 43, 27);
  state(lamp->StatusInfs, 1);
  state(lamp->StatusInfs, 0);
  auto* off = CreateComponent<TZmLamp>(g);
  off->SetBounds(48, 4, 87, 27);
  state(off->StatusInfs, 1);
  state(off->StatusInfs, 3);
  off->StatusInfs->CurrentIndex = 1;
  CreateComponent<TZmLamp>(g)->SetBounds(92, 4, 131, 27);  // no states: the frame only
  for (int32_t d = 0; d < 4; ++d) {
    auto* bar = CreateComponent<TZmBar>(g);
    bar->SetBounds(4 + 28 * d, 34, 27 + 28 * d, 81);
    bar->Direction = d;
    bar->BarBrush->Color = 1;
  }
  for (int32_t d = 0; d < 2; ++d) {
    auto* block = CreateComponent<TZmBar>(g);
    block->SetBounds(120, 34 + 24 * d, 235, 53 + 24 * d);
    block->Type = 1;
    block->Direction = 2 * d;
    block->BarSize = 10;
    block->BarBrush->Color = 1;
  }
  TZmButtonBase* buttons[] = {CreateComponent<TZmButton>(g),       CreateComponent<TZmButtonSetValue>(g),
                              CreateComponent<TZmButtonPage>(g),   CreateComponent<TZmButtonFun>(g),
                              CreateComponent<TZmButtonKey>(g),    CreateComponent<TZmBtnStatusSet>(g),
                              CreateComponent<TZmButtonPwdPage>(g)};
  for (int i = 0; i < 7; ++i) {
    buttons[i]->SetBounds(4 + 33 * i, 90, 33 + 33 * i, 119);
    state(buttons[i]->StatusInfs, i % 2 ? 2 + i : 0);
  }
  auto* key = CreateComponent<TZmBtnSystem>(g);  // never drawn
  key->SetBounds(0, 0, 239, 127);
  key->Type = 8;
  return root;
}


}  // namespace

TEST(DisplayGolden, EditorViewAndBareFrames)
{
  const TZmModel* model = LoadGoldenModel();
  ASSERT_TRUE(model);
  auto root = GoldenProject();
  TZmScene* scene = root->SceneGroups->FindScene(1);

  CompareSceneWithGolden(*scene, *model, 0, true, "displays-editor.png");
  // The compiler's mode: what reaches the panel's background is the frames.
  CompareSceneWithGolden(*scene, *model, 1, false, "displays-frames.png");
  root.reset();
  TZmModels::Global().Clear();
}
