// Responders of the command-text families: percent-sign commands, plain
// text commands and at-sign commands.
#include <string>

#include "Responders.h"
#include "base/Checksum.h"

namespace responders {
namespace {

std::string Xor(const std::string& s) { return HexPair(Checksum(checkXor, s)); }

// Words as two hexadecimal pairs, low byte first.
std::string LowFirst(uint16_t v) { return HexPair(v) + HexPair(v >> 8); }
bool LowFirst(const std::string& s, size_t at, uint16_t& v)
{
  int64_t lo, hi;
  if (!Hex(s, at, 2, lo) || !Hex(s, at + 2, 2, hi)) return false;
  v = static_cast<uint16_t>(lo | (hi << 8));
  return true;
}

class Percent : public TZmResponder {
public:
  std::vector<uint8_t> Answer(std::span<const uint8_t> request) override
  {
    std::string s = Str(request);
    int64_t station, bcc;
    if (s.size() < 8 || s[0] != '%' || s[3] != '#' || s.back() != '\r' || !Hex(s, 1, 2, station) ||
        !Hex(s, s.size() - 3, 2, bcc) || bcc != Checksum(checkXor, s.substr(0, s.size() - 3)))
      return ++Rejected, std::vector<uint8_t>{};
    if (station != Station) return {};
    std::string body = s.substr(4, s.size() - 7);
    std::string head = s.substr(0, 3);
    std::string data;
    if (!Do(body, data)) {
      ++Rejected;
      std::string e = head + "!42";
      return Bytes(e + Xor(e) + "\r");
    }
    ++Requests;
    std::string r = head + "$" + body.substr(0, 2) + data;
    return Bytes(r + Xor(r) + "\r");
  }

private:
  bool Range(const std::string& b, size_t at, size_t digits, int64_t& first, int64_t& last)
  {
    return Dec(b, at, digits, first) && Dec(b, at + digits, digits, last) && first <= last && last - first < 64;
  }
  bool Do(const std::string& b, std::string& data)
  {
    int64_t first, last, word, bit;
    auto readWords = [&](int space) {
      for (int64_t a = first; a <= last; ++a) data += LowFirst(Word(space, a));
      return true;
    };
    auto writeWords = [&](int space, size_t at) {
      if (b.size() != at + 4 * static_cast<size_t>(last - first + 1)) return false;
      for (int64_t a = first; a <= last; ++a) {
        uint16_t v;
        if (!LowFirst(b, at + 4 * static_cast<size_t>(a - first), v)) return false;
        SetWord(space, a, v);
      }
      return true;
    };
    if (b.rfind("RCC", 0) == 0 && b.size() == 12 && Range(b, 4, 4, first, last)) return readWords(b[3]);
    if (b.rfind("RD", 0) == 0 && b.size() == 13 && Range(b, 3, 5, first, last)) return readWords(b[2]);
    if ((b.rfind("RS", 0) == 0 || b.rfind("RK", 0) == 0) && b.size() == 10 && Range(b, 2, 4, first, last)) return readWords(b[1]);
    if (b.rfind("WCS", 0) == 0 && b.size() == 9 && (b[8] == '0' || b[8] == '1')) {
      char area = b[3];
      if (area == 'T' || area == 'C') {
        if (!Dec(b, 4, 4, bit)) return false;
      } else {
        if (!Dec(b, 4, 3, word) || !Hex(b, 7, 1, bit)) return false;
        bit += 16 * word;
      }
      SetBit(area, bit, b[8] == '1');
      return true;
    }
    if (b.rfind("WCC", 0) == 0 && Range(b, 4, 4, first, last)) return writeWords(b[3], 12);
    if (b.rfind("WD", 0) == 0 && Range(b, 3, 5, first, last)) return writeWords(b[2], 13);
    if ((b.rfind("WS", 0) == 0 || b.rfind("WK", 0) == 0) && Range(b, 2, 4, first, last)) return writeWords(b[1], 10);
    return false;
  }
};

// Relays are bits of space 'R'; data memories words of 'D' and 'T'.
class TextCommand : public TZmResponder {
public:
  std::vector<uint8_t> Answer(std::span<const uint8_t> request) override
  {
    std::string s = Str(request);
    if (s.size() < 4 || s.substr(s.size() - 2) != "\r\n") return ++Rejected, std::vector<uint8_t>{};
    std::string line = s.substr(0, s.size() - 2);
    int64_t a, v;
    ++Requests;
    if (line == "CQ") return Open = false, Bytes("CF\r\n");
    if (line == "CR") return Open = true, Bytes("CC\r\n");
    if (!Open) return ++Rejected, Bytes("E1\r\n");  // commands need the command mode
    auto number = [&](size_t at) { return line.size() > at && line.size() - at <= 5 && Dec(line, at, line.size() - at, a); };
    if (line.rfind("RD DM", 0) == 0 && number(5)) return Bytes(Five(Word('D', a)));
    if (line.rfind("RD TM", 0) == 0 && number(5)) return Bytes(Five(Word('T', a)));
    if (line.rfind("RD ", 0) == 0 && number(3)) return Bytes(std::string(Bit('R', a) ? "1" : "0") + "\r\n");
    if ((line.rfind("ST ", 0) == 0 || line.rfind("RS ", 0) == 0) && number(3)) {
      SetBit('R', a, line[0] == 'S');
      return Bytes("OK\r\n");
    }
    if ((line.rfind("WR DM", 0) == 0 || line.rfind("WR TM", 0) == 0) && line.size() == 15 && line[9] == ' ' &&
        Dec(line, 5, 4, a) && Dec(line, 10, 5, v) && v <= 65535) {
      SetWord(line[3], a, static_cast<uint16_t>(v));
      return Bytes("OK\r\n");
    }
    ++Rejected;
    return Bytes("E0\r\n");
  }

private:
  static std::string Five(uint16_t v) { return std::string(5 - std::to_string(v).size(), '0') + std::to_string(v) + "\r\n"; }
  bool Open = false;
};

// Word areas by their letters; the completion flags 'G' are bits.
class AtSign : public TZmResponder {
public:
  explicit AtSign(bool guarded) : Guarded(guarded) {}
  std::vector<uint8_t> Answer(std::span<const uint8_t> request) override
  {
    std::string s = Str(request);
    int64_t station, fcs;
    if (s.size() < 9 || s[0] != '@' || s.substr(s.size() - 2) != "*\r" || !Hex(s, 1, 2, station) ||
        !Hex(s, s.size() - 4, 2, fcs) || fcs != Checksum(checkXor, s.substr(0, s.size() - 4)))
      return ++Rejected, std::vector<uint8_t>{};
    if (station != Station) return {};
    std::string body = s.substr(3, s.size() - 7);
    std::string data;
    std::string end = Do(body, data);
    if (end != "00") ++Rejected;
    else ++Requests;
    std::string r = s.substr(0, 3) + body.substr(0, 2) + end + data;
    return Bytes(r + Xor(r) + "*\r");
  }

private:
  std::string Do(const std::string& b, std::string& data)
  {
    int64_t a, n, bit;
    bool locked = Guarded && !Unlocked;
    if (b == "SC02") return Unlocked = true, "00";
    if (b == "KC") return Unlocked = false, "00";
    if (b.size() == 10 && b[0] == 'R' && Dec(b, 2, 4, a) && Dec(b, 6, 4, n)) {
      for (int64_t k = 0; k < n; ++k) data += b[1] == 'G' ? (Bit('G', a + k) ? "1" : "0") : Four(Word(b[1], a + k));
      return "00";
    }
    if (b.size() > 6 && b[0] == 'W' && Dec(b, 2, 4, a)) {
      if (locked) return "01";
      size_t width = b[1] == 'G' ? 1 : 4;
      if ((b.size() - 6) % width) return "14";
      for (size_t k = 0; 6 + k * width < b.size(); ++k) {
        int64_t v;
        if (!Hex(b, 6 + k * width, width, v)) return "14";
        if (b[1] == 'G') SetBit('G', a + static_cast<int64_t>(k), v != 0);
        else SetWord(b[1], a + static_cast<int64_t>(k), static_cast<uint16_t>(v));
      }
      return "00";
    }
    if (b.size() == 12 && b[0] == 'K' && (b[1] == 'S' || b[1] == 'R') && Dec(b, 6, 4, a) && Dec(b, 10, 2, bit) && bit < 16) {
      if (locked) return "01";
      std::string area = b.substr(2, 4);
      char space = area == "CIO " ? 'R' : area == "HR  " ? 'H' : area == "AR  " ? 'J' : area == "LR  " ? 'L' : area == "WR  " ? 'W' : 0;
      if (!space) return "14";
      SetBit(space, 16 * a + bit, b[1] == 'S');
      return "00";
    }
    // The work area through the memory-area commands: words from A, N of them.
    const std::string block = "08000020000000000000F010";
    if (b.size() >= 39 && b.rfind("FA" + block, 0) == 0) {
      if (b.substr(27, 2) != "B1" || !Dec(b, 29, 4, a) || b.substr(33, 2) != "00" || !Dec(b, 35, 4, n)) return "14";
      if (b.substr(26, 1) == "1" && b.size() == 39) {
        data = std::string(28, '0');
        for (int64_t k = 0; k < n; ++k) data += Four(Word('W', a + k));
        return "00";
      }
      if (b.substr(26, 1) == "2" && b.size() == 39 + 4 * static_cast<size_t>(n)) {
        if (locked) return "01";
        for (int64_t k = 0; k < n; ++k) {
          int64_t v;
          if (!Hex(b, 39 + 4 * static_cast<size_t>(k), 4, v)) return "14";
          SetWord('W', a + k, static_cast<uint16_t>(v));
        }
        return "00";
      }
    }
    return "16";
  }
  static std::string Four(uint16_t v) { return HexPair(v >> 8) + HexPair(v); }
  bool Guarded;
  bool Unlocked = false;
};

}  // namespace

std::unique_ptr<TZmResponder> MakePercent(uint32_t station)
{
  auto r = std::make_unique<Percent>();
  r->Station = station;
  return r;
}

std::unique_ptr<TZmResponder> MakeTextCommand(uint32_t station)
{
  auto r = std::make_unique<TextCommand>();
  r->Station = station;
  return r;
}

std::unique_ptr<TZmResponder> MakeAtSign(uint32_t uid, uint32_t station)
{
  auto r = std::make_unique<AtSign>(uid == static_cast<uint32_t>(-1020238619));
  r->Station = station;
  return r;
}

}  // namespace responders
