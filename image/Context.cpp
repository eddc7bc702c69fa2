#include "image/Context.h"

#include <algorithm>
#include <cstring>

#include "base/Format.h"
#include "base/Persistent.h"
#include "base/Texts.h"
#include "image/Messages.h"

namespace {

const uint32_t kPredefined[] = {0x11, 0x12, 0x40, 0x50, 0x51, 0x53, 0x54, 0x55, 0x60, 0x61, 0x62, 0x63,
                                0x64, 0x65, 0x67, 0x69, 0x6A, 0x6B, 0x6D, 0x6E, 0x6F, 0x70};

constexpr uint32_t kNoAddress = 0xFFFFFFFF;

}  // namespace

TZmCompiler::TZmCompiler() : Resources(*this), Messages(std::make_unique<TZmMessages>())
{
  TZmCompiler::Reset();
}

TZmCompiler::~TZmCompiler() = default;

uint32_t ReplicateColor(uint32_t value, int32_t colorBit)
{
  if (colorBit <= 0) return value;
  if (colorBit >= 32) return value;  // one copy fills the word; no shift past its width
  uint64_t mask = (uint64_t(1) << colorBit) - 1, x = 0;
  for (int32_t i = 0; i < (32 + colorBit - 1) / colorBit; ++i) x = ((x << colorBit) | (value & mask)) & 0xFFFFFFFFull;
  return static_cast<uint32_t>(x);
}

uint32_t TZmCompiler::ReplicateColor(uint32_t value) const { return ::ReplicateColor(value, ColorBit); }

void TZmCompiler::PatchReference(size_t at, uint32_t kind, TZmPersistentROM* object)
{
  if (at + 4 > Image.Size()) return;
  Resources.Slots.push_back(at);
  Image.PatchU32(at, Resources.AddResource(kind, object));
}

uint32_t TZmCompiler::ResolveSceneWord(uint32_t word)
{
  uint32_t kind = word >> 24, id = word & 0xFFFFFF;
  if (kind == 0x94) {
    auto it = SceneLinks.find(static_cast<int32_t>(id));
    return it == SceneLinks.end() ? 0 : it->second;
  }
  if (id == 0 || id == 0xFFFFFF) return 0;
  auto it = SceneOffsets.find(static_cast<int32_t>(id));
  if (it == SceneOffsets.end()) {
    Messages->AddPlain(SafeFormat(GetText(9005), {word & 0xFF000000u, id}));
    return 0;
  }
  return it->second;
}

void TZmCompiler::Reset()
{
  SceneOffsets.clear();
  SceneLinks.clear();
  Image.Clear();
  Resources.Reset();
  Messages->Clear();
  CurrentScene = nullptr;
  RegisterTotal = 0;
  FontBytes = 0;
}

bool TZmCompiler::Report(TZmPersistent*, int32_t, bool, int32_t, const std::string& text, int32_t, int32_t,
                         bool required)
{
  return !(text.empty() && required);
}

void TZmCompiler::RegisterExpression(TZmPersistent*, int32_t, const std::string&, int32_t, bool) {}

std::vector<uint32_t> TZmCompiler::ExpressionProgram(const std::string&, uint32_t) { return {}; }

bool TZmCompiler::RegisterReference(const std::string&, int32_t, int32_t, uint32_t&) { return false; }

void TZmCompiler::WriteTarget(const std::string&, int32_t)
{
  Image.WriteU32(kNoAddress);
  Image.WriteU32(0);
  Image.WriteU32(0);
  Image.WriteU32(kNoAddress);
}

void TZmCompiler::PatchSlot(size_t slotBase, size_t i)
{
  size_t at = slotBase + 4 * i;
  if (at + 4 <= Image.Size()) Image.PatchU32(at, Offset());
}

void TZmCompiler::WriteFixup(uint32_t word)
{
  Image.SeekEnd();
  Resources.Slots.push_back(Image.Position());
  Image.WriteU32(word);
}

void TZmCompiler::WriteReference(uint32_t kind, TZmPersistentROM* object)
{
  Image.SeekEnd();
  Resources.Slots.push_back(Image.Position());
  Image.WriteU32(Resources.AddResource(kind, object));
}

void TZmResGroups::Reset()
{
  Slots.clear();
  Groups.clear();
  for (uint32_t k : kPredefined) Group(k << 24, true);
}

TZmResGroup* TZmResGroups::Group(uint32_t kind, bool create)
{
  kind &= 0xFF000000;
  for (auto& g : Groups)
    if (g->Kind == kind) return g.get();
  if (!create) return nullptr;
  Groups.push_back(std::make_unique<TZmResGroup>());
  Groups.back()->Kind = kind;
  return Groups.back().get();
}

uint32_t TZmResGroups::AddResource(uint32_t kind, TZmPersistentROM* object)
{
  if (!object) return 0;
  TZmResGroup* g = Group(kind, true);
  g->Scratch.Clear();
  SerializeObjectTo(object, TZmSerialization::Write, g->Scratch);
  for (size_t i = 0; i < g->Items.size(); ++i) {
    const TZmStream& s = g->Items[i]->Serialized;
    if (s.Size() == g->Scratch.Size() && std::memcmp(s.Data(), g->Scratch.Data(), s.Size()) == 0)
      return static_cast<uint32_t>(i) | g->Kind;
  }
  Compiler.ResourceAdded(g->Kind, object);
  auto item = std::make_unique<TZmResItem>();
  item->Group = g;
  item->Object = object;
  item->Serialized = g->Scratch;
  g->Items.push_back(std::move(item));
  return static_cast<uint32_t>(g->Items.size() - 1) | g->Kind;
}

void TZmResGroups::WriteAll(TZmCompiler& compiler)
{
  std::stable_sort(Groups.begin(), Groups.end(), [](const auto& a, const auto& b) {
    return static_cast<int32_t>(a->Kind) < static_cast<int32_t>(b->Kind);
  });
  for (size_t gi = 0; gi < Groups.size(); ++gi) {
    TZmResGroup* g = Groups[gi].get();
    // Items may be added while records are written; index, never iterate.
    for (size_t i = 0; i < g->Items.size(); ++i) {
      TZmResItem& item = *g->Items[i];
      compiler.Output().SeekEnd();
      item.Offset = compiler.Offset();
      if (!compiler.WriteResource(g->Kind, item.Object)) item.Object->WriteROM(compiler);
    }
  }
  TZmStream& image = compiler.Output();
  for (size_t at : Slots) {
    if (at + 4 > image.Size()) continue;
    uint32_t w = GetU32(image.Data() + at);
    uint32_t kind = w >> 24, n = w & 0xFFFFFF;
    if (kind <= 0x7F) {
      TZmResGroup* g = Group(w, false);
      if (g && n < g->Items.size() && g->Items[n]->Offset != 0) image.PatchU32(at, g->Items[n]->Offset);
    } else if (kind >= 0x90 && kind <= 0x94) {
      image.PatchU32(at, compiler.ResolveSceneWord(w));
    }
  }
  image.SeekEnd();
}
