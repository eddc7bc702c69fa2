#pragma once
// Panel models as the project sees them: looked up by ID in the process-wide
// model database, which the model folder fills at start-up.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TZmModel {
public:
  uint32_t ID = 0;
  std::string Name;
  int32_t Width = 0;   // screen size in pixels
  int32_t Height = 0;
  int32_t COMCnt = 0;  // number of serial ports
};

class TZmModels {
public:
  static TZmModels& Global();
  const TZmModel* Find(uint32_t id) const;
  const TZmModel* FindByName(const std::string& name) const;
  void Add(std::unique_ptr<TZmModel> model);
  void Clear() { List.clear(); }
  size_t Count() const { return List.size(); }
  const TZmModel* Item(size_t i) const { return i < List.size() ? List[i].get() : nullptr; }

private:
  std::vector<std::unique_ptr<TZmModel>> List;
};
