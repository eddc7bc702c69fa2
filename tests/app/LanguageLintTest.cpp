// Checks the English language folder against what the program asks of it.
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <map>
#include <set>

#include "AppSupport.h"
#include "app/shell/Forms.h"
#include "base/Format.h"
#include "base/Language.h"

namespace {

// Numbered texts the program uses, with the conversions their callers pass
// ("d" any integer, "f" a floating-point number, "s" a text); "-" for texts
// that are not formats.
const std::map<int, std::string> kTexts = {
    {200, "dsd"}, {201, "-"}, {220, "-"}, {221, "-"}, {222, "-"}, {223, "-"}, {448, "-"}, {515, "-"},
    {600, "s"}, {601, ""}, {602, "dd"}, {603, "dd"}, {604, ""}, {606, ""}, {607, ""}, {608, ""}, {609, ""}, {610, ""},
    {622, "-"}, {623, "-"}, {642, "-"},
    {1000, "-"}, {1100, "-"}, {1101, "-"}, {1102, "-"}, {1106, "-"}, {1120, "s"}, {1201, "-"},
    {1260, "-"}, {1262, "-"}, {1263, "-"}, {1264, "-"},
    {1300, "-"}, {1301, "-"}, {1302, "-"}, {1303, "-"}, {1304, "-"}, {1305, "-"}, {1306, "-"}, {1307, "-"},
    {1308, "-"}, {1309, "-"}, {1310, "-"}, {1311, "-"}, {1312, "-"}, {1313, "-"}, {1314, "-"}, {1380, "-"},
    {2003, "-"}, {2004, "-"}, {2030, "-"}, {2042, ""}, {2048, ""},
    {2050, "s"}, {2051, "-"}, {2053, "ss"}, {2054, "ss"}, {2056, "-"}, {2060, "s"},
    {2601, "sss"}, {2602, "sss"}, {2605, "ss"}, {2606, "ss"}, {2610, "sssdd"}, {2611, "ssdd"}, {2612, "dssd"}, {2613, "dsdds"}, {2614, "sdds"}, {2615, "ss"}, {2616, "ssd"}, {2625, "ddd"}, {2626, "dddd"}, {2627, "ss"},
    {2640, "-"}, {2641, "-"}, {2642, "-"}, {2643, "-"}, {2644, "-"}, {2645, "-"}, {2646, "-"}, {2647, "-"},
    {3701, "-"}, {3900, "-"}, {3901, "-"}, {3902, "-"}, {3903, "-"}, {3904, "-"}, {3910, "-"}, {3911, "-"},
    {7000, "-"}, {7001, "-"}, {7002, "-"}, {7003, "-"}, {7004, "-"}, {7005, "-"}, {7006, "-"}, {7007, "-"},
    {7008, "-"}, {7009, "-"}, {7010, "-"}, {7011, "-"}, {7012, "-"}, {7100, "-"}, {7101, "-"}, {7102, "-"},
    {7107, "-"}, {7200, "-"}, {7201, "-"}, {7202, "-"}, {7203, "-"}, {7204, "-"}, {7207, "-"}, {7300, "-"},
    {7301, "-"}, {7302, "-"}, {7402, "-"}, {7403, "-"}, {7404, "-"}, {7405, "-"}, {7406, "-"}, {7407, "-"},
    {7408, "-"}, {7409, "-"}, {7411, "-"}, {7412, "-"}, {7413, "-"}, {7414, "-"}, {7415, "-"}, {7416, "-"},
    {7417, "-"}, {7418, "-"}, {7420, "-"},
    {8000, ""}, {8001, ""}, {8002, ""}, {8003, ""}, {8004, ""}, {8005, ""}, {8009, ""}, {8010, ""},
    {8011, ""}, {8012, ""}, {8016, ""}, {8017, ""}, {8019, ""},
    {8100, ""}, {8101, ""}, {8103, ""}, {8104, ""}, {8105, ""}, {8109, ""}, {8110, ""}, {8111, ""},
    {8112, ""}, {8116, ""}, {8117, ""}, {8119, ""},
    {9005, "dd"}, {9020, "ddd"}, {9021, "ddd"},
};

// Choice lists; true when the pages read the entries' values (false: whole entries).
const std::map<int, bool> kLists = {
    {1280, true}, {1400, true}, {1420, true}, {2020, true}, {2100, true}, {2820, false}, {4000, true},
    {4100, true}, {4200, true}, {4640, true}, {4660, true}, {4690, true}, {4760, true}, {4780, true},
    {4790, true}, {5400, true}, {5420, true}, {5440, true}, {5460, true}, {5470, true}, {5480, true},
    {5500, true}, {6020, true}, {6040, true}, {6060, false}, {6140, true}, {6160, true}, {6200, true},
    {6400, true}, {6600, true}, {6700, true}, {6960, true},
};

std::string ConversionClasses(std::string_view fmt)
{
  std::string out;
  for (char c : FormatConversions(fmt)) out.push_back(std::string_view("fegs").find(c) == std::string_view::npos ? 'd' : (c == 's' ? 's' : 'f'));
  return out;
}

// Numbers that source files ask for with a literal.
std::set<int> NumbersInSources()
{
  static const QRegularExpression calls(QStringLiteral(
      "\\b(?:GetText|FormatText|Text|ChoiceList|ChoiceText)\\(\\s*(\\d{2,5})\\b|"
      "\\bMessageBoxByNumber\\(\\s*(\\d{2,5})\\s*,\\s*(\\d{2,5})|"
      "\\b(?:FillChoiceBox|FillChoiceTexts)\\([^,()]+,\\s*(\\d{2,5})\\b"));
  std::set<int> out;
  for (const char* folder : {"app", "base", "graphics", "devices", "model", "compiler", "runtime", "link", "cli"}) {
    QDirIterator it(QStringLiteral(KESTRAVA_SOURCE_DIR "/") + folder, {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
      QFile f(it.next());
      if (!f.open(QIODevice::ReadOnly)) continue;
      const QString text = QString::fromUtf8(f.readAll());
      for (auto m = calls.globalMatch(text); m.hasNext();) {
        auto match = m.next();
        for (int g = 1; g <= 4; ++g)
          if (!match.captured(g).isEmpty()) out.insert(match.captured(g).toInt());
      }
    }
  }
  return out;
}

// Calls in the sources that format a numbered text with a literal number:
// the number and how many values the call passes.
std::vector<std::pair<int, int>> FormatCallsInSources()
{
  static const QRegularExpression call(QStringLiteral("\\b(?:SafeFormat\\(GetText|FormatText)\\(\\s*(\\d{2,5})\\s*\\)?\\s*,\\s*\\{"));
  std::vector<std::pair<int, int>> out;
  for (const char* folder : {"app", "base", "graphics", "devices", "model", "compiler", "runtime", "link", "cli"}) {
    QDirIterator it(QStringLiteral(KESTRAVA_SOURCE_DIR "/") + folder, {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
      QFile f(it.next());
      if (!f.open(QIODevice::ReadOnly)) continue;
      const QString text = QString::fromUtf8(f.readAll());
      for (auto m = call.globalMatch(text); m.hasNext();) {
        auto match = m.next();
        // Count the values up to the closing brace, at nesting depth 0.
        int depth = 0, values = 0;
        bool any = false;
        for (qsizetype i = match.capturedEnd(); i < text.size(); ++i) {
          QChar c = text[i];
          if (c == '(' || c == '{' || c == '[') ++depth;
          else if ((c == ')' || c == ']') && depth > 0) --depth;
          else if (c == '}' && depth > 0) --depth;
          else if (c == '}') break;
          else if (c == ',' && depth == 0) ++values;
          if (!c.isSpace()) any = true;
        }
        out.emplace_back(match.captured(1).toInt(), any ? values + 1 : 0);
      }
    }
  }
  return out;
}

class LanguageLint : public AppTest {
protected:
  void SetUp() override
  {
    AppTest::SetUp();
    Language = std::make_unique<TZmLanguageResources>(DataRoot().toStdString());
    ASSERT_TRUE(Language->IsInstalled(1033)) << DataRoot().toStdString();
    ASSERT_EQ(Language->SelectLanguage(1033), 0);
    SetAppLanguage(Language.get());
  }
  std::unique_ptr<TZmLanguageResources> Language;
};

}  // namespace

TEST_F(LanguageLint, EveryNumberExistsWithTheRightConversions)
{
  const TZmTextTable& tab = *Language->GetTextTable();
  for (const auto& [n, conversions] : kTexts) {
    EXPECT_TRUE(tab.Contains(TextKey(n))) << "text " << n << " is missing";
    EXPECT_FALSE(Language->GetText(n).empty()) << "text " << n << " is empty";
    if (conversions != "-") {
      EXPECT_EQ(ConversionClasses(Language->GetText(n)), conversions) << "text " << n;
    }
  }
  for (int n : NumbersInSources())
    EXPECT_TRUE(tab.Contains(TextKey(n)) || kLists.count(n)) << "the code asks for text " << n;
  EXPECT_FALSE(Language->GetRawText("Font.Name").empty());
  EXPECT_EQ(LanguageFontSize(QString::fromStdString(Language->GetRawText("Font.Size"))),
            std::stoi(Language->GetRawText("Font.Size")));
}

TEST_F(LanguageLint, FormatsTakeAsManyValuesAsTheirCallersPass)
{
  auto calls = FormatCallsInSources();
  EXPECT_FALSE(calls.empty());
  for (const auto& [n, values] : calls)
    EXPECT_EQ(FormatConversions(Language->GetText(n)).size(), size_t(values)) << "text " << n;
}

TEST_F(LanguageLint, ChoiceListsAreCompleteAndKeepToTheirRange)
{
  std::set<int> used;
  for (const auto& [n, c] : kTexts) used.insert(n);
  for (const auto& [n, v] : kLists) used.insert(n);
  for (int n : NumbersInSources()) used.insert(n);
  const TZmTextTable& tab = *Language->GetTextTable();
  for (const auto& [list, withValues] : kLists) {
    auto entries = Language->ChoiceList(list);
    ASSERT_FALSE(entries.empty()) << "list " << list;
    std::set<int32_t> values;
    for (size_t k = 1; k <= entries.size(); ++k) {
      int n = list + static_cast<int>(k);
      EXPECT_FALSE(used.count(n)) << "list " << list << " runs into text " << n;
      EXPECT_TRUE(tab.Contains(TextKey(n))) << "list " << list << " lacks entry " << n;
      const auto& e = entries[k - 1];
      if (withValues) {
        EXPECT_NE(e.Value, -1) << "entry " << n << " has no value: " << e.Whole;
        EXPECT_FALSE(e.Display.empty()) << "entry " << n;
        EXPECT_TRUE(values.insert(e.Value).second) << "entry " << n << " repeats a value";
      }
    }
    // Nothing stray right after the list, which would suggest a wrong count.
    EXPECT_FALSE(tab.Contains(TextKey(list + static_cast<int>(entries.size()) + 1)) &&
                 !used.count(list + static_cast<int>(entries.size()) + 1))
        << "list " << list << " is followed by an entry it does not count";
  }
  // The values the program depends on.
  EXPECT_EQ(Language->ChoiceText(1280, 65535).empty(), false);
  EXPECT_EQ(Language->ChoiceList(1400).front().Value, 0);
  for (int dataType = 0; dataType <= 7; ++dataType) EXPECT_FALSE(Language->ChoiceText(4780, dataType).empty()) << dataType;
  for (int align = 0; align <= 8; ++align) EXPECT_FALSE(Language->ChoiceText(4660, align).empty()) << align;
  for (int type = 0; type <= 13; ++type) EXPECT_FALSE(Language->ChoiceText(2100, type).empty()) << type;
}

TEST_F(LanguageLint, EveryFormTextPathResolves)
{
  const TZmTextTable& res = *Language->GetFormTexts();
  ASSERT_GT(res.Count(), 0u);
  std::map<QString, std::unique_ptr<QWidget>> forms;
  for (const auto& key : res.Keys()) {
    const QString path = QString::fromStdString(key);
    const QString formName = path.section('.', 0, 0);
    if (!forms.count(formName)) {
      for (const auto& f : FormFactories())
        if (formName == QLatin1String(f.Name)) forms[formName] = f.Create();
    }
    auto it = forms.find(formName);
    ASSERT_TRUE(it != forms.end() && it->second) << "no form " << formName.toStdString() << " for " << key;
    EXPECT_TRUE(ResolveFormPath(it->second.get(), path)) << key;
    const std::string value = res.Value(key);
    if (value.size() >= 8 && value.compare(0, 3, "STR") == 0) {
      EXPECT_TRUE(Language->GetTextTable()->Contains(value.substr(0, 8))) << key << " refers to " << value;
    }
  }
  // Every documented command of the main window has a caption.
  auto main = FormFactories().front().Create();
  for (const char* action : {"actNewFile", "actOpenFile", "actSaveFile", "actSaveAsFile", "actCloseFile", "actExit",
                             "actCut", "actCopy", "actPaste", "actDelete", "actSelectAll", "actTopLayer",
                             "actBottonLayer", "actPrevLayer", "actNextLayer", "actCompiler", "actSimulation",
                             "actDownload", "actAbout"})
    EXPECT_TRUE(res.Contains(std::string("FormMain.") + action + ".Caption")) << action;
}
