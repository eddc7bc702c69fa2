#pragma once
// Pens and brushes as screen objects own them: stored in the owner's record,
// compiled into 16-byte records, and handed to the drawing context (which
// resolves their stored colours) when a shape is drawn.
#include <cstdint>

#include "base/Persistent.h"

class TZmDC;
class TZmIdentitySource;
struct TZmDCPen;
struct TZmDCBrush;

// Integers that are stored with the unsigned 32-bit tag (7) although the
// value is signed; every pen, brush, bevel and bitmap integer is stored so.
void SerializeTag7(TZmSerialization& s, const char* name, int32_t& v);

class TZmPen : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmPen"; }
  void Initialize() override;
  void Serialize(TZmSerialization& s) override;
  // Colour (replicated over 32 bits), StyleIndex, Width, Mode.
  void WriteROM(TZmCompiler& compiler) override;
  void ChangeColorFormat(int32_t from, int32_t to);

  // The pen as the drawing context takes it (colour still stored form).
  TZmDCPen DCPen() const;
  // Selects the pen into the context: colour resolved by the model's
  // conversion under the colour option, or the identity colour.
  void Select(TZmDC& dc, const TZmIdentitySource* ids, int32_t colorOption) const;

  // The pen picker: cells 0..9 are widths of the solid pen, 10.. the styles.
  int32_t PickerCell() const;
  void SetPickerCell(int32_t cell);

  uint32_t Color = 0;
  int32_t StyleIndex = 1;
  int32_t Width = 1;
  int32_t Mode = 0;
};

class TZmBrush : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmBrush"; }
  void Initialize() override;
  void Serialize(TZmSerialization& s) override;
  // Colour, StyleIndex, ExternFlag, ExtColor (colours replicated).
  void WriteROM(TZmCompiler& compiler) override;
  void ChangeColorFormat(int32_t from, int32_t to);

  TZmDCBrush DCBrush() const;
  void Select(TZmDC& dc, const TZmIdentitySource* ids, int32_t colorOption) const;

  uint32_t Color = 0;
  int32_t StyleIndex = 1;
  int32_t ExternFlag = 0;
  uint32_t ExtColor = 0;
};
