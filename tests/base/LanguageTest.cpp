#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>

#include "base/Language.h"
#include "base/Texts.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> Bytes(std::string_view s) { return std::vector<uint8_t>(s.begin(), s.end()); }

std::vector<uint8_t> Utf16(std::u16string_view s, bool little, bool bom = true)
{
  std::vector<uint8_t> out;
  auto put = [&](char16_t c) {
    if (little) {
      out.push_back(static_cast<uint8_t>(c & 0xFF));
      out.push_back(static_cast<uint8_t>(c >> 8));
    } else {
      out.push_back(static_cast<uint8_t>(c >> 8));
      out.push_back(static_cast<uint8_t>(c & 0xFF));
    }
  };
  if (bom) put(0xFEFF);
  for (char16_t c : s) put(c);
  return out;
}

// A throw-away program folder with language sub-folders.
class LanguageFolder : public ::testing::Test {
protected:
  void SetUp() override
  {
    std::random_device rd;
    Root = fs::temp_directory_path() / ("kestrava-lang-" + std::to_string(rd()));
    fs::create_directories(Root);
  }
  void TearDown() override
  {
    std::error_code ec;
    fs::remove_all(Root, ec);
  }
  void Write(const std::string& rel, std::string_view text)
  {
    fs::path p = Root / rel;
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
  }
  void Language(int id, std::string_view strTab, bool withStrRes = true)
  {
    Write(std::to_string(id) + "/StrTab.ini", strTab);
    if (withStrRes) Write(std::to_string(id) + "/StrRes.ini", "FormMain.Caption=STR01000\n");
  }
  std::vector<int32_t> Installed(const TZmLanguageResources& res)
  {
    std::vector<int32_t> ids;
    for (const auto& l : res.Languages()) ids.push_back(l->ID);
    return ids;
  }
  fs::path Root;
};

}  // namespace

TEST(LanguageTextTable, DecodesEveryEncodingTheSame)
{
  const std::u16string text = u"STR01000=Gr\u00fc\u00dfe \u4e2d\u6587\r\nSTR01001=b";
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"utf8 without bom", Bytes("STR01000=Gr\xc3\xbc\xc3\x9f" "e \xe4\xb8\xad\xe6\x96\x87\r\nSTR01001=b")},
      {"utf8 with bom", Bytes("\xef\xbb\xbfSTR01000=Gr\xc3\xbc\xc3\x9f" "e \xe4\xb8\xad\xe6\x96\x87\r\nSTR01001=b")},
      {"utf16 little endian", Utf16(text, true)},
      {"utf16 big endian", Utf16(text, false)},
  };
  for (const auto& c : cases) {
    TZmTextTable t;
    t.LoadFromBytes(c.bytes);
    EXPECT_EQ(t.Value("STR01000"), "Gr\xc3\xbc\xc3\x9f" "e \xe4\xb8\xad\xe6\x96\x87") << c.name;
    EXPECT_EQ(t.Value("STR01001"), "b") << c.name;
  }
  // Bytes that are not UTF-8 (a legacy code page) are kept as Latin-1 rather
  // than turned into replacement characters or dropped.
  TZmTextTable latin;
  latin.LoadFromBytes(Bytes("STR00001=Gr\xfc\xdf" "e"));
  EXPECT_EQ(latin.Value("STR00001"), "Gr\xc3\xbc\xc3\x9f" "e");
}

TEST(LanguageTextTable, KeysIgnoreCaseFirstLineWinsAndSectionsAreOptional)
{
  TZmTextTable t;
  t.LoadFromBytes(Bytes("str00005=first\nSTR00005=second\nFont.Name = Sans\n"
                        "STR00006=a; b, c = d\n[Extra]\nSTR00007=in a section\nSTR00005=third\n"
                        "no equals sign\n=no key\n"));
  EXPECT_EQ(t.Value("STR00005"), "first");
  EXPECT_EQ(t.Value("font.name"), "Sans");
  EXPECT_EQ(t.Value("STR00006"), "a; b, c = d");  // everything after the first '='
  EXPECT_EQ(t.Value("STR00007"), "in a section");
  EXPECT_EQ(t.Value("STR00008"), "");
  EXPECT_FALSE(t.Contains("STR00008"));
  EXPECT_EQ(t.Count(), 4u);
  // A truncated UTF-16 file (odd byte count) and an empty file load without harm.
  auto odd = Utf16(u"STR00001=x", true);
  odd.push_back('y');
  t.LoadFromBytes(odd);
  EXPECT_EQ(t.Value("STR00001"), "x");
  t.LoadFromBytes({});
  EXPECT_EQ(t.Count(), 0u);
}

TEST_F(LanguageFolder, FindsOnlyKnownLocalesWithBothFiles)
{
  Language(1033, "STR01000=Kestrava\n");
  Language(1031, "STR01000=Kestrava DE\n", false);  // no StrRes.ini of its own
  Language(1036, "STR01000=Kestrava FR\n");
  Write("2052/StrRes.ini", "x=y\n");                // no StrTab.ini
  Language(99999, "STR01000=unknown locale\n");
  Write("abc/StrTab.ini", "STR01000=not a number\n");
  Write("abc/StrRes.ini", "x=y\n");
  Write("StrTab.ini", "a file, not a folder\n");

  TZmLanguageResources without(Root.string());
  EXPECT_EQ(Installed(without), (std::vector<int32_t>{1033, 1036}));

  // A shared StrRes.ini in the program folder makes 1031 complete.
  Write("StrRes.ini", "FormMain.Caption=shared\n");
  TZmLanguageResources with(Root.string() + "/");
  EXPECT_EQ(Installed(with), (std::vector<int32_t>{1031, 1033, 1036}));
  EXPECT_EQ(with.Languages()[0]->StrRes.Value("FormMain.Caption"), "shared");
  EXPECT_EQ(with.Languages()[1]->StrRes.Value("FormMain.Caption"), "STR01000");

  EXPECT_TRUE(with.AddLanguage(1033));   // already there: no second copy
  EXPECT_FALSE(with.AddLanguage(2052));  // no StrTab.ini
  EXPECT_FALSE(with.AddLanguage(12345)); // not a locale
  EXPECT_EQ(with.Languages().size(), 3u);
}

TEST_F(LanguageFolder, SelectFallsBackToEnglishAndFailsWithoutAnyLanguage)
{
  TZmLanguageResources empty(Root.string());
  EXPECT_EQ(empty.SelectLanguage(1033), -1);
  EXPECT_EQ(empty.CurrentID(), 0);
  EXPECT_EQ(empty.GetText(1000), "");
  EXPECT_EQ(empty.LanguageExtension(), "");
  EXPECT_EQ(empty.GetFormTexts(), nullptr);

  Language(1033, "STR01000=Kestrava\nFont.Size=9\n");
  Language(1036, "STR01000=Kestrava FR\n");
  TZmLanguageResources res(Root.string());
  EXPECT_EQ(res.SelectLanguage(2052), 0);  // not installed: English
  EXPECT_EQ(res.CurrentID(), 1033);
  EXPECT_EQ(res.LanguageFolder(), Root.string() + "/1033/");
  EXPECT_EQ(res.LanguageExtension(), "ENU");
  EXPECT_EQ(res.GetText(1000), "Kestrava");
  EXPECT_EQ(res.GetRawText("font.size"), "9");
  EXPECT_EQ(res.SelectLanguage(1036), 0);
  EXPECT_EQ(res.GetText(1000), "Kestrava FR");
  EXPECT_EQ(res.LanguageExtension(), "FRA");
  EXPECT_EQ(res.GetText(-1), "");
  EXPECT_EQ(res.GetText(100000), "");

  // Only French installed: asking for a missing language without English
  // fails and keeps French selected.
  fs::remove_all(Root / "1033");
  TZmLanguageResources fr(Root.string());
  ASSERT_EQ(fr.SelectLanguage(1036), 0);
  EXPECT_EQ(fr.SelectLanguage(2052), -1);
  EXPECT_EQ(fr.CurrentID(), 1036);
  EXPECT_EQ(fr.GetText(1000), "Kestrava FR");
}

TEST_F(LanguageFolder, FormValuesResolveReferences)
{
  Language(1033, "STR00012=Port\nSTR01000=Kestrava\n");
  TZmLanguageResources res(Root.string());
  struct Case {
    const char* value;
    const char* expected;
  } cases[] = {
      {"STR00012", "Port"},      {"STR00012:", "Port:"},  {"STR00012X", "Port"},
      {"STR00012:more", "Port:"}, {"Plain text", "Plain text"}, {"STR0001", "STR0001"},
      {"str00012", "str00012"},  {"STR00099", ""},       {"", ""},
  };
  // Without a language, references stay as they are.
  EXPECT_EQ(res.ResolveFormValue("STR00012"), "STR00012");
  ASSERT_EQ(res.SelectLanguage(1033), 0);
  for (const auto& c : cases) EXPECT_EQ(res.ResolveFormValue(c.value), c.expected) << c.value;
}

TEST(LanguageChoice, EntriesSplitAtTheFirstSpaceOrColon)
{
  struct Case {
    const char* text;
    int32_t value;
    const char* display;
  } cases[] = {
      {"3:Blue", 3, "Blue"},
      {"3 : Blue", 3, ": Blue"},
      {"65535:Never", 65535, "Never"},
      {"-1:None", -1, "None"},
      {"x:Foo", -1, "Foo"},
      {"7", 7, ""},
      {"", -1, ""},
      {"99999999999:Too big", -1, "Too big"},
      {"12abc Mixed", -1, "Mixed"},
  };
  for (const auto& c : cases) {
    TZmChoiceEntry e = TZmLanguageResources::ParseChoiceEntry(c.text);
    EXPECT_EQ(e.Value, c.value) << c.text;
    EXPECT_EQ(e.Display, c.display) << c.text;
    EXPECT_EQ(e.Whole, c.text);
  }
}

TEST_F(LanguageFolder, ChoiceListsReadTheCountAndTheEntries)
{
  Language(1033,
           "STR04000=3\nSTR04001=0:Red\nSTR04002=5:Green\nSTR04004=9:Blue\n"  // entry 4003 missing
           "STR04100=0\nSTR04200=abc\nSTR04300=-2\nSTR04400=2000000000\nSTR04500= 2 \nSTR04501=1:A\nSTR04502=2:B\n");
  TZmLanguageResources res(Root.string());
  EXPECT_TRUE(res.ChoiceList(4000).empty());  // no language yet
  ASSERT_EQ(res.SelectLanguage(1033), 0);
  auto list = res.ChoiceList(4000);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].Value, 0);
  EXPECT_EQ(list[1].Display, "Green");
  EXPECT_EQ(list[2].Value, -1);  // missing entry: an empty one, the count still holds
  EXPECT_EQ(list[2].Display, "");
  EXPECT_EQ(res.ChoiceText(4000, 5), "Green");
  EXPECT_EQ(res.ChoiceText(4000, 9), "");  // beyond the count
  EXPECT_EQ(res.ChoiceText(4000, 4), "");
  for (int l : {4100, 4200, 4300, 9999}) EXPECT_TRUE(res.ChoiceList(l).empty()) << l;
  EXPECT_EQ(res.ChoiceList(4400).size(), size_t(TZmLanguageResources::kMaxChoiceEntries));
  EXPECT_EQ(res.ChoiceList(4500).size(), 2u);  // the INI reader trims the count
}

TEST_F(LanguageFolder, CoreTextsComeFromTheInstalledStore)
{
  Language(1033, "STR00220=Screens\nSTR02625=%d error(s), %d warning(s), %s\n");
  {
    TZmLanguageResources res(Root.string());
    ASSERT_EQ(res.SelectLanguage(1033), 0);
    res.InstallTextLookup();
    EXPECT_EQ(GetText(220), "Screens");
    // A data-file format with a conversion its caller does not pass is copied
    // literally instead of reading a missing argument.
    EXPECT_EQ(res.FormatText(2625, {1, 2, 3}), "1 error(s), 2 warning(s), %s");
    EXPECT_EQ(res.FormatText(2626, {1}), "");
  }
  EXPECT_EQ(GetText(220), "");  // the destroyed store is no longer asked
}

TEST(LanguageLocale, TableAndSystemNames)
{
  ASSERT_NE(FindLocale(1033), nullptr);
  EXPECT_STREQ(FindLocale(1033)->Abbreviation, "ENU");
  EXPECT_STREQ(FindLocale(2052)->Abbreviation, "CHS");
  EXPECT_EQ(FindLocale(99999), nullptr);
  EXPECT_EQ(TZmLanguageResources::NativeName(99999), "99999");
  struct Case {
    const char* name;
    int32_t id;
  } cases[] = {{"en_US", 1033}, {"en-GB", 2057}, {"en_AU.UTF-8", 1033}, {"de", 1031},
               {"zh_CN", 2052},  {"zh_TW", 1028}, {"C", 0},              {"", 0}, {"xx_YY", 0}};
  for (const auto& c : cases) EXPECT_EQ(LocaleIdFromName(c.name), c.id) << c.name;
  std::set<int32_t> ids;
  for (const auto& l : KnownLocales()) EXPECT_TRUE(ids.insert(l.Id).second) << l.Id;
}
