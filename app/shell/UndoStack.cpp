#include "app/shell/UndoStack.h"

#include <memory>

#include "base/Persistent.h"
#include "base/Stream.h"
#include "model/Project.h"
#include "model/Scenes.h"

TZmSnapshot TZmUndoStack::Snapshot(TZmScene* scene)
{
  TZmStream s;
  SerializeObjectTo(scene, TZmSerialization::Write, s);
  return s.Buffer();
}

TZmSnapshot TZmUndoStack::ProjectSnapshot(TZmHMI& root)
{
  TZmStream s;
  SerializeObjectTo(&root, TZmSerialization::Write, s);
  return s.Buffer();
}

namespace {
// Whether the record reads into a fresh object of the same class: a record
// that does not read must not leave the real one half replaced.
template <typename T>
bool Reads(const TZmSnapshot& bytes)
{
  std::unique_ptr<T> scratch(NewObject<T>());
  try {
    TZmStream probe(bytes);
    SerializeObjectTo(scratch.get(), TZmSerialization::Read, probe);
  } catch (const EZmStreamError&) {
    return false;
  }
  return true;
}
}  // namespace

bool TZmUndoStack::Restore(TZmScene* scene, const TZmSnapshot& bytes)
{
  if (!scene || !Reads<TZmScene>(bytes)) return false;
  TZmStream in(bytes);
  SerializeObjectTo(scene, TZmSerialization::Read, in);
  return true;
}

bool TZmUndoStack::RestoreProject(TZmHMI& root, const TZmSnapshot& bytes)
{
  if (!Reads<TZmHMI>(bytes)) return false;
  ClearProject(root);
  TZmStream in(bytes);
  SerializeObjectTo(&root, TZmSerialization::Read, in);
  return true;
}

bool TZmUndoStack::Record(Step step)
{
  if (step.Before == step.After) return false;
  for (size_t i = Position; i < Steps.size(); ++i) Bytes -= Steps[i].Before.size() + Steps[i].After.size();
  Steps.resize(Position);
  if (Clean > static_cast<std::ptrdiff_t>(Position)) Clean = -1;
  Bytes += step.Before.size() + step.After.size();
  Steps.push_back(std::move(step));
  Position = Steps.size();
  Trim();
  return true;
}

void TZmUndoStack::Trim()
{
  // The newest step always stays, however large.
  size_t drop = 0;
  while (Bytes > kMaxBytes && drop + 1 < Steps.size()) {
    Bytes -= Steps[drop].Before.size() + Steps[drop].After.size();
    ++drop;
  }
  if (drop == 0) return;
  Steps.erase(Steps.begin(), Steps.begin() + static_cast<std::ptrdiff_t>(drop));
  Position -= drop;
  Clean = Clean >= static_cast<std::ptrdiff_t>(drop) ? Clean - static_cast<std::ptrdiff_t>(drop) : -1;
}

bool TZmUndoStack::Push(TZmScene* scene, TZmSnapshot before, TZmSnapshot after)
{
  if (!scene) return false;
  Step s;
  if (Root && Root->SceneGroups) {
    const auto& groups = Root->SceneGroups->Groups;
    for (size_t g = 0; g < groups.size() && s.Group < 0; ++g)
      for (size_t i = 0; i < groups[g]->Scenes.size(); ++i)
        if (groups[g]->Scenes[i] == scene) {
          s.Group = static_cast<int32_t>(g);
          s.Place = static_cast<int32_t>(i);
          break;
        }
  }
  if (s.Group < 0) return false;  // not a scene of this project
  s.Before = std::move(before);
  s.After = std::move(after);
  return Record(std::move(s));
}

bool TZmUndoStack::PushProject(TZmSnapshot before, TZmSnapshot after)
{
  if (!Root) return false;
  Step s;
  s.Project = true;
  s.Before = std::move(before);
  s.After = std::move(after);
  return Record(std::move(s));
}

TZmScene* TZmUndoStack::SceneOf(const Step& s) const
{
  if (!Root || !Root->SceneGroups || s.Group < 0) return nullptr;
  const auto& groups = Root->SceneGroups->Groups;
  if (static_cast<size_t>(s.Group) >= groups.size()) return nullptr;
  const auto& scenes = groups[static_cast<size_t>(s.Group)]->Scenes;
  return static_cast<size_t>(s.Place) < scenes.size() ? scenes[static_cast<size_t>(s.Place)] : nullptr;
}

TZmUndoStack::Applied TZmUndoStack::Apply(const Step& s, const TZmSnapshot& bytes)
{
  Applied a;
  if (s.Project) {
    a.Project = true;
    a.Done = Root && RestoreProject(*Root, bytes);
    return a;
  }
  a.Scene = SceneOf(s);
  a.Done = Restore(a.Scene, bytes);
  return a;
}

TZmUndoStack::Applied TZmUndoStack::Undo()
{
  if (!CanUndo()) return {};
  Applied a = Apply(Steps[Position - 1], Steps[Position - 1].Before);
  if (a.Done) --Position;
  return a;
}

TZmUndoStack::Applied TZmUndoStack::Redo()
{
  if (!CanRedo()) return {};
  Applied a = Apply(Steps[Position], Steps[Position].After);
  if (a.Done) ++Position;
  return a;
}

void TZmUndoStack::Clear()
{
  Steps.clear();
  Position = 0;
  Bytes = 0;
  Clean = 0;
}

void TZmUndoStack::Forget(const TZmScene* scene)
{
  (void)scene;
  if (Steps.empty()) return;
  // Places of scenes shift when one goes outside the history, so no step can
  // be trusted any more; the history starts afresh and can no longer lead
  // back to the saved file as a whole.
  Steps.clear();
  Position = 0;
  Bytes = 0;
  Clean = -1;
}
