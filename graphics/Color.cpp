#include "graphics/Color.h"

const uint8_t DitherMatrix[8][8] = {
  {0, 128, 32, 160, 8, 136, 40, 168},
  {192, 64, 224, 96, 200, 72, 232, 104},
  {48, 176, 16, 144, 56, 184, 24, 152},
  {240, 112, 208, 80, 248, 120, 216, 88},
  {12, 140, 44, 172, 4, 132, 36, 164},
  {204, 76, 236, 108, 196, 68, 228, 100},
  {60, 188, 28, 156, 52, 180, 20, 148},
  {252, 124, 220, 92, 244, 116, 212, 84},
};

namespace {

uint32_t Red(uint32_t rgb) { return rgb & 0xFF; }
uint32_t Green(uint32_t rgb) { return (rgb >> 8) & 0xFF; }
uint32_t Blue(uint32_t rgb) { return (rgb >> 16) & 0xFF; }
uint32_t MakeRGB(uint32_t r, uint32_t g, uint32_t b) { return (r & 0xFF) | (g & 0xFF) << 8 | (b & 0xFF) << 16; }
uint32_t Luma(uint32_t rgb) { return 77 * Red(rgb) + 150 * Green(rgb) + 29 * Blue(rgb); }

uint32_t RGB565ToRGBReplicated(uint32_t v)
{
  uint32_t r5 = (v >> 11) & 0x1F, g6 = (v >> 5) & 0x3F, b5 = v & 0x1F;
  return MakeRGB(r5 << 3 | r5 >> 2, g6 << 2 | g6 >> 4, b5 << 3 | b5 >> 2);
}

}  // namespace

uint16_t RGBToRGB565(uint32_t rgb)
{
  return static_cast<uint16_t>((Red(rgb) >> 3) << 11 | (Green(rgb) >> 2) << 5 | Blue(rgb) >> 3);
}

uint32_t RGB565ToRGB(uint16_t v)
{
  uint32_t r5 = (v >> 11) & 0x1F, g6 = (v >> 5) & 0x3F, b5 = v & 0x1F;
  return MakeRGB(r5 << 3 | (r5 ? 7 : 0), g6 << 2 | (g6 ? 3 : 0), b5 << 3 | (b5 ? 7 : 0));
}

uint32_t PanelToRGB(int32_t format, uint32_t v)
{
  switch (format) {
  case 0:
    return v & 0xFFFFFF;
  case 2: {
    uint32_t r3 = (v >> 5) & 7, g3 = (v >> 2) & 7, b2 = v & 3;
    return MakeRGB(36 * r3 | r3 >> 1, 36 * g3 | g3 >> 1, 0x55 * b2);
  }
  case 3:
    return MakeRGB(17 * (v & 0xF), 17 * ((v >> 4) & 0xF), 0);
  case 4:
    return 0x111111 * (v & 0xF);
  case 5:
    return MakeRGB(17 * (v & 0xF), 0, 0);
  case 6:
    return v ? 0xFFFFFF : 0;
  case 7:
  case 8:
    return v ? 0 : 0xFFFFFF;
  default:  // 1 and unknown formats: RGB565
    return RGB565ToRGBReplicated(v & 0xFFFF);
  }
}

uint16_t PanelToRGB565(int32_t format, uint32_t v)
{
  switch (format) {
  case 0:
    // The stored value is 0x00BBGGRR, not a surface colour: convert it.
    return RGBToRGB565(v);
  case 2:
  case 3:
  case 4:
  case 5:
    return RGBToRGB565(PanelToRGB(format, v));
  case 6:
    return v ? 0xFFFF : 0;
  case 7:
    return v ? 0 : 0xFFFF;
  case 8:
    return static_cast<uint16_t>(v);
  default:
    return static_cast<uint16_t>(v);
  }
}

uint32_t RGBToPanel(int32_t format, uint32_t rgb, int32_t row, int32_t col)
{
  uint32_t r = Red(rgb), g = Green(rgb), b = Blue(rgb);
  switch (format) {
  case 0:
    return rgb & 0xFFFFFF;
  case 2:
    return (r & 0xE0) | (g & 0xE0) >> 3 | b >> 6;
  case 3:
    return r >> 4 | (g & 0xF0);
  case 4:
  case 5:
    return Luma(rgb) >> 12;
  case 6:
    return DitherMatrix[row & 7][col & 7] < (Luma(rgb) >> 8) ? 1 : 0;
  case 7:
  case 8:
    return (Luma(rgb) >> 8) < 128 ? 1 : 0;
  default:
    return (r & 0xF8) << 8 | (g & 0xFC) << 3 | b >> 3;
  }
}

uint32_t ConvertPanelColor(int32_t from, int32_t to, uint32_t v)
{
  if (from == to)
    return v;
  return RGBToPanel(to, PanelToRGB(from, v), 0, 1);
}

uint16_t QuantiseGradient(int32_t format, uint32_t r, uint32_t g, uint32_t b)
{
  r &= 0xFF;
  g &= 0xFF;
  b &= 0xFF;
  switch (format) {
  case 2: {
    uint32_t r3 = r >> 5, gq = (g & 0xE0) | (g & 0xE0) >> 3, b2 = b >> 6;
    return static_cast<uint16_t>(((r3 * 36) & 0xF8) << 8 | gq << 3 | (b2 * 21) >> 1);
  }
  case 3: {
    uint32_t rq = (r & 0xF0) | (r & 0xF0) >> 4, gq = (g & 0xF0) | (g & 0xF0) >> 4;
    return static_cast<uint16_t>((rq / 8) << 11 | (gq / 4) << 5);
  }
  case 4: {
    uint32_t v = (r & 0xF0) | (r & 0xF0) >> 4;
    return static_cast<uint16_t>((v / 4) << 5 | (v / 8) << 11 | v / 8);
  }
  case 5: {
    uint32_t v = (r & 0xF0) | (r & 0xF0) >> 4;
    return static_cast<uint16_t>((v / 8) << 11);
  }
  case 6:
  case 7:
  case 8:
    return static_cast<uint16_t>((r >> 7) & 1);
  default:  // 1, and 0 and unknown formats, which would otherwise lose the colours
    return static_cast<uint16_t>((r & 0xF8) << 8 | (g & 0xFC) << 3 | b >> 3);
  }
}

namespace {

uint32_t SceneIndex(const TZmPanelColors& c, uint32_t index, int32_t mode)
{
  if (c.SceneOption != 0 && index == 1) {
    if ((mode & 3) == 2)
      return 2;
    if ((mode & 3) == 3)
      return 3;
  }
  return index;
}

}  // namespace

uint16_t TZmPanelColors::PaletteColor(uint32_t index, int32_t mode) const
{
  // A bit count outside 1..31 keeps the whole value (no shift by 32).
  if (ColorBit > 0 && ColorBit < 32)
    index &= (1u << ColorBit) - 1;
  index = SceneIndex(*this, index, mode);
  if (index < Palette.size())
    return RGBToRGB565(Palette[index]);
  return PanelToRGB565(ColorFormat, index);
}

std::optional<uint32_t> TZmPanelColors::PaletteEntry(uint32_t index, int32_t mode) const
{
  index = SceneIndex(*this, index, mode);
  if (index < Palette.size())
    return Palette[index];
  return std::nullopt;
}
