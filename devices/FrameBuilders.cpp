#include "devices/FrameBuilders.h"

#include <map>

static std::map<uint32_t, TZmWriteFrameBuilder>& WriteBuilders()
{
  static std::map<uint32_t, TZmWriteFrameBuilder> m;
  return m;
}

void RegisterWriteFrameBuilder(uint32_t protocolUID, TZmWriteFrameBuilder builder) { WriteBuilders()[protocolUID] = builder; }

bool BuildWriteFrame(uint32_t protocolUID, const TZmWriteTarget& target, TZmWriteFrame& out)
{
  auto it = WriteBuilders().find(protocolUID);
  return it != WriteBuilders().end() && it->second(target, out);
}
