// Every family's requests and writes against its scripted controller: the
// frames the builders make are answered by the responder, the replies pass
// the shipped protocol's check program and land in the register memory
// through the request's map, and writes completed through their maps change
// the controller's memory where its manual says the register lives.
#include <gtest/gtest.h>

#include <memory>

#include "MapRunner.h"
#include "Responders.h"
#include "devices/Devices.h"
#include "devices/FrameBuilders.h"
#include "devices/Protocols.h"
#include "devices/RegRule.h"

namespace {

std::vector<uint8_t> Text(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

// One station of a shipped protocol on a port, with its controller and the
// panel's register memory; the exchange goes the way the panel's engine runs it.
class Rig {
public:
  Rig(uint32_t uid, uint32_t stationNum) : Uid(uid)
  {
    TZmControllerDB& db = TZmControllerDB::Global();
    Protocol = db.FindProtocol(uid);
    if (!Protocol || Protocol->ControllerRefs.empty()) return;
    Controller = Protocol->ControllerRefs[0];
    Station.StationNum = stationNum;
    Station.ControllerUID = Controller->UID;
    for (size_t i = 0; i < Protocol->CheckArray.Count(); ++i) Program.Words.push_back(Protocol->CheckArray.Element(i));
    if (Protocol->FormatArray.Count() >= 3 && (Protocol->FormatArray.Element(0) & 0xFF) == 1) {
      uint32_t chars = Protocol->FormatArray.Element(2);
      Program.Ack = static_cast<uint8_t>(chars >> 8);
      Program.Nak = static_cast<uint8_t>(chars);
    }
    Controller_ = MakeResponder(uid, stationNum);
  }
  bool Ready() const { return Protocol && Controller && Controller_; }
  TZmResponder& Peer() { return *Controller_; }

  // The rule that takes `address`, with the register number in `value`.
  TZmRegRule* Rule(const std::string& address, int32_t dataType, int32_t& value)
  {
    for (TZmRegRule* r : Controller->RegRules.Items) {
      int32_t count = 1;
      if (r->Match(address, dataType, count, kindAll)) return value = r->Value, r;
    }
    return nullptr;
  }

  // One exchange: the reply of `frame` must pass the check program; then it is stored.
  bool Exchange(const std::vector<uint8_t>& frame, const std::vector<uint32_t>& map, bool store)
  {
    std::vector<uint8_t> reply = Peer().Answer(frame);
    if (reply.empty()) return ADD_FAILURE() << "no answer to " << Show(frame), false;
    if (!CheckReply(Program, frame, reply)) return ADD_FAILURE() << "reply " << Show(reply) << " to " << Show(frame) << " fails the check", false;
    if (store && !StoreReply(map, reply, Memory)) return ADD_FAILURE() << "reply " << Show(reply) << " does not store", false;
    return true;
  }

  // Polls register `value` of `rule` (its whole block for blocked rules) into
  // memory from bit 0; false when no request is made for it.
  bool Poll(TZmRegRule* rule, int32_t value)
  {
    std::vector<TZmRegItem> regs;
    int32_t block = rule->BlockSize > 1 ? rule->BlockSize : 1;
    int32_t first = value - value % block;
    uint32_t width = rule->Kind == kindBit ? 1 : rule->Kind == kindDWord ? 32 : 16;
    for (int32_t k = 0; k < block; ++k)
      regs.push_back({rule, rule->ProtocolAddress(first + k), static_cast<uint32_t>(k) * width, first + k});
    Offset = static_cast<uint32_t>(value - first) * width;
    Width = static_cast<int>(width);
    std::vector<TZmDeviceLinkItem> link;
    std::vector<TZmFrameFault> faults;
    BuildReadFrames(*Protocol, Station, regs, link, &faults);
    EXPECT_TRUE(faults.empty()) << rule->Format;
    bool polled = false;
    for (const TZmDeviceLinkItem& item : link) {
      if (!Exchange(item.Frame, item.Map, true)) return false;
      polled |= item.Map.size() >= 2;
    }
    return polled;
  }
  uint32_t Polled() const { return MemoryBits(Memory, Offset, Width); }

  // Writes `value` as the panel does; `made` tells whether the family had a frame for it.
  bool Write(TZmRegRule* rule, int32_t number, int32_t dataType, uint32_t value, bool& made)
  {
    TZmWriteTarget t;
    t.Station = &Station;
    t.Rule = rule;
    t.RegisterNumber = number;
    t.ProtocolAddress = rule->ProtocolAddress(number);
    t.Count = rule->ProtocolCount(dataType, 1);
    t.DataType = dataType;
    TZmWriteFrame w;
    made = BuildWriteFrame(Uid, t, w) && !w.Frame.empty();
    if (!made) return true;
    EXPECT_EQ(w.Fault.Kind, TZmFrameFault::None);
    std::vector<uint8_t> frame;
    if (!CompleteWrite(w.Frame, w.Map, value, frame)) return ADD_FAILURE() << "map abandons the write", false;
    // The frames some protocols put around a write.
    std::string st = HexStation();
    if (Uid == 1299925350u && !Exchange(Text("CR\r\n"), {}, false)) return false;
    if (Uid == static_cast<uint32_t>(-1020238619) && !Exchange(AtSign("@" + st + "SC02"), {}, false)) return false;
    if (Uid == 1189246966u && !Exchange({75, 33, 5}, {}, false)) return false;
    if (!Exchange(frame, {}, false)) return false;
    if (Uid == static_cast<uint32_t>(-1020238619) && !Exchange(AtSign("@" + st + "KC"), {}, false)) return false;
    if (Uid == 1189246966u && !Exchange({75, 33, 5}, {}, false)) return false;
    return true;
  }

  static std::string Show(const std::vector<uint8_t>& b)
  {
    std::string s;
    for (uint8_t c : b) s += c >= 32 && c < 127 ? std::string(1, static_cast<char>(c)) : "<" + std::to_string(c) + ">";
    return s;
  }

  uint32_t Uid;
  TZmProtocol* Protocol = nullptr;
  TZmController* Controller = nullptr;
  TZmStation Station;
  TZmCheckProgram Program;
  std::vector<uint8_t> Memory = std::vector<uint8_t>(1024);
  uint32_t Offset = 0;
  int Width = 16;

private:
  std::string HexStation() const
  {
    static const char d[] = "0123456789ABCDEF";
    return {d[(Station.StationNum >> 4) & 15], d[Station.StationNum & 15]};
  }
  static std::vector<uint8_t> AtSign(const std::string& s)
  {
    uint8_t x = 0;
    for (char c : s) x ^= static_cast<uint8_t>(c);
    static const char d[] = "0123456789ABCDEF";
    return Text(s + d[x >> 4] + d[x & 15] + "*\r");
  }
  std::unique_ptr<TZmResponder> Controller_;
};

class Families : public ::testing::Test {
protected:
  static void SetUpTestSuite()
  {
    TZmControllerDB::Global().ClearAll();
    ASSERT_TRUE(TZmControllerDB::Global().LoadProtocolFolder(KESTRAVA_SOURCE_DIR "/data/protocol", "1033"));
  }
  static void TearDownTestSuite() { TZmControllerDB::Global().ClearAll(); }
};

const int64_t kFamilies[] = {1109330756, -1802544905, 1549670432, 1299925350, 1107794329, -2144545500, -746424602,
                             400014861,  -623554634,  1134093025, -1425300559, 649066712,  -1020238619, 1618513948,
                             -1087441211, 1766187480,  -416042279, 1189246966,  1088095053};

}  // namespace

// Every rule of every family's controller: poll, write a new value, poll again.
TEST_F(Families, EveryAreaReadsAndWritesItsController)
{
  for (int64_t uid : kFamilies) {
    Rig rig(static_cast<uint32_t>(uid), 3);
    ASSERT_TRUE(rig.Ready()) << uid;
    SCOPED_TRACE(rig.Protocol->Name);
    int written = 0;
    for (TZmRegRule* rule : rig.Controller->RegRules.Items) {
      SCOPED_TRACE(rule->Format);
      // A register inside the range, on a word boundary so that bit areas
      // can also be written sixteen bits at once.
      int32_t number = rule->Min + ((rule->Max - rule->Min) / 3) / 16 * 16;
      int32_t dataType = rule->Kind == kindBit ? 0 : rule->Kind == kindDWord ? 6 : 4;
      bool polled = rig.Poll(rule, number);
      uint32_t before = rig.Polled();
      uint32_t value = rule->Kind == kindBit ? (before ^ 1) : rule->Kind == kindDWord ? 0x89ABCDEFu ^ number : (0x1234u + number) & 0xFFFF;
      bool made = false;
      ASSERT_TRUE(rig.Write(rule, number, dataType, value, made));
      if (made) ++written;
      if (!polled) continue;
      ASSERT_TRUE(rig.Poll(rule, number));
      if (made) EXPECT_EQ(rig.Polled(), value);
      else EXPECT_EQ(rig.Polled(), before);
      // Sixteen bits at once into a bit area, where the family can.
      if (rule->Kind == kindBit) {
        ASSERT_TRUE(rig.Write(rule, number, 4, 0xA5C3, made));
        if (made && rig.Poll(rule, number)) {
          EXPECT_EQ(MemoryBits(rig.Memory, rig.Offset, 1), 1u);  // bit 0 of 0xA5C3
        }
      }
    }
    EXPECT_GT(written, 0);
    EXPECT_EQ(rig.Peer().Rejected, 0);
  }
}

// Where a written value lands in the controller, by the controller's own
// address map (space and address of the responder's memory).
TEST_F(Families, WritesLandWhereTheControllerKeepsTheRegister)
{
  enum Unit { Bit, Byte16, Word, Byte32 };
  struct Case {
    int64_t uid;
    const char* address;
    Unit unit;
    int space;
    int64_t at;  // bit number, byte address or word address
  } cases[] = {
      {-1802544905, "D100", Word, 2, 4196},       {-1802544905, "D4100", Word, 2, 36868},
      {-1802544905, "Y10", Bit, 0, 1288},         {-1802544905, "M1600", Bit, 0, 45120},
      {1107794329, "D100", Byte16, 0, 4296},      {1107794329, "Y10", Bit, 0, 161 * 8},
      {1107794329, "SM8009", Bit, 0, 481 * 8 + 1}, {1107794329, "CD201", Byte32, 0, 3076},
      {-2144545500, "D100", Byte16, 0, 4296},     {-2144545500, "Y7", Bit, 0, 384 * 8 + 7},
      {400014861, "D100", Byte16, 0, 7368},       {400014861, "M9", Bit, 0, 129 * 8 + 1},
      {-623554634, "D100", Byte16, 0, 200},       {-623554634, "M9", Bit, 0, 24577 * 8 + 1},
      {-623554634, "M3", Bit, 0, 24576 * 8 + 3},  {1549670432, "DT100", Word, 'D', 100},
      {1549670432, "Y12", Bit, 'Y', 18},          {1549670432, "T17", Bit, 'T', 17},
      {1299925350, "DM100", Word, 'D', 100},      {1299925350, "R5", Bit, 'R', 5},
      {649066712, "DM100", Word, 'D', 100},       {649066712, "CIO1.2", Bit, 'R', 18},
      {-1020238619, "WR1.2", Bit, 'W', 18},       {-1020238619, "W5", Word, 'W', 5},
      {1618513948, "Y5", Bit, 'Y', 5},            {1618513948, "RT7", Word, 'R' * 256 + 'T', 7},
      {1134093025, "D5", Word, 'D', 5},           {-1425300559, "R5", Word, 0, 5},
      // Binary families.
      {1766187480, "D10", Byte16, 0, 0x8800 + 20}, {1766187480, "Y10", Bit, 0, 0x8202 * 8},
      {1766187480, "SM9010", Bit, 0, 0x8742 * 8 + 2}, {1766187480, "R5", Byte16, 0, 0x2000A},
      {-416042279, "ZR5", Word, 4, 5},             {1189246966, "D100", Word, 0, 100},
      {1189246966, "Y18", Bit, 0, (0xE800 + 1) * 16 + 2}, {1088095053, "D7", Word, 4, 7},
      {1088095053, "Y18", Bit, 2, 18},             {1088095053, "SM9010", Bit, 1, 10},
  };
  for (const Case& c : cases) {
    Rig rig(static_cast<uint32_t>(c.uid), 2);
    ASSERT_TRUE(rig.Ready());
    SCOPED_TRACE(rig.Protocol->Name + " " + c.address);
    int32_t dataType = c.unit == Bit ? 0 : c.unit == Byte32 ? 6 : 4;
    int32_t number;
    TZmRegRule* rule = rig.Rule(c.address, dataType, number);
    ASSERT_TRUE(rule);
    TZmResponder& p = rig.Peer();
    uint32_t old = c.unit == Bit ? p.Bit(c.space, c.at) : c.unit == Word ? p.Word(c.space, c.at)
                                                                         : p.Byte(c.space, c.at) | (p.Byte(c.space, c.at + 1) << 8);
    uint32_t value = c.unit == Bit ? !old : c.unit == Byte32 ? 0x13579BDF : (old + 0x101) & 0xFFFF;
    bool made;
    ASSERT_TRUE(rig.Write(rule, number, dataType, value, made));
    ASSERT_TRUE(made);
    switch (c.unit) {
      case Bit: EXPECT_EQ(p.Bit(c.space, c.at), value != 0); break;
      case Word: EXPECT_EQ(p.Word(c.space, c.at), value); break;
      case Byte16: EXPECT_EQ(p.Byte(c.space, c.at) | (p.Byte(c.space, c.at + 1) << 8), value); break;
      case Byte32:
        EXPECT_EQ(p.Byte(c.space, c.at) | (p.Byte(c.space, c.at + 1) << 8) | (p.Byte(c.space, c.at + 2) << 16) |
                      (uint32_t(p.Byte(c.space, c.at + 3)) << 24),
                  value);
        break;
    }
    EXPECT_EQ(p.Rejected, 0);
  }
}

// Replies the panel must not take: a wrong check, a wrong station, an error
// reply, a reply of the wrong length.
TEST_F(Families, BadRepliesAreRejected)
{
  struct Case {
    int64_t uid;
    std::string request, reply;
    bool passes;
  } cases[] = {
      {1549670432, "", "%03$RD1234", false},  // no block check
      {649066712, "@03RD00000001", "@03RD0112347B*\r", false},  // end code 01
      {400014861, "\x02" "0351000002" "\x03", "\x02" "0451000012" "\x03" "F7", false},  // another station
      {1107794329, "", "\x02" "12" "\x03" "66", true},
      {1107794329, "", "\x02" "12" "\x03" "67", false},
      {1107794329, "", "\x06", true},  // a write's acknowledgement
      {1107794329, "", "\x15", false},
  };
  for (const Case& c : cases) {
    Rig rig(static_cast<uint32_t>(c.uid), 3);
    ASSERT_TRUE(rig.Ready());
    std::vector<uint8_t> request(c.request.begin(), c.request.end()), reply(c.reply.begin(), c.reply.end());
    EXPECT_EQ(CheckReply(rig.Program, request, reply), c.passes) << Rig::Show(reply);
  }
  // A reply the map requires to be of another length is not stored.
  std::vector<uint8_t> memory(16);
  std::vector<uint32_t> map = {6 + (10u << 16), 0xF0000001, 0x10000000};
  EXPECT_FALSE(StoreReply(map, Text("\x02" "0344010" "\x03" "00"), memory));
  EXPECT_TRUE(StoreReply(map, Text("\x02" "03440" "b" "00" "\x03"), memory));
  EXPECT_EQ(memory[0], 1);  // a digit above 0 stores 1, lower case too
  // A binary reply shorter than its map's data is not stored at all.
  std::vector<uint32_t> words = {4, 0xF0000004, 0x43000000};
  std::vector<uint8_t> before = memory;
  EXPECT_FALSE(StoreReply(words, std::vector<uint8_t>{163, 4, 0, 255, 1, 2, 0x05}, memory));
  EXPECT_EQ(memory, before);
  EXPECT_TRUE(StoreReply(words, std::vector<uint8_t>{163, 10, 0, 255, 1, 2, 3, 4, 5, 6, 7, 8, 0x28}, memory));
  EXPECT_EQ(MemoryBits(memory, 0, 16), 0x0201u);
}
