#pragma once
// The check words of controller frames: one function per checksum kind, as
// the frame builders place them in write frames and the panel's
// communication engine recomputes them over replies and write frames.
#include <cstdint>
#include <span>
#include <string>

enum : int32_t {
  checkSum8 = 1,          // 8-bit sum of the bytes
  checkCrc16 = 2,         // CRC-16/MODBUS, high byte of the value = the CRC's low byte
  checkLrcHex = 3,        // two's complement of the sum of the hexadecimal byte pairs
  checkXor = 4,           // exclusive-or of the bytes
  checkXorPrintable = 5,  // exclusive-or, plus 32 when below 32
  checkNegSum8 = 6,       // negated 8-bit sum
  checkSum16 = 7,         // 16-bit sum of the bytes
  checkXorComplement = 8, // 255, exclusive-or the complement of every byte
  checkNegSum7 = 9,       // (negated sum & 0x7F) | 0x40
};

inline constexpr int32_t kChecksumKindFirst = 1;
inline constexpr int32_t kChecksumKindLast = 9;

// The checksum of `kind` over `bytes`; 0 for an unknown kind. One-byte kinds
// give a value below 256; kinds 2 and 7 a 16-bit value.
uint32_t Checksum(int32_t kind, std::span<const uint8_t> bytes);
inline uint32_t Checksum(int32_t kind, const std::string& text)
{
  return Checksum(kind, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

// Value of one hexadecimal digit (0-9, A-F, a-f); any other character is 0.
uint32_t HexDigitValue(uint8_t c);
// A byte as two uppercase hexadecimal digits, high nibble first.
std::string HexPair(uint32_t value);
