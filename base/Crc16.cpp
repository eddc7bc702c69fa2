#include "base/Crc16.h"

#include <array>

static constexpr std::array<uint16_t, 256> MakeTable()
{
  std::array<uint16_t, 256> t{};
  for (unsigned i = 0; i < 256; ++i) {
    uint16_t c = static_cast<uint16_t>(i);
    for (int k = 0; k < 8; ++k) c = (c & 1) ? static_cast<uint16_t>((c >> 1) ^ 0xA001) : static_cast<uint16_t>(c >> 1);
    t[i] = c;
  }
  return t;
}

static constexpr auto kTable = MakeTable();

uint16_t Crc16(std::span<const uint8_t> data, uint16_t crc)
{
  for (uint8_t b : data) crc = static_cast<uint16_t>((crc >> 8) ^ kTable[(crc ^ b) & 0xFF]);
  return crc;
}
