#pragma once
// Value bindings: which register or expression supplies a value, and its type.
#include <cstdint>
#include <string>

#include "base/Persistent.h"

class TZmDataType : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmDataType"; }
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler&) override {}

  uint32_t DataType = 0;  // 0..7: BIT, INT8S, INT8U, INT16S, INT16U, INT32S, INT32U, FLOAT32
};

class TZmReadValue;

class TZmReadExpression : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmReadExpression"; }
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler&) override {}

  TZmReadValue* Owner = nullptr;
  std::string Expression;
};

class TZmReadValue : public TZmDataType {
public:
  const char* ClassName() const override { return "TZmReadValue"; }
  void Serialize(TZmSerialization& s) override;
  void Initialize() override;
  ~TZmReadValue() override;

  TZmReadExpression* ReadValue = nullptr;
  TZmReadExpression* MaxValue = nullptr;
  TZmReadExpression* MinValue = nullptr;
};
