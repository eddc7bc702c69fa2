#pragma once
// The common base of labels, displays, buttons and inputs: a screen object
// with a bevel frame. Its compiled record is the 28-byte component header
// and a reference to the bevel (32 bytes); the runtime reads the object's
// own fields from +32 on.
#include <cstdint>

#include "model/Component.h"

class TZmBevelInf;
struct TZmClientRect;

class TZmControl : public TZmComponent {
public:
  const char* ClassName() const override { return "TZmControl"; }
  void Initialize() override;
  // Presets the frame from the scene's model (black shadow, white light, grey area).
  void Construct() override;
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler& compiler) override;
  void ChangeColorFormat(int32_t from, int32_t to) override;
  ~TZmControl() override;

  TZmBevelInf* Bevel = nullptr;

protected:
  // The common painting step: joins the collector when asked, draws the
  // bevel and returns the rectangle the content goes into. A bevel that
  // refuses the object's size leaves the object's own rectangle, never the
  // scene origin.
  TZmClientRect PaintFrame(TZmDC& dc, TZmComponentRefs* collector, bool registerIt, const TZmIdentitySource*& ids);
};
