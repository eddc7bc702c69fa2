#pragma once
// Deeply nested records, as a crafted file holds them, built in time linear
// in their size (writing them through the objects would cost the square).
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "base/Persistent.h"
#include "base/Stream.h"
#include "model/Component.h"
#include "model/Project.h"
#include "model/Scenes.h"

namespace deep {

inline size_t TextSize(const std::string& ascii) { return 4 + 2 * ascii.size(); }

// A group holding a group holding ... `depth` groups, the innermost empty.
// End of the outermost record counts from its own first byte.
inline std::vector<uint8_t> NestedGroups(int depth)
{
  const std::string cls = "TZmComponentGroup", prop = "Components";
  const size_t listHeader = TextSize(cls) + 4;
  const size_t level = TextSize(cls) + 8 + TextSize(prop) + 4 + 5 + listHeader;
  TZmStream out;
  for (int k = 0; k < depth; ++k) {
    size_t rest = level * static_cast<size_t>(depth - k);  // this record and those inside it
    bool inner = k + 1 < depth;
    size_t start = k == 0 ? 0 : listHeader;
    WriteText(out, cls);
    out.WriteU32(static_cast<uint32_t>(start + rest));
    out.WriteU32(1);
    WriteText(out, prop);
    size_t list = listHeader + (inner ? rest - level : 0);
    out.WriteU32(static_cast<uint32_t>(5 + list));
    out.WriteU8(tagStream);
    out.WriteU32(static_cast<uint32_t>(list));
    WriteText(out, cls);
    out.WriteI32(inner ? 1 : 0);
  }
  return out.Buffer();
}

// A record of an unknown class whose property "P" holds another such
// record, `depth` records in all.
inline std::vector<uint8_t> NestedObjects(int depth, const std::string& cls = "TZmSomethingNew")
{
  const size_t level = TextSize(cls) + 8 + TextSize("P") + 4 + 1, bottom = TextSize(cls) + 8;
  TZmStream out;
  for (int k = 0; k < depth; ++k) {
    bool inner = k + 1 < depth;
    size_t rest = level * static_cast<size_t>(depth - k - 1) + bottom;
    WriteText(out, cls);
    out.WriteU32(static_cast<uint32_t>((k == 0 ? 0 : 1) + rest));
    out.WriteU32(inner ? 1 : 0);
    if (!inner) break;
    WriteText(out, "P");
    out.WriteU32(static_cast<uint32_t>(1 + rest - level));  // the tag, then the record inside
    out.WriteU8(tagObject);
  }
  return out.Buffer();
}

// Adds a stored record to the first scene of `root` as it comes (an object
// of a class not known is kept byte for byte), so that saving writes it
// unchanged into the project.
inline void AddRecordToScene(TZmHMI& root, std::span<const uint8_t> record, const std::string& cls)
{
  TZmStream s(std::vector<uint8_t>(record.begin(), record.end()));
  auto* keep = new TZmUnknownComponent(cls);
  keep->Initialize();
  SerializeObjectTo(keep, TZmSerialization::Read, s);
  root.SceneGroups->Groups.front()->Scenes.front()->ComponentGroup->Append(keep);
}

}  // namespace deep
