#pragma once
// The frame of a control: a bevel script from the style library, its two
// edge colours, an extra inset and its own brush for the area.
#include <cstdint>

#include "base/Persistent.h"
#include "graphics/StyleLibrary.h"

class TZmBrush;
class TZmDC;
class TZmIdentitySource;

class TZmBevelInf : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmBevelInf"; }
  void Initialize() override;
  void Serialize(TZmSerialization& s) override;
  // InColor, OutColor (replicated), Space, 0, a reference to the brush's
  // record and one to the script list with the bevel's ID.
  void WriteROM(TZmCompiler& compiler) override;
  ~TZmBevelInf() override;
  void ChangeColorFormat(int32_t from, int32_t to);

  // Draws the frame over the rectangle and returns the client rectangle, or
  // an all-zero one when the list is missing or the script refuses the size.
  TZmClientRect DrawBevel(TZmDC& dc, const TZmIdentitySource* ids, int32_t colorOption, int32_t left, int32_t top,
                          int32_t right, int32_t bottom) const;
  // The bevel picker's cell.
  int32_t PickerCell() const { return ID & 0xFFFF; }

  int32_t TypeMask = 0x10000;
  int32_t ID = 0x10001;
  uint32_t InColor = 0;   // shadow
  uint32_t OutColor = 0;  // highlight
  int32_t Space = 0;
  TZmBrush* Brush = nullptr;
  int32_t ScriptIndex = 0;  // not stored; an index without a script uses script 0
};
