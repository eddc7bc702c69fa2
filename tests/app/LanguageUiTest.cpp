#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>

#include "AppSupport.h"
#include "base/Language.h"

namespace {

void WriteFile(const QString& path, const QByteArray& bytes)
{
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

// A small form in the shape the real ones have: controls nested in
// layouts and group boxes, an embedded page that owns its own controls, an
// action and a tool button that shows it.
struct SampleForm {
  QWidget form;
  QLabel* lblName;
  QPushButton* btnGo;
  QLabel* lblInner;
  QAction* actRun;
  QToolButton* btnRun;
  QTreeWidget* lvList;
  QPlainTextEdit* moNotes;
  QPushButton* btnDeep;
  QWidget* hosted;
  QLabel* lblHosted;

  SampleForm()
  {
    form.setObjectName("FormSample");
    MarkFormOwner(&form);
    auto* row = new QHBoxLayout(&form);
    lblName = new QLabel("design name", &form);
    lblName->setObjectName("lblName");
    auto* box = new QGroupBox("design box", &form);
    box->setObjectName("gbxBox");
    auto* inBox = new QHBoxLayout(box);
    btnGo = new QPushButton("design go", box);
    btnGo->setObjectName("btnGo");
    inBox->addWidget(btnGo);
    auto* unnamed = new QWidget(box);  // no name: skipped, but what it holds is not
    btnDeep = new QPushButton("design deep", unnamed);
    btnDeep->setObjectName("btnDeep");
    auto* page = new QWidget(&form);
    page->setObjectName("FrameInner");
    MarkFormOwner(page, false);  // a part of the form
    hosted = new QWidget(box);    // a page of the application shown inside the form
    hosted->setObjectName("FrameHosted");
    MarkFormOwner(hosted);
    lblHosted = new QLabel("design hosted", hosted);
    lblHosted->setObjectName("lblHosted");
    lblInner = new QLabel("design inner", page);
    lblInner->setObjectName("lblName");  // same name as the form's label: the owner tells them apart
    actRun = new QAction("design run", &form);
    actRun->setObjectName("actRun");
    btnRun = new QToolButton(&form);
    btnRun->setObjectName("btnRun");
    btnRun->setDefaultAction(actRun);
    lvList = new QTreeWidget(&form);
    lvList->setObjectName("lvList");
    lvList->setHeaderLabels({"c0", "c1"});
    moNotes = new QPlainTextEdit(&form);
    moNotes->setObjectName("moNotes");
    row->addWidget(lblName);
    row->addWidget(box);
    row->addWidget(page);
  }
};

class LanguageUi : public AppTest {
protected:
  void SetUp() override
  {
    AppTest::SetUp();
    ASSERT_TRUE(Dir.isValid());
    WriteFile(Dir.filePath("1033/StrTab.ini"),
              "STR00010=Name\nSTR01000=Sample\n"
              "STR04000=3\nSTR04001=0:Red\nSTR04002=5:Green\nSTR04003=9:Blue\n"
              "STR04100=2\nSTR04101=10 ten\nSTR04102=20 twenty\n"
              "STR02042=Save %s?\nSTR02004=Question\n");
    WriteFile(Dir.filePath("1033/StrRes.ini"),
              "FormSample.Caption=STR01000\n"
              "FormSample.lblName.Caption=STR00010:\n"
              "FormSample.btnGo.Caption=&Go\n"
              "FormSample.btnGo.Hint=Start it\n"
              "FormSample.btnDeep.Caption=Deep\n"
              "FormSample.FrameInner.lblName.Caption=Inner\n"
              "FormSample.actRun.Caption=Run\n"
              "FormSample.btnRun.Caption=must not show\n"
              "FormSample.lvList.Columns[1].Caption=Second\n"
              "FormSample.moNotes.Lines=one,\"two, three\",four\n"
              "formsample.GBXBOX.caption=Box\n"
              "FormSample.gbxBox.Hint=\n"
              "FrameHosted.lblHosted.Caption=Hosted\n"
              "FormSample.lblHosted.Caption=wrong path\n");
    WriteFile(Dir.filePath("1031/StrTab.ini"), "STR00010=Bezeichnung\nSTR01000=Beispiel\n");
    WriteFile(Dir.filePath("1031/StrRes.ini"),
              "FormSample.Caption=STR01000\nFormSample.lblName.Caption=STR00010:\nFormSample.btnGo.Caption=&Los\n");
    Language = std::make_unique<TZmLanguageResources>(Dir.path().toStdString());
  }
  QTemporaryDir Dir;
  std::unique_ptr<TZmLanguageResources> Language;
};

}  // namespace

TEST_F(LanguageUi, TranslatesAFormByPath)
{
  SampleForm f;
  TranslateComponent(&f.form);  // no language selected: nothing changes
  EXPECT_EQ(f.lblName->text(), "design name");

  ASSERT_EQ(Language->SelectLanguage(1033), 0);
  SetAppLanguage(Language.get());
  TranslateComponent(&f.form);
  EXPECT_EQ(f.form.windowTitle(), "Sample");
  EXPECT_EQ(f.lblName->text(), "Name:");
  EXPECT_EQ(f.btnGo->text(), "&Go");
  EXPECT_EQ(f.btnGo->toolTip(), "Start it");
  EXPECT_EQ(f.btnDeep->text(), "Deep");
  EXPECT_EQ(f.lblInner->text(), "Inner");
  EXPECT_EQ(f.actRun->text(), "Run");
  EXPECT_EQ(f.btnRun->text(), "Run");  // texts of a button that shows an action come from the action
  EXPECT_EQ(f.lvList->headerItem()->text(0), "c0");
  EXPECT_EQ(f.lvList->headerItem()->text(1), "Second");
  EXPECT_EQ(f.moNotes->toPlainText(), "one\ntwo, three\nfour");
  EXPECT_EQ(f.form.findChild<QGroupBox*>("gbxBox")->title(), "Box");
  EXPECT_EQ(f.lblHosted->text(), "Hosted");
}

TEST_F(LanguageUi, ResolvesOnlyExistingPaths)
{
  SampleForm f;
  struct Case {
    const char* path;
    bool resolves;
  } cases[] = {
      {"FormSample.Caption", true},
      {"FormSample.lblName.Caption", true},
      {"FormSample.btnDeep.Hint", true},
      {"FormSample.FrameInner.lblName.Caption", true},
      {"FormSample.lvList.Columns[1].Caption", true},
      {"FormSample.lvList.Columns[2].Caption", false},
      {"FormSample.moNotes.Lines", true},
      {"FormSample.actRun.Hint", true},
      {"FormSample.lblName.placeholderText", false},
      {"FormSample.btnMissing.Caption", false},
      {"FormSample.lblName.Colour", false},
      {"FormSample.lblInner.Caption", false},  // the page's label is not the form's
      {"FormOther.lblName.Caption", false},
      {"FormSample", false},
      {"FormSample.lblHosted.Caption", false},  // a hosted page has its own path
      {"FormSample.FrameHosted.lblHosted.Caption", false},
  };
  EXPECT_TRUE(ResolveFormPath(f.hosted, "FrameHosted.lblHosted.Caption"));
  for (const auto& c : cases) EXPECT_EQ(ResolveFormPath(&f.form, c.path), c.resolves) << c.path;
}

TEST_F(LanguageUi, SwitchingTheLanguageRebuildsTheTexts)
{
  ASSERT_EQ(Language->SelectLanguage(1033), 0);
  SetAppLanguage(Language.get());
  SampleForm f;
  TranslateComponent(&f.form);
  ASSERT_EQ(f.btnGo->text(), "&Go");
  ASSERT_EQ(Language->SelectLanguage(1031), 0);
  TranslateComponent(&f.form);
  EXPECT_EQ(f.form.windowTitle(), "Beispiel");
  EXPECT_EQ(f.lblName->text(), "Bezeichnung:");
  EXPECT_EQ(f.btnGo->text(), "&Los");
  EXPECT_EQ(f.btnDeep->text(), "Deep");  // no German text: the last one stays

  QMenu menu;
  int chosen = 0;
  BuildLanguageMenu(&menu, [&](int id) { chosen = id; });
  ASSERT_EQ(menu.actions().size(), 2);
  EXPECT_EQ(menu.actions()[0]->data().toInt(), 1031);
  EXPECT_TRUE(menu.actions()[0]->isChecked());
  EXPECT_FALSE(menu.actions()[1]->isChecked());
  menu.actions()[1]->trigger();
  EXPECT_EQ(chosen, 1033);
  Language->SelectLanguage(2052);  // not installed: English, and its entry is checked
  UpdateLanguageMenuChecks(&menu);
  EXPECT_FALSE(menu.actions()[0]->isChecked());
  EXPECT_TRUE(menu.actions()[1]->isChecked());
}

TEST_F(LanguageUi, ChoiceBoxesCarryTheirValues)
{
  ASSERT_EQ(Language->SelectLanguage(1033), 0);
  SetAppLanguage(Language.get());
  QComboBox box;
  int changes = 0;
  QObject::connect(&box, &QComboBox::currentIndexChanged, [&] { ++changes; });
  FillChoiceBox(&box, 4000, 5);
  ASSERT_EQ(box.count(), 3);
  EXPECT_EQ(box.itemText(2), "Blue");
  EXPECT_EQ(box.currentIndex(), 1);
  EXPECT_EQ(ChoiceValue(&box), 5);
  EXPECT_EQ(changes, 0);  // filling is not a user change
  FillChoiceBox(&box, 4000, 7);  // no entry has 7
  EXPECT_EQ(box.currentIndex(), -1);
  EXPECT_EQ(ChoiceValue(&box), -1);
  FillChoiceBox(&box, 4500, 0);  // no such list: the box stays as it was
  EXPECT_EQ(box.count(), 3);
  box.setCurrentIndex(1);
  FillChoiceTexts(&box, 4100);
  ASSERT_EQ(box.count(), 2);
  EXPECT_EQ(box.itemText(0), "10 ten");
  EXPECT_EQ(box.currentIndex(), 1);
  EXPECT_EQ(ChoiceText(4000, 9), "Blue");

  // Numbered message boxes go through the prompt service and its formatter.
  Script->Answers = {ZmMb::IdNo};
  EXPECT_EQ(MessageBoxByNumber(2042, 2004, ZmMb::YesNoCancel | ZmMb::IconQuestion), ZmMb::IdNo);
  EXPECT_EQ(Script->Asked, QStringList{"Question|Save %s?"});
  EXPECT_EQ(FormatText(2042, {"x.ksv"}), "Save x.ksv?");
  EXPECT_EQ(FormatText(2042, {42}), "Save %s?");
}

TEST(LanguageFont, SizeFallsBackToEight)
{
  struct Case {
    const char* text;
    int size;
  } cases[] = {{"9", 9}, {" 12 ", 12}, {"", 8}, {"abc", 8}, {"0", 8}, {"-3", 8}, {"100000", 8}, {"72", 72}};
  for (const auto& c : cases) EXPECT_EQ(LanguageFontSize(c.text), c.size) << c.text;
}
