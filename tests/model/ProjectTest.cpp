// The project root and the project file.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <memory>

#include "base/File.h"
#include "base/Texts.h"
#include "image/Context.h"
#include "devices/Bindings.h"
#include "devices/Devices.h"
#include "devices/Model.h"
#include "model/Alarms.h"
#include "model/Project.h"
#include "model/Scenes.h"

namespace fs = std::filesystem;

namespace {

using Root = std::unique_ptr<TZmHMI>;
Root NewRoot() { return Root(NewObject<TZmHMI>()); }

// A project that uses every kind of stored object the root holds today.
Root SampleProject()
{
  Root r = NewRoot();
  r->Title = "Line 3 \xF0\x9F\x98\x80";
  r->Description = "Tank farm";
  r->ModelID = 4242;
  TZmDevice* d = TZmDevice::Create(r->Devices);
  d->Type = 15;
  d->CommSetup.setup0 = 19200;
  d->ProtocolRefUID = 1060208397;  // stored as given, whether or not the protocol is loaded
  auto* st = NewObject<TZmStation>();
  st->Owner = d;
  d->Stations.push_back(st);
  st->ID = 4;
  st->StationNum = 3;
  st->ControllerUID = 0xDEADBEEF;  // no such controller loaded: kept all the same
  TZmSceneGroup* g = TZmSceneGroup::Create(r->SceneGroups);
  for (int id : {5, 6, 9}) TZmScene::Create(g)->ID = id;
  g->Scenes[1]->FDescription = "Pumps";
  TZmAlarm* a = TZmAlarm::Create(r->Alarms);
  a->Condition->ReadValue->Expression = "1:D100";
  a->ScreenID = 6;
  r->Configuration->Sdecimal = 44;
  return r;
}

class ProjectFile : public ::testing::Test {
protected:
  void SetUp() override
  {
    dir = fs::temp_directory_path() / ("kestrava-project-" + std::to_string(::getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string Path(const char* name) const { return (dir / name).string(); }
  fs::path dir;
};

}  // namespace

TEST(Project, FileInformationRecordAndMagic)
{
  Root r = SampleProject();
  auto bytes = SaveProjectToBytes(*r);
  ASSERT_GT(bytes.size(), 38u);
  const uint8_t expected[36] = {'k', 's', 'v', '0', 10, 0, 0, 0, 'T', 0, 'Z', 0, 'm', 0, 'F', 0, 'i', 0,
                                'l', 0, 'e', 0, 'I', 0, 'n', 0, 'f', 0, 36, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_TRUE(std::equal(expected, expected + 36, bytes.begin()));
  EXPECT_EQ(bytes[36], 0x78);  // zlib header
}

TEST(Project, RoundTripKeepsEverything)
{
  Root r = SampleProject();
  auto bytes = SaveProjectToBytes(*r);
  Root back = NewRoot();
  std::string err;
  ASSERT_TRUE(LoadProjectFromBytes(*back, bytes, err)) << err;
  EXPECT_EQ(back->Compare(r.get()), 0);
  EXPECT_EQ(SaveProjectToBytes(*back), bytes);
  EXPECT_EQ(back->Title, r->Title);
  EXPECT_EQ(back->Devices->Device(0)->Station(0)->ControllerUID, 0xDEADBEEFu);
  EXPECT_EQ(back->Devices->Device(0)->CommSetup.timeout, 1000u);
  EXPECT_EQ(back->SceneGroups->SceneCount(), 3u);
  EXPECT_EQ(back->SceneGroups->FindScene(6)->GetDisplayName(), "6 : Pumps");
  EXPECT_EQ(back->Alarms->Item(0)->Condition->ReadValue->Expression, "1:D100");
  EXPECT_EQ(back->Configuration->Sdecimal, 44);
  EXPECT_EQ(back->ModelKnown, 0);  // model 4242 is not installed
}

TEST(Project, ModelDisplayNameAndNewFromModel)
{
  auto model = std::make_unique<TZmModel>();
  model->ID = 77;
  model->Name = "Panel 77";
  model->COMCnt = 2;
  const TZmModel* m = model.get();
  TZmModels::Global().Add(std::move(model));
  SetTextLookup([](int n) { return n == 220 ? std::string("Screens") : std::string(); });

  Root r = SampleProject();
  EXPECT_FALSE(NewFromModel(*r, nullptr));
  EXPECT_EQ(r->Title, "Line 3 \xF0\x9F\x98\x80");  // nothing changed
  ASSERT_TRUE(NewFromModel(*r, m));
  EXPECT_EQ(r->ModelKnown, 1);
  EXPECT_EQ(r->Devices->DeviceCount(), 2u);
  EXPECT_EQ(r->Devices->Device(1)->Index, 1u);
  EXPECT_EQ(r->Devices->Device(1)->Type, 15u);
  ASSERT_EQ(r->SceneGroups->Count(), 1u);
  EXPECT_EQ(r->SceneGroups->Item(0)->Name, "Screens");
  EXPECT_EQ(r->Alarms->Count(), 0u);
  EXPECT_EQ(r->Configuration->Sdecimal, 46);  // a new project starts with the default configuration
  EXPECT_EQ(r->GetDisplayName(), "Panel 77");
  r->Title = "Boiler";
  EXPECT_EQ(r->GetDisplayName(), "Panel 77 : Boiler");
  r->ModelID = 78;
  EXPECT_EQ(r->GetDisplayName(), "Boiler");
  SetTextLookup(nullptr);
  TZmModels::Global().Clear();
}

TEST(Project, ConfigurationRecordIs36Bytes)
{
  Root r = NewRoot();
  TZmCompiler c;
  r->Configuration->WriteROM(c);
  const std::vector<uint8_t> expected = {0, 0, 0, 0, 100, 0, 50, 0, 180, 0, 46, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                         0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(c.Output().Buffer(), expected);
  struct Case {
    const char* text;
    uint16_t stored;
  } cases[] = {{",", 44}, {".", 46}, {";", 59}, {"ab", 46}, {"", 46}, {"\x7F", 127}, {"\xC3\xA9", 46}, {"\x1F", 46}};
  for (const auto& c2 : cases) EXPECT_EQ(TZmConfiguration::DecimalFromText(c2.text), c2.stored) << c2.text;
}

TEST(Project, AlarmIntervalIsKeptInRange)
{
  for (auto [stored, read] : {std::pair{500u, 6000u}, {1000u, 1000u}, {6000u, 6000u}, {6001u, 6000u}}) {
    Root r = NewRoot();
    r->Alarms->IntervalTime = stored;
    TZmStream s;
    // Write the raw value past the writer's own check, as an older file might hold it.
    TZmSerialization w(r->Alarms, &s, TZmSerialization::Write);
    w.SerializeUInt32("IntervalTime", stored);
    w.Flush();
    s.Seek(0);
    SerializeObjectTo(r->Alarms, TZmSerialization::Read, s);
    EXPECT_EQ(r->Alarms->IntervalTime, read) << stored;
  }
}

TEST(Project, CorruptFilesFailCleanlyAndLeaveAnEmptyProject)
{
  Root sample = SampleProject();
  const auto good = SaveProjectToBytes(*sample);
  std::vector<uint8_t> body;
  std::string err;
  ASSERT_TRUE(Inflate(std::span(good).subspan(36), kMaxProjectBody, body, err));

  auto withBody = [&](const std::vector<uint8_t>& b) {
    std::vector<uint8_t> f(good.begin(), good.begin() + 36);
    auto z = Deflate(b);
    f.insert(f.end(), z.begin(), z.end());
    return f;
  };
  std::vector<std::pair<std::string, std::vector<uint8_t>>> cases;
  cases.emplace_back("empty", std::vector<uint8_t>{});
  cases.emplace_back("bad magic", std::vector<uint8_t>{'k', 's', 'v', '1'});
  cases.emplace_back("ends after file information", std::vector<uint8_t>(good.begin(), good.begin() + 36));
  auto flipped = good;
  flipped[40] ^= 0xFF;
  cases.emplace_back("bad zlib", flipped);
  cases.emplace_back("zlib cut short", std::vector<uint8_t>(good.begin(), good.end() - 6));
  for (size_t cut : {size_t(3), size_t(30), body.size() / 2, body.size() - 1})
    cases.emplace_back("record cut at " + std::to_string(cut), withBody({body.begin(), body.begin() + cut}));
  Root other = NewRoot();
  TZmStream notRoot;
  SerializeObjectTo(other->Configuration, TZmSerialization::Write, notRoot);
  cases.emplace_back("root is not a project", withBody(notRoot.Buffer()));

  for (const auto& [name, bytes] : cases) {
    Root r = SampleProject();
    r->Configuration->ScreenBright = 3;
    std::string error;
    EXPECT_FALSE(LoadProjectFromBytes(*r, bytes, error)) << name;
    EXPECT_FALSE(error.empty()) << name;
    EXPECT_EQ(r->SceneGroups->Count(), 0u) << name;
    EXPECT_EQ(r->Devices->DeviceCount(), 0u) << name;
    EXPECT_EQ(r->Title, "") << name;
    EXPECT_EQ(r->Configuration->ScreenBright, 100) << name;
  }
}

TEST(Project, EveryTruncationOfTheBodyFails)
{
  Root sample = SampleProject();
  TZmStream rec;
  SerializeObjectTo(sample.get(), TZmSerialization::Write, rec);
  const auto& body = rec.Buffer();
  for (size_t cut = 0; cut < body.size(); ++cut) {
    Root r = NewRoot();
    TZmStream part(std::vector<uint8_t>(body.begin(), body.begin() + cut));
    EXPECT_THROW(SerializeObjectTo(r.get(), TZmSerialization::Read, part), EZmStreamError) << cut;
  }
}

TEST(Project, InflateHasAnUpperBound)
{
  std::vector<uint8_t> zeros(100000, 0), out;
  auto z = Deflate(zeros);
  std::string err;
  EXPECT_LT(z.size(), 1000u);
  EXPECT_FALSE(Inflate(z, 50000, out, err));
  EXPECT_TRUE(out.empty());
  EXPECT_TRUE(Inflate(z, 100000, out, err));
  EXPECT_EQ(out.size(), zeros.size());
}

TEST_F(ProjectFile, SaveForcesTheExtensionAndLoads)
{
  Root r = SampleProject();
  std::string err, saved;
  ASSERT_TRUE(SaveProject(*r, Path("plant.bak"), err, &saved)) << err;
  EXPECT_EQ(saved, Path("plant.ksv"));
  EXPECT_TRUE(FileExists(Path("plant.ksv")));
  EXPECT_FALSE(FileExists(Path("plant.bak")));
  ASSERT_TRUE(SaveProject(*r, Path("noext"), err, &saved));
  EXPECT_EQ(saved, Path("noext.ksv"));
  EXPECT_EQ(WithProjectExtension("/a.b/c"), "/a.b/c.ksv");
  EXPECT_EQ(WithProjectExtension("/a/.hidden"), "/a/.hidden.ksv");

  Root back = NewRoot();
  ASSERT_TRUE(LoadProject(*back, Path("plant.ksv"), err)) << err;
  EXPECT_EQ(back->Compare(r.get()), 0);
  EXPECT_FALSE(LoadProject(*back, Path("missing.ksv"), err));
  EXPECT_NE(err.find("missing.ksv"), std::string::npos);
}

TEST_F(ProjectFile, FailedSaveLeavesTheOldFile)
{
  Root small = NewRoot();
  small->Title = "old";
  std::string err;
  ASSERT_TRUE(SaveProject(*small, Path("p.ksv"), err));
  std::vector<uint8_t> before;
  ASSERT_TRUE(ReadWholeFile(Path("p.ksv"), before, err));

  // A child process whose file-size limit is below the new file's size: the
  // write fails part-way, as on a full disk.
  Root big = SampleProject();
  uint32_t seed = 1;
  for (int i = 0; i < 200; ++i) {
    std::string noise;  // incompressible, so the file is surely larger than the limit
    for (int k = 0; k < 100; ++k) noise.push_back(static_cast<char>('!' + ((seed = seed * 1103515245 + 12345) >> 16) % 90));
    TZmScene::Create(big->SceneGroups->Item(0))->FDescription = noise;
  }
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit lim = {4096, 4096};
    setrlimit(RLIMIT_FSIZE, &lim);
    std::string e;
    bool ok = SaveProject(*big, Path("p.ksv"), e);
    _exit(ok ? 0 : (e.empty() ? 2 : 3));
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 3);  // failure reported with a message
  std::vector<uint8_t> after;
  ASSERT_TRUE(ReadWholeFile(Path("p.ksv"), after, err));
  EXPECT_EQ(after, before);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);  // no temporary left
}
