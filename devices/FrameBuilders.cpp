// Chooses a family's frame builders by protocol UID.
#include "devices/FrameBuilders.h"

#include "devices/FrameCommon.h"
#include "devices/Protocols.h"
#include "devices/RegRule.h"

namespace {

struct Family {
  std::initializer_list<uint32_t> UIDs;
  void (*Read)(frames::ReadOut&, const std::vector<TZmRegItem>&);
  bool (*Write)(uint32_t, const TZmWriteTarget&, TZmWriteFrame&);
};

constexpr uint32_t U(int64_t uid) { return static_cast<uint32_t>(uid); }

const Family kFamilies[] = {
    {{U(1109330756)}, frames::ModbusAsciiRead, frames::ModbusAsciiWrite},
    {{U(1060208397), U(-1583889862)}, frames::ModbusRtuRead, frames::ModbusRtuWrite},
    {{U(-1802544905)}, frames::AreaAsciiRead, frames::AreaAsciiWrite},
    {{U(1549670432)}, frames::PercentRead, frames::PercentWrite},
    {{U(1299925350)}, frames::TextCommandRead, frames::TextCommandWrite},
    {{U(1107794329), U(-2144545500), U(-746424602), U(400014861), U(-623554634)}, frames::StxTableRead,
     frames::StxTableWrite},
    {{U(1134093025)}, frames::StxDecimalRead, frames::StxDecimalWrite},
    {{U(-1425300559)}, frames::ShortAsciiRead, frames::ShortAsciiWrite},
    {{U(649066712), U(-1020238619)}, frames::AtSignRead, frames::AtSignWrite},
    {{U(1618513948), U(-1087441211)}, frames::StxLetterRead, frames::StxLetterWrite},
    {{U(1766187480)}, frames::Header163Read, frames::Header163Write},
    {{U(-416042279)}, frames::Header9023Read, frames::Header9023Write},
    {{U(1189246966)}, frames::Header7533Read, frames::Header7533Write},
    {{U(1088095053)}, frames::AreaCodeRead, frames::AreaCodeWrite},
};

const Family* FamilyOf(uint32_t uid)
{
  for (const Family& f : kFamilies)
    for (uint32_t u : f.UIDs)
      if (u == uid) return &f;
  return nullptr;
}

}  // namespace

bool HasFrameBuilders(uint32_t protocolUID) { return FamilyOf(protocolUID) != nullptr; }

bool BuildWriteFrame(uint32_t protocolUID, const TZmWriteTarget& target, TZmWriteFrame& out)
{
  out = {};
  const Family* f = FamilyOf(protocolUID);
  if (!f) return false;
  auto tooLong = [&] {
    out.Frame.clear();
    out.Map.clear();
    out.Fault = {TZmFrameFault::TooLong, target.Rule ? target.Rule->Index : -1, 0, static_cast<int32_t>(kMaxWriteFrame),
                 target.Rule, target.RegisterNumber};
  };
  // Even a bit packed eight to a byte makes a frame past the limit here;
  // stopping early keeps a huge count from a data file from being framed.
  if (target.Count > 1024) return tooLong(), true;
  if (target.ProtocolAddress < 0) {
    out.Fault = {TZmFrameFault::DoesNotFit, target.Rule ? target.Rule->Index : -1, target.ProtocolAddress, 0, target.Rule,
                 target.RegisterNumber};
    return true;
  }
  bool ok = f->Write(protocolUID, target, out);
  if (!ok) {
    out.Frame.clear();
    out.Map.clear();
  } else if (out.Frame.size() > kMaxWriteFrame) {
    tooLong();
  }
  return ok;
}

void BuildReadFrames(const TZmProtocol& protocol, const TZmStation& station, const std::vector<TZmRegItem>& registers,
                     std::vector<TZmDeviceLinkItem>& link, std::vector<TZmFrameFault>* faults)
{
  const Family* f = FamilyOf(protocol.UID);
  if (!f) return;
  frames::ReadOut out{protocol, station, link, faults};
  // A negative address (an Offset below the rule's first register) has no frame in any family.
  std::vector<TZmRegItem> regs;
  regs.reserve(registers.size());
  for (const TZmRegItem& r : registers) {
    if (r.ProtocolAddress >= 0) {
      regs.push_back(r);
    } else if (faults) {
      faults->push_back({TZmFrameFault::DoesNotFit, r.Rule ? r.Rule->Index : -1, r.ProtocolAddress, 0, r.Rule, r.RegisterNumber});
    }
  }
  f->Read(out, regs);
}
