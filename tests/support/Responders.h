#pragma once
// Scripted controllers: each answers the requests of one protocol family
// as the family's controllers do, from a memory of its own. They know the
// frames from the protocols' descriptions, not from the frame builders, so
// a builder and its responder agreeing means both read them the same way.
// Answer is bytes in, bytes out: an empty answer is silence.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <vector>

class TZmResponder {
public:
  virtual ~TZmResponder() = default;
  virtual std::vector<uint8_t> Answer(std::span<const uint8_t> request) = 0;
  std::function<std::vector<uint8_t>(std::span<const uint8_t>)> AsFunction()
  {
    return [this](std::span<const uint8_t> r) { return Answer(r); };
  }

  // The controller's memory: 16-bit words by space and word address. A
  // word never written holds Pattern(space, address), so every area reads
  // distinct values from the start.
  uint16_t Word(int space, int64_t address) const;
  void SetWord(int space, int64_t address, uint16_t value) { Words[{space, address}] = value; }
  // Bits numbered within a space, sixteen to a word, lowest first.
  bool Bit(int space, int64_t bit) const { return (Word(space, bit / 16) >> (bit % 16)) & 1; }
  void SetBit(int space, int64_t bit, bool on);
  // Bytes of a byte-addressed space, two to a word, low byte first.
  uint8_t Byte(int space, int64_t address) const { return static_cast<uint8_t>(Word(space, address / 2) >> (8 * (address % 2))); }
  void SetByte(int space, int64_t address, uint8_t value);
  static uint16_t Pattern(int space, int64_t address)
  {
    uint64_t x = static_cast<uint64_t>(address) * 0x9E3779B97F4A7C15ull + static_cast<uint64_t>(space) * 0xC2B2AE3D27D4EB4Full;
    x ^= x >> 29;
    x *= 0xBF58476D1CE4E5B9ull;
    return static_cast<uint16_t>(x >> 40);
  }

  uint32_t Station = 1;
  int Requests = 0;  // requests answered
  int Rejected = 0;  // requests refused (bad check, unknown command)
  int Commands = 0;  // commands without a value carried out

private:
  std::map<std::pair<int, int64_t>, uint16_t> Words;
};

// The responder of a protocol family by protocol UID; none for an unknown UID.
std::unique_ptr<TZmResponder> MakeResponder(uint32_t protocolUID, uint32_t station);

// Helpers shared by the responders.
namespace responders {
std::string Str(std::span<const uint8_t> b);
std::vector<uint8_t> Bytes(const std::string& s);
bool Hex(const std::string& s, size_t at, size_t digits, int64_t& v);
bool Dec(const std::string& s, size_t at, size_t digits, int64_t& v);
std::unique_ptr<TZmResponder> MakeModbusAscii(uint32_t uid, uint32_t station);
std::unique_ptr<TZmResponder> MakeShortAscii(uint32_t station);
std::unique_ptr<TZmResponder> MakePercent(uint32_t station);
std::unique_ptr<TZmResponder> MakeTextCommand(uint32_t station);
std::unique_ptr<TZmResponder> MakeAtSign(uint32_t uid, uint32_t station);
std::unique_ptr<TZmResponder> MakeStxTable(uint32_t uid, uint32_t station);
std::unique_ptr<TZmResponder> MakeStxDecimal(uint32_t station);
std::unique_ptr<TZmResponder> MakeStxLetter(uint32_t station);
std::unique_ptr<TZmResponder> MakeBinary(uint32_t uid, uint32_t station);
}  // namespace responders
