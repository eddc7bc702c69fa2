#pragma once
// The compiler context that WriteROM writes through. This is the part the
// object records need today: the image stream being built. The compile
// driver grows around it.
#include "base/Stream.h"

class TZmCompiler {
public:
  TZmStream& Output() { return Image; }
  void Reset() { Image.Clear(); }

private:
  TZmStream Image;
};
