// Delete, select all, paint order, group and ungroup.
#include "app/editor/SceneEditor.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "app/editor/DrawingTools.h"
#include "app/shell/LanguageUi.h"
#include "app/editor/SceneEditOpt.h"
#include "base/Stream.h"
#include "devices/Model.h"
#include "graphics/DC.h"
#include "graphics/Pen.h"
#include "model/Buttons.h"
#include "model/Scenes.h"
#include "model/Shapes.h"

#include "app/editor/SceneEditorParts.h"

using namespace scene_edit;

void TFrameEditScene::Delete()
{
  if (!Scene || Scene->FLock || Selection.Count() == 0) return;
  const TZmSnapshot before = TZmUndoStack::Snapshot(Scene);
  std::vector<TZmComponent*> doomed;
  for (TZmComponent* c : Selection.Items)
    if (!c->FLock && c->OwnerScene() == Scene) doomed.push_back(c);
  Selection.Clear();
  BandList.Clear();
  PickList.Clear();
  HandleList.Items.clear();
  HandleObject = nullptr;
  for (TZmComponent* c : doomed) {
    if (OnAboutToDestroy) OnAboutToDestroy(c);
    delete c;
  }
  Refresh();
  RebuildSnap(true);
  Commit(before);
  ShowPage();
  if (OnSelectionChanged) OnSelectionChanged();
}

void TFrameEditScene::SelectAll()
{
  if (!Scene) return;
  Selection.Clear();
  BandList.Clear();
  Scene->CollectInside({0, 0, Scene->Width() - 1, Scene->Height() - 1}, BandList);
  for (TZmComponent* c : BandList.Items) Selection.Collect(c);  // each once, and the selection was empty
  BandList.Clear();
  RefreshSelection();
  RebuildSnap(true);
  if (OnSelectionChanged) OnSelectionChanged();
}

void TFrameEditScene::Order(int kind)
{
  if (!Scene || Scene->FLock || Scene->ComponentGroup->Count() == 0) return;
  const TZmSnapshot before = TZmUndoStack::Snapshot(Scene);
  auto& m = Scene->ComponentGroup->Members;
  const int32_t n = static_cast<int32_t>(m.size());
  auto moves = [&](const TZmComponent* c) { return Selection.IndexOf(c) >= 0 && !c->FLock; };
  auto moveTo = [&](int32_t from, int32_t to) {
    TZmComponent* c = m[from];
    m.erase(m.begin() + from);
    m.insert(m.begin() + to, c);
  };
  switch (kind) {
    case 0: {
      int32_t to = n - 1;
      for (int32_t i = n - 1; i >= 0; --i)
        if (moves(m[i])) moveTo(i, to--);
      break;
    }
    case 1: {
      int32_t to = 0;
      for (int32_t i = 0; i < n; ++i)
        if (moves(m[i])) moveTo(i, to++);
      break;
    }
    // One step: a selected object passes the unselected one next to it, so
    // a run of selected objects keeps its own order.
    case 2:
      for (int32_t i = n - 2; i >= 0; --i)
        if (moves(m[i]) && !moves(m[i + 1])) std::swap(m[i], m[i + 1]);
      break;
    case 3:
      for (int32_t i = 1; i < n; ++i)
        if (moves(m[i]) && !moves(m[i - 1])) std::swap(m[i], m[i - 1]);
      break;
    default:
      return;
  }
  Scene->ComponentGroup->MarkDirty();
  Refresh();
  Commit(before);
}

void TFrameEditScene::Group()
{
  if (!Scene || Scene->FLock) return;
  auto& m = Scene->ComponentGroup->Members;
  std::vector<TZmComponent*> members;
  int32_t top = -1;
  for (int32_t i = 0; i < static_cast<int32_t>(m.size()); ++i)
    if (Selection.IndexOf(m[i]) >= 0 && !m[i]->FLock) {
      members.push_back(m[i]);
      top = i;
    }
  if (members.size() < 2) return;
  const TZmSnapshot before = TZmUndoStack::Snapshot(Scene);
  top -= static_cast<int32_t>(members.size()) - 1;  // where the group lands once its members left
  auto* g = NewObject<TZmComponentGroup>();
  for (TZmComponent* c : members) g->Append(c);  // leaves the scene's list, keeps paint order
  m.insert(m.begin() + std::clamp(top, 0, static_cast<int32_t>(m.size())), g);
  g->Owner = Scene->ComponentGroup;
  Scene->ComponentGroup->MarkDirty();
  g->MarkDirty();
  Selection.Clear();
  Selection.Add(g);
  Refresh();
  RebuildSnap(true);
  Commit(before);
  if (OnSelectionChanged) OnSelectionChanged();
}

void TFrameEditScene::Ungroup()
{
  if (!Scene || Scene->FLock) return;
  auto& m = Scene->ComponentGroup->Members;
  std::vector<TZmComponentGroup*> groups;
  for (TZmComponent* c : Selection.Items)
    if (std::string_view(c->ClassName()) == "TZmComponentGroup" && c->Owner == Scene->ComponentGroup && !c->FLock)
      groups.push_back(static_cast<TZmComponentGroup*>(c));
  if (groups.empty()) return;
  const TZmSnapshot before = TZmUndoStack::Snapshot(Scene);
  Selection.Clear();
  for (TZmComponentGroup* g : groups) {
    int32_t at = Scene->ComponentGroup->IndexOf(g);
    std::vector<TZmComponent*> members = g->Members;
    for (TZmComponent* c : members) {
      g->Remove(c);
      m.insert(m.begin() + at++, c);
      c->Owner = Scene->ComponentGroup;
      Selection.Add(c);
    }
    if (OnAboutToDestroy) OnAboutToDestroy(g);
    delete g;
  }
  Scene->ComponentGroup->MarkDirty();
  Refresh();
  RebuildSnap(true);
  Commit(before);
  ShowPage();
  if (OnSelectionChanged) OnSelectionChanged();
}



