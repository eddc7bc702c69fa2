// Ports, stations, their display texts, compiled records and address resolution.
#include <gtest/gtest.h>

#include <memory>

#include "base/Texts.h"
#include "image/Context.h"
#include "devices/Devices.h"
#include "devices/Model.h"
#include "devices/Protocols.h"
#include "devices/Resolve.h"

namespace {

class Ports : public ::testing::Test {
protected:
  void SetUp() override
  {
    db.ClearAll();
    SetTextLookup([](int n) -> std::string {
      switch (n) {
        case 200: return "%d : %s [%d]";
        case 201: return "(no controller)";
        case 3900: return "Panel memory";
        case 3904: return "2";
        case 3911: return "4\"LW\"d0-255";
        case 3913: return "5\"LD\"d0-254";
        default: return "";
      }
    });
    db.BuildInternalController();
    for (uint32_t uid : {10u, 11u}) {
      auto p = std::make_unique<TZmProtocol>();
      p->UID = uid;
      p->Name = "P";
      p->Station = 1;
      p->MinStationNum = 1;
      p->MaxStationNum = 3;
      p->FormatArray.Append(0xF8000002);
      p->CheckArray.Append(0x42000002);
      for (char16_t c : std::u16string(u"P")) p->NameArray.Append(c);
      db.Protocols.push_back(std::move(p));
    }
    bool created;
    controller = db.ControllerFor(77, created);
    controller->Name = "K";
    TZmRegRule::Create(&controller->RegRules, "4\"D\"d0-9999");
    TZmRegRule::Create(&controller->RegRules, "0\"M\"d0-99");
    db.Protocols[0]->ControllerRefs.push_back(controller);
    devices.reset(NewObject<TZmDevices>());
  }
  void TearDown() override
  {
    devices.reset();
    SetTextLookup(nullptr);
    db.ClearAll();
  }
  TZmDevice* Port(uint32_t index, uint32_t protocol)
  {
    TZmDevice* d = TZmDevice::Create(devices.get());
    d->Type = 15;
    d->Index = index;
    d->ProtocolRefUID = protocol;
    return d;
  }
  TZmControllerDB& db = TZmControllerDB::Global();
  TZmController* controller = nullptr;
  std::unique_ptr<TZmDevices> devices;
};

}  // namespace

TEST_F(Ports, DisplayTexts)
{
  TZmDevice* d = Port(0, 10);
  d->CommSetup.setup0 = 9600;
  d->CommSetup.setup1 = (2u << 24) | (0u << 16) | (3u << 8);  // parity E, stop 1, data 8
  EXPECT_EQ(d->DisplayText(), "COM1 : P [9600,E,8,1]");
  d->CommSetup.setup1 = (9u << 24) | (7u << 16) | (200u << 8);  // out-of-range indexes from a file
  EXPECT_EQ(d->DisplayText(), "COM1 : P [9600,?,?,?]");
  d->ProtocolRefUID = 999;  // not loaded: behaves as no protocol
  EXPECT_EQ(d->DisplayText(), "COM1");
  d->Type = 3;
  EXPECT_EQ(d->DisplayText(), "");

  TZmDevice* p = Port(1, 10);
  TZmStation* s = TZmStation::Create(p);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->DisplayText(), "(no controller)");
  s->SetController(controller);
  s->ID = 3;
  EXPECT_EQ(s->DisplayText(), "3 : K [1]");
  s->Description = "Boiler";
  EXPECT_EQ(s->DisplayText(), "3 : Boiler [1]");
}

TEST_F(Ports, FreeIdsAndBusNumbers)
{
  TZmDevice* a = Port(0, 10);
  TZmDevice* b = Port(1, 10);
  TZmDevice* none = Port(1, 0);
  EXPECT_EQ(TZmStation::Create(none), nullptr);  // without protocol there is no number range
  TZmStation* s0 = TZmStation::Create(a);
  TZmStation* s1 = TZmStation::Create(a);
  TZmStation* s2 = TZmStation::Create(b);
  ASSERT_TRUE(s0 && s1 && s2);
  EXPECT_EQ(s0->ID, 0);
  EXPECT_EQ(s1->ID, 1);
  EXPECT_EQ(s2->ID, 2);  // IDs are unique over all ports
  EXPECT_EQ(a->FreeId(0), 3);
  EXPECT_EQ(s0->StationNum, 1u);  // the protocol's preferred number
  EXPECT_EQ(s1->StationNum, 2u);
  EXPECT_EQ(s2->StationNum, 1u);  // bus numbers are per port
  EXPECT_EQ(a->FreeStationNum(3), 3);
  TZmStation* s3 = TZmStation::Create(a);
  ASSERT_TRUE(s3);
  EXPECT_EQ(a->FreeStationNum(2), -1);  // 1..3 all taken
  EXPECT_EQ(TZmStation::Create(a), nullptr);
  s1->StationNum = 1;
  s0->StationNum = 3;
  s3->StationNum = 2;
  delete s3;
  EXPECT_EQ(a->FreeStationNum(3), 2);  // wraps from MaxStationNum to MinStationNum
  EXPECT_EQ(a->StationCount(), 2u);

  for (int i = 0; i < 252; ++i) {  // fill every other ID by hand; bus numbers do not matter here
    auto* st = NewObject<TZmStation>();
    st->Owner = b;
    st->ID = 3 + i;
    b->Stations.push_back(st);
  }
  EXPECT_EQ(a->FreeId(0), -1);
  EXPECT_EQ(devices->FindStation(255), devices->InternalStation);
  EXPECT_EQ(devices->FindStation(300), nullptr);
}

TEST_F(Ports, DeviceRecordsShareProtocolArrays)
{
  TZmDevice* a = Port(0, 10);
  a->CommSetup.setup0 = 9600;
  a->CommSetup.setup1 = 0x02000300;
  Port(1, 10);  // same protocol: its arrays are not written twice
  TZmCompiler c;
  devices->WriteROM(c);
  c.Resources.WriteAll(c);
  const auto& img = c.Output().Buffer();
  // count, 2 slots, 2 x 48-byte records, then NameArray, FormatArray, CheckArray once each.
  ASSERT_EQ(img.size(), 4u + 8 + 96 + 8 + 8 + 8);
  EXPECT_EQ(GetU32(&img[0]), 2u);
  EXPECT_EQ(GetU32(&img[4]), 12u);
  EXPECT_EQ(GetU32(&img[8]), 60u);
  const uint8_t first[48] = {15, 0, 0, 0, 0, 0, 0, 0, 10, 0, 0, 0, 0x80, 0x25, 0, 0, 0, 3, 0, 2, 0, 0, 0, 0,
                             0xE8, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 108, 0, 0, 0, 116, 0, 0, 0, 124, 0, 0, 0};
  EXPECT_TRUE(std::equal(first, first + 48, img.begin() + 12));
  EXPECT_EQ(img[60 + 4], 1);  // index of the second port
  EXPECT_EQ(img[60 + 6], 1);  // and its position in the list
  for (int k = 0; k < 3; ++k) EXPECT_EQ(GetU32(&img[60 + 36 + 4 * k]), GetU32(&img[12 + 36 + 4 * k]));
  EXPECT_EQ(std::vector<uint8_t>(img.begin() + 108, img.begin() + 116), (std::vector<uint8_t>{1, 0, 0, 0, 'P', 0, 0, 0}));

  // A port without protocol writes zero references.
  TZmCompiler c2;
  a->ProtocolRefUID = 0;
  a->WriteROM(c2);
  EXPECT_EQ(GetU32(&c2.Output().Buffer()[36]), 0u);
  EXPECT_EQ(c2.Output().Size(), 48u);
}

TEST_F(Ports, AddressResolution)
{
  TZmStation* st = TZmStation::Create(Port(0, 10));
  st->SetController(controller);
  struct Case {
    const char* address;
    int32_t dataType;
    bool ok;
    int32_t value, bit;
    bool internal;
  } cases[] = {
      {"D100", 4, true, 100, -1, false},     {"0:D100", 4, true, 100, -1, false}, {"LW7", 4, true, 7, -1, true},
      {"255:LW7", 4, true, 7, -1, true},     {"0:LW7", 4, false, 0, -1, false},   {"D100.5", 0, true, 100, 5, false},
      {"D100.16", 0, false, 0, -1, false},   {"M5", 0, true, 5, -1, false},       {"LW3.9", 0, true, 3, 9, true},
      {"LW255", 4, true, 255, -1, true},     {"LW255", 5, false, 0, -1, false},   {"LD254", 5, true, 254, -1, true},
      {"7:D1", 4, false, 0, -1, false},      {"300:D1", 4, false, 0, -1, false},  {"", 4, false, 0, -1, false},
  };
  for (const auto& c : cases) {
    TZmResolved r = ResolveAddress(*devices, c.address, c.dataType, 1, kindAll, 256);
    EXPECT_EQ(r.Ok, c.ok) << c.address << " " << r.Error;
    if (!r.Ok) {
      EXPECT_FALSE(r.Error.empty()) << c.address;
      continue;
    }
    EXPECT_EQ(r.Value, c.value) << c.address;
    EXPECT_EQ(r.Bit, c.bit) << c.address;
    EXPECT_EQ(r.Internal, c.internal) << c.address;
  }
  EXPECT_EQ(ResolveAddress(*devices, "LW7", 4, 1, kindAll, 256).Reference, 0x20000000u + 7 * 16);
  EXPECT_EQ(ResolveAddress(*devices, "LW3.9", 0, 1, kindAll, 256).Reference, 0x20000000u + 3 * 16 + 9);
  EXPECT_FALSE(ResolveAddress(*devices, "D100.5", 0, 1, kindWord, 256).Ok);  // bits not accepted
}
