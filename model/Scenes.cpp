#include "model/Scenes.h"

#include <algorithm>

#include "base/Format.h"
#include "image/Context.h"
#include "devices/Model.h"
#include "graphics/Bitmap.h"
#include "graphics/DC.h"
#include "model/Buttons.h"
#include "model/Component.h"
#include "model/Project.h"

template <typename T>
static void RemoveFrom(std::vector<T*>& list, const T* item)
{
  auto it = std::find(list.begin(), list.end(), item);
  if (it != list.end()) list.erase(it);
}

void TZmScene::Initialize()
{
  Background = NewObject<TZmMemoryBitmap>();
  ComponentGroup = NewObject<TZmComponentGroup>();
  ComponentGroupEx = NewObject<TZmComponentGroup>();
  ComponentGroup->Scene = this;
  ComponentGroupEx->Scene = this;
  ID = 0;
  Option = Reserved = 0;
  FLock = 0;
  DelayJumpScene = JumpSceneID = 0;
}

TZmScene::~TZmScene()
{
  if (Owner) RemoveFrom(Owner->Scenes, this);
  delete ComponentGroup;
  delete ComponentGroupEx;
  delete Background;
}

TZmScene* TZmScene::Create(TZmSceneGroup* group)
{
  auto* s = NewObject<TZmScene>();
  s->Owner = group;
  group->Scenes.push_back(s);
  return s;
}

TZmHMI* TZmScene::Project() const
{
  return Owner && Owner->Owner ? Owner->Owner->Owner : nullptr;
}

const TZmModel* TZmScene::Model() const
{
  TZmHMI* p = Project();
  return p ? p->Model() : nullptr;
}

int32_t TZmScene::Width() const
{
  const TZmModel* m = Model();
  return m ? m->Width() : 0;
}

int32_t TZmScene::Height() const
{
  const TZmModel* m = Model();
  return m ? m->Height() : 0;
}

void TZmScene::PaintScene(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool editorMarks)
{
  for (TZmComponent* c : ComponentGroup->Members) {
    c->Paint(dc, collector, mode, true);
    if (!collector && editorMarks && (c->ExternFlag & 0x4000)) {
      TZmRectValue r = c->GetBounds();
      dc.SetBlend(0x008000, 50);
      dc.BlendFill(r.Left, r.Top, r.Right, r.Bottom);
    }
  }
}

void TZmScene::CollectInside(const TZmRectValue& r, TZmComponentRefs& into)
{
  for (TZmComponent* c : ComponentGroup->Members)
    if (c->InsideOf(r)) into.Add(c);
}

void TZmScene::PaintInfos(TZmDC& target, const TZmFontSpec& font, int32_t mode)
{
  int32_t n = 0;
  for (TZmComponent* c : ComponentGroup->Members) c->PaintInfo(target, font, n++, mode);
}

void TZmScene::NotifyChange(TZmPersistent* object, int32_t value, uint32_t kind)
{
  ComponentGroup->NotifyChange(object, value, kind);
  ComponentGroupEx->NotifyChange(object, value, kind);
}

void TZmScene::RenderBackground()
{
  Background->Image.Clear();
  const TZmModel* m = Model();
  if (!m || m->Width() <= 0 || m->Height() <= 0) return;
  TZmDC dc(m->Width(), m->Height());
  TZmComponent::PrepareContext(dc, m);
  dc.Clear(m->PaletteColor(static_cast<uint32_t>(m->BGColorIndex), Option));
  // A clean pass of its own: no selection, overlay or grid ever reaches the panel.
  PaintScene(dc, nullptr, 1, false);
  FromSurface1Bit(*Background, dc, dc.Colors, Option);
}

std::vector<uint32_t> TZmScene::FocusList() const
{
  struct Entry {
    int64_t key;
    uint32_t index;
  };
  std::vector<Entry> entries;
  int64_t width = Width();
  uint32_t record = 0;
  for (TZmComponent* c : ComponentGroup->Members) {
    if (!c->WritesRecord()) continue;
    if (IsFocusable(c->TypeCode)) entries.push_back({int64_t(c->Rect.Top) * width + c->Rect.Left, record});
    ++record;
  }
  std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.key < b.key; });
  std::vector<uint32_t> out;
  for (size_t i = 0; i < entries.size(); ++i)
    if (i == 0 || entries[i].key != entries[i - 1].key) out.push_back(entries[i].index);
  return out;
}

void TZmScene::UpdateKeyButtons()
{
  int32_t previous = 0, next = 0;
  if (Owner && ID < 232) {
    const auto& v = Owner->Scenes;
    auto it = std::find(v.begin(), v.end(), this);
    if (it != v.end() && v.size() >= 2) {
      size_t i = static_cast<size_t>(it - v.begin()), n = v.size();
      previous = v[(i + n - 1) % n]->ID;
      next = v[(i + 1) % n]->ID;
    }
  }
  if (const TZmModel* model = Model()) {
    for (auto [function, target] : {std::pair<int32_t, int32_t>{1280, previous}, {1536, next}}) {
      const TZmModelKey* key = model->FindKeyByFunction(function);
      if (!key) continue;
      TZmBtnSystem* button = nullptr;
      for (TZmComponent* c : ComponentGroupEx->Members) {
        auto* b = dynamic_cast<TZmBtnSystem*>(c);
        if (b && b->KeyValue == static_cast<uint32_t>(key->Code)) {
          button = b;
          break;
        }
      }
      if (!button) {
        button = CreateComponent<TZmBtnSystem>(ComponentGroupEx);
        button->KeyValue = static_cast<uint32_t>(key->Code);
      } else if (button->Type != 0 && button->Type != 12) {
        continue;  // the user's own binding of this key wins
      }
      button->Rect = key->Rect();  // on the panel picture, outside the screen: not clamped
      button->Type = 12;
      button->JumpPage = static_cast<uint32_t>(target);
      ComponentGroupEx->MarkDirty();
    }
  }
  // Objects of classes this version does not know write nothing and are
  // kept, as everywhere else, so compiling and saving loses none of them.
  std::vector<TZmComponent*> members = ComponentGroupEx->Members;
  for (TZmComponent* c : members) {
    if (dynamic_cast<TZmUnknownComponent*>(c)) continue;
    auto* b = dynamic_cast<TZmBtnSystem*>(c);
    if (!b || b->Type == 0) delete c;
  }
}

void TZmScene::WriteROM(TZmCompiler& compiler)
{
  TZmStream& out = compiler.Output();
  out.SeekEnd();
  ImageOffset = compiler.Offset();
  compiler.RecordScene(ID, ImageOffset);
  size_t start = out.Size();
  out.WriteI32(ID);
  out.WriteU16(Option);
  out.WriteU16(0);
  out.WriteU32(0);  // ComponentGroup section, filled below
  out.WriteU32(0);  // ComponentGroupEx section
  compiler.WriteFixup(0x94000000u | (static_cast<uint32_t>(ID) & 0xFFFFFF));
  out.WriteU32(DelayJumpScene);
  TZmHMI* project = Project();
  if (JumpSceneID != 0 && project && project->SceneGroups->FindScene(static_cast<int32_t>(JumpSceneID)))
    compiler.WriteFixup(0x92000000u | (JumpSceneID & 0xFFFF));
  else
    out.WriteU32(0);
  size_t backgroundSlot = out.Size();
  out.WriteU32(0);
  out.WriteU32(0);  // focus list
  // The background's bytes decide which scenes share one bitmap, so the
  // reference is taken only once they are final.
  RenderBackground();
  compiler.PatchReference(backgroundSlot, resBitmap, Background);

  TZmPersistent* saved = compiler.CurrentScene;
  compiler.CurrentScene = this;
  compiler.PatchSlot(start, 2);
  ComponentGroup->WriteROM(compiler);
  compiler.PatchSlot(start, 3);
  UpdateKeyButtons();
  ComponentGroupEx->WriteROM(compiler);
  compiler.CurrentScene = saved;
  compiler.PatchSlot(start, 8);
  std::vector<uint32_t> focus = FocusList();
  out.WriteU32(static_cast<uint32_t>(focus.size()));
  for (uint32_t i : focus) out.WriteU32(i);
}

std::string TZmScene::GetDisplayName()
{
  if (FDescription.empty()) return SafeFormat("%d", {ID});
  return SafeFormat("%d : %s", {ID, FDescription});
}

void TZmScene::Serialize(TZmSerialization& s)
{
  s.SerializeString("FDescription", FDescription);
  s.SerializeInt32("ID", ID);
  s.SerializeInt32("FLock", FLock);
  s.SerializeObject("ComponentGroup", ComponentGroup);
  s.SerializeObject("ComponentGroupEx", ComponentGroupEx);
  s.SerializeUInt32("DelayJumpScene", DelayJumpScene);
  s.SerializeUInt32("JumpSceneID", JumpSceneID);
  s.SerializeUInt16("Option", Option);
}

TZmSceneGroup::~TZmSceneGroup()
{
  Clear();
  if (Owner) RemoveFrom(Owner->Groups, this);
}

TZmSceneGroup* TZmSceneGroup::Create(TZmSceneGroups* owner)
{
  auto* g = NewObject<TZmSceneGroup>();
  g->Owner = owner;
  g->Name = owner->NewGroupName();
  owner->Groups.push_back(g);
  return g;
}

TZmScene* TZmSceneGroup::AddScene()
{
  if (!Owner) return nullptr;
  int32_t start = Scenes.empty() ? 1 : Scenes.back()->ID;
  int32_t id = Owner->NextFreeSceneID(start);
  if (id < 0) return nullptr;
  TZmScene* s = TZmScene::Create(this);
  s->ID = id;
  return s;
}

void TZmSceneGroup::Clear()
{
  while (!Scenes.empty()) delete Scenes.back();
}

std::string TZmSceneGroup::GetDisplayName() { return Name.empty() ? "[Untitled]" : Name; }

void TZmSceneGroup::Serialize(TZmSerialization& s)
{
  s.SerializeString("Name", Name);
  s.SerializeString("Description", Description);
  TZmStream list;
  if (s.Writing()) {
    WriteObjectList(list, ClassName(), Scenes);
    s.SerializeStream("Scenes", list);
  } else {
    s.SerializeStream("Scenes", list);
    ReadTypedList(list, ClassName(), [this] { Clear(); },
                  [this]() -> TZmPersistent* { return TZmScene::Create(this); });
  }
}

TZmSceneGroups::~TZmSceneGroups() { Clear(); }

void TZmSceneGroups::Clear()
{
  while (!Groups.empty()) delete Groups.back();
}

TZmScene* TZmSceneGroups::FindScene(int32_t id) const
{
  for (auto* g : Groups)
    for (auto* sc : g->Scenes)
      if (sc->ID == id) return sc;
  return nullptr;
}

int32_t TZmSceneGroups::NextFreeSceneID(int32_t start) const
{
  int32_t id = start;
  for (int tries = 0; tries < 255; ++tries) {
    if (id < 1 || id > 255) id = 1;
    if (!IsSceneIDUsed(id)) return id;
    ++id;
  }
  // Handing out 1 again would make two scenes share an ID.
  return -1;
}

size_t TZmSceneGroups::SceneCount() const
{
  size_t n = 0;
  for (auto* g : Groups) n += g->Scenes.size();
  return n;
}

std::string TZmSceneGroups::NewGroupName() const
{
  for (int i = 0; i < 256; ++i) {
    std::string name = SafeFormat("ScreenGroup%d", {i});
    bool used = false;
    for (auto* g : Groups) used = used || g->Name == name;
    if (!used) return name;
  }
  return {};
}

void TZmSceneGroups::WriteROM(TZmCompiler& compiler)
{
  std::vector<TZmScene*> scenes;
  for (TZmSceneGroup* g : Groups) scenes.insert(scenes.end(), g->Scenes.begin(), g->Scenes.end());
  std::stable_sort(scenes.begin(), scenes.end(), [](const TZmScene* a, const TZmScene* b) { return a->ID < b->ID; });
  TZmStream& out = compiler.Output();
  out.WriteU32(static_cast<uint32_t>(scenes.size()));
  size_t slots = out.Size();
  out.WriteZeros(4 * scenes.size());
  for (size_t i = 0; i < scenes.size(); ++i) {
    compiler.PatchSlot(slots, i);
    scenes[i]->WriteROM(compiler);
  }
}

void TZmSceneGroups::Serialize(TZmSerialization& s)
{
  s.SerializeInt32("Direction", Direction);
  s.SerializeUInt32("StartupScreen", StartupScreen);
  TZmStream list;
  if (s.Writing()) {
    WriteObjectList(list, ClassName(), Groups);
    s.SerializeStream("SceneGroups", list);
  } else {
    s.SerializeStream("SceneGroups", list);
    ReadTypedList(list, ClassName(), [this] { Clear(); },
                  [this]() -> TZmPersistent* { return TZmSceneGroup::Create(this); });
  }
}
