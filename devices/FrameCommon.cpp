#include "devices/FrameCommon.h"

#include "devices/Devices.h"
#include "devices/Protocols.h"
#include "devices/RegRule.h"

namespace frames {

std::vector<Run> Runs(const std::vector<TZmRegItem>& regs, const Limit& limit)
{
  std::vector<Run> out;
  bool open = false;
  Run cur;
  for (const TZmRegItem& r : regs) {
    if (!r.Rule) continue;
    int32_t index = r.Rule->Index;
    int64_t base = r.Rule->Base > 0 ? r.Rule->Base : 1;
    if (open && index == cur.Index && r.ProtocolAddress == cur.A + cur.L) {
      cur.L += base;
    } else {
      if (open) out.push_back(cur);
      cur = Run{index, r.ProtocolAddress, r.Reference & 0xFFFFFF, base, &r, nullptr};
      open = true;
    }
    cur.Last = r.Rule;
    if (cur.L >= limit(index)) {
      out.push_back(cur);
      open = false;
    }
  }
  if (open) out.push_back(cur);
  return out;
}

std::vector<Run> Singles(const std::vector<TZmRegItem>& regs)
{
  return Runs(regs, [](int32_t) { return int64_t(1); });
}

namespace {

// The number of digits `v` takes in base `radix`.
int32_t Digits(uint64_t v, uint32_t radix)
{
  int32_t n = 1;
  while (v >= radix) {
    v /= radix;
    ++n;
  }
  return n;
}

}  // namespace

bool Text::Put(std::string_view tmpl, std::initializer_list<TZmFormatArg> args)
{
  if (!Ok()) return false;
  const TZmFormatArg* arg = args.begin();
  for (size_t i = 0; i < tmpl.size(); ++i) {
    if (tmpl[i] != '%') continue;
    if (i + 1 < tmpl.size() && tmpl[i + 1] == '%') {
      ++i;
      continue;
    }
    size_t k = i + 1;
    while (k < tmpl.size() && (tmpl[k] == '0' || tmpl[k] == '-')) ++k;
    int32_t width = 0;
    while (k < tmpl.size() && tmpl[k] >= '0' && tmpl[k] <= '9') width = width * 10 + (tmpl[k++] - '0');
    if (k >= tmpl.size() || arg == args.end()) break;
    char conv = tmpl[k];
    const TZmFormatArg& a = *arg++;
    i = k;
    if (conv == 's') {
      if (width > 0 && a.S.size() > static_cast<size_t>(width)) {
        Fault = {TZmFrameFault::DoesNotFit, 0, static_cast<int64_t>(a.S.size()), width, nullptr, 0};
        return false;
      }
      continue;
    }
    if (conv == 'c') {
      if (a.I <= 0 || a.I > 127) Fault = {TZmFrameFault::DoesNotFit, 0, a.I, 1, nullptr, 0};
      if (!Ok()) return false;
      continue;
    }
    uint32_t radix = conv == 'X' || conv == 'x' ? 16 : conv == 'o' ? 8 : 10;
    if (a.I < 0 || (width > 0 && Digits(static_cast<uint64_t>(a.I), radix) > width)) {
      Fault = {TZmFrameFault::DoesNotFit, 0, a.I, width, nullptr, 0};
      return false;
    }
  }
  S += SafeFormat(tmpl, args);
  return true;
}

uint32_t ReadOut::StationNum() const { return Station.StationNum; }
uint32_t ReadOut::ControllerUID() const { return Station.ControllerUID; }

void ReadOut::Emit(std::vector<uint8_t> frame, std::vector<uint32_t> map)
{
  TZmDeviceLinkItem item;
  item.Frame = std::move(frame);
  item.Map = std::move(map);
  Link.push_back(std::move(item));
}

void ReadOut::NoArea(const Run& run)
{
  TZmFrameFault f;
  f.Kind = TZmFrameFault::NoArea;
  Refuse(run, f);
}

void ReadOut::Refuse(const Run& run, TZmFrameFault fault)
{
  if (!Faults) return;
  fault.Index = run.Index;
  fault.Rule = run.First ? run.First->Rule : nullptr;
  fault.RegisterNumber = run.First ? run.First->RegisterNumber : 0;
  Faults->push_back(fault);
}

uint32_t StationOf(const TZmWriteTarget& t) { return t.Station ? t.Station->StationNum : 0; }

int32_t IndexOf(const TZmWriteTarget& t) { return t.Rule ? t.Rule->Index : -1; }

void RefuseWrite(const TZmWriteTarget& t, TZmWriteFrame& out, TZmFrameFault fault)
{
  out.Frame.clear();
  out.Map.clear();
  fault.Index = IndexOf(t);
  fault.Rule = t.Rule;
  fault.RegisterNumber = t.RegisterNumber;
  out.Fault = fault;
}

}  // namespace frames
