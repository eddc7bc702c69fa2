#include "model/Component.h"

void TZmComponentGroup::Serialize(TZmSerialization& s)
{
  if (s.Reading()) {
    Kept.clear();
    for (auto& [name, blob] : s.Properties()) Kept.emplace_back(name, blob.Buffer());
    return;
  }
  for (auto& [name, bytes] : Kept) s.BlobForWrite(name).Buffer() = bytes;
}

int32_t TZmComponentGroup::ComponentCount() const
{
  for (auto& [name, bytes] : Kept) {
    if (!EqualsNoCase(name, "Components") || bytes.size() < 5 || bytes[0] != tagStream) continue;
    TZmStream list(std::vector<uint8_t>(bytes.begin() + 5, bytes.end()));
    try {
      ReadText(list);
      int32_t count = 0;
      return list.ReadI32(count) && count > 0 ? count : 0;
    } catch (const EZmStreamError&) {
      return 0;
    }
  }
  return 0;
}
