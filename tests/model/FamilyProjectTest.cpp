// A project with a station of each shipped protocol family compiles clean
// and polls its controller; registers a family cannot frame are reported.
#include <gtest/gtest.h>

#include "devices/Bindings.h"
#include "model/Inputs.h"
#include "ObjectFixture.h"

namespace {

class FamilyProject : public ObjectFixture {
protected:
  void SetUp() override
  {
    ObjectFixture::SetUp();
    Texts[2612] = "noarea %d:%s %s %d";
    Texts[2613] = "nofit %d:%s %d %d %s";
    Texts[2614] = "nowrite %s %d %d %s";
    Texts[2615] = "cannot %s %s";
    ASSERT_TRUE(db.LoadProtocolFolder(KESTRAVA_SOURCE_DIR "/data/protocol", "1033"));
    // The fixture's panel with room for an image.
    auto m = std::make_unique<TZmModel>();
    m->ID = 504;
    m->EditRect = {0, 0, 128, 64};
    m->ColorBit = 1;
    m->ColorFormat = 8;
    m->Palette = {0xFFFFFF, 0x000000};
    m->BlackIndex = 1;
    m->ROMSize = 64;
    TZmModels::Global().Add(std::move(m));
    root->ModelID = 504;
  }
  // The port runs `uid`; its station talks to `controller` (the protocol's first by default).
  void Use(uint32_t uid, TZmController* controller = nullptr)
  {
    TZmDevice* d = root->Devices->Devices[0];
    d->ProtocolRefUID = uid;
    TZmProtocol* p = db.FindProtocol(uid);
    ASSERT_TRUE(p);
    d->Stations[0]->SetController(controller ? controller : p->ControllerRefs.at(0));
    d->Stations[0]->StationNum = 1;
  }
  TZmEditNum* Entry(const char* read, const char* write)
  {
    auto* num = Make<TZmEditNum>();
    num->WriteValue->ReadValue->Expression = read;
    num->WriteValue->WriteValue->Expression = write;
    return num;
  }
  std::vector<std::string> Errors()
  {
    std::vector<std::string> out;
    for (const auto& m : compiler.Messages->List)
      if (m.Kind == TZmMessage::Plain || m.Kind == TZmMessage::ObjectError) out.push_back(m.Text);
    return out;
  }
};

}  // namespace

TEST_F(FamilyProject, EveryFamilyCompilesAndPolls)
{
  struct Case {
    int64_t uid;
    const char* address;
  } cases[] = {
      {1109330756, "HR10"}, {-1802544905, "D10"}, {1549670432, "DT10"}, {1299925350, "DM10"},  {1107794329, "D10"},
      {-2144545500, "D10"}, {-746424602, "D10"},  {400014861, "D10"},   {-623554634, "D10"},   {1134093025, "D10"},
      {-1425300559, "R10"}, {649066712, "DM10"},  {-1020238619, "DM10"}, {1618513948, "D10"},  {-1087441211, "D10"},
      {1766187480, "D10"},  {-416042279, "ZR10"}, {1189246966, "D10"},   {1088095053, "D10"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    Use(static_cast<uint32_t>(c.uid));
    scene->ComponentGroup->Clear();
    Entry(c.address, c.address);
    compiler.Reset();
    CompileProject(*root, compiler, 1);
    EXPECT_TRUE(Errors().empty()) << c.uid << ": " << (Errors().empty() ? "" : Errors()[0]);
    ASSERT_EQ(compiler.SceneLinks.count(1), 1u) << c.uid;  // the screen polls its port
    const auto& img = compiler.Output().Buffer();
    uint32_t links = compiler.SceneLinks[1] - compiler.Base;
    ASSERT_LT(links + 12, img.size());
    EXPECT_EQ(GetU32(&img[links]), 1u);
    uint32_t link = GetU32(&img[links + 4]) - compiler.Base;
    EXPECT_GE(GetU32(&img[link + 4]), 1u);  // at least one request
  }
}

TEST_F(FamilyProject, RefusedFramesAreReported)
{
  bool created;
  TZmController* odd = db.ControllerFor(77001, created);
  TZmRegRule::Create(&odd->RegRules, "4\"Q\"d0-99")->Index = 20;         // beyond every table
  TZmRegRule::Create(&odd->RegRules, "4\"DM\"d0-99999")->Index = 3;     // text commands: four digits when written
  Use(1107794329, odd);
  Entry("Q5", "");
  compiler.Reset();
  CompileProject(*root, compiler, 1);
  auto errors = Errors();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], "noarea 0:Q5 STX hexadecimal 20");
  Use(1299925350, odd);
  scene->ComponentGroup->Clear();
  Entry("DM20000", "DM20000");
  compiler.Reset();
  CompileProject(*root, compiler, 1);
  errors = Errors();
  ASSERT_EQ(errors.size(), 1u);  // the read has no fixed width; the write has four digits
  EXPECT_EQ(errors[0], "nowrite DM20000 20000 4 Text command");
  // A write the binary area-code family has no frame for: to its inputs.
  Use(1088095053);
  scene->ComponentGroup->Clear();
  Entry("X16", "X16");
  compiler.Reset();
  CompileProject(*root, compiler, 1);
  errors = Errors();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], "cannot X16 Binary area codes");
}
