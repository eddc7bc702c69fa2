#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "base/Crc16.h"
#include "base/File.h"
#include "base/Format.h"
#include "base/Ini.h"
#include "base/Stream.h"
#include "base/Utf.h"

namespace fs = std::filesystem;

TEST(Stream, ReadsStopAtTheEndAndReportFailure)
{
  TZmStream s;
  s.WriteU16(0x1234);
  s.WriteU32(0xA1B2C3D4);
  s.WriteU8(7);
  EXPECT_EQ(s.Bytes()[0], 0x34);  // little-endian
  EXPECT_EQ(s.Bytes()[2], 0xD4);
  s.Seek(0);
  uint16_t a;
  uint32_t b, c;
  ASSERT_TRUE(s.ReadU16(a));
  ASSERT_TRUE(s.ReadU32(b));
  EXPECT_EQ(a, 0x1234);
  EXPECT_EQ(b, 0xA1B2C3D4u);
  EXPECT_FALSE(s.ReadU32(c));  // one byte left
  EXPECT_EQ(s.Position(), 6u);  // a failed read does not move
  s.Seek(100);  // past the end: reads fail, a write fills the gap with zeros
  EXPECT_FALSE(s.ReadU16(a));
  s.WriteU8(1);
  EXPECT_EQ(s.Size(), 101u);
  EXPECT_EQ(s.Bytes()[50], 0);

  const uint8_t raw[] = {1, 2, 3};
  TZmByteReader r(raw);
  std::span<const uint8_t> part;
  EXPECT_FALSE(r.ReadSpan(4, part));
  EXPECT_TRUE(r.ReadSpan(3, part));
  EXPECT_FALSE(r.Skip(1));
  EXPECT_FALSE(r.Seek(4));
}

TEST(Crc16, ModbusCheckValues)
{
  const std::string text = "123456789";
  EXPECT_EQ(Crc16(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size())), 0x4B37);
  const uint8_t request[] = {0x01, 0x03, 0x00, 0x00, 0x00, 0x0A};  // read 10 holding registers from slave 1
  EXPECT_EQ(Crc16(request), 0xCDC5);  // sent as C5 CD
  EXPECT_EQ(Crc16({}), 0xFFFF);
}

TEST(Utf, AnyUtf16SurvivesTheRoundTrip)
{
  const std::u16string cases[] = {
      u"", u"plain", u"Grüße €", u"\U0001F600 smile", std::u16string(1, char16_t(0xD800)),
      std::u16string{char16_t(0xDC00), u'a', char16_t(0xD83D)}, std::u16string{char16_t(0xD83D), char16_t(0xD83D), char16_t(0xDE00)},
  };
  for (const auto& u : cases) {
    std::string utf8 = Utf16ToUtf8(u);
    EXPECT_EQ(Utf8ToUtf16(utf8), u);
    EXPECT_EQ(Utf16Length(utf8), u.size());
  }
  EXPECT_EQ(Utf16ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
  // Broken UTF-8 becomes replacement characters, never a crash or overread.
  EXPECT_EQ(Utf8ToUtf16("a\xC3"), u"a\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xE2\x82"), u"\uFFFD\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xC0\x80"), u"\uFFFD\uFFFD");  // overlong
}

TEST(Utf, NamesSortDeterministically)
{
  EXPECT_LT(CompareNoCase("CommSetup.delay", "CommSetup0"), 0);  // punctuation before digits
  EXPECT_LT(CompareNoCase("A9", "AB"), 0);                       // digits before letters
  EXPECT_EQ(CompareNoCase("title", "TITLE"), 0);
  EXPECT_LT(CompareNoCase("ID", "ID2"), 0);
  EXPECT_TRUE(EqualsNoCase("TZmScene", "tzmscene"));
}

TEST(Ini, ReadsTheWayDataFilesAreWritten)
{
  TZmIniFile ini;
  ini.LoadFromText(
      "; comment line\n"
      "[Model]\r\n"
      "  Name = \"Panel 5, wide\" \n"
      "Note=a;b \"c\"\n"
      "name=second is ignored\n"
      "Empty=\n"
      "Quoted='x'\n"
      "NoEquals\n"
      "[other]\n"
      "Key=1\n"
      "[MODEL]\n"
      "Extra=from the repeated section\n");
  EXPECT_EQ(ini.ReadString("model", "NAME"), "Panel 5, wide");
  EXPECT_EQ(ini.ReadString("Model", "Note"), "a;b \"c\"");
  EXPECT_EQ(ini.ReadString("Model", "Quoted"), "x");
  EXPECT_EQ(ini.ReadString("Model", "Extra"), "from the repeated section");
  EXPECT_EQ(ini.ReadString("Model", "Missing", "def"), "def");
  EXPECT_TRUE(ini.ValueExists("Model", "Empty"));
  EXPECT_FALSE(ini.ValueExists("Model", "NoEquals"));
  EXPECT_FALSE(ini.ValueExists("Nowhere", "Key"));
  EXPECT_EQ(ini.Sections(), (std::vector<std::string>{"Model", "other"}));
}

TEST(Ini, IntegerRules)
{
  struct Case {
    const char* text;
    int32_t expected;
  } cases[] = {
      {"42", 42},          {"-7", -7},          {"+3", 3},          {"0x1F", 31},           {"$ff", 255},
      {"0xFFFFFFFF", -1},  {"4294967295", -1},  {"2147483648", INT32_MIN}, {"4294967296", 99}, {"12abc", 99},
      {"", 99},            {"0x", 99},          {"-", 99},          {" 5 ", 5},             {"1.5", 99},
  };
  for (const auto& c : cases) {
    TZmIniFile ini;
    ini.LoadFromText(std::string("[s]\nk=") + c.text + "\n");
    EXPECT_EQ(ini.ReadInteger("s", "k", 99), c.expected) << c.text;
  }
}

TEST(Ini, EncodingsWithByteOrderMarks)
{
  const std::string text = "[S]\nName=Grüße\n";
  std::vector<uint8_t> utf8bom = {0xEF, 0xBB, 0xBF};
  utf8bom.insert(utf8bom.end(), text.begin(), text.end());
  std::vector<uint8_t> le = {0xFF, 0xFE}, be = {0xFE, 0xFF};
  for (char16_t c : Utf8ToUtf16(text)) {
    le.push_back(static_cast<uint8_t>(c));
    le.push_back(static_cast<uint8_t>(c >> 8));
    be.push_back(static_cast<uint8_t>(c >> 8));
    be.push_back(static_cast<uint8_t>(c));
  }
  for (const auto& bytes : {utf8bom, le, be}) {
    TZmIniFile ini;
    ini.LoadFromBytes(bytes);
    EXPECT_EQ(ini.ReadString("s", "name"), "Grüße");
  }
}

TEST(SafeFormat, OnlyExpectedConversionsInOrder)
{
  struct Case {
    const char* fmt;
    std::vector<TZmFormatArg> args;
    const char* expected;
  } cases[] = {
      {"COM%d : %s [%d,%c]", {1, "P", 9600, 'E'}, "COM1 : P [9600,E]"},
      {"%04d|%-4s|%4s|%x|%X|%%", {7, "ab", "cd", 255, 255}, "0007|ab  |  cd|ff|FF|%"},
      {"%s has %d", {"x"}, "x has %d"},                      // missing argument: literal
      {"%s %n %p", {"a", 1, 2}, "a %n %p"},                   // never passed to printf
      {"%d", {"text"}, "%d"},                                 // wrong type: literal
      {"%*d", {5, 6}, "%*d"},                                 // no star widths
      {"%.2f V", {3.14159}, "3.14 V"},
      {"%.3s", {"Grüße"}, "Grü"},                             // precision in characters
      {"100%", {}, "100%"},
      {"%99999d", {1}, "%99999d"},                            // absurd width: literal
  };
  for (const auto& c : cases) EXPECT_EQ(SafeFormat(c.fmt, c.args), c.expected) << c.fmt;
  EXPECT_EQ(FormatConversions("%d : %s [%%] %5.2f %q"), "dsf");
}

class AtomicFile : public ::testing::Test {
protected:
  void SetUp() override
  {
    dir = fs::temp_directory_path() / ("kestrava-file-" + std::to_string(::getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  fs::path dir;
};

TEST_F(AtomicFile, ReplacesWholeAndLeavesNoTemporaryFiles)
{
  std::string path = (dir / "a.bin").string();
  std::string err;
  std::vector<uint8_t> one(1000, 1), two = {2, 2};
  ASSERT_TRUE(WriteFileAtomic(path, one, err)) << err;
  ::chmod(path.c_str(), 0640);
  ASSERT_TRUE(WriteFileAtomic(path, two, err)) << err;
  std::vector<uint8_t> back;
  ASSERT_TRUE(ReadWholeFile(path, back, err));
  EXPECT_EQ(back, two);
  struct stat st {};
  ::stat(path.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);  // permissions of the replaced file are kept
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(AtomicFile, FailureReportsAndKeepsTheOldFile)
{
  std::string err;
  std::vector<uint8_t> bytes = {1};
  EXPECT_FALSE(WriteFileAtomic((dir / "missing" / "x.bin").string(), bytes, err));
  EXPECT_FALSE(err.empty());
  // The target is a directory: rename fails, the directory and its content stay.
  fs::create_directories(dir / "busy");
  std::ofstream(dir / "busy" / "keep.txt") << "keep";
  EXPECT_FALSE(WriteFileAtomic((dir / "busy").string(), bytes, err));
  EXPECT_TRUE(fs::exists(dir / "busy" / "keep.txt"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}
