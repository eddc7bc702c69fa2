#include "devices/Bindings.h"

#include <algorithm>

#include "base/Format.h"
#include "base/Texts.h"
#include "compiler/Compiler.h"
#include "compiler/Messages.h"
#include "compiler/Parser.h"
#include "compiler/RegCollect.h"
#include "devices/Devices.h"
#include "devices/FrameBuilders.h"
#include "devices/Protocols.h"
#include "devices/RegRule.h"
#include "graphics/Pen.h"
#include "graphics/Text.h"
#include "model/Alarms.h"
#include "model/Project.h"
#include "model/Scenes.h"

namespace {

constexpr uint32_t kNoAddress = 0xFFFFFFFF;

// The register word of an operand: resolved in the global collection, or
// "name.n" as bit n of a word register.
bool ResolveOperand(TZmCompiler& c, const std::string& name, uint32_t& ref)
{
  TZmRegResolved r = c.Registers->Resolve(name);
  if (r.Found) {
    ref = r.Reference;
    return true;
  }
  TZmBitSplit b = SplitBit(name);
  if (!b.Ok || b.Bit < 0 || b.Bit > 15) return false;
  r = c.Registers->Resolve(b.Rest, 4);
  if (!r.Found) return false;
  ref = r.Reference + static_cast<uint32_t>(b.Bit);
  return true;
}

// The compiled program of a read expression; empty when it cannot be made.
std::vector<uint32_t> CompileExpression(TZmCompiler& c, const std::string& text, uint32_t dataType)
{
  wxParser p(text, static_cast<int32_t>(dataType));
  if (p.Parse()) {
    for (size_t i = 0; i < p.OperandCount(); ++i) {
      uint32_t ref;
      if (!ResolveOperand(c, p.OperandName(i), ref)) return {};
      p.SetOperandValue(i, (ref & 0xF0FFFFFF) | ((p.OperandType(i) & 15) << 24));
    }
    if (!p.Finish()) return {};
    return p.Program;
  }
  // Registration took the whole text as one constant or address; so does the record.
  uint32_t constant;
  if (wxParser::IsConstant(text, constant)) return {kParserConstant, constant};
  uint32_t ref;
  if (!ResolveOperand(c, text, ref)) return {};
  return {(ref & 0xF0FFFFFF) | ((TypeCodeOf(static_cast<int32_t>(dataType)) & 15) << 24)};
}

void WriteExpressionReference(TZmCompiler& c, TZmPersistentROM* e, const std::string& text, uint32_t kind)
{
  if (text.empty()) c.Output().WriteU32(0);
  else c.WriteReference(kind, e);
}

}  // namespace

void TZmDataType::Serialize(TZmSerialization& s) { s.SerializeUInt32("DataType", DataType); }

void TZmDataType::WriteROM(TZmCompiler& compiler) { compiler.Output().WriteU32(DataType); }

uint32_t TZmReadExpression::OwnerDataType() const { return Owner ? Owner->DataType : 0; }

void TZmReadExpression::Serialize(TZmSerialization& s)
{
  s.SerializeString("Expression", Expression);
  // Written so that equal texts of different data types never share a
  // compiled record; never read back (the owner's type is the truth).
  if (s.Writing()) {
    uint32_t type = OwnerDataType();
    s.SerializeUInt32("DataType", type);
  }
}

void TZmReadExpression::WriteROM(TZmCompiler& compiler)
{
  if (Expression.empty()) return;
  std::vector<uint32_t> program = CompileExpression(compiler, Expression, OwnerDataType());
  TZmStream& out = compiler.Output();
  out.WriteU32(static_cast<uint32_t>(program.size()));
  for (uint32_t w : program) out.WriteU32(w);
}

void TZmReadValue::Initialize()
{
  TZmDataType::Initialize();
  for (TZmReadExpression** e : {&ReadValue, &MaxValue, &MinValue}) {
    *e = NewObject<TZmReadExpression>();
    (*e)->Owner = this;
  }
}

TZmReadValue::~TZmReadValue()
{
  delete ReadValue;
  delete MaxValue;
  delete MinValue;
}

void TZmReadValue::Serialize(TZmSerialization& s)
{
  TZmDataType::Serialize(s);
  s.SerializeObject("ReadValue", ReadValue);
  s.SerializeObject("MaxValue", MaxValue);
  s.SerializeObject("MinValue", MinValue);
}

void TZmReadValue::WriteROM(TZmCompiler& compiler)
{
  compiler.Output().WriteU32(DataType);
  for (TZmReadExpression* e : {ReadValue, MaxValue, MinValue}) WriteExpressionReference(compiler, e, e->Expression, resReadExpression);
}

void TZmReadValue::Register(TZmCompiler& compiler, TZmPersistent* owner, int32_t line, bool required)
{
  const std::pair<TZmReadExpression*, bool> exprs[] = {{ReadValue, required}, {MaxValue, false}, {MinValue, false}};
  for (int k = 0; k < 3; ++k) {
    const std::string& text = exprs[k].first->Expression;
    if (text.empty()) continue;  // an empty read expression is never reported
    int32_t at = line + k;
    wxParser p(text, static_cast<int32_t>(DataType));
    if (!p.Parse()) {
      compiler.Report(owner, at, true, 1, text, kindAll, static_cast<int32_t>(DataType), exprs[k].second);
      continue;
    }
    for (size_t i = 0; i < p.OperandCount(); ++i) {
      uint32_t constant;
      if (wxParser::IsConstant(p.OperandName(i), constant)) continue;
      compiler.Report(owner, at, true, 1, p.OperandName(i), kindAll, DataTypeOfCode(p.OperandType(i)), exprs[k].second);
    }
    // The panel evaluates on a stack of eight values: deeper programs always fail there.
    if (p.StackDepth() > kPanelStackDepth) {
      std::string name = owner ? owner->GetDisplayName() : std::string();
      if (dynamic_cast<TZmAlarm*>(owner)) {
        compiler.Messages->Add(TZmMessage::ObjectError, TZmMessage::Alarm,
                               SafeFormat(GetText(2611), {name, GetText(622 + at), p.StackDepth(), kPanelStackDepth}), owner, at);
      } else {
        std::string scene = compiler.CurrentScene ? compiler.CurrentScene->GetDisplayName() : std::string();
        compiler.Messages->Add(TZmMessage::ObjectError, TZmMessage::ScreenObject,
                               SafeFormat(GetText(2610), {scene, name, GetText(2640 + at), p.StackDepth(), kPanelStackDepth}),
                               owner, at);
      }
    }
  }
}

void TZmWriteExpression::Serialize(TZmSerialization& s)
{
  s.SerializeString("Expression", Expression);
  if (s.Writing()) {
    uint32_t type = Owner ? Owner->DataType : 0;
    s.SerializeUInt32("DataType", type);
  }
}

void TZmWriteExpression::WriteROM(TZmCompiler& compiler)
{
  TZmStream& out = compiler.Output();
  int32_t dataType = Owner ? static_cast<int32_t>(Owner->DataType) : 0;
  auto noAddress = [&] {
    out.WriteU32(kNoAddress);
    out.WriteU32(0);
    out.WriteU32(0);
    out.WriteU32(kNoAddress);
  };
  if (Expression.empty()) return noAddress();
  const TZmDevices* devices = compiler.Project ? compiler.Project->Devices : nullptr;
  TZmRegResolved r = compiler.Registers->Resolve(Expression, dataType, 1);
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
        compiler.Messages->AddPlain(SafeFormat(GetText(2615), {Expression, name}));
      else if (frame.Fault.Kind == TZmFrameFault::TooLong)
        compiler.Messages->AddPlain(SafeFormat(GetText(2616), {Expression, name, frame.Fault.Digits}));
      else
        compiler.Messages->AddPlain(SafeFormat(GetText(2614), {Expression, frame.Fault.Value, frame.Fault.Digits, name}));
    }
    if (!framed) return;
    out.PatchU32(start, station->Owner->Index);
    out.PatchU32(start + 4, compiler.Offset());
    out.WriteU32(static_cast<uint32_t>(frame.Frame.size()));
    out.Write(frame.Frame);
    out.WriteZeros((4 - frame.Frame.size() % 4) % 4);
    out.PatchU32(start + 8, compiler.Offset());
    out.WriteU32(static_cast<uint32_t>(frame.Map.size()));
    for (uint32_t m : frame.Map) out.WriteU32(m);
    return;
  }
  // D100.3 as bit 3 of a word register that has no bit rule of its own.
  TZmBitSplit b = SplitBit(Expression);
  if (b.Ok && b.Bit >= 0 && b.Bit <= 15) {
    TZmRegResolved w = compiler.Registers->Resolve(b.Rest, 4, 1);
    if (w.Found && devices && devices->FindStation(w.Station)) {
      out.WriteU32(kNoAddress);
      out.WriteU32(0);
      out.WriteU32(0);
      out.WriteU32(((w.Reference & 0x00FFFFFF) | kRegRefClassMemory) + static_cast<uint32_t>(b.Bit));
      return;
    }
  }
  noAddress();
}

void TZmWriteValue::Initialize()
{
  TZmReadValue::Initialize();
  WriteValue = NewObject<TZmWriteExpression>();
  WriteValue->Owner = this;
}

TZmWriteValue::~TZmWriteValue() { delete WriteValue; }

void TZmWriteValue::Serialize(TZmSerialization& s)
{
  TZmReadValue::Serialize(s);
  s.SerializeObject("WriteValue", WriteValue);
}

void TZmWriteValue::WriteROM(TZmCompiler& compiler)
{
  TZmReadValue::WriteROM(compiler);
  WriteExpressionReference(compiler, WriteValue, WriteValue->Expression, resWriteExpression);
}

void TZmWriteValue::Register(TZmCompiler& compiler, TZmPersistent* owner, int32_t line, bool required)
{
  TZmReadValue::Register(compiler, owner, line, required);
  compiler.Report(owner, line + 3, false, 1, WriteValue->Expression, kindAll, static_cast<int32_t>(DataType), required);
}

void TZmReadText::Initialize()
{
  Format = 0;
  Lenght = 4;
}

void TZmReadText::Serialize(TZmSerialization& s)
{
  s.SerializeUInt32("Format", Format);
  s.SerializeUInt32("Lenght", Lenght);
  s.SerializeString("ReadAddr", ReadAddr);
}

int64_t TZmReadText::RegisterCount() const
{
  bool twoPerRegister = Format == 0 || Format == 1 || Format == 4 || Format == 5;
  return twoPerRegister ? (int64_t(Lenght) + 1) / 2 : int64_t(Lenght);
}

void TZmReadText::Register(TZmCompiler& compiler, TZmPersistent* owner, int32_t line, bool required)
{
  // Counted in 64 bits; a length no register area can hold fails the match.
  int32_t count = static_cast<int32_t>(std::min<int64_t>(RegisterCount(), INT32_MAX));
  compiler.Report(owner, line, true, count, ReadAddr, kindWord | kindWord2, 4, required);
}

void TZmReadText::WriteROM(TZmCompiler& compiler)
{
  TZmStream& out = compiler.Output();
  out.WriteU32(Format);
  out.WriteU32(Lenght);
  int32_t count = static_cast<int32_t>(std::min<int64_t>(RegisterCount(), INT32_MAX));
  TZmRegResolved r;
  if (!ReadAddr.empty()) r = compiler.Registers->Resolve(ReadAddr, 4, count);
  out.WriteU32(r.Found ? r.Reference : kNoAddress);
}

void TZmDisplayNumInf::Initialize()
{
  IntWidth = 4;
  FloatWidth = 0;
  Option = 0;
}

void TZmDisplayNumInf::Serialize(TZmSerialization& s)
{
  s.SerializeInt32("IntWidth", IntWidth);
  s.SerializeInt32("FloatWidth", FloatWidth);
  s.SerializeUInt32("Option", Option);
}

void TZmDisplayNumInf::WriteROM(TZmCompiler& compiler)
{
  TZmStream& out = compiler.Output();
  out.WriteI32(IntWidth);
  out.WriteI32(FloatWidth);
  out.WriteU32(Option);
}

void TZmSafeControl::Initialize()
{
  Power = 9;
  PressTime = 0;
  Option = 0;
  DialogID = 0;
  Condition = NewObject<TZmWriteValue>();
  Condition->DataType = 0;
}

TZmSafeControl::~TZmSafeControl() { delete Condition; }

void TZmSafeControl::Serialize(TZmSerialization& s)
{
  s.SerializeUInt32("Power", Power);
  s.SerializeUInt16("PressTime", PressTime);
  s.SerializeUInt16("Option", Option);
  s.SerializeUInt32("DialogID", DialogID);
  s.SerializeObject("Condition", Condition);
}

void TZmSafeControl::Register(TZmCompiler& compiler, TZmPersistent* owner, int32_t line)
{
  // The condition is the read expression; the write side of the value is unused here.
  Condition->TZmReadValue::Register(compiler, owner, line, true);
}

void TZmSafeControl::WriteROM(TZmCompiler& compiler)
{
  TZmStream& out = compiler.Output();
  out.WriteU32(Power);
  out.WriteU16(PressTime);
  out.WriteU16(Option);
  out.WriteU32(DialogID);
  if (Condition->ReadValue->Expression.empty()) out.WriteU32(0);
  else compiler.WriteReference(resWriteValue, Condition);
}

void TZmSafeControl::NotifyScene(const TZmScene* scene, uint32_t code, int32_t newId)
{
  // DialogID 0 is "no dialog": a scene without a valid ID never matches it.
  if (!scene || scene->ID <= 0 || scene->ID != static_cast<int32_t>(DialogID)) return;
  if ((code >> 28) == 1) DialogID = 0;
  else if (code == 0x40000001) DialogID = static_cast<uint32_t>(newId);
}

void TZmScaleInf::Initialize()
{
  MasterCount = 5;
  SlaveCount = 2;
  FOption = 7;
  FExternFlag = 0;
  Max = 100;
  Min = 0;
  IntWidth = 3;
  FloatWidth = 0;
  Pen = NewObject<TZmPen>();
  Text = NewObject<TZmMultiText>();
  Text->Font().Name = "Tahoma";
}

TZmScaleInf::~TZmScaleInf()
{
  delete Pen;
  delete Text;
}

void TZmScaleInf::Serialize(TZmSerialization& s)
{
  s.SerializeInt32("MasterCount", MasterCount);
  s.SerializeInt32("SlaveCount", SlaveCount);
  s.SerializeUInt32("FOption", FOption);
  s.SerializeUInt32("FExternFlag", FExternFlag);
  s.SerializeInt32("Max", Max);
  s.SerializeInt32("Min", Min);
  s.SerializeInt32("IntWidth", IntWidth);
  s.SerializeInt32("FloatWidth", FloatWidth);
  s.SerializeObject("Pen", Pen);
  s.SerializeObject("Text", Text);
}

void TZmScaleInf::ChangeColorFormat(int32_t from, int32_t to)
{
  Pen->ChangeColorFormat(from, to);
  Text->ChangeColorFormat(from, to);
}
