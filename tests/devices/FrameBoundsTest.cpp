// Every family, every rule Index and edge addresses and counts: requests stay
// within 256 bytes and writes within what the panel sends, and every
// position a write map names lies inside its frame, so the panel never
// writes past a frame it completes.
#include <gtest/gtest.h>

#include "devices/Devices.h"
#include "devices/FrameBuilders.h"
#include "devices/Protocols.h"
#include "devices/RegRule.h"

namespace {

const int64_t kUIDs[] = {1109330756, 1060208397, -1583889862, -1802544905, 1549670432, 1299925350, 1107794329,
                         -2144545500, -746424602, 400014861,  -623554634,  1134093025, -1425300559, 649066712,
                         -1020238619, 1618513948, -1087441211, 1766187480, -416042279, 1189246966, 1088095053};

// Empty when the map fits its frame; otherwise what does not.
std::string MapOutsideFrame(const std::vector<uint32_t>& map, size_t size)
{
  for (size_t i = 0; i < map.size(); ++i) {
    uint32_t w = map[i], top = w >> 24, p = w & 0xFFFFFF;
    if (top == 0xF0) continue;
    if (top == 0xF1) {
      if (i + 3 >= map.size()) return "checksum block cut short";
      uint32_t first = map[i + 1], end = map[i + 2], place = map[i + 3] & 0xFFFFFF;
      if (first > end || end > size || place >= size) return "checksum outside the frame";
      i += 3;
      continue;
    }
    if (top == 0xF2) {
      if (p >= size || ++i >= map.size()) return "byte outside the frame";
      continue;
    }
    if (p >= size) return "value outside the frame";
  }
  return {};
}

}  // namespace

TEST(FrameBounds, EveryFamilyStaysInsideItsFrames)
{
  const int64_t addresses[] = {-1, 0, 1, 5, 8, 16, 200, 1536, 4096, 8000, 9000, 9999, 65535, 65536, 0xFFFFFF};
  const int64_t counts[] = {1, 2, 8, 16, 17, 32, 64, 255, 256, 1000};
  for (int64_t uid : kUIDs) {
    TZmRegRules rules;
    TZmStation station;
    station.StationNum = 255;
    TZmProtocol p;
    p.UID = static_cast<uint32_t>(uid);
    for (int32_t index = -1; index <= 20; ++index) {
      TZmRegRule* r = TZmRegRule::Create(&rules, "4\"A\"d0-99999999");
      r->Index = index;
      for (int64_t a : addresses) {
        SCOPED_TRACE(std::to_string(uid) + " index " + std::to_string(index) + " at " + std::to_string(a));
        for (int64_t n : counts) {
          TZmWriteTarget t;
          t.Station = &station;
          t.Rule = r;
          t.RegisterNumber = static_cast<int32_t>(a);
          t.ProtocolAddress = a;
          t.Count = n;
          TZmWriteFrame w;
          bool ok = BuildWriteFrame(p.UID, t, w);
          if (!ok || w.Frame.empty()) {
            EXPECT_TRUE(w.Frame.empty() && w.Map.empty());
            continue;
          }
          EXPECT_LE(w.Frame.size(), kMaxWriteFrame);
          EXPECT_LE(w.Map.size(), 256u);
          EXPECT_EQ(MapOutsideFrame(w.Map, w.Frame.size()), "") << "count " << n;
        }
        std::vector<TZmRegItem> regs;
        for (int k = 0; k < 300; ++k) regs.push_back({r, a + k, 0x20000000u + 16u * k, static_cast<int32_t>(a) + k});
        std::vector<TZmDeviceLinkItem> link;
        std::vector<TZmFrameFault> faults;
        BuildReadFrames(p, station, regs, link, &faults);
        for (const TZmDeviceLinkItem& item : link) {
          EXPECT_FALSE(item.Frame.empty());
          EXPECT_LE(item.Frame.size(), 256u);
        }
      }
    }
  }
}
