#pragma once
// Register collections: which controller registers the project uses, where
// they live in the panel's register memory, and what each scene polls.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TZmCompileDriver;
class TZmController;
class TZmHMI;
class TZmRegRule;
class TZmScene;
class TZmStation;

class TZmRegCollectItem {
public:
  TZmRegRule* Rule = nullptr;
  std::vector<int32_t> Registers;  // ascending, no duplicates
  int32_t Start = 0;
  int32_t Size = 0;
  void AddRegister(int32_t n);
  bool Contains(int32_t n) const;
  // Reference of the k-th register in sorted order.
  uint32_t ReferenceAt(size_t k) const;
};

class TZmRegCollectItems {
public:
  TZmController* Controller = nullptr;
  int32_t Total = 0;
  std::vector<TZmRegCollectItem> Items;  // one per rule, in rule order
  size_t RegisterCount() const;
};

class TZmRegCollect {
public:
  TZmScene* Scene = nullptr;  // none for the global collection
  std::array<std::unique_ptr<TZmRegCollectItems>, 256> Stations;
  int32_t Total = 0;
  int32_t LinkKind = 0;
};

struct TZmRegResolved {
  bool Found = false;
  int32_t Station = 0;
  uint32_t Reference = 0;
  int32_t RuleIndex = 0;
  int64_t ProtocolAddress = 0;
  TZmRegRule* Rule = nullptr;
  int64_t Count = 0;
};

class TZmRegCollects {
public:
  explicit TZmRegCollects(TZmCompileDriver* compiler) : Compiler(compiler) {}
  TZmRegCollect* Find(TZmScene* scene);
  bool Add(TZmScene* scene, std::string_view address, int32_t dataType, int32_t count, int32_t acceptedKinds);
  bool AddToAllScenes(std::string_view address, int32_t dataType, int32_t count, int32_t acceptedKinds);
  // Lays out the register memory from byte `start`; returns start + Total.
  int32_t Layout(int32_t start);
  // The register reference of an address registered before Layout; the
  // count scales the protocol register count.
  TZmRegResolved Resolve(std::string_view address, int32_t dataType = 0, int32_t count = 1);
  uint32_t ReferenceOf(int32_t stationId, size_t itemIndex, int32_t registerNumber) const;
  // For every scene collection: the request frames of each port that polls
  // something, written as the scene's port links (offsets in the compiler's
  // SceneLinks). `global` gives the registers' places in memory.
  void WritePortLinks(TZmCompileDriver& compiler, const TZmRegCollects& global);
  void Clear() { List.clear(); }
  size_t Count() const { return List.size(); }
  TZmRegCollect* Item(size_t i) const { return i < List.size() ? List[i].get() : nullptr; }

  TZmCompileDriver* Compiler;
  std::vector<std::unique_ptr<TZmRegCollect>> List;

private:
  TZmRegCollectItems* Entry(TZmRegCollect& c, int32_t stationId);
  bool AddToStation(TZmRegCollect& c, int32_t stationId, std::string_view rest, int32_t dataType, int32_t count,
                    int32_t acceptedKinds);
};
