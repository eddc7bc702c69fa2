#pragma once
// Screen objects: the component base every object on a scene derives from,
// the ordered groups that hold them, and reference sets (the editor's
// selection, the hit-test collector, the clipboard's object list).
#include <cstdint>
#include <string>
#include <vector>

#include "base/Persistent.h"
#include "graphics/DC.h"

class TZmScene;
class TZmComponentGroup;
class TZmComponentRefs;
class TZmModel;

// Kinds of change notices passed down the project (NotifyChange).
inline constexpr uint32_t kNoticeDeleted = 0x10000000;  // 0x10000000..0x1FFFFFFF: being deleted
inline constexpr uint32_t kNoticeSceneRenumbered = 0x40000001;
inline bool IsDeleteNotice(uint32_t kind) { return (kind >> 28) == 1; }

inline constexpr uint32_t kTypeGroup = 0x40001;
// Objects that the panel handles at run time get compiled records; all others
// reach the panel as pixels of the scene's background.
inline bool HasRecord(uint32_t typeCode)
{
  return typeCode == 9 || typeCode == 12 || (typeCode >= 0x10000 && typeCode <= 0x3FFFF);
}
inline bool IsFocusable(uint32_t typeCode) { return typeCode >= 0x20000 && typeCode <= 0x3FFFF; }

struct TZmHandlePoint {
  int32_t X = 0, Y = 0;
};
// Most handles an object has (arcs: eight for the rectangle, two angles).
inline constexpr int32_t kMaxHandles = 10;

class TZmComponent : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmComponent"; }
  // Every new object carries its class's type code.
  void Initialize() override { TypeCode = ClassTypeCode(); }
  void Serialize(TZmSerialization& s) override;
  // The 28-byte header that starts every compiled object record.
  void WriteROM(TZmCompiler& compiler) override;
  std::string GetDisplayName() override;
  ~TZmComponent() override;

  // The code of this class; what is stored is corrected to it on load.
  virtual uint32_t ClassTypeCode() const = 0;
  // Whether the object writes a record into its group's section. The
  // section's count and the scene's focus list both ask this, so they agree
  // with the records actually written.
  virtual bool WritesRecord() const { return HasRecord(TypeCode); }
  // What a newly placed object gets beyond Initialize (objects read from a
  // file never run it).
  virtual void Construct() {}

  virtual void SetBounds(int32_t left, int32_t top, int32_t right, int32_t bottom);
  virtual TZmRectValue GetBounds() { return Rect; }
  virtual std::string GetInfoLine(int32_t index, int32_t mode);
  virtual void NotifyChange(TZmPersistent* object, int32_t value, uint32_t kind);
  virtual void ChangeColorFormat(int32_t from, int32_t to) = 0;
  // Draws the object. With a collector the object registers itself (when
  // `registerIt` and it is a direct member of a scene's group) and draws in
  // its identity colour, so pixels tell which object covers them.
  virtual void Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool registerIt) = 0;
  virtual int32_t GetHandles(TZmHandlePoint points[kMaxHandles], uint16_t kinds[kMaxHandles], int32_t margin);
  virtual void MoveHandle(TZmDC* dc, int32_t handle, int32_t dx, int32_t dy);
  virtual void PaintInfo(TZmDC& target, const TZmFontSpec& font, int32_t number, int32_t mode);
  virtual int32_t GetImageIndex() = 0;
  virtual int32_t GetTypeTextID() = 0;
  virtual void Scale(double fx, double fy);

  TZmScene* OwnerScene() const;
  void SetKeepSquare(bool keep);
  bool KeepSquare() const { return KeepSquareFlag; }
  std::string GetInfoText(int32_t mode);
  bool InsideOf(const TZmRectValue& r) const;
  // The colour option under which stored colours are converted (the scene's Option).
  int32_t ColorOption() const;
  // Prepares a context for this object's scene: model colours, surface format.
  static void PrepareContext(TZmDC& dc, const TZmModel* model);

  TZmComponentGroup* Owner = nullptr;
  uint32_t TypeCode = 0;
  uint32_t Type = 0;
  uint32_t ExternFlag = 0;
  TZmRectValue Rect;
  int32_t FLock = 0;
  bool Dragging = false;

protected:
  // Joins the collector (when asked) and returns it as the identity source
  // for the drawing calls, or none to draw in the stored colours.
  const TZmIdentitySource* BeginPaint(TZmComponentRefs* collector, bool registerIt);
  bool KeepSquareFlag = false;
};

class TZmComponentGroup : public TZmComponent {
public:
  const char* ClassName() const override { return "TZmComponentGroup"; }
  uint32_t ClassTypeCode() const override { return kTypeGroup; }
  void Initialize() override;
  void Serialize(TZmSerialization& s) override;
  // Count of members with records, their offsets, then the records.
  void WriteROM(TZmCompiler& compiler) override;
  ~TZmComponentGroup() override;

  TZmRectValue GetBounds() override;
  void SetBounds(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
  void NotifyChange(TZmPersistent* object, int32_t value, uint32_t kind) override;
  void ChangeColorFormat(int32_t from, int32_t to) override;
  void Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool registerIt) override;
  void MoveHandle(TZmDC* dc, int32_t handle, int32_t dx, int32_t dy) override;
  void PaintInfo(TZmDC& target, const TZmFontSpec& font, int32_t number, int32_t mode) override;
  int32_t GetImageIndex() override { return -1; }
  int32_t GetTypeTextID() override { return -1; }
  std::string GetDisplayName() override { return ClassName(); }
  void Scale(double fx, double fy) override;

  size_t Count() const { return Members.size(); }
  TZmComponent* Item(size_t i) const { return i < Members.size() ? Members[i] : nullptr; }
  void Append(TZmComponent* c);
  void Remove(TZmComponent* c);
  void Clear();
  int IndexOf(const TZmComponent* c) const;
  void MarkDirty() { Dirty = true; }
  // Members the reader could not make sense of (unknown classes), kept as they were stored.
  size_t UnknownCount() const;

  TZmScene* Scene = nullptr;
  std::vector<TZmComponent*> Members;  // paint order: first = bottom

private:
  TZmRectValue Union{65536, 65536, -1, -1};
  bool Dirty = true;
};

// A stored object of a class this program does not know. It keeps its record
// as it was read and writes it back unchanged, so no object is lost by
// opening and saving a project; it is neither drawn nor compiled.
class TZmUnknownComponent : public TZmComponent {
public:
  explicit TZmUnknownComponent(std::string className = "TZmComponent") : StoredClass(std::move(className)) {}
  const char* ClassName() const override { return StoredClass.c_str(); }
  uint32_t ClassTypeCode() const override { return TypeCode; }
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler&) override {}
  // Whatever code it was stored with, it writes no bytes, so neither the
  // section count nor the focus list may count it.
  bool WritesRecord() const override { return false; }
  void ChangeColorFormat(int32_t, int32_t) override {}
  void Paint(TZmDC&, TZmComponentRefs* collector, int32_t, bool registerIt) override { BeginPaint(collector, registerIt); }
  int32_t GetImageIndex() override { return -1; }
  int32_t GetTypeTextID() override { return -1; }
  std::string GetDisplayName() override { return StoredClass; }

  std::string StoredClass;

private:
  std::vector<std::pair<std::string, std::vector<uint8_t>>> Kept;
};

class TZmComponentRefs : public TZmPersistent, public TZmIdentitySource {
public:
  const char* ClassName() const override { return "TZmComponentRefs"; }
  void Serialize(TZmSerialization&) override {}
  int32_t IdentityCount() const override { return static_cast<int32_t>(Items.size()); }

  size_t Count() const { return Items.size(); }
  TZmComponent* Item(size_t i) const { return i < Items.size() ? Items[i] : nullptr; }
  // An object already present moves to the end.
  void Add(TZmComponent* c);
  // An object drawn into an identity picture: always a new entry at the end,
  // so colours painted before keep naming what they named (and a scene of
  // thousands of objects is collected in one pass, not a search per object).
  void Collect(TZmComponent* c);
  void Remove(TZmComponent* c);
  void Clear();
  int IndexOf(const TZmComponent* c) const;
  void AddAll(const TZmComponentRefs& other);
  void RemoveAll(const TZmComponentRefs& other);
  // Union of the unlocked members of this set's scene; inverted when none or the scene is locked.
  TZmRectValue Bounds();
  size_t BoundsCount();
  void ChangeColorFormat(int32_t from, int32_t to);
  void MoveHandle(TZmDC* dc, int32_t handle, int32_t dx, int32_t dy);
  // The object hit by an identity colour read from a collector's drawing.
  TZmComponent* FromIdentity(uint16_t color) const;

  // The clipboard's object list: class name, count, the members' records.
  void WriteObjectList(TZmStream& out) const;
  // Reads an object list into this set's scene. False (stream unchanged)
  // when the stream holds no such list; throws EZmStreamError when truncated.
  bool ReadObjectList(TZmStream& in);

  TZmScene* Scene = nullptr;
  std::vector<TZmComponent*> Items;
  int32_t GroupCount = 0;
  int32_t OtherCount = 0;
};

// A new object of class T placed in `group` (what the drawing tools create).
template <typename T>
T* CreateComponent(TZmComponentGroup* group)
{
  T* c = NewObject<T>();
  if (group) group->Append(c);
  c->Construct();  // after joining, so it can see the scene's model
  return c;
}

// Groups nested in groups are read up to this depth (a group in a scene's
// list is at depth 1); a group deeper down is kept as it was stored, as an
// unknown object, with a load warning.
inline constexpr int kMaxGroupDepth = 32;

// Reads a stored member list (polymorphic list of screen objects): unknown
// classes and abstract ones become TZmUnknownComponent, so the rest of the
// list is read and nothing is lost. Appends a warning per such record, and
// per group nested deeper than kMaxGroupDepth (kept the same way).
void ReadComponentList(TZmStream& list, TZmComponentGroup& group);
