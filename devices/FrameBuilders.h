#pragma once
// The request and write frames of each protocol family, chosen by protocol
// UID. Read frames poll a station's registers in runs; each frame travels
// with a map that tells the panel where the reply's data go.
#include <cstdint>
#include <vector>

class TZmStation;
class TZmRegRule;
class TZmProtocol;

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
  int64_t Count = 1;  // registers in the protocol's unit
  int32_t DataType = 0;
};

// One register of a station as the read builders see it.
struct TZmRegItem {
  const TZmRegRule* Rule = nullptr;
  int64_t ProtocolAddress = 0;
  uint32_t Reference = 0;
};

// One request of a port's polling list.
struct TZmDeviceLinkItem {
  std::vector<uint8_t> Frame;
  std::vector<uint32_t> Map;
};

// False for an unknown protocol UID: the caller then writes no frame. A
// known family that cannot write the address returns true with no frame.
bool BuildWriteFrame(uint32_t protocolUID, const TZmWriteTarget& target, TZmWriteFrame& out);
// Appends the requests that poll `registers` of one station; nothing for an
// unknown protocol UID.
void BuildReadFrames(const TZmProtocol& protocol, const TZmStation& station, const std::vector<TZmRegItem>& registers,
                     std::vector<TZmDeviceLinkItem>& link);
