// The STX command family with letter areas: STX, station and command as
// hexadecimal digits, the area named by letters with a decimal address, the
// 8-bit sum of every byte before it (STX included) as two digits, ETX.
#include "base/Checksum.h"
#include "devices/FrameCommon.h"

namespace frames {
namespace {

char BitLetter(int32_t index) { return "XYTCMS"[index]; }

// The word areas: area text with its address field, characters per value.
struct WordArea {
  const char* Field;
  int64_t Chars;
};
const WordArea* WordAreaOf(int32_t index)
{
  static const WordArea areas[] = {{"R%05d", 4}, {"D%05d", 4}, {"RT%04d", 4}, {"RC%04d", 4}, {"DRC%04d", 8}, {"F%05d", 4}};
  return index >= 6 && index <= 11 ? &areas[index - 6] : nullptr;
}

std::string Sum(const std::string& s) { return HexPair(Checksum(checkSum8, s)); }

}  // namespace

void StxLetterRead(ReadOut& out, const std::vector<TZmRegItem>& regs)
{
  auto limit = [](int32_t i) -> int64_t { return i >= 0 && i <= 5 ? 256 : i == 10 ? 32 : i >= 6 && i <= 11 ? 64 : 1; };
  for (const Run& run : Runs(regs, limit)) {
    Text t;
    int64_t replyLength;
    uint32_t tag;
    if (run.Index >= 0 && run.Index <= 5) {
      t.Put("\x02" "%02X44%02X%c%04d", {out.StationNum(), run.L & 0xFF, BitLetter(run.Index), run.A});
      replyLength = run.L + 9;
      tag = 0x10;
    } else if (const WordArea* w = WordAreaOf(run.Index)) {
      t.Put(std::string("\x02" "%02X46%02X") + w->Field, {out.StationNum(), run.L, run.A});
      replyLength = w->Chars * run.L + 9;
      tag = w->Chars == 8 ? 0x80 : 0x40;
    } else if (run.Index == 12) {
      t.Put("\x02" "%02X40", {out.StationNum()});  // the controller's state
      replyLength = 15;
      tag = 0x16;
    } else {
      out.NoArea(run);
      continue;
    }
    if (!t.Ok()) {
      out.Refuse(run, t.Fault);
      continue;
    }
    t.Raw(Sum(t.S) + "\x03");
    // The reply must have exactly the length the request asks for.
    out.Emit(t.Bytes(), {6 + (static_cast<uint32_t>(replyLength) << 16), CountWord(run.L), Dest(tag, run.R)});
  }
}

bool StxLetterWrite(uint32_t, const TZmWriteTarget& t, TZmWriteFrame& out)
{
  uint32_t station = StationOf(t);
  int32_t i = IndexOf(t);
  int64_t a = t.ProtocolAddress, n = CountOf(t);
  Text f;
  if (i >= 0 && i <= 5 && n == 1) {
    // The blank at position 5 becomes the set or reset command.
    if (!f.Put("\x02" "%02X42 %c%04d ", {station, BitLetter(i), a})) return RefuseWrite(t, out, f.Fault), true;
    f.Raw("0\x03");
    out.Frame = f.Bytes();
    out.Map = {0x15000005, SumWord(checkSum8), 0, 11, 0x2000000B};
    return true;
  }
  if (i == 12) {
    if (n != 1) return true;  // one run or stop command at a time
    f.Put("\x02" "%02X41", {station});
    f.Raw("0" "00\x03");
    out.Frame = f.Bytes();
    out.Map = {0x10000005, SumWord(checkSum8), 0, 6, 0x20000006};
    return true;
  }
  int64_t values;
  uint32_t tag;
  std::vector<uint32_t> map;
  if (i >= 0 && i <= 5) {
    f.Put("\x02" "%02X45%02X%c%04d", {station, n, BitLetter(i), a});
    values = n;
    tag = 0x10;
    map.push_back(CountWord(n));
  } else if (const WordArea* w = WordAreaOf(i)) {
    f.Put(std::string("\x02" "%02X47%02X") + w->Field, {station, n, a});
    values = w->Chars * n;
    tag = w->Chars == 8 ? 0x80 : 0x40;
    if (n > 1) map.push_back(CountWord(n));
  } else {
    return true;  // no frame for other areas
  }
  if (!f.Ok()) return RefuseWrite(t, out, f.Fault), true;
  uint32_t at = static_cast<uint32_t>(f.Size());
  uint32_t end = at + static_cast<uint32_t>(values);
  f.Fill(static_cast<size_t>(values), '0');
  f.Raw("00\x03");
  out.Frame = f.Bytes();
  out.Map = std::move(map);
  out.Map.insert(out.Map.end(), {Place(tag, at), SumWord(checkSum8), 0, end, Place(0x20, end)});
  return true;
}

}  // namespace frames
