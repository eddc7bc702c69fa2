// The project tree: nodes built from the project and the drag-and-drop rules.
#include <QTreeWidgetItemIterator>

#include "AppSupport.h"
#include "app/shell/ProjectTree.h"
#include "app/shell/UndoStack.h"
#include "base/Language.h"
#include "model/Alarms.h"
#include "model/Project.h"
#include "model/Scenes.h"
#include "model/Shapes.h"

namespace {

// Two groups (A with scenes 1, 2, 3; B with scene 4), two alarms.
class ProjectTree : public AppTest {
protected:
  void SetUp() override
  {
    AppTest::SetUp();
    Root.reset(NewObject<TZmHMI>());
    A = TZmSceneGroup::Create(Root->SceneGroups);
    B = TZmSceneGroup::Create(Root->SceneGroups);
    for (int i = 0; i < 3; ++i) A->AddScene();
    B->AddScene();
    Al1 = TZmAlarm::Create(Root->Alarms);
    Al2 = TZmAlarm::Create(Root->Alarms);
  }
  TZmScene* S(int id) { return Root->SceneGroups->FindScene(id); }
  std::vector<int> Ids(TZmSceneGroup* g)
  {
    std::vector<int> out;
    for (TZmScene* s : g->Scenes) out.push_back(s->ID);
    return out;
  }
  std::unique_ptr<TZmHMI> Root;
  TZmSceneGroup *A = nullptr, *B = nullptr;
  TZmAlarm *Al1 = nullptr, *Al2 = nullptr;
};

}  // namespace

TEST_F(ProjectTree, DropRules)
{
  using P = TZmPersistent*;
  struct Case {
    const char* name;
    std::function<std::pair<P, P>()> pick;
    bool allowed;
    bool changes;
    std::vector<int> a, b;  // scene IDs of the groups afterwards
  };
  const std::vector<Case> cases = {
      {"first scene onto the last: becomes last", [&] { return std::pair<P, P>{S(1), S(3)}; }, true, true, {2, 3, 1}, {4}},
      {"last scene onto the first: becomes first", [&] { return std::pair<P, P>{S(3), S(1)}; }, true, true, {3, 1, 2}, {4}},
      {"scene into another group: before the target", [&] { return std::pair<P, P>{S(2), S(4)}; }, true, true, {1, 3}, {2, 4}},
      {"scene onto another group: appended", [&] { return std::pair<P, P>{S(1), B}; }, true, true, {2, 3}, {4, 1}},
      {"scene onto its own group: nothing", [&] { return std::pair<P, P>{S(1), A}; }, true, false, {1, 2, 3}, {4}},
      {"scene onto itself", [&] { return std::pair<P, P>{S(1), S(1)}; }, false, false, {1, 2, 3}, {4}},
      {"group onto group", [&] { return std::pair<P, P>{A, B}; }, true, true, {1, 2, 3}, {4}},
      {"group onto a scene", [&] { return std::pair<P, P>{A, S(4)}; }, false, false, {1, 2, 3}, {4}},
      {"alarm onto alarm", [&] { return std::pair<P, P>{Al1, Al2}; }, true, true, {1, 2, 3}, {4}},
      {"alarm onto a scene", [&] { return std::pair<P, P>{Al1, S(1)}; }, false, false, {1, 2, 3}, {4}},
      {"the alarm list onto an alarm", [&] { return std::pair<P, P>{Root->Alarms, Al1}; }, false, false, {1, 2, 3}, {4}},
      {"the root onto a group", [&] { return std::pair<P, P>{Root.get(), A}; }, false, false, {1, 2, 3}, {4}},
      {"configuration onto the root", [&] { return std::pair<P, P>{Root->Configuration, Root.get()}; }, false, false, {1, 2, 3}, {4}},
      {"nothing", [&] { return std::pair<P, P>{nullptr, A}; }, false, false, {1, 2, 3}, {4}},
  };
  for (const Case& c : cases) {
    SetUp();
    auto [dragged, target] = c.pick();
    EXPECT_EQ(CanDropNode(dragged, target), c.allowed) << c.name;
    EXPECT_EQ(DropNode(dragged, target), c.changes) << c.name;
    EXPECT_EQ(Ids(A), c.a) << c.name;
    EXPECT_EQ(Ids(B), c.b) << c.name;
    for (TZmSceneGroup* g : Root->SceneGroups->Groups)
      for (TZmScene* s : g->Scenes) EXPECT_EQ(s->Owner, g) << c.name;
  }
  SetUp();
  ASSERT_TRUE(DropNode(A, B));
  EXPECT_EQ(Root->SceneGroups->Groups, std::vector<TZmSceneGroup*>({B, A}));
  ASSERT_TRUE(DropNode(Al2, Al1));
  EXPECT_EQ(Root->Alarms->Alarms, std::vector<TZmAlarm*>({Al2, Al1}));
}

TEST_F(ProjectTree, NodesFollowTheProject)
{
  auto language = std::make_unique<TZmLanguageResources>(DataRoot().toStdString());
  ASSERT_EQ(language->SelectLanguage(1033), 0);
  SetAppLanguage(language.get());
  TZmProjectTreeView tree;
  tree.Build(*Root);
  ASSERT_EQ(tree.topLevelItemCount(), 2);  // the project and the compile node
  QTreeWidgetItem* top = tree.topLevelItem(0);
  EXPECT_EQ(TZmProjectTreeView::ObjectOf(top), Root.get());
  EXPECT_EQ(tree.currentItem(), top);
  EXPECT_EQ(TZmProjectTreeView::KindOf(tree.topLevelItem(1)), TZmNodeKind::Compiler);
  EXPECT_EQ(tree.topLevelItem(1)->text(0), Text(222));
  // Groups, then the alarm list, then the configuration, last.
  std::vector<TZmNodeKind> kinds;
  for (int i = 0; i < top->childCount(); ++i) kinds.push_back(TZmProjectTreeView::KindOf(top->child(i)));
  const std::vector<TZmNodeKind> want = {TZmNodeKind::SceneGroup, TZmNodeKind::SceneGroup, TZmNodeKind::Alarms, TZmNodeKind::Configuration};
  EXPECT_EQ(kinds, want);
  EXPECT_EQ(top->child(0)->childCount(), 3);
  EXPECT_EQ(top->child(2)->childCount(), 2);
  EXPECT_EQ(tree.NodeOf(S(4))->parent(), top->child(1));
  EXPECT_EQ(S(4)->TreeNode, tree.NodeOf(S(4)));
  // Every node has a picture, drawn by the program.
  for (QTreeWidgetItemIterator it(&tree); *it; ++it) EXPECT_FALSE((*it)->icon(0).isNull()) << (*it)->text(0).toStdString();
  for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 52}) EXPECT_FALSE(ProjectImage(i).pixmap(16, 16).toImage().isNull());
}

TEST_F(ProjectTree, ADropRebuildsTheNodesAndKeepsWhatWasOpen)
{
  while (A->Count() < 16) A->AddScene();
  TZmProjectTreeView tree;
  tree.Build(*Root);
  ASSERT_FALSE(tree.NodeOf(A)->isExpanded()) << "a big project opens one level";
  tree.NodeOf(Root->Alarms)->setExpanded(true);
  int moved = 0;
  tree.OnMoved = [&](TZmPersistent*) { ++moved; };
  EXPECT_FALSE(tree.Drop(S(1), A)) << "its own group: nothing changes";
  EXPECT_FALSE(tree.Drop(A, S(4)));
  EXPECT_EQ(moved, 0);
  ASSERT_TRUE(tree.Drop(A, B));
  EXPECT_EQ(moved, 1);
  EXPECT_EQ(tree.currentItem(), tree.NodeOf(A));
  EXPECT_TRUE(tree.NodeOf(A)->isExpanded()) << "the moved group shows its scenes";
  EXPECT_TRUE(tree.NodeOf(Root->Alarms)->isExpanded()) << "kept open";
  EXPECT_FALSE(tree.NodeOf(B)->isExpanded());
  EXPECT_EQ(tree.NodeOf(B)->parent()->indexOfChild(tree.NodeOf(B)), 0);
  // A scene of B dropped on A's first scene: before it, and visible.
  ASSERT_TRUE(tree.Drop(S(4), S(1)));
  EXPECT_EQ(tree.currentItem(), tree.NodeOf(S(4)));
  EXPECT_EQ(tree.currentItem()->parent(), tree.NodeOf(A));
  EXPECT_EQ(tree.NodeOf(A)->indexOfChild(tree.NodeOf(S(4))), 0);
  EXPECT_EQ(tree.NodeOf(B)->childCount(), 0);
}

TEST(UndoStack, StepsTheSavedStateAndBadRecords)
{
  std::unique_ptr<TZmHMI> root(NewObject<TZmHMI>());
  TZmScene* scene = TZmSceneGroup::Create(root->SceneGroups)->AddScene();
  ASSERT_NE(scene, nullptr);
  TZmUndoStack u;
  u.SetRoot(root.get());
  EXPECT_TRUE(u.IsClean());
  auto edit = [&](int32_t value) {
    TZmSnapshot before = TZmUndoStack::Snapshot(scene);
    scene->JumpSceneID = static_cast<uint32_t>(value);
    return u.Push(scene, before, TZmUndoStack::Snapshot(scene));
  };
  EXPECT_FALSE(edit(0)) << "no change, no step";
  EXPECT_TRUE(edit(1));
  EXPECT_TRUE(edit(2));
  EXPECT_FALSE(u.IsClean());
  u.MarkClean();
  EXPECT_EQ(u.Undo().Scene, scene);
  EXPECT_EQ(scene->JumpSceneID, 1u);
  EXPECT_FALSE(u.IsClean());
  EXPECT_EQ(u.Redo().Scene, scene);
  EXPECT_TRUE(u.IsClean());
  // A new edit after an undo drops the redo steps; the saved state is then out of reach.
  u.Undo();
  EXPECT_TRUE(edit(5));
  EXPECT_FALSE(u.CanRedo());
  EXPECT_FALSE(u.IsClean());
  u.Undo();
  EXPECT_FALSE(u.IsClean());
  // A record that does not read is refused and the scene stays as it was.
  const TZmSnapshot good = TZmUndoStack::Snapshot(scene);
  TZmSnapshot bad(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() / 2));
  EXPECT_FALSE(TZmUndoStack::Restore(scene, bad));
  EXPECT_EQ(TZmUndoStack::Snapshot(scene), good);
  // A scene destroyed outside the history takes every step with it.
  u.Forget(scene);
  EXPECT_FALSE(u.CanUndo());
  EXPECT_FALSE(u.CanRedo());
  // A scene that is not the project's is no step.
  std::unique_ptr<TZmScene> loose(NewObject<TZmScene>());
  TZmSnapshot before = TZmUndoStack::Snapshot(loose.get());
  loose->JumpSceneID = 9;
  EXPECT_FALSE(u.Push(loose.get(), before, TZmUndoStack::Snapshot(loose.get())));
}

TEST(UndoStack, SceneStepsFollowTheirSceneThroughProjectSteps)
{
  // A project step reads every scene anew; the scene steps around it must
  // still find their scene, by its place.
  std::unique_ptr<TZmHMI> root(NewObject<TZmHMI>());
  TZmSceneGroup* g = TZmSceneGroup::Create(root->SceneGroups);
  g->AddScene();
  g->AddScene();
  TZmUndoStack u;
  u.SetRoot(root.get());
  auto sceneEdit = [&](size_t at, uint32_t value) {
    TZmScene* s = root->SceneGroups->Item(0)->Item(at);
    TZmSnapshot before = TZmUndoStack::Snapshot(s);
    s->JumpSceneID = value;
    return u.Push(s, before, TZmUndoStack::Snapshot(s));
  };
  ASSERT_TRUE(sceneEdit(1, 7));
  TZmSnapshot before = TZmUndoStack::ProjectSnapshot(*root);
  root->Title = "Renamed";
  root->SceneGroups->Item(0)->AddScene();
  ASSERT_TRUE(u.PushProject(before, TZmUndoStack::ProjectSnapshot(*root)));
  ASSERT_TRUE(sceneEdit(1, 8));
  EXPECT_FALSE(u.UndoIsProject());
  EXPECT_EQ(u.Undo().Scene, root->SceneGroups->Item(0)->Item(1));
  EXPECT_TRUE(u.UndoIsProject());
  const TZmUndoStack::Applied p = u.Undo();
  EXPECT_TRUE(p.Done && p.Project);
  EXPECT_EQ(root->Title, "");
  EXPECT_EQ(root->SceneGroups->Item(0)->Count(), 2u);
  EXPECT_EQ(root->SceneGroups->Item(0)->Item(1)->JumpSceneID, 7u);
  const TZmUndoStack::Applied s = u.Undo();
  ASSERT_TRUE(s.Done);
  EXPECT_EQ(s.Scene, root->SceneGroups->Item(0)->Item(1));
  EXPECT_EQ(s.Scene->JumpSceneID, 0u);
  // And forward again to the end.
  while (u.CanRedo()) ASSERT_TRUE(u.Redo().Done);
  EXPECT_EQ(root->Title, "Renamed");
  EXPECT_EQ(root->SceneGroups->Item(0)->Count(), 3u);
  EXPECT_EQ(root->SceneGroups->Item(0)->Item(1)->JumpSceneID, 8u);
}
