#include "Responders.h"

#include <string>

uint16_t TZmResponder::Word(int space, int64_t address) const
{
  auto it = Words.find({space, address});
  return it == Words.end() ? Pattern(space, address) : it->second;
}

void TZmResponder::SetBit(int space, int64_t bit, bool on)
{
  uint16_t w = Word(space, bit / 16);
  uint16_t m = static_cast<uint16_t>(1u << (bit % 16));
  SetWord(space, bit / 16, on ? (w | m) : (w & ~m));
}

void TZmResponder::SetByte(int space, int64_t address, uint8_t value)
{
  uint16_t w = Word(space, address / 2);
  w = address % 2 ? static_cast<uint16_t>((w & 0x00FF) | (value << 8)) : static_cast<uint16_t>((w & 0xFF00) | value);
  SetWord(space, address / 2, w);
}

namespace responders {

std::string Str(std::span<const uint8_t> b) { return std::string(b.begin(), b.end()); }
std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

bool Hex(const std::string& s, size_t at, size_t digits, int64_t& v)
{
  if (at > s.size() || digits > s.size() - at) return false;
  v = 0;
  for (size_t k = 0; k < digits; ++k) {
    char c = s[at + k];
    int d = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (d < 0) return false;
    v = v * 16 + d;
  }
  return true;
}

bool Dec(const std::string& s, size_t at, size_t digits, int64_t& v)
{
  if (at > s.size() || digits > s.size() - at) return false;
  v = 0;
  for (size_t k = 0; k < digits; ++k) {
    char c = s[at + k];
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  return true;
}

}  // namespace responders

std::unique_ptr<TZmResponder> MakeResponder(uint32_t uid, uint32_t station)
{
  using namespace responders;
  switch (static_cast<int32_t>(uid)) {
    case 1109330756:
    case -1802544905: return MakeModbusAscii(uid, station);
    case -1425300559: return MakeShortAscii(station);
    case 1549670432: return MakePercent(station);
    case 1299925350: return MakeTextCommand(station);
    case 649066712:
    case -1020238619: return MakeAtSign(uid, station);
    case 1107794329:
    case -2144545500:
    case -746424602:
    case 400014861:
    case -623554634: return MakeStxTable(uid, station);
    case 1134093025: return MakeStxDecimal(station);
    case 1618513948:
    case -1087441211: return MakeStxLetter(station);
    case 1766187480:
    case -416042279:
    case 1189246966:
    case 1088095053: return MakeBinary(uid, station);
    default: return nullptr;
  }
}
