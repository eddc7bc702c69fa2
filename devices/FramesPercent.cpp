// The percent-sign command family: "%" station "#" command, numbers in
// decimal, an exclusive-or block check as two hexadecimal digits, CR.
#include "base/Checksum.h"
#include "devices/FrameCommon.h"

namespace frames {
namespace {

// Letters of the bit areas (Index 0 to 5), read and written in whole words.
char BitLetter(int32_t index) { return "XYRRTC"[index]; }

// Appends the block check of everything before it and CR.
void Close(Text& t) { t.Raw(HexPair(Checksum(checkXor, t.S)) + "\r"); }

}  // namespace

void PercentRead(ReadOut& out, const std::vector<TZmRegItem>& regs)
{
  auto limit = [](int32_t i) -> int64_t { return i >= 0 && i <= 5 ? 256 : i >= 6 && i <= 11 ? 16 : 1; };
  for (const Run& run : Runs(regs, limit)) {
    Text t;
    int64_t count = run.L;
    int64_t last = run.A + run.L - 1;
    if (run.Index >= 0 && run.Index <= 5) {
      if (run.A % 16 != 0 || run.L % 16 != 0) continue;  // bit areas are read in whole words
      t.Put(std::string("%%%02X#RCC") + BitLetter(run.Index) + "%04d%04d", {out.StationNum(), run.A / 16, last / 16});
      count = run.L / 16;
    } else {
      const char* tmpl = nullptr;
      switch (run.Index) {
        case 6:
        case 7: tmpl = "%%%02X#RDD%05d%05d"; break;
        case 8: tmpl = "%%%02X#RS%04d%04d"; break;
        case 9: tmpl = "%%%02X#RK%04d%04d"; break;
        case 10: tmpl = "%%%02X#RDL%05d%05d"; break;
        case 11: tmpl = "%%%02X#RDF%05d%05d"; break;
        default: out.NoArea(run); continue;
      }
      t.Put(tmpl, {out.StationNum(), run.A, last});
    }
    if (!t.Ok()) {
      out.Refuse(run, t.Fault);
      continue;
    }
    Close(t);
    out.Emit(t.Bytes(), {6, CountWord(count), Dest(0x41, run.R)});
  }
}

bool PercentWrite(uint32_t, const TZmWriteTarget& t, TZmWriteFrame& out)
{
  uint32_t station = StationOf(t);
  int32_t index = IndexOf(t);
  int64_t a = t.ProtocolAddress;
  int64_t n = CountOf(t);
  Text f;
  if (index >= 0 && index <= 5 && n == 1) {
    // One contact: the blank at position 12 receives the bit.
    if (index <= 3) f.Put(std::string("%%%02X#WCS") + BitLetter(index) + "%03d%X 00\r", {station, a / 16, a % 16});
    else f.Put(std::string("%%%02X#WCS") + BitLetter(index) + "%04d 00\r", {station, a});
    if (!f.Ok()) return RefuseWrite(t, out, f.Fault), true;
    out.Frame = f.Bytes();
    out.Map = {0x1000000C, SumWord(checkXor), 0, 13, 0x2000000D};
    return true;
  }
  size_t at;
  int64_t items, values;
  std::vector<uint32_t> map;
  if (index >= 0 && index <= 5) {
    // Several contacts only in whole words; the caller then writes nothing to the controller.
    if (a % 16 != 0 || n % 16 != 0) return false;
    items = n / 16;
    f.Put(std::string("%%%02X#WCC") + BitLetter(index) + "%04d%04d", {station, a / 16, (a + n - 1) / 16});
    at = 16;
    if (items > 1) map.push_back(CountWord(items));
  } else {
    const char* tmpl = nullptr;
    switch (index) {
      case 6:
      case 7: tmpl = "%%%02X#WDD%05d%05d"; break;
      case 8: tmpl = "%%%02X#WS%04d%04d"; break;
      case 9: tmpl = "%%%02X#WK%04d%04d"; break;
      case 10: tmpl = "%%%02X#WDL%05d%05d"; break;
      case 11: tmpl = "%%%02X#WDF%05d%05d"; break;
      default: return true;  // no frame for other areas
    }
    items = n;
    f.Put(tmpl, {station, a, a + n - 1});
    at = index == 8 || index == 9 ? 14 : 17;
    map.push_back(CountWord(items));
  }
  if (!f.Ok()) return RefuseWrite(t, out, f.Fault), true;
  values = 4 * items;
  uint32_t end = static_cast<uint32_t>(at + static_cast<size_t>(values));
  f.Fill(static_cast<size_t>(values), '0');
  f.Raw("00\r");
  out.Frame = f.Bytes();
  out.Map = std::move(map);
  out.Map.insert(out.Map.end(), {Place(0x41, static_cast<int64_t>(at)), SumWord(checkXor), 0, end, Place(0x20, end)});
  return true;
}

}  // namespace frames
