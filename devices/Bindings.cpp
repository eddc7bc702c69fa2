#include "devices/Bindings.h"

#include <algorithm>

#include "devices/RegRule.h"
#include "graphics/Pen.h"
#include "graphics/Text.h"
#include "image/Context.h"

namespace {

constexpr uint32_t kNoAddress = 0xFFFFFFFF;

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
  std::vector<uint32_t> program = compiler.ExpressionProgram(Expression, OwnerDataType());
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
    compiler.RegisterExpression(owner, line + k, text, static_cast<int32_t>(DataType), exprs[k].second);
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
  compiler.WriteTarget(Expression, Owner ? static_cast<int32_t>(Owner->DataType) : 0);
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
  uint32_t reference = kNoAddress;
  if (!ReadAddr.empty() && !compiler.RegisterReference(ReadAddr, 4, count, reference)) reference = kNoAddress;
  out.WriteU32(reference);
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

void TZmSafeControl::NotifyScene(int32_t sceneId, uint32_t code, int32_t newId)
{
  // DialogID 0 is "no dialog": a scene without a valid ID never matches it.
  if (sceneId <= 0 || sceneId != static_cast<int32_t>(DialogID)) return;
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
