// Responders of the STX families: the four whose commands name device
// memory by hexadecimal byte address (with plain, E, station-numbered and
// M commands), the one with decimal stations, and the one with letter areas.
#include <string>

#include "Responders.h"
#include "base/Checksum.h"

namespace responders {
namespace {

constexpr char STX = 2, ETX = 3, ACK = 6, NAK = 0x15;

std::string Sum(const std::string& s) { return HexPair(Checksum(checkSum8, s)); }
std::vector<uint8_t> One(char c) { return {static_cast<uint8_t>(c)}; }

enum class Kind { Hex, E, Station, M };

// One byte-addressed device memory (space 0); bit E is bit E mod 8 of byte E / 8.
class StxTable : public TZmResponder {
public:
  explicit StxTable(Kind k) : K(k) {}
  std::vector<uint8_t> Answer(std::span<const uint8_t> request) override
  {
    std::string s = Str(request);
    std::string body;
    int64_t sum;
    if (K == Kind::M) {
      // STX body sum ETX
      if (s.size() < 5 || s[0] != STX || s.back() != ETX || !Hex(s, s.size() - 3, 2, sum)) return ++Rejected, One(NAK);
      body = s.substr(1, s.size() - 4);
      if (sum != Checksum(checkSum8, body)) return ++Rejected, One(NAK);
    } else {
      // STX body ETX sum
      if (s.size() < 5 || s[0] != STX || s[s.size() - 3] != ETX || !Hex(s, s.size() - 2, 2, sum) ||
          sum != Checksum(checkSum8, s.substr(1, s.size() - 3)))
        return ++Rejected, One(NAK);
      body = s.substr(1, s.size() - 4);
    }
    std::string head;
    if (K == Kind::Station) {
      int64_t station;
      if (!Hex(body, 0, 2, station)) return ++Rejected, One(NAK);
      if (station != Station) return {};
      head = body.substr(0, 2);
      body = body.substr(2);
    }
    std::string cmd;
    switch (K) {
      case Kind::Hex: cmd = body.substr(0, 1); break;
      case Kind::E: cmd = body.substr(0, body.rfind("E00", 0) == 0 || body.rfind("E10", 0) == 0 ? 3 : 2); break;
      case Kind::Station: cmd = body.substr(0, 2); break;
      case Kind::M: cmd = body.substr(0, 2); break;
    }
    std::string args = body.substr(cmd.size());
    int64_t d, n;
    bool read = cmd == "0" || cmd == "E00" || cmd == "51" || cmd == "rM";
    bool write = cmd == "1" || cmd == "E10" || cmd == "61" || cmd == "wM";
    if (read || write) {
      if (!Address(args, d) || !Hex(args, K == Kind::M ? 6 : 4, 2, n)) return ++Rejected, One(NAK);
      size_t at = K == Kind::M ? 8 : 6;
      if (write) {
        if (args.size() != at + 2 * static_cast<size_t>(n)) return ++Rejected, One(NAK);
        for (int64_t k = 0; k < n; ++k) {
          int64_t v;
          if (!Hex(args, at + 2 * static_cast<size_t>(k), 2, v)) return ++Rejected, One(NAK);
          SetByte(0, d + k, static_cast<uint8_t>(v));
        }
        ++Requests;
        return One(ACK);
      }
      if (args.size() != at) return ++Rejected, One(NAK);
      if (K == Kind::M) n += n % 2;  // delivered in whole words
      std::string data;
      for (int64_t k = 0; k < n; ++k) data += HexPair(Byte(0, d + k));
      ++Requests;
      switch (K) {
        case Kind::Hex:
        case Kind::E: return Bytes(std::string(1, STX) + data + ETX + Sum(data + ETX));
        case Kind::Station: {
          std::string r = head + "51" + "00" + data + ETX;
          return Bytes(std::string(1, STX) + r + Sum(r));
        }
        case Kind::M: {
          std::string r = cmd.substr(0, 1) + data;
          return Bytes(std::string(1, STX) + r + Sum(r) + ETX);
        }
      }
    }
    // Single bits: set and clear.
    int64_t e;
    bool set = cmd == "7" || cmd == "E7" || cmd == "71" || cmd == "oM";
    bool clear = cmd == "8" || cmd == "E8" || cmd == "70" || cmd == "nM";
    if ((set || clear) && K != Kind::M) {
      if (args.size() != 4 || !Hex(args, 0, 4, e)) return ++Rejected, One(NAK);
      if (K != Kind::Station) e = ((e & 0xFF) << 8) | (e >> 8);  // sent low byte first
      int64_t byte = e / 8;
      uint8_t m = static_cast<uint8_t>(1u << (e % 8));
      SetByte(0, byte, set ? Byte(0, byte) | m : Byte(0, byte) & ~m);
      ++Requests;
      return One(ACK);
    }
    if (set || clear) {
      // The mask applies to the 16-bit word at D: ORed to set, its complement ANDed to clear.
      int64_t lo, hi;
      if (!Address(args, d) || args.size() != 10 || !Hex(args, 6, 2, lo) || !Hex(args, 8, 2, hi)) return ++Rejected, One(NAK);
      uint16_t w = static_cast<uint16_t>(Byte(0, d) | (Byte(0, d + 1) << 8));
      uint16_t mask = static_cast<uint16_t>(lo | (hi << 8));
      w = set ? (w | mask) : (w & mask);
      SetByte(0, d, static_cast<uint8_t>(w));
      SetByte(0, d + 1, static_cast<uint8_t>(w >> 8));
      ++Requests;
      return One(ACK);
    }
    ++Rejected;
    return One(NAK);
  }

private:
  // The device address: four digits, or in the M family low byte, high byte, "00".
  bool Address(const std::string& a, int64_t& d) const
  {
    if (K != Kind::M) return Hex(a, 0, 4, d);
    int64_t lo, hi;
    if (!Hex(a, 0, 2, lo) || !Hex(a, 2, 2, hi) || a.substr(4, 2) != "00") return false;
    d = lo | (hi << 8);
    return true;
  }
  Kind K;
};

// Data registers 'D' by number; commands 'K' counted.
class StxDecimal : public TZmResponder {
public:
  std::vector<uint8_t> Answer(std::span<const uint8_t> request) override
  {
    std::string s = Str(request);
    int64_t station, a, v;
    if (s.size() < 8 || s[0] != STX || s.back() != ETX || !Dec(s, 1, 2, station)) return ++Rejected, std::vector<uint8_t>{};
    if (station != Station) return {};
    std::string t = s.substr(4, 3);
    t.erase(0, t.find_first_not_of(' '));
    if (t.empty() || !Dec(t, 1, t.size() - 1, a)) return ++Rejected, std::vector<uint8_t>{};
    char area = t[0], cmd = s[3];
    std::string echo = s.substr(0, 7);
    ++Requests;
    if (cmd == 'R' && area == 'D' && s.size() == 8) {
      std::string digits = std::to_string(Word('D', a));
      return Bytes(echo + std::string(5 - digits.size(), '0') + digits + ETX);
    }
    if (cmd == 'W' && area == 'D' && s.size() == 13 && Dec(s, 7, 5, v) && v <= 65535) {
      SetWord('D', a, static_cast<uint16_t>(v));
      return Bytes(echo + ETX);
    }
    if (cmd == 'W' && area == 'K' && s.size() == 8) {
      ++Commands;
      return Bytes(echo + ETX);
    }
    --Requests, ++Rejected;
    return {};
  }
};

// Discretes one bit each by letter, registers by area name, run state 'Z'.
class StxLetter : public TZmResponder {
public:
  std::vector<uint8_t> Answer(std::span<const uint8_t> request) override
  {
    std::string s = Str(request);
    int64_t station, sum;
    if (s.size() < 8 || s[0] != STX || s.back() != ETX || !Hex(s, s.size() - 3, 2, sum) ||
        sum != Checksum(checkSum8, s.substr(0, s.size() - 3)) || !Hex(s, 1, 2, station))
      return ++Rejected, std::vector<uint8_t>{};
    if (station != Station) return {};
    std::string cmd = s.substr(3, 2), args = s.substr(5, s.size() - 8);
    std::string data;
    char status = Do(cmd, args, data) ? '0' : '1';
    if (status == '0') ++Requests;
    else ++Rejected;
    std::string r = std::string(1, STX) + s.substr(1, 4) + status + data;
    return Bytes(r + Sum(r) + ETX);
  }

private:
  // Area name and number at `at`: letters, then decimal digits to the end or `digits` of them.
  static bool Area(const std::string& a, size_t at, std::string& name, int64_t& number, size_t& end)
  {
    size_t k = at;
    while (k < a.size() && a[k] >= 'A' && a[k] <= 'Z') ++k;
    name = a.substr(at, k - at);
    size_t digits = name == "RT" || name == "RC" || name == "DRC" ? 4 : 5;
    end = k + digits;
    return !name.empty() && Dec(a, k, digits, number);
  }
  bool Do(const std::string& cmd, const std::string& a, std::string& data)
  {
    int64_t n, number;
    if (cmd == "40" && a.empty()) {
      data = HexPair(Bit('Z', 0)) + "0000";
      return true;
    }
    if (cmd == "41" && a.size() == 1 && (a[0] == '0' || a[0] == '1')) {
      SetBit('Z', 0, a[0] == '1');
      return true;
    }
    if (cmd == "42" && a.size() == 6 && (a[0] == '3' || a[0] == '4') && Dec(a, 2, 4, number)) {
      SetBit(a[1], number, a[0] == '3');
      return true;
    }
    if ((cmd == "44" || cmd == "45") && a.size() >= 7 && Hex(a, 0, 2, n) && Dec(a, 3, 4, number)) {
      if (n == 0) n = 256;
      char letter = a[2];
      if (cmd == "44") {
        if (a.size() != 7) return false;
        for (int64_t k = 0; k < n; ++k) data += Bit(letter, number + k) ? '1' : '0';
        return true;
      }
      if (a.size() != 7 + static_cast<size_t>(n)) return false;
      for (int64_t k = 0; k < n; ++k) SetBit(letter, number + k, a[7 + static_cast<size_t>(k)] != '0');
      return true;
    }
    std::string name;
    size_t end;
    if ((cmd == "46" || cmd == "47") && Hex(a, 0, 2, n) && Area(a, 2, name, number, end)) {
      int space = Space(name);
      bool wide = name == "DRC";
      size_t width = wide ? 8 : 4;
      if (cmd == "46") {
        if (a.size() != end) return false;
        for (int64_t k = 0; k < n; ++k) {
          int64_t at = wide ? 2 * (number + k) : number + k;
          data += wide ? HexPair(Word(space, at + 1) >> 8) + HexPair(Word(space, at + 1)) + HexPair(Word(space, at) >> 8) + HexPair(Word(space, at))
                       : HexPair(Word(space, at) >> 8) + HexPair(Word(space, at));
        }
        return true;
      }
      if (a.size() != end + width * static_cast<size_t>(n)) return false;
      for (int64_t k = 0; k < n; ++k) {
        int64_t v;
        if (!Hex(a, end + width * static_cast<size_t>(k), width, v)) return false;
        if (wide) {
          SetWord(space, 2 * (number + k), static_cast<uint16_t>(v));
          SetWord(space, 2 * (number + k) + 1, static_cast<uint16_t>(v >> 16));
        } else {
          SetWord(space, number + k, static_cast<uint16_t>(v));
        }
      }
      return true;
    }
    return false;
  }
  static int Space(const std::string& name)
  {
    int v = 0;
    for (char c : name) v = v * 256 + c;
    return v;
  }
};

}  // namespace

std::unique_ptr<TZmResponder> MakeStxTable(uint32_t uid, uint32_t station)
{
  Kind k = uid == 1107794329u ? Kind::Hex : uid == 400014861u ? Kind::Station : uid == static_cast<uint32_t>(-623554634) ? Kind::M : Kind::E;
  auto r = std::make_unique<StxTable>(k);
  r->Station = station;
  return r;
}

std::unique_ptr<TZmResponder> MakeStxDecimal(uint32_t station)
{
  auto r = std::make_unique<StxDecimal>();
  r->Station = station;
  return r;
}

std::unique_ptr<TZmResponder> MakeStxLetter(uint32_t station)
{
  auto r = std::make_unique<StxLetter>();
  r->Station = station;
  return r;
}

}  // namespace responders
