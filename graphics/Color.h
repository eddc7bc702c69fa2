#pragma once
// Colour values: the panel's stored colour formats, 24-bit RGB (0x00BBGGRR,
// red in the low byte) and the drawing surface's RGB565. Every conversion
// here ends up in compiled images, so the bit arithmetic is exact.

#include <cstdint>
#include <optional>
#include <vector>

// 8 x 8 ordered-dither thresholds (Bayer matrix scaled to 0..252).
extern const uint8_t DitherMatrix[8][8];

// Stored colour value in `format` -> RGB565. Unknown formats convert as
// RGB565 (format 1).
uint16_t PanelToRGB565(int32_t format, uint32_t v);
// Stored colour value in `format` -> 24-bit RGB.
uint32_t PanelToRGB(int32_t format, uint32_t v);
// 24-bit RGB -> stored value; row and col pick the dither cell of format 6.
uint32_t RGBToPanel(int32_t format, uint32_t rgb, int32_t row, int32_t col);
uint16_t RGBToRGB565(uint32_t rgb);
// Widens each channel, filling the low bits with ones when it is not zero.
uint32_t RGB565ToRGB(uint16_t v);
// A stored colour carried over to another format (models changing format).
uint32_t ConvertPanelColor(int32_t from, int32_t to, uint32_t v);
// Colour of a gradient step (8-bit channels) as the panel format shows it.
uint16_t QuantiseGradient(int32_t format, uint32_t r, uint32_t g, uint32_t b);

// The colour description of a panel model: what turns a stored colour value
// into a surface colour under a scene's colour option.
struct TZmPanelColors {
  int32_t ColorBit = 16;
  int32_t ColorFormat = 1;
  int32_t SceneOption = 0;
  std::vector<uint32_t> Palette;  // 24-bit entries; empty when the model has none
  // The model's stored colours for white, grey and black (bevel scripts).
  int32_t WhiteIndex = 0, GrayIndex = 0, BlackIndex = 1;

  // Colour of a palette index (or stored value) as RGB565.
  uint16_t PaletteColor(uint32_t index, int32_t mode) const;
  // The raw palette entry the index selects, or nothing.
  std::optional<uint32_t> PaletteEntry(uint32_t index, int32_t mode) const;
};
