#include "app/shell/ProjectTree.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "app/shell/LanguageUi.h"
#include "devices/Devices.h"
#include "model/Alarms.h"
#include "model/Project.h"
#include "model/Scenes.h"

namespace {
QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

constexpr int kObjectRole = Qt::UserRole;
constexpr int kKindRole = Qt::UserRole + 1;

enum : int { kConfigurationNode = 221, kCompileNode = 222, kAlarmsNode = 223 };

// Moves the element at `from` to the place `to` had before the removal.
template <typename T>
void MoveWithin(std::vector<T*>& list, size_t from, size_t to)
{
  T* item = list[from];
  list.erase(list.begin() + static_cast<std::ptrdiff_t>(from));
  list.insert(list.begin() + static_cast<std::ptrdiff_t>(std::min(to, list.size())), item);
}

template <typename T>
size_t IndexIn(const std::vector<T*>& list, const T* item)
{
  return static_cast<size_t>(std::find(list.begin(), list.end(), item) - list.begin());
}
}  // namespace

TZmNodeKind NodeKindOf(TZmPersistent* object)
{
  if (!object) return TZmNodeKind::None;
  static const std::map<std::string, TZmNodeKind, std::less<>> kinds = {
      {"TZmHMI", TZmNodeKind::Root},          {"TZmDevice", TZmNodeKind::Device},
      {"TZmStation", TZmNodeKind::Station},   {"TZmSceneGroup", TZmNodeKind::SceneGroup},
      {"TZmScene", TZmNodeKind::Scene},       {"TZmAlarms", TZmNodeKind::Alarms},
      {"TZmAlarm", TZmNodeKind::Alarm},       {"TZmConfiguration", TZmNodeKind::Configuration},
  };
  auto it = kinds.find(std::string_view(object->ClassName()));
  return it == kinds.end() ? TZmNodeKind::None : it->second;
}

QIcon ProjectImage(int index)
{
  // Small line drawings, so the program ships no picture files it cannot rebuild.
  static std::map<int, QIcon> cache;
  auto it = cache.find(index);
  if (it != cache.end()) return it->second;
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing, false);
  const QColor ink(40, 60, 110), fill(200, 220, 250), green(40, 140, 60), red(200, 50, 40);
  p.setPen(ink);
  switch (index) {
    case 0:  // project: a panel with a screen and keys
      p.setBrush(QColor(220, 220, 220));
      p.drawRect(1, 2, 13, 11);
      p.setBrush(fill);
      p.drawRect(3, 4, 9, 5);
      p.fillRect(4, 11, 2, 1, ink);
      p.fillRect(8, 11, 2, 1, ink);
      break;
    case 1:  // port: a connector
      p.setBrush(fill);
      p.drawRect(2, 5, 11, 6);
      for (int x = 4; x <= 11; x += 3) p.fillRect(x, 7, 1, 2, ink);
      p.drawLine(7, 11, 7, 15);
      break;
    case 4:  // station: a controller box with a lamp
      p.setBrush(QColor(235, 235, 235));
      p.drawRect(2, 2, 11, 12);
      p.fillRect(4, 4, 3, 2, green);
      p.drawLine(4, 9, 11, 9);
      p.drawLine(4, 11, 11, 11);
      break;
    case 2:  // scene group: a folder
      p.setBrush(QColor(240, 210, 110));
      p.drawRect(1, 4, 14, 10);
      p.drawRect(1, 2, 6, 2);
      break;
    case 5:  // scene: a screen
      p.setBrush(fill);
      p.drawRect(1, 2, 14, 10);
      p.drawLine(5, 14, 11, 14);
      p.drawLine(8, 12, 8, 14);
      break;
    case 3:  // configuration: a gear-like wheel
      p.setRenderHint(QPainter::Antialiasing, true);
      p.setBrush(QColor(200, 200, 200));
      p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
      p.setBrush(Qt::white);
      p.drawEllipse(QRectF(5.5, 5.5, 5, 5));
      break;
    case 6:  // compile: a page with an arrow
      p.setBrush(Qt::white);
      p.drawRect(3, 1, 10, 14);
      p.setPen(green);
      p.drawLine(5, 8, 11, 8);
      p.drawLine(9, 6, 11, 8);
      p.drawLine(9, 10, 11, 8);
      break;
    case 7:  // simulation online
    case 8:  // simulation offline
      p.setBrush(index == 7 ? green : QColor(150, 150, 150));
      p.drawPolygon(QPolygon({QPoint(4, 2), QPoint(13, 8), QPoint(4, 14)}));
      break;
    case 9:  // download: an arrow into a bar
      p.setBrush(fill);
      p.drawPolygon(QPolygon({QPoint(6, 1), QPoint(10, 1), QPoint(10, 7), QPoint(13, 7), QPoint(8, 12), QPoint(3, 7), QPoint(6, 7)}));
      p.drawLine(2, 14, 13, 14);
      break;
    case 52:  // alarm: a bell
      p.setRenderHint(QPainter::Antialiasing, true);
      p.setBrush(QColor(250, 200, 60));
      p.drawPie(QRectF(2.5, 2.5, 11, 16), 0, 180 * 16);
      p.setBrush(red);
      p.drawEllipse(QRectF(6.5, 11.5, 3, 3));
      break;
    default:
      p.drawRect(2, 2, 11, 11);
      break;
  }
  p.end();
  return cache[index] = QIcon(pm);
}

bool CanDropNode(TZmPersistent* dragged, TZmPersistent* target)
{
  if (!dragged || !target || dragged == target) return false;
  const TZmNodeKind d = NodeKindOf(dragged), t = NodeKindOf(target);
  switch (d) {
    case TZmNodeKind::Scene:
      return t == TZmNodeKind::Scene || t == TZmNodeKind::SceneGroup;
    case TZmNodeKind::SceneGroup:
      return t == TZmNodeKind::SceneGroup && static_cast<TZmSceneGroup*>(dragged)->Owner &&
             static_cast<TZmSceneGroup*>(dragged)->Owner == static_cast<TZmSceneGroup*>(target)->Owner;
    case TZmNodeKind::Alarm:
      return t == TZmNodeKind::Alarm && static_cast<TZmAlarm*>(dragged)->Owner &&
             static_cast<TZmAlarm*>(dragged)->Owner == static_cast<TZmAlarm*>(target)->Owner;
    default:
      return false;
  }
}

bool DropNode(TZmPersistent* dragged, TZmPersistent* target)
{
  if (!CanDropNode(dragged, target)) return false;
  switch (NodeKindOf(dragged)) {
    case TZmNodeKind::Scene: {
      auto* scene = static_cast<TZmScene*>(dragged);
      TZmSceneGroup* from = scene->Owner;
      if (!from) return false;
      if (NodeKindOf(target) == TZmNodeKind::SceneGroup) {
        auto* group = static_cast<TZmSceneGroup*>(target);
        if (group == from) return false;
        from->Scenes.erase(from->Scenes.begin() + static_cast<std::ptrdiff_t>(IndexIn(from->Scenes, scene)));
        group->Scenes.push_back(scene);
        scene->Owner = group;
        return true;
      }
      auto* other = static_cast<TZmScene*>(target);
      TZmSceneGroup* to = other->Owner;
      if (!to) return false;
      const size_t at = IndexIn(to->Scenes, other);
      if (from == to) {
        MoveWithin(from->Scenes, IndexIn(from->Scenes, scene), at);
        return true;
      }
      from->Scenes.erase(from->Scenes.begin() + static_cast<std::ptrdiff_t>(IndexIn(from->Scenes, scene)));
      to->Scenes.insert(to->Scenes.begin() + static_cast<std::ptrdiff_t>(at), scene);
      scene->Owner = to;
      return true;
    }
    case TZmNodeKind::SceneGroup: {
      auto* group = static_cast<TZmSceneGroup*>(dragged);
      auto& list = group->Owner->Groups;
      MoveWithin(list, IndexIn(list, group), IndexIn(list, static_cast<TZmSceneGroup*>(target)));
      return true;
    }
    case TZmNodeKind::Alarm: {
      auto* alarm = static_cast<TZmAlarm*>(dragged);
      auto& list = alarm->Owner->Alarms;
      MoveWithin(list, IndexIn(list, alarm), IndexIn(list, static_cast<TZmAlarm*>(target)));
      return true;
    }
    default:
      return false;
  }
}

TZmProjectTreeView::TZmProjectTreeView(QWidget* parent) : QTreeWidget(parent)
{
  setHeaderHidden(true);
  setIndentation(19);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDropIndicatorShown(true);
  setDragDropMode(QAbstractItemView::InternalMove);
}

TZmPersistent* TZmProjectTreeView::ObjectOf(const QTreeWidgetItem* item)
{
  return item ? reinterpret_cast<TZmPersistent*>(item->data(0, kObjectRole).value<quintptr>()) : nullptr;
}

TZmNodeKind TZmProjectTreeView::KindOf(const QTreeWidgetItem* item)
{
  return item ? static_cast<TZmNodeKind>(item->data(0, kKindRole).toInt()) : TZmNodeKind::None;
}

QTreeWidgetItem* TZmProjectTreeView::NodeOf(const TZmPersistent* object) const
{
  if (!object) return nullptr;
  for (QTreeWidgetItemIterator it(const_cast<TZmProjectTreeView*>(this)); *it; ++it)
    if (ObjectOf(*it) == object) return *it;
  return nullptr;
}

void TZmProjectTreeView::ClearNodes()
{
  clear();
  Root = nullptr;
  Compiler = nullptr;
}

void TZmProjectTreeView::Build(TZmHMI& root)
{
  ClearNodes();
  Root = &root;
  auto add = [](QTreeWidgetItem* parent, TZmPersistent* object, TZmNodeKind kind, const QString& text, int image) {
    auto* item = new QTreeWidgetItem(parent, {text});
    item->setToolTip(0, text);  // the panel may be narrower than the name
    item->setData(0, kObjectRole, QVariant::fromValue(reinterpret_cast<quintptr>(object)));
    item->setData(0, kKindRole, static_cast<int>(kind));
    item->setIcon(0, ProjectImage(image));
    return item;
  };
  auto* top = new QTreeWidgetItem(this, {Q(root.GetDisplayName())});
  top->setToolTip(0, top->text(0));
  top->setData(0, kObjectRole, QVariant::fromValue(reinterpret_cast<quintptr>(static_cast<TZmPersistent*>(&root))));
  top->setData(0, kKindRole, static_cast<int>(TZmNodeKind::Root));
  top->setIcon(0, ProjectImage(0));
  root.TreeNode = top;
  if (root.Devices)
    for (TZmDevice* d : root.Devices->Devices) {
      auto* dn = add(top, d, TZmNodeKind::Device, Q(d->GetDisplayName()), 1);
      for (TZmStation* s : d->Stations) s->TreeNode = add(dn, s, TZmNodeKind::Station, Q(s->GetDisplayName()), 4);
    }
  size_t scenes = 0;
  if (root.SceneGroups)
    for (TZmSceneGroup* g : root.SceneGroups->Groups) {
      auto* gn = add(top, g, TZmNodeKind::SceneGroup, Q(g->GetDisplayName()), 2);
      g->TreeNode = gn;
      for (TZmScene* s : g->Scenes) {
        s->TreeNode = add(gn, s, TZmNodeKind::Scene, Q(s->GetDisplayName()), 5);
        ++scenes;
      }
    }
  if (root.Alarms) {
    auto* an = add(top, root.Alarms, TZmNodeKind::Alarms, Text(kAlarmsNode), 52);
    root.Alarms->TreeNode = an;
    for (TZmAlarm* a : root.Alarms->Alarms) a->TreeNode = add(an, a, TZmNodeKind::Alarm, Q(a->GetDisplayName()), 52);
  }
  if (root.Configuration)
    root.Configuration->TreeNode = add(top, root.Configuration, TZmNodeKind::Configuration, Text(kConfigurationNode), 3);
  Compiler = new QTreeWidgetItem(this, {Text(kCompileNode)});
  Compiler->setData(0, kKindRole, static_cast<int>(TZmNodeKind::Compiler));
  Compiler->setIcon(0, ProjectImage(6));
  // Small projects open fully; big ones one level deep.
  if (scenes < 16) top->setExpanded(true), expandAll();
  else top->setExpanded(true);
  setCurrentItem(top);
  scrollToTop();
}

bool TZmProjectTreeView::Accepts(QDropEvent* e) const
{
  if (e->source() != this) return false;
  QTreeWidgetItem* target = itemAt(e->position().toPoint());
  return CanDropNode(ObjectOf(currentItem()), ObjectOf(target));
}

void TZmProjectTreeView::dragEnterEvent(QDragEnterEvent* e)
{
  if (e->source() == this) e->acceptProposedAction();
  else e->ignore();
}

void TZmProjectTreeView::dragMoveEvent(QDragMoveEvent* e)
{
  if (Accepts(e)) e->acceptProposedAction();
  else e->ignore();
}

void TZmProjectTreeView::dropEvent(QDropEvent* e)
{
  // The model moves; the widget never moves items on its own.
  e->setDropAction(Qt::IgnoreAction);
  if (!Accepts(e)) {
    e->ignore();
    return;
  }
  TZmPersistent* dragged = ObjectOf(currentItem());
  TZmPersistent* target = ObjectOf(itemAt(e->position().toPoint()));
  e->accept();
  Drop(dragged, target);
}

bool TZmProjectTreeView::Drop(TZmPersistent* dragged, TZmPersistent* target)
{
  if (!Root || !CanDropNode(dragged, target)) return false;
  if (OnAboutToMove) OnAboutToMove();
  if (!DropNode(dragged, target)) return false;
  std::set<const TZmPersistent*> open;
  for (QTreeWidgetItemIterator it(this); *it; ++it)
    if ((*it)->isExpanded() && ObjectOf(*it)) open.insert(ObjectOf(*it));
  Build(*Root);
  for (QTreeWidgetItemIterator it(this); *it; ++it)
    if (open.count(ObjectOf(*it))) (*it)->setExpanded(true);
  if (QTreeWidgetItem* n = NodeOf(dragged)) {
    // A moved group shows its scenes; a moved scene is visible in its group.
    if (NodeKindOf(dragged) == TZmNodeKind::SceneGroup) n->setExpanded(true);
    if (n->parent()) n->parent()->setExpanded(true);
    setCurrentItem(n);
    scrollToItem(n);
  }
  if (OnMoved) OnMoved(dragged);
  return true;
}

namespace {
QString PathOf(const QTreeWidgetItem* item)
{
  QStringList parts;
  for (; item; item = item->parent()) {
    const QTreeWidgetItem* parent = item->parent();
    const int at = parent ? parent->indexOfChild(const_cast<QTreeWidgetItem*>(item))
                          : item->treeWidget()->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item));
    parts.prepend(QString::number(at));
  }
  return parts.join('/');
}
}  // namespace

TZmProjectTreeView::State TZmProjectTreeView::SaveState() const
{
  State s;
  for (QTreeWidgetItemIterator it(const_cast<TZmProjectTreeView*>(this)); *it; ++it)
    if ((*it)->isExpanded()) s.Open << PathOf(*it);
  s.Current = PathOf(currentItem());
  return s;
}

void TZmProjectTreeView::RestoreState(const State& state)
{
  QTreeWidgetItem* current = nullptr;
  for (QTreeWidgetItemIterator it(this); *it; ++it) {
    (*it)->setExpanded(state.Open.contains(PathOf(*it)));
    if (PathOf(*it) == state.Current) current = *it;
  }
  // A node that is gone leaves the selection at its nearest remaining ancestor.
  if (!current && !state.Current.isEmpty()) {
    QStringList parts = state.Current.split('/');
    while (!parts.isEmpty() && !current) {
      parts.removeLast();
      for (QTreeWidgetItemIterator it(this); *it && !current; ++it)
        if (PathOf(*it) == parts.join('/')) current = *it;
    }
  }
  if (current) {
    setCurrentItem(current);
    scrollToItem(current);
  }
}
