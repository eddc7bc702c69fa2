// The at-sign command family: "@" station, a command, decimal numbers, an
// exclusive-or block check from the "@" on as two hexadecimal digits, "*" CR.
#include "base/Checksum.h"
#include "devices/FrameCommon.h"

namespace frames {
namespace {

constexpr const char* kFinsRead = "@%02XFA08000020000000000000F0101B1%04d00%04d";
constexpr const char* kFinsWrite = "@%02XFA08000020000000000000F0102B1%04d00%04d";

char Letter(int32_t index) { return "RHJLCDGRHJL"[index]; }

// Name of a word area in a forced-set frame.
const char* BitAreaName(int32_t index)
{
  switch (index) {
    case 7: return "CIO ";
    case 8: return "HR  ";
    case 9: return "AR  ";
    case 10: return "LR  ";
    default: return "WR  ";
  }
}

int64_t RunLimit(int32_t index) { return (index >= 0 && index <= 6) || index == 11 ? 8 : (index >= 7 && index <= 10) || index == 12 ? 128 : 1; }

}  // namespace

void AtSignRead(ReadOut& out, const std::vector<TZmRegItem>& regs)
{
  for (const Run& run : Runs(regs, RunLimit)) {
    int32_t i = run.Index;
    if (i < 0 || i > 12) {
      out.NoArea(run);
      continue;
    }
    bool words = (i >= 7 && i <= 10) || i == 12;  // bit areas read in whole words
    if (words && (run.A % 16 != 0 || run.L % 16 != 0)) continue;
    int64_t a = words ? run.A / 16 : run.A, l = words ? run.L / 16 : run.L;
    Text t;
    if (i <= 10) t.Put("@%02XR%c%04d%04d", {out.StationNum(), Letter(i), a, l});
    else t.Put(kFinsRead, {out.StationNum(), a, l});
    if (!t.Ok()) {
      out.Refuse(run, t.Fault);
      continue;
    }
    t.Raw(HexPair(Checksum(checkXor, t.S)) + "*\r");
    out.Emit(t.Bytes(), {i <= 10 ? 7u : 35u, CountWord(l), Dest(i == 6 ? 0x10 : 0x40, run.R)});
  }
}

bool AtSignWrite(uint32_t, const TZmWriteTarget& t, TZmWriteFrame& out)
{
  uint32_t station = StationOf(t);
  int32_t i = IndexOf(t);
  int64_t a = t.ProtocolAddress, n = CountOf(t);
  if (i < 0 || i > 12) return true;
  bool bitArea = (i >= 7 && i <= 10) || i == 12;
  Text f;
  if (bitArea && !(a % 16 == 0 && n % 16 == 0)) {
    if (n != 1) return true;  // several unaligned bits
    // One bit: forced set or reset.
    if (!f.Put("@%02XK %4s%04d%02d  *\r", {station, BitAreaName(i), a / 16, a % 16})) return RefuseWrite(t, out, f.Fault), true;
    out.Frame = f.Bytes();
    out.Map = {0x1B000004, SumWord(checkXor), 0, 15, 0x2000000F};
    return true;
  }
  int64_t items = bitArea ? n / 16 : n;
  int64_t first = bitArea ? a / 16 : a;
  int64_t values = i == 6 ? n : 4 * items;
  uint32_t tag = i == 6 ? 0x10 : 0x40;
  if (i <= 10) f.Put("@%02XW%c%04d", {station, Letter(i), first});
  else f.Put(kFinsWrite, {station, first, items});
  if (!f.Ok()) return RefuseWrite(t, out, f.Fault), true;
  uint32_t at = static_cast<uint32_t>(f.Size());
  uint32_t end = at + static_cast<uint32_t>(values);
  f.Fill(static_cast<size_t>(values), '0');
  f.Raw("00*\r");
  out.Frame = f.Bytes();
  out.Map.clear();
  if (items > 1) out.Map.push_back(CountWord(items));
  out.Map.insert(out.Map.end(), {Place(tag, at), SumWord(checkXor), 0, end, Place(0x20, end)});
  return true;
}

}  // namespace frames
