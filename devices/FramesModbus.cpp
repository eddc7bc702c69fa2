// Modbus families: ASCII and RTU as the public standard has them, and the
// ASCII variant whose rule Index picks a controller-specific address area.
#include "base/Checksum.h"
#include "base/Crc16.h"
#include "devices/Devices.h"
#include "devices/FrameCommon.h"
#include "devices/RegRule.h"

namespace frames {
namespace {

bool In(int32_t v, std::initializer_list<int32_t> l)
{
  for (int32_t x : l)
    if (x == v) return true;
  return false;
}

// The request ":" station function address quantity LRC CR LF; data of the
// reply from position 7.
void AsciiRequest(ReadOut& out, const Run& run, uint32_t function, int64_t address, int64_t quantity, uint32_t tag)
{
  Text t;
  if (!t.Put(":%02X%02X%04X%04X", {out.StationNum(), function, address, quantity})) return out.Refuse(run, t.Fault);
  t.Raw(HexPair(Checksum(checkLrcHex, t.S.substr(1))) + "\r\n");
  out.Emit(t.Bytes(), {7, CountWord(run.L), Dest(tag, run.R)});
}

// `head`, `values` zero bytes for the panel to fill, the LRC of the head and
// CR LF; the map gets the LRC block over the characters after ":".
void AsciiWriteFrame(const Text& head, size_t values, std::vector<uint32_t> map, TZmWriteFrame& out)
{
  uint32_t end = static_cast<uint32_t>(head.Size() + values);
  out.Frame = head.Bytes();
  out.Frame.insert(out.Frame.end(), values, 0);
  std::string tail = HexPair(Checksum(checkLrcHex, head.S.substr(1))) + "\r\n";
  out.Frame.insert(out.Frame.end(), tail.begin(), tail.end());
  out.Map = std::move(map);
  out.Map.insert(out.Map.end(), {SumWord(checkLrcHex), 1, end, Place(0x20, end)});
}

int64_t AsciiLimit(uint32_t controller, int32_t index)
{
  if (controller == static_cast<uint32_t>(-408378398)) return In(index, {0, 1}) ? 16 : In(index, {2, 3, 6}) ? 2 : 1;
  if (controller == static_cast<uint32_t>(-821410964)) return In(index, {3, 6}) ? 2 : 1;
  return In(index, {0, 1}) ? 256 : In(index, {2, 3, 6}) ? 64 : In(index, {4, 5}) ? 32 : 1;
}

int64_t RtuLimit(uint32_t controller, int32_t index)
{
  if (controller == static_cast<uint32_t>(-1828861255)) return In(index, {0, 1}) ? 16 : In(index, {2, 3, 6}) ? 12 : In(index, {4, 5}) ? 6 : 1;
  if (controller == static_cast<uint32_t>(-821410964)) return In(index, {3, 6}) ? 2 : 1;
  if (controller == static_cast<uint32_t>(-408378398)) return In(index, {0, 1}) ? 16 : In(index, {2, 3, 6}) ? 3 : 1;
  return In(index, {0, 1}) ? 256 : In(index, {2, 3, 6, 7}) ? 64 : In(index, {4, 5}) ? 32 : 1;
}

// Address of the area-mapped variant: the rule Index picks the area.
int64_t AreaAddress(int32_t index, int64_t a)
{
  switch (index) {
    case 0: return a + 1024;
    case 1: return a + 1280;
    case 2: return a < 1536 ? a + 2048 : a - 1536 + 45056;
    case 3: return a;
    case 4:
    case 6: return a + 1536;
    case 5:
    case 7:
    case 8: return a + 3584;
    case 9: return a < 4096 ? a + 4096 : a - 4096 + 36864;
    default: return -1;
  }
}

}  // namespace

void ModbusAsciiRead(ReadOut& out, const std::vector<TZmRegItem>& regs)
{
  uint32_t controller = out.ControllerUID();
  for (const Run& run : Runs(regs, [&](int32_t i) { return AsciiLimit(controller, i); })) {
    switch (run.Index) {
      case 0: AsciiRequest(out, run, 1, run.A - 1, run.L, 0x16); break;
      case 1: AsciiRequest(out, run, 2, run.A - 1, run.L, 0x16); break;
      case 2: AsciiRequest(out, run, 4, run.A - 1, run.L, 0x40); break;
      case 3:
      case 6: AsciiRequest(out, run, 3, run.A - 1, run.L, 0x40); break;
      case 4: AsciiRequest(out, run, 4, run.A - 1, 2 * run.L, 0x80); break;
      case 5: AsciiRequest(out, run, 3, run.A - 1, 2 * run.L, 0x80); break;
      default: out.NoArea(run); break;
    }
  }
}

bool ModbusAsciiWrite(uint32_t, const TZmWriteTarget& t, TZmWriteFrame& out)
{
  uint32_t station = StationOf(t);
  int64_t a = t.ProtocolAddress - 1;
  int64_t n = CountOf(t);
  int32_t index = IndexOf(t);
  Text head;
  size_t values = 0;
  std::vector<uint32_t> map;
  if (index == 0 && n == 1) {
    head.Put(":%02X05%04X", {station, a});
    values = 4;
    map = {0x17000009};
  } else if (index == 0) {
    int64_t groups = (n + 15) / 16;
    head.Put(":%02X0F%04X%04X%02X", {station, a, n, 2 * groups});
    values = static_cast<size_t>(4 * groups);
    map = {CountWord(n), 0x1900000F};
  } else if (index == 3 && n == 1) {
    head.Put(":%02X06%04X", {station, a});
    values = 4;
    map = {0x40000009};
  } else if (index == 3 || index == 6) {
    head.Put(":%02X10%04X%04X%02X", {station, a, n, 2 * n});
    values = static_cast<size_t>(4 * n);
    map = {CountWord(n), 0x4000000F};
  } else if (index == 5) {
    head.Put(":%02X10%04X%04X%02X", {station, a, 2 * n, 4 * n});
    values = static_cast<size_t>(8 * n);
    map = {CountWord(n), 0x8000000F};
  } else {
    return true;  // no frame for read-only or unknown areas
  }
  if (!head.Ok()) {
    RefuseWrite(t, out, head.Fault);
    return true;
  }
  AsciiWriteFrame(head, values, std::move(map), out);
  return true;
}

void ModbusRtuRead(ReadOut& out, const std::vector<TZmRegItem>& regs)
{
  uint32_t controller = out.ControllerUID();
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
      default: out.NoArea(run); continue;
    }
    // Controllers that count in other units than the rule's registers scale
    // the start address by the rule's Mula.
    const TZmRegRule* r = run.Last;
    int64_t address = (run.A - r->Offset - r->Min) * (r->Mula > 0 ? r->Mula : 1) + r->Offset + r->Min - 1;
    if (address < 0 || address > 0xFFFF) {
      out.Refuse(run, {TZmFrameFault::DoesNotFit, 0, address, 4, nullptr, 0});
      continue;
    }
    if (quantity > 0xFFFF) {
      out.Refuse(run, {TZmFrameFault::DoesNotFit, 0, quantity, 4, nullptr, 0});
      continue;
    }
    std::vector<uint8_t> frame = {static_cast<uint8_t>(out.StationNum()), function, static_cast<uint8_t>(address >> 8),
                                  static_cast<uint8_t>(address), static_cast<uint8_t>(quantity >> 8),
                                  static_cast<uint8_t>(quantity)};
    uint16_t crc = Crc16(frame);
    frame.push_back(static_cast<uint8_t>(crc));
    frame.push_back(static_cast<uint8_t>(crc >> 8));
    out.Emit(std::move(frame), {3, CountWord(run.L), Dest(tag, run.R)});
  }
}

bool ModbusRtuWrite(uint32_t, const TZmWriteTarget& t, TZmWriteFrame& out)
{
  uint8_t station = static_cast<uint8_t>(StationOf(t));
  int64_t a = t.ProtocolAddress - 1;
  int64_t n = CountOf(t);
  int32_t index = IndexOf(t);
  if (a < 0 || a > 0xFFFF) {
    if (In(index, {0, 3, 5, 6, 7})) RefuseWrite(t, out, {TZmFrameFault::DoesNotFit, 0, a, 4, nullptr, 0});
    return true;
  }
  uint8_t ah = static_cast<uint8_t>(a >> 8), al = static_cast<uint8_t>(a);
  auto checksum = [&] {
    uint32_t end = static_cast<uint32_t>(out.Frame.size());
    out.Frame.push_back(0);
    out.Frame.push_back(0);
    out.Map.insert(out.Map.end(), {SumWord(checkCrc16), 0, end, Place(0x42, end)});
  };
  if (index == 0 && n == 1) {
    out.Frame = {station, 0x05, ah, al, 0, 0};
    out.Map = {0x1A000004};
    checksum();
  } else if (index == 0) {
    uint8_t bytes = static_cast<uint8_t>((n + 7) / 8);
    out.Frame = {station, 0x0F, ah, al, static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n), bytes};
    out.Frame.insert(out.Frame.end(), bytes, 0);
    out.Map = {CountWord(n), 0x14000007};
    checksum();
  } else if (index == 3 && n == 1) {
    out.Frame = {station, 0x06, ah, al, 0, 0};
    out.Map = {0x42000004};
    checksum();
  } else if (In(index, {3, 5, 6, 7})) {
    // 32-bit values take two registers each.
    bool wide = index == 5 || index == 7;
    int64_t words = wide ? 2 * n : n;
    uint32_t tag = index == 5 ? 0x82 : index == 7 ? 0x87 : 0x42;
    out.Frame = {station, 0x10, ah, al, static_cast<uint8_t>(words >> 8), static_cast<uint8_t>(words),
                 static_cast<uint8_t>(2 * words)};
    out.Frame.insert(out.Frame.end(), static_cast<size_t>(2 * words), 0);
    if (n > 1) out.Map.push_back(CountWord(n));
    out.Map.push_back(Place(tag, 7));
    checksum();
  }
  return true;  // read-only areas leave the frame empty
}

void AreaAsciiRead(ReadOut& out, const std::vector<TZmRegItem>& regs)
{
  auto limit = [](int32_t i) -> int64_t { return i >= 0 && i <= 5 ? 256 : In(i, {6, 7, 9}) ? 16 : i == 8 ? 8 : 1; };
  for (const Run& run : Runs(regs, limit)) {
    if (run.Index < 0 || run.Index > 9) {
      out.NoArea(run);
      continue;
    }
    uint32_t function = run.Index <= 5 ? 2 : 3;
    uint32_t tag = run.Index <= 5 ? 0x16 : run.Index == 8 ? 0x80 : 0x40;
    AsciiRequest(out, run, function, AreaAddress(run.Index, run.A), run.L, tag);
  }
}

bool AreaAsciiWrite(uint32_t, const TZmWriteTarget& t, TZmWriteFrame& out)
{
  uint32_t station = StationOf(t);
  int64_t n = CountOf(t);
  int32_t index = IndexOf(t);
  if (index < 1 || index > 9 || (index == 8 && n > 1)) return true;  // not writable
  int64_t e = AreaAddress(index, t.ProtocolAddress) & 0xFFFF;
  Text head;
  if (n == 1) {
    // One coil or register: the template holds blanks where the panel puts
    // the value and the LRC. The LRC covers every character after ":" up to
    // the value's last one.
    int64_t values = index == 8 ? 8 : 4;
    uint32_t tag = index <= 5 ? 0x17 : index == 8 ? 0x80 : 0x40;
    if (!head.Put(index <= 5 ? ":%02X05%04X" : ":%02X06%04X", {station, e})) {
      RefuseWrite(t, out, head.Fault);
      return true;
    }
    head.Fill(static_cast<size_t>(values + 2), ' ');
    head.Raw("\r\n");
    uint32_t end = static_cast<uint32_t>(9 + values);
    out.Frame = head.Bytes();
    out.Map = {Place(tag, 9), SumWord(checkLrcHex), 1, end, Place(0x20, end)};
    return true;
  }
  size_t values;
  std::vector<uint32_t> map;
  if (index <= 5) {
    int64_t b = (n + 7) / 8;
    head.Put(":%02X0F%04X%04X%02X", {station, e, n, b});
    values = static_cast<size_t>(2 * b);
    map = {CountWord(n), 0x1600000F};
  } else {
    head.Put(":%02X10%04X%04X%02X", {station, e, n, 2 * n});
    values = static_cast<size_t>(4 * n);
    map = {CountWord(n), 0x4000000F};
  }
  if (!head.Ok()) {
    RefuseWrite(t, out, head.Fault);
    return true;
  }
  AsciiWriteFrame(head, values, std::move(map), out);
  return true;
}

}  // namespace frames
