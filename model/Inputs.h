#pragma once
// Input objects: a numeric entry and a multi-state input. Both write a
// value to the controller, guarded by a safe control. Record offsets, as
// the runtime reads them:
//   both           +32 safe control, +36 write value, +40 and +44 zero
//                  (press and release events are not compiled), +48 on:
//   multi-state    +48 state list                                  (52 bytes)
//   numeric entry  +48 texts, +52 number format, +56 value offset,
//                  +60 value scale (single-precision float)        (64 bytes)
#include <cstdint>
#include <string>

#include "model/Control.h"

class TZmSafeControl;
class TZmWriteValue;
class TZmStatusInfs;
class TZmMultiTexts;
class TZmDisplayNumInf;

class TZmEditBase : public TZmControl {
public:
  const char* ClassName() const override { return "TZmEditBase"; }
  void Initialize() override;
  void Serialize(TZmSerialization& s) override;
  // The 48-byte base; kinds append their fields, then call RegisterBase.
  void WriteROM(TZmCompiler& compiler) override;
  void NotifyChange(TZmPersistent* object, int32_t value, uint32_t kind) override;
  std::string GetInfoLine(int32_t index, int32_t mode) override;
  int32_t GetImageIndex() override { return -1; }
  int32_t GetTypeTextID() override { return -1; }
  ~TZmEditBase() override;

  TZmSafeControl* SafeControl = nullptr;
  TZmWriteValue* WriteValue = nullptr;
  TZmWriteValue* PressEvent = nullptr;
  TZmWriteValue* ReleaseEvent = nullptr;

protected:
  void WriteBase(TZmCompiler& compiler);
  // The safe control's condition and the written value (its target required).
  void RegisterBase(TZmCompiler& compiler);
};

class TZmMutilStatus : public TZmEditBase {
public:
  const char* ClassName() const override { return "TZmMutilStatus"; }
  uint32_t ClassTypeCode() const override { return 0x30001; }
  void Initialize() override;
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler& compiler) override;
  void ChangeColorFormat(int32_t from, int32_t to) override;
  void Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool registerIt) override;
  int32_t GetTypeTextID() override { return 7301; }
  // Scales like every other object: rectangle, then the states' fonts.
  void Scale(double fx, double fy) override;
  ~TZmMutilStatus() override;

  TZmStatusInfs* StatusInfs = nullptr;
};

class TZmEditNum : public TZmEditBase {
public:
  const char* ClassName() const override { return "TZmEditNum"; }
  uint32_t ClassTypeCode() const override { return 0x30002; }
  void Initialize() override;
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler& compiler) override;
  // Frame and texts, like the numeric display.
  void ChangeColorFormat(int32_t from, int32_t to) override;
  void Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool registerIt) override;
  int32_t GetTypeTextID() override { return 7302; }
  void Scale(double fx, double fy) override;
  ~TZmEditNum() override;
  std::string Placeholder() const;

  TZmMultiTexts* MultiTexts = nullptr;
  TZmDisplayNumInf* DisplayNumInf = nullptr;
  int32_t ValueOffset = 0;
  std::string ValueScaleString = "1.0";
};

// The value of a scale text as the record holds it: read as a C-locale
// number whatever the process locale (leading blanks, a sign, decimal or
// "0x" hexadecimal digits; text after the number is ignored). Text that is
// no number, and infinities, NaNs and values beyond single precision, give 0.
float ParseValueScale(const std::string& text);
// The shortest C-locale text that reads back as `value` ("0" for non-finite ones).
std::string FormatValueScale(double value);
