// Panel model files: reading order, Loc and key texts, palettes, limits.
#include <gtest/gtest.h>

#include <png.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "devices/Model.h"

namespace fs = std::filesystem;

namespace {

void WritePng(const fs::path& path, int w, int h)
{
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = w;
  image.height = h;
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> px(static_cast<size_t>(w) * h * 3, 0x80);
  ASSERT_TRUE(png_image_write_to_file(&image, path.c_str(), 0, px.data(), 0, nullptr));
}

class ModelFiles : public ::testing::Test {
protected:
  void SetUp() override
  {
    dir = fs::temp_directory_path() / ("kestrava-model-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    models.Clear();
  }
  void TearDown() override
  {
    models.Clear();
    fs::remove_all(dir);
  }
  // One model section named `name` with its two mandatory pictures.
  std::string Section(const std::string& name, const std::string& body)
  {
    WritePng(dir / (name + ".PNG"), 8, 8);
    WritePng(dir / (name + "_EDIT.PNG"), 4, 4);
    return "[" + name + "]\nID=7\nName=" + name + "\n" + body;
  }
  const TZmModel* Load(const std::string& text)
  {
    std::ofstream(dir / "m.ini") << text;
    EXPECT_TRUE(models.LoadModelFile((dir / "m.ini").string(), "1033"));
    return models.Count() ? models.Item(models.Count() - 1) : nullptr;
  }
  TZmModels models;
  fs::path dir;
};

const char* kFullBody =
    "EditLoc=10,20,320,240\nPowerLoc=1 2\t3 ,4\nLinkLoc=0,0,1,1\nDiskLoc=0,0,1,1\nAlarmLoc=0,0,1,1\n"
    "ROMSize=64\nKEYCnt=3\nKEYLoc0000=0,10,20,30,40,1280,0,F1\nKEYLoc0002=2, 5, 6, 7, 8, 1536, 9, F2\n"
    "COMCnt=2\nCOM0=COM1\nCOM1=COM2\nColorBit=2\nColorFormat=8\nSceneOption=1\n"
    "Color00000=0xFFFFFF\nColor00001=0\nColor00002=0xFF\nColor00003=0xFF00\nColor00004=0x123456\nColor00005=0x00FF00\n";

}  // namespace

TEST_F(ModelFiles, FullModel)
{
  const TZmModel* m = Load("[Models]\nI0000=P1\n" + Section("P1", kFullBody));
  ASSERT_TRUE(m);
  EXPECT_TRUE(m->Valid);
  EXPECT_EQ(m->EditRect, (TZmRectValue{10, 20, 330, 260}));
  EXPECT_EQ(m->Width(), 320);
  EXPECT_EQ(m->Height(), 240);
  EXPECT_EQ(m->PowerRect, (TZmRectValue{1, 2, 4, 6}));  // runs of separators count as one
  EXPECT_EQ(m->Panel.Width, 8);
  ASSERT_EQ(m->Keys.size(), 2u);  // the empty entry for key 1 is skipped
  EXPECT_EQ(m->Keys[1].second.Caption, "F2");
  EXPECT_EQ(m->FindKeyByFunction(1536)->Code, 2);
  EXPECT_EQ(m->FindKeyByCode(0)->Rect(), (TZmRectValue{10, 20, 40, 60}));
  EXPECT_EQ(m->PortNames.size(), 2u);
  ASSERT_EQ(m->Palette.size(), 6u);  // 2^2 entries and two for the scene option
  EXPECT_EQ(m->PaletteEntry(1, 2), std::optional<uint32_t>(0xFF));  // index 1 in mode 2 uses entry 2
  EXPECT_EQ(m->PaletteEntry(1, 3), std::optional<uint32_t>(0xFF00));
  EXPECT_EQ(m->PaletteEntry(1, 0), std::optional<uint32_t>(0));
  EXPECT_EQ(m->PaletteColor(0, 0), 0xFFFF);
  EXPECT_EQ(m->PaletteColor(2, 0), 0xF800);  // red is the low byte of an entry
}

TEST_F(ModelFiles, EarlyStopsAndLimits)
{
  struct Case {
    const char* body;
    bool valid;
    int32_t romSize;
    size_t palette;
  } cases[] = {
      {"EditLoc=1,2,3,4,5\nROMSize=64\n", false, 0, 0},                      // five numbers stop reading
      {"EditLoc=\nROMSize=64\n", false, 0, 0},                                // so does an empty Loc
      {"EditLoc=0,0,100,50\nPowerLoc=0\nLinkLoc=0\nDiskLoc=0\nAlarmLoc=0\nROMSize=64\n", true, 64, 0},
      {"EditLoc=0,0,0,50\nPowerLoc=0\nLinkLoc=0\nDiskLoc=0\nAlarmLoc=0\n", false, 0, 0},      // no width
      {"EditLoc=0,0,99999,50\nPowerLoc=0\nLinkLoc=0\nDiskLoc=0\nAlarmLoc=0\n", false, 0, 0},  // far too wide
      {"EditLoc=0,0,10,10\nPowerLoc=0\nLinkLoc=0\nDiskLoc=0\nAlarmLoc=0\nColorBit=2\nSceneOption=1\n"
       "Color00000=1\nColor00001=1\nColor00002=1\nColor00003=1\nColor00004=1\n",
       true, 0, 0},  // entry 5 missing: no palette
      {"EditLoc=0,0,10,10\nPowerLoc=0\nLinkLoc=0\nDiskLoc=0\nAlarmLoc=0\nColorBit=24\nColor00000=1\n", true, 0, 0},
  };
  for (const auto& c : cases) {
    models.Clear();
    const TZmModel* m = Load("[Models]\nI0000=P2\n" + Section("P2", c.body));
    ASSERT_TRUE(m) << c.body;
    EXPECT_EQ(m->Valid, c.valid) << c.body;
    EXPECT_EQ(m->ROMSize, c.romSize) << c.body;
    EXPECT_EQ(m->Palette.size(), c.palette) << c.body;
  }
  models.Clear();
  const TZmModel* m = Load("[Models]\nI0000=P3\n" + Section("P3", "EditLoc=0,0,9,9\nPowerLoc=0\nLinkLoc=0\nDiskLoc=0\nAlarmLoc=0\n"
                                                                 "KEYCnt=1000\nCOMCnt=9\nKEYLoc0040=1\n"));
  EXPECT_EQ(m->KEYCnt, 32);
  EXPECT_EQ(m->COMCnt, 2);
  EXPECT_TRUE(m->Keys.empty());

  fs::remove(dir / "P3_EDIT.PNG");
  models.Clear();
  std::ofstream(dir / "m.ini") << "[Models]\nI0000=P3\n[P3]\nName=P3\nEditLoc=0,0,9,9\n";
  models.LoadModelFile((dir / "m.ini").string(), "1033");
  ASSERT_EQ(models.Count(), 1u);
  EXPECT_FALSE(models.Item(0)->Valid);  // a mandatory picture is missing
}

TEST_F(ModelFiles, DuplicateSectionsAndKeyTexts)
{
  std::string first = "[Models]\nI0000=P4\nI0001=P4\n" + Section("P4", kFullBody);
  Load(first);
  EXPECT_EQ(models.Count(), 1u);
  std::ofstream(dir / "n.ini") << "[Models]\nI0000=P4\n[P4]\nID=99\nName=P4\n";
  models.LoadModelFile((dir / "n.ini").string(), "1033");
  EXPECT_EQ(models.Count(), 1u);  // the same name in another file is ignored
  EXPECT_EQ(models.Item(0)->ID, 7u);

  TZmModelKey k;
  EXPECT_FALSE(ParseModelKey("1,2,3,4,5,6,7,Cap,extra", k));  // a ninth token
  EXPECT_EQ(k.Caption, "Cap");
  TZmModelKey k2;
  EXPECT_TRUE(ParseModelKey("3,x,1", k2));
  EXPECT_EQ(k2.Left, 0);  // non-numbers count as 0
  EXPECT_EQ(k2.Top, 1);
  TZmRectValue r;
  EXPECT_TRUE(ParseLoc("5 6", r));
  EXPECT_EQ(r, (TZmRectValue{5, 6, 0, 0}));
}
