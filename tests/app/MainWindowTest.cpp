#include <QComboBox>
#include <QListWidget>
#include <QLabel>
#include <QPushButton>
#include <QFile>
#include <QSpinBox>
#include <QWheelEvent>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QToolBar>
#include <QToolButton>
#include <QProcess>
#include <QSettings>
#include <QSplitter>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "AppSupport.h"
#include "app/dialogs/About.h"
#include "app/dialogs/FormModel.h"
#include "app/shell/Application.h"
#include "app/shell/DynamicPanel.h"
#include "app/shell/UndoStack.h"
#include "app/shell/MainWindow.h"
#include "app/shell/ProjectTree.h"
#include "app/editor/SceneEditor.h"
#include "app/shell/Settings.h"
#include "app/editor/ToolPalette.h"
#include "app/shell/Startup.h"
#include "base/Language.h"
#include "devices/Model.h"
#include "model/Project.h"
#include "model/Scenes.h"

namespace {

class MainWindow : public AppTest {
protected:
  void SetUp() override
  {
    AppTest::SetUp();
    Language = std::make_unique<TZmLanguageResources>(DataRoot().toStdString());
    ASSERT_EQ(Language->SelectLanguage(1033), 0) << "no English texts in " << DataRoot().toStdString();
    SetAppLanguage(Language.get());
    ASSERT_TRUE(Dir.isValid());
    Demo = Copy("demo.ksv");
    Other = Copy("other.ksv");
  }
  QString Copy(const QString& name)
  {
    QString to = Dir.filePath(name);
    EXPECT_TRUE(QFile::copy(DataRoot() + "/demo/demo.ksv", to));
    return to;
  }
  void StoreRecent(const QStringList& files)
  {
    TZmAppSettings s;
    for (const QString& f : files) s.RecentProject += f + "\r\n";
    TZmRegistry w(TZmRegistry::Write);
    s.Exchange(w);
  }
  QString StoredRecent()
  {
    TZmAppSettings s;
    TZmRegistry r(TZmRegistry::Read);
    s.Exchange(r);
    return s.RecentProject;
  }
  std::unique_ptr<TZmLanguageResources> Language;
  QTemporaryDir Dir;
  QString Demo, Other;
};

}  // namespace

TEST_F(MainWindow, FirstStartWithEmptySettings)
{
  TFormMain w;
  EXPECT_EQ(w.windowTitle(), "Kestrava");
  EXPECT_TRUE(w.Recent.Files.isEmpty());
  EXPECT_EQ(w.Settings.DrawLine400, 1);
  EXPECT_EQ(w.Settings.OffLine, 0);
  EXPECT_TRUE(w.Settings.Com1.isEmpty());
  w.FirstActivation();
  EXPECT_FALSE(w.TimerAutoOpen->isActive());  // nothing to reopen
  EXPECT_FALSE(w.actSaveFile->isEnabled());
  EXPECT_TRUE(w.actOpenFile->isEnabled());
  ASSERT_EQ(w.pmOpenFile->actions().size(), 2);  // Open and the separator
  EXPECT_EQ(w.miLanguage->actions().size(), int(Language->Languages().size()));
  EXPECT_EQ(w.actDownload->shortcut(), QKeySequence("Ctrl+Alt+S"));
  EXPECT_GT(TZmModels::Global().Count(), 0u);  // the data folders are loaded
}

TEST_F(MainWindow, StartUpOpensTheArgumentOrTheMostRecentFile)
{
  struct Case {
    const char* name;
    QStringList args;
    QStringList recent;
    QString opened;  // empty: nothing opened and the timer stays off
  } cases[] = {
      {"argument", {Demo}, {Other}, Demo},
      {"most recent", {}, {Other, Demo}, Other},
      {"missing argument", {Dir.filePath("gone.ksv")}, {Demo}, {}},
      {"two arguments", {Demo, Other}, {Demo}, {}},
  };
  for (const auto& c : cases) {
    ClearSettings();
    StoreRecent(c.recent);
    Script->Asked.clear();
    TFormMain w(c.args);
    w.FirstActivation();
    EXPECT_EQ(w.TimerAutoOpen->isActive(), c.args.size() == 1 || (c.args.isEmpty() && !c.recent.isEmpty())) << c.name;
    EXPECT_EQ(w.TimerAutoOpen->interval(), 500);
    w.TimerAutoOpen->stop();
    w.AutoOpen();
    EXPECT_EQ(w.FileName, c.opened) << c.name;
    EXPECT_EQ(w.HasProject(), !c.opened.isEmpty()) << c.name;
    EXPECT_TRUE(Script->Asked.isEmpty()) << c.name;  // a missing file is not an error here
    if (!c.opened.isEmpty()) {
      EXPECT_EQ(w.windowTitle(), "Kestrava : [" + c.opened + "]");
      EXPECT_EQ(w.Recent.Files.front(), c.opened);
      EXPECT_EQ(w.tvProject->topLevelItemCount(), 2);
    }
  }
}

TEST_F(MainWindow, TheFirstActivationOpensTheArgument)
{
  TFormMain w({Demo});
  w.show();
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  EXPECT_TRUE(QTest::qWaitFor([&] { return w.HasProject(); }, 20000));
  EXPECT_EQ(w.FileName, Demo);
}

TEST_F(MainWindow, AutoOpenWaitsForDialogsAndNeverOpensOverAProject)
{
  TFormMain w({Demo});
  w.FirstActivation();
  Script->SetBusy(true);  // a prompt is open
  w.AutoOpen();
  EXPECT_FALSE(w.HasProject());
  EXPECT_TRUE(w.TimerAutoOpen->isActive());  // tries again later
  Script->SetBusy(false);

  ASSERT_TRUE(w.OpenFile(Other, false));  // the user was quicker
  w.AutoOpen();
  EXPECT_EQ(w.FileName, Other);
  w.FirstActivation();  // only the first activation counts
  w.TimerAutoOpen->stop();
  w.FirstActivation();
  EXPECT_FALSE(w.TimerAutoOpen->isActive());
}

TEST_F(MainWindow, ClosePromptAndSaveAs)
{
  TFormMain w;
  ASSERT_TRUE(w.OpenFile(Demo, false));
  w.SetModified(true);
  EXPECT_EQ(w.windowTitle(), "Kestrava : [" + Demo + " *]");

  Script->Answers = {ZmMb::IdCancel};
  EXPECT_FALSE(w.ConfirmClose());
  EXPECT_TRUE(w.HasProject());
  ASSERT_EQ(Script->Asked.size(), 1);
  EXPECT_EQ(Script->Asked[0], Text(2004) + '|' + Text(2042));

  // Yes, then a cancelled Save As (no file name yet): nothing is closed.
  w.FileName.clear();
  Script->Answers = {ZmMb::IdYes};
  EXPECT_FALSE(w.ConfirmClose());
  EXPECT_TRUE(w.HasProject());

  // Yes, Save As onto an existing file, refuse to replace it.
  Script->Answers = {ZmMb::IdYes, ZmMb::IdNo};
  Script->FileNames = {Other};
  EXPECT_FALSE(w.ConfirmClose());
  EXPECT_TRUE(w.Modified);

  // Yes, Save As under a new name without extension: saved as .ksv, closed.
  Script->Answers = {ZmMb::IdYes};
  Script->FileNames = {Dir.filePath("saved")};
  EXPECT_TRUE(w.ConfirmClose());
  EXPECT_FALSE(w.HasProject());
  EXPECT_TRUE(QFileInfo(Dir.filePath("saved.ksv")).isFile());
  EXPECT_EQ(w.Recent.Files.front(), Dir.filePath("saved.ksv"));
  EXPECT_EQ(w.windowTitle(), "Kestrava");

  // A failed save reports it and keeps the project modified.
  ASSERT_TRUE(w.OpenFile(Demo, false));
  w.SetModified(true);
  Script->Asked.clear();
  EXPECT_FALSE(w.SaveFile(Dir.filePath("no/such/folder/x.ksv")));
  EXPECT_TRUE(w.Modified);
  EXPECT_EQ(Script->Asked.size(), 1);
  Script->Answers = {ZmMb::IdNo};
  EXPECT_TRUE(w.ConfirmClose());

  // Closing the window asks the same question and obeys Cancel.
  ASSERT_TRUE(w.OpenFile(Demo, false));
  w.SetModified(true);
  w.show();
  Script->Answers = {ZmMb::IdCancel};
  EXPECT_FALSE(w.close());
  EXPECT_TRUE(w.isVisible());
  Script->Answers = {ZmMb::IdNo};
  EXPECT_TRUE(w.close());
  EXPECT_FALSE(w.HasProject());
}

TEST_F(MainWindow, RecentEntryOfAMissingFileIsDroppedBeforeClosing)
{
  StoreRecent({Other, Demo});
  TFormMain w;
  ASSERT_TRUE(w.OpenFile(Demo, false));
  w.SetModified(true);
  ASSERT_TRUE(QFile::remove(Other));
  Script->Asked.clear();
  w.OpenRecent(Other);
  ASSERT_EQ(Script->Asked.size(), 1);  // the message, and no save prompt
  EXPECT_TRUE(Script->Asked[0].contains(Other));
  EXPECT_EQ(w.Recent.IndexOf(Other), -1);
  EXPECT_TRUE(w.HasProject());
  EXPECT_TRUE(w.Modified);

  // A damaged file from the menu: the message says so, and the open
  // project is neither closed nor asked about.
  QFile bad(Dir.filePath("bad.ksv"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("not a project");
  bad.close();
  Script->Asked.clear();
  Script->Answers = {ZmMb::IdOk};
  w.OpenRecent(bad.fileName());
  EXPECT_TRUE(w.HasProject());
  EXPECT_TRUE(w.Modified);
  EXPECT_EQ(w.FileName, QFileInfo(Demo).absoluteFilePath());
  ASSERT_EQ(Script->Asked.size(), 1);
  EXPECT_TRUE(Script->Asked[0].startsWith(Text(1000) + '|'));
}

TEST_F(MainWindow, SettingsAreWrittenBackOnce)
{
  StoreRecent({Other});
  {
    TFormMain w;
    ASSERT_TRUE(w.OpenFile(Demo, false));
    EXPECT_EQ(w.EditOptions.DrawLine400, 1);
    w.EditOptions.DrawLine400 = 0;
    w.Settings.Port = "/dev/ttyUSB3";
  }
  EXPECT_EQ(StoredRecent(), Demo + "\r\n" + Other + "\r\n");
  TZmAppSettings s;
  TZmRegistry r(TZmRegistry::Read);
  s.Exchange(r);
  EXPECT_EQ(s.DrawLine400, 0);
  EXPECT_EQ(s.Port, "/dev/ttyUSB3");
}

TEST_F(MainWindow, TheWindowAndItsProjectPanelOpenAsTheyWereLeft)
{
  {
    TFormMain w;
    w.show();
    w.resize(1010, 705);
    QApplication::processEvents();
    w.Settings.TreeWidth = 333;  // as the splitter records a drag
  }
  {
    TFormMain w;
    w.show();
    QApplication::processEvents();
    EXPECT_EQ(w.size(), QSize(1010, 705));
    ASSERT_TRUE(w.OpenFile(Demo, false));
    for (int i = 0; i < 200 && w.dplLeft->Sliding(); ++i) QTest::qWait(10);
    QApplication::processEvents();
    EXPECT_EQ(w.dplLeft->width(), 333);
    w.Settings.TreeWidth = 5;  // a value no panel could show
  }
  TFormMain w;
  EXPECT_EQ(w.Settings.TreeWidth, 280);
}

TEST_F(MainWindow, LanguageSwitchStoresTheChoice)
{
  TFormMain w;
  TranslateComponent(&w);
  EXPECT_EQ(w.actOpenFile->text(), "&Open...");
  w.SwitchLanguage(1033);
  EXPECT_EQ(ReadLanguageId(), 1033);
  EXPECT_EQ(w.actOpenFile->text(), "&Open...");
  EXPECT_EQ(w.font().pointSize(), LanguageFontSize(QString::fromStdString(Language->GetRawText("Font.Size"))));
}

TEST_F(MainWindow, SwitchingToAnotherLanguageRetranslatesTheWindow)
{
  QTemporaryDir root;
  ASSERT_TRUE(QDir().mkpath(root.filePath("1033")) && QDir().mkpath(root.filePath("1031")));
  for (const char* f : {"StrTab.ini", "StrRes.ini"})
    ASSERT_TRUE(QFile::copy(DataRoot() + "/1033/" + f, root.filePath(QString("1033/") + f)));
  QFile tab(root.filePath("1031/StrTab.ini")), res(root.filePath("1031/StrRes.ini"));
  ASSERT_TRUE(tab.open(QIODevice::WriteOnly) && res.open(QIODevice::WriteOnly));
  tab.write("STR01000=Kestrava DE\nFont.Size=11\n");
  res.write("FormMain.actOpenFile.Caption=\xc3\x96&ffnen...\n");
  tab.close();
  res.close();
  TZmLanguageResources two(root.path().toStdString());
  ASSERT_EQ(two.SelectLanguage(1033), 0);
  SetAppLanguage(&two);

  TFormMain w;
  TranslateComponent(&w);
  ApplyLanguageFont(&w);
  ASSERT_EQ(w.miLanguage->actions().size(), 2);
  QAction* german = w.miLanguage->actions()[0];
  EXPECT_EQ(german->data().toInt(), 1031);
  EXPECT_EQ(german->text(), QString::fromUtf8(FindLocale(1031)->NativeName));
  german->trigger();
  EXPECT_EQ(two.CurrentID(), 1031);
  EXPECT_EQ(ReadLanguageId(), 1031);
  EXPECT_EQ(w.actOpenFile->text(), QString::fromUtf8("\xc3\x96&ffnen..."));
  EXPECT_EQ(w.actSaveFile->text(), "&Save");  // no German text: the last one stays
  EXPECT_EQ(w.windowTitle(), "Kestrava DE");
  EXPECT_EQ(w.font().pointSize(), 11);
  EXPECT_TRUE(german->isChecked());
  EXPECT_FALSE(w.miLanguage->actions()[1]->isChecked());
}

TEST_F(MainWindow, StartUpLanguage)
{
  WriteLanguageId(2052);  // not installed: English
  EXPECT_TRUE(SelectStartupLanguage(*Language));
  EXPECT_EQ(Language->CurrentID(), 1033);
  QTemporaryDir empty;
  TZmLanguageResources none(empty.path().toStdString());
  EXPECT_FALSE(SelectStartupLanguage(none));
}

TEST_F(MainWindow, WithoutAnyLanguageTheProgramSaysSoAndFails)
{
  QTemporaryDir empty;
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  p.setProcessEnvironment(env);
  p.start(QStringLiteral(KESTRAVA_BUILD_DIR "/kestrava"), {"--data", empty.path()});
  ASSERT_TRUE(p.waitForFinished(60000));
  EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(p.exitCode(), 2);
  EXPECT_TRUE(p.readAllStandardError().contains("no user-interface language"));
}

TEST_F(MainWindow, GrabToPng)
{
  StoreRecent({Demo, Other});
  TFormMain w;
  TranslateComponent(&w);
  ApplyLanguageFont(&w);
  w.UpdateCaption();
  w.show();
  ASSERT_TRUE(w.OpenFile(Demo, false));
  // The recent files go under the Open button, and into the File menu above
  // Exit (a separator and two entries).
  ASSERT_EQ(w.pmOpenFile->actions().size(), 4);
  EXPECT_EQ(w.pmOpenFile->actions()[2]->toolTip(), Demo);
  EXPECT_EQ(w.pmOpenFile->actions()[3]->toolTip(), Other);
  EXPECT_EQ(w.miFile->actions().size(), 10);
  QApplication::processEvents();
  QPixmap shot = w.grab();
  ASSERT_FALSE(shot.isNull());
  EXPECT_TRUE(shot.save(QStringLiteral(KESTRAVA_BUILD_DIR "/app-mainwindow.png")));
  w.pmOpenFile->popup(w.mapToGlobal(QPoint(40, 40)));
  QApplication::processEvents();
  EXPECT_TRUE(w.pmOpenFile->grab().save(QStringLiteral(KESTRAVA_BUILD_DIR "/app-openmenu.png")));
  w.pmOpenFile->hide();
  w.miFile->popup(w.mapToGlobal(QPoint(0, 20)));
  QApplication::processEvents();
  EXPECT_TRUE(w.miFile->grab().save(QStringLiteral(KESTRAVA_BUILD_DIR "/app-filemenu.png")));
  w.miFile->hide();
}

TEST_F(MainWindow, FailedSaveKeepsTheProjectAndCancelsTheClose)
{
  TFormMain w;
  ASSERT_TRUE(w.OpenFile(Demo, false));
  w.SetModified(true);
  // The file's folder vanished: the save fails, the user is told, nothing closes.
  w.FileName = Dir.filePath("gone/demo.ksv");
  Script->Asked.clear();
  Script->Answers = {ZmMb::IdYes, ZmMb::IdOk};
  EXPECT_FALSE(w.ConfirmClose());
  EXPECT_TRUE(w.HasProject());
  EXPECT_TRUE(w.Modified);
  ASSERT_EQ(Script->Asked.size(), 2);
  EXPECT_TRUE(Script->Asked[1].contains("gone"));
  // The same through the window's close.
  w.show();
  Script->Answers = {ZmMb::IdYes, ZmMb::IdOk};
  EXPECT_FALSE(w.close());
  EXPECT_TRUE(w.HasProject());
}

TEST_F(MainWindow, SaveAsForcesTheExtensionBeforeAskingToReplace)
{
  TFormMain w;
  ASSERT_TRUE(w.OpenFile(Demo, false));
  QFile::copy(Demo, Dir.filePath("plant.ksv"));
  const QByteArray kept = [&] {
    QFile f(Dir.filePath("plant.ksv"));
    f.open(QIODevice::ReadOnly);
    return f.readAll();
  }();
  w.Root().Title = "changed";
  w.SetModified(true);
  // "plant.bak" is saved as "plant.ksv", which exists: the question comes first.
  Script->Asked.clear();
  Script->FileNames = {Dir.filePath("plant.bak")};
  Script->Answers = {ZmMb::IdNo};
  EXPECT_FALSE(w.SaveAs());
  ASSERT_EQ(Script->Asked.size(), 1);
  EXPECT_EQ(Script->Asked[0], Text(2003) + '|' + Text(2048));
  QFile f(Dir.filePath("plant.ksv"));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), kept);
  EXPECT_TRUE(w.Modified);
}

TEST_F(MainWindow, OpeningABadFileLeavesTheProjectUntouched)
{
  TFormMain w;
  ASSERT_TRUE(w.OpenFile(Demo, false));
  w.SetModified(true);
  const std::vector<uint8_t> before = SaveProjectToBytes(w.Root());
  QFile bad(Dir.filePath("bad.ksv"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("ksv0 and then nothing sensible");
  bad.close();
  for (const QString& path : {bad.fileName(), Dir.filePath("missing.ksv")}) {
    Script->Asked.clear();
    Script->FileNames = {path};
    Script->Answers = {ZmMb::IdOk};
    w.OpenWithDialog();
    ASSERT_EQ(Script->Asked.size(), 1) << "only the message, no save prompt";
    EXPECT_TRUE(Script->Asked[0].contains(path));
    EXPECT_TRUE(w.HasProject());
    EXPECT_TRUE(w.Modified);
    EXPECT_EQ(w.FileName, QFileInfo(Demo).absoluteFilePath());
    EXPECT_EQ(SaveProjectToBytes(w.Root()), before);
    EXPECT_GT(w.tvProject->topLevelItemCount(), 0);
  }
  // A good file: then the save question, then the switch.
  Script->Asked.clear();
  Script->FileNames = {Other};
  Script->Answers = {ZmMb::IdNo};
  w.OpenWithDialog();
  EXPECT_EQ(Script->Asked.size(), 1);
  EXPECT_EQ(w.FileName, QFileInfo(Other).absoluteFilePath());
  EXPECT_FALSE(w.Modified);
}

TEST_F(MainWindow, NewProjectFromAModel)
{
  TFormMain w;
  int asked = 0;
  const TZmModel* model = TZmModels::Global().FindByName("KP320");
  ASSERT_NE(model, nullptr);
  w.ChooseModel = [&] {
    ++asked;
    return model;
  };
  // Modified: Yes, then a cancelled Save As: nothing closes, no model question.
  ASSERT_TRUE(w.OpenFile(Demo, false));
  w.SetModified(true);
  w.FileName.clear();
  Script->Answers = {ZmMb::IdYes};
  EXPECT_FALSE(w.NewProject());
  EXPECT_EQ(asked, 0);
  EXPECT_TRUE(w.HasProject());
  // No: the language's template for the model.
  Script->Answers = {ZmMb::IdNo};
  ASSERT_TRUE(w.NewProject());
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(w.Root().ModelID, model->ID);
  EXPECT_TRUE(w.FileName.isEmpty());
  EXPECT_FALSE(w.Modified);
  EXPECT_TRUE(w.actSaveFile->isEnabled());
  // Without a template: an empty project of the model.
  ASSERT_TRUE(w.ConfirmClose());
  w.ChooseModel = [] { return static_cast<const TZmModel*>(nullptr); };
  EXPECT_FALSE(w.NewProject());
  EXPECT_FALSE(w.HasProject());
  SetAppLanguage(nullptr);  // no language folder, no template
  ASSERT_TRUE(w.NewProjectFor(model));
  EXPECT_EQ(w.Root().SceneGroups->Count(), 1u);
  EXPECT_EQ(w.Root().SceneGroups->Item(0)->Count(), 0u);
}

TEST_F(MainWindow, EditCommandsFollowTheFocus)
{
  TFormMain w;
  w.show();
  ASSERT_TRUE(w.OpenFile(Demo, false));
  EXPECT_FALSE(w.actCopy->isEnabled());
  EXPECT_FALSE(w.actTopLayer->isEnabled());
  EXPECT_FALSE(w.actUndo->isEnabled());
  // A project whose model is not installed can be saved and closed, not compiled.
  w.Root().ModelKnown = 0;
  w.UpdateActions();
  EXPECT_TRUE(w.actSaveFile->isEnabled());
  EXPECT_TRUE(w.actCloseFile->isEnabled());
  EXPECT_FALSE(w.actCompiler->isEnabled());
}

TEST_F(MainWindow, TheWheelLeavesUnfocusedChoiceAndNumberBoxesAlone)
{
  TFormMain w;
  w.show();
  auto* combo = new QComboBox(w.pnlClient);
  combo->addItems({"a", "b", "c"});
  auto* spin = new QSpinBox(w.pnlClient);
  spin->setValue(5);
  combo->show();
  spin->show();
  auto wheel = [](QWidget* target) {
    QWheelEvent e(QPointF(5, 5), target->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &e);
  };
  wheel(combo);
  wheel(spin);
  EXPECT_EQ(combo->currentIndex(), 0);
  EXPECT_EQ(spin->value(), 5);
  // Focused, the wheel works as usual.
  spin->setFocus();
  if (spin->hasFocus()) {
    wheel(spin);
    EXPECT_NE(spin->value(), 5);
  }
}

TEST_F(MainWindow, CommandKeysMenusAndToolBar)
{
  TFormMain w;
  struct Key {
    QAction* action;
    QKeySequence key;
  } keys[] = {
      {w.actNewFile, QKeySequence("Ctrl+N")}, {w.actOpenFile, QKeySequence("Ctrl+O")},
      {w.actSaveFile, QKeySequence("Ctrl+S")}, {w.actSaveAsFile, {}},
      {w.actCloseFile, {}},                   {w.actExit, {}},
      {w.actCut, QKeySequence("Ctrl+X")},     {w.actCopy, QKeySequence("Ctrl+C")},
      {w.actPaste, QKeySequence("Ctrl+V")},   {w.actDelete, QKeySequence("Del")},
      {w.actSelectAll, QKeySequence("Ctrl+A")}, {w.actTopLayer, {}},
      {w.actBottonLayer, {}},                 {w.actPrevLayer, {}},
      {w.actNextLayer, {}},                   {w.actCompiler, QKeySequence("F8")},
      {w.actSimulation, QKeySequence("F9")},  {w.actDownload, QKeySequence("Ctrl+Alt+S")},
      {w.actAbout, {}},
  };
  for (const Key& k : keys) EXPECT_EQ(k.action->shortcut(), k.key) << k.action->objectName().toStdString();
  // The layer commands carry their order kind.
  EXPECT_EQ(w.actTopLayer->data().toInt(), 0);
  EXPECT_EQ(w.actBottonLayer->data().toInt(), 1);
  EXPECT_EQ(w.actPrevLayer->data().toInt(), 2);
  EXPECT_EQ(w.actNextLayer->data().toInt(), 3);
  auto names = [](const QList<QAction*>& actions) {
    QStringList out;
    for (QAction* a : actions) out << (a->isSeparator() ? QString("-") : a->menu() ? a->menu()->objectName() : a->objectName());
    return out;
  };
  EXPECT_EQ(names(w.menuBar()->actions()), QStringList({"miFile", "miEdit", "miHMI", "miTools", "miHelp"}));
  EXPECT_EQ(names(w.miFile->actions()),
            QStringList({"actNewFile", "actOpenFile", "actSaveFile", "actSaveAsFile", "actCloseFile", "-", "actExit"}));
  EXPECT_EQ(names(w.miHMI->actions()), QStringList({"actCompiler", "actSimulation", "actDownload"}));
  EXPECT_EQ(names(w.miTools->actions()), QStringList({"miLanguage"}));
  EXPECT_EQ(names(w.miHelp->actions()), QStringList({"actAbout"}));
  // The edit menu and the tool bar hold the documented commands in order
  // (undo, redo and grouping come along).
  QStringList edit = names(w.miEdit->actions());
  edit.removeAll("actUndo"), edit.removeAll("actRedo"), edit.removeAll("actGroup"), edit.removeAll("actUngroup");
  while (edit.front() == "-") edit.removeFirst();
  while (edit.back() == "-") edit.removeLast();
  EXPECT_EQ(edit, QStringList({"actCut", "actCopy", "actPaste", "actDelete", "actSelectAll", "-", "actTopLayer",
                               "actBottonLayer", "actPrevLayer", "actNextLayer"}));
  QStringList bar;
  for (QAction* a : w.tbMain->actions()) {
    if (auto* button = qobject_cast<QToolButton*>(w.tbMain->widgetForAction(a)); button && button->defaultAction())
      bar << (button->defaultAction()->isSeparator() ? QString("-") : button->defaultAction()->objectName());
    else bar << (a->isSeparator() ? QString("-") : a->objectName());
  }
  bar.removeAll("actUndo"), bar.removeAll("actRedo");
  bar.removeDuplicates();  // the separators around undo and redo fold into one
  EXPECT_EQ(bar.mid(0, 3), QStringList({"actNewFile", "actOpenFile", "actSaveFile"}));
  const QStringList rest = bar.mid(3).filter(QRegularExpression("^act"));
  EXPECT_EQ(rest, QStringList({"actCut", "actCopy", "actPaste", "actDelete", "actTopLayer", "actBottonLayer",
                               "actPrevLayer", "actNextLayer", "actCompiler", "actSimulation", "actDownload"}));
  // No two tool-bar buttons look alike.
  QList<QImage> pictures;
  for (QAction* a : w.tbMain->actions())
    if (!a->isSeparator() && !a->icon().isNull()) pictures << a->icon().pixmap(20, 20).toImage();
  for (qsizetype i = 0; i < pictures.size(); ++i)
    for (qsizetype j = i + 1; j < pictures.size(); ++j) EXPECT_NE(pictures[i], pictures[j]) << i << " and " << j;
}

TEST(DynamicPanel, SlidesByOffsetAndStopsAtTheTarget)
{
  QWidget host;
  auto* panel = new TZmDynamicPanel(&host);
  auto* page = new QWidget(panel);
  QWidget handle(&host);
  panel->Offset = 8;
  panel->HiddenWhileSliding = page;
  panel->hide();
  host.show();
  struct Case {
    int target;
    std::vector<int> steps;
  } cases[] = {
      {30, {8, 16, 24, 30}},  // the last step stops at the target
      {30, {}},               // already there: one step ends it
      {10, {22, 14, 10}},
      {0, {2, 0}},
  };
  for (const Case& c : cases) {
    panel->Dynamic(0, c.target, &handle);
    ASSERT_NE(panel->Timer, nullptr);
    EXPECT_FALSE(page->isVisibleTo(panel)) << "the page waits for the slide";
    std::vector<int> seen;
    for (int i = 0; i < 10 && panel->Sliding(); ++i) {
      panel->Step();
      if (panel->Size(0) != (seen.empty() ? -1 : seen.back())) seen.push_back(panel->Size(0));
    }
    if (c.steps.empty()) EXPECT_EQ(seen, std::vector<int>({c.target})) << c.target;
    else EXPECT_EQ(seen, c.steps) << c.target;
    EXPECT_FALSE(panel->Sliding());
    EXPECT_EQ(panel->Timer, nullptr) << "freed when nothing runs";
    EXPECT_TRUE(page->isVisibleTo(panel));
    EXPECT_EQ(panel->isHidden(), c.target == 0);
    if (c.target) {
      EXPECT_EQ(panel->width(), c.target);
    }
    EXPECT_EQ(handle.isEnabled(), c.target > 0);
  }
  panel->Dynamic(2, 50);  // no such direction
  EXPECT_FALSE(panel->Sliding());
  panel->Dynamic(1, 20);
  delete panel;  // a running timer goes with the panel
}

TEST_F(MainWindow, SidePanelsSlideWhereTheMachineHasCoresToSpare)
{
  TFormMain w;
  w.AnimatePanels = true;
  w.resize(1100, 800);
  w.show();
  auto settle = [](TZmDynamicPanel* p) {
    for (int i = 0; i < 100 && p->Sliding(); ++i) p->Step();
    return !p->Sliding();
  };
  ASSERT_TRUE(w.OpenFile(Demo, false));
  EXPECT_TRUE(w.dplLeft->Sliding());
  ASSERT_TRUE(settle(w.dplLeft));
  QApplication::processEvents();
  EXPECT_EQ(w.dplLeft->width(), 280);
  EXPECT_TRUE(w.splClient->handle(1)->isEnabled());
  // A scene opens the palette; the palette shows once the panel stands.
  ASSERT_TRUE(w.SelectSceneNode(w.Root().SceneGroups->FindScene(1)));
  ASSERT_NE(w.RightPage, nullptr);
  EXPECT_TRUE(w.dplRight->Sliding());
  EXPECT_FALSE(w.RightPage->isVisibleTo(w.dplRight));
  ASSERT_TRUE(settle(w.dplRight));
  QApplication::processEvents();
  EXPECT_TRUE(w.RightPage->isVisible());
  EXPECT_EQ(w.dplRight->width(), w.RightPage->minimumWidth() + 8);
  EXPECT_TRUE(w.grab().save(QStringLiteral(KESTRAVA_BUILD_DIR "/app-slid-open.png")));
  // Another scene: the palette stays where it stands, shown.
  ASSERT_TRUE(w.SelectSceneNode(w.Root().SceneGroups->FindScene(2)));
  EXPECT_FALSE(w.dplRight->Sliding());
  EXPECT_TRUE(w.RightPage->isVisible());
  // Another node closes it; closing the project closes the tree.
  ASSERT_TRUE(w.SelectNode(&w.Root()));
  ASSERT_TRUE(settle(w.dplRight));
  EXPECT_TRUE(w.dplRight->isHidden());
  ASSERT_TRUE(w.ConfirmClose());
  ASSERT_TRUE(settle(w.dplLeft));
  EXPECT_TRUE(w.dplLeft->isHidden());
}

TEST_F(MainWindow, TheAboutBoxIsMadeOnceAndLeavesTheWindowUsable)
{
  TFormMain w;
  w.show();
  EXPECT_EQ(w.FormAbout, nullptr);
  EXPECT_TRUE(w.actAbout->isEnabled()) << "always";
  w.actAbout->trigger();
  ASSERT_NE(w.FormAbout, nullptr);
  TFormAbout* about = w.FormAbout;
  EXPECT_TRUE(about->isVisible());
  EXPECT_FALSE(about->isModal());
  EXPECT_EQ(about->windowTitle(), Text(1106));
  EXPECT_EQ(about->lblMain->text(), "Kestrava v1.23");
  EXPECT_FALSE(about->lblText->text().isEmpty());
  EXPECT_EQ(about->size(), QSize(514, 171));
  QApplication::processEvents();
  EXPECT_TRUE(about->grab().save(QStringLiteral(KESTRAVA_BUILD_DIR "/app-about.png")));
  about->btnOK->click();
  EXPECT_FALSE(about->isVisible());
  w.actAbout->trigger();
  EXPECT_EQ(w.FormAbout, about) << "kept for the next time";
  EXPECT_TRUE(about->isVisible());
}

TEST_F(MainWindow, TheModelChooserShowsEveryDescriptionWhole)
{
  TFormMain w;  // loads the model folder
  TFormModel d(&w);
  d.Fill();
  d.show();
  QApplication::processEvents();
  ASSERT_GT(d.lvModel->count(), 0);
  EXPECT_NE(d.Chosen(), nullptr);
  const QFontMetrics fm(d.lvModel->font());
  for (int i = 0; i < d.lvModel->count(); ++i)
    EXPECT_LE(fm.horizontalAdvance(d.lvModel->item(i)->text()), d.lvModel->viewport()->width()) << i;
}

TEST_F(MainWindow, FailuresWhileOpeningOrInAnEventKeepTheProject)
{
  TFormMain w;
  ASSERT_TRUE(w.OpenFile(Demo, false));
  const TZmSnapshot before = TZmUndoStack::ProjectSnapshot(w.Root());
  // Memory running out while a file is read: a failed open with its reason.
  w.OpenHook = [](const QString&) { throw std::bad_alloc(); };
  EXPECT_FALSE(w.CheckFile(Other));
  EXPECT_TRUE(w.LastError.contains("memory")) << w.LastError.toStdString();
  EXPECT_FALSE(w.OpenFile(Other, false));
  EXPECT_TRUE(w.HasProject());
  EXPECT_EQ(w.FileName, QFileInfo(Demo).absoluteFilePath());
  EXPECT_EQ(TZmUndoStack::ProjectSnapshot(w.Root()), before);
  w.OpenHook = [](const QString&) { throw std::runtime_error("disk on fire"); };
  Script->FileNames = {Other};
  w.OpenWithDialog();  // says why and leaves the project open
  ASSERT_FALSE(Script->Asked.isEmpty());
  EXPECT_TRUE(Script->Asked.back().contains("disk on fire")) << Script->Asked.back().toStdString();
  EXPECT_EQ(TZmUndoStack::ProjectSnapshot(w.Root()), before);
  w.OpenHook = nullptr;

  // Any exception out of an event handler is shown and the program goes on.
  struct Thrower : QObject {
    bool event(QEvent* e) override
    {
      if (e->type() == QEvent::User) throw std::bad_alloc();
      return QObject::event(e);
    }
  } thrower;
  const qsizetype asked = Script->Asked.size();
  QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
  QCoreApplication::sendPostedEvents(&thrower);
  auto* app = static_cast<TZmApplication*>(QCoreApplication::instance());
  EXPECT_TRUE(app->LastFailure.contains("memory")) << app->LastFailure.toStdString();
  EXPECT_EQ(Script->Asked.size(), asked + 1);
  EXPECT_EQ(TZmUndoStack::ProjectSnapshot(w.Root()), before);
}
