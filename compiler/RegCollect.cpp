#include "compiler/RegCollect.h"

#include <algorithm>
#include <set>
#include <tuple>

#include "base/Format.h"
#include "base/Texts.h"
#include "compiler/Compiler.h"
#include "image/Messages.h"
#include "devices/Devices.h"
#include "devices/FrameBuilders.h"
#include "devices/Protocols.h"
#include "devices/RegRule.h"
#include "model/Project.h"
#include "model/Scenes.h"

// Registers stay sorted and unique, so whole ranges (grouped rules) can be
// added without quadratic cost and a register's index is a binary search.
void TZmRegCollectItem::AddRegister(int32_t n)
{
  auto it = std::lower_bound(Registers.begin(), Registers.end(), n);
  if (it == Registers.end() || *it != n) Registers.insert(it, n);
}

bool TZmRegCollectItem::Contains(int32_t n) const { return std::binary_search(Registers.begin(), Registers.end(), n); }

uint32_t TZmRegCollectItem::ReferenceAt(size_t k) const
{
  uint32_t start = static_cast<uint32_t>(Start);
  uint32_t byte = start, bit = 0;
  switch (Rule ? Rule->Kind : 0) {
    case kindBit:
      byte = start + static_cast<uint32_t>(k / 8);
      bit = static_cast<uint32_t>(k % 8);
      break;
    case kindByte: byte = start + static_cast<uint32_t>(k); break;
    case kindDWord: byte = start + 4 * static_cast<uint32_t>(k); break;
    default: byte = start + 2 * static_cast<uint32_t>(k); break;
  }
  return kRegRefClassMemory | (byte << 3) | bit;
}

size_t TZmRegCollectItems::RegisterCount() const
{
  size_t n = 0;
  for (const auto& it : Items) n += it.Registers.size();
  return n;
}

TZmRegCollect* TZmRegCollects::Find(TZmScene* scene)
{
  for (auto& c : List)
    if (c->Scene == scene && c->LinkKind == 0) return c.get();
  List.push_back(std::make_unique<TZmRegCollect>());
  List.back()->Scene = scene;
  return List.back().get();
}

TZmRegCollectItems* TZmRegCollects::Entry(TZmRegCollect& c, int32_t stationId)
{
  if (stationId < 0 || stationId > 255) return nullptr;
  if (c.Stations[stationId]) return c.Stations[stationId].get();
  if (!Compiler || !Compiler->Project) return nullptr;
  const TZmStation* st = Compiler->Project->Devices->FindStation(stationId);
  TZmController* ctrl = st ? st->Controller() : nullptr;
  if (!ctrl) return nullptr;
  auto entry = std::make_unique<TZmRegCollectItems>();
  entry->Controller = ctrl;
  for (TZmRegRule* r : ctrl->RegRules.Items) {
    entry->Items.emplace_back();
    entry->Items.back().Rule = r;
  }
  c.Stations[stationId] = std::move(entry);
  return c.Stations[stationId].get();
}

bool TZmRegCollects::AddToStation(TZmRegCollect& c, int32_t stationId, std::string_view rest, int32_t dataType,
                                  int32_t count, int32_t acceptedKinds)
{
  TZmRegCollectItems* entry = Entry(c, stationId);
  if (!entry) return false;
  for (auto& item : entry->Items) {
    TZmRegRule* r = item.Rule;
    int32_t n = count;
    if (!r->Match(rest, dataType, n, acceptedKinds)) continue;
    int32_t v = r->Value;
    if (r->Group == 1) {
      for (auto& other : entry->Items)
        if (other.Rule->Index == r->Index)
          for (int64_t u = other.Rule->Min; u <= other.Rule->Max; u += other.Rule->Step)
            other.AddRegister(static_cast<int32_t>(u));
    } else if (r->BlockSize <= 1) {
      for (int64_t k = 0; k < n; ++k) item.AddRegister(static_cast<int32_t>(v + k * r->Step));
    } else {
      int64_t block = r->BlockSize;
      for (int64_t k = 0; k < n; ++k) {
        int64_t u = v + k * r->Step;
        int64_t b = (u - r->Min) / block;
        for (int64_t i = 0; i < block; ++i) item.AddRegister(static_cast<int32_t>(r->Min + block * b + i));
      }
    }
    return true;
  }
  TZmBitSplit bit = SplitBit(rest);
  if ((acceptedKinds & kindBit) && bit.Ok && bit.Bit >= 0 && bit.Bit <= 15)
    return AddToStation(c, stationId, bit.Rest, dataType, count, (acceptedKinds & ~kindBit) | kindWord);
  return false;
}

bool TZmRegCollects::Add(TZmScene* scene, std::string_view address, int32_t dataType, int32_t count, int32_t acceptedKinds)
{
  TZmStationSplit split = SplitStation(address);
  if (split.Rest.empty()) return false;
  TZmRegCollect& c = *Find(scene);
  if (split.Station == 256)
    return AddToStation(c, 0, split.Rest, dataType, count, acceptedKinds) ||
           AddToStation(c, 255, split.Rest, dataType, count, acceptedKinds);
  return AddToStation(c, split.Station, split.Rest, dataType, count, acceptedKinds);
}

bool TZmRegCollects::AddToAllScenes(std::string_view address, int32_t dataType, int32_t count, int32_t acceptedKinds)
{
  if (!Compiler || !Compiler->Project) return false;
  for (TZmSceneGroup* g : Compiler->Project->SceneGroups->Groups)
    for (TZmScene* s : g->Scenes)
      if (!Add(s, address, dataType, count, acceptedKinds)) return false;
  return true;
}

int32_t TZmRegCollects::Layout(int32_t start)
{
  TZmRegCollect& c = *Find(nullptr);
  int64_t offset = start;
  c.Total = 0;
  for (int32_t id = 0; id <= 254; ++id) {
    TZmRegCollectItems* entry = c.Stations[id].get();
    if (!entry) continue;
    entry->Total = 0;
    for (auto& item : entry->Items) {
      int64_t n = static_cast<int64_t>(item.Registers.size());
      int64_t size = 0;
      if (n > 0) {
        switch (item.Rule->Kind) {
          case kindBit: size = (n - 1) / 8 + 1; break;
          case kindByte: size = n; break;
          case kindDWord: size = 4 * n; break;
          default: size = 2 * n; break;
        }
      }
      item.Start = static_cast<int32_t>(std::min<int64_t>(offset, INT32_MAX));
      item.Size = static_cast<int32_t>(std::min<int64_t>(size, INT32_MAX));
      offset += size;
      entry->Total += item.Size;
    }
    c.Total += entry->Total;
  }
  return static_cast<int32_t>(std::min<int64_t>(offset, INT32_MAX));
}

TZmRegResolved TZmRegCollects::Resolve(std::string_view address, int32_t dataType, int32_t count)
{
  TZmRegResolved r;
  TZmStationSplit split = SplitStation(address);
  if (split.Rest.empty()) return r;
  TZmRegCollect& c = *Find(nullptr);
  auto tryStation = [&](int32_t id) {
    TZmRegCollectItems* entry = Entry(c, id);
    if (!entry) return false;
    for (auto& item : entry->Items) {
      int32_t n = 1;
      if (!item.Rule->Match(split.Rest, 0, n, kindAll)) continue;
      int32_t v = item.Rule->Value;
      uint32_t ref;
      if (id == 255) {
        ref = kRegRefClassMemory + 16 * static_cast<uint32_t>(v);
      } else {
        auto it = std::lower_bound(item.Registers.begin(), item.Registers.end(), v);
        if (it == item.Registers.end() || *it != v) continue;
        ref = item.ReferenceAt(static_cast<size_t>(it - item.Registers.begin()));
      }
      r.Found = true;
      r.Station = id;
      r.Reference = ref;
      r.RuleIndex = item.Rule->Index;
      r.ProtocolAddress = item.Rule->ProtocolAddress(v);
      r.Rule = item.Rule;
      r.Count = item.Rule->ProtocolCount(dataType, count);
      return true;
    }
    return false;
  };
  if (split.Station == 256) {
    if (!tryStation(0)) tryStation(255);
  } else {
    tryStation(split.Station);
  }
  return r;
}

uint32_t TZmRegCollects::ReferenceOf(int32_t stationId, size_t itemIndex, int32_t registerNumber) const
{
  for (const auto& c : List) {
    if (c->Scene || c->LinkKind != 0) continue;
    if (stationId < 0 || stationId > 255 || !c->Stations[stationId]) return 0;
    const TZmRegCollectItems& entry = *c->Stations[stationId];
    if (itemIndex >= entry.Items.size()) return 0;
    const TZmRegCollectItem& item = entry.Items[itemIndex];
    auto it = std::lower_bound(item.Registers.begin(), item.Registers.end(), registerNumber);
    return it == item.Registers.end() || *it != registerNumber
               ? 0
               : item.ReferenceAt(static_cast<size_t>(it - item.Registers.begin()));
  }
  return 0;
}

void TZmRegCollects::WritePortLinks(TZmCompileDriver& compiler, const TZmRegCollects& global)
{
  if (!compiler.Project) return;
  const TZmDevices& devices = *compiler.Project->Devices;
  TZmStream& out = compiler.Output();
  // A register polled by several scenes is reported once.
  std::set<std::tuple<int32_t, const TZmRegRule*, int32_t>> reported;
  for (const auto& c : List) {
    if (!c->Scene || c->LinkKind != 0) continue;
    struct Link {
      uint32_t Port;
      std::vector<TZmDeviceLinkItem> Items;
    };
    std::vector<Link> links;
    for (TZmDevice* d : devices.Devices) {
      bool polls = false;
      for (TZmStation* st : d->Stations)
        if (st->ID >= 0 && st->ID < 255 && c->Stations[st->ID] && c->Stations[st->ID]->RegisterCount() > 0) polls = true;
      TZmProtocol* protocol = d->Protocol();
      if (!polls || !protocol) continue;  // a port whose protocol is not loaded polls nothing
      Link link{d->Index, {}};
      for (TZmStation* st : d->Stations) {
        if (st->ID < 0 || st->ID >= 255 || !c->Stations[st->ID]) continue;
        const TZmRegCollectItems& entry = *c->Stations[st->ID];
        std::vector<TZmRegItem> regs;
        for (size_t i = 0; i < entry.Items.size(); ++i)
          for (int32_t n : entry.Items[i].Registers)
            regs.push_back({entry.Items[i].Rule, entry.Items[i].Rule->ProtocolAddress(n), global.ReferenceOf(st->ID, i, n), n});
        std::vector<TZmFrameFault> faults;
        BuildReadFrames(*protocol, *st, regs, link.Items, &faults);
        for (const TZmFrameFault& f : faults) {
          if (!reported.insert({st->ID, f.Rule, f.RegisterNumber}).second) continue;
          // Registers the protocol cannot request would never be refreshed on the panel.
          std::string address = f.Rule ? f.Rule->FormatNumber(f.RegisterNumber) : std::string();
          if (f.Kind == TZmFrameFault::NoArea)
            compiler.Messages->AddPlain(SafeFormat(GetText(2612), {st->ID, address, protocol->Name, f.Index}));
          else
            compiler.Messages->AddPlain(SafeFormat(GetText(2613), {st->ID, address, f.Value, f.Digits, protocol->Name}));
        }
      }
      links.push_back(std::move(link));
    }
    if (links.empty()) continue;
    out.SeekEnd();
    compiler.SceneLinks[c->Scene->ID] = compiler.Offset();
    out.WriteU32(static_cast<uint32_t>(links.size()));
    size_t linkSlots = out.Size();
    out.WriteZeros(4 * links.size());
    for (size_t l = 0; l < links.size(); ++l) {
      compiler.PatchSlot(linkSlots, l);
      out.WriteU32(links[l].Port);
      out.WriteU32(static_cast<uint32_t>(links[l].Items.size()));
      size_t itemSlots = out.Size();
      out.WriteZeros(4 * links[l].Items.size());
      for (size_t k = 0; k < links[l].Items.size(); ++k) {
        const TZmDeviceLinkItem& item = links[l].Items[k];
        compiler.PatchSlot(itemSlots, k);
        size_t pair = out.Size();
        out.WriteZeros(8);
        compiler.PatchSlot(pair, 0);
        out.WriteU32(static_cast<uint32_t>(item.Frame.size()));
        out.Write(item.Frame);
        out.WriteZeros((4 - item.Frame.size() % 4) % 4);
        compiler.PatchSlot(pair, 1);
        out.WriteU32(static_cast<uint32_t>(item.Map.size()));
        for (uint32_t w : item.Map) out.WriteU32(w);
      }
    }
  }
}
