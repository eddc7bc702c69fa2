#pragma once
// Undo and redo of every edit. A step keeps the stored form (the record
// bytes) of what the edit changed, before and after: a scene for the edits
// of the scene editor and the object pages, the whole project for the rest
// (tree drops, project pages, adding and deleting scenes, groups, stations
// and alarms). Any change, whoever made it, is undone by reading the old
// record back. The position at the last save makes the modified flag exact:
// undoing back to it means the project equals the file again.
//
// Scene steps find their scene by its place in the project (group and
// position), not by address: undoing a project step reads every scene anew,
// and the history is linear, so a scene stands where it stood when its step
// was recorded.
#include <cstddef>
#include <cstdint>
#include <vector>

class TZmHMI;
class TZmPersistent;
class TZmScene;

using TZmSnapshot = std::vector<uint8_t>;

class TZmUndoStack {
public:
  // The record of a scene, or of the whole project, as stored in a file.
  static TZmSnapshot Snapshot(TZmScene* scene);
  static TZmSnapshot ProjectSnapshot(TZmHMI& root);
  // Reads a record back. False (everything as it was) when the bytes do not read.
  static bool Restore(TZmScene* scene, const TZmSnapshot& bytes);
  static bool RestoreProject(TZmHMI& root, const TZmSnapshot& bytes);

  // The project the steps belong to (the main window's root, for its whole life).
  void SetRoot(TZmHMI* root) { Root = root; }

  // Records an edit; one that changed no byte is no step. Drops the steps
  // that could have been redone. True when a step was recorded.
  bool Push(TZmScene* scene, TZmSnapshot before, TZmSnapshot after);
  bool PushProject(TZmSnapshot before, TZmSnapshot after);
  bool CanUndo() const { return Position > 0; }
  bool CanRedo() const { return Position < Steps.size(); }

  // What an undo or redo changed: the scene it restored, or the whole project.
  struct Applied {
    bool Done = false;
    bool Project = false;
    TZmScene* Scene = nullptr;
  };
  Applied Undo();
  Applied Redo();
  // Whether the next undo or redo reads the whole project anew (every view
  // lets go of the project's objects first).
  bool UndoIsProject() const { return CanUndo() && Steps[Position - 1].Project; }
  bool RedoIsProject() const { return CanRedo() && Steps[Position].Project; }
  void Clear();
  // The current position is what the file holds.
  void MarkClean() { Clean = static_cast<std::ptrdiff_t>(Position); }
  bool IsClean() const { return Clean == static_cast<std::ptrdiff_t>(Position); }
  // A scene (or what holds it) is about to be destroyed outside the history:
  // the steps can no longer be applied, nor the saved state reached by undo.
  void Forget(const TZmScene* scene);
  size_t Count() const { return Steps.size(); }
  size_t Index() const { return Position; }
  // The history gives up its oldest steps beyond this many bytes.
  static constexpr size_t kMaxBytes = size_t(256) << 20;

private:
  struct Step {
    bool Project = false;
    int32_t Group = -1, Place = -1;  // the scene of a scene step
    TZmSnapshot Before, After;
  };
  bool Record(Step step);
  TZmScene* SceneOf(const Step& s) const;
  Applied Apply(const Step& s, const TZmSnapshot& bytes);
  void Trim();

  TZmHMI* Root = nullptr;
  std::vector<Step> Steps;
  size_t Position = 0;
  size_t Bytes = 0;
  std::ptrdiff_t Clean = 0;  // -1: the saved state cannot be reached
};
