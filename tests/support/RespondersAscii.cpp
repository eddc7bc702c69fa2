// Responders of the ":" ... LRC CR LF families: Modbus ASCII (also with
// device areas mapped onto Modbus addresses) and one-byte addresses.
#include <string>

#include "Responders.h"

namespace responders {
namespace {

// The bytes of a ":" frame whose LRC is right; empty otherwise.
std::vector<uint8_t> Decode(std::span<const uint8_t> request)
{
  std::string s = Str(request);
  if (s.size() < 7 || s[0] != ':' || s.substr(s.size() - 2) != "\r\n" || (s.size() - 3) % 2) return {};
  std::vector<uint8_t> b;
  for (size_t i = 1; i + 2 < s.size(); i += 2) {
    int64_t v;
    if (!Hex(s, i, 2, v)) return {};
    b.push_back(static_cast<uint8_t>(v));
  }
  uint8_t sum = 0;
  for (uint8_t x : b) sum = static_cast<uint8_t>(sum + x);
  if (sum != 0) return {};  // the LRC makes the sum of all bytes 0
  b.pop_back();
  return b;
}

std::vector<uint8_t> Encode(const std::vector<uint8_t>& b)
{
  static const char digits[] = "0123456789ABCDEF";
  std::string s = ":";
  uint8_t sum = 0;
  for (uint8_t x : b) {
    s += digits[x >> 4];
    s += digits[x & 15];
    sum = static_cast<uint8_t>(sum + x);
  }
  uint8_t lrc = static_cast<uint8_t>(0 - sum);
  s += digits[lrc >> 4];
  s += digits[lrc & 15];
  return Bytes(s + "\r\n");
}

int U16(const std::vector<uint8_t>& b, size_t at) { return (b[at] << 8) | b[at + 1]; }

// Spaces: coils, discrete inputs, holding registers, input registers, and
// the 32-bit counters (low word at 2a, high word at 2a + 1).
enum { kCoils, kInputs, kHolding, kInputRegs, kWide };

class ModbusAscii : public TZmResponder {
public:
  explicit ModbusAscii(bool areas) : Areas(areas) {}
  std::vector<uint8_t> Answer(std::span<const uint8_t> request) override
  {
    std::vector<uint8_t> b = Decode(request);
    if (b.size() < 2) return ++Rejected, std::vector<uint8_t>{};
    if (b[0] != Station) return {};
    ++Requests;
    uint8_t fn = b[1];
    std::vector<uint8_t> reply = {b[0], fn};
    if ((fn >= 1 && fn <= 4) && b.size() == 6) {
      int a = U16(b, 2), n = U16(b, 4);
      if (fn <= 2) {
        // With device areas every bit device answers function 2.
        int space = Areas || fn == 1 ? kCoils : kInputs;
        reply.push_back(static_cast<uint8_t>((n + 7) / 8));
        for (int k = 0; k < n; k += 8) {
          uint8_t byte = 0;
          for (int j = 0; j < 8 && k + j < n; ++j) byte |= static_cast<uint8_t>(Bit(space, a + k + j) << j);
          reply.push_back(byte);
        }
      } else {
        std::vector<uint8_t> data;
        for (int k = 0; k < n; ++k) {
          if (Wide(a + k)) {
            uint32_t v = Word(kWide, 2 * (a + k)) | (uint32_t(Word(kWide, 2 * (a + k) + 1)) << 16);
            for (int s = 24; s >= 0; s -= 8) data.push_back(static_cast<uint8_t>(v >> s));
          } else {
            uint16_t v = Word(fn == 3 || Areas ? kHolding : kInputRegs, a + k);
            data.push_back(static_cast<uint8_t>(v >> 8));
            data.push_back(static_cast<uint8_t>(v));
          }
        }
        reply.push_back(static_cast<uint8_t>(data.size()));
        reply.insert(reply.end(), data.begin(), data.end());
      }
      return Encode(reply);
    }
    if (fn == 5 && b.size() == 6) {
      int v = U16(b, 4);
      if (v != 0xFF00 && v != 0) return ++Rejected, std::vector<uint8_t>{};
      SetBit(kCoils, U16(b, 2), v == 0xFF00);
      return Encode(b);
    }
    if (fn == 6 && b.size() == 6 && !Wide(U16(b, 2))) {
      SetWord(kHolding, U16(b, 2), static_cast<uint16_t>(U16(b, 4)));
      return Encode(b);
    }
    if (fn == 6 && b.size() == 8 && Wide(U16(b, 2))) {
      int a = U16(b, 2);
      SetWord(kWide, 2 * a + 1, static_cast<uint16_t>(U16(b, 4)));
      SetWord(kWide, 2 * a, static_cast<uint16_t>(U16(b, 6)));
      return Encode(b);
    }
    if ((fn == 15 || fn == 16) && b.size() >= 7 && b.size() == 7u + b[6]) {
      int a = U16(b, 2), n = U16(b, 4);
      if (fn == 15) {
        if (b[6] != (n + 7) / 8) return ++Rejected, std::vector<uint8_t>{};
        for (int k = 0; k < n; ++k) SetBit(kCoils, a + k, (b[7 + k / 8] >> (k % 8)) & 1);
      } else {
        if (b[6] != 2 * n) return ++Rejected, std::vector<uint8_t>{};
        for (int k = 0; k < n; ++k) SetWord(kHolding, a + k, static_cast<uint16_t>(U16(b, 7 + 2 * k)));
      }
      return Encode(std::vector<uint8_t>(b.begin(), b.begin() + 6));
    }
    ++Rejected;
    return Encode({b[0], static_cast<uint8_t>(fn | 0x80), 1});
  }

private:
  // The 32-bit counters of the device-area controller: counters 200 to 255
  // at Modbus addresses 3784 to 3839.
  bool Wide(int address) const { return Areas && address >= 3784 && address <= 3839; }
  bool Areas;
};

class ShortAscii : public TZmResponder {
public:
  std::vector<uint8_t> Answer(std::span<const uint8_t> request) override
  {
    std::vector<uint8_t> b = Decode(request);
    if (b.size() < 4) return ++Rejected, std::vector<uint8_t>{};
    if (b[0] != Station) return {};
    ++Requests;
    int command = (b[1] << 8) | b[2];
    uint8_t a = b[3];
    if ((command == 0x0101 || command == 0x0401) && b.size() == 4) {
      uint16_t v = Word(command == 0x0101 ? 0 : 1, a);
      return Encode({b[0], b[1], b[2], a, static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)});
    }
    if (command == 0x0203 && b.size() == 6) {
      SetWord(0, a, static_cast<uint16_t>((b[4] << 8) | b[5]));
      return Encode(b);
    }
    if (command == 0x0301 && b.size() == 4) {  // a command: no value
      ++Commands;
      return Encode(b);
    }
    ++Rejected;
    return {};
  }
};

}  // namespace

std::unique_ptr<TZmResponder> MakeModbusAscii(uint32_t uid, uint32_t station)
{
  auto r = std::make_unique<ModbusAscii>(uid == static_cast<uint32_t>(-1802544905));
  r->Station = station;
  return r;
}

std::unique_ptr<TZmResponder> MakeShortAscii(uint32_t station)
{
  auto r = std::make_unique<ShortAscii>();
  r->Station = station;
  return r;
}

}  // namespace responders
