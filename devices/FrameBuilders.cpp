#include "devices/FrameBuilders.h"

#include <functional>

#include "base/Crc16.h"
#include "base/Format.h"
#include "devices/Devices.h"
#include "devices/Protocols.h"
#include "devices/RegRule.h"

namespace {

constexpr uint32_t kModbusAscii = 1109330756;
constexpr uint32_t kModbusRtu = 1060208397;
constexpr uint32_t kModbusRtu2 = static_cast<uint32_t>(-1583889862);

struct Run {
  int32_t Index = 0;
  int64_t A = 0;
  uint32_t R = 0;
  int64_t L = 0;
  const TZmRegRule* Last = nullptr;
};

// Groups a station's registers into runs of contiguous protocol addresses
// of one rule Index, each at most the family's limit long.
std::vector<Run> Runs(const std::vector<TZmRegItem>& regs, const std::function<int64_t(int32_t index)>& limit)
{
  std::vector<Run> out;
  bool open = false;
  Run cur;
  for (const TZmRegItem& r : regs) {
    int32_t index = r.Rule->Index;
    int64_t base = r.Rule->Base > 0 ? r.Rule->Base : 1;
    if (open && index == cur.Index && r.ProtocolAddress == cur.A + cur.L) {
      cur.L += base;
    } else {
      if (open) out.push_back(cur);
      cur = Run{index, r.ProtocolAddress, r.Reference, base, nullptr};
      open = true;
    }
    cur.Last = r.Rule;
    if (cur.L >= limit(index)) {
      out.push_back(cur);
      open = false;
    }
  }
  if (open) out.push_back(cur);
  return out;
}

uint32_t Dest(uint32_t tag, uint32_t ref) { return (tag << 24) | (ref & 0xFFFFFF); }

// Two's complement of the sum of the bytes the hexadecimal pairs stand for.
uint8_t Lrc(const std::string& hex)
{
  uint32_t sum = 0;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) sum += static_cast<uint32_t>(std::stoul(hex.substr(i, 2), nullptr, 16));
  return static_cast<uint8_t>(0u - sum);
}

std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

// ---- Modbus RTU

int64_t RtuLimit(uint32_t controller, int32_t index)
{
  auto in = [&](std::initializer_list<int32_t> l) {
    for (int32_t v : l)
      if (v == index) return true;
    return false;
  };
  if (controller == static_cast<uint32_t>(-1828861255)) return in({0, 1}) ? 16 : in({2, 3, 6}) ? 12 : in({4, 5}) ? 6 : 1;
  if (controller == static_cast<uint32_t>(-821410964)) return in({3, 6}) ? 2 : 1;
  if (controller == static_cast<uint32_t>(-408378398)) return in({0, 1}) ? 16 : in({2, 3, 6}) ? 3 : 1;
  return in({0, 1}) ? 256 : in({2, 3, 6, 7}) ? 64 : in({4, 5}) ? 32 : 1;
}

void RtuRead(const TZmStation& station, const std::vector<TZmRegItem>& regs, std::vector<TZmDeviceLinkItem>& link)
{
  uint32_t controller = station.ControllerUID;
  for (const Run& run : Runs(regs, [&](int32_t i) { return RtuLimit(controller, i); })) {
    uint8_t function;
    uint32_t tag;
    int64_t quantity = run.L;
    switch (run.Index) {
      case 0: function = 0x01; tag = 0x14; break;
      case 1: function = 0x02; tag = 0x14; break;
      case 2: function = 0x04; tag = 0x42; break;
      case 3:
      case 6: function = 0x03; tag = 0x42; break;
      case 4: function = 0x04; tag = 0x82; quantity = 2 * run.L; break;
      case 5: function = 0x03; tag = 0x82; quantity = 2 * run.L; break;
      case 7: function = 0x03; tag = 0x87; quantity = 2 * run.L; break;
      default: continue;  // no request is defined for other areas
    }
    const TZmRegRule* r = run.Last;
    int64_t address = (run.A - r->Offset - r->Min) * (r->Mula > 0 ? r->Mula : 1) + r->Offset + r->Min - 1;
    TZmDeviceLinkItem item;
    item.Frame = {static_cast<uint8_t>(station.StationNum), function, static_cast<uint8_t>(address >> 8),
                  static_cast<uint8_t>(address), static_cast<uint8_t>(quantity >> 8), static_cast<uint8_t>(quantity)};
    uint16_t crc = Crc16(item.Frame);
    item.Frame.push_back(static_cast<uint8_t>(crc));
    item.Frame.push_back(static_cast<uint8_t>(crc >> 8));
    item.Map = {3, 0xF0000000u + static_cast<uint32_t>(run.L), Dest(tag, run.R)};
    link.push_back(std::move(item));
  }
}

bool RtuWrite(const TZmWriteTarget& t, TZmWriteFrame& out)
{
  uint8_t station = static_cast<uint8_t>(t.Station ? t.Station->StationNum : 0);
  int64_t a = t.ProtocolAddress - 1;
  int64_t n = t.Count > 0 ? t.Count : 1;
  uint8_t ah = static_cast<uint8_t>(a >> 8), al = static_cast<uint8_t>(a);
  int32_t index = t.Rule ? t.Rule->Index : -1;
  auto checksum = [&] {
    uint32_t end = static_cast<uint32_t>(out.Frame.size());
    out.Frame.push_back(0);
    out.Frame.push_back(0);
    out.Map.insert(out.Map.end(), {0xF1000002u, 0, end, 0x42000000u + end});
  };
  if (index == 0 && n == 1) {
    out.Frame = {station, 0x05, ah, al, 0, 0};
    out.Map = {0x1A000004};
    checksum();
  } else if (index == 0) {
    uint8_t bytes = static_cast<uint8_t>((n + 7) / 8);
    out.Frame = {station, 0x0F, ah, al, static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n), bytes};
    out.Frame.insert(out.Frame.end(), bytes, 0);
    out.Map = {0xF0000000u + static_cast<uint32_t>(n), 0x14000007};
    checksum();
  } else if (index == 3 && n == 1) {
    out.Frame = {station, 0x06, ah, al, 0, 0};
    out.Map = {0x42000004};
    checksum();
  } else if (index == 3 || index == 5 || index == 6 || index == 7) {
    // 32-bit values take two registers each.
    bool wide = index == 5 || index == 7;
    int64_t words = wide ? 2 * n : n;
    uint32_t tag = index == 5 ? 0x82 : index == 7 ? 0x87 : 0x42;
    out.Frame = {station, 0x10, ah, al, static_cast<uint8_t>(words >> 8), static_cast<uint8_t>(words),
                 static_cast<uint8_t>(2 * words)};
    out.Frame.insert(out.Frame.end(), static_cast<size_t>(2 * words), 0);
    if (n > 1) out.Map.push_back(0xF0000000u + static_cast<uint32_t>(n));
    out.Map.push_back((tag << 24) | 7);
    checksum();
  }
  if (out.Frame.size() > 256) out = {};
  return true;  // read-only areas leave the frame empty
}

// ---- Modbus ASCII

int64_t AsciiLimit(uint32_t controller, int32_t index)
{
  auto in = [&](std::initializer_list<int32_t> l) {
    for (int32_t v : l)
      if (v == index) return true;
    return false;
  };
  if (controller == static_cast<uint32_t>(-408378398)) return in({0, 1}) ? 16 : in({2, 3, 6}) ? 2 : 1;
  if (controller == static_cast<uint32_t>(-821410964)) return in({3, 6}) ? 2 : 1;
  return in({0, 1}) ? 256 : in({2, 3, 6}) ? 64 : in({4, 5}) ? 32 : 1;
}

void AsciiRead(const TZmStation& station, const std::vector<TZmRegItem>& regs, std::vector<TZmDeviceLinkItem>& link)
{
  uint32_t controller = station.ControllerUID;
  for (const Run& run : Runs(regs, [&](int32_t i) { return AsciiLimit(controller, i); })) {
    int function;
    uint32_t tag;
    int64_t quantity = run.L;
    switch (run.Index) {
      case 0: function = 1; tag = 0x16; break;
      case 1: function = 2; tag = 0x16; break;
      case 2: function = 4; tag = 0x40; break;
      case 3:
      case 6: function = 3; tag = 0x40; break;
      case 4: function = 4; tag = 0x80; quantity = 2 * run.L; break;
      case 5: function = 3; tag = 0x80; quantity = 2 * run.L; break;
      default: continue;
    }
    std::string body = SafeFormat("%02X%02X%04X%04X", {station.StationNum & 0xFF, function,
                                                      static_cast<uint32_t>(run.A - 1) & 0xFFFF,
                                                      static_cast<uint32_t>(quantity) & 0xFFFF});
    std::string frame = ":" + body + SafeFormat("%02X\r\n", {Lrc(body)});
    TZmDeviceLinkItem item;
    item.Frame = Bytes(frame);
    item.Map = {7, 0xF0000000u + static_cast<uint32_t>(run.L), Dest(tag, run.R)};
    link.push_back(std::move(item));
  }
}

bool AsciiWrite(const TZmWriteTarget& t, TZmWriteFrame& out)
{
  uint32_t station = t.Station ? t.Station->StationNum & 0xFF : 0;
  uint32_t a = static_cast<uint32_t>(t.ProtocolAddress - 1) & 0xFFFF;
  int64_t n = t.Count > 0 ? t.Count : 1;
  int32_t index = t.Rule ? t.Rule->Index : -1;
  std::string head;
  size_t values = 0;
  std::vector<uint32_t> map;
  if (index == 0 && n == 1) {
    head = SafeFormat(":%02X05%04X", {station, a});
    values = 4;
    map = {0x17000009};
  } else if (index == 0) {
    int64_t groups = (n + 15) / 16;
    head = SafeFormat(":%02X0F%04X%04X%02X", {station, a, static_cast<uint32_t>(n), static_cast<uint32_t>(2 * groups)});
    values = static_cast<size_t>(4 * groups);
    map = {0xF0000000u + static_cast<uint32_t>(n), 0x1900000F};
  } else if (index == 3 && n == 1) {
    head = SafeFormat(":%02X06%04X", {station, a});
    values = 4;
    map = {0x40000009};
  } else if (index == 3 || index == 6) {
    head = SafeFormat(":%02X10%04X%04X%02X", {station, a, static_cast<uint32_t>(n), static_cast<uint32_t>(2 * n)});
    values = static_cast<size_t>(4 * n);
    map = {0xF0000000u + static_cast<uint32_t>(n), 0x4000000F};
  } else if (index == 5) {
    head = SafeFormat(":%02X10%04X%04X%02X", {station, a, static_cast<uint32_t>(2 * n), static_cast<uint32_t>(4 * n)});
    values = static_cast<size_t>(8 * n);
    map = {0xF0000000u + static_cast<uint32_t>(n), 0x8000000F};
  } else {
    return true;  // no frame for read-only or unknown areas
  }
  uint32_t end = static_cast<uint32_t>(head.size() + values);
  if (end + 4 > 256) return true;
  out.Frame = Bytes(head);
  out.Frame.insert(out.Frame.end(), values, 0);
  std::string tail = SafeFormat("%02X\r\n", {Lrc(head.substr(1))});
  out.Frame.insert(out.Frame.end(), tail.begin(), tail.end());
  out.Map = map;
  out.Map.insert(out.Map.end(), {0xF1000003u, 1, end, 0x20000000u + end});
  return true;
}

}  // namespace

bool BuildWriteFrame(uint32_t protocolUID, const TZmWriteTarget& target, TZmWriteFrame& out)
{
  out = {};
  switch (protocolUID) {
    case kModbusRtu:
    case kModbusRtu2: return RtuWrite(target, out);
    case kModbusAscii: return AsciiWrite(target, out);
    default: return false;
  }
}

void BuildReadFrames(const TZmProtocol& protocol, const TZmStation& station, const std::vector<TZmRegItem>& registers,
                     std::vector<TZmDeviceLinkItem>& link)
{
  switch (protocol.UID) {
    case kModbusRtu:
    case kModbusRtu2: RtuRead(station, registers, link); break;
    case kModbusAscii: AsciiRead(station, registers, link); break;
    default: break;
  }
}
