#include "model/Component.h"

#include "model/Registry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>

#include "base/Format.h"
#include "base/Texts.h"
#include "image/Context.h"
#include "devices/Model.h"
#include "graphics/Color.h"
#include "model/Scenes.h"

namespace {

template <typename T>
void RemoveFrom(std::vector<T*>& v, const T* item)
{
  auto it = std::find(v.begin(), v.end(), item);
  if (it != v.end()) v.erase(it);
}

// Scene size for clamping; 0 x 0 when the model is unknown (then nothing is clamped).
void SceneSize(const TZmScene* scene, int32_t& w, int32_t& h)
{
  w = h = 0;
  if (scene) {
    w = scene->Width();
    h = scene->Height();
  }
}

// A scaled coordinate, kept within the range of a coordinate whatever the
// stored rectangle and the factor are.
int32_t ScaledCoordinate(int32_t v, double f)
{
  double x = std::trunc(v * f);
  if (std::isnan(x)) return v;
  return static_cast<int32_t>(std::clamp(x, double(INT32_MIN), double(INT32_MAX)));
}

}  // namespace

TZmComponent::~TZmComponent()
{
  if (Owner) Owner->Remove(this);
}

void TZmComponent::Serialize(TZmSerialization& s)
{
  s.SerializeUInt32("ID", TypeCode);
  s.SerializeUInt32("Type", Type);
  s.SerializeUInt32("ExternFlag", ExternFlag);
  s.SerializeRect("Rect", Rect);
  s.SerializeInt32("FLock", FLock);
  // The class decides the code: a record whose stored code disagrees would
  // otherwise compile into a record the panel reads as another kind.
  if (s.Reading()) TypeCode = ClassTypeCode();
}

void TZmComponent::WriteROM(TZmCompiler& compiler)
{
  TZmStream& out = compiler.Output();
  out.WriteU32(TypeCode);
  out.WriteU32(Type);
  out.WriteU32(ExternFlag);
  out.WriteI32(Rect.Left);
  out.WriteI32(Rect.Top);
  out.WriteI32(Rect.Right);
  out.WriteI32(Rect.Bottom);
}

std::string TZmComponent::GetDisplayName()
{
  int32_t id = GetTypeTextID();
  return id >= 0 ? GetText(id) : std::string(ClassName());
}

TZmScene* TZmComponent::OwnerScene() const
{
  for (const TZmComponentGroup* g = Owner; g; g = g->Owner)
    if (g->Scene) return g->Scene;
  if (auto* self = dynamic_cast<const TZmComponentGroup*>(this)) return self->Scene;
  return nullptr;
}

int32_t TZmComponent::ColorOption() const
{
  TZmScene* s = OwnerScene();
  return s ? s->Option : 0;
}

void TZmComponent::PrepareContext(TZmDC& dc, const TZmModel* model)
{
  if (!model) return;
  dc.Colors.ColorBit = model->ColorBit;
  dc.Colors.ColorFormat = model->ColorFormat;
  dc.Colors.SceneOption = model->SceneOption;
  dc.Colors.Palette = model->Palette;
  dc.Colors.WhiteIndex = model->WhiteIndex;
  dc.Colors.GrayIndex = model->GrayIndex;
  dc.Colors.BlackIndex = model->BlackIndex;
  dc.ColorFormat = model->ColorFormat;
}

void TZmComponent::SetBounds(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
  Rect = {left, top, right, bottom};
  if (!OwnerScene()) return;
  if (Rect.Left > Rect.Right) std::swap(Rect.Left, Rect.Right);
  if (Rect.Top > Rect.Bottom) std::swap(Rect.Top, Rect.Bottom);
  int32_t w, h;
  SceneSize(OwnerScene(), w, h);
  if (w > 0 && h > 0) {  // an unknown model must not collapse objects to nothing
    Rect.Left = std::clamp(Rect.Left, 0, w - 1);
    Rect.Right = std::clamp(Rect.Right, 0, w - 1);
    Rect.Top = std::clamp(Rect.Top, 0, h - 1);
    Rect.Bottom = std::clamp(Rect.Bottom, 0, h - 1);
  }
  if (KeepSquareFlag) {
    int32_t d = std::min(Rect.Right - Rect.Left, Rect.Bottom - Rect.Top);
    Rect.Right = Rect.Left + d;
    Rect.Bottom = Rect.Top + d;
  }
  if (Owner) Owner->MarkDirty();
}

std::string TZmComponent::GetInfoLine(int32_t, int32_t) { return {}; }

void TZmComponent::NotifyChange(TZmPersistent*, int32_t, uint32_t) {}

void TZmComponent::SetKeepSquare(bool keep)
{
  if (keep == KeepSquareFlag) return;
  KeepSquareFlag = keep;
  SetBounds(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
}

std::string TZmComponent::GetInfoText(int32_t mode)
{
  std::string out;
  for (int32_t i = 1; i <= 7; ++i) {
    std::string line = GetInfoLine(i, mode);
    if (line.empty()) break;
    if (!out.empty()) out += "\n";
    out += line;
  }
  return out;
}

bool TZmComponent::InsideOf(const TZmRectValue& r) const
{
  return Rect.Left >= r.Left && Rect.Top >= r.Top && Rect.Right <= r.Right && Rect.Bottom <= r.Bottom;
}

const TZmIdentitySource* TZmComponent::BeginPaint(TZmComponentRefs* collector, bool registerIt)
{
  if (!collector) return nullptr;
  if (registerIt && Owner && Owner->Scene) collector->Collect(this);
  return collector;
}

int32_t TZmComponent::GetHandles(TZmHandlePoint p[kMaxHandles], uint16_t kinds[kMaxHandles], int32_t m)
{
  TZmRectValue r = GetBounds();
  int32_t h = (r.Top + r.Bottom + 1) / 2, w = (r.Left + r.Right + 1) / 2;
  const TZmHandlePoint pts[8] = {{r.Left - m, r.Top - m},  {r.Left - m, r.Bottom + m}, {r.Right + m, r.Bottom + m},
                                 {r.Right + m, r.Top - m}, {r.Left - m, h},            {w, r.Bottom + m},
                                 {r.Right + m, h},         {w, r.Top - m}};
  for (int i = 0; i < 8; ++i) {
    p[i] = pts[i];
    kinds[i] = static_cast<uint16_t>(i);
  }
  return 8;
}

void TZmComponent::MoveHandle(TZmDC* dc, int32_t handle, int32_t dx, int32_t dy)
{
  TZmRectValue r = Rect;
  switch (handle) {
    case 0: r.Left += dx; r.Top += dy; break;
    case 1: r.Left += dx; r.Bottom += dy; break;
    case 2: r.Right += dx; r.Bottom += dy; break;
    case 3: r.Right += dx; r.Top += dy; break;
    case 4: r.Left += dx; break;
    case 5: r.Bottom += dy; break;
    case 6: r.Right += dx; break;
    case 7: r.Top += dy; break;
    case 15: {
      r.Left += dx; r.Right += dx; r.Top += dy; r.Bottom += dy;
      // A move keeps the object's size: push it back inside instead of squashing it.
      int32_t w, h;
      SceneSize(OwnerScene(), w, h);
      if (w > 0 && h > 0) {
        int32_t sx = 0, sy = 0;
        if (std::max(r.Left, r.Right) > w - 1) sx = w - 1 - std::max(r.Left, r.Right);
        if (std::min(r.Left, r.Right) + sx < 0) sx = -std::min(r.Left, r.Right);
        if (std::max(r.Top, r.Bottom) > h - 1) sy = h - 1 - std::max(r.Top, r.Bottom);
        if (std::min(r.Top, r.Bottom) + sy < 0) sy = -std::min(r.Top, r.Bottom);
        r.Left += sx; r.Right += sx; r.Top += sy; r.Bottom += sy;
      }
      break;
    }
    default: return;
  }
  if (!dc) {
    SetBounds(r.Left, r.Top, r.Right, r.Bottom);
    return;
  }
  // A preview never changes the object: the exact stored rectangle comes back.
  TZmRectValue saved = Rect;
  SetBounds(r.Left, r.Top, r.Right, r.Bottom);
  Paint(*dc, nullptr, 0, false);
  if (Dragging) {
    dc->SetBlend(0x008000, 50);
    dc->BlendFill(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
  }
  Rect = saved;
  if (Owner) Owner->MarkDirty();
}

void TZmComponent::PaintInfo(TZmDC& target, const TZmFontSpec& font, int32_t number, int32_t mode)
{
  std::vector<std::pair<std::string, uint16_t>> lines;
  const uint16_t green = RGBToRGB565(0x008000), red = RGBToRGB565(0x0000FF);
  bool label = mode & 1, withNumber = mode & 8;
  if (label || withNumber) {
    std::string text;
    std::string line0 = label ? GetInfoLine(0, mode) : std::string();
    if (label && withNumber) text = number >= 0 ? line0 + ": " + std::to_string(number) : line0;
    else if (label) text = line0;
    else if (number >= 0) text = std::to_string(number);
    if (!text.empty()) lines.emplace_back(text, green);
  }
  if (mode & 0x12) {
    for (int32_t i = 1; i <= 7; ++i) {
      std::string line = GetInfoLine(i, mode);
      if (line.empty()) break;
      lines.emplace_back(line, red);
    }
  }
  if (lines.empty()) return;
  TZmTextStyle style;
  style.Font = font;
  style.Align = 0;
  style.Option = 1;
  int32_t width = 0, height = 0;
  std::vector<int32_t> heights;
  for (auto& [text, color] : lines) {
    TZmTextSize sz = target.MeasureText(style, text);
    width = std::max(width, sz.Width);
    heights.push_back(sz.Height);
    height += sz.Height;
  }
  TZmRectValue r = GetBounds();
  int32_t x = std::max(0, std::min(r.Left, target.Width() - width));
  int32_t y = std::max(0, std::min(r.Top, target.Height() - height));
  // Tooltip-like background, identical on every machine.
  const uint16_t background = RGBToRGB565(0xE1FFFF);
  for (int32_t yy = y; yy < y + height; ++yy) target.HLine(x, x + width - 1, yy, background);
  TZmDCPen savedPen = target.Pen;
  TZmDCBrush savedBrush = target.Brush;
  TZmPanelColors savedColors = target.Colors;
  target.Colors = TZmPanelColors{};  // the label colours are RGB565 already
  for (size_t i = 0; i < lines.size(); ++i) {
    style.Color = lines[i].second;
    target.DrawText(0, x, y, x + width - 1, y + heights[i] - 1, style, nullptr, false, lines[i].first);
    y += heights[i];
  }
  target.Colors = savedColors;
  target.Pen = savedPen;
  target.Brush = savedBrush;
}

void TZmComponent::Scale(double fx, double fy)
{
  int32_t l = ScaledCoordinate(Rect.Left, fx), r = ScaledCoordinate(Rect.Right, fx);
  int32_t t = ScaledCoordinate(Rect.Top, fy), b = ScaledCoordinate(Rect.Bottom, fy);
  int32_t w, h;
  SceneSize(OwnerScene(), w, h);
  // The shift back is counted in 64 bits: the scaled rectangle may span the whole range.
  if (w > 0 && r > w - 1) {
    int64_t excess = int64_t(r) - (w - 1);
    r = w - 1;
    l = static_cast<int32_t>(std::max<int64_t>(0, l - excess));
  }
  if (h > 0 && b > h - 1) {
    int64_t excess = int64_t(b) - (h - 1);
    b = h - 1;
    t = static_cast<int32_t>(std::max<int64_t>(0, t - excess));
  }
  SetBounds(l, t, r, b);
}

// ---- groups

void TZmComponentGroup::Initialize()
{
  TZmComponent::Initialize();
  Dirty = true;
}

TZmComponentGroup::~TZmComponentGroup() { Clear(); }

void TZmComponentGroup::Append(TZmComponent* c)
{
  if (!c) return;
  if (c->Owner && c->Owner != this) c->Owner->Remove(c);
  if (std::find(Members.begin(), Members.end(), c) == Members.end()) Members.push_back(c);
  c->Owner = this;
  Dirty = true;
}

void TZmComponentGroup::Remove(TZmComponent* c)
{
  RemoveFrom(Members, c);
  if (c && c->Owner == this) c->Owner = nullptr;
  Dirty = true;
}

void TZmComponentGroup::Clear()
{
  while (!Members.empty()) delete Members.back();
  Dirty = true;
}

int TZmComponentGroup::IndexOf(const TZmComponent* c) const
{
  auto it = std::find(Members.begin(), Members.end(), c);
  return it == Members.end() ? -1 : static_cast<int>(it - Members.begin());
}

size_t TZmComponentGroup::UnknownCount() const
{
  size_t n = 0;
  for (auto* m : Members) {
    if (dynamic_cast<TZmUnknownComponent*>(m)) ++n;
    if (auto* g = dynamic_cast<TZmComponentGroup*>(m)) n += g->UnknownCount();
  }
  return n;
}

TZmRectValue TZmComponentGroup::GetBounds()
{
  if (Dirty) {
    Union = {65536, 65536, -1, -1};
    for (TZmComponent* m : Members) {
      TZmRectValue r = m->GetBounds();
      Union.Left = std::min(Union.Left, r.Left);
      Union.Top = std::min(Union.Top, r.Top);
      Union.Right = std::max(Union.Right, r.Right);
      Union.Bottom = std::max(Union.Bottom, r.Bottom);
    }
    Dirty = false;
  }
  Rect = Union;
  return Union;
}

void TZmComponentGroup::SetBounds(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
  // A group's rectangle is its members'; moving it moves them.
  TZmRectValue now = GetBounds();
  if (Members.empty()) return;
  int32_t dx = left - now.Left, dy = top - now.Top;
  if (dx == 0 && dy == 0 && right - left == now.Right - now.Left && bottom - top == now.Bottom - now.Top) return;
  for (TZmComponent* m : Members) m->MoveHandle(nullptr, 15, dx, dy);
  Dirty = true;
}

void TZmComponentGroup::NotifyChange(TZmPersistent* object, int32_t value, uint32_t kind)
{
  for (size_t i = Members.size(); i-- > 0;) Members[i]->NotifyChange(object, value, kind);
}

void TZmComponentGroup::ChangeColorFormat(int32_t from, int32_t to)
{
  for (TZmComponent* m : Members) m->ChangeColorFormat(from, to);
}

void TZmComponentGroup::Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool registerIt)
{
  // A nested group registers itself; its members draw in its identity colour.
  if (collector && registerIt && Owner && Owner->Scene) {
    collector->Collect(this);
    for (TZmComponent* m : Members) m->Paint(dc, collector, mode, false);
    return;
  }
  for (TZmComponent* m : Members) m->Paint(dc, collector, mode, registerIt && Scene != nullptr);
}

void TZmComponentGroup::MoveHandle(TZmDC* dc, int32_t handle, int32_t dx, int32_t dy)
{
  for (TZmComponent* m : Members) m->MoveHandle(dc, handle, dx, dy);
  Dirty = true;
}

void TZmComponentGroup::PaintInfo(TZmDC& target, const TZmFontSpec& font, int32_t number, int32_t mode)
{
  for (TZmComponent* m : Members) m->PaintInfo(target, font, number, mode);
}

void TZmComponentGroup::Scale(double fx, double fy)
{
  for (TZmComponent* m : Members) m->Scale(fx, fy);
  Dirty = true;
}

void TZmComponentGroup::Serialize(TZmSerialization& s)
{
  if (s.Writing()) GetBounds();
  TZmComponent::Serialize(s);
  TZmStream list;
  if (s.Writing()) {
    ::WriteObjectList(list, ClassName(), Members);
    s.SerializeStream("Components", list);
    return;
  }
  // The list is taken out of its blob in place: a copy at every level of
  // nested groups would make reading them cost the square of their size.
  TZmStream& blob = s.BlobForRead("Components");
  std::vector<uint8_t>& bytes = blob.Buffer();
  uint32_t len = bytes.size() >= 5 && bytes[0] == tagStream ? GetU32(bytes.data() + 1) : 0;
  if (len > bytes.size() - 5) throw EZmStreamError(kStreamReadError);
  if (len) {
    bytes.erase(bytes.begin(), bytes.begin() + 5);
    bytes.resize(len);
    list = std::move(blob);
    list.Seek(0);
    ReadComponentList(list, *this);
  }
  Dirty = true;
}

void TZmComponentGroup::WriteROM(TZmCompiler& compiler)
{
  TZmStream& out = compiler.Output();
  uint32_t n = 0;
  for (TZmComponent* m : Members)
    if (m->WritesRecord()) ++n;
  out.WriteU32(n);
  size_t slots = out.Size();
  out.WriteZeros(4 * n);
  size_t i = 0;
  for (TZmComponent* m : Members) {
    if (!m->WritesRecord()) continue;
    compiler.PatchSlot(slots, i++);
    m->WriteROM(compiler);
  }
}

namespace {

// Member lists of groups are read by recursion, each level holding its part
// of the record while the levels below it are read: the depth is bounded so
// that a crafted file cannot make reading cost the square of its size.
thread_local int gGroupDepth = 0;

struct TGroupDepth {
  TGroupDepth() { ++gGroupDepth; }
  ~TGroupDepth() { --gGroupDepth; }
  TGroupDepth(const TGroupDepth&) = delete;
  TGroupDepth& operator=(const TGroupDepth&) = delete;
};

}  // namespace

void ReadComponentList(TZmStream& list, TZmComponentGroup& group)
{
  int32_t count;
  if (!ReadObjectListHeader(list, group.ClassName(), count)) return;
  TGroupDepth level;  // members of this list are groups at this depth
  group.Clear();
  for (int32_t i = 0; i < count; ++i) {
    size_t at = list.Position();
    std::string cls = ReadText(list);
    list.Seek(at);
    TZmClassFactory make = ScreenObjectClass(cls);
    std::unique_ptr<TZmPersistent> obj(make ? make() : nullptr);
    if (!obj || !dynamic_cast<TZmComponent*>(obj.get())) {
      // Unknown here (or not a screen object): kept as stored, never dropped.
      auto* keep = new TZmUnknownComponent(cls);
      keep->Initialize();
      obj.reset(keep);
      AddLoadWarning("An object of class \"" + cls + "\" is not known to this version; it is kept as it is but not shown.");
    } else if (gGroupDepth > kMaxGroupDepth && dynamic_cast<TZmComponentGroup*>(obj.get())) {
      // Deeper than any drawing nests: kept as stored, like an unknown object.
      auto* keep = new TZmUnknownComponent(cls);
      keep->Initialize();
      obj.reset(keep);
      AddLoadWarning("A group nested deeper than " + std::to_string(kMaxGroupDepth) +
                     " levels is kept as it is but not shown.");
    }
    SerializeObjectTo(obj.get(), TZmSerialization::Read, list);
    group.Append(static_cast<TZmComponent*>(obj.release()));
  }
}

// ---- unknown objects

void TZmUnknownComponent::Serialize(TZmSerialization& s)
{
  if (s.Reading()) {
    Kept.clear();
    for (auto& [name, blob] : s.Properties()) Kept.emplace_back(name, blob.Buffer());
    TZmComponent::Serialize(s);
    return;
  }
  for (auto& [name, bytes] : Kept) s.BlobForWrite(name).Buffer() = bytes;
}

// ---- reference sets

void TZmComponentRefs::Add(TZmComponent* c)
{
  if (!c) return;
  Remove(c);
  Items.push_back(c);
  if (c->TypeCode == kTypeGroup) ++GroupCount;
  else ++OtherCount;
}

void TZmComponentRefs::Collect(TZmComponent* c)
{
  if (!c) return;
  Items.push_back(c);
  if (c->TypeCode == kTypeGroup) ++GroupCount;
  else ++OtherCount;
}

void TZmComponentRefs::Remove(TZmComponent* c)
{
  auto it = std::find(Items.begin(), Items.end(), c);
  if (it == Items.end()) return;
  if (c->TypeCode == kTypeGroup) --GroupCount;
  else --OtherCount;
  Items.erase(it);
}

void TZmComponentRefs::Clear()
{
  Items.clear();
  GroupCount = OtherCount = 0;
}

int TZmComponentRefs::IndexOf(const TZmComponent* c) const
{
  auto it = std::find(Items.begin(), Items.end(), c);
  return it == Items.end() ? -1 : static_cast<int>(it - Items.begin());
}

void TZmComponentRefs::AddAll(const TZmComponentRefs& other)
{
  for (TZmComponent* c : std::vector<TZmComponent*>(other.Items)) Add(c);
}

void TZmComponentRefs::RemoveAll(const TZmComponentRefs& other)
{
  for (TZmComponent* c : std::vector<TZmComponent*>(other.Items)) Remove(c);
}

TZmRectValue TZmComponentRefs::Bounds()
{
  TZmRectValue u{65536, 65536, -1, -1};
  if (Scene && Scene->FLock) return u;
  for (TZmComponent* c : Items) {
    if (c->FLock || c->OwnerScene() != Scene) continue;
    TZmRectValue r = c->GetBounds();
    u.Left = std::min(u.Left, r.Left);
    u.Top = std::min(u.Top, r.Top);
    u.Right = std::max(u.Right, r.Right);
    u.Bottom = std::max(u.Bottom, r.Bottom);
  }
  return u;
}

size_t TZmComponentRefs::BoundsCount()
{
  if (Scene && Scene->FLock) return 0;
  size_t n = 0;
  for (TZmComponent* c : Items)
    if (!c->FLock && c->OwnerScene() == Scene) ++n;
  return n;
}

void TZmComponentRefs::ChangeColorFormat(int32_t from, int32_t to)
{
  for (TZmComponent* c : Items) c->ChangeColorFormat(from, to);
}

void TZmComponentRefs::MoveHandle(TZmDC* dc, int32_t handle, int32_t dx, int32_t dy)
{
  for (TZmComponent* c : Items) c->MoveHandle(dc, handle, dx, dy);
}

TZmComponent* TZmComponentRefs::FromIdentity(uint16_t color) const
{
  if ((color & 0xF000) != 0xF000) return nullptr;
  size_t index = color & 0x0FFF;
  return index < Items.size() ? Items[index] : nullptr;
}

void TZmComponentRefs::WriteObjectList(TZmStream& out) const
{
  WriteText(out, "TZmComponentRefs");
  out.WriteI32(static_cast<int32_t>(Items.size()));
  for (TZmComponent* c : Items) SerializeObjectTo(c, TZmSerialization::Write, out);
}

bool TZmComponentRefs::ReadObjectList(TZmStream& in)
{
  if (!Scene) return false;
  size_t start = in.Position();
  if (in.Remaining() < 8 || ReadText(in) != "TZmComponentRefs") {
    in.Seek(start);
    return false;
  }
  int32_t count;
  if (!in.ReadI32(count)) throw EZmStreamError(kStreamReadError);
  TGroupDepth level;  // a group in the list is at depth 1, as in a scene
  Clear();
  for (int32_t i = 0; i < count; ++i) {
    size_t at = in.Position();
    std::string cls = ReadText(in);
    in.Seek(at);
    TZmClassFactory make = ScreenObjectClass(cls);
    if (!make) break;
    std::unique_ptr<TZmPersistent> obj(make());
    SerializeObjectTo(obj.get(), TZmSerialization::Read, in);
    if (auto* c = dynamic_cast<TZmComponent*>(obj.get())) {
      Scene->ComponentGroup->Append(c);
      obj.release();
      Add(c);
    }
  }
  return true;
}
