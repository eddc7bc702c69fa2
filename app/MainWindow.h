#pragma once
// The editor's main window: owns the one project root for the whole run,
// the recent-file list and the settings it reads at creation and writes back
// at destruction. The project tree, pages, compile, simulation and download
// are filled in by their own parts; this shell carries the commands, the file
// flows with their prompts, the language menu and the start-up auto-open.
#include <QMainWindow>
#include <QStringList>
#include <memory>

#include "app/RecentFiles.h"
#include "app/SceneEditOpt.h"
#include "app/Settings.h"

class QAction;
class QGroupBox;
class QMenu;
class QTimer;
class QToolBar;
class QTreeWidget;
class TZmHMI;

class TFormMain : public QMainWindow {
  Q_OBJECT
public:
  // args: the command-line arguments after the options (the project to open).
  explicit TFormMain(const QStringList& args = {}, QWidget* parent = nullptr);
  ~TFormMain() override;

  TZmHMI& Root() { return *Project; }
  bool HasProject() const { return ProjectOpen; }
  void SetModified(bool modified);
  void SetNeedsCompile(bool needsCompile);
  void UpdateCaption();
  void UpdateActions();

  // File flows. False when the user cancelled or the operation failed.
  bool ConfirmClose();
  void CloseProject();
  bool OpenFile(const QString& path, bool asTemplate);
  bool SaveFile(const QString& path);
  bool Save();
  bool SaveAs();
  void OpenWithDialog();
  void OpenRecent(const QString& path);

  // Start-up: run once on the first activation; arms the auto-open timer.
  void FirstActivation();
  void AutoOpen();
  void SwitchLanguage(int id);
  // Writes the settings (once; the destructor calls it too).
  void WriteSettings();

  QString FileName;
  QString LastError;  // why the last OpenFile failed
  bool Modified = false;
  bool NeedsCompile = true;
  bool Closing = false;
  QString DataFolder;
  // Side panels slide only where the machine has cores to spare.
  bool AnimatePanels = false;
  TZmRecentFile Recent;
  TZmSceneEditOpt EditOptions;
  TZmAppSettings Settings;
  QStringList Arguments;
  QTimer* TimerAutoOpen = nullptr;

  QAction *actNewFile, *actOpenFile, *actSaveFile, *actSaveAsFile, *actCloseFile, *actExit;
  QAction *actCut, *actCopy, *actPaste, *actDelete, *actSelectAll;
  QAction *actTopLayer, *actBottonLayer, *actPrevLayer, *actNextLayer;
  QAction *actCompiler, *actSimulation, *actDownload, *actAbout;
  QMenu *miFile, *miEdit, *miHMI, *miTools, *miLanguage, *miHelp;
  QMenu* pmOpenFile;
  QToolBar* tbMain;
  QWidget *dplLeft, *pnlClient, *dplBottom, *dplRight;
  QGroupBox* gbxProject;
  QTreeWidget* tvProject;

signals:
  // After a language switch: later parts reload what depends on the language.
  void languageChanged();

protected:
  bool event(QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

private:
  QAction* MakeAction(const char* name, const QString& placeholder, const QKeySequence& shortcut = {});
  // Panel models and protocols of the data root, with the language's
  // localised keys.
  void LoadDataFolders();
  void BuildProjectTree();
  void ClearProjectTree();
  QString DialogFolder() const;

  std::unique_ptr<TZmHMI> Project;
  bool ProjectOpen = false;
  bool Activated = false;
  bool SettingsWritten = false;
};
