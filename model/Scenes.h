#pragma once
// Scenes (one full screen of the panel) and the named groups that hold them.
#include <cstdint>
#include <string>
#include <vector>

#include "base/Persistent.h"

class TZmComponentGroup;
class TZmHMI;
class TZmModel;
class TZmSceneGroup;
class TZmSceneGroups;

class TZmScene : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmScene"; }
  void Serialize(TZmSerialization& s) override;
  void Initialize() override;
  void WriteROM(TZmCompiler&) override {}
  std::string GetDisplayName() override;
  ~TZmScene() override;

  // A new scene appended to `group`.
  static TZmScene* Create(TZmSceneGroup* group);

  // The project's model, and the screen size (0 x 0 when the model is unknown).
  const TZmModel* Model() const;
  TZmHMI* Project() const;
  int32_t Width() const;
  int32_t Height() const;

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
  void WriteROM(TZmCompiler&) override {}
  ~TZmSceneGroups() override;

  void Clear();
  size_t Count() const { return Groups.size(); }
  TZmSceneGroup* Item(size_t i) const { return i < Groups.size() ? Groups[i] : nullptr; }
  TZmScene* FindScene(int32_t id) const;
  bool IsSceneIDUsed(int32_t id) const { return FindScene(id) != nullptr; }
  int32_t NextFreeSceneID(int32_t start) const;
  size_t SceneCount() const;
  std::string NewGroupName() const;

  TZmHMI* Owner = nullptr;
  void* TreeNode = nullptr;
  int32_t Direction = 0;
  uint32_t StartupScreen = 0;
  std::vector<TZmSceneGroup*> Groups;
};
