#pragma once
// The editor's main window: owns the one project root for the whole run,
// the recent-file list and the settings it reads at creation and writes back
// at destruction. The project tree, pages, compile, simulation and download
// are filled in by their own parts; this shell carries the commands, the file
// flows with their prompts, the language menu and the start-up auto-open.
#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "app/shell/RecentFiles.h"
#include "app/editor/SceneEditOpt.h"
#include "app/shell/Settings.h"
#include "app/shell/UndoStack.h"

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QSplitter;
class QTimer;
class QToolBar;
class QTreeWidgetItem;
class TFormAbout;
class TFrameEditScene;
class TZmDynamicPanel;
class TFrameToolPalette;
class TZmHMI;
class TZmModel;
class TZmPersistent;
class TZmProjectTreeView;
class TZmScene;

class TFormMain : public QMainWindow {
  Q_OBJECT
public:
  // args: the command-line arguments after the options (the project to open).
  explicit TFormMain(const QStringList& args = {}, QWidget* parent = nullptr);
  ~TFormMain() override;

  TZmHMI& Root() { return *Project; }
  bool HasProject() const { return ProjectOpen; }
  // true: a change the undo history does not hold (it stays until saved);
  // false: the project equals its file again.
  void SetModified(bool modified);
  // Modified follows the undo position and the changes outside it.
  void RefreshModified();
  void SetNeedsCompile(bool needsCompile);
  void UpdateCaption();
  void UpdateActions();

  // File flows. False when the user cancelled or the operation failed.
  bool ConfirmClose();
  void CloseProject();
  // Reads the file into a scratch root first: a file that does not load
  // leaves the current project as it was (LastError says why).
  bool OpenFile(const QString& path, bool asTemplate);
  // Whether a file loads, without touching the project.
  bool CheckFile(const QString& path);
  // New project: close, choose a model, the language's template or an empty project.
  bool NewProject();
  bool NewProjectFor(const TZmModel* model);
  // Runs first when a file is read (tests make reading fail here).
  std::function<void(const QString&)> OpenHook;
  // The model chooser; tests replace it.
  std::function<const TZmModel*()> ChooseModel;
  const TZmModel* ModelDialog();
  // An object and everything beneath it is about to be destroyed: every
  // view lets go of it first (the scene editor, the tool palette, the
  // project tree, the property page, the undo steps of its scenes).
  void AboutToDestroy(TZmPersistent* object);
  // The object the bottom property page is for: a selected screen object,
  // a key binding, or the scene; none for several objects.
  void ShowObjectPage(TZmPersistent* object);
  TZmPersistent* PageObject = nullptr;
  void Undo();
  void Redo();
  // Records a scene edit (the editor and the object pages call it).
  void SceneEdited(TZmScene* scene, TZmSnapshot before, TZmSnapshot after);
  // Runs a change of the project outside one scene (the project pages, the
  // tree, adding or deleting scenes, groups, stations, alarms) as one undo
  // step. Objects the change destroys still go through AboutToDestroy.
  void EditProject(const std::function<void()>& change);
  // The same in two halves, for a change that spans events.
  TZmSnapshot ProjectSnapshot();
  void ProjectEdited(TZmSnapshot before);
  // Shows the pages for the selected tree node.
  void ShowNodePages();
  // Selects the object's tree node and scrolls to it; false when it has none.
  bool SelectNode(TZmPersistent* object);
  bool SelectSceneNode(TZmScene* scene);
  // The scene editor when it is showing that scene, else none.
  TFrameEditScene* SceneEditorFor(const TZmScene* scene) const;
  void UpdateEditActions();
  void UpdateActionTips();
  bool SaveFile(const QString& path);
  bool Save();
  bool SaveAs();
  void OpenWithDialog();
  void OpenRecent(const QString& path);
  // The about box, made on first use and kept.
  void ShowAbout();
  TFormAbout* FormAbout = nullptr;

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
  TZmUndoStack UndoStack;
  bool ChangedOutsideUndo = false;
  TFrameEditScene* ClientPage = nullptr;
  TFrameToolPalette* RightPage = nullptr;

  QAction *actNewFile, *actOpenFile, *actSaveFile, *actSaveAsFile, *actCloseFile, *actExit;
  QAction *actCut, *actCopy, *actPaste, *actDelete, *actSelectAll;
  QAction *actTopLayer, *actBottonLayer, *actPrevLayer, *actNextLayer;
  QAction *actUndo, *actRedo, *actGroup, *actUngroup;
  QAction *actCompiler, *actSimulation, *actDownload, *actAbout;
  QMenu *miFile, *miEdit, *miHMI, *miTools, *miLanguage, *miHelp;
  QMenu* pmOpenFile;
  QToolBar* tbMain;
  TZmDynamicPanel *dplLeft, *dplRight;
  QWidget *pnlClient, *dplBottom;
  QSplitter* splClient;
  QGroupBox* gbxProject;
  QLabel* lblReadout;
  TZmProjectTreeView* tvProject;

signals:
  // After a language switch: later parts reload what depends on the language.
  void languageChanged();

protected:
  bool event(QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

private:
  QAction* MakeAction(const char* name, const QString& placeholder, const QKeySequence& shortcut = {});
  // Panel models and protocols of the data root, with the language's
  // localised keys.
  void LoadDataFolders();
  void BuildProjectTree();
  void ClearProjectTree();
  // Opens a side panel to `target` pixels or closes it (0): sliding with
  // AnimatePanels, at once otherwise.
  void SlidePanel(TZmDynamicPanel* panel, int target);
  QString DialogFolder() const;
  bool LoadInto(TZmHMI& root, const QString& path, std::vector<uint8_t>& bytes);
  void ProjectLoaded(const QString& fileName);
  void ShowOpenError(const QString& path);
  void RouteEdit(int command);

  // Undo or redo: a scene step refreshes the editor, a project step rebuilds
  // every view from the project read anew.
  void ApplyHistory(bool undo);

  std::unique_ptr<TZmHMI> Project;
  TZmSnapshot DropBefore;       // the project before a tree drop
  int ProjectEditDepth = 0;     // inside EditProject: destroyed scenes keep the history
  bool ProjectOpen = false;
  bool Activated = false;
  bool ShownOnce = false;
  bool SettingsWritten = false;
};
