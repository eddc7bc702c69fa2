#pragma once
// Display objects: lamps, numbers, register texts and bars. The editor
// paints their frame and a placeholder of the content; the panel fills them
// from their records at run time. Record offsets, as the runtime reads them:
//   lamp   +32 value, +36 display condition, +40 state list        (44 bytes)
//   number +32 value, +36 display condition, +40 texts, +44 format (48 bytes)
//   text   +32 texts, +36 display condition, +40 register text     (44 bytes)
//   bar    +32 value, +36 display condition, +40 bar brush,
//          +44 direction, +48 block size                           (52 bytes)
// A display condition without expression is written as 0 (always shown).
#include <cstdint>
#include <string>

#include "model/Control.h"

class TZmReadValue;
class TZmReadText;
class TZmDisplayNumInf;
class TZmMultiTexts;
class TZmStatusInfs;
class TZmBrush;

class TZmReadInfBase : public TZmControl {
public:
  const char* ClassName() const override { return "TZmReadInfBase"; }
  void Initialize() override;
  void Serialize(TZmSerialization& s) override;
  // Control record, the value and the display condition; then registers both.
  void WriteROM(TZmCompiler& compiler) override;
  std::string GetInfoLine(int32_t index, int32_t mode) override;
  ~TZmReadInfBase() override;

  TZmReadValue* ReadValue = nullptr;
  TZmReadValue* DisplayFlag = nullptr;

protected:
  void WriteReadInf(TZmCompiler& compiler);
  void RegisterReadInf(TZmCompiler& compiler);
};

class TZmLamp : public TZmReadInfBase {
public:
  const char* ClassName() const override { return "TZmLamp"; }
  uint32_t ClassTypeCode() const override { return 0x10000; }
  void Initialize() override;
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler& compiler) override;
  void ChangeColorFormat(int32_t from, int32_t to) override;
  void Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool registerIt) override;
  int32_t GetImageIndex() override { return 41; }
  int32_t GetTypeTextID() override { return 7100; }
  void Scale(double fx, double fy) override;
  ~TZmLamp() override;

  TZmStatusInfs* StatusInfs = nullptr;
};

class TZmNum : public TZmReadInfBase {
public:
  const char* ClassName() const override { return "TZmNum"; }
  uint32_t ClassTypeCode() const override { return 0x10001; }
  void Initialize() override;
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler& compiler) override;
  void ChangeColorFormat(int32_t from, int32_t to) override;
  void Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool registerIt) override;
  int32_t GetImageIndex() override { return 42; }
  int32_t GetTypeTextID() override { return 7101; }
  void Scale(double fx, double fy) override;
  ~TZmNum() override;
  // "#" for each digit, with the project's decimal separator; at most 256 characters.
  std::string Placeholder() const;

  TZmMultiTexts* MultiTexts = nullptr;
  TZmDisplayNumInf* DisplayNumInf = nullptr;
};

class TZmBar : public TZmReadInfBase {
public:
  const char* ClassName() const override { return "TZmBar"; }
  uint32_t ClassTypeCode() const override { return 0x10007; }
  void Initialize() override;
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler& compiler) override;
  void ChangeColorFormat(int32_t from, int32_t to) override;
  void Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool registerIt) override;
  std::string GetInfoLine(int32_t index, int32_t mode) override;
  int32_t GetImageIndex() override { return Type == 1 ? 46 : 45; }
  int32_t GetTypeTextID() override { return Type == 1 ? 7420 : 7107; }
  ~TZmBar() override;
  // The editor's preview of the bar inside the client rectangle.
  TZmClientRect PreviewRect(const TZmClientRect& client) const;

  TZmBrush* BarBrush = nullptr;
  int32_t Direction = 1;  // edge the bar grows from: 0 right, 1 bottom, 2 left, 3 top
  int32_t BarSize = 8;
};

class TZmTextBase : public TZmControl {
public:
  const char* ClassName() const override { return "TZmTextBase"; }
  void Initialize() override;
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler& compiler) override;
  void ChangeColorFormat(int32_t from, int32_t to) override;
  void Scale(double fx, double fy) override;
  ~TZmTextBase() override;

  TZmMultiTexts* MultiTexts = nullptr;
  TZmReadValue* DisplayFlag = nullptr;
};

class TZmText : public TZmTextBase {
public:
  const char* ClassName() const override { return "TZmText"; }
  uint32_t ClassTypeCode() const override { return 0x10002; }
  void Initialize() override;
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler& compiler) override;
  void Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool registerIt) override;
  std::string GetInfoLine(int32_t index, int32_t mode) override;
  int32_t GetImageIndex() override { return 43; }
  int32_t GetTypeTextID() override { return 7102; }
  ~TZmText() override;
  // One "*" per character of the register text; at most 256.
  std::string Placeholder() const;

  TZmReadText* ReadText = nullptr;
};

// Writes a reference to a binding whose read expression may be empty: 0 then.
void WriteOptionalValue(TZmCompiler& compiler, TZmReadValue* value);
// The project's decimal separator for the object's scene; "." without a
// project or for a value that is no printable ASCII character.
char ProjectDecimalSeparator(const TZmComponent* c);
// "#" for each digit of the format, with the separator; at most 256 characters.
std::string NumberPlaceholder(const TZmDisplayNumInf& format, char separator);
// Label mode of the information lines: 0x02 addresses, 0x10 the short form, 0 none.
int32_t InfoLabelMode(int32_t mode);
