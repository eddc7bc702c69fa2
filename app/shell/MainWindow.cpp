#include "app/shell/MainWindow.h"

#include <QAction>
#include <algorithm>
#include <QApplication>
#include <QAbstractSpinBox>
#include <QClipboard>
#include <QComboBox>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStandardPaths>
#include <QStyle>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/dialogs/About.h"
#include "app/dialogs/FormModel.h"
#include "app/shell/DynamicPanel.h"
#include "app/shell/LanguageUi.h"
#include "app/shell/ProjectTree.h"
#include "app/shell/Prompts.h"
#include "app/editor/SceneEditor.h"
#include "app/editor/ToolPalette.h"
#include "base/File.h"
#include "base/Persistent.h"
#include "devices/Model.h"
#include "devices/Protocols.h"
#include "model/Project.h"
#include "model/Scenes.h"

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
  kPasteFailedText = 2060,
  kNewCaption = 1100,
  kAboutCaption = 1106,
};

// Tool-bar pictures the platform style has none of, drawn here so that no
// two commands look alike: scissors, two pages, a page over a board, the
// layer commands as a stack whose marked sheet goes all the way or one
// step, and an arrow into a panel for the download.
QIcon ToolImage(int index)
{
  QPixmap pm(20, 20);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing, true);
  const QColor ink(40, 60, 110), sheet(200, 220, 250), mark(230, 140, 30);
  p.setPen(QPen(ink, 1.2));
  auto page = [&](QRectF r) {
    p.setBrush(Qt::white);
    p.drawRect(r);
    for (qreal y = r.top() + 3; y < r.bottom() - 1; y += 2.5) p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
  };
  auto stack = [&](int marked) {
    // Three sheets, 0 on top; `marked` is the one being moved.
    for (int i = 2; i >= 0; --i) {
      p.setBrush(i == marked ? mark : sheet);
      p.drawRect(QRectF(2.5, 3.5 + i * 4.5, 10, 4));
    }
  };
  auto arrow = [&](bool up, bool all) {
    p.setPen(QPen(ink, 1.6));
    const qreal x = 16.5, top = all ? 2.5 : 6.5, bottom = all ? 17.5 : 13.5;
    p.drawLine(QPointF(x, top), QPointF(x, bottom));
    const qreal tip = up ? top : bottom, back = up ? tip + 3.5 : tip - 3.5;
    p.drawLine(QPointF(x, tip), QPointF(x - 3, back));
    p.drawLine(QPointF(x, tip), QPointF(x + 3, back));
    if (all) p.drawLine(QPointF(x - 3.5, up ? top - 1 : bottom + 1), QPointF(x + 3.5, up ? top - 1 : bottom + 1));
  };
  switch (index) {
    case 5:  // cut
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(QRectF(3, 12.5, 5, 5));
      p.drawEllipse(QRectF(12, 12.5, 5, 5));
      p.drawLine(QPointF(7, 13), QPointF(14, 2));
      p.drawLine(QPointF(13, 13), QPointF(6, 2));
      break;
    case 6:  // copy
      page(QRectF(2.5, 2.5, 10, 12));
      page(QRectF(7.5, 6.5, 10, 12));
      break;
    case 7:  // paste
      p.setBrush(QColor(200, 160, 100));
      p.drawRect(QRectF(2.5, 3.5, 12, 15));
      p.setBrush(QColor(150, 150, 150));
      p.drawRect(QRectF(5.5, 1.5, 6, 3));
      page(QRectF(8.5, 8.5, 9, 10));
      break;
    case 9:  // to the top
      stack(0), arrow(true, true);
      break;
    case 10:  // to the bottom
      stack(2), arrow(false, true);
      break;
    case 11:  // one step up
      stack(1), arrow(true, false);
      break;
    case 12:  // one step down
      stack(1), arrow(false, false);
      break;
    case 15:  // download: an arrow into a panel
      p.setBrush(QColor(70, 75, 85));
      p.drawRoundedRect(QRectF(2.5, 9.5, 15, 9), 1.5, 1.5);
      p.setBrush(sheet);
      p.drawRect(QRectF(4.5, 11.5, 7, 5));
      p.setPen(QPen(QColor(40, 140, 60), 2));
      p.drawLine(QPointF(14.5, 1.5), QPointF(14.5, 8));
      p.drawLine(QPointF(14.5, 9), QPointF(11.5, 5.5));
      p.drawLine(QPointF(14.5, 9), QPointF(17.5, 5.5));
      break;
    default:
      break;
  }
  p.end();
  return QIcon(pm);
}

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
  UndoStack.SetRoot(Project.get());

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
  actCut->setIcon(ToolImage(5));
  actCopy = MakeAction("actCopy", QStringLiteral("Copy"), QKeySequence(Qt::CTRL | Qt::Key_C));
  actCopy->setIcon(ToolImage(6));
  actPaste = MakeAction("actPaste", QStringLiteral("Paste"), QKeySequence(Qt::CTRL | Qt::Key_V));
  actPaste->setIcon(ToolImage(7));
  actDelete = MakeAction("actDelete", QStringLiteral("Delete"), QKeySequence(Qt::Key_Delete));
  actDelete->setIcon(icon(QStyle::SP_TrashIcon));
  actSelectAll = MakeAction("actSelectAll", QStringLiteral("Select All"), QKeySequence(Qt::CTRL | Qt::Key_A));
  actTopLayer = MakeAction("actTopLayer", QStringLiteral("actTopLayer"));
  actTopLayer->setIcon(ToolImage(9));
  actBottonLayer = MakeAction("actBottonLayer", QStringLiteral("actBottonLayer"));
  actBottonLayer->setIcon(ToolImage(10));
  actPrevLayer = MakeAction("actPrevLayer", QStringLiteral("actPrevLayer"));
  actPrevLayer->setIcon(ToolImage(11));
  actNextLayer = MakeAction("actNextLayer", QStringLiteral("actNextLayer"));
  actNextLayer->setIcon(ToolImage(12));
  actCompiler = MakeAction("actCompiler", QStringLiteral("actCompiler"), QKeySequence(Qt::Key_F8));
  actCompiler->setIcon(icon(QStyle::SP_BrowserReload));
  actSimulation = MakeAction("actSimulation", QStringLiteral("actSimulation"), QKeySequence(Qt::Key_F9));
  actSimulation->setIcon(icon(QStyle::SP_MediaPlay));
  actDownload = MakeAction("actDownload", QStringLiteral("actDownload"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S));
  actDownload->setIcon(ToolImage(15));
  actAbout = MakeAction("actAbout", QStringLiteral("actAbout"));
  actUndo = MakeAction("actUndo", QStringLiteral("Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z));
  actUndo->setIcon(icon(QStyle::SP_ArrowBack));
  actRedo = MakeAction("actRedo", QStringLiteral("Redo"), QKeySequence(Qt::CTRL | Qt::Key_Y));
  actRedo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
  actRedo->setIcon(icon(QStyle::SP_ArrowForward));
  actGroup = MakeAction("actGroup", QStringLiteral("Group"), QKeySequence(Qt::CTRL | Qt::Key_G));
  actUngroup = MakeAction("actUngroup", QStringLiteral("Ungroup"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_G));
  for (QAction* a : findChildren<QAction*>(QString(), Qt::FindDirectChildrenOnly)) a->setParent(alMain);
  actTopLayer->setData(0);
  actBottonLayer->setData(1);
  actPrevLayer->setData(2);
  actNextLayer->setData(3);

  connect(actNewFile, &QAction::triggered, this, &TFormMain::NewProject);
  connect(actOpenFile, &QAction::triggered, this, &TFormMain::OpenWithDialog);
  connect(actUndo, &QAction::triggered, this, &TFormMain::Undo);
  connect(actRedo, &QAction::triggered, this, &TFormMain::Redo);
  connect(actCut, &QAction::triggered, this, [this] { RouteEdit(0); });
  connect(actCopy, &QAction::triggered, this, [this] { RouteEdit(1); });
  connect(actPaste, &QAction::triggered, this, [this] { RouteEdit(2); });
  connect(actDelete, &QAction::triggered, this, [this] { RouteEdit(3); });
  connect(actSelectAll, &QAction::triggered, this, [this] { RouteEdit(4); });
  connect(actGroup, &QAction::triggered, this, [this] { RouteEdit(5); });
  connect(actUngroup, &QAction::triggered, this, [this] { RouteEdit(6); });
  for (QAction* a : {actTopLayer, actBottonLayer, actPrevLayer, actNextLayer})
    connect(a, &QAction::triggered, this, [this, a] {
      if (ClientPage && ClientPage->isVisible()) ClientPage->Order(a->data().toInt());
    });
  connect(actSaveFile, &QAction::triggered, this, &TFormMain::Save);
  connect(actSaveAsFile, &QAction::triggered, this, &TFormMain::SaveAs);
  connect(actCloseFile, &QAction::triggered, this, &TFormMain::ConfirmClose);
  connect(actExit, &QAction::triggered, this, &QWidget::close);
  connect(actAbout, &QAction::triggered, this, &TFormMain::ShowAbout);

  // Menus.
  menuBar()->setObjectName(QStringLiteral("mmMain"));
  miFile = menuBar()->addMenu(QStringLiteral("File"));
  miFile->setObjectName(QStringLiteral("miFile"));
  miFile->addActions({actNewFile, actOpenFile, actSaveFile, actSaveAsFile, actCloseFile});
  QAction* fileEnd = miFile->addSeparator();
  miFile->addAction(actExit);
  miEdit = menuBar()->addMenu(QStringLiteral("Edit"));
  miEdit->setObjectName(QStringLiteral("miEdit"));
  miEdit->addActions({actUndo, actRedo});
  miEdit->addSeparator();
  miEdit->addActions({actCut, actCopy, actPaste, actDelete, actSelectAll});
  miEdit->addSeparator();
  miEdit->addActions({actTopLayer, actBottonLayer, actPrevLayer, actNextLayer});
  miEdit->addSeparator();
  miEdit->addActions({actGroup, actUngroup});
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
  // There is one tool bar and nothing to switch off: no pop-up listing it by name.
  tbMain->toggleViewAction()->setVisible(false);
  tbMain->setContextMenuPolicy(Qt::PreventContextMenu);
  tbMain->setIconSize(QSize(20, 20));
  tbMain->addAction(actNewFile);
  auto* btnOpen = new QToolButton(tbMain);
  btnOpen->setDefaultAction(actOpenFile);
  btnOpen->setMenu(pmOpenFile);
  btnOpen->setPopupMode(QToolButton::MenuButtonPopup);
  tbMain->addWidget(btnOpen);
  tbMain->addAction(actSaveFile);
  tbMain->addSeparator();
  tbMain->addActions({actUndo, actRedo});
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
  auto* row = splClient = new QSplitter(Qt::Horizontal, central);
  dplLeft = new TZmDynamicPanel(row);
  dplLeft->setObjectName(QStringLiteral("dplLeft"));
  auto* leftLayout = new QVBoxLayout(dplLeft);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  gbxProject = new QGroupBox(QStringLiteral("gbxProject"), dplLeft);
  gbxProject->setObjectName(QStringLiteral("gbxProject"));
  auto* treeLayout = new QVBoxLayout(gbxProject);
  tvProject = new TZmProjectTreeView(gbxProject);
  tvProject->setObjectName(QStringLiteral("tvProject"));
  tvProject->OnAboutToMove = [this] { DropBefore = ProjectSnapshot(); };
  tvProject->OnMoved = [this](TZmPersistent*) {
    ProjectEdited(std::move(DropBefore));
    ShowNodePages();
  };
  connect(tvProject, &QTreeWidget::currentItemChanged, this, [this] { ShowNodePages(); });
  treeLayout->addWidget(tvProject);
  leftLayout->addWidget(gbxProject);
  pnlClient = new QWidget(row);
  pnlClient->setObjectName(QStringLiteral("pnlClient"));
  (new QVBoxLayout(pnlClient))->setContentsMargins(0, 0, 0, 0);
  dplRight = new TZmDynamicPanel(row);
  dplRight->setObjectName(QStringLiteral("dplRight"));
  for (TZmDynamicPanel* p : {dplLeft, dplRight}) {
    p->Interval = 10;
    p->Offset = 8;
  }
  (new QVBoxLayout(dplRight))->setContentsMargins(0, 0, 0, 0);
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

  // The status bar: command hints on the left, the scene editor's read-out
  // (zoom, coordinates, sizes, keys) on the right.
  statusBar()->setObjectName(QStringLiteral("sbMain"));
  lblReadout = new QLabel(statusBar());
  lblReadout->setObjectName(QStringLiteral("lblReadout"));
  lblReadout->setMinimumWidth(160);
  statusBar()->addPermanentWidget(lblReadout);

  // Settings.
  TZmRegistry registry(TZmRegistry::Read);
  Settings.Exchange(registry);
  EditOptions.DrawLine400 = Settings.DrawLine400;
  Recent.Menu = pmOpenFile;
  Recent.Anchor = actOpenFile;
  Recent.FileMenu = miFile;
  Recent.FileEnd = fileEnd;
  Recent.OnOpen = [this](const QString& path) { OpenRecent(path); };
  Recent.LoadFromText(Settings.RecentProject);
  // A width the panel could not show (a damaged value) gives the default.
  if (Settings.TreeWidth < 80 || Settings.TreeWidth > 2000) Settings.TreeWidth = 280;
  if (!Settings.WindowGeometry.isEmpty())
    restoreGeometry(QByteArray::fromBase64(Settings.WindowGeometry.toLatin1()));
  connect(splClient, &QSplitter::splitterMoved, this, [this] {
    if (!dplLeft->isHidden() && !dplLeft->Sliding() && dplLeft->width() > 0) Settings.TreeWidth = dplLeft->width();
  });
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

  connect(qApp, &QApplication::focusChanged, this, [this] { UpdateEditActions(); });
  qApp->installEventFilter(this);
  connect(QApplication::clipboard(), &QClipboard::dataChanged, this, [this] { UpdateEditActions(); });

  // The window translates itself: wherever it is created, no caption is
  // left showing the name of its component.
  TranslateComponent(this);
  ApplyLanguageFont(this);
  UpdateActionTips();
  UpdateCaption();
  UpdateActions();
}

void TFormMain::UpdateActionTips()
{
  // What a command does, shown in the status bar while the pointer is on it.
  for (QAction* a : findChildren<QAction*>()) {
    if (a->isSeparator() || a->menu()) continue;
    QString tip = a->text().remove(QLatin1Char('&'));
    if (!a->shortcut().isEmpty()) tip += QStringLiteral("  (%1)").arg(a->shortcut().toString(QKeySequence::NativeText));
    a->setStatusTip(tip);
  }
}

TFormMain::~TFormMain()
{
  // Focus and clipboard signals must not reach a window that is half destroyed.
  QObject::disconnect(qApp, nullptr, this, nullptr);
  QObject::disconnect(QApplication::clipboard(), nullptr, this, nullptr);
  qApp->removeEventFilter(this);
  WriteSettings();
  // The pages let go of the project before it goes.
  if (ClientPage) ClientPage->Detach();
}

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
  Settings.WindowGeometry = QString::fromLatin1(saveGeometry().toBase64());
  TZmRegistry registry(TZmRegistry::Write);
  Settings.Exchange(registry);
  registry.Sync();
}

bool TFormMain::event(QEvent* e)
{
  if (e->type() == QEvent::WindowActivate && !Activated) FirstActivation();
  // A desktop without a window manager (or one that keeps a new window in
  // the background) may never activate the window: a second after it is
  // first shown it counts as activated, so the project still opens.
  if (e->type() == QEvent::Show && !Activated && !ShownOnce) {
    ShownOnce = true;
    QTimer::singleShot(1000, this, [this] { FirstActivation(); });
  }
  return QMainWindow::event(e);
}

void TFormMain::closeEvent(QCloseEvent* e)
{
  if (ConfirmClose()) e->accept();
  else e->ignore();
}

bool TFormMain::eventFilter(QObject* watched, QEvent* e)
{
  // Scrolling over a page must not turn an unfocused choice or number box:
  // it would change the project without the user noticing.
  if (e->type() == QEvent::Wheel)
    if (auto* w = qobject_cast<QWidget*>(watched))
      if ((qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractSpinBox*>(w)) && !w->hasFocus()) {
        e->ignore();
        return true;
      }
  return QMainWindow::eventFilter(watched, e);
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
  if (!OpenFile(path, false)) ShowOpenError(path);
}

void TFormMain::SetModified(bool modified)
{
  if (modified) {
    ChangedOutsideUndo = true;
  } else {
    ChangedOutsideUndo = false;
    UndoStack.MarkClean();
  }
  RefreshModified();
}

void TFormMain::RefreshModified()
{
  const bool modified = ChangedOutsideUndo || !UndoStack.IsClean();
  if (modified) SetNeedsCompile(true);
  if (Modified != modified) {
    Modified = modified;
    UpdateCaption();
  }
  UpdateEditActions();
}

void TFormMain::SceneEdited(TZmScene* scene, TZmSnapshot before, TZmSnapshot after)
{
  if (UndoStack.Push(scene, std::move(before), std::move(after))) RefreshModified();
}

TZmSnapshot TFormMain::ProjectSnapshot() { return TZmUndoStack::ProjectSnapshot(*Project); }

void TFormMain::ProjectEdited(TZmSnapshot before)
{
  if (before.empty()) return;
  if (UndoStack.PushProject(std::move(before), ProjectSnapshot())) RefreshModified();
}

void TFormMain::EditProject(const std::function<void()>& change)
{
  TZmSnapshot before = ProjectSnapshot();
  ++ProjectEditDepth;
  change();
  --ProjectEditDepth;
  ProjectEdited(std::move(before));
}

void TFormMain::Undo() { ApplyHistory(true); }
void TFormMain::Redo() { ApplyHistory(false); }

void TFormMain::ApplyHistory(bool undo)
{
  if (!(undo ? UndoStack.UndoIsProject() : UndoStack.RedoIsProject())) {
    const TZmUndoStack::Applied a = undo ? UndoStack.Undo() : UndoStack.Redo();
    if (a.Scene && ClientPage && ClientPage->EditedScene() == a.Scene) ClientPage->SceneReplaced();
    RefreshModified();
    return;
  }
  // Every object of the project is read anew: no view may hold one meanwhile.
  const TZmProjectTreeView::State state = tvProject->SaveState();
  Closing = true;
  if (ClientPage) ClientPage->Detach();
  PageObject = nullptr;
  if (undo) UndoStack.Undo();
  else UndoStack.Redo();
  tvProject->Build(*Project);
  tvProject->RestoreState(state);
  Closing = false;
  ShowNodePages();
  RefreshModified();
}

void TFormMain::ShowObjectPage(TZmPersistent* object)
{
  // The property pages bind here; until a page exists for the object's
  // class the bottom host stays closed.
  PageObject = object;
}

void TFormMain::AboutToDestroy(TZmPersistent* object)
{
  if (!object) return;
  // Which scenes go with the object.
  std::vector<TZmScene*> scenes;
  switch (NodeKindOf(object)) {
    case TZmNodeKind::Root:
      if (Project->SceneGroups)
        for (TZmSceneGroup* g : Project->SceneGroups->Groups) scenes.insert(scenes.end(), g->Scenes.begin(), g->Scenes.end());
      break;
    case TZmNodeKind::SceneGroup: {
      auto* g = static_cast<TZmSceneGroup*>(object);
      scenes = g->Scenes;
      break;
    }
    case TZmNodeKind::Scene:
      scenes.push_back(static_cast<TZmScene*>(object));
      break;
    default:
      break;
  }
  auto doomedScene = [&](const TZmScene* s) { return s && std::find(scenes.begin(), scenes.end(), s) != scenes.end(); };
  // Whether `o` is the object or lies beneath it (a group's members count).
  QTreeWidgetItem* objectNode = tvProject->NodeOf(object);
  auto doomed = [&](TZmPersistent* o) {
    if (!o) return false;
    if (o == object) return true;
    if (auto* c = dynamic_cast<TZmComponent*>(o)) {
      if (doomedScene(c->OwnerScene())) return true;
      for (TZmComponentGroup* g = c->Owner; g; g = g->Owner)
        if (g == object) return true;
      return false;
    }
    // Project objects lie beneath where their nodes do (a port's stations).
    for (QTreeWidgetItem* i = tvProject->NodeOf(o); i && objectNode; i = i->parent())
      if (i == objectNode) return true;
    return doomedScene(dynamic_cast<TZmScene*>(o));
  };
  // The property page first: it may show anything beneath the object.
  if (doomed(PageObject) || NodeKindOf(object) == TZmNodeKind::Root) PageObject = nullptr;
  for (TZmScene* s : scenes) {
    if (ClientPage && ClientPage->EditedScene() == s) {
      ClientPage->Detach();
      ClientPage->hide();
      SlidePanel(dplRight, 0);
    }
    // A scene destroyed by a recorded project edit comes back with its undo.
    if (ProjectEditDepth == 0) UndoStack.Forget(s);
  }
  if (NodeKindOf(object) == TZmNodeKind::Root) UndoStack.Clear();
  // A screen object of the edited scene: the editor lets go of it and of
  // what it holds, and keeps the rest of its selection.
  if (auto* c = dynamic_cast<TZmComponent*>(object); c && ClientPage && ClientPage->EditedScene())
    ClientPage->ObjectDestroyed(c);
  // Its tree node goes, and the nodes beneath it with it. Removing the
  // selected node moves the selection to a neighbour, whose pages show.
  if (NodeKindOf(object) == TZmNodeKind::Root) {
    tvProject->ClearNodes();
  } else if (QTreeWidgetItem* node = objectNode) {
    bool current = false;
    for (QTreeWidgetItem* i = tvProject->currentItem(); i; i = i->parent()) current = current || i == node;
    const bool wasClosing = Closing;
    Closing = true;  // no pages for a node that is on its way out
    delete node;
    Closing = wasClosing;
    if (current) ShowNodePages();
  }
  UpdateEditActions();
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
  // A project whose model is not installed can still be saved and closed;
  // only what needs the model waits for it.
  const bool known = ProjectOpen && Project->ModelKnown != 0;
  for (QAction* a : {actSaveFile, actSaveAsFile, actCloseFile}) a->setEnabled(ProjectOpen);
  for (QAction* a : {actCompiler, actSimulation, actDownload}) a->setEnabled(known);
  UpdateEditActions();
}

void TFormMain::UpdateEditActions()
{
  // The one place that decides what the edit commands can do right now.
  QWidget* f = QApplication::focusWidget();
  const bool canvas = ClientPage && ClientPage->EditedScene() && ClientPage->isVisible() && f == ClientPage->ccEdit;
  bool cut = false, copy = false, paste = false, del = false, all = false, layer = false, group = false, ungroup = false;
  if (canvas) {
    TFrameEditScene* e = ClientPage;
    copy = e->CanCopy();
    cut = copy && !e->SceneLocked();
    paste = e->CanPaste();
    del = true;
    all = e->EditedScene()->ComponentGroup->Count() > 0;
    layer = e->CanOrder();
    group = !e->SceneLocked() && e->Selection.Count() > 1;
    for (TZmComponent* c : e->Selection.Items) ungroup = ungroup || std::string_view(c->ClassName()) == "TZmComponentGroup";
    ungroup = ungroup && !e->SceneLocked();
  } else if (auto* line = qobject_cast<QLineEdit*>(f)) {
    const QMimeData* m = QApplication::clipboard()->mimeData();
    copy = line->hasSelectedText();
    cut = copy && !line->isReadOnly();
    paste = !line->isReadOnly() && m && m->hasText();
    del = !line->isReadOnly() && (line->hasSelectedText() || line->cursorPosition() < line->text().size());
    all = !line->text().isEmpty();
  } else if (auto* text = qobject_cast<QPlainTextEdit*>(f)) {
    const QMimeData* m = QApplication::clipboard()->mimeData();
    copy = text->textCursor().hasSelection();
    cut = copy && !text->isReadOnly();
    paste = !text->isReadOnly() && m && m->hasText();
    del = !text->isReadOnly() && (copy || !text->textCursor().atEnd());
    all = !text->document()->isEmpty();
  }
  actCut->setEnabled(cut);
  actCopy->setEnabled(copy);
  actPaste->setEnabled(paste);
  actDelete->setEnabled(del);
  actSelectAll->setEnabled(all);
  for (QAction* a : {actTopLayer, actBottonLayer, actPrevLayer, actNextLayer}) a->setEnabled(layer);
  actGroup->setEnabled(group);
  actUngroup->setEnabled(ungroup);
  actUndo->setEnabled(UndoStack.CanUndo());
  actRedo->setEnabled(UndoStack.CanRedo());
}

void TFormMain::RouteEdit(int command)
{
  QWidget* f = QApplication::focusWidget();
  if (ClientPage && ClientPage->EditedScene() && f == ClientPage->ccEdit) {
    switch (command) {
      case 0: ClientPage->Cut(); break;
      case 1: ClientPage->Copy(); break;
      case 2: ClientPage->Paste(); break;
      case 3: ClientPage->Delete(); break;
      case 4: ClientPage->SelectAll(); break;
      case 5: ClientPage->Group(); break;
      case 6: ClientPage->Ungroup(); break;
      default: break;
    }
  } else if (auto* line = qobject_cast<QLineEdit*>(f)) {
    switch (command) {
      case 0: line->cut(); break;
      case 1: line->copy(); break;
      case 2: line->paste(); break;
      case 3: line->del(); break;
      case 4: line->selectAll(); break;
      default: break;
    }
  } else if (auto* text = qobject_cast<QPlainTextEdit*>(f)) {
    switch (command) {
      case 0: text->cut(); break;
      case 1: text->copy(); break;
      case 2: text->paste(); break;
      case 3: text->textCursor().deleteChar(); break;
      case 4: text->selectAll(); break;
      default: break;
    }
  }
  UpdateEditActions();
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
  AboutToDestroy(Project.get());
  if (ClientPage) ClientPage->hide();
  SlidePanel(dplRight, 0);
  ClearProject(*Project);
  ClearProjectTree();
  FileName.clear();
  ProjectOpen = false;
  Modified = false;
  ChangedOutsideUndo = false;
  UndoStack.Clear();
  NeedsCompile = true;
  Closing = false;
  UpdateCaption();
  UpdateActions();
}

bool TFormMain::LoadInto(TZmHMI& root, const QString& path, std::vector<uint8_t>& bytes)
{
  std::string error;
  LastError.clear();
  // A file too large for memory, or any other failure while reading, is a
  // failed open with its reason; the project in the window stays as it was.
  try {
    if (OpenHook) OpenHook(path);
    if (!ReadWholeFile(Utf8(path), bytes, error) || !LoadProjectFromBytes(root, bytes, error)) {
      LastError = Q(error);
      return false;
    }
  } catch (const std::bad_alloc&) {
    ClearProject(root);
    LastError = QStringLiteral("there is not enough memory to read it");
    return false;
  } catch (const std::exception& e) {
    ClearProject(root);
    LastError = QString::fromUtf8(e.what());
    return false;
  }
  return true;
}

bool TFormMain::CheckFile(const QString& path)
{
  std::unique_ptr<TZmHMI> scratch(NewObject<TZmHMI>());
  std::vector<uint8_t> bytes;
  return LoadInto(*scratch, path, bytes);
}

bool TFormMain::OpenFile(const QString& path, bool asTemplate)
{
  // The file is read into a scratch root: only a file that loads replaces
  // the open project, which stays as it was otherwise.
  std::vector<uint8_t> bytes;
  {
    std::unique_ptr<TZmHMI> scratch(NewObject<TZmHMI>());
    if (!LoadInto(*scratch, path, bytes)) return false;
  }
  if (ProjectOpen) CloseProject();
  std::string error;
  bool loaded = false;
  try {
    loaded = LoadProjectFromBytes(*Project, bytes, error);
  } catch (const std::exception& e) {
    error = e.what();
  }
  if (!loaded) {
    LastError = Q(error);
    ClearProject(*Project);
    return false;
  }
  ProjectLoaded(asTemplate ? QString() : QFileInfo(path).absoluteFilePath());
  return true;
}

void TFormMain::ProjectLoaded(const QString& fileName)
{
  ProjectOpen = true;
  FileName = fileName;
  UndoStack.Clear();
  ChangedOutsideUndo = false;
  Modified = false;
  NeedsCompile = true;
  BuildProjectTree();
  tvProject->setFocus();
  Recent.Add(FileName);
  UpdateCaption();
  UpdateActions();
  ShowNodePages();
}

const TZmModel* TFormMain::ModelDialog()
{
  TFormModel d(this);
  d.setWindowTitle(Text(kNewCaption));
  ApplyLanguageFont(&d);
  d.Fill();
  TZmPromptScope busy(Prompts());
  return d.exec() == QDialog::Accepted ? d.Chosen() : nullptr;
}

bool TFormMain::NewProject()
{
  if (!ConfirmClose()) return false;
  const TZmModel* model = ChooseModel ? ChooseModel() : ModelDialog();
  return model && NewProjectFor(model);
}

bool TFormMain::NewProjectFor(const TZmModel* model)
{
  if (!model) return false;
  // The language's template project for the model, when there is one.
  if (AppLanguage()) {
    const QString path = Q(AppLanguage()->LanguageFolder()) + Q(model->Name) + QStringLiteral(".ksv");
    if (QFileInfo(path).isFile() && OpenFile(path, true)) return true;
  }
  if (ProjectOpen) CloseProject();
  ClearProject(*Project);
  if (!NewFromModel(*Project, model)) {
    ClearProject(*Project);
    return false;
  }
  ProjectLoaded(QString());
  return true;
}

void TFormMain::ShowOpenError(const QString& path)
{
  MessageBoxText(FormatText(kOpenFailedText, {Utf8(path), Utf8(LastError)}), kCaption, ZmMb::Ok | ZmMb::IconError);
}

bool TFormMain::SaveFile(const QString& path)
{
  std::string error, saved;
  bool ok = false;
  try {
    ok = SaveProject(*Project, Utf8(path), error, &saved);
  } catch (const std::bad_alloc&) {
    error = "there is not enough memory to write it";
  } catch (const std::exception& e) {
    error = e.what();
  }
  if (!ok) {
    // The old file is untouched and the project stays modified.
    MessageBoxText(FormatText(kSaveFailedText, {Utf8(path), error}), kCaption, ZmMb::Ok | ZmMb::IconError);
    return false;
  }
  FileName = Q(saved);
  ChangedOutsideUndo = false;
  UndoStack.MarkClean();
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
  if (path.isEmpty()) return;
  // A file that does not load never costs the open project anything.
  if (!CheckFile(path)) {
    ShowOpenError(path);
    return;
  }
  if (!ConfirmClose()) return;
  if (!OpenFile(path, false)) ShowOpenError(path);
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
  if (!CheckFile(path)) {
    ShowOpenError(path);
    return;
  }
  if (!ConfirmClose()) return;
  if (!OpenFile(path, false)) ShowOpenError(path);
}

void TFormMain::ShowAbout()
{
  if (!FormAbout) {
    FormAbout = new TFormAbout(this);
    ApplyLanguageFont(FormAbout);
  }
  FormAbout->setWindowTitle(Text(kAboutCaption));
  FormAbout->move(geometry().center() - FormAbout->rect().center());
  FormAbout->show();
  FormAbout->raise();
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
  UpdateActionTips();
  if (RightPage) RightPage->FitWidthToCaptions();
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
  tvProject->ClearNodes();
  SlidePanel(dplLeft, 0);
}

void TFormMain::BuildProjectTree()
{
  tvProject->Build(*Project);
  SlidePanel(dplLeft, Settings.TreeWidth);
}

void TFormMain::SlidePanel(TZmDynamicPanel* panel, int target)
{
  // The splitter handle on the panel's inner side goes with it.
  const int at = splClient->indexOf(panel);
  QWidget* handle = at < 0 ? nullptr : splClient->handle(panel == dplLeft ? at + 1 : at);
  if (AnimatePanels) {
    // Already there: nothing slides, and the page is not hidden for a step.
    if (!panel->Sliding() && (panel->isHidden() ? target == 0 : panel->width() == target)) return;
    panel->Dynamic(0, target, handle);
    return;
  }
  if (target <= 0) {
    panel->hide();
    return;
  }
  panel->show();
  // The splitter gives the room: the panel gets its width from the widest part.
  QList<int> sizes = splClient->sizes();
  if (at >= 0 && at < sizes.size()) {
    const int widest = int(std::max_element(sizes.begin(), sizes.end()) - sizes.begin());
    if (widest != at) {
      sizes[widest] += sizes[at] - target;
      sizes[at] = target;
      splClient->setSizes(sizes);
    }
  }
}

bool TFormMain::SelectNode(TZmPersistent* object)
{
  QTreeWidgetItem* node = object ? tvProject->NodeOf(object) : nullptr;
  if (!node) return false;
  tvProject->setCurrentItem(node);
  tvProject->scrollToItem(node);
  return true;
}

bool TFormMain::SelectSceneNode(TZmScene* scene) { return SelectNode(scene); }

TFrameEditScene* TFormMain::SceneEditorFor(const TZmScene* scene) const
{
  return scene && ClientPage && !ClientPage->isHidden() && ClientPage->EditedScene() == scene ? ClientPage : nullptr;
}

void TFormMain::ShowNodePages()
{
  if (Closing) return;
  TZmPersistent* object = TZmProjectTreeView::ObjectOf(tvProject->currentItem());
  ShowObjectPage(object);
  // Scenes, scene groups and alarms may be dragged; nothing else.
  const TZmNodeKind kind = NodeKindOf(object);
  tvProject->setDragEnabled(kind == TZmNodeKind::Scene || kind == TZmNodeKind::SceneGroup || kind == TZmNodeKind::Alarm);
  if (kind == TZmNodeKind::Scene) {
    if (!ClientPage) {
      ClientPage = new TFrameEditScene(pnlClient);
      pnlClient->layout()->addWidget(ClientPage);
      TranslateComponent(ClientPage);
      ClientPage->OnEdited = [this](TZmScene* s, TZmSnapshot before, TZmSnapshot after) {
        SceneEdited(s, std::move(before), std::move(after));
      };
      ClientPage->OnSelectionChanged = [this] { UpdateEditActions(); };
      ClientPage->OnToolDone = [this] {
        if (RightPage) RightPage->Cursor();
      };
      ClientPage->OnShowObject = [this](TZmPersistent* o) { ShowObjectPage(o); };
      ClientPage->OnReadout = [this](const QString& text) { lblReadout->setText(text); };
      ClientPage->OnHover = [this](const QString& hint) {
        if (hint.isEmpty()) statusBar()->clearMessage();
        else statusBar()->showMessage(hint);
      };
      ClientPage->OnAboutToDestroy = [this](TZmPersistent* o) { AboutToDestroy(o); };
      ClientPage->OnPasteError = [](const QString& why) {
        MessageBoxText(FormatText(kPasteFailedText, {Utf8(why)}), kCaption, ZmMb::Ok | ZmMb::IconError);
      };
    }
    if (!RightPage) {
      RightPage = new TFrameToolPalette(dplRight);
      dplRight->layout()->addWidget(RightPage);
      dplRight->HiddenWhileSliding = RightPage;
      TranslateComponent(RightPage);
      RightPage->FitWidthToCaptions();
      RightPage->OnToolChanged = [this](int32_t code) {
        if (ClientPage) ClientPage->SetTool(code);
      };
    }
    if (ClientPage->Attach(object, &EditOptions)) {
      ClientPage->show();
      pnlClient->show();
      RightPage->Cursor();
      // Its design width and the host's border on both sides.
      SlidePanel(dplRight, RightPage->minimumWidth() + 8);
      UpdateEditActions();
      return;
    }
  }
  if (ClientPage) {
    ClientPage->Detach();
    ClientPage->hide();
  }
  SlidePanel(dplRight, 0);
  UpdateEditActions();
}
