#include "graphics/Bevel.h"

#include "image/Context.h"
#include "graphics/Color.h"
#include "graphics/DC.h"
#include "graphics/Pen.h"

void TZmBevelInf::Initialize()
{
  TypeMask = 0x10000;
  ID = 0x10001;
  InColor = OutColor = 0;
  Space = 0;
  ScriptIndex = 0;
  delete Brush;
  Brush = NewObject<TZmBrush>();
}

TZmBevelInf::~TZmBevelInf() { delete Brush; }

void TZmBevelInf::Serialize(TZmSerialization& s)
{
  SerializeTag7(s, "TypeMask", TypeMask);
  SerializeTag7(s, "ID", ID);
  s.SerializeColor("InColor", InColor);
  s.SerializeColor("OutColor", OutColor);
  SerializeTag7(s, "Space", Space);
  s.SerializeObject("Brush", Brush);
}

void TZmBevelInf::WriteROM(TZmCompiler& compiler)
{
  TZmStream& out = compiler.Output();
  out.SeekEnd();
  out.WriteU32(compiler.ReplicateColor(InColor));
  out.WriteU32(compiler.ReplicateColor(OutColor));
  out.WriteI32(Space);
  out.WriteU32(0);
  compiler.WriteReference(resBrush, Brush);
  compiler.WriteReference(resBevelScript, TZmGraphicsDB::Global().BevelScripts(ID));
}

void TZmBevelInf::ChangeColorFormat(int32_t from, int32_t to)
{
  InColor = ConvertPanelColor(from, to, InColor);
  OutColor = ConvertPanelColor(from, to, OutColor);
  if (Brush) Brush->ChangeColorFormat(from, to);
}

TZmClientRect TZmBevelInf::DrawBevel(TZmDC& dc, const TZmIdentitySource* ids, int32_t colorOption, int32_t left,
                                     int32_t top, int32_t right, int32_t bottom) const
{
  const TZmBevelScripts* list = TZmGraphicsDB::Global().BevelScripts(ID);
  if (!list) return {};
  const TZmBevelScript* script = list->Script(ScriptIndex);
  if (!script) script = list->Script(0);
  if (!script) return {};
  return RunBevelScript(script->Script, dc, *this, ids, colorOption, left, top, right, bottom);
}
