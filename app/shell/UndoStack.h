#pragma once
// Undo and redo of scene edits. Each step keeps the stored form (the record
// bytes) of the scene before and after the edit, so any change to a scene,
// whoever made it, is undone by reading the old record back. The position
// at the last save makes the modified flag exact: undoing back to it means
// the project equals the file again.
#include <cstddef>
#include <cstdint>
#include <vector>

class TZmPersistent;
class TZmScene;

using TZmSnapshot = std::vector<uint8_t>;

class TZmUndoStack {
public:
  // The scene's record as stored in a project file.
  static TZmSnapshot Snapshot(TZmScene* scene);
  // Reads a record back into the scene. False (scene as it was) when the
  // bytes do not read.
  static bool Restore(TZmScene* scene, const TZmSnapshot& bytes);

  // Records an edit; an edit that changed no byte is no step. Drops the
  // steps that could have been redone. True when a step was recorded.
  bool Push(TZmScene* scene, TZmSnapshot before, TZmSnapshot after);
  bool CanUndo() const { return Position > 0; }
  bool CanRedo() const { return Position < Steps.size(); }
  // Restores the scene of the step; returns it, or none when nothing was done.
  TZmScene* Undo();
  TZmScene* Redo();
  void Clear();
  // The current position is what the file holds.
  void MarkClean() { Clean = static_cast<std::ptrdiff_t>(Position); }
  bool IsClean() const { return Clean == static_cast<std::ptrdiff_t>(Position); }
  // A scene (or what holds it) is about to be destroyed: its steps can no
  // longer be applied, and the saved state can no longer be reached by undo.
  void Forget(const TZmScene* scene);
  size_t Count() const { return Steps.size(); }
  size_t Index() const { return Position; }

private:
  struct Step {
    TZmScene* Scene;
    TZmSnapshot Before, After;
  };
  std::vector<Step> Steps;
  size_t Position = 0;
  std::ptrdiff_t Clean = 0;  // -1: the saved state cannot be reached
};
