#include "devices/Model.h"

#include "base/Utf.h"

TZmModels& TZmModels::Global()
{
  static TZmModels g;
  return g;
}

const TZmModel* TZmModels::Find(uint32_t id) const
{
  for (const auto& m : List)
    if (m->ID == id) return m.get();
  return nullptr;
}

const TZmModel* TZmModels::FindByName(const std::string& name) const
{
  for (const auto& m : List)
    if (EqualsNoCase(m->Name, name)) return m.get();
  return nullptr;
}

void TZmModels::Add(std::unique_ptr<TZmModel> model) { List.push_back(std::move(model)); }
