// Protocol files, shared controllers, data arrays and the internal controller.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "base/Texts.h"
#include "image/Context.h"
#include "devices/Protocols.h"

namespace fs = std::filesystem;

namespace {

class ProtocolFiles : public ::testing::Test {
protected:
  void SetUp() override
  {
    db.ClearAll();
    dir = fs::temp_directory_path() / ("kestrava-proto-" + std::to_string(::getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override
  {
    db.ClearAll();
    fs::remove_all(dir);
  }
  std::string Write(const char* name, const char* text)
  {
    std::ofstream(dir / name) << text;
    return (dir / name).string();
  }
  TZmControllerDB& db = TZmControllerDB::Global();
  fs::path dir;
};

const char* kFirst = R"([Protocols]
I0000=P1
I0002=Unreached
I0001=
[P1]
UID=100
Name=AB
Description=plain
Description_1033=English
Controllor0000=C1
Controllor0001=NoUid
Controllor0002=C2
Format0000=
Format0001=0x10
Format0003=5
Check0000=7
[Unreached]
UID=300
[NoUid]
Name=ignored
[C1]
UID=0xFFFFFFFF
Name=First
STRING0000=4"D"d0-99
DESC0000=Data
DESC0000_1033=Data word
STRING0001=4"D"x
INDEX0001=7
OFFSET0001=-1
BASE0001=2
MULA0001=3
STRING0003=0"never"
[C2]
UID=200
Name=Second
)";

const char* kSecond = R"([Protocols]
I0000=Again
I0001=P2
[Again]
UID=100
Name=Duplicate
[P2]
UID=101
Name=Other
Controllor0000=C1b
[C1b]
UID=-1
Name=Changed
STRING0000=0"X"d0-9
)";

}  // namespace

TEST_F(ProtocolFiles, ReadingRules)
{
  Write("b.ini", kSecond);
  Write("A.ini", kFirst);
  Write("notes.txt", "[Protocols]\nI0000=X\n[X]\nUID=5\n");
  ASSERT_TRUE(db.LoadProtocolFolder(dir.string(), "1033"));
  ASSERT_EQ(db.ProtocolCount(), 2u);  // "Unreached" after the gap and the duplicate UID are skipped
  TZmProtocol* p = db.FindProtocol(100);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->Name, "AB");  // A.ini before b.ini whatever the case
  EXPECT_EQ(p->Description, "English");
  EXPECT_EQ(p->BaudRate, 9600);
  EXPECT_EQ(p->RetryCount, 3);
  ASSERT_EQ(p->ControllerRefs.size(), 2u);  // the section without UID is skipped, the next one read
  EXPECT_EQ(p->ControllerRefs[1]->Name, "Second");

  // Controllers are shared: the UID read as -1 is the same 32-bit pattern, never re-read.
  TZmProtocol* p2 = db.FindProtocol(101);
  ASSERT_TRUE(p2);
  ASSERT_EQ(p2->ControllerRefs.size(), 1u);
  EXPECT_EQ(p2->ControllerRefs[0], p->ControllerRefs[0]);
  EXPECT_EQ(p2->ControllerRefs[0]->Name, "First");
  EXPECT_EQ(db.FindController(0xFFFFFFFF), p->ControllerRefs[0]);

  TZmController* c1 = p->ControllerRefs[0];
  ASSERT_EQ(c1->RegRules.Count(), 2u);  // stops at the first missing STRING
  EXPECT_EQ(c1->RegRules.Item(0)->Description, "Data word");
  EXPECT_EQ(c1->RegRules.Item(0)->Index, 0);
  TZmRegRule* bad = c1->RegRules.Item(1);
  EXPECT_TRUE(bad->Format.empty());
  EXPECT_EQ(bad->Kind, kindWord);  // what was parsed before the error stays
  EXPECT_EQ(bad->Index, 7);
  EXPECT_EQ(bad->Offset, -1);
  EXPECT_EQ(bad->Base, 2);
  EXPECT_EQ(bad->Mula, 3);
  bool warned = false;
  for (const auto& w : db.Warnings) warned = warned || (w.Text == "Import Format String Error!!" && w.Key == "STRING0001");
  EXPECT_TRUE(warned);

  // Format0000 is present but empty: 0, and the list goes on; Format0002 is missing: the list ends.
  EXPECT_EQ(p->FormatArray.Count(), 2u);
  EXPECT_EQ(p->FormatArray.Element(0), 0u);
  EXPECT_EQ(p->FormatArray.Element(1), 16u);
  EXPECT_EQ(p->CheckArray.Count(), 1u);

  TZmCompiler c;
  p->NameArray.WriteROM(c);
  EXPECT_EQ(c.Output().Buffer(), (std::vector<uint8_t>{2, 0, 0, 0, 0x41, 0, 0x42, 0}));

  db.ClearProtocols();
  EXPECT_EQ(db.ProtocolCount(), 0u);
  EXPECT_EQ(db.ControllerCount(), 2u);  // controllers stay
  EXPECT_FALSE(db.LoadProtocolFile((dir / "missing.ini").string(), "1033"));
}

TEST(DataArray, RecordIsPaddedToFourBytes)
{
  TZmDataArray bytes(1), words(4);
  for (uint32_t v : {1u, 2u, 3u, 4u, 5u}) bytes.Append(v);
  for (uint32_t v : {1u, 0xFFFFFFFFu, 3u}) words.Append(v);
  TZmCompiler c;
  bytes.WriteROM(c);
  EXPECT_EQ(c.Output().Buffer(), (std::vector<uint8_t>{5, 0, 0, 0, 1, 2, 3, 4, 5, 0, 0, 0}));
  c.Reset();
  words.WriteROM(c);
  EXPECT_EQ(c.Output().Size(), 16u);

  // Stored as a raw byte block.
  TZmDataArray back(4);
  back.Assign(&words);
  EXPECT_EQ(back.Count(), 3u);
  EXPECT_EQ(back.Element(1), 0xFFFFFFFFu);
}

TEST(InternalController, BuiltFromLanguageTexts)
{
  TZmControllerDB& db = TZmControllerDB::Global();
  db.ClearAll();
  SetTextLookup([](int n) -> std::string {
    switch (n) {
      case 3900: return "Panel memory";
      case 3903: return "not a number";
      case 3904: return "2";
      case 3910: return "Word";
      case 3911: return "4\"LW\"d0-255";
      case 3912: return "Double word";
      case 3913: return "5\"LD\"d0-254";
      default: return "";
    }
  });
  TZmController* c = db.BuildInternalController();
  SetTextLookup(nullptr);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->UID, kDefaultInternalControllerUID);
  EXPECT_EQ(db.InternalController(), c);
  EXPECT_EQ(c->Name, "Panel memory");
  ASSERT_EQ(c->RegRules.Count(), 2u);
  EXPECT_EQ(c->RegRules.Item(1)->Description, "Double word");
  EXPECT_EQ(c->RegRules.Item(1)->Index, -1);
  EXPECT_EQ(c->RegRules.Item(1)->Kind, kindDWord);
  db.ClearAll();
}
