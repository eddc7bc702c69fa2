#include "app/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStandardPaths>
#include <QStyle>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/LanguageUi.h"
#include "app/Prompts.h"
#include "base/Persistent.h"
#include "devices/Model.h"
#include "devices/Protocols.h"
#include "model/Project.h"

namespace {
std::string Utf8(const QString& s) { return s.toUtf8().toStdString(); }
QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// Numbered texts of the main window's own messages.
enum : int {
  kCaption = 1000,
  kSaveAsCaption = 2003,
  kSaveChangesCaption = 2004,
  kSaveChangesText = 2042,
  kOverwriteText = 2048,
  kRecentGoneText = 2050,
  kFileNotFoundCaption = 2051,
  kOpenFailedText = 2053,
  kSaveFailedText = 2054,
  kFileFilter = 2056,
  kConfigurationNode = 221,
  kCompileNode = 222,
  kAlarmsNode = 223,
};

QString FileFilter()
{
  QString f = Text(kFileFilter);
  return f.isEmpty() ? QStringLiteral("*.ksv") : f;
}
}  // namespace

TFormMain::TFormMain(const QStringList& args, QWidget* parent) : QMainWindow(parent), Arguments(args)
{
  setObjectName(QStringLiteral("FormMain"));
  MarkFormOwner(this);
  setMinimumSize(840, 600);
  resize(944, 582);
  QFont f = font();
  f.setFamily(QStringLiteral("Tahoma"));  // until the language names a font
  setFont(f);

  // The documents folder is only a starting point for dialogs; it is not created.
  QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  DataFolder = docs.isEmpty() ? QCoreApplication::applicationDirPath() + '/' : docs + QStringLiteral("/Kestrava/");

  AnimatePanels = QThread::idealThreadCount() > 2;
  Project.reset(NewObject<TZmHMI>());

  // Commands. Captions are placeholders; the language's form texts replace them.
  auto* alMain = new QObject(this);
  alMain->setObjectName(QStringLiteral("alMain"));
  auto icon = [this](QStyle::StandardPixmap p) { return style()->standardIcon(p); };
  actNewFile = MakeAction("actNewFile", QStringLiteral("New ..."), QKeySequence(Qt::CTRL | Qt::Key_N));
  actNewFile->setIcon(icon(QStyle::SP_FileIcon));
  actOpenFile = MakeAction("actOpenFile", QStringLiteral("Open ..."), QKeySequence(Qt::CTRL | Qt::Key_O));
  actOpenFile->setIcon(icon(QStyle::SP_DialogOpenButton));
  actSaveFile = MakeAction("actSaveFile", QStringLiteral("Save "), QKeySequence(Qt::CTRL | Qt::Key_S));
  actSaveFile->setIcon(icon(QStyle::SP_DialogSaveButton));
  actSaveAsFile = MakeAction("actSaveAsFile", QStringLiteral("Save As ..."));
  actCloseFile = MakeAction("actCloseFile", QStringLiteral("Close"));
  actExit = MakeAction("actExit", QStringLiteral("Exit"));
  actCut = MakeAction("actCut", QStringLiteral("Cut"), QKeySequence(Qt::CTRL | Qt::Key_X));
  actCopy = MakeAction("actCopy", QStringLiteral("Copy"), QKeySequence(Qt::CTRL | Qt::Key_C));
  actPaste = MakeAction("actPaste", QStringLiteral("Paste"), QKeySequence(Qt::CTRL | Qt::Key_V));
  actDelete = MakeAction("actDelete", QStringLiteral("Delete"), QKeySequence(Qt::Key_Delete));
  actDelete->setIcon(icon(QStyle::SP_TrashIcon));
  actSelectAll = MakeAction("actSelectAll", QStringLiteral("Select All"), QKeySequence(Qt::CTRL | Qt::Key_A));
  actTopLayer = MakeAction("actTopLayer", QStringLiteral("actTopLayer"));
  actTopLayer->setIcon(icon(QStyle::SP_ArrowUp));
  actBottonLayer = MakeAction("actBottonLayer", QStringLiteral("actBottonLayer"));
  actBottonLayer->setIcon(icon(QStyle::SP_ArrowDown));
  actPrevLayer = MakeAction("actPrevLayer", QStringLiteral("actPrevLayer"));
  actPrevLayer->setIcon(icon(QStyle::SP_ArrowUp));
  actNextLayer = MakeAction("actNextLayer", QStringLiteral("actNextLayer"));
  actNextLayer->setIcon(icon(QStyle::SP_ArrowDown));
  actCompiler = MakeAction("actCompiler", QStringLiteral("actCompiler"), QKeySequence(Qt::Key_F8));
  actCompiler->setIcon(icon(QStyle::SP_BrowserReload));
  actSimulation = MakeAction("actSimulation", QStringLiteral("actSimulation"), QKeySequence(Qt::Key_F9));
  actSimulation->setIcon(icon(QStyle::SP_MediaPlay));
  actDownload = MakeAction("actDownload", QStringLiteral("actDownload"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S));
  actDownload->setIcon(icon(QStyle::SP_ArrowRight));
  actAbout = MakeAction("actAbout", QStringLiteral("actAbout"));
  for (QAction* a : findChildren<QAction*>(QString(), Qt::FindDirectChildrenOnly)) a->setParent(alMain);
  actTopLayer->setData(0);
  actBottonLayer->setData(1);
  actPrevLayer->setData(2);
  actNextLayer->setData(3);

  connect(actOpenFile, &QAction::triggered, this, &TFormMain::OpenWithDialog);
  connect(actSaveFile, &QAction::triggered, this, &TFormMain::Save);
  connect(actSaveAsFile, &QAction::triggered, this, &TFormMain::SaveAs);
  connect(actCloseFile, &QAction::triggered, this, &TFormMain::ConfirmClose);
  connect(actExit, &QAction::triggered, this, &QWidget::close);

  // Menus.
  menuBar()->setObjectName(QStringLiteral("mmMain"));
  miFile = menuBar()->addMenu(QStringLiteral("File"));
  miFile->setObjectName(QStringLiteral("miFile"));
  miFile->addActions({actNewFile, actOpenFile, actSaveFile, actSaveAsFile, actCloseFile});
  miFile->addSeparator();
  miFile->addAction(actExit);
  miEdit = menuBar()->addMenu(QStringLiteral("Edit"));
  miEdit->setObjectName(QStringLiteral("miEdit"));
  miEdit->addActions({actCut, actCopy, actPaste, actDelete, actSelectAll});
  miEdit->addSeparator();
  miEdit->addActions({actTopLayer, actBottonLayer, actPrevLayer, actNextLayer});
  miHMI = menuBar()->addMenu(QStringLiteral("HMI"));
  miHMI->setObjectName(QStringLiteral("miHMI"));
  miHMI->addActions({actCompiler, actSimulation, actDownload});
  miTools = menuBar()->addMenu(QStringLiteral("Tools"));
  miTools->setObjectName(QStringLiteral("miTools"));
  miLanguage = miTools->addMenu(QStringLiteral("Language"));
  miLanguage->setObjectName(QStringLiteral("miLanguage"));
  miHelp = menuBar()->addMenu(QStringLiteral("Help"));
  miHelp->setObjectName(QStringLiteral("miHelp"));
  miHelp->addAction(actAbout);

  // Tool bar, with the recent files under the Open button.
  pmOpenFile = new QMenu(this);
  pmOpenFile->setObjectName(QStringLiteral("pmOpenFile"));
  pmOpenFile->addAction(actOpenFile);
  pmOpenFile->addSeparator();
  tbMain = addToolBar(QStringLiteral("tbMain"));
  tbMain->setObjectName(QStringLiteral("tbMain"));
  tbMain->setMovable(false);
  tbMain->setIconSize(QSize(20, 20));
  tbMain->addAction(actNewFile);
  auto* btnOpen = new QToolButton(tbMain);
  btnOpen->setDefaultAction(actOpenFile);
  btnOpen->setMenu(pmOpenFile);
  btnOpen->setPopupMode(QToolButton::MenuButtonPopup);
  tbMain->addWidget(btnOpen);
  tbMain->addAction(actSaveFile);
  tbMain->addSeparator();
  tbMain->addActions({actCut, actCopy, actPaste, actDelete});
  tbMain->addSeparator();
  tbMain->addActions({actTopLayer, actBottonLayer, actPrevLayer, actNextLayer});
  tbMain->addSeparator();
  tbMain->addActions({actCompiler, actSimulation, actDownload});

  // Hosts: project tree on the left, client page, tool palette on the right,
  // property page at the bottom. They open when there is something to show.
  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(4, 4, 4, 4);
  auto* row = new QSplitter(Qt::Horizontal, central);
  dplLeft = new QWidget(row);
  dplLeft->setObjectName(QStringLiteral("dplLeft"));
  auto* leftLayout = new QVBoxLayout(dplLeft);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  gbxProject = new QGroupBox(QStringLiteral("gbxProject"), dplLeft);
  gbxProject->setObjectName(QStringLiteral("gbxProject"));
  auto* treeLayout = new QVBoxLayout(gbxProject);
  tvProject = new QTreeWidget(gbxProject);
  tvProject->setObjectName(QStringLiteral("tvProject"));
  tvProject->setHeaderHidden(true);
  tvProject->setIndentation(19);
  tvProject->setSelectionMode(QAbstractItemView::ExtendedSelection);
  treeLayout->addWidget(tvProject);
  leftLayout->addWidget(gbxProject);
  pnlClient = new QWidget(row);
  pnlClient->setObjectName(QStringLiteral("pnlClient"));
  dplRight = new QWidget(row);
  dplRight->setObjectName(QStringLiteral("dplRight"));
  row->addWidget(dplLeft);
  row->addWidget(pnlClient);
  row->addWidget(dplRight);
  row->setStretchFactor(1, 1);
  dplBottom = new QWidget(central);
  dplBottom->setObjectName(QStringLiteral("dplBottom"));
  column->addWidget(row, 1);
  column->addWidget(dplBottom);
  dplLeft->hide();
  dplRight->hide();
  dplBottom->hide();
  setCentralWidget(central);

  // Settings.
  TZmRegistry registry(TZmRegistry::Read);
  Settings.Exchange(registry);
  EditOptions.DrawLine400 = Settings.DrawLine400;
  Recent.Menu = pmOpenFile;
  Recent.Anchor = actOpenFile;
  Recent.OnOpen = [this](const QString& path) { OpenRecent(path); };
  Recent.LoadFromText(Settings.RecentProject);
  Recent.RebuildMenu(TZmRecentFile::kMax);

  BuildLanguageMenu(miLanguage, [this](int id) { SwitchLanguage(id); });

  // The process-wide databases that depend on the language.
  TZmControllerDB::Global().BuildInternalController();
  LoadDataFolders();

  TimerAutoOpen = new QTimer(this);
  TimerAutoOpen->setObjectName(QStringLiteral("TimerAutoOpen"));
  TimerAutoOpen->setInterval(500);
  TimerAutoOpen->setSingleShot(true);
  connect(TimerAutoOpen, &QTimer::timeout, this, &TFormMain::AutoOpen);

  UpdateCaption();
  UpdateActions();
}

TFormMain::~TFormMain() { WriteSettings(); }

QAction* TFormMain::MakeAction(const char* name, const QString& placeholder, const QKeySequence& shortcut)
{
  auto* a = new QAction(placeholder, this);
  a->setObjectName(QLatin1String(name));
  if (!shortcut.isEmpty()) a->setShortcut(shortcut);
  return a;
}

void TFormMain::WriteSettings()
{
  if (SettingsWritten) return;
  SettingsWritten = true;
  Settings.RecentProject = Recent.Text();
  Settings.DrawLine400 = EditOptions.DrawLine400;
  TZmRegistry registry(TZmRegistry::Write);
  Settings.Exchange(registry);
  registry.Sync();
}

bool TFormMain::event(QEvent* e)
{
  if (e->type() == QEvent::WindowActivate && !Activated) FirstActivation();
  return QMainWindow::event(e);
}

void TFormMain::closeEvent(QCloseEvent* e)
{
  if (ConfirmClose()) e->accept();
  else e->ignore();
}

void TFormMain::FirstActivation()
{
  if (Activated) return;
  Activated = true;
  if ((Arguments.isEmpty() && !Recent.Files.isEmpty()) || Arguments.size() == 1) TimerAutoOpen->start();
}

void TFormMain::AutoOpen()
{
  // Never open into a dialog the user is answering: try again later.
  if (QApplication::activeModalWidget() || Prompts().Busy()) {
    TimerAutoOpen->start();
    return;
  }
  // A project the user opened meanwhile stays; the root holds one project.
  if (ProjectOpen || Modified || Arguments.size() > 1) return;
  QString path = Arguments.size() == 1 ? Arguments[0] : (Recent.Files.isEmpty() ? QString() : Recent.Files[0]);
  if (path.isEmpty() || !QFileInfo(path).isFile()) return;
  if (!OpenFile(path, false)) MessageBoxText(FormatText(kOpenFailedText, {Utf8(path), Utf8(LastError)}), kCaption, ZmMb::Ok | ZmMb::IconError);
}

void TFormMain::SetModified(bool modified)
{
  if (modified) SetNeedsCompile(true);
  if (Modified != modified) {
    Modified = modified;
    UpdateCaption();
  }
}

void TFormMain::SetNeedsCompile(bool needsCompile) { NeedsCompile = needsCompile; }

void TFormMain::UpdateCaption()
{
  QString caption = Text(kCaption);
  if (!FileName.isEmpty()) caption += (Modified ? QStringLiteral(" : [%1 *]") : QStringLiteral(" : [%1]")).arg(FileName);
  setWindowTitle(caption);
}

void TFormMain::UpdateActions()
{
  const bool known = ProjectOpen && Project->ModelKnown != 0;
  for (QAction* a : {actSaveFile, actSaveAsFile, actCloseFile, actCompiler, actSimulation, actDownload}) a->setEnabled(known);
  // Routed to the scene editor or the focused text field by later parts.
  for (QAction* a : {actCut, actCopy, actPaste, actDelete, actSelectAll, actTopLayer, actBottonLayer, actPrevLayer, actNextLayer})
    a->setEnabled(false);
}

bool TFormMain::ConfirmClose()
{
  if (Modified) {
    int answer = MessageBoxByNumber(kSaveChangesText, kSaveChangesCaption, ZmMb::YesNoCancel | ZmMb::IconQuestion);
    if (answer == ZmMb::IdCancel) return false;
    if (answer == ZmMb::IdYes && !Save()) return false;
  }
  CloseProject();
  return true;
}

void TFormMain::CloseProject()
{
  Closing = true;
  ClearProject(*Project);
  ClearProjectTree();
  FileName.clear();
  ProjectOpen = false;
  Modified = false;
  NeedsCompile = true;
  Closing = false;
  UpdateCaption();
  UpdateActions();
}

bool TFormMain::OpenFile(const QString& path, bool asTemplate)
{
  std::string error;
  LastError.clear();
  if (!LoadProject(*Project, Utf8(path), error)) {
    LastError = Q(error);
    ProjectOpen = false;
    ClearProjectTree();
    UpdateActions();
    return false;
  }
  ProjectOpen = true;
  FileName = asTemplate ? QString() : QFileInfo(path).absoluteFilePath();
  Modified = false;
  NeedsCompile = true;
  BuildProjectTree();
  tvProject->setFocus();
  Recent.Add(FileName);
  UpdateCaption();
  UpdateActions();
  return true;
}

bool TFormMain::SaveFile(const QString& path)
{
  std::string error, saved;
  if (!SaveProject(*Project, Utf8(path), error, &saved)) {
    // The old file is untouched and the project stays modified.
    MessageBoxText(FormatText(kSaveFailedText, {Utf8(path), error}), kCaption, ZmMb::Ok | ZmMb::IconError);
    return false;
  }
  FileName = Q(saved);
  Modified = false;
  NeedsCompile = false;
  Recent.Add(FileName);
  UpdateCaption();
  return true;
}

bool TFormMain::Save() { return FileName.isEmpty() ? SaveAs() : SaveFile(FileName); }

QString TFormMain::DialogFolder() const
{
  return Recent.Files.isEmpty() ? DataFolder : QFileInfo(Recent.Files[0]).absolutePath();
}

bool TFormMain::SaveAs()
{
  QString proposed = DialogFolder();
  if (!FileName.isEmpty()) proposed = QDir(proposed).filePath(QFileInfo(FileName).completeBaseName() + QStringLiteral(".ksv"));
  QString path = Prompts().SaveFileName(this, proposed, FileFilter());
  if (path.isEmpty()) return false;
  QString target = Q(WithProjectExtension(Utf8(path)));
  if (QFileInfo::exists(target) &&
      MessageBoxByNumber(kOverwriteText, kSaveAsCaption, ZmMb::YesNo | ZmMb::IconQuestion) != ZmMb::IdYes)
    return false;
  return SaveFile(target);
}

void TFormMain::OpenWithDialog()
{
  QString path = Prompts().OpenFileName(this, DialogFolder(), FileFilter());
  if (path.isEmpty() || !ConfirmClose()) return;
  if (!OpenFile(path, false))
    MessageBoxText(FormatText(kOpenFailedText, {Utf8(path), Utf8(LastError)}), kCaption, ZmMb::Ok | ZmMb::IconError);
}

void TFormMain::OpenRecent(const QString& path)
{
  // Checked before the current project is closed, so a stale entry costs
  // nothing but the entry.
  if (!QFileInfo(path).isFile()) {
    Recent.Remove(path);
    MessageBoxText(FormatText(kRecentGoneText, {Utf8(path)}), kFileNotFoundCaption, ZmMb::Ok | ZmMb::IconWarning);
    return;
  }
  if (!ConfirmClose()) return;
  if (!OpenFile(path, false))
    MessageBoxText(FormatText(kOpenFailedText, {Utf8(path), Utf8(LastError)}), kCaption, ZmMb::Ok | ZmMb::IconError);
}

void TFormMain::SwitchLanguage(int id)
{
  QApplication::setOverrideCursor(Qt::WaitCursor);
  WriteLanguageId(id);
  if (!AppLanguage() || AppLanguage()->SelectLanguage(id) != 0) {
    QApplication::restoreOverrideCursor();
    QApplication::exit(1);
    return;
  }
  TranslateApplication();
  ApplyLanguageFont(this);
  LoadDataFolders();
  UpdateLanguageMenuChecks(miLanguage);
  UpdateCaption();
  emit languageChanged();
  QApplication::restoreOverrideCursor();
}

void TFormMain::LoadDataFolders()
{
  if (!AppLanguage()) return;
  const std::string folder = AppLanguage()->ProgramFolder();
  const std::string extension = AppLanguage()->LanguageExtension();
  TZmModels::Global().Clear();
  TZmModels::Global().LoadModelFolder(folder + "model", extension);
  TZmControllerDB::Global().ClearProtocols();
  TZmControllerDB::Global().LoadProtocolFolder(folder + "protocol", extension);
}

void TFormMain::ClearProjectTree()
{
  tvProject->clear();
  dplLeft->hide();
}

void TFormMain::BuildProjectTree()
{
  // The project node and the fixed nodes; scenes, ports and alarms are added
  // by the tree's own part.
  tvProject->clear();
  auto* root = new QTreeWidgetItem(tvProject, {Q(Project->GetDisplayName())});
  new QTreeWidgetItem(root, {Text(kAlarmsNode)});
  new QTreeWidgetItem(root, {Text(kConfigurationNode)});
  new QTreeWidgetItem(tvProject, {Text(kCompileNode)});
  root->setExpanded(true);
  tvProject->setCurrentItem(root);
  dplLeft->show();
  dplLeft->resize(280, dplLeft->height());
}
