// kestrava-cli as a process, on files no editor writes: deeply nested
// records appended to the demo, bytes after the compressed body, and
// allocation failures injected at many points of a command.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "../DeepRecords.h"
#include "base/File.h"
#include "model/Project.h"
#include "model/Scenes.h"

namespace fs = std::filesystem;

namespace {

std::string DataDir()
{
  const char* d = std::getenv("KESTRAVA_DATA");
  return d ? d : std::string(KESTRAVA_BUILD_DIR) + "/data";
}

struct TRun {
  int Status = -1;  // exit status; -1 when the program died of a signal
  std::string Out, Err;
};

std::string Slurp(const fs::path& p)
{
  std::ifstream f(p, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

class Cli : public ::testing::Test {
protected:
  void SetUp() override
  {
    dir = fs::temp_directory_path() / ("kestrava-cli-" + std::to_string(::getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  // Runs kestrava-cli with the arguments (and variables before it).
  TRun Run(const std::string& args, const std::string& env = "")
  {
    std::string cmd = env + " " + std::string(KESTRAVA_BUILD_DIR) + "/kestrava-cli " + args + " > " +
                      (dir / "out").string() + " 2> " + (dir / "err").string();
    int w = std::system(cmd.c_str());
    TRun r;
    // sh reports a child killed by a signal as 128 + the signal.
    if (WIFEXITED(w) && WEXITSTATUS(w) < 128) r.Status = WEXITSTATUS(w);
    r.Out = Slurp(dir / "out");
    r.Err = Slurp(dir / "err");
    return r;
  }

  // The demo project with records appended to its first scene.
  std::vector<uint8_t> Demo()
  {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(ReadWholeFile(DataDir() + "/demo/demo.ksv", bytes, error)) << error;
    return bytes;
  }
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes)
  {
    std::string path = (dir / name).string(), error;
    EXPECT_TRUE(WriteFileAtomic(path, bytes, error)) << error;
    return path;
  }
  fs::path dir;
};

}  // namespace

TEST_F(Cli, DeepRecordsInTheDemoLoadDumpPackCompileAndRender)
{
  std::unique_ptr<TZmHMI> root(NewObject<TZmHMI>());
  std::string error;
  ASSERT_TRUE(LoadProjectFromBytes(*root, Demo(), error)) << error;
  int32_t scene = root->SceneGroups->Groups.front()->Scenes.front()->ID;
  deep::AddRecordToScene(*root, deep::NestedGroups(6000), "TZmComponentGroup");
  deep::AddRecordToScene(*root, deep::NestedObjects(10000), "TZmSomethingNew");
  const std::string file = Write("deep.ksv", SaveProjectToBytes(*root));

  TRun info = Run("info " + file);
  ASSERT_EQ(info.Status, 0) << info.Err;
  EXPECT_NE(info.Out.find("Warning: A group nested deeper than 32 levels"), std::string::npos) << info.Out;
  EXPECT_NE(info.Out.find("\"TZmSomethingNew\" is not known"), std::string::npos) << info.Out;
  TRun dump = Run("dump " + file + " -o " + (dir / "deep.json").string());
  ASSERT_EQ(dump.Status, 0) << dump.Err;
  TRun pack = Run("pack " + (dir / "deep.json").string() + " -o " + (dir / "back.ksv").string());
  ASSERT_EQ(pack.Status, 0) << pack.Err;
  EXPECT_EQ(Slurp(dir / "back.ksv"), Slurp(file));
  TRun compile = Run("compile " + file + " -o " + (dir / "deep.img").string());
  EXPECT_EQ(compile.Status, 0) << compile.Out << compile.Err;
  TRun render = Run("render " + file + " --scene " + std::to_string(scene) + " -o " + (dir / "deep.png").string());
  EXPECT_EQ(render.Status, 0) << render.Err;

  // Far deeper still: dump keeps what lies below its depth as hex.
  std::unique_ptr<TZmHMI> deeper(NewObject<TZmHMI>());
  ASSERT_TRUE(LoadProjectFromBytes(*deeper, Demo(), error)) << error;
  deep::AddRecordToScene(*deeper, deep::NestedObjects(200000), "TZmSomethingNew");
  const std::string file2 = Write("deeper.ksv", SaveProjectToBytes(*deeper));
  ASSERT_EQ(Run("dump " + file2 + " -o " + (dir / "deeper.json").string()).Status, 0);
  ASSERT_EQ(Run("pack " + (dir / "deeper.json").string() + " -o " + (dir / "back2.ksv").string()).Status, 0);
  EXPECT_EQ(Slurp(dir / "back2.ksv"), Slurp(file2));
}

TEST_F(Cli, BytesAfterTheCompressedBodyAreReportedAndKeptByDumpAndPack)
{
  const auto demo = Demo();
  auto junk = demo;
  for (uint8_t b : {0xDE, 0xAD, 0xBE, 0xEF}) junk.push_back(b);
  auto twice = demo;  // a second zlib stream after the first
  auto z = Deflate(std::vector<uint8_t>{1, 2, 3});
  twice.insert(twice.end(), z.begin(), z.end());
  for (const auto& [name, bytes, extra] :
       {std::tuple{"junk.ksv", junk, size_t(4)}, std::tuple{"twice.ksv", twice, z.size()}}) {
    const std::string file = Write(name, bytes);
    TRun info = Run("info " + file);
    ASSERT_EQ(info.Status, 0) << info.Err;
    EXPECT_NE(info.Out.find("Warning: The file has " + std::to_string(extra) + " bytes after its compressed project data"),
              std::string::npos)
        << info.Out;
    ASSERT_EQ(Run("dump " + file + " -o " + (dir / "x.json").string()).Status, 0);
    auto json = nlohmann::ordered_json::parse(Slurp(dir / "x.json"));
    EXPECT_EQ(json["afterStream"].get<std::string>().size(), 2 * extra) << name;
    ASSERT_EQ(Run("pack " + (dir / "x.json").string() + " -o " + (dir / "x.ksv").string()).Status, 0);
    EXPECT_EQ(Slurp(dir / "x.ksv"), Slurp(file)) << name;
    // Without them the JSON packs to the file as the editor saves it.
    json.erase("afterStream");
    std::ofstream(dir / "y.json") << json.dump(1);
    ASSERT_EQ(Run("pack " + (dir / "y.json").string() + " -o " + (dir / "y.ksv").string()).Status, 0);
    EXPECT_EQ(Slurp(dir / "y.ksv"), std::string(demo.begin(), demo.end())) << name;
  }
}

TEST_F(Cli, AnAllocationFailureAnywhereEndsWithAMessageAndAFailureStatus)
{
  const std::string demo = DataDir() + "/demo/demo.ksv";
  const std::string commands[] = {
      "info " + demo,
      "dump " + demo + " -o " + (dir / "d.json").string(),
      "compile " + demo + " -o " + (dir / "d.img").string(),
      "render " + demo + " --scene 1 -o " + (dir / "d.png").string(),
  };
  // The sanitizer runtime must come first among the libraries; the shim
  // goes before it, which it accepts when told.
  const std::string env = std::string("ASAN_OPTIONS=verify_asan_link_order=0 LD_PRELOAD=") + KESTRAVA_FAILALLOC;
  for (const std::string& c : commands) {
    int failed = 0;
    for (long at : {200L, 1000L, 3000L, 10000L, 30000L, 100000L, 300000L}) {
      TRun r = Run(c, env + " KESTRAVA_FAIL_ALLOC_AT=" + std::to_string(at));
      ASSERT_NE(r.Status, -1) << c << " died at allocation " << at << ": " << r.Err;
      if (r.Status == 0) continue;  // finished before that allocation
      ++failed;
      EXPECT_EQ(r.Status, 1) << c << " at " << at;
      EXPECT_EQ(r.Err.rfind("kestrava-cli: ", 0), 0u) << c << " at " << at << ": " << r.Err;
      EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 1) << c << " at " << at << ": " << r.Err;
    }
    EXPECT_GT(failed, 0) << c << ": no allocation failed";
  }
}
