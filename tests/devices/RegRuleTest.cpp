// Register rule grammar, address matching and formatting.
#include <gtest/gtest.h>

#include "devices/RegRule.h"

namespace {

struct Parsed {
  const char* text;
  bool ok;
  int32_t kind, radix, width, min, max, step;
  const char* display;
  const char* mask;
};

}  // namespace

TEST(RegRule, GrammarAndDerivedFields)
{
  const Parsed cases[] = {
      {"4\"D\"d0000-9999", true, kindWord, radixDecimal, 4, 0, 9999, 1, "D%04d", "Dnnnn"},
      {"4\"D\"d0-9999", true, kindWord, radixDecimal, 0, 0, 9999, 1, "D%d", "Dnnnn"},
      {"0\"X\"o0-377", true, kindBit, radixOctal, 0, 0, 255, 1, "X%o", "Xooo"},
      {"4\"TS\"d0-255%2", true, kindWord, radixDecimal, 0, 0, 255, 2, "TS%d", "TSnnn"},
      {"0\"M\"e0-16383", true, kindBit, radixWordDotBit, 0, 0, 16383, 1, "M%d.%d", "Mnnn.nn"},
      {"0\"R\"m0-9999F", true, kindBit, radixDecHexBit, 0, 0, 159999, 1, "R%d%X", "Rnnnnx"},
      {"4\"V\"d0-99\"H\"", true, kindWord, radixDecimal, 0, 0, 99, 1, "V%dH", "VnnH"},
      {"33\"K\"x000-FFF", true, kindByte, radixHex, 3, 0, 4095, 1, "K%03x", "Kxxx"},
      {"5\"A\"\"B\"d1-9", true, kindDWord, radixDecimal, 1, 1, 9, 1, "A\"B%01d", "A\"Bn"},  // "" is one quote
      {"P\"FIX\"", true, kindWord2, radixNone, 0, 0, 0, 1, "FIX", "FIX"},
      {"4\"%P\"d0-9", true, kindWord, radixDecimal, 1, 0, 9, 1, "%%P%01d", "%Pn"},  // a % in the prefix is literal
      {"n\"T\"b0-1111", true, kindDWord, radixBinary, 0, 0, 15, 1, "T%X", "Txxxx"},
      {"", false, 0, 2, 0, 0, 0, 1, "", ""},
      {"0", false, 0, 2, 0, 0, 0, 1, "", ""},
      {"Z\"D\"d0-9", false, 0, 2, 0, 0, 0, 1, "", ""},              // unknown kind letter
      {"4\"D\"y0-9", false, kindWord, 2, 0, 0, 0, 1, "", ""},        // unknown radix letter
      {"4\"D\"d", false, kindWord, radixDecimal, 0, 0, 0, 1, "", ""},  // ends after the radix letter
      {"4\"D", false, kindWord, 2, 0, 0, 0, 1, "", ""},              // unterminated prefix
      {"4D\"d0-9", false, kindWord, 2, 0, 0, 0, 1, "", ""},          // prefix must be quoted
      {"4\"D\"d0-9%", false, kindWord, radixDecimal, 1, 0, 9, 1, "", ""},    // step without digits
      {"4\"D\"d0-9%0", false, kindWord, radixDecimal, 1, 0, 9, 1, "", ""},   // step 0 would divide by zero
      {"4\"D\"d0-9%2x", false, kindWord, radixDecimal, 1, 0, 9, 1, "", ""},  // junk in the step
      {"4\"D\"d0-9\"H", false, kindWord, radixDecimal, 1, 0, 9, 1, "", ""},  // unterminated suffix
      {"4\"D\"d0-9\"H\"x", false, kindWord, radixDecimal, 1, 0, 9, 1, "", ""},  // suffix must end the text
  };
  for (const auto& c : cases) {
    TZmRegRules rules;
    TZmRegRule* r = TZmRegRule::Create(&rules, c.text);
    EXPECT_EQ(rules.Count(), 1u);  // kept even when invalid
    EXPECT_EQ(!r->Format.empty(), c.ok) << c.text;
    EXPECT_EQ(r->Kind, c.kind) << c.text;
    EXPECT_EQ(r->Radix, c.radix) << c.text;
    EXPECT_EQ(r->Width, c.width) << c.text;
    EXPECT_EQ(r->Min, c.min) << c.text;
    EXPECT_EQ(r->Max, c.max) << c.text;
    EXPECT_EQ(r->Step, c.step) << c.text;
    if (c.ok) {
      EXPECT_EQ(r->DisplayFormat, c.display) << c.text;
      EXPECT_EQ(r->Mask, c.mask) << c.text;
    }
  }
  TZmRegRules rules;
  TZmRegRule* g = TZmRegRule::Create(&rules, "G\"T\"d0-9");
  EXPECT_EQ(g->Group, 1);
  TZmRegRule* nine = TZmRegRule::Create(&rules, "n\"T\"d0-9");
  EXPECT_EQ(nine->BlockSize, 9);
  delete g;
  EXPECT_EQ(rules.Count(), 1u);  // a destroyed rule leaves its list
}

TEST(RegRule, Matching)
{
  struct Case {
    const char* rule;
    const char* address;
    int32_t dataType, count;
    bool ok;
    int32_t value, regs;
  } cases[] = {
      {"4\"D\"d0000-9999", "D0100", 4, 1, true, 100, 1},
      {"4\"D\"d0000-9999", "d0100", 4, 1, true, 100, 1},
      {"4\"D\"d0000-9999", "D100", 4, 1, false, 0, 0},
      {"4\"D\"d0000-9999", "D01000", 4, 1, false, 0, 0},
      {"4\"D\"d0-9999", "D7", 4, 1, true, 7, 1},
      {"4\"D\"d0-9999", "D9999", 4, 1, true, 9999, 1},
      {"4\"D\"d0-9999", "D10000", 4, 1, false, 0, 0},
      {"4\"D\"d0-9999", "D99999999999999999999", 4, 1, false, 0, 0},  // saturates, fails the range
      {"4\"D\"d0-9999", "D", 4, 1, false, 0, 0},
      {"4\"D\"d0-9999", "", 4, 1, false, 0, 0},
      {"4\"D\"d0-9999", "D5", 7, 1, false, 0, 0},  // FLOAT32 is not matched
      {"4\"D\"d0-9999", "D5", 4, 0, false, 0, 0},
      {"0\"X\"o0-377", "X17", 0, 1, true, 15, 1},
      {"0\"X\"o0-377", "X18", 0, 1, false, 0, 0},
      {"4\"TS\"d0-255%2", "TS3", 4, 1, false, 0, 0},
      {"4\"TS\"d0-255%2", "TS254", 4, 1, true, 254, 1},
      {"4\"TS\"d0-255%2", "TS254", 4, 2, false, 0, 0},
      {"4\"TS\"d0-255%2", "TS252", 4, 2, true, 252, 2},
      {"0\"M\"e0-16383", "M12.15", 0, 1, true, 207, 1},
      {"0\"M\"e0-16383", "M12.16", 0, 1, false, 0, 0},
      {"0\"M\"e0-16383", "M12", 0, 1, true, 192, 1},
      {"0\"M\"t0-8191", "M12.7", 0, 1, true, 103, 1},
      {"0\"M\"t0-8191", "M12.8", 0, 1, false, 0, 0},
      {"0\"R\"m0-9999F", "R10F", 0, 1, true, 175, 1},
      {"0\"R\"m0-9999F", "R1G", 0, 1, false, 0, 0},
      {"0\"R\"m0-9999F", "R1F0", 0, 1, false, 0, 0},  // a letter only in the last place
      {"4\"V\"d0-99\"H\"", "V12H", 4, 1, true, 12, 1},
      {"4\"V\"d0-99\"H\"", "V12h", 4, 1, true, 12, 1},
      {"4\"V\"d0-99\"H\"", "V12", 4, 1, false, 0, 0},
      {"4\"V\"d0-99\"H\"", "V12HX", 4, 1, false, 0, 0},
      {"0\"Y\"d0-9999", "Y0", 4, 3, true, 0, 48},      // 3 INT16U on a bit rule: 48 registers
      {"4\"W\"d0-9999", "W0", 2, 3, true, 0, 2},       // 3 INT8U on a word rule: 2
      {"4\"W\"d0-9999", "W0", 0, 17, true, 0, 2},      // 17 bits on a word rule: 2
      {"5\"L\"d0-9999", "L0", 3, 3, true, 0, 2},       // 3 INT16S on a double-word rule: 2
      {"3\"B\"d0-9999", "B0", 6, 2, true, 0, 8},       // 2 INT32U on a byte rule: 8
      {"P\"FIX\"", "fix", 4, 1, true, 0, 1},
      {"P\"FIX\"", "FIX1", 4, 1, false, 0, 0},
      {"4\"W\"d0-2147483647", "W2147483647", 4, 2147483647, false, 0, 0},  // 64-bit range check
  };
  for (const auto& c : cases) {
    TZmRegRules rules;
    TZmRegRule* r = TZmRegRule::Create(&rules, c.rule);
    int32_t count = c.count;
    bool ok = r->Match(c.address, c.dataType, count, kindAll);
    EXPECT_EQ(ok, c.ok) << c.rule << " " << c.address;
    if (ok && c.ok) {
      EXPECT_EQ(r->Value, c.value) << c.rule << " " << c.address;
      EXPECT_EQ(count, c.regs) << c.rule << " " << c.address;
    }
  }
  TZmRegRules rules;
  TZmRegRule* word = TZmRegRule::Create(&rules, "4\"D\"d0-9999");
  int32_t one = 1;
  EXPECT_FALSE(word->Match("D5", 4, one, kindBit));  // kind not accepted
  TZmRegRule* bad = TZmRegRule::Create(&rules, "Z\"D\"d0-9");
  EXPECT_FALSE(bad->Match("D5", 4, one, kindAll));
}

TEST(RegRule, FormatNumberReadsBack)
{
  const char* rules[] = {"4\"D\"d0000-9999", "4\"D\"d0-9999", "0\"X\"o0-377",  "0\"M\"e0-16383", "0\"M\"t0-8191",
                         "0\"R\"m0-9999F",  "0\"R\"m00-99F",  "4\"V\"d0-99\"H\"", "33\"K\"x000-FFF", "4\"H\"x0-FFFF",
                         "n\"T\"b0-1111",   "4\"TS\"d0-255%2"};
  for (const char* text : rules) {
    TZmRegRules list;
    TZmRegRule* r = TZmRegRule::Create(&list, text);
    ASSERT_FALSE(r->Format.empty()) << text;
    for (int32_t n = r->Min; n <= r->Max; n += r->Step * (1 + r->Max / 97)) {
      std::string a = r->FormatNumber(n);
      int32_t count = 1;
      ASSERT_TRUE(r->Match(a, 0, count, kindAll)) << text << " " << a;
      EXPECT_EQ(r->Value, n) << text << " " << a;
    }
  }
  TZmRegRules list;
  EXPECT_EQ(TZmRegRule::Create(&list, "0\"R\"m0-9999F")->FormatNumber(175), "R10F");
  EXPECT_EQ(TZmRegRule::Create(&list, "0\"M\"e0-16383")->FormatNumber(207), "M12.15");
  EXPECT_EQ(TZmRegRule::Create(&list, "4\"D\"d0000-9999")->FormatNumber(42), "D0042");
  EXPECT_EQ(TZmRegRule::Create(&list, "4\"H\"x0-FFFF")->FormatNumber(255), "HFF");
  EXPECT_EQ(TZmRegRule::Create(&list, "33\"K\"x000-FFF")->FormatNumber(255), "K0ff");
}

TEST(RegRule, SplitStationAndBit)
{
  struct StationCase {
    const char* text;
    int32_t station;
    const char* rest;
  } stations[] = {
      {"2:D100", 2, "D100"}, {"300:D100", 256, ""}, {"2D100", 256, ""}, {"A:D100", 256, "A:D100"},
      {"D100", 256, "D100"}, {"", 256, ""},          {"0", 256, ""},     {"255:LW1", 255, "LW1"},
      {"256:D1", 256, ""},   {"99999999999999:D1", 256, ""}, {"7:", 7, ""},
  };
  for (const auto& c : stations) {
    TZmStationSplit s = SplitStation(c.text);
    EXPECT_EQ(s.Rest, c.rest) << c.text;
    if (!s.Rest.empty()) {
      EXPECT_EQ(s.Station, c.station) << c.text;
    }
  }
  struct BitCase {
    const char* text;
    bool ok;
    const char* rest;
    int32_t bit;
  } bits[] = {
      {"D100.5", true, "D100", 5}, {"D100.16", true, "D100", 16}, {"D100.", false, "", 0},
      {"D100", false, "", 0},      {"5", false, "", 0},           {".5", true, "", 5},
      {"D.1.2", true, "D.1", 2},
  };
  for (const auto& c : bits) {
    TZmBitSplit b = SplitBit(c.text);
    EXPECT_EQ(b.Ok, c.ok) << c.text;
    if (b.Ok) {
      EXPECT_EQ(b.Rest, c.rest) << c.text;
      EXPECT_EQ(b.Bit, c.bit) << c.text;
    }
  }
}

TEST(RegRule, DataTypesAndReferences)
{
  const uint32_t codes[] = {1, 2, 3, 4, 5, 6, 7, 11};
  for (int32_t t = 0; t < 8; ++t) {
    EXPECT_EQ(TypeCodeOf(t), codes[t]);
    EXPECT_EQ(DataTypeOfCode(codes[t]), t);
    EXPECT_EQ(DataTypeFromName(DataTypeName(t)), t);
  }
  EXPECT_EQ(TypeCodeOf(8), 4u);
  EXPECT_EQ(DataTypeOfCode(9), 3);
  EXPECT_EQ(DataTypeFromName("int16u"), 4);
  EXPECT_EQ(MakeRegRef(2 * 10, 0, 0), 0x20000000u + 2 * 10 * 8);
  EXPECT_EQ(MakeRegRef(3, 5, 5), 0x25000000u | (3 << 3) | 5);

  TZmRegRules list;
  TZmRegRule* bit = TZmRegRule::Create(&list, "0\"X\"d0-99");
  TZmRegRule* byte = TZmRegRule::Create(&list, "3\"B\"d0-99");
  TZmRegRule* word = TZmRegRule::Create(&list, "4\"W\"d0-99");
  word->Base = 2;
  word->Offset = 100;
  EXPECT_EQ(word->ProtocolAddress(5), 110);
  EXPECT_EQ(word->ProtocolCount(5, 3), 12);  // 3 INT32 on a word rule, Base 2
  EXPECT_EQ(bit->ProtocolCount(3, 1), 16);
  EXPECT_EQ(byte->ProtocolCount(6, 2), 8);
  EXPECT_EQ(byte->ProtocolCount(0, 2), 2);
}
