// The binary families: with header byte 163, with header bytes 90, 23, with
// header bytes 75, 33, and with area codes. Addresses, counts and values
// are raw bytes; each frame ends in a one-byte checksum.
#include "base/Checksum.h"
#include "devices/FrameCommon.h"

namespace frames {
namespace {

uint8_t B(int64_t v, int shift = 0) { return static_cast<uint8_t>(v >> shift); }

// A number that must fit `bytes` bytes of a binary field; the fault counts hexadecimal digits.
bool Fits(int64_t v, int bytes, TZmFrameFault& fault)
{
  if (v >= 0 && v < (int64_t(1) << (8 * bytes))) return true;
  fault = {TZmFrameFault::DoesNotFit, 0, v, 2 * bytes, nullptr, 0};
  return false;
}

bool NoWrite(const TZmWriteTarget& t, TZmWriteFrame& out)
{
  RefuseWrite(t, out, {TZmFrameFault::NoWrite, 0, 0, 0, nullptr, 0});
  return false;
}

bool Refused(const TZmWriteTarget& t, TZmWriteFrame& out, const TZmFrameFault& f)
{
  RefuseWrite(t, out, f);
  return true;
}

// ---- Header byte 163: a device address from a base by rule Index.

struct Area163 {
  int64_t Base;
  bool Bits;
  int64_t Sub;  // subtracted from A before the offset
};

const Area163* Area163Of(int32_t index)
{
  static const Area163 areas[] = {
      {0x8001, true, 0},  {0x8200, true, 0}, {0x8600, true, 0}, {0x8400, true, 0},  {0x8740, true, 9000},
      {0x8400, true, 0},  {0x8700, true, 0}, {0x9800, true, 0}, {0x9800, true, 0},  {0x9A00, true, 0},
      {0x9A00, true, 0},  {0x8000, true, 0}, {0x9800, false, 0}, {0x9A00, false, 0}, {0x8800, false, 0},
      {0xE350, false, 9000}, {0x20000, false, 0}, {0x9000, false, 0},
  };
  return index >= 0 && index < 18 ? &areas[index] : nullptr;
}

// Bit areas hold each byte of bits in a 16-bit cell, words one per cell.
int64_t Address163(const Area163& a, int64_t address)
{
  return a.Bits ? a.Base + (address - a.Sub) / 8 * 2 : a.Base + (address - a.Sub) * 2;
}

void Sum163(std::vector<uint8_t>& f)
{
  f.push_back(static_cast<uint8_t>(Checksum(checkSum8, std::span<const uint8_t>(f).subspan(1))));
}

// ---- Header bytes 75, 33: word areas of bits by base.

int64_t Base7533(int32_t index)
{
  static const int64_t bases[] = {0xE000, 0xE800, 0xFC00, 0xFD00, 0xF800, 0xF000, 0x8000, 0xFE00, 0xD000, 0xC000};
  return index >= 1 && index <= 10 ? bases[index - 1] : -1;
}

// The exclusive-or of the bytes from position 1 on, after 0x17.
void Close7533(std::vector<uint8_t>& f)
{
  uint8_t x = static_cast<uint8_t>(Checksum(checkXor, std::span<const uint8_t>(f).subspan(1)));
  f.push_back(0x17);
  f.push_back(x);
}

// ---- Area codes: the area code and word address W of a rule Index.

struct AreaCode {
  int32_t Code;
  bool Bits;
  int64_t Sub;
};

const AreaCode* AreaCodeOf(int32_t index)
{
  static const AreaCode areas[] = {{3, true, 0}, {2, true, 0}, {0, true, 0}, {1, true, 9000}, {4, false, 0}, {5, false, 9000}};
  return index >= 0 && index < 6 ? &areas[index] : nullptr;
}

void SumAll(std::vector<uint8_t>& f) { f.push_back(static_cast<uint8_t>(Checksum(checkSum8, f))); }

}  // namespace

void Header163Read(ReadOut& out, const std::vector<TZmRegItem>& regs)
{
  auto limit = [](int32_t i) -> int64_t { return i >= 0 && i <= 11 ? 256 : i >= 12 && i <= 17 ? 64 : 1; };
  for (const Run& run : Runs(regs, limit)) {
    const Area163* a = Area163Of(run.Index);
    if (!a || run.A < a->Sub) {
      out.NoArea(run);
      continue;
    }
    int64_t d = Address163(*a, run.A);
    int64_t length = a->Bits ? run.L / 8 * 2 : 2 * run.L;
    TZmFrameFault fault;
    if (!Fits(d, 3, fault) || !Fits(length, 1, fault)) {
      out.Refuse(run, fault);
      continue;
    }
    std::vector<uint8_t> f = {163, 7, 0, 255, 2, B(d), B(d, 8), B(d, 16), B(length)};
    Sum163(f);
    out.Emit(std::move(f), {4, CountWord(a->Bits ? run.L / 8 : run.L), Dest(a->Bits ? 0x22 : 0x43, run.R)});
  }
}

bool Header163Write(uint32_t, const TZmWriteTarget& t, TZmWriteFrame& out)
{
  const Area163* a = Area163Of(IndexOf(t));
  int64_t address = t.ProtocolAddress, n = CountOf(t);
  if (!a || address < a->Sub) return NoWrite(t, out);
  int64_t d = Address163(*a, address);
  TZmFrameFault fault;
  if (!Fits(d, 3, fault)) return Refused(t, out, fault);
  if (a->Bits && n == 1) {
    // Bit value at 6; the mask at 10 selects the bit in its byte (complemented to clear).
    out.Frame = {163, 9, 0, 255, 6, 1, 0, B(d), B(d, 8), B(d, 16), 0, 0};
    out.Map = {0xF200000A, 1u << ((address - a->Sub) % 8), 0x18000006, SumWord(checkSum8), 1, 11, 0x2100000B};
    return true;
  }
  // Several bits go in whole words from a byte boundary.
  if (a->Bits && (n % 16 != 0 || (address - a->Sub) % 8 != 0)) return NoWrite(t, out);
  int64_t bytes = a->Bits ? n / 8 * 2 : 2 * n;
  if (!Fits(bytes, 1, fault)) return Refused(t, out, fault);
  out.Frame = {163, B(bytes + 7), 0, 255, 4, B(d), B(d, 8), B(d, 16), B(bytes)};
  out.Frame.insert(out.Frame.end(), static_cast<size_t>(bytes), 0);
  out.Frame.push_back(0);
  uint32_t end = static_cast<uint32_t>(bytes + 9);
  int64_t items = a->Bits ? n / 16 : n;
  if (items > 1) out.Map.push_back(CountWord(items));
  out.Map.insert(out.Map.end(), {a->Bits ? 0x45000009u : 0x43000009u, SumWord(checkSum8), 1, end, Place(0x21, end)});
  return true;
}

void Header9023Read(ReadOut& out, const std::vector<TZmRegItem>& regs)
{
  static const int32_t codes[] = {0, 1, 2, 4, 8};
  for (const Run& run : Runs(regs, [](int32_t) { return int64_t(32); })) {
    if (run.Index < 0 || run.Index > 4) continue;  // no other areas are read
    TZmFrameFault fault;
    if (!Fits(run.A, 3, fault) || !Fits(run.L, 2, fault) || !Fits(out.StationNum(), 2, fault)) {
      out.Refuse(run, fault);
      continue;
    }
    uint32_t st = out.StationNum();
    std::vector<uint8_t> f = {90, 23, 0, 255, 122, B(st), B(st, 8), 17, 0, 0, 0, 0, 0, 0, 0, 0, 1, 6, 0,
                              static_cast<uint8_t>(codes[run.Index]), B(run.A), B(run.A, 8), B(run.A, 16), B(run.L), B(run.L, 8)};
    f.push_back(static_cast<uint8_t>(Checksum(checkNegSum8, std::span<const uint8_t>(f).subspan(1))));
    out.Emit(std::move(f), {25, CountWord(run.L), Dest(0x43, run.R)});
  }
}

bool Header9023Write(uint32_t, const TZmWriteTarget& t, TZmWriteFrame& out)
{
  static const int32_t codes[] = {0, 1, 2, 4, 8};
  int32_t i = IndexOf(t);
  int64_t a = t.ProtocolAddress, n = CountOf(t);
  if (i < 0 || i > 4) return NoWrite(t, out);
  TZmFrameFault fault;
  uint32_t st = StationOf(t);
  if (!Fits(a, 3, fault) || !Fits(st, 2, fault) || !Fits(2 * n + 23, 2, fault)) return Refused(t, out, fault);
  out.Frame = {90, B(2 * n + 23), B(2 * n + 23, 8), 255, 122, B(st), B(st, 8), 17, 0, 0, 0, 0, 0, 1, 0, 0, 1, B(2 * n + 6),
               B(2 * n + 6, 8), static_cast<uint8_t>(codes[i]), B(a), B(a, 8), B(a, 16), B(n), B(n, 8)};
  out.Frame.insert(out.Frame.end(), static_cast<size_t>(2 * n), 0);
  out.Frame.push_back(0);
  uint32_t end = static_cast<uint32_t>(2 * n + 25);
  if (n > 1) out.Map.push_back(CountWord(n));
  out.Map.insert(out.Map.end(), {0x43000019, SumWord(checkNegSum8), 1, end, Place(0x21, end)});
  return true;
}

void Header7533Read(ReadOut& out, const std::vector<TZmRegItem>& regs)
{
  auto limit = [](int32_t i) -> int64_t { return i == 0 ? 128 : i >= 1 && i <= 10 ? 256 : 1; };
  for (const Run& run : Runs(regs, limit)) {
    int64_t d, c;
    if (run.Index == 0) {
      d = run.A;
      c = run.L;
    } else if (int64_t base = Base7533(run.Index); base >= 0) {
      // Bit areas are read in whole words; the word address is the one the
      // several-bit write uses, the base plus A / 16.
      if (run.L % 16 != 0 || run.A % 16 != 0) continue;
      d = base + run.A / 16;
      c = run.L / 16;
    } else {
      out.NoArea(run);
      continue;
    }
    TZmFrameFault fault;
    if (!Fits(d, 2, fault) || !Fits(out.StationNum(), 1, fault)) {
      out.Refuse(run, fault);
      continue;
    }
    out.Emit({75, 33, 5}, {});  // opens the exchange
    std::vector<uint8_t> f = {B(out.StationNum()), 0x40, 0x01, B(d, 8), B(d), B(c)};
    Close7533(f);
    out.Emit(std::move(f), {7, CountWord(c), Dest(0x43, run.R)});
  }
}

bool Header7533Write(uint32_t, const TZmWriteTarget& t, TZmWriteFrame& out)
{
  int32_t i = IndexOf(t);
  int64_t a = t.ProtocolAddress, n = CountOf(t);
  uint8_t st = B(StationOf(t));
  TZmFrameFault fault;
  if (!Fits(StationOf(t), 1, fault)) return Refused(t, out, fault);
  int64_t base = Base7533(i);
  if (i != 0 && base < 0) return NoWrite(t, out);
  int64_t d, words;
  if (i != 0 && n == 1) {
    // One bit: the command at position 1 sets or clears it.
    int64_t e = a + base;
    if (!Fits(e, 2, fault)) return Refused(t, out, fault);
    out.Frame = {st, 0x00, 0x01, B(e, 8), B(e)};
    Close7533(out.Frame);
    out.Map = {0x1D000001, SumWord(checkXor), 1, 5, 0x21000006};
    return true;
  }
  if (i == 0) {
    d = a;
    words = n;
  } else {
    if (a % 16 != 0 || n % 16 != 0) return NoWrite(t, out);
    d = a / 16 + base;
    words = n / 16;
  }
  if (!Fits(d, 2, fault) || !Fits(words, 1, fault)) return Refused(t, out, fault);
  out.Frame = {st, 0x46, 0x01, B(d, 8), B(d), B(words)};
  out.Frame.insert(out.Frame.end(), static_cast<size_t>(2 * words), 0);
  out.Frame.push_back(0x17);
  out.Frame.push_back(0);
  uint32_t end = static_cast<uint32_t>(2 * words + 6);
  if (words > 1) out.Map.push_back(CountWord(words));
  out.Map.insert(out.Map.end(), {0x43000006, SumWord(checkXor), 1, end, Place(0x21, end + 1)});
  return true;
}

void AreaCodeRead(ReadOut& out, const std::vector<TZmRegItem>& regs)
{
  auto limit = [](int32_t i) -> int64_t { return i >= 0 && i <= 3 ? 16 : 1; };
  for (const Run& run : Runs(regs, limit)) {
    const AreaCode* a = AreaCodeOf(run.Index);
    if (!a || run.A < a->Sub) {
      out.NoArea(run);
      continue;
    }
    // One 16-bit word per request: sixteen bits, or one word register.
    if (a->Bits ? run.L != 16 : run.L != 1) continue;
    int64_t w = a->Bits ? (run.A - a->Sub) / 8 : run.A - a->Sub;
    TZmFrameFault fault;
    if (!Fits(w, 2, fault)) {
      out.Refuse(run, fault);
      continue;
    }
    std::vector<uint8_t> f = {204, 0, 17, static_cast<uint8_t>(a->Code), B(w), B(w, 8), 1, 0, 51};
    SumAll(f);
    out.Emit(std::move(f), {3, Dest(0x43, run.R)});
  }
}

bool AreaCodeWrite(uint32_t, const TZmWriteTarget& t, TZmWriteFrame& out)
{
  int32_t i = IndexOf(t);
  const AreaCode* a = AreaCodeOf(i);
  int64_t address = t.ProtocolAddress - (a ? a->Sub : 0), n = CountOf(t);
  if (!a || i == 0 || address < 0) return NoWrite(t, out);  // the inputs are read-only
  TZmFrameFault fault;
  uint8_t code = static_cast<uint8_t>(a->Code);
  if (a->Bits && n == 1) {
    if (!Fits(address, 2, fault)) return Refused(t, out, fault);
    out.Frame = {204, 0, 0, code, B(address), B(address, 8), 51, 0};
    out.Map = {0x1C000002, SumWord(checkSum8), 0, 7, 0x21000007};
    return true;
  }
  int64_t w, words;
  if (a->Bits) {
    if ((n != 16 && n != 32) || address % 8 != 0) return NoWrite(t, out);
    w = address / 8;
    words = n / 16;
  } else {
    w = address;
    words = n;
  }
  if (!Fits(w, 2, fault) || !Fits(words, 1, fault)) return Refused(t, out, fault);
  out.Frame = {204, 0, 18, code, B(w), B(w, 8), B(words), 0};
  out.Frame.insert(out.Frame.end(), static_cast<size_t>(2 * words), 0);
  out.Frame.push_back(51);
  out.Frame.push_back(0);
  uint32_t end = static_cast<uint32_t>(2 * words + 9);
  if (a->Bits || words > 1) out.Map.push_back(CountWord(words));
  out.Map.insert(out.Map.end(), {0x43000008, SumWord(checkSum8), 0, end, Place(0x21, end)});
  return true;
}

}  // namespace frames
