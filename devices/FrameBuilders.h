#pragma once
// The request and write frames of each protocol family, chosen by protocol
// UID. Read frames poll a station's registers in runs; each frame travels
// with a map that tells the panel where the reply's data go.
#include <cstddef>
#include <cstdint>
#include <vector>

class TZmStation;
class TZmRegRule;
class TZmProtocol;

// Why a family built no frame where the project asked for one: the register
// lies in no address area the family defines, a number does not fit the
// digits its frame has for it (a longer frame would break the reply map), the
// family has no frame that can write it, or the write frame would be longer
// than the panel sends (kMaxWriteFrame).
struct TZmFrameFault {
  enum : int32_t { None = 0, NoArea = 1, DoesNotFit = 2, NoWrite = 3, TooLong = 4 };
  int32_t Kind = None;
  int32_t Index = 0;                 // rule Index of the register concerned
  int64_t Value = 0;                 // DoesNotFit: the number
  int32_t Digits = 0;                // DoesNotFit: the characters its field has
  const TZmRegRule* Rule = nullptr;  // the (first) register concerned
  int32_t RegisterNumber = 0;
};

// The panel queues write frames of 1 to 59 bytes and drops longer ones.
inline constexpr size_t kMaxWriteFrame = 59;

struct TZmWriteFrame {
  std::vector<uint8_t> Frame;  // empty when the family cannot write this address
  std::vector<uint32_t> Map;
  TZmFrameFault Fault;         // set when the frame was refused
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
  int32_t RegisterNumber = 0;  // for messages: the address as the user wrote it
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
// unknown protocol UID. Registers the family refuses get no request and,
// with `faults`, one entry per refused run.
void BuildReadFrames(const TZmProtocol& protocol, const TZmStation& station, const std::vector<TZmRegItem>& registers,
                     std::vector<TZmDeviceLinkItem>& link, std::vector<TZmFrameFault>* faults = nullptr);
// True when a family builds the frames of this protocol UID.
bool HasFrameBuilders(uint32_t protocolUID);
