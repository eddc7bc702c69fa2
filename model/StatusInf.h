#pragma once
// Looks of multi-state objects (lamps, buttons, multi-state inputs) and the
// key codes of key buttons. Both are compiled as shared resources, so equal
// state lists in different objects end up as one record.
#include <cstdint>
#include <vector>

#include "base/Persistent.h"

class TZmBrush;
class TZmBitmap;
class TZmMultiTexts;
class TZmReadValue;
class TZmStatusInfs;
class TZmDC;
class TZmIdentitySource;
struct TZmClientRect;

class TZmStatusInf : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmStatusInf"; }
  void Initialize() override;
  void Serialize(TZmSerialization& s) override;
  // 40 bytes; the runtime reads the picture at +12, its transparent value at
  // +16, the texts at +20, the offsets at +24/+28, the comparison at +32 and
  // its operand at +36. The brush is editor-only.
  void WriteROM(TZmCompiler& compiler) override;
  ~TZmStatusInf() override;
  void ChangeColorFormat(int32_t from, int32_t to);
  void ScaleFont(double sx, double sy);
  // Brush, picture and first text into the rectangle (inclusive); the text
  // goes into the rectangle shrunk by `textInset`. Stored values are never changed.
  void Paint(TZmDC& dc, const TZmIdentitySource* ids, int32_t colorOption, int32_t left, int32_t top, int32_t right,
             int32_t bottom, int32_t textInset) const;

  static TZmStatusInf* Create(TZmStatusInfs* owner);

  TZmStatusInfs* Owner = nullptr;
  uint32_t Option = 0;
  uint32_t ExternFlag = 0;
  uint32_t TransparentColor = 0;
  int32_t ImageLeft = 0;
  int32_t ImageTop = 0;
  TZmBrush* Brush = nullptr;
  TZmBitmap* Image = nullptr;
  TZmMultiTexts* MultiTexts = nullptr;
  uint32_t NumberCmp = 0;
  TZmReadValue* CmpValue = nullptr;
};

class TZmStatusInfs : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmStatusInfs"; }
  void Serialize(TZmSerialization& s) override;
  // Count, then a reference to each state's record.
  void WriteROM(TZmCompiler& compiler) override;
  ~TZmStatusInfs() override;

  size_t Count() const { return Items.size(); }
  TZmStatusInf* Item(size_t i) const { return i < Items.size() ? Items[i] : nullptr; }
  // A new state appended to the list.
  TZmStatusInf* Add() { return TZmStatusInf::Create(this); }
  // Ignored when already present.
  void Append(TZmStatusInf* s);
  void Remove(TZmStatusInf* s);
  void Clear();
  // The state at the current index, or the first when the index is out of range.
  TZmStatusInf* Current() const;
  void ChangeColorFormat(int32_t from, int32_t to);
  void ScaleFont(double sx, double sy);
  // Registers the operands of the states that compare anything (line 7).
  void Register(TZmCompiler& compiler, TZmPersistent* owner);

  TZmPersistent* Owner = nullptr;
  int32_t CurrentIndex = 0;
  int32_t Reserved = 0;
  std::vector<TZmStatusInf*> Items;
};

// Key codes sent by a key button: without modifier and with each modifier.
// Written inline in its owner's record (16 bytes); no shared resource kind.
class TZmKeyDef : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmKeyDef"; }
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler& compiler) override;

  uint32_t Normal = 0;
  uint32_t Shift = 0;
  uint32_t Ctrl = 0;
  uint32_t Alt = 0;
};
