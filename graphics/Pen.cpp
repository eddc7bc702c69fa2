#include "graphics/Pen.h"

#include "image/Context.h"
#include "graphics/Color.h"
#include "graphics/DC.h"

void SerializeTag7(TZmSerialization& s, const char* name, int32_t& v)
{
  uint32_t u = static_cast<uint32_t>(v);
  s.SerializeUInt32(name, u);
  if (s.Reading()) v = static_cast<int32_t>(u);
}

void TZmPen::Initialize()
{
  Color = 0;
  StyleIndex = 1;
  Width = 1;
  Mode = 0;
}

void TZmPen::Serialize(TZmSerialization& s)
{
  s.SerializeColor("Color", Color);
  SerializeTag7(s, "StyleIndex", StyleIndex);
  SerializeTag7(s, "Width", Width);
  SerializeTag7(s, "Mode", Mode);
}

void TZmPen::WriteROM(TZmCompiler& compiler)
{
  TZmStream& out = compiler.Output();
  out.SeekEnd();
  out.WriteU32(compiler.ReplicateColor(Color));
  out.WriteI32(StyleIndex);
  out.WriteI32(Width);
  out.WriteI32(Mode);
}

void TZmPen::ChangeColorFormat(int32_t from, int32_t to) { Color = ConvertPanelColor(from, to, Color); }

TZmDCPen TZmPen::DCPen() const { return TZmDCPen{Color, StyleIndex, Width, Mode}; }

void TZmPen::Select(TZmDC& dc, const TZmIdentitySource* ids, int32_t colorOption) const
{
  dc.SelectPen(DCPen(), ids, colorOption);
}

int32_t TZmPen::PickerCell() const { return StyleIndex == 1 ? Width : StyleIndex + 10; }

void TZmPen::SetPickerCell(int32_t cell)
{
  if (cell < 0) return;
  if (cell <= 9) {
    Width = cell;
    StyleIndex = 1;
  } else {
    StyleIndex = cell - 10;
    Width = 1;
  }
}

void TZmBrush::Initialize()
{
  Color = 0;
  StyleIndex = 1;
  ExternFlag = 0;
  ExtColor = 0;
}

void TZmBrush::Serialize(TZmSerialization& s)
{
  s.SerializeColor("Color", Color);
  SerializeTag7(s, "StyleIndex", StyleIndex);
  SerializeTag7(s, "ExternFlag", ExternFlag);
  s.SerializeColor("ExtColor", ExtColor);
}

void TZmBrush::WriteROM(TZmCompiler& compiler)
{
  TZmStream& out = compiler.Output();
  out.SeekEnd();
  out.WriteU32(compiler.ReplicateColor(Color));
  out.WriteI32(StyleIndex);
  out.WriteI32(ExternFlag);
  out.WriteU32(compiler.ReplicateColor(ExtColor));
}

void TZmBrush::ChangeColorFormat(int32_t from, int32_t to)
{
  Color = ConvertPanelColor(from, to, Color);
  ExtColor = ConvertPanelColor(from, to, ExtColor);
}

TZmDCBrush TZmBrush::DCBrush() const { return TZmDCBrush{Color, StyleIndex, ExternFlag, ExtColor}; }

void TZmBrush::Select(TZmDC& dc, const TZmIdentitySource* ids, int32_t colorOption) const
{
  dc.SelectBrush(DCBrush(), ids, colorOption);
}
