#pragma once
// Value bindings: which register or expression supplies a value, its type,
// its limits, where a value is written, how a number is shown, under which
// conditions an input is allowed, and how a text is read from registers.
// Records are shared resources; registration adds the addresses to the
// compiler's register collections.
#include <cstdint>
#include <string>

#include "base/Persistent.h"

class TZmDataType : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmDataType"; }
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler& compiler) override;

  uint32_t DataType = 0;  // 0..7: BIT, INT8S, INT8U, INT16S, INT16U, INT32S, INT32U, FLOAT32
};

class TZmReadValue;
class TZmWriteValue;

class TZmReadExpression : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmReadExpression"; }
  void Serialize(TZmSerialization& s) override;
  // Word count, then the program with every address resolved; 0 words when
  // it does not compile. A text the parser refuses is compiled as one
  // address or constant, as registration treats it.
  void WriteROM(TZmCompiler& compiler) override;
  uint32_t OwnerDataType() const;

  TZmReadValue* Owner = nullptr;
  std::string Expression;
};

class TZmReadValue : public TZmDataType {
public:
  const char* ClassName() const override { return "TZmReadValue"; }
  void Serialize(TZmSerialization& s) override;
  void Initialize() override;
  // DataType, then references to the read, maximum and minimum expressions.
  void WriteROM(TZmCompiler& compiler) override;
  ~TZmReadValue() override;
  virtual void Register(TZmCompiler& compiler, TZmPersistent* owner, int32_t line, bool required);

  TZmReadExpression* ReadValue = nullptr;
  TZmReadExpression* MaxValue = nullptr;
  TZmReadExpression* MinValue = nullptr;
};

class TZmWriteExpression : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmWriteExpression"; }
  void Serialize(TZmSerialization& s) override;
  // Port, frame offset, map offset, reference; the frame and map follow when built.
  void WriteROM(TZmCompiler& compiler) override;

  TZmWriteValue* Owner = nullptr;
  std::string Expression;
};

class TZmWriteValue : public TZmReadValue {
public:
  const char* ClassName() const override { return "TZmWriteValue"; }
  void Serialize(TZmSerialization& s) override;
  void Initialize() override;
  void WriteROM(TZmCompiler& compiler) override;
  ~TZmWriteValue() override;
  void Register(TZmCompiler& compiler, TZmPersistent* owner, int32_t line, bool required) override;

  TZmWriteExpression* WriteValue = nullptr;
};

// A text read from consecutive word registers.
class TZmReadText : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmReadText"; }
  void Serialize(TZmSerialization& s) override;
  void Initialize() override;
  void WriteROM(TZmCompiler& compiler) override;
  void Register(TZmCompiler& compiler, TZmPersistent* owner, int32_t line, bool required);
  // Word registers the text occupies: two characters per register for
  // formats 0, 1, 4 and 5, one for the others.
  int64_t RegisterCount() const;

  uint32_t Format = 0;
  uint32_t Lenght = 4;
  std::string ReadAddr;
};

// How a number is shown.
class TZmDisplayNumInf : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmDisplayNumInf"; }
  void Serialize(TZmSerialization& s) override;
  void Initialize() override;
  void WriteROM(TZmCompiler& compiler) override;

  int32_t IntWidth = 4;
  int32_t FloatWidth = 0;
  uint32_t Option = 0;  // low byte: display format; 0x100: leading zeros
};

class TZmPen;
class TZmMultiText;

// Scale drawing settings of a bar or scale object. No record of its own: the
// owner writes the values it needs.
class TZmScaleInf : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmScaleInf"; }
  void Serialize(TZmSerialization& s) override;
  void Initialize() override;
  void WriteROM(TZmCompiler&) override {}
  ~TZmScaleInf() override;
  void ChangeColorFormat(int32_t from, int32_t to);

  int32_t MasterCount = 5;
  int32_t SlaveCount = 2;
  uint32_t FOption = 7;  // 1 ticks, 2 axis line, 4 labels
  uint32_t FExternFlag = 0;
  int32_t Max = 100;
  int32_t Min = 0;
  int32_t IntWidth = 3;
  int32_t FloatWidth = 0;
  TZmPen* Pen = nullptr;
  TZmMultiText* Text = nullptr;
};

// Conditions for operating an input object.
class TZmSafeControl : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmSafeControl"; }
  void Serialize(TZmSerialization& s) override;
  void Initialize() override;
  void WriteROM(TZmCompiler& compiler) override;
  ~TZmSafeControl() override;
  // Registers the condition with the owner's other bindings, before the
  // register memory is laid out.
  void Register(TZmCompiler& compiler, TZmPersistent* owner, int32_t line);
  // A removed scene that was the dialog clears it; a renumbered one follows.
  // sceneId is the ID of the scene the notice is about (0: not a scene).
  void NotifyScene(int32_t sceneId, uint32_t code, int32_t newId);

  TZmPersistent* Owner = nullptr;
  uint32_t Power = 9;
  uint16_t PressTime = 0;
  uint16_t Option = 0;
  uint32_t DialogID = 0;
  TZmWriteValue* Condition = nullptr;
};
