#include "devices/Resolve.h"

#include "devices/Devices.h"
#include "devices/Protocols.h"
#include "devices/RegRule.h"

int64_t InternalWords(int32_t dataType, int32_t count)
{
  int64_t c = count < 1 ? 1 : count;
  switch (dataType) {
    case 0: return (c - 1) / 16 + 1;
    case 1:
    case 2: return (c + 1) / 2;
    case 5:
    case 6:
    case 7: return 2 * c;
    default: return c;
  }
}

TZmResolved MatchController(TZmController& controller, std::string_view address, int32_t dataType, int32_t count,
                            int32_t acceptedKinds)
{
  TZmResolved r;
  for (TZmRegRule* rule : controller.RegRules.Items) {
    int32_t n = count;
    if (rule->Match(address, dataType, n, acceptedKinds)) {
      r.Ok = true;
      r.Rule = rule;
      r.Value = rule->Value;
      r.Count = n;
      r.ProtocolAddress = rule->ProtocolAddress(rule->Value);
      r.ProtocolCount = rule->ProtocolCount(dataType, count);
      return r;
    }
  }
  // D100.5: bit 5 of word D100 when no bit rule takes the text whole.
  TZmBitSplit b = SplitBit(address);
  if (b.Ok && b.Bit >= 0 && b.Bit <= 15 && (acceptedKinds & kindBit)) {
    int32_t wordKinds = (acceptedKinds & ~kindBit) | kindWord | kindWord2;
    TZmResolved w = MatchController(controller, b.Rest, 4, 1, wordKinds);
    if (w.Ok) {
      w.Bit = b.Bit;
      return w;
    }
  }
  r.Error = "no register rule of " + controller.Name + " matches \"" + std::string(address) + "\"";
  return r;
}

TZmResolved ResolveAddress(const TZmDevices& devices, std::string_view address, int32_t dataType, int32_t count,
                           int32_t acceptedKinds, int32_t regCnt)
{
  TZmResolved r;
  TZmStationSplit split = SplitStation(address);
  if (split.Rest.empty()) {
    r.Error = address.empty() ? "empty address" : "invalid station number in \"" + std::string(address) + "\"";
    return r;
  }
  int32_t tries[2] = {split.Station, -1};
  if (split.Station == 256) {
    tries[0] = 0;
    tries[1] = 255;
  }
  std::string lastError = "no station " + std::to_string(split.Station);
  for (int32_t id : tries) {
    if (id < 0) continue;
    const TZmStation* st = devices.FindStation(id);
    if (!st) continue;
    TZmController* c = st->Controller();
    if (!c) {
      lastError = "station " + std::to_string(id) + " has no controller";
      continue;
    }
    TZmResolved m = MatchController(*c, split.Rest, dataType, count, acceptedKinds);
    if (!m.Ok) {
      lastError = m.Error;
      continue;
    }
    m.Station = st;
    if (id == 255) {
      m.Internal = true;
      int64_t words = InternalWords(m.Bit >= 0 ? 4 : dataType, count);
      if (int64_t(m.Value) + words > regCnt) {
        m.Ok = false;
        m.Error = "\"" + std::string(address) + "\" reaches past the " + std::to_string(regCnt) + " internal registers";
        return m;
      }
      m.Reference = kRegRefClassMemory + static_cast<uint32_t>(m.Value) * 16 + static_cast<uint32_t>(m.Bit >= 0 ? m.Bit : 0);
    }
    return m;
  }
  r.Error = lastError;
  return r;
}
