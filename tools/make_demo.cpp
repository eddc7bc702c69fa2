// Writes the bundled demo project that the main job opens.
#include <cstdio>
#include <memory>

#include "devices/Bindings.h"
#include "devices/Devices.h"
#include "devices/Protocols.h"
#include "model/Alarms.h"
#include "model/Project.h"
#include "model/Registry.h"
#include "model/Scenes.h"

int main(int argc, char** argv)
{
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_demo DATA_DIR OUT.ksv\n");
    return 2;
  }
  RegisterModelClasses();
  TZmControllerDB& db = TZmControllerDB::Global();
  db.LoadProtocolFolder(std::string(argv[1]) + "/protocol", "1033");
  const TZmProtocol* rtu = db.FindProtocol(1060208397);
  if (!rtu || rtu->ControllerRefs.empty()) {
    std::fprintf(stderr, "make_demo: the Modbus RTU protocol file is missing from %s/protocol\n", argv[1]);
    return 1;
  }
  std::unique_ptr<TZmHMI> root(NewObject<TZmHMI>());
  root->Title = "Pump station";
  root->Description = "Demo project: a pump station panel with an overview, a settings scene and two alarms.";
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
