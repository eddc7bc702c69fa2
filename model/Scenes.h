#pragma once
// Scenes (one full screen of the panel) and the named groups that hold them.
#include <cstdint>
#include <string>
#include <vector>

#include "base/Persistent.h"

class TZmComponentGroup;
class TZmComponentRefs;
class TZmDC;
class TZmHMI;
class TZmMemoryBitmap;
class TZmModel;
struct TZmFontSpec;
class TZmSceneGroup;
class TZmSceneGroups;

class TZmScene : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmScene"; }
  void Serialize(TZmSerialization& s) override;
  void Initialize() override;
  // The scene record: header, its object sections and its focus list; the
  // static content is painted into the 1-bit background first.
  void WriteROM(TZmCompiler& compiler) override;
  std::string GetDisplayName() override;
  ~TZmScene() override;

  // A new scene appended to `group`.
  static TZmScene* Create(TZmSceneGroup* group);

  // The project's model, and the screen size (0 x 0 when the model is unknown).
  const TZmModel* Model() const;
  TZmHMI* Project() const;
  int32_t Width() const;
  int32_t Height() const;

  // Paints the objects in list order. Without a collector, objects marked
  // with ExternFlag bit 0x4000 get a translucent green overlay (editor
  // view); the compiler paints with mode 1 and no collector or overlay.
  void PaintScene(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool editorMarks = true);
  // Every object of the scene whose rectangle lies inside `r`.
  void CollectInside(const TZmRectValue& r, TZmComponentRefs& into);
  void PaintInfos(TZmDC& target, const TZmFontSpec& font, int32_t mode);
  void NotifyChange(TZmPersistent* object, int32_t value, uint32_t kind);
  // The compile-time picture of the static content, converted to the
  // panel's 1-bit format into Background.
  void RenderBackground();
  // Indexes (among the records of ComponentGroup) of the buttons and inputs
  // in reading order: by Top x width + Left, the first of equal places.
  std::vector<uint32_t> FocusList() const;
  // Binds the model's previous/next keys to the neighbouring scenes of the
  // group (a key the user bound to another action keeps it) and drops the
  // members of ComponentGroupEx that would do nothing; objects of unknown
  // classes stay, as they were stored.
  void UpdateKeyButtons();

  TZmSceneGroup* Owner = nullptr;
  void* TreeNode = nullptr;
  TZmComponentGroup* ComponentGroup = nullptr;
  TZmComponentGroup* ComponentGroupEx = nullptr;
  std::string FDescription;
  int32_t ID = 0;
  uint16_t Option = 0;
  uint16_t Reserved = 0;
  uint32_t ImageOffset = 0;
  int32_t FLock = 0;
  uint32_t DelayJumpScene = 0;
  uint32_t JumpSceneID = 0;
  TZmMemoryBitmap* Background = nullptr;
};

class TZmSceneGroup : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmSceneGroup"; }
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler&) override {}
  std::string GetDisplayName() override;
  ~TZmSceneGroup() override;

  // A new group appended to `owner`, named "ScreenGroup%d" with the smallest free number.
  static TZmSceneGroup* Create(TZmSceneGroups* owner);

  void Clear();
  size_t Count() const { return Scenes.size(); }
  TZmScene* Item(size_t i) const { return i < Scenes.size() ? Scenes[i] : nullptr; }
  // A new scene with the next free ID after the group's last scene; none
  // when every ID of the project is taken.
  TZmScene* AddScene();

  TZmSceneGroups* Owner = nullptr;
  void* TreeNode = nullptr;
  std::string Name;
  std::string Description;
  std::vector<TZmScene*> Scenes;
};

class TZmSceneGroups : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmSceneGroups"; }
  void Serialize(TZmSerialization& s) override;
  // Every scene of every group in ascending ID order: count, offsets, records.
  void WriteROM(TZmCompiler& compiler) override;
  ~TZmSceneGroups() override;

  void Clear();
  size_t Count() const { return Groups.size(); }
  TZmSceneGroup* Item(size_t i) const { return i < Groups.size() ? Groups[i] : nullptr; }
  TZmScene* FindScene(int32_t id) const;
  bool IsSceneIDUsed(int32_t id) const { return FindScene(id) != nullptr; }
  // The first free ID from `start` on (255 wraps to 1); -1 when all 255 are taken.
  int32_t NextFreeSceneID(int32_t start) const;
  size_t SceneCount() const;
  std::string NewGroupName() const;

  TZmHMI* Owner = nullptr;
  void* TreeNode = nullptr;
  int32_t Direction = 0;
  uint32_t StartupScreen = 0;
  std::vector<TZmSceneGroup*> Groups;
};
