// Families that do not group registers: every register is a request of its
// own. The text command family, the STX family with decimal stations and
// the ASCII family with one-byte addresses.
#include "base/Checksum.h"
#include "devices/FrameCommon.h"
#include "devices/RegRule.h"

namespace frames {

void TextCommandRead(ReadOut& out, const std::vector<TZmRegItem>& regs)
{
  for (const Run& run : Singles(regs)) {
    // Every read is preceded by the two commands that open the controller's
    // command mode.
    out.Emit({'C', 'Q', '\r', '\n'}, {});
    out.Emit({'C', 'R', '\r', '\n'}, {});
    Text t;
    uint32_t tag;
    switch (run.Index) {
      case 0:
      case 1:
      case 2: t.Put("RD %d\r\n", {run.A}); tag = 0x10; break;
      case 3: t.Put("RD DM%d\r\n", {run.A}); tag = 0x44; break;
      case 4: t.Put("RD TM%d\r\n", {run.A}); tag = 0x44; break;
      default: continue;
    }
    if (!t.Ok()) {
      out.Refuse(run, t.Fault);
      continue;
    }
    out.Emit(t.Bytes(), {0, Dest(tag, run.R)});
  }
}

bool TextCommandWrite(uint32_t, const TZmWriteTarget& t, TZmWriteFrame& out)
{
  int32_t i = IndexOf(t);
  if (CountOf(t) != 1) return true;  // one value per command
  Text f;
  if (i >= 0 && i <= 2) {
    f.Put("__ %d\r\n", {t.ProtocolAddress});  // the blanks become the set or reset command
    out.Map = {0x1E000000};
  } else if (i == 3 || i == 4) {
    f.Put(i == 3 ? "WR DM%04d 00000\r\n" : "WR TM%04d 00000\r\n", {t.ProtocolAddress});
    out.Map = {0x4C00000A};
  } else {
    return true;
  }
  if (!f.Ok()) return RefuseWrite(t, out, f.Fault), true;
  out.Frame = f.Bytes();
  return true;
}

namespace {

// The address as the controller names it: the rule's display form of the
// protocol address, at most three characters.
std::string AddressText(const TZmRegRule* rule, int64_t address)
{
  return rule ? rule->FormatNumber(static_cast<int32_t>(address)) : std::to_string(address);
}

}  // namespace

void StxDecimalRead(ReadOut& out, const std::vector<TZmRegItem>& regs)
{
  for (const Run& run : Singles(regs)) {
    if (run.Index != 0) continue;  // only the data registers are read
    Text t;
    if (!t.Put("\x02" "%02dR%3s" "\x03", {out.StationNum(), AddressText(run.Last, run.A)})) {
      out.Refuse(run, t.Fault);
      continue;
    }
    out.Emit(t.Bytes(), {7, Dest(0x44, run.R)});
  }
}

bool StxDecimalWrite(uint32_t, const TZmWriteTarget& t, TZmWriteFrame& out)
{
  int32_t i = IndexOf(t);
  if ((i != 0 && i != 1) || CountOf(t) != 1) return true;
  Text f;
  if (!f.Put(i == 0 ? "\x02" "%02dW%3s00000" "\x03" : "\x02" "%02dW%3s" "\x03", {StationOf(t), AddressText(t.Rule, t.ProtocolAddress)}))
    return RefuseWrite(t, out, f.Fault), true;
  out.Frame = f.Bytes();
  if (i == 0) out.Map = {0x44000007};  // the command of Index 1 carries no value
  return true;
}

void ShortAsciiRead(ReadOut& out, const std::vector<TZmRegItem>& regs)
{
  for (const Run& run : Singles(regs)) {
    if (run.Index != 0 && run.Index != 1) continue;
    Text t;
    // The frame has room for the address's low byte only.
    if (!t.Put(run.Index == 0 ? ":%02X0101%02X" : ":%02X0401%02X", {out.StationNum(), run.A & 0xFF})) {
      out.Refuse(run, t.Fault);
      continue;
    }
    t.Raw(HexPair(Checksum(checkLrcHex, t.S.substr(1))) + "\r\n");
    out.Emit(t.Bytes(), {9, Dest(0x40, run.R)});
  }
}

bool ShortAsciiWrite(uint32_t, const TZmWriteTarget& t, TZmWriteFrame& out)
{
  int32_t i = IndexOf(t);
  if ((i != 0 && i != 2) || CountOf(t) != 1) return true;
  Text f;
  if (!f.Put(i == 0 ? ":%02X0203%02X000000\r\n" : ":%02X0301%02X00\r\n", {StationOf(t), t.ProtocolAddress & 0xFF}))
    return RefuseWrite(t, out, f.Fault), true;
  out.Frame = f.Bytes();
  if (i == 0) out.Map = {0x40000009, SumWord(checkLrcHex), 1, 13, 0x2000000D};
  else out.Map = {SumWord(checkLrcHex), 1, 9, 0x20000009};
  return true;
}

}  // namespace frames
