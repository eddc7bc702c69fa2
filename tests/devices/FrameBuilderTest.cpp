// Modbus request and write frames, and the runs registers are grouped into.
#include <gtest/gtest.h>

#include <memory>

#include "base/Crc16.h"
#include "compiler/Compiler.h"
#include "compiler/RegCollect.h"
#include "devices/Devices.h"
#include "devices/FrameBuilders.h"
#include "devices/Protocols.h"
#include "devices/RegRule.h"
#include "model/Project.h"
#include "model/Scenes.h"

namespace {

constexpr uint32_t kAscii = 1109330756, kRtu = 1060208397;

struct Fixture {
  Fixture()
  {
    for (const char* r : {"0\"C\"d1-65536", "0\"DI\"d1-65536", "4\"IR\"d1-65536", "4\"HR\"d1-65536", "5\"ID\"d1-65535%2",
                          "5\"HD\"d1-65535%2", "4\"XR\"d1-65536"})
      TZmRegRule::Create(&rules, r);
    for (size_t i = 0; i < rules.Count(); ++i) rules.Item(i)->Index = static_cast<int32_t>(i);
    rules.Item(6)->Index = 3;  // a second rule of the holding-register area
    station.StationNum = 1;
  }
  std::vector<TZmRegItem> Regs(size_t rule, std::initializer_list<int64_t> addresses, uint32_t ref = 0x20001000)
  {
    std::vector<TZmRegItem> v;
    for (int64_t a : addresses) v.push_back({rules.Item(rule), a, ref + static_cast<uint32_t>(v.size()) * 16});
    return v;
  }
  std::vector<TZmDeviceLinkItem> Read(uint32_t uid, const std::vector<TZmRegItem>& regs)
  {
    TZmProtocol p;
    p.UID = uid;
    std::vector<TZmDeviceLinkItem> link;
    BuildReadFrames(p, station, regs, link);
    return link;
  }
  TZmRegRules rules;
  TZmStation station;
};

std::string Text(const std::vector<uint8_t>& b) { return std::string(b.begin(), b.end()); }

}  // namespace

TEST(FrameBuilders, ModbusAsciiReads)
{
  Fixture f;
  auto link = f.Read(kAscii, f.Regs(3, {1, 2, 3}));
  ASSERT_EQ(link.size(), 1u);
  EXPECT_EQ(Text(link[0].Frame), ":010300000003F9\r\n");
  EXPECT_EQ(link[0].Map, (std::vector<uint32_t>{7, 0xF0000003, 0x40001000}));
  EXPECT_EQ(f.Read(kAscii, f.Regs(3, {1, 2, 4})).size(), 2u);  // a gap ends a run
  std::vector<TZmRegItem> coils;
  for (int a = 1; a <= 300; ++a) coils.push_back({f.rules.Item(0), a, 0x20000000});
  auto c = f.Read(kAscii, coils);
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c[0].Map[1], 0xF0000000u + 256);
  EXPECT_EQ(c[1].Map[1], 0xF0000000u + 44);
  // Different rules of one area join; different areas never do.
  auto joined = f.Regs(3, {1, 2});
  auto second = f.Regs(6, {3});
  joined.insert(joined.end(), second.begin(), second.end());
  EXPECT_EQ(f.Read(kAscii, joined).size(), 1u);
  auto mixed = f.Regs(2, {1});
  auto holding = f.Regs(3, {2});
  mixed.insert(mixed.end(), holding.begin(), holding.end());
  EXPECT_EQ(f.Read(kAscii, mixed).size(), 2u);
  auto pairs = f.Read(kAscii, f.Regs(5, {1}));
  EXPECT_EQ(Text(pairs[0].Frame).substr(0, 13), ":010300000002");  // a 32-bit value reads two registers
  EXPECT_TRUE(f.Read(0x12345, f.Regs(3, {1})).empty());  // unknown protocol: no requests
}

TEST(FrameBuilders, ModbusRtuReads)
{
  Fixture f;
  std::vector<TZmRegItem> regs;
  for (int a = 1; a <= 10; ++a) regs.push_back({f.rules.Item(3), a, 0x20001000});
  auto link = f.Read(kRtu, regs);
  ASSERT_EQ(link.size(), 1u);
  EXPECT_EQ(link[0].Frame, (std::vector<uint8_t>{0x01, 0x03, 0x00, 0x00, 0x00, 0x0A, 0xC5, 0xCD}));
  EXPECT_EQ(link[0].Map, (std::vector<uint32_t>{3, 0xF000000A, 0x42001000}));
  auto coils = f.Read(kRtu, f.Regs(0, {17}));
  EXPECT_EQ(coils[0].Frame[1], 0x01);
  EXPECT_EQ(coils[0].Frame[3], 16);
  EXPECT_EQ(Crc16(coils[0].Frame), 0);
  EXPECT_EQ(coils[0].Map[2] >> 24, 0x14u);
}

TEST(FrameBuilders, ModbusWrites)
{
  Fixture f;
  struct Case {
    uint32_t uid;
    size_t rule;
    int64_t count;
    std::string frame;
    std::vector<uint32_t> map;
  } cases[] = {
      {kRtu, 3, 1, std::string("\x01\x06\x00\x63\x00\x00\x00\x00", 8), {0x42000004, 0xF1000002, 0, 6, 0x42000006}},
      {kRtu, 0, 1, std::string("\x01\x05\x00\x63\x00\x00\x00\x00", 8), {0x1A000004, 0xF1000002, 0, 6, 0x42000006}},
      {kRtu, 5, 1, std::string("\x01\x10\x00\x63\x00\x02\x04\x00\x00\x00\x00\x00\x00", 13), {0x82000007, 0xF1000002, 0, 11, 0x4200000B}},
      {kRtu, 0, 10, std::string("\x01\x0F\x00\x63\x00\x0A\x02\x00\x00\x00\x00", 11),
       {0xF000000A, 0x14000007, 0xF1000002, 0, 9, 0x42000009}},
      {kAscii, 3, 1, std::string(":01060063\0\0\0\0", 13) + "96\r\n", {0x40000009, 0xF1000003, 1, 13, 0x2000000D}},
      {kAscii, 5, 1, std::string(":01100063000204") + std::string(8, '\0') + "86\r\n",
       {0xF0000001, 0x8000000F, 0xF1000003, 1, 23, 0x20000017}},
  };
  for (const auto& c : cases) {
    TZmWriteTarget t;
    t.Station = &f.station;
    t.Rule = f.rules.Item(c.rule);
    t.ProtocolAddress = 100;
    t.Count = c.count;
    TZmWriteFrame w;
    ASSERT_TRUE(BuildWriteFrame(c.uid, t, w));
    EXPECT_EQ(Text(w.Frame), c.frame) << c.uid << " " << c.rule;
    EXPECT_EQ(w.Map, c.map) << c.uid << " " << c.rule;
  }
  TZmWriteTarget readOnly;
  readOnly.Station = &f.station;
  readOnly.Rule = f.rules.Item(2);
  TZmWriteFrame w;
  EXPECT_TRUE(BuildWriteFrame(kRtu, readOnly, w));  // input registers cannot be written
  EXPECT_TRUE(w.Frame.empty());
  EXPECT_FALSE(BuildWriteFrame(0x12345, readOnly, w));
}

TEST(FrameBuilders, PortLinksOfAScene)
{
  TZmControllerDB& db = TZmControllerDB::Global();
  db.ClearAll();
  auto p = std::make_unique<TZmProtocol>();
  p->UID = kRtu;
  p->MinStationNum = 1;
  p->MaxStationNum = 247;
  bool created;
  TZmController* c = db.ControllerFor(77, created);
  TZmRegRule::Create(&c->RegRules, "4\"HR\"d1-65536")->Index = 3;
  p->ControllerRefs.push_back(c);
  db.Protocols.push_back(std::move(p));
  std::unique_ptr<TZmHMI> root(NewObject<TZmHMI>());
  TZmDevice* d = TZmDevice::Create(root->Devices);
  d->Type = 15;
  d->ProtocolRefUID = kRtu;
  TZmStation::Create(d)->SetController(c);
  TZmScene* scene = TZmScene::Create(TZmSceneGroup::Create(root->SceneGroups));
  scene->ID = 5;
  TZmScene* quiet = TZmScene::Create(root->SceneGroups->Item(0));
  quiet->ID = 6;
  TZmCompileDriver comp;
  comp.Project = root.get();
  comp.CurrentScene = scene;
  for (const char* a : {"HR1", "HR2", "HR3"}) ASSERT_TRUE(comp.Report(nullptr, 0, true, 1, a, kindAll, 4, true));
  comp.Registers->Layout(512);
  comp.SceneRegisters->WritePortLinks(comp, *comp.Registers);
  ASSERT_EQ(comp.SceneLinks.count(5), 1u);
  EXPECT_EQ(comp.SceneLinks.count(6), 0u);  // polls nothing: offset 0
  const auto& img = comp.Output().Buffer();
  uint32_t at = comp.SceneLinks[5];
  EXPECT_EQ(GetU32(&img[at]), 1u);  // one port
  uint32_t link = GetU32(&img[at + 4]);
  EXPECT_EQ(GetU32(&img[link]), 0u);      // port index
  EXPECT_EQ(GetU32(&img[link + 4]), 1u);  // one request
  uint32_t item = GetU32(&img[link + 8]);
  uint32_t frame = GetU32(&img[item]), map = GetU32(&img[item + 4]);
  EXPECT_EQ(GetU32(&img[frame]), 8u);
  EXPECT_EQ(img[frame + 4 + 5], 3);  // three registers
  EXPECT_EQ(map, frame + 12);
  EXPECT_EQ(GetU32(&img[map + 12]), 0x42000000u | (512u << 3));  // tag and the place in memory
  db.ClearAll();
}
