#include "compiler/Compiler.h"

#include <zlib.h>

#include <algorithm>
#include <span>

#include "base/Format.h"
#include "base/Persistent.h"
#include "base/Texts.h"
#include "compiler/FontResources.h"
#include "compiler/Parser.h"
#include "compiler/RegCollect.h"
#include "devices/Devices.h"
#include "devices/FrameBuilders.h"
#include "devices/Model.h"
#include "devices/Protocols.h"
#include "devices/RegRule.h"
#include "graphics/Text.h"
#include "image/Messages.h"
#include "model/Alarms.h"
#include "model/Project.h"
#include "model/Scenes.h"

namespace {

constexpr uint32_t kNoAddress = 0xFFFFFFFF;

}  // namespace

TZmCompileDriver::TZmCompileDriver()
    : Registers(std::make_unique<TZmRegCollects>(this)), SceneRegisters(std::make_unique<TZmRegCollects>(this)),
      Fonts(std::make_unique<TZmResFonts>())
{
}

TZmCompileDriver::~TZmCompileDriver() = default;

void TZmCompileDriver::Reset()
{
  TZmCompiler::Reset();
  Registers->Clear();
  SceneRegisters->Clear();
  Fonts->Clear();
}

bool TZmCompileDriver::Report(TZmPersistent* owner, int32_t line, bool perScene, int32_t count, const std::string& text,
                              int32_t acceptedKinds, int32_t dataType, bool required)
{
  auto* alarm = dynamic_cast<TZmAlarm*>(owner);
  auto problem = [&](int32_t kind, int screenFormat, int alarmFormat) {
    std::string ownerName = owner ? owner->GetDisplayName() : std::string();
    if (alarm) {
      Messages->Add(kind, TZmMessage::Alarm, SafeFormat(GetText(alarmFormat), {ownerName, GetText(622 + line)}), owner, line);
    } else {
      std::string sceneName = CurrentScene ? CurrentScene->GetDisplayName() : std::string();
      Messages->Add(kind, TZmMessage::ScreenObject,
                    SafeFormat(GetText(screenFormat), {sceneName, ownerName, GetText(2640 + line)}), owner, line);
    }
  };
  if (text.empty()) {
    if (required) problem(TZmMessage::Warning, 2601, 2605);
    return !required;
  }
  uint32_t constant;
  if (wxParser::IsConstant(text, constant)) return true;
  auto* scene = dynamic_cast<TZmScene*>(CurrentScene);
  bool ok;
  if (alarm) {
    ok = Registers->Add(nullptr, text, dataType, count, acceptedKinds) &&
         SceneRegisters->AddToAllScenes(text, dataType, count, acceptedKinds);
  } else if (scene) {
    ok = Registers->Add(nullptr, text, dataType, count, acceptedKinds);
    if (ok && perScene) ok = SceneRegisters->Add(scene, text, dataType, count, acceptedKinds);
  } else {
    return true;  // an object outside any scene registers nothing
  }
  if (!ok) problem(TZmMessage::ObjectError, 2602, 2606);
  return ok;
}

void TZmCompileDriver::RegisterExpression(TZmPersistent* owner, int32_t line, const std::string& text, int32_t dataType,
                                          bool required)
{
  wxParser p(text, dataType);
  if (!p.Parse()) {
    Report(owner, line, true, 1, text, kindAll, dataType, required);
    return;
  }
  for (size_t i = 0; i < p.OperandCount(); ++i) {
    uint32_t constant;
    if (wxParser::IsConstant(p.OperandName(i), constant)) continue;
    Report(owner, line, true, 1, p.OperandName(i), kindAll, DataTypeOfCode(p.OperandType(i)), required);
  }
  // The panel evaluates on a stack of eight values: deeper programs always fail there.
  if (p.StackDepth() > kPanelStackDepth) {
    std::string name = owner ? owner->GetDisplayName() : std::string();
    if (dynamic_cast<TZmAlarm*>(owner)) {
      Messages->Add(TZmMessage::ObjectError, TZmMessage::Alarm,
                    SafeFormat(GetText(2611), {name, GetText(622 + line), p.StackDepth(), kPanelStackDepth}), owner, line);
    } else {
      std::string scene = CurrentScene ? CurrentScene->GetDisplayName() : std::string();
      Messages->Add(TZmMessage::ObjectError, TZmMessage::ScreenObject,
                    SafeFormat(GetText(2610), {scene, name, GetText(2640 + line), p.StackDepth(), kPanelStackDepth}),
                    owner, line);
    }
  }
}

// The register word of an operand: resolved in the global collection, or
// "name.n" as bit n of a word register.
bool TZmCompileDriver::ResolveOperand(const std::string& name, uint32_t& ref)
{
  TZmRegResolved r = Registers->Resolve(name);
  if (r.Found) {
    ref = r.Reference;
    return true;
  }
  TZmBitSplit b = SplitBit(name);
  if (!b.Ok || b.Bit < 0 || b.Bit > 15) return false;
  r = Registers->Resolve(b.Rest, 4);
  if (!r.Found) return false;
  ref = r.Reference + static_cast<uint32_t>(b.Bit);
  return true;
}

std::vector<uint32_t> TZmCompileDriver::ExpressionProgram(const std::string& text, uint32_t dataType)
{
  wxParser p(text, static_cast<int32_t>(dataType));
  if (p.Parse()) {
    for (size_t i = 0; i < p.OperandCount(); ++i) {
      uint32_t ref;
      if (!ResolveOperand(p.OperandName(i), ref)) return {};
      p.SetOperandValue(i, (ref & 0xF0FFFFFF) | ((p.OperandType(i) & 15) << 24));
    }
    if (!p.Finish()) return {};
    return p.Program;
  }
  // Registration took the whole text as one constant or address; so does the record.
  uint32_t constant;
  if (wxParser::IsConstant(text, constant)) return {kParserConstant, constant};
  uint32_t ref;
  if (!ResolveOperand(text, ref)) return {};
  return {(ref & 0xF0FFFFFF) | ((TypeCodeOf(static_cast<int32_t>(dataType)) & 15) << 24)};
}

bool TZmCompileDriver::RegisterReference(const std::string& text, int32_t dataType, int32_t count, uint32_t& reference)
{
  TZmRegResolved r = Registers->Resolve(text, dataType, count);
  if (r.Found) reference = r.Reference;
  return r.Found;
}

void TZmCompileDriver::WriteTarget(const std::string& text, int32_t dataType)
{
  TZmStream& out = Output();
  if (text.empty()) return TZmCompiler::WriteTarget(text, dataType);
  const TZmDevices* devices = Project ? Project->Devices : nullptr;
  TZmRegResolved r = Registers->Resolve(text, dataType, 1);
  const TZmStation* station = r.Found && devices ? devices->FindStation(r.Station) : nullptr;
  if (station) {
    size_t start = out.Size();
    out.WriteU32(kNoAddress);
    out.WriteU32(0);
    out.WriteU32(0);
    out.WriteU32((r.Reference & 0x00FFFFFF) | ((TypeCodeOf(dataType) & 15) << 24));
    if (r.Station == 255 || !station->Owner) return;
    TZmWriteTarget target;
    target.Station = station;
    target.Rule = r.Rule;
    target.RegisterNumber = r.Rule ? r.Rule->Value : 0;
    target.ProtocolAddress = r.ProtocolAddress;
    target.Count = r.Count;
    target.DataType = dataType;
    TZmWriteFrame frame;
    bool framed = BuildWriteFrame(station->Owner->ProtocolRefUID, target, frame);
    if (frame.Fault.Kind != TZmFrameFault::None) {
      const TZmProtocol* protocol = station->Owner->Protocol();
      std::string name = protocol ? protocol->Name : std::string();
      if (frame.Fault.Kind == TZmFrameFault::NoWrite || frame.Fault.Kind == TZmFrameFault::NoArea)
        Messages->AddPlain(SafeFormat(GetText(2615), {text, name}));
      else if (frame.Fault.Kind == TZmFrameFault::TooLong)
        Messages->AddPlain(SafeFormat(GetText(2616), {text, name, frame.Fault.Digits}));
      else
        Messages->AddPlain(SafeFormat(GetText(2614), {text, frame.Fault.Value, frame.Fault.Digits, name}));
    }
    if (!framed) return;
    out.PatchU32(start, station->Owner->Index);
    out.PatchU32(start + 4, Offset());
    out.WriteU32(static_cast<uint32_t>(frame.Frame.size()));
    out.Write(frame.Frame);
    out.WriteZeros((4 - frame.Frame.size() % 4) % 4);
    out.PatchU32(start + 8, Offset());
    out.WriteU32(static_cast<uint32_t>(frame.Map.size()));
    for (uint32_t m : frame.Map) out.WriteU32(m);
    return;
  }
  // D100.3 as bit 3 of a word register that has no bit rule of its own.
  TZmBitSplit b = SplitBit(text);
  if (b.Ok && b.Bit >= 0 && b.Bit <= 15) {
    TZmRegResolved w = Registers->Resolve(b.Rest, 4, 1);
    if (w.Found && devices && devices->FindStation(w.Station)) {
      out.WriteU32(kNoAddress);
      out.WriteU32(0);
      out.WriteU32(0);
      out.WriteU32(((w.Reference & 0x00FFFFFF) | kRegRefClassMemory) + static_cast<uint32_t>(b.Bit));
      return;
    }
  }
  TZmCompiler::WriteTarget(text, dataType);
}

int32_t TZmCompileDriver::LinkRegisters(int32_t start)
{
  int32_t total = Registers->Layout(start);
  SceneRegisters->WritePortLinks(*this, *Registers);
  return total;
}

bool TZmCompileDriver::HasScene(int32_t id) { return Project && Project->SceneGroups->FindScene(id); }

void TZmCompileDriver::ResourceAdded(uint32_t kind, TZmPersistentROM* object)
{
  // A new glyph string first puts its glyphs into its font's table.
  if (kind == resGlyphString)
    if (auto* text = dynamic_cast<TZmFontText*>(object)) Fonts->AddText(text->Font, text->Text);
}

bool TZmCompileDriver::WriteResource(uint32_t kind, TZmPersistentROM* object)
{
  if (kind == resFont) {
    FontBytes += Fonts->WriteFontRecord(*this, dynamic_cast<TZmFont*>(object));
    return true;
  }
  if (kind == resGlyphString) {
    auto* text = dynamic_cast<TZmFontText*>(object);
    TZmResFonts::WriteGlyphString(Output(), text ? Fonts->GlyphString(text->Font, text->Text) : std::vector<uint16_t>());
    return true;
  }
  return false;
}

TZmCompileFigures CompileProject(TZmHMI& root, TZmCompileDriver& compiler, uint32_t randomSeed)
{
  TZmCompileFigures f;
  compiler.Reset();
  compiler.Project = &root;
  compiler.RandomSeed = randomSeed;
  root.WriteROM(compiler);
  TZmStream& out = compiler.Output();
  const TZmModel* m = root.Model();
  if (!m || out.Size() < kImageHeaderSize) return f;

  f.ImageSize = static_cast<uint32_t>(out.Size());
  int64_t memory = int64_t(m->ROMSize) * 1024;
  if (f.ImageSize > memory) {
    compiler.Messages->AddPlain(SafeFormat(GetText(9020), {f.ImageSize, memory, int64_t(f.ImageSize) - memory}));
    f.RomUsage = 0;
  } else {
    f.RomUsage = memory > 0 ? static_cast<int32_t>(int64_t(f.ImageSize) * 100 / memory) : 0;
  }
  int32_t t = compiler.RegisterTotal;
  f.RegisterBytes = t - 512;
  if (t > kRegisterMemorySize) {
    compiler.Messages->AddPlain(SafeFormat(GetText(9021), {t, kRegisterMemorySize, t - kRegisterMemorySize}));
    f.RegisterUsage = 0;
  } else {
    f.RegisterUsage = (t * 100 - 51200) / 512;
  }
  return f;
}

uint32_t ProjectSeed(TZmHMI& root)
{
  TZmStream record;
  SerializeObjectTo(&root, TZmSerialization::Write, record);
  uLong crc = crc32(0L, Z_NULL, 0);
  // zlib takes lengths as uInt: feed the record in pieces it can take.
  std::span<const uint8_t> rest = record.Bytes();
  while (!rest.empty()) {
    size_t n = std::min<size_t>(rest.size(), 1u << 30);
    crc = crc32(crc, rest.data(), static_cast<uInt>(n));
    rest = rest.subspan(n);
  }
  uint32_t seed = static_cast<uint32_t>(crc);
  return seed ? seed : 1;
}

TZmCompileFigures CompileProject(TZmHMI& root, TZmCompileDriver& compiler)
{
  return CompileProject(root, compiler, ProjectSeed(root));
}
