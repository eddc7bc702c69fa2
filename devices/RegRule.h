#pragma once
// Register rules: the textual address patterns of a controller's register
// areas, matching of address texts, and the register reference words that
// compiled records use for resolved addresses.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TZmRegRules;

// Register units; bit flags so callers can pass a set of accepted kinds.
enum : int32_t {
  kindBit = 1,
  kindByte = 2,
  kindWord = 4,
  kindDWord = 8,
  kindWord2 = 1024,
  kindAll = 1039,
};

enum : int32_t {
  radixBinary = 0,
  radixOctal = 1,
  radixDecimal = 2,
  radixHex = 3,
  radixNone = 4,
  radixDecHexBit = 5,
  radixWordDotBit = 6,
  radixWordDotOctalBit = 7,
};

class TZmRegRule {
public:
  // The rule joins `owner` even when the text does not parse.
  static TZmRegRule* Create(TZmRegRules* owner, const std::string& text);
  ~TZmRegRule();

  bool ParseFormat(const std::string& text);
  // On success Value is the register number and count (values of dataType)
  // has become a count of this rule's registers.
  bool Match(std::string_view address, int32_t dataType, int32_t& count, int32_t acceptedKinds);
  std::string FormatNumber(int32_t number) const;
  static bool ParseBound(std::string_view text, int32_t radix, int32_t& value);

  // Protocol address and register count sent to the controller for `count`
  // values of `dataType` starting at register `value`.
  int64_t ProtocolAddress(int32_t value) const { return int64_t(value) * Base + Offset; }
  int64_t ProtocolCount(int32_t dataType, int32_t count) const;

  TZmRegRules* Owner = nullptr;
  std::string Description;
  int32_t Index = -1;
  int32_t Offset = 0;
  int32_t Base = 1;
  int32_t Mula = 1;
  std::string Format;
  std::string Prefix;
  std::string Suffix;
  std::string DisplayFormat;
  std::string Mask;
  int32_t Kind = 0;
  int32_t Group = 0;
  int32_t BlockSize = 1;
  int32_t Radix = radixDecimal;
  int32_t Width = 0;
  int32_t Max = 0;
  int32_t Min = 0;
  int32_t Step = 1;
  int32_t Value = 0;
};

class TZmRegRules {
public:
  TZmRegRules() = default;
  TZmRegRules(const TZmRegRules&) = delete;
  TZmRegRules& operator=(const TZmRegRules&) = delete;
  ~TZmRegRules();
  size_t Count() const { return Items.size(); }
  TZmRegRule* Item(size_t i) const { return i < Items.size() ? Items[i] : nullptr; }
  void Clear();
  std::vector<TZmRegRule*> Items;
};

// Data types of bindings.
inline constexpr int32_t kDataTypeCount = 8;
const char* DataTypeName(int32_t dataType);  // "BIT" .. "FLOAT32"; "" outside 0..7
int32_t DataTypeFromName(std::string_view name);  // -1 when unknown (case-insensitive)
uint32_t TypeCodeOf(int32_t dataType);
int32_t DataTypeOfCode(uint32_t typeCode);

// The 32-bit register reference: bits 0-2 bit in byte, 3-22 byte offset,
// 24-27 type code, 28-31 operand class (2 = register memory).
inline constexpr uint32_t kRegRefClassMemory = 0x20000000;
inline uint32_t MakeRegRef(uint32_t byteOffset, uint32_t bit, uint32_t typeCode)
{
  return kRegRefClassMemory | ((typeCode & 15) << 24) | ((byteOffset & 0xFFFFF) << 3) | (bit & 7);
}

struct TZmStationSplit {
  int32_t Station = 256;  // 256: no station given
  std::string Rest;       // empty: no valid address
};
TZmStationSplit SplitStation(std::string_view address);

struct TZmBitSplit {
  bool Ok = false;
  std::string Rest;
  int32_t Bit = 0;
};
TZmBitSplit SplitBit(std::string_view address);
