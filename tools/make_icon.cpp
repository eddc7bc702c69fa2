// Draws the program's icon: an operator panel with a trend on its screen and
// two rows of keys, at the sizes desktops ask for. Drawn with our own drawing
// context, so the repository ships no picture it cannot rebuild.
//
// usage: make_icon OUT_DIR     writes kestrava-16.png ... kestrava-256.png
#include <cstdio>
#include <filesystem>
#include <string>

#include "graphics/Color.h"
#include "graphics/DC.h"
#include "graphics/SurfacePng.h"

namespace {

uint16_t C(uint32_t r, uint32_t g, uint32_t b) { return RGBToRGB565(r | (g << 8) | (b << 16)); }

void Box(TZmDC& dc, int32_t l, int32_t t, int32_t r, int32_t b, uint16_t fill, int32_t radius, uint16_t edge, int32_t width)
{
  dc.SelectBrush(TZmDCBrush{fill, 1, 0, 0}, nullptr, 0);
  dc.SelectPen(TZmDCPen{edge, width > 0 ? 1 : 0, std::max(width, 1), 0}, nullptr, 0);
  if (radius > 0) dc.RoundRect(l, t, r, b, radius, radius);
  else dc.Rectangle(l, t, r, b);
}

bool Draw(int32_t size, const std::filesystem::path& out)
{
  TZmDC dc(size, size);
  // Coordinates are laid out on a 256 grid and scaled.
  auto s = [size](int32_t v) { return v * size / 256; };
  dc.Clear(C(0xE8, 0xEC, 0xF2));
  Box(dc, s(16), s(28), s(240), s(228), C(0x3A, 0x40, 0x4C), s(28), C(0x22, 0x26, 0x2E), std::max(1, s(4)));
  Box(dc, s(40), s(50), s(216), s(150), C(0xF4, 0xFA, 0xF0), s(6), C(0x12, 0x14, 0x18), std::max(1, s(4)));
  // A trend line on the screen.
  dc.SelectPen(TZmDCPen{C(0x1E, 0x7A, 0x3C), 1, std::max(1, s(7)), 0}, nullptr, 0);
  const int32_t xs[] = {56, 88, 116, 144, 172, 200}, ys[] = {130, 104, 116, 78, 92, 66};
  for (int i = 0; i + 1 < 6; ++i) dc.Line(s(xs[i]), s(ys[i]), s(xs[i + 1]), s(ys[i + 1]));
  // Keys: two rows, the last one lit.
  for (int row = 0; row < 2; ++row)
    for (int k = 0; k < 4; ++k) {
      const int32_t l = 44 + k * 44, t = 166 + row * 30;
      const bool lit = row == 1 && k == 3;
      Box(dc, s(l), s(t), s(l + 34), s(t + 22), lit ? C(0xF0, 0x8C, 0x1E) : C(0xD8, 0xDC, 0xE4), s(5), C(0x22, 0x26, 0x2E),
          size >= 48 ? 1 : 0);
    }
  std::string error;
  if (!SaveSurfacePng(dc, out.string(), error)) {
    std::fprintf(stderr, "make_icon: %s\n", error.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv)
{
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_icon OUT_DIR\n");
    return 2;
  }
  std::error_code ec;
  std::filesystem::create_directories(argv[1], ec);
  for (int32_t size : {16, 32, 48, 64, 128, 256})
    if (!Draw(size, std::filesystem::path(argv[1]) / ("kestrava-" + std::to_string(size) + ".png"))) return 1;
  return 0;
}
