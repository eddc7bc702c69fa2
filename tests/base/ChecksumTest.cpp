// The nine checksum kinds of controller frames, over the check string and
// over the small inputs where the kinds differ.
#include <gtest/gtest.h>

#include "base/Checksum.h"

TEST(Checksum, EveryKindOverKnownInputs)
{
  struct Case {
    int32_t kind;
    std::string bytes;
    uint32_t value;
  } cases[] = {
      {checkSum8, "123456789", 0xDD},
      {checkCrc16, "123456789", 0x374B},  // CRC 0x4B37 stored low byte first
      {checkLrcHex, "010300000003", 0xF9},
      {checkLrcHex, "123456789", 0xEC},  // the odd last digit belongs to no pair
      {checkLrcHex, "0a", 0xF6},         // lower-case digits count
      {checkLrcHex, "GZ", 0x00},         // other characters are 0
      {checkXor, "123456789", 0x31},
      {checkXorPrintable, "123456789", 0x31},
      {checkXorPrintable, std::string("\x01\x02", 2), 0x23},
      {checkNegSum8, "123456789", 0x23},
      {checkSum16, "123456789", 0x01DD},
      {checkXorComplement, "123456789", 0x31},
      {checkXorComplement, "12", 0xFC},
      {checkNegSum7, "123456789", 0x63},
      {checkSum8, "", 0x00},
      {0, "123456789", 0},
      {10, "123456789", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(Checksum(c.kind, c.bytes), c.value) << "kind " << c.kind << " over " << c.bytes;
}

TEST(Checksum, HexHelpers)
{
  EXPECT_EQ(HexPair(0xF9), "F9");
  EXPECT_EQ(HexPair(0x105), "05");  // one byte only
  EXPECT_EQ(HexDigitValue('b'), 11u);
  EXPECT_EQ(HexDigitValue('g'), 0u);
}
