#pragma once
// The project tree: one node per project object, icons drawn in code, and
// the rules of moving scenes, scene groups and alarms by drag and drop.
#include <QIcon>
#include <QStringList>
#include <QTreeWidget>
#include <functional>

class QTreeWidgetItem;
class TZmHMI;
class TZmPersistent;

enum class TZmNodeKind { None, Root, Device, Station, SceneGroup, Scene, Alarms, Alarm, Configuration, Compiler };

// Kind of a project object, by its exact class name.
TZmNodeKind NodeKindOf(TZmPersistent* object);

// Pictures of the project image list, by index (0 to 9 and 52).
QIcon ProjectImage(int index);

// Whether `dragged` may be dropped on `target`, and doing it. DropNode
// returns true when the project changed (a scene dropped on its own group,
// or a node on itself, changes nothing).
bool CanDropNode(TZmPersistent* dragged, TZmPersistent* target);
bool DropNode(TZmPersistent* dragged, TZmPersistent* target);

// The tree widget of the main window (tvProject).
class TZmProjectTreeView : public QTreeWidget {
  Q_OBJECT
public:
  explicit TZmProjectTreeView(QWidget* parent = nullptr);
  // Rebuilds every node from the root; the objects learn their nodes.
  void Build(TZmHMI& root);
  void ClearNodes();
  static TZmPersistent* ObjectOf(const QTreeWidgetItem* item);
  static TZmNodeKind KindOf(const QTreeWidgetItem* item);
  QTreeWidgetItem* NodeOf(const TZmPersistent* object) const;
  QTreeWidgetItem* CompilerNode() const { return Compiler; }
  // Moves `dragged` onto `target` by the drop rules and rebuilds the nodes,
  // keeping open what was open; the moved node is selected. False when the
  // project did not change.
  bool Drop(TZmPersistent* dragged, TZmPersistent* target);
  // Runs before a drop changes the project, and after it moved something
  // (the tree is already rebuilt).
  std::function<void()> OnAboutToMove;
  std::function<void(TZmPersistent* moved)> OnMoved;
  // Which nodes are open and which is selected, by their places in the tree,
  // so a tree rebuilt from objects read anew opens as it was.
  struct State {
    QStringList Open;
    QString Current;
  };
  State SaveState() const;
  void RestoreState(const State& state);

protected:
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dragMoveEvent(QDragMoveEvent* e) override;
  void dropEvent(QDropEvent* e) override;

private:
  bool Accepts(QDropEvent* e) const;
  TZmHMI* Root = nullptr;
  QTreeWidgetItem* Compiler = nullptr;
};
