#include "app/shell/UndoStack.h"

#include "base/Persistent.h"
#include "base/Stream.h"
#include "model/Scenes.h"

TZmSnapshot TZmUndoStack::Snapshot(TZmScene* scene)
{
  TZmStream s;
  SerializeObjectTo(scene, TZmSerialization::Write, s);
  return s.Buffer();
}

bool TZmUndoStack::Restore(TZmScene* scene, const TZmSnapshot& bytes)
{
  // Read into a scratch scene first: a record that does not read must not
  // leave the edited scene half replaced.
  TZmScene* scratch = NewObject<TZmScene>();
  bool ok = true;
  try {
    TZmStream probe(bytes);
    SerializeObjectTo(scratch, TZmSerialization::Read, probe);
  } catch (const EZmStreamError&) {
    ok = false;
  }
  delete scratch;
  if (!ok) return false;
  TZmStream in(bytes);
  SerializeObjectTo(scene, TZmSerialization::Read, in);
  return true;
}

bool TZmUndoStack::Push(TZmScene* scene, TZmSnapshot before, TZmSnapshot after)
{
  if (!scene || before == after) return false;
  Steps.resize(Position);
  if (Clean > static_cast<std::ptrdiff_t>(Position)) Clean = -1;
  Steps.push_back({scene, std::move(before), std::move(after)});
  Position = Steps.size();
  return true;
}

TZmScene* TZmUndoStack::Undo()
{
  if (!CanUndo()) return nullptr;
  Step& s = Steps[Position - 1];
  if (!Restore(s.Scene, s.Before)) return nullptr;
  --Position;
  return s.Scene;
}

TZmScene* TZmUndoStack::Redo()
{
  if (!CanRedo()) return nullptr;
  Step& s = Steps[Position];
  if (!Restore(s.Scene, s.After)) return nullptr;
  ++Position;
  return s.Scene;
}

void TZmUndoStack::Clear()
{
  Steps.clear();
  Position = 0;
  Clean = 0;
}

void TZmUndoStack::Forget(const TZmScene* scene)
{
  bool any = false;
  for (const Step& s : Steps) any = any || s.Scene == scene;
  if (!any) return;
  // Steps of other scenes stay valid, but the history no longer leads back
  // to the saved file as a whole: keep it simple and start afresh.
  Steps.clear();
  Position = 0;
  Clean = -1;
}
