// Writes the bundled demo project that the main job opens.
#include <cstdio>
#include <memory>

#include "base/Guard.h"
#include "devices/Bindings.h"
#include "devices/Devices.h"
#include "devices/Protocols.h"
#include "model/Alarms.h"
#include "model/Buttons.h"
#include "model/Controls.h"
#include "model/Displays.h"
#include "model/Inputs.h"
#include "model/Project.h"
#include "model/Startup.h"
#include "graphics/Pen.h"
#include "model/Scenes.h"
#include "model/Shapes.h"
#include "model/StatusInf.h"
#include "graphics/Bevel.h"
#include "graphics/Bitmap.h"
#include "graphics/Text.h"

static int Main(int argc, char** argv)
{
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_demo DATA_DIR OUT.ksv\n");
    return 2;
  }
  StartProgram({argv[0], argv[1], 1033});
  TZmControllerDB& db = TZmControllerDB::Global();
  db.LoadProtocolFolder(std::string(argv[1]) + "/protocol", "1033");
  const TZmProtocol* rtu = db.FindProtocol(1060208397);
  if (!rtu || rtu->ControllerRefs.empty()) {
    std::fprintf(stderr, "make_demo: the Modbus RTU protocol file is missing from %s/protocol\n", argv[1]);
    return 1;
  }
  std::unique_ptr<TZmHMI> root(NewObject<TZmHMI>());
  root->Title = "Pump station";
  root->Description = "Demo project: a pump station panel with an overview, a settings scene, a controls scene and two alarms.";
  root->ModelID = 1002;  // the 240 x 128 panel

  for (uint32_t port = 0; port < 2; ++port) {
    TZmDevice* d = TZmDevice::Create(root->Devices);
    d->Type = 15;
    d->Index = port;
    d->CommSetup.setup0 = 9600;
    d->CommSetup.setup1 = 0x00000300;  // RS232, 8 data bits, 1 stop bit, no parity
  }
  TZmDevice* port = root->Devices->Device(0);
  port->SetProtocol(rtu);
  port->CommSetup.setup1 = 0x02000300;  // 8E1, the protocol's default
  TZmStation* plc = TZmStation::Create(port);
  plc->SetController(rtu->ControllerRefs[0]);
  plc->Description = "Pump controller";

  TZmSceneGroup* main = TZmSceneGroup::Create(root->SceneGroups);
  main->Name = "Operation";
  const char* titles[] = {"Overview", "Pumps", "Settings"};
  for (int i = 0; i < 3; ++i) {
    TZmScene* s = TZmScene::Create(main);
    s->ID = i + 1;
    s->FDescription = titles[i];
  }
  // The overview: a tank, two pumps on a pipe, a frame and a status bar.
  TZmComponentGroup* overview = main->Scenes[0]->ComponentGroup;
  auto rect = [&](int l, int t, int r, int b, int32_t fill) {
    auto* s = CreateComponent<TZmRect>(overview);
    s->Rect = {l, t, r, b};
    s->Brush->StyleIndex = fill;
    s->Pen->Color = 1;
    s->Brush->Color = 1;
    return s;
  };
  rect(0, 0, 239, 127, 0);               // frame
  rect(2, 2, 237, 14, 1);                // title bar
  auto* tank = CreateComponent<TZmRoundRect>(overview);
  tank->Rect = {14, 26, 64, 110};
  tank->Brush->StyleIndex = 0;
  tank->Pen->Color = 1;
  tank->Pen->Width = 2;
  rect(16, 70, 62, 108, 2);              // the liquid, hatched
  for (int i = 0; i < 2; ++i) {
    auto* pump = CreateComponent<TZmEllipse>(overview);
    pump->SetKeepSquare(true);
    pump->Rect = {104 + 70 * i, 70, 132 + 70 * i, 98};
    pump->Brush->StyleIndex = 0;
    pump->Pen->Color = 1;
    auto* arrow = CreateComponent<TZmPie>(overview);
    arrow->Rect = {110 + 70 * i, 76, 126 + 70 * i, 92};
    arrow->StartAngle = 330;
    arrow->EndAngle = 30;
    arrow->Pen->Color = 1;
    arrow->Brush->Color = 1;
  }
  auto* pipe = CreateComponent<TZmPolyline>(overview);
  pipe->SetPoints({{64, 84}, {104, 84}, {104, 84}, {132, 84}, {174, 84}, {202, 84}, {226, 84}, {226, 40}});
  pipe->Brush->StyleIndex = 0;
  pipe->Pen->Color = 1;
  auto* gauge = CreateComponent<TZmArc>(overview);
  gauge->Rect = {150, 22, 190, 62};
  gauge->StartAngle = 0;
  gauge->EndAngle = 180;
  gauge->Pen->Color = 1;
  auto* needle = CreateComponent<TZmLine>(overview);
  needle->Rect = {170, 30, 184, 42};
  needle->Type = 1;
  needle->Pen->Color = 1;
  for (int i = 0; i < 4; ++i) {
    auto* led = CreateComponent<TZmPoint>(overview);
    led->Rect = {90 + 12 * i, 112, 97 + 12 * i, 119};
    led->Type = static_cast<uint32_t>(i + 1);
    led->Pen->Color = 1;
  }

  // The pumps scene: one of each display object and button.
  TZmComponentGroup* pumps = main->Scenes[1]->ComponentGroup;
  // The model database is not loaded here, so the frames get the 1-bit
  // panel's colours by hand: black shadow, white light, white area.
  auto frame = [](TZmControl* c, int l, int t, int r, int b) {
    c->Rect = {l, t, r, b};
    c->Bevel->InColor = 1;
    c->Bevel->OutColor = 0;
    c->Bevel->Brush->Color = 0;
    c->Bevel->Brush->StyleIndex = 1;
  };
  auto label = [](TZmMultiTexts* texts, const char* text) {
    texts->First()->SetText(text);
    texts->First()->Color = 1;
  };
  auto state = [&](TZmStatusInfs* list, const char* text, int32_t fill, uint32_t cmp, const char* value) {
    TZmStatusInf* s = list->Add();
    s->Brush->StyleIndex = fill;
    s->Brush->Color = 1;
    label(s->MultiTexts, text);
    s->MultiTexts->First()->Color = fill ? 0 : 1;
    s->NumberCmp = cmp;
    s->CmpValue->ReadValue->Expression = value;
  };
  auto* lamp = CreateComponent<TZmLamp>(pumps);
  frame(lamp, 4, 4, 63, 27);
  lamp->ReadValue->ReadValue->Expression = "0:HR10";
  state(lamp->StatusInfs, "RUN", 1, 0, "1");
  state(lamp->StatusInfs, "STOP", 0, 0, "0");
  auto* num = CreateComponent<TZmNum>(pumps);
  frame(num, 70, 4, 139, 27);
  num->ReadValue->ReadValue->Expression = "0:HR11";
  num->DisplayNumInf->IntWidth = 3;
  num->DisplayNumInf->FloatWidth = 1;
  label(num->MultiTexts, "");
  auto* text = CreateComponent<TZmText>(pumps);
  frame(text, 146, 4, 235, 27);
  text->ReadText->ReadAddr = "0:HR20";
  text->ReadText->Lenght = 8;
  label(text->MultiTexts, "");
  auto* level = CreateComponent<TZmBar>(pumps);
  frame(level, 4, 32, 27, 123);
  level->ReadValue->ReadValue->Expression = "0:HR12";
  level->BarBrush->Color = 1;
  level->Direction = 1;
  auto* slider = CreateComponent<TZmBar>(pumps);
  frame(slider, 32, 32, 131, 47);
  slider->Type = 1;
  slider->Direction = 2;
  slider->BarSize = 6;
  slider->ReadValue->ReadValue->Expression = "0:HR13";
  slider->BarBrush->Color = 1;
  auto button = [&](auto* b, int l, int t, const char* caption) {
    frame(b, l, t, l + 48, t + 19);
    state(b->StatusInfs, caption, 0, 0, "");
    return b;
  };
  auto* start = button(CreateComponent<TZmButton>(pumps), 32, 52, "Start");
  start->Type = 3;
  start->WriteValue->WriteValue->Expression = "0:C1";
  auto* setpoint = button(CreateComponent<TZmButtonSetValue>(pumps), 84, 52, "Set");
  setpoint->WriteValue->WriteValue->Expression = "0:HR11";
  auto* back = button(CreateComponent<TZmButtonPage>(pumps), 136, 52, "Home");
  back->Page = 1;
  auto* light = button(CreateComponent<TZmButtonFun>(pumps), 188, 52, "Light");
  light->Type = 3;
  auto* enter = button(CreateComponent<TZmButtonKey>(pumps), 32, 76, "Enter");
  enter->Key->Normal = 13;
  auto* jog = button(CreateComponent<TZmBtnStatusSet>(pumps), 84, 76, "Jog");
  jog->PressValue->ReadValue->Expression = "1";
  jog->PressValue->WriteValue->Expression = "0:HR14";
  jog->ReleaseValue->ReadValue->Expression = "0";
  jog->ReleaseValue->WriteValue->Expression = "0:HR14";
  auto* service_ = button(CreateComponent<TZmButtonPwdPage>(pumps), 136, 76, "Service");
  service_->Page = 10;
  service_->Password->ReadValue->Expression = "1234";
  // Hardware key F1 of the pumps scene stops both pumps.
  auto* f1 = CreateComponent<TZmBtnSystem>(main->Scenes[1]->ComponentGroupEx);
  f1->KeyValue = 0x1;
  f1->Type = 2;
  f1->ONWriteValue->WriteValue->Expression = "0:C1";

  // The controls scene: a label, a scale beside a level, a table of
  // readings, a picture, and the two input objects.
  TZmScene* controls = TZmScene::Create(main);
  controls->ID = 4;
  controls->FDescription = "Controls";
  TZmComponentGroup* panel = controls->ComponentGroup;
  auto* title = CreateComponent<TZmLabel>(panel);
  frame(title, 4, 4, 125, 19);
  label(title->MultiTexts, "Tank level");
  auto* scale = CreateComponent<TZmScale>(panel);
  scale->Rect = {4, 24, 59, 123};
  scale->ScaleInf->Pen->Color = 1;
  scale->ScaleInf->Text->Color = 1;
  scale->ScaleInf->Text->SetText("%");
  auto* tankLevel = CreateComponent<TZmBar>(panel);
  frame(tankLevel, 62, 24, 73, 123);
  tankLevel->ReadValue->ReadValue->Expression = "0:HR12";
  tankLevel->BarBrush->Color = 1;
  auto* readings = CreateComponent<TZmTable>(panel);
  readings->Rect = {130, 4, 235, 51};
  readings->XCount = 2;
  readings->YCount = 3;
  readings->Pen->Color = 1;
  auto* pumpPicture = CreateComponent<TZmPicture>(panel);
  frame(pumpPicture, 78, 24, 125, 71);
  {
    // A pump symbol: a ring with an arrow, drawn into a 1-bit image.
    TZmBitmap& b = *pumpPicture->Image;
    b.Width = b.Height = 32;
    b.ColorBit = 1;
    b.Image->Image.WriteZeros(PackedImageBytes(32, 32, 1));
    for (int32_t y = 0; y < 32; ++y)
      for (int32_t x = 0; x < 32; ++x) {
        int32_t d = (2 * x - 31) * (2 * x - 31) + (2 * y - 31) * (2 * y - 31);
        bool ring = d >= 24 * 24 && d <= 30 * 30;
        bool arrow = x >= 9 && x <= 22 && y >= 15 - (22 - x) / 2 && y <= 16 + (22 - x) / 2;
        if (ring || arrow) SetPackedPixel(b.Image->MutableBytes(), 32, 1, x, y, 1);
      }
  }
  auto* mode = CreateComponent<TZmMutilStatus>(panel);
  frame(mode, 78, 76, 125, 95);
  mode->WriteValue->ReadValue->Expression = "0:HR15";
  mode->WriteValue->WriteValue->Expression = "0:HR15";
  state(mode->StatusInfs, "AUTO", 1, 0, "1");
  state(mode->StatusInfs, "HAND", 0, 0, "0");
  auto* setpointEntry = CreateComponent<TZmEditNum>(panel);
  frame(setpointEntry, 78, 100, 125, 123);
  setpointEntry->WriteValue->ReadValue->Expression = "0:HR16";
  setpointEntry->WriteValue->WriteValue->Expression = "0:HR16";
  setpointEntry->WriteValue->MinValue->Expression = "0";
  setpointEntry->WriteValue->MaxValue->Expression = "1000";
  setpointEntry->DisplayNumInf->IntWidth = 3;
  setpointEntry->DisplayNumInf->FloatWidth = 1;
  setpointEntry->ValueScaleString = "0.1";
  label(setpointEntry->MultiTexts, "");

  TZmSceneGroup* service = TZmSceneGroup::Create(root->SceneGroups);
  service->Name = "Service";
  TZmScene* diag = TZmScene::Create(service);
  diag->ID = 10;
  diag->FDescription = "Diagnostics";
  diag->DelayJumpScene = 30000;
  diag->JumpSceneID = 1;

  const char* conditions[] = {"0:C100", "0:C101"};
  for (const char* c : conditions) {
    TZmAlarm* a = TZmAlarm::Create(root->Alarms);
    a->Condition->ReadValue->Expression = c;
    a->ScreenID = 2;
  }
  root->Configuration->SaveScreenID = 1;

  std::string error;
  if (!SaveProject(*root, argv[2], error)) {
    std::fprintf(stderr, "make_demo: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

int main(int argc, char** argv) { return RunGuarded("make_demo", Main, argc, argv); }
