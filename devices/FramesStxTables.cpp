// The STX families whose rule Index picks a device area from a table: with
// hexadecimal addresses, with E commands, with station and command numbers,
// and with M commands. One implementation; the families differ in their
// area tables and in the shape of their frames.
#include <array>

#include "base/Checksum.h"
#include "devices/FrameCommon.h"
#include "devices/Protocols.h"

namespace frames {
namespace {

constexpr uint32_t kHex = 1107794329, kE1 = static_cast<uint32_t>(-2144545500), kE2 = static_cast<uint32_t>(-746424602),
                   kStation = 400014861, kM = static_cast<uint32_t>(-623554634);

enum class Unit { None, Bits, Words, DWords };

// A device area: bits are addressed by byte, (A - Sub) / 8 + Base; words by
// 2 (A - Sub) + Base, double words by 4 (A - Sub) + Base.
struct Area {
  Unit U = Unit::None;
  int64_t Sub = 0;
  int64_t Base = 0;
  int64_t BitWrite = -1;  // bits: the bit address of bit 0 for single-bit writes; -1 not writable
  bool Writable = false;  // words and double words
};

enum class Shape { Hex, ECommand, Station, MCommand };

struct Scheme {
  Shape S;
  std::vector<Area> Areas;  // by rule Index
  int64_t BitLimit;
  bool SeveralBits;  // several bits at once, byte-aligned
};

Area B(int64_t sub, int64_t base, int64_t bitWrite) { return {Unit::Bits, sub, base, bitWrite, false}; }
Area W(int64_t sub, int64_t base, bool writable) { return {Unit::Words, sub, base, -1, writable}; }
Area D(int64_t sub, int64_t base, bool writable) { return {Unit::DWords, sub, base, -1, writable}; }

const Scheme& SchemeOf(uint32_t uid)
{
  static const Scheme hex{Shape::Hex,
                          {B(0, 128, 1024), B(0, 160, 1280), B(0, 256, 2048), B(8000, 480, 3840), B(0, 0, 0),
                           B(0, 192, 1536), B(0, 448, 3584), W(0, 2048, true), W(0, 2560, true), W(0, 4096, true),
                           D(200, 3072, true), W(8000, 3584, false)},
                          128, false};
  static const Scheme e{Shape::ECommand,
                        {B(0, 576, -1), B(0, 384, 3072), B(0, 0, 0), B(8000, 448, 3584), B(0, 640, 5120),
                         B(0, 512, 4096), B(0, 480, 3840), W(0, 4096, true), W(0, 2560, true), D(200, 3072, true),
                         W(0, 16384, true), W(8000, 3584, true)},
                        128, false};
  static const Scheme station{Shape::Station,
                              {B(0, 0, 0), B(0, 64, 512), B(0, 128, 1024), B(9000, 992, 7936), B(0, 768, 6144),
                               B(0, 896, 7168), B(0, 928, 7424), B(0, 1920, 15360), B(0, 1952, 15616),
                               W(0, 5120, true), W(0, 6144, true), D(200, 6656, true), W(0, 7168, true),
                               W(9000, 5632, true)},
                              128, true};
  // Every area of this family is delivered in 16-bit words.
  static const Scheme m{Shape::MCommand,
                        {B(0, 23552, 0), B(0, 23808, 0), B(0, 24576, 0), B(0, 24320, 0), B(0, 25344, 0),
                         B(0, 24832, 0), B(0, 25088, 0), W(0, 20480, true), W(0, 20992, true), W(0, 0, true)},
                        256, true};
  switch (uid) {
    case kHex: return hex;
    case kE1:
    case kE2: return e;
    case kStation: return station;
    default: return m;
  }
}

const Area* AreaOf(const Scheme& s, int32_t index)
{
  return index >= 0 && static_cast<size_t>(index) < s.Areas.size() ? &s.Areas[static_cast<size_t>(index)] : nullptr;
}

int64_t DeviceAddress(const Area& a, int64_t address)
{
  switch (a.U) {
    case Unit::Bits: return (address - a.Sub) / 8 + a.Base;
    case Unit::Words: return 2 * (address - a.Sub) + a.Base;
    case Unit::DWords: return 4 * (address - a.Sub) + a.Base;
    default: return -1;
  }
}

int64_t RunLimit(const Scheme& s, int32_t index)
{
  const Area* a = AreaOf(s, index);
  if (!a) return 1;
  return a->U == Unit::Bits ? s.BitLimit : a->U == Unit::Words ? 16 : 8;
}

std::string Sum(const std::string& frame) { return HexPair(Checksum(checkSum8, frame.substr(1))); }

}  // namespace

void StxTableRead(ReadOut& out, const std::vector<TZmRegItem>& regs)
{
  const Scheme& s = SchemeOf(out.Protocol.UID);
  for (const Run& run : Runs(regs, [&](int32_t i) { return RunLimit(s, i); })) {
    const Area* a = AreaOf(s, run.Index);
    if (!a || run.A < a->Sub) {  // below an area that starts at Sub
      out.NoArea(run);
      continue;
    }
    bool bits = a->U == Unit::Bits;
    int64_t d = DeviceAddress(*a, run.A);
    int64_t n = bits ? run.L / 8 : a->U == Unit::Words ? 2 * run.L : 4 * run.L;
    int64_t items = bits ? run.L / 8 : run.L;
    uint32_t tag = bits ? 0x20 : a->U == Unit::Words ? 0x41 : 0x81;
    Text t;
    uint32_t start = 1;
    switch (s.S) {
      case Shape::Hex:
      case Shape::ECommand:
        t.Put(s.S == Shape::Hex ? "\x02" "0%04X%02X" "\x03" : "\x02" "E00%04X%02X" "\x03", {d & 0xFFFF, n});
        break;
      case Shape::Station:
        t.Put("\x02" "%02X51%04X%02X" "\x03", {out.StationNum(), d, n & 0xFF});
        start = 7;
        if (bits) items &= 0xFF;
        break;
      case Shape::MCommand:
        if (d < 0 || d > 0xFFFF) t.Fault = {TZmFrameFault::DoesNotFit, 0, d, 4, nullptr, 0};
        else t.Put("\x02" "rM%02X%02X00%02X", {d & 0xFF, d >> 8, n});
        start = 2;
        tag = 0x41;
        items = n / 2;
        break;
    }
    if (!t.Ok()) {
      out.Refuse(run, t.Fault);
      continue;
    }
    // The sum of everything after STX; the M family closes with ETX after it.
    t.Raw(Sum(t.S) + (s.S == Shape::MCommand ? "\x03" : ""));
    std::vector<uint32_t> map = {start};
    if (s.S != Shape::MCommand || n >= 3) map.push_back(CountWord(items));
    map.push_back(Dest(tag, run.R));
    out.Emit(t.Bytes(), std::move(map));
  }
}

bool StxTableWrite(uint32_t uid, const TZmWriteTarget& t, TZmWriteFrame& out)
{
  const Scheme& s = SchemeOf(uid);
  const Area* a = AreaOf(s, IndexOf(t));
  int64_t n = CountOf(t);
  int64_t address = t.ProtocolAddress;
  if (!a) return true;
  if (address < a->Sub) return RefuseWrite(t, out, {TZmFrameFault::NoArea, 0, 0, 0, nullptr, 0}), true;
  bool bits = a->U == Unit::Bits;
  Text f;
  if (bits && n == 1) {
    if (a->BitWrite < 0) return true;
    int64_t e = address - a->Sub + a->BitWrite;
    int64_t swapped = ((e & 0xFF) << 8) | ((e >> 8) & 0xFF);  // low byte first
    switch (s.S) {
      case Shape::Hex:
        f.Put("\x02" "8%04X" "\x03" "00", {e < 0 || e > 0xFFFF ? e : swapped});
        out.Map = {0x12000001, SumWord(checkSum8), 1, 7, 0x20000007};
        break;
      case Shape::ECommand:
        f.Put("\x02" "E7%04X" "\x03" "00", {e < 0 || e > 0xFFFF ? e : swapped});
        out.Map = {0x12000002, SumWord(checkSum8), 1, 8, 0x20000008};
        break;
      case Shape::Station:
        f.Put("\x02" "%02X70%04X" "\x03" "00", {StationOf(t), e});
        out.Map = {0x13000004, SumWord(checkSum8), 1, 10, 0x2000000A};
        break;
      case Shape::MCommand: {
        // The mask selects the bit in the 16-bit word that holds it, so the
        // address is that word's, not the byte's.
        int64_t d = (address - a->Sub) / 16 * 2 + a->Base;
        int64_t mask = int64_t(1) << (address % 16);
        if (d < 0 || d > 0xFFFF) f.Fault = {TZmFrameFault::DoesNotFit, 0, d, 4, nullptr, 0};
        else f.Put("\x02" "oM%02X%02X00%02X%02X  " "\x03", {d & 0xFF, d >> 8, mask & 0xFF, mask >> 8});
        out.Map = {0x91000001, 0x92000009, SumWord(checkSum8), 1, 13, 0x2000000D};
        break;
      }
    }
    if (!f.Ok()) RefuseWrite(t, out, f.Fault);
    else out.Frame = f.Bytes();
    return true;
  }
  // Several bits go as whole 16-bit words from a byte boundary.
  if (bits && (!s.SeveralBits || n % 16 != 0 || address % 8 != 0)) return true;
  if (!bits && !a->Writable) return true;
  int64_t d = DeviceAddress(*a, address);
  int64_t field = bits ? n / 8 : a->U == Unit::Words ? 2 * n : 4 * n;
  int64_t values = bits ? n / 4 : a->U == Unit::Words ? 4 * n : 8 * n;
  uint32_t tag = a->U == Unit::DWords ? 0x81 : 0x41;
  size_t at = 0;
  switch (s.S) {
    case Shape::Hex: f.Put("\x02" "1%04X%02X", {d & 0xFFFF, field}); at = 8; break;
    case Shape::ECommand: f.Put("\x02" "E10%04X%02X", {d & 0xFFFF, field}); at = 10; break;
    case Shape::Station: f.Put("\x02" "%02X61%04X%02X", {StationOf(t), d, field}); at = 11; break;
    case Shape::MCommand:
      if (d < 0 || d > 0xFFFF) f.Fault = {TZmFrameFault::DoesNotFit, 0, d, 4, nullptr, 0};
      else f.Put("\x02" "wM%02X%02X00%02X", {d & 0xFF, d >> 8, field});
      at = 11;
      break;
  }
  if (!f.Ok()) {
    RefuseWrite(t, out, f.Fault);
    return true;
  }
  f.Fill(static_cast<size_t>(values), '0');
  // The sum follows ETX, except in the M family, where ETX ends the frame.
  uint32_t end = static_cast<uint32_t>(at + values + (s.S == Shape::MCommand ? 0 : 1));
  f.Raw(s.S == Shape::MCommand ? "00\x03" : "\x03" "00");
  int64_t items = bits ? n / 16 : n;
  bool counted = bits ? (s.S == Shape::MCommand ? n > 16 : n > 1) : n > 1;
  out.Frame = f.Bytes();
  out.Map.clear();
  if (counted) out.Map.push_back(CountWord(items));
  out.Map.insert(out.Map.end(), {Place(tag, static_cast<int64_t>(at)), SumWord(checkSum8), 1, end, Place(0x20, end)});
  return true;
}

}  // namespace frames
