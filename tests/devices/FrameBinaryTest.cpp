// Requests and writes of the binary families byte for byte, their run
// limits at the boundary, and the writes they cannot frame.
#include <gtest/gtest.h>

#include "devices/Devices.h"
#include "devices/FrameBuilders.h"
#include "devices/Protocols.h"
#include "devices/RegRule.h"

namespace {

constexpr uint32_t k163 = 1766187480, k9023 = static_cast<uint32_t>(-416042279), k7533 = 1189246966, kArea = 1088095053;
constexpr uint32_t R = 0x001000;  // bit address of the first register's reference below

using Bytes = std::vector<uint8_t>;

struct Bench {
  TZmRegRule* Rule(int32_t index)
  {
    TZmRegRule* r = TZmRegRule::Create(&rules, "4\"A\"d0-9999999");
    r->Index = index;
    return r;
  }
  std::vector<TZmRegItem> Regs(TZmRegRule* r, int64_t first, int count)
  {
    std::vector<TZmRegItem> v;
    for (int k = 0; k < count; ++k) v.push_back({r, first + k, 0x20001000u + static_cast<uint32_t>(k) * 16, static_cast<int32_t>(first) + k});
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
  bool Write(uint32_t uid, int32_t index, int64_t address, int64_t count, TZmWriteFrame& w)
  {
    TZmWriteTarget t;
    t.Station = &station;
    t.Rule = Rule(index);
    t.RegisterNumber = static_cast<int32_t>(address);
    t.ProtocolAddress = address;
    t.Count = count;
    return BuildWriteFrame(uid, t, w);
  }
  TZmRegRules rules;
  TZmStation station;
};

}  // namespace

TEST(FrameBinary, ReadRequests)
{
  struct Case {
    uint32_t uid;
    int32_t index;
    int64_t first;
    int count;
    uint32_t station;
    Bytes frame;  // of the last request item
    std::vector<uint32_t> map;
    size_t items = 1;
  } cases[] = {
      // 0x8200 + (16 / 8) x 2 = 0x8204, length (16 / 8) x 2 = 4, two bytes of bits.
      {k163, 1, 16, 16, 0, {163, 7, 0, 255, 2, 0x04, 0x82, 0x00, 4, 0x92}, {4, 0xF0000002, 0x22000000 + R}},
      {k163, 4, 9016, 16, 0, {163, 7, 0, 255, 2, 0x44, 0x87, 0x00, 4, 0xD7}, {4, 0xF0000002, 0x22000000 + R}},
      {k163, 15, 9002, 3, 0, {163, 7, 0, 255, 2, 0x54, 0xE3, 0x00, 6, 0x45}, {4, 0xF0000003, 0x43000000 + R}},
      {k9023, 2, 100, 3, 1, {90, 23, 0, 255, 122, 1, 0, 17, 0, 0, 0, 0, 0, 0, 0, 0, 1, 6, 0, 2, 100, 0, 0, 3, 0, 0xEE},
       {25, 0xF0000003, 0x43000000 + R}},
      {k7533, 0, 0x1234, 3, 2, {2, 0x40, 0x01, 0x12, 0x34, 3, 0x17, 0x64}, {7, 0xF0000003, 0x43000000 + R}, 2},
      {k7533, 1, 32, 32, 2, {2, 0x40, 0x01, 0xE0, 0x02, 2, 0x17, 0xA1}, {7, 0xF0000002, 0x43000000 + R}, 2},
      // One word per request, and no count word.
      {kArea, 4, 7, 1, 0, {204, 0, 17, 4, 7, 0, 1, 0, 51, 0x1C}, {3, 0x43000000 + R}},
      {kArea, 3, 9016, 16, 0, {204, 0, 17, 1, 2, 0, 1, 0, 51, 0x14}, {3, 0x43000000 + R}},
  };
  for (const Case& c : cases) {
    Bench b;
    b.station.StationNum = c.station;
    auto link = b.Read(c.uid, b.Regs(b.Rule(c.index), c.first, c.count));
    SCOPED_TRACE(std::to_string(c.uid) + " index " + std::to_string(c.index));
    ASSERT_EQ(link.size(), c.items);
    EXPECT_EQ(link.back().Frame, c.frame);
    EXPECT_EQ(link.back().Map, c.map);
    if (c.items == 2) {
      EXPECT_EQ(link[0].Frame, (Bytes{75, 33, 5}));  // every exchange is opened first
      EXPECT_TRUE(link[0].Map.empty());
    }
  }
}

TEST(FrameBinary, RunLimits)
{
  struct Case {
    uint32_t uid;
    int32_t index;
    int64_t limit, step, first = 0;
  } cases[] = {
      {k163, 0, 256, 8}, {k163, 11, 256, 8}, {k163, 12, 64, 1}, {k163, 17, 64, 1},     {k9023, 0, 32, 1},
      {k9023, 4, 32, 1}, {k7533, 0, 128, 1}, {k7533, 1, 256, 16}, {k7533, 10, 256, 16}, {kArea, 0, 16, 16},
      {kArea, 3, 16, 16, 9000}, {kArea, 4, 1, 1}, {kArea, 5, 1, 1, 9000},
  };
  for (const Case& c : cases) {
    Bench b;
    TZmRegRule* r = b.Rule(c.index);
    size_t per = c.uid == k7533 ? 2 : 1;
    EXPECT_EQ(b.Read(c.uid, b.Regs(r, c.first, static_cast<int>(c.limit))).size(), per) << c.uid << " index " << c.index;
    EXPECT_EQ(b.Read(c.uid, b.Regs(r, c.first, static_cast<int>(c.limit + c.step))).size(), 2 * per) << c.uid << " index " << c.index;
  }
}

TEST(FrameBinary, RequestsThatAreNotMade)
{
  struct Case {
    uint32_t uid;
    int32_t index;
    int64_t first;
    int count;
    int32_t fault;  // None: the family defines no request for it
    int64_t value = 0;
  } cases[] = {
      {k9023, 5, 0, 1, TZmFrameFault::None},         // no area code
      {k7533, 1, 0, 24, TZmFrameFault::None},        // not whole words
      {kArea, 0, 0, 8, TZmFrameFault::None},         // a word is sixteen bits
      {k163, 18, 0, 1, TZmFrameFault::NoArea},
      {k163, 4, 8992, 16, TZmFrameFault::NoArea},  // below the area that starts at 9000
      {kArea, 5, 8999, 1, TZmFrameFault::NoArea},
      {k7533, 11, 0, 1, TZmFrameFault::NoArea},
      {kArea, 6, 0, 1, TZmFrameFault::NoArea},
      {k163, 16, 0x7FFFFF, 1, TZmFrameFault::DoesNotFit, 0x20000 + 2 * 0x7FFFFF},  // past 24 bits
      {k7533, 0, 0x10000, 1, TZmFrameFault::DoesNotFit, 0x10000},
  };
  for (const Case& c : cases) {
    Bench b;
    std::vector<TZmFrameFault> faults;
    auto link = b.Read(c.uid, b.Regs(b.Rule(c.index), c.first, c.count), &faults);
    SCOPED_TRACE(std::to_string(c.uid) + " index " + std::to_string(c.index));
    EXPECT_TRUE(link.empty());
    if (c.fault == TZmFrameFault::None) {
      EXPECT_TRUE(faults.empty());
    } else {
      ASSERT_EQ(faults.size(), 1u);
      EXPECT_EQ(faults[0].Kind, c.fault);
      EXPECT_EQ(faults[0].Value, c.value);
    }
  }
}

TEST(FrameBinary, Writes)
{
  struct Case {
    uint32_t uid;
    int32_t index;
    int64_t address, count;
    uint32_t station;
    Bytes frame;  // empty: refused, BuildWriteFrame false with a NoWrite fault
    std::vector<uint32_t> map;
  } cases[] = {
      // Header 163: the mask of the bit in its byte at 10, the bit value at 6.
      {k163, 1, 5, 1, 0, {163, 9, 0, 255, 6, 1, 0, 0x00, 0x82, 0x00, 0, 0}, {0xF200000A, 32, 0x18000006, 0xF1000001, 1, 11, 0x2100000B}},
      {k163, 2, 16, 32, 0, {163, 15, 0, 255, 4, 0x04, 0x86, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {0xF0000002, 0x45000009, 0xF1000001, 1, 17, 0x21000011}},
      {k163, 2, 16, 16, 0, {163, 11, 0, 255, 4, 0x04, 0x86, 0, 4, 0, 0, 0, 0, 0}, {0x45000009, 0xF1000001, 1, 13, 0x2100000D}},
      {k163, 14, 10, 2, 0, {163, 11, 0, 255, 4, 0x14, 0x88, 0, 4, 0, 0, 0, 0, 0}, {0xF0000002, 0x43000009, 0xF1000001, 1, 13, 0x2100000D}},
      {k163, 16, 5, 1, 0, {163, 9, 0, 255, 4, 0x0A, 0x00, 0x02, 2, 0, 0, 0}, {0x43000009, 0xF1000001, 1, 11, 0x2100000B}},
      {k163, 2, 16, 24, 0, {}, {}},  // not whole words
      {k163, 2, 4, 16, 0, {}, {}},   // not from a byte boundary
      {k163, 18, 0, 1, 0, {}, {}},
      {k163, 4, 8999, 1, 0, {}, {}},
      // Header 90 23.
      {k9023, 3, 0x10203, 2, 0x0105,
       {90, 27, 0, 255, 122, 0x05, 0x01, 17, 0, 0, 0, 0, 0, 1, 0, 0, 1, 10, 0, 4, 0x03, 0x02, 0x01, 2, 0, 0, 0, 0, 0, 0},
       {0xF0000002, 0x43000019, 0xF1000006, 1, 29, 0x2100001D}},
      {k9023, 0, 7, 1, 1, {90, 25, 0, 255, 122, 1, 0, 17, 0, 0, 0, 0, 0, 1, 0, 0, 1, 8, 0, 0, 7, 0, 0, 1, 0, 0, 0, 0},
       {0x43000019, 0xF1000006, 1, 27, 0x2100001B}},
      {k9023, 5, 7, 1, 1, {}, {}},
      // Header 75 33: words direct, one bit by command, several bits in words.
      {k7533, 0, 0x1234, 2, 2, {2, 0x46, 0x01, 0x12, 0x34, 2, 0, 0, 0, 0, 0x17, 0}, {0xF0000002, 0x43000006, 0xF1000004, 1, 10, 0x2100000B}},
      {k7533, 2, 18, 1, 2, {2, 0x00, 0x01, 0xE8, 0x12, 0x17, 0xFB}, {0x1D000001, 0xF1000004, 1, 5, 0x21000006}},
      {k7533, 3, 32, 32, 2, {2, 0x46, 0x01, 0xFC, 0x02, 2, 0, 0, 0, 0, 0x17, 0}, {0xF0000002, 0x43000006, 0xF1000004, 1, 10, 0x2100000B}},
      {k7533, 3, 8, 16, 2, {}, {}},
      {k7533, 11, 0, 1, 2, {}, {}},
      // Area codes.
      {kArea, 1, 0x105, 1, 0, {204, 0, 0, 2, 0x05, 0x01, 51, 0}, {0x1C000002, 0xF1000001, 0, 7, 0x21000007}},
      {kArea, 3, 9010, 1, 0, {204, 0, 0, 1, 10, 0, 51, 0}, {0x1C000002, 0xF1000001, 0, 7, 0x21000007}},
      {kArea, 2, 16, 32, 0, {204, 0, 18, 0, 2, 0, 2, 0, 0, 0, 0, 0, 51, 0}, {0xF0000002, 0x43000008, 0xF1000001, 0, 13, 0x2100000D}},
      {kArea, 2, 16, 16, 0, {204, 0, 18, 0, 2, 0, 1, 0, 0, 0, 51, 0}, {0xF0000001, 0x43000008, 0xF1000001, 0, 11, 0x2100000B}},
      {kArea, 5, 9003, 1, 0, {204, 0, 18, 5, 3, 0, 1, 0, 0, 0, 51, 0}, {0x43000008, 0xF1000001, 0, 11, 0x2100000B}},
      {kArea, 0, 5, 1, 0, {}, {}},   // inputs
      {kArea, 2, 16, 24, 0, {}, {}},
      {kArea, 2, 4, 16, 0, {}, {}},
      {kArea, 6, 0, 1, 0, {}, {}},
  };
  for (const Case& c : cases) {
    Bench b;
    b.station.StationNum = c.station;
    TZmWriteFrame w;
    SCOPED_TRACE(std::to_string(c.uid) + " index " + std::to_string(c.index) + " at " + std::to_string(c.address));
    bool ok = b.Write(c.uid, c.index, c.address, c.count, w);
    EXPECT_EQ(ok, !c.frame.empty());
    EXPECT_EQ(w.Frame, c.frame);
    EXPECT_EQ(w.Map, c.map);
    EXPECT_EQ(w.Fault.Kind, c.frame.empty() ? TZmFrameFault::NoWrite : TZmFrameFault::None);
  }
}
