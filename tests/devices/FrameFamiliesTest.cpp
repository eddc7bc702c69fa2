// Requests and writes of the text and STX families, byte for byte, with
// their run limits at the boundary and the frames they refuse.
#include <gtest/gtest.h>

#include "devices/Devices.h"
#include "devices/FrameBuilders.h"
#include "devices/Protocols.h"
#include "devices/RegRule.h"

namespace {

constexpr uint32_t U(int64_t uid) { return static_cast<uint32_t>(uid); }
constexpr uint32_t kPercent = 1549670432, kText = 1299925350, kHex = 1107794329, kE = U(-2144545500), kE2 = U(-746424602),
                   kStation = 400014861, kM = U(-623554634), kDecimal = 1134093025, kShort = U(-1425300559),
                   kAt = 649066712, kAt2 = U(-1020238619), kLetter = 1618513948, kLetter2 = U(-1087441211),
                   kAreas = U(-1802544905), kAscii = 1109330756, kRtu = 1060208397;
constexpr uint32_t R = 0x001000;  // bit address of the first register's reference below

std::string Text(const std::vector<uint8_t>& b) { return std::string(b.begin(), b.end()); }

// Rules of any Index made on demand, a station, and the builders' calls.
struct Bench {
  TZmRegRule* Rule(int32_t index, int32_t base = 1, const char* text = "4\"A\"d0-999999")
  {
    TZmRegRule* r = TZmRegRule::Create(&rules, text);
    r->Index = index;
    r->Base = base;
    return r;
  }
  // `count` registers of a rule with consecutive protocol addresses from `first`.
  std::vector<TZmRegItem> Regs(TZmRegRule* r, int64_t first, int count)
  {
    std::vector<TZmRegItem> v;
    for (int k = 0; k < count; ++k)
      v.push_back({r, first + int64_t(k) * r->Base, 0x20001000u + static_cast<uint32_t>(k) * 16, static_cast<int32_t>(first) + k});
    return v;
  }
  std::vector<TZmDeviceLinkItem> Read(uint32_t uid, const std::vector<TZmRegItem>& regs, std::vector<TZmFrameFault>* faults = nullptr)
  {
    TZmProtocol p;
    p.UID = uid;
    std::vector<TZmDeviceLinkItem> link;
    BuildReadFrames(p, station, regs, link, faults);
    return link;
  }
  bool Write(uint32_t uid, TZmRegRule* r, int64_t address, int64_t count, TZmWriteFrame& w)
  {
    TZmWriteTarget t;
    t.Station = &station;
    t.Rule = r;
    t.RegisterNumber = static_cast<int32_t>(address);
    t.ProtocolAddress = address;
    t.Count = count;
    return BuildWriteFrame(uid, t, w);
  }
  TZmRegRules rules;
  TZmStation station;
};

}  // namespace

TEST(FrameFamilies, ReadRequests)
{
  struct Case {
    uint32_t uid;
    int32_t index;
    int64_t first;
    int count;
    uint32_t station;
    std::string frame;
    std::vector<uint32_t> map;
    const char* rule = "4\"A\"d0-999999";
  } cases[] = {
      // STX with hexadecimal addresses: D = 2A + 4096 = 0x10C8, six bytes; the sum 0x75 of the eight bytes after STX.
      {kHex, 9, 100, 3, 0, "\x02" "010C806" "\x03" "75", {1, 0xF0000003, 0x41000000 + R}},
      {kHex, 2, 16, 16, 0, "\x02" "0010202" "\x03" "58", {1, 0xF0000002, 0x20000000 + R}},  // 16 / 8 + 256 = 0x0102
      {kE, 7, 100, 1, 0, "\x02" "E0010C802" "\x03" "E6", {1, 0xF0000001, 0x41000000 + R}},
      {kE2, 7, 100, 1, 0, "\x02" "E0010C802" "\x03" "E6", {1, 0xF0000001, 0x41000000 + R}},
      {kStation, 12, 100, 1, 1, "\x02" "01511CC802" "\x03" "1B", {7, 0xF0000001, 0x41000000 + R}},
      // M commands: D low byte, high byte; one word without a count word, two with one.
      {kM, 9, 100, 1, 0, "\x02" "rMC80000025C" "\x03", {2, 0x41000000 + R}},
      {kM, 9, 100, 2, 0, "\x02" "rMC80000045E" "\x03", {2, 0xF0000002, 0x41000000 + R}},
      {kPercent, 6, 100, 3, 1, "%01#RDD0010000102" "57\r", {6, 0xF0000003, 0x41000000 + R}},
      {kPercent, 0, 16, 32, 1, "%01#RCCX00010002" "0E\r", {6, 0xF0000002, 0x41000000 + R}},  // words 1 and 2
      {kAt, 5, 100, 2, 0, "@00RD01000002" "55*\r", {7, 0xF0000002, 0x40000000 + R}},
      {kAt2, 7, 32, 32, 0, "@00RR00020002" "40*\r", {7, 0xF0000002, 0x40000000 + R}},
      {kAt, 11, 100, 2, 0, "@00FA08000020000000000000F0101B101000000027B*\r", {35, 0xF0000002, 0x40000000 + R}},
      // Letter areas: the reply must be exactly L + 9 (bits) or 15 (the state) long.
      {kLetter, 1, 5, 1, 1, "\x02" "014401Y0005" "4A\x03", {6 + (10u << 16), 0xF0000001, 0x10000000 + R}},
      {kLetter2, 12, 0, 1, 1, "\x02" "0140" "C7\x03", {6 + (15u << 16), 0xF0000001, 0x16000000 + R}},
      // Device areas: A - 1536 + 45056 above 1535, A - 4096 + 36864 above 4095; no decrement.
      {kAreas, 2, 1600, 1, 1, ":0102B04000010C\r\n", {7, 0xF0000001, 0x16000000 + R}},
      {kAreas, 9, 4100, 1, 1, ":01039004000167\r\n", {7, 0xF0000001, 0x40000000 + R}},
      // One-byte addresses carry only the address's low byte.
      {kShort, 0, 0x105, 1, 1, ":01010105F8\r\n", {9, 0x40000000 + R}},
      {kDecimal, 0, 5, 1, 1, "\x02" "01R D5" "\x03", {7, 0x44000000 + R}, "4\"D\"d0-99"},
  };
  for (const Case& c : cases) {
    Bench b;
    b.station.StationNum = c.station;
    auto link = b.Read(c.uid, b.Regs(b.Rule(c.index, 1, c.rule), c.first, c.count));
    SCOPED_TRACE(c.frame);
    ASSERT_EQ(link.size(), 1u) << c.uid;
    EXPECT_EQ(Text(link[0].Frame), c.frame);
    EXPECT_EQ(link[0].Map, c.map);
  }
}

TEST(FrameFamilies, TextCommandsOpenEveryRead)
{
  Bench b;
  auto link = b.Read(kText, b.Regs(b.Rule(3), 100, 3));
  ASSERT_EQ(link.size(), 9u);  // three registers, three items each
  EXPECT_EQ(Text(link[0].Frame), "CQ\r\n");
  EXPECT_TRUE(link[0].Map.empty());
  EXPECT_EQ(Text(link[1].Frame), "CR\r\n");
  EXPECT_EQ(Text(link[2].Frame), "RD DM100\r\n");
  EXPECT_EQ(link[2].Map, (std::vector<uint32_t>{0, 0x44000000 + R}));
  EXPECT_EQ(Text(link[8].Frame), "RD DM102\r\n");
  auto relay = b.Read(kText, b.Regs(b.Rule(1), 10005, 1));
  ASSERT_EQ(relay.size(), 3u);
  EXPECT_EQ(Text(relay[2].Frame), "RD 10005\r\n");
  EXPECT_EQ(relay[2].Map[1] >> 24, 0x10u);
}

// L at the family's limit is one request; one more register starts a second.
TEST(FrameFamilies, RunLimits)
{
  struct Case {
    uint32_t uid;
    int32_t index;
    int64_t limit;
    int64_t first = 0;
  } cases[] = {
      {kPercent, 0, 256},  {kPercent, 5, 256},  {kPercent, 6, 16},   {kPercent, 11, 16},  {kHex, 0, 128},
      {kHex, 6, 128},      {kHex, 7, 16},       {kHex, 10, 8, 200},  {kHex, 11, 16, 8000}, {kE, 0, 128},
      {kE, 9, 8, 200},     {kE, 10, 16},        {kStation, 8, 128},  {kStation, 11, 8, 200}, {kStation, 13, 16, 9000},
      {kM, 6, 256},        {kM, 7, 16},         {kM, 9, 16},         {kLetter, 0, 256},   {kLetter, 6, 64},
      {kLetter, 10, 32},   {kLetter, 11, 64},   {kLetter, 12, 1},    {kAt, 0, 8},         {kAt, 6, 8},
      {kAt, 7, 128},       {kAt, 11, 8},        {kAt, 12, 128},      {kAreas, 0, 256},    {kAreas, 5, 256},
      {kAreas, 6, 16},     {kAreas, 8, 8},      {kAreas, 9, 16},     {kShort, 0, 1},      {kText, 3, 1},
      {kDecimal, 0, 1},
  };
  for (const Case& c : cases) {
    Bench b;
    TZmRegRule* r = b.Rule(c.index, 1, c.uid == kDecimal ? "4\"D\"d0-99" : "4\"A\"d0-999999");
    int perRequest = c.uid == kText ? 3 : 1;
    // Bit areas that are read in whole words take one more word to start a second run.
    bool words = (c.uid == kPercent && c.index <= 5) || (c.uid == kAt && (c.index == 7 || c.index == 12));
    bool bytes = c.uid == kHex || c.uid == kE || c.uid == kStation || c.uid == kM;
    int64_t step = words ? 16 : bytes && c.limit >= 128 ? 8 : 1;
    auto at = b.Read(c.uid, b.Regs(r, c.first, static_cast<int>(c.limit)));
    auto over = b.Read(c.uid, b.Regs(r, c.first, static_cast<int>(c.limit + step)));
    EXPECT_EQ(at.size(), size_t(perRequest)) << c.uid << " index " << c.index;
    EXPECT_EQ(over.size(), size_t(2 * perRequest)) << c.uid << " index " << c.index;
  }
}

// Controller-specific limits and the start address scaled by Mula.
TEST(FrameFamilies, ModbusLimitsByController)
{
  struct Case {
    uint32_t uid, controller;
    int32_t index;
    int64_t limit;
  } cases[] = {
      {kAscii, 0, 0, 256},          {kAscii, 0, 3, 64},           {kAscii, 0, 5, 32},
      {kAscii, U(-408378398), 0, 16}, {kAscii, U(-408378398), 3, 2}, {kAscii, U(-408378398), 4, 1},
      {kAscii, U(-821410964), 6, 2}, {kAscii, U(-821410964), 0, 1},
      {kRtu, 0, 7, 64},             {kRtu, U(-1828861255), 0, 16}, {kRtu, U(-1828861255), 3, 12},
      {kRtu, U(-1828861255), 5, 6}, {kRtu, U(-821410964), 3, 2},   {kRtu, U(-408378398), 2, 3},
      {kRtu, U(-408378398), 4, 1},
  };
  for (const Case& c : cases) {
    Bench b;
    b.station.ControllerUID = c.controller;
    TZmRegRule* r = b.Rule(c.index);
    auto at = b.Read(c.uid, b.Regs(r, 1, static_cast<int>(c.limit)));
    auto over = b.Read(c.uid, b.Regs(r, 1, static_cast<int>(c.limit + 1)));
    EXPECT_EQ(at.size(), 1u) << c.uid << " " << c.controller << " index " << c.index;
    EXPECT_EQ(over.size(), 2u) << c.uid << " " << c.controller << " index " << c.index;
  }
  Bench b;
  TZmRegRule* r = b.Rule(3, 1, "4\"HR\"d10-100");
  r->Mula = 4;
  r->Offset = 2;
  auto link = b.Read(kRtu, b.Regs(r, 20, 1));
  ASSERT_EQ(link.size(), 1u);
  // ((20 - 2 - 10) x 4) + 2 + 10, less one: 43.
  EXPECT_EQ(link[0].Frame[2], 0);
  EXPECT_EQ(link[0].Frame[3], 43);
}

TEST(FrameFamilies, Writes)
{
  struct Case {
    uint32_t uid;
    int32_t index;
    int64_t address, count;
    uint32_t station;
    std::string frame;  // empty: no frame
    std::vector<uint32_t> map;
    bool result = true;
    const char* rule = "4\"A\"d0-999999";
  } cases[] = {
      // STX with hexadecimal addresses: bit addresses with their bytes exchanged.
      {kHex, 1, 5, 1, 0, "\x02" "80505" "\x03" "00", {0x12000001, 0xF1000001, 1, 7, 0x20000007}},
      {kHex, 4, 0x10, 1, 0, "\x02" "81000" "\x03" "00", {0x12000001, 0xF1000001, 1, 7, 0x20000007}},
      {kHex, 9, 100, 2, 0, "\x02" "110C804" "00000000" "\x03" "00", {0xF0000002, 0x41000008, 0xF1000001, 1, 17, 0x20000011}},
      {kHex, 10, 200, 1, 0, "\x02" "10C0004" "00000000" "\x03" "00", {0x81000008, 0xF1000001, 1, 17, 0x20000011}},
      {kHex, 0, 8, 16, 0, "", {}},   // several bits at once
      {kHex, 11, 8000, 1, 0, "", {}},
      {kE, 1, 5, 1, 0, "\x02" "E7050C" "\x03" "00", {0x12000002, 0xF1000001, 1, 8, 0x20000008}},  // 5 + 3072
      {kE, 0, 5, 1, 0, "", {}},  // inputs are not written
      {kE, 9, 200, 1, 0, "\x02" "E100C0004" "00000000" "\x03" "00", {0x8100000A, 0xF1000001, 1, 19, 0x20000013}},
      {kE, 11, 8001, 1, 0, "\x02" "E100E0202" "0000" "\x03" "00", {0x4100000A, 0xF1000001, 1, 15, 0x2000000F}},
      {kStation, 2, 9, 1, 1, "\x02" "01700409" "\x03" "00", {0x13000004, 0xF1000001, 1, 10, 0x2000000A}},
      {kStation, 3, 9001, 1, 1, "\x02" "01701F01" "\x03" "00", {0x13000004, 0xF1000001, 1, 10, 0x2000000A}},
      {kStation, 0, 8, 16, 1, "\x02" "0161000102" "0000" "\x03" "00", {0xF0000001, 0x4100000B, 0xF1000001, 1, 16, 0x20000010}},
      {kStation, 0, 8, 12, 1, "", {}},  // not whole bytes
      {kStation, 0, 8, 8, 1, "", {}},   // whole bytes but no whole word
      {kStation, 11, 201, 1, 1, "\x02" "01611A0404" "00000000" "\x03" "00", {0x8100000B, 0xF1000001, 1, 20, 0x20000014}},
      {kStation, 14, 0, 1, 1, "", {}},
      // M commands: the mask selects the bit within the 16-bit word at D.
      {kM, 2, 3, 1, 0, "\x02" "oM0060000800  " "\x03", {0x91000001, 0x92000009, 0xF1000001, 1, 13, 0x2000000D}},
      {kM, 2, 9, 1, 0, "\x02" "oM0060000002  " "\x03", {0x91000001, 0x92000009, 0xF1000001, 1, 13, 0x2000000D}},
      {kM, 2, 16, 16, 0, "\x02" "wM02600002" "0000" "00\x03", {0x4100000B, 0xF1000001, 1, 15, 0x2000000F}},
      {kM, 2, 16, 32, 0, "\x02" "wM02600004" "00000000" "00\x03", {0xF0000002, 0x4100000B, 0xF1000001, 1, 19, 0x20000013}},
      {kM, 2, 4, 16, 0, "", {}},   // not from a byte boundary
      {kM, 2, 16, 8, 0, "", {}},   // not whole words
      {kM, 9, 100, 1, 0, "\x02" "wMC8000002" "0000" "00\x03", {0x4100000B, 0xF1000001, 1, 15, 0x2000000F}},
      {kM, 10, 0, 1, 0, "", {}},
      // Percent-sign commands.
      {kPercent, 0, 0x25, 1, 1, "%01#WCSX0025 00\r", {0x1000000C, 0xF1000004, 0, 13, 0x2000000D}},
      {kPercent, 4, 17, 1, 1, "%01#WCST0017 00\r", {0x1000000C, 0xF1000004, 0, 13, 0x2000000D}},
      {kPercent, 0, 32, 32, 1, "%01#WCCX00020003" "00000000" "00\r", {0xF0000002, 0x41000010, 0xF1000004, 0, 24, 0x20000018}},
      {kPercent, 1, 16, 16, 1, "%01#WCCY00010001" "0000" "00\r", {0x41000010, 0xF1000004, 0, 20, 0x20000014}},
      {kPercent, 0, 8, 16, 1, "", {}, false},   // unaligned bits: the write stays in the panel
      {kPercent, 0, 16, 24, 1, "", {}, false},
      {kPercent, 6, 100, 2, 1, "%01#WDD0010000101" "00000000" "00\r", {0xF0000002, 0x41000011, 0xF1000004, 0, 25, 0x20000019}},
      {kPercent, 8, 5, 1, 1, "%01#WS00050005" "0000" "00\r", {0xF0000001, 0x4100000E, 0xF1000004, 0, 18, 0x20000012}},
      {kPercent, 12, 5, 1, 1, "", {}},
      // Text commands.
      {kText, 0, 5, 1, 0, "__ 5\r\n", {0x1E000000}},
      {kText, 3, 100, 1, 0, "WR DM0100 00000\r\n", {0x4C00000A}},
      {kText, 4, 7, 1, 0, "WR TM0007 00000\r\n", {0x4C00000A}},
      {kText, 3, 100, 2, 0, "", {}},
      {kText, 5, 1, 1, 0, "", {}},
      // Decimal stations and one-byte addresses.
      {kDecimal, 0, 5, 1, 1, "\x02" "01W D500000" "\x03", {0x44000007}, true, "4\"D\"d0-99"},
      {kDecimal, 1, 7, 1, 1, "\x02" "01W K7" "\x03", {}, true, "4\"K\"d0-99"},
      {kDecimal, 2, 7, 1, 1, "", {}, true, "4\"K\"d0-99"},
      {kShort, 0, 0x105, 1, 1, ":01020305000000\r\n", {0x40000009, 0xF1000003, 1, 13, 0x2000000D}},
      {kShort, 2, 5, 1, 1, ":0103010500\r\n", {0xF1000003, 1, 9, 0x20000009}},
      {kShort, 1, 5, 1, 1, "", {}},
      // At-sign commands.
      {kAt, 5, 100, 1, 0, "@00WD0100" "0000" "00*\r", {0x40000009, 0xF1000004, 0, 13, 0x2000000D}},
      {kAt, 6, 3, 2, 0, "@00WG0003" "00" "00*\r", {0xF0000002, 0x10000009, 0xF1000004, 0, 11, 0x2000000B}},
      {kAt, 7, 18, 1, 0, "@00K CIO 000102  *\r", {0x1B000004, 0xF1000004, 0, 15, 0x2000000F}},
      {kAt2, 12, 35, 1, 0, "@00K WR  000203  *\r", {0x1B000004, 0xF1000004, 0, 15, 0x2000000F}},
      {kAt, 7, 16, 16, 0, "@00WR0001" "0000" "00*\r", {0x40000009, 0xF1000004, 0, 13, 0x2000000D}},
      {kAt, 7, 8, 16, 0, "", {}},  // several unaligned bits
      {kAt, 11, 100, 1, 0, "@00FA08000020000000000000F0102B1010000" "0001" "0000" "00*\r",
       {0x4000002A, 0xF1000004, 0, 46, 0x2000002E}},
      {kAt, 13, 0, 1, 0, "", {}},
      // Letter areas.
      {kLetter, 0, 5, 1, 1, "\x02" "0142 X0005 0" "\x03", {0x15000005, 0xF1000001, 0, 11, 0x2000000B}},
      {kLetter, 4, 5, 3, 1, "\x02" "014503M0005" "000" "00\x03", {0xF0000003, 0x1000000C, 0xF1000001, 0, 15, 0x2000000F}},
      {kLetter, 7, 100, 1, 1, "\x02" "014701D00100" "0000" "00\x03", {0x4000000D, 0xF1000001, 0, 17, 0x20000011}},
      {kLetter2, 10, 200, 1, 1, "\x02" "014701DRC0200" "00000000" "00\x03", {0x8000000E, 0xF1000001, 0, 22, 0x20000016}},
      {kLetter, 12, 0, 1, 1, "\x02" "0141" "0" "00\x03", {0x10000005, 0xF1000001, 0, 6, 0x20000006}},
      {kLetter, 13, 0, 1, 1, "", {}},
      // Device areas: the LRC covers the value's last character too.
      {kAreas, 6, 5, 1, 1, ":01060605      \r\n", {0x40000009, 0xF1000003, 1, 13, 0x2000000D}},
      {kAreas, 1, 5, 1, 1, ":01050505      \r\n", {0x17000009, 0xF1000003, 1, 13, 0x2000000D}},
      {kAreas, 8, 200, 1, 1, ":01060EC8          \r\n", {0x80000009, 0xF1000003, 1, 17, 0x20000011}},
      {kAreas, 1, 0, 10, 1, std::string(":010F0500000A02") + std::string(4, '\0') + "DF\r\n",
       {0xF000000A, 0x1600000F, 0xF1000003, 1, 19, 0x20000013}},
      {kAreas, 0, 5, 1, 1, "", {}},
      {kAreas, 8, 200, 2, 1, "", {}},
  };
  for (const Case& c : cases) {
    Bench b;
    b.station.StationNum = c.station;
    TZmWriteFrame w;
    SCOPED_TRACE(std::to_string(c.uid) + " index " + std::to_string(c.index) + " at " + std::to_string(c.address));
    EXPECT_EQ(b.Write(c.uid, b.Rule(c.index, 1, c.rule), c.address, c.count, w), c.result);
    EXPECT_EQ(Text(w.Frame), c.frame);
    EXPECT_EQ(w.Map, c.map);
    EXPECT_EQ(w.Fault.Kind, TZmFrameFault::None);
  }
}

// Numbers too wide for their fields, and areas beyond a family's table.
TEST(FrameFamilies, RefusedFrames)
{
  struct Read {
    uint32_t uid;
    int32_t index;
    int64_t address;
    uint32_t station;
    int32_t fault;  // None: the family defines no request and says nothing
    int64_t value = 0;
    int32_t digits = 0;
    const char* rule = "4\"A\"d0-999999";
  } reads[] = {
      {kHex, 12, 0, 0, TZmFrameFault::NoArea},
      {kHex, 3, 7999, 0, TZmFrameFault::NoArea},  // below the area that starts at 8000
      {kStation, 13, 8999, 0, TZmFrameFault::NoArea},
      {kE, 12, 0, 0, TZmFrameFault::NoArea},
      {kStation, 14, 0, 0, TZmFrameFault::NoArea},
      {kM, 10, 0, 0, TZmFrameFault::NoArea},
      {kAt, 13, 0, 0, TZmFrameFault::NoArea},
      {kLetter, 13, 0, 0, TZmFrameFault::NoArea},
      {kPercent, 12, 0, 0, TZmFrameFault::NoArea},
      {kAreas, 10, 0, 0, TZmFrameFault::NoArea},
      {kAscii, 7, 1, 1, TZmFrameFault::NoArea},
      {kRtu, 8, 1, 1, TZmFrameFault::NoArea},
      {kShort, 2, 0, 1, TZmFrameFault::None},
      {kDecimal, 1, 0, 1, TZmFrameFault::None, 0, 0, "4\"D\"d0-99"},
      {kPercent, 6, 100000, 1, TZmFrameFault::DoesNotFit, 100000, 5},
      {kAt, 5, 10000, 0, TZmFrameFault::DoesNotFit, 10000, 4},
      {kLetter, 7, 100000, 1, TZmFrameFault::DoesNotFit, 100000, 5},
      {kStation, 12, 30000, 1, TZmFrameFault::DoesNotFit, 67168, 4},  // 2A + 7168 past four digits
      {kDecimal, 0, 100, 1, TZmFrameFault::DoesNotFit, 4, 3, "4\"D\"d0-999"},  // "D100" in three characters
      {kDecimal, 0, 5, 100, TZmFrameFault::DoesNotFit, 100, 2, "4\"D\"d0-99"},  // station 100 in two digits
      {kAscii, 3, 0, 1, TZmFrameFault::DoesNotFit, -1, 4},  // address 0 has no Modbus number
      {kAreas, 9, 70000, 1, TZmFrameFault::DoesNotFit, 102768, 4},
  };
  for (const Read& c : reads) {
    Bench b;
    b.station.StationNum = c.station;
    std::vector<TZmFrameFault> faults;
    auto link = b.Read(c.uid, b.Regs(b.Rule(c.index, 1, c.rule), c.address, 1), &faults);
    SCOPED_TRACE(std::to_string(c.uid) + " index " + std::to_string(c.index));
    EXPECT_TRUE(link.empty());
    if (c.fault == TZmFrameFault::None) {
      EXPECT_TRUE(faults.empty());
      continue;
    }
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_EQ(faults[0].Kind, c.fault);
    EXPECT_EQ(faults[0].Index, c.index);
    EXPECT_EQ(faults[0].RegisterNumber, c.address);
    if (c.fault == TZmFrameFault::DoesNotFit) {
      EXPECT_EQ(faults[0].Value, c.value);
      EXPECT_EQ(faults[0].Digits, c.digits);
    }
  }
  struct Write {
    uint32_t uid;
    int32_t index;
    int64_t address, count;
    int64_t value;
    int32_t digits;
  } writes[] = {
      {kText, 3, 10000, 1, 10000, 4},      {kPercent, 0, 16000, 1, 1000, 3}, {kAt, 5, 10000, 1, 10000, 4},
      {kLetter, 0, 10000, 1, 10000, 4},    {kLetter, 4, 0, 256, 256, 2},     {kStation, 12, 30000, 1, 67168, 4},
      {kAscii, 3, 0, 1, -1, 4},            {kAreas, 6, 0, 300, 600, 2},
  };
  for (const Write& c : writes) {
    Bench b;
    TZmWriteFrame w;
    SCOPED_TRACE(std::to_string(c.uid) + " index " + std::to_string(c.index));
    EXPECT_TRUE(b.Write(c.uid, b.Rule(c.index), c.address, c.count, w));
    EXPECT_TRUE(w.Frame.empty());
    EXPECT_TRUE(w.Map.empty());
    EXPECT_EQ(w.Fault.Kind, TZmFrameFault::DoesNotFit);
    EXPECT_EQ(w.Fault.Value, c.value);
    EXPECT_EQ(w.Fault.Digits, c.digits);
  }
  // Longer than the panel sends: refused, whatever the family would return.
  struct Long {
    uint32_t uid;
    int32_t index;
    int64_t count;
    bool result;
  } longs[] = {{kPercent, 6, 11, true}, {kAt, 5, 12, true}, {kAscii, 3, 12, true}, {kRtu, 3, 1 << 20, true},
               {1766187480, 14, 25, true}, {kLetter, 10, int64_t(1) << 40, true}};
  for (const Long& c : longs) {
    Bench b;
    TZmWriteFrame w;
    SCOPED_TRACE(std::to_string(c.uid) + " index " + std::to_string(c.index));
    EXPECT_EQ(b.Write(c.uid, b.Rule(c.index), 100, c.count, w), c.result);
    EXPECT_TRUE(w.Frame.empty());
    EXPECT_EQ(w.Fault.Kind, TZmFrameFault::TooLong);
    EXPECT_EQ(w.Fault.Digits, 59);
  }
  // At the limit: 13 characters around one character per bit.
  Bench b;
  TZmWriteFrame w;
  EXPECT_TRUE(b.Write(kAt, b.Rule(6), 0, 46, w));
  EXPECT_EQ(w.Frame.size(), 59u);
  EXPECT_TRUE(b.Write(kAt, b.Rule(6), 0, 47, w));
  EXPECT_EQ(w.Fault.Kind, TZmFrameFault::TooLong);
}

// An Offset that puts a register below address 0 gives no frame anywhere.
TEST(FrameFamilies, NegativeAddresses)
{
  for (uint32_t uid : {kHex, kPercent, kAt, 1766187480u, kAscii}) {
    Bench b;
    TZmRegRule* r = b.Rule(0);
    std::vector<TZmFrameFault> faults;
    EXPECT_TRUE(b.Read(uid, b.Regs(r, -16, 1), &faults).empty()) << uid;
    ASSERT_EQ(faults.size(), 1u) << uid;
    EXPECT_EQ(faults[0].Kind, TZmFrameFault::DoesNotFit);
    TZmWriteFrame w;
    EXPECT_TRUE(b.Write(uid, r, -16, 1, w));
    EXPECT_TRUE(w.Frame.empty());
    EXPECT_EQ(w.Fault.Kind, TZmFrameFault::DoesNotFit);
  }
}
