#pragma once
// The request and write frames of each protocol family, found by protocol UID.
#include <cstdint>
#include <vector>

class TZmStation;
class TZmRegRule;

struct TZmWriteFrame {
  std::vector<uint8_t> Frame;  // empty when the family cannot write this address
  std::vector<uint32_t> Map;
};

// What a write frame needs to know about the register written.
struct TZmWriteTarget {
  const TZmStation* Station = nullptr;
  const TZmRegRule* Rule = nullptr;
  int32_t RegisterNumber = 0;
  int64_t ProtocolAddress = 0;
  int32_t DataType = 0;
};

using TZmWriteFrameBuilder = bool (*)(const TZmWriteTarget& target, TZmWriteFrame& out);

// Registers a family's write builder for a protocol UID.
void RegisterWriteFrameBuilder(uint32_t protocolUID, TZmWriteFrameBuilder builder);
// False for an unknown protocol UID: the caller then writes no frame.
bool BuildWriteFrame(uint32_t protocolUID, const TZmWriteTarget& target, TZmWriteFrame& out);
