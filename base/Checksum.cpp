#include "base/Checksum.h"

#include "base/Crc16.h"

uint32_t HexDigitValue(uint8_t c)
{
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 0;
}

std::string HexPair(uint32_t value)
{
  static const char digits[] = "0123456789ABCDEF";
  return {digits[(value >> 4) & 15], digits[value & 15]};
}

uint32_t Checksum(int32_t kind, std::span<const uint8_t> bytes)
{
  uint32_t sum = 0, x = 0;
  for (uint8_t b : bytes) {
    sum += b;
    x ^= b;
  }
  switch (kind) {
    case checkSum8: return sum & 0xFF;
    case checkCrc16: {
      uint16_t crc = Crc16(bytes);
      // High byte first compares with a CRC that the frame stores low byte first.
      return static_cast<uint32_t>(((crc & 0xFF) << 8) | (crc >> 8));
    }
    case checkLrcHex: {
      uint32_t pairs = 0;
      for (size_t i = 0; i + 1 < bytes.size(); i += 2) pairs += HexDigitValue(bytes[i]) * 16 + HexDigitValue(bytes[i + 1]);
      return (0u - pairs) & 0xFF;
    }
    case checkXor: return x;
    case checkXorPrintable: return x < 32 ? x + 32 : x;
    case checkNegSum8: return (0u - sum) & 0xFF;
    case checkSum16: return sum & 0xFFFF;
    case checkXorComplement: {
      uint32_t v = 0xFF;
      for (uint8_t b : bytes) v ^= static_cast<uint8_t>(~b);
      return v;
    }
    case checkNegSum7: return ((0u - sum) & 0x7F) | 0x40;
    default: return 0;
  }
}
