// Draws the picture library that ships in the data folder: three groups of
// small pictures for operator panels, drawn with our own drawing context and
// written as PNG in several encodings (RGB, RGBA, palette with transparency,
// 8-bit and 1-bit grey, 16-bit and interlaced), so the picture decoders also
// meet every kind of file the library holds.
//
// usage: make_pictures OUT_PICTURE_DIR
#include <png.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/Guard.h"
#include "base/File.h"
#include "graphics/Color.h"
#include "graphics/DC.h"

namespace fs = std::filesystem;

namespace {

uint16_t C(uint32_t r, uint32_t g, uint32_t b) { return RGBToRGB565(r | (g << 8) | (b << 16)); }

// Pixels of this colour become fully transparent in encodings with alpha,
// and this one half transparent (soft edges and shadows).
const uint16_t kClear = C(255, 0, 255);
const uint16_t kHalf = C(0, 255, 255);

enum class Encoding { RGB, RGBA, Palette, Grey, Grey1, RGB16, Interlaced };

struct Picture {
  const char* Name;
  int32_t Size;
  Encoding Kind;
  std::function<void(TZmDC&, int32_t)> Draw;  // draws on a surface of Size x Size
};

void Pen(TZmDC& dc, uint16_t color, int32_t width = 1, int32_t style = 1)
{
  dc.Pen = TZmDCPen{color, style, width, 0};
}
void Brush(TZmDC& dc, uint16_t color, int32_t style = 1, uint16_t ext = 0)
{
  dc.Brush = TZmDCBrush{color, style, 0, ext};
}
void NoBrush(TZmDC& dc) { dc.Brush = TZmDCBrush{0, 0, 0, 0}; }

// An arrow pointing right inside an s x s box, turned by quarter turns
// counter-clockwise.
std::vector<TZmDCPoint> Arrow(int32_t s, int32_t quarter, int32_t inset = 0)
{
  const int32_t m = s / 2, a = s / 8 + inset, shaft = s / 6;
  std::vector<TZmDCPoint> p = {{a, m - shaft}, {m, m - shaft}, {m, a + 1}, {s - 1 - a, m},
                             {m, s - 2 - a}, {m, m + shaft}, {a, m + shaft}};
  for (TZmDCPoint& q : p)
    for (int32_t i = 0; i < quarter; ++i) q = TZmDCPoint{q.Y, s - 1 - q.X};
  return p;
}

void FilledArrow(TZmDC& dc, int32_t s, int32_t quarter, uint16_t fill, uint16_t edge)
{
  Brush(dc, fill);
  Pen(dc, edge);
  auto p = Arrow(s, quarter);
  dc.Polygon(p);
}

void Lamp(TZmDC& dc, int32_t s, uint16_t dark, uint16_t light)
{
  dc.Clear(kClear);
  Pen(dc, kHalf, 1);
  NoBrush(dc);
  dc.Ellipse(0, 0, s - 1, s - 1);  // soft rim
  Brush(dc, dark);
  Pen(dc, C(40, 40, 40));
  dc.Ellipse(1, 1, s - 2, s - 2);
  Brush(dc, light);
  Pen(dc, light);
  dc.Ellipse(s / 4, s / 5, s / 2, s / 2 - 1);  // highlight
}

void PlainArrow(TZmDC& dc, int32_t s, int32_t quarter, uint16_t fill, uint16_t edge)
{
  dc.Clear(C(255, 255, 255));
  FilledArrow(dc, s, quarter, fill, edge);
}

std::vector<Picture> Arrows()
{
  const uint16_t blue = C(40, 110, 200), navy = C(16, 40, 90), green = C(40, 160, 70), grey = C(90, 90, 96);
  return {
    {"arrow_right", 32, Encoding::RGB, [=](TZmDC& dc, int32_t s) { PlainArrow(dc, s, 0, blue, navy); }},
    {"arrow_down", 32, Encoding::RGB, [=](TZmDC& dc, int32_t s) { PlainArrow(dc, s, 3, blue, navy); }},
    {"arrow_left", 32, Encoding::RGB, [=](TZmDC& dc, int32_t s) { PlainArrow(dc, s, 2, blue, navy); }},
    {"arrow_up", 32, Encoding::RGB, [=](TZmDC& dc, int32_t s) { PlainArrow(dc, s, 1, blue, navy); }},
    {"arrow_right_small", 16, Encoding::Palette,
     [=](TZmDC& dc, int32_t s) { dc.Clear(kClear); FilledArrow(dc, s, 0, green, C(10, 80, 30)); }},
    {"arrow_left_small", 16, Encoding::Palette,
     [=](TZmDC& dc, int32_t s) { dc.Clear(kClear); FilledArrow(dc, s, 2, green, C(10, 80, 30)); }},
    {"arrow_up_large", 48, Encoding::RGBA,
     [=](TZmDC& dc, int32_t s) {
       dc.Clear(kClear);
       Brush(dc, kHalf);
       Pen(dc, kHalf);
       auto shadow = Arrow(s, 1);
       for (TZmDCPoint& p : shadow) p = TZmDCPoint{p.X + 2, p.Y + 2};
       dc.Polygon(shadow);
       FilledArrow(dc, s, 1, C(230, 140, 20), C(120, 60, 0));
     }},
    {"arrows_both", 32, Encoding::Grey,
     [=](TZmDC& dc, int32_t s) {
       dc.Clear(C(255, 255, 255));
       Brush(dc, grey);
       Pen(dc, C(0, 0, 0));
       std::vector<TZmDCPoint> p = {{2, 15}, {10, 6}, {10, 12}, {21, 12}, {21, 6}, {29, 15},
                                  {21, 24}, {21, 18}, {10, 18}, {10, 24}};
       dc.Polygon(p);
       (void)s;
     }},
    {"rotate", 32, Encoding::RGB,
     [=](TZmDC& dc, int32_t s) {
       dc.Clear(C(255, 255, 255));
       Pen(dc, blue, 3);
       dc.Arc(4, 4, s - 5, s - 5, 30, 300);
       Brush(dc, blue);
       Pen(dc, blue);
       std::vector<TZmDCPoint> head = {{22, 2}, {30, 11}, {19, 13}};
       dc.Polygon(head);
     }},
    {"home", 24, Encoding::RGB,
     [=](TZmDC& dc, int32_t s) {
       dc.Clear(C(255, 255, 255));
       Brush(dc, C(200, 60, 50));
       Pen(dc, C(90, 20, 20));
       std::vector<TZmDCPoint> roof = {{1, 11}, {s / 2, 1}, {s - 2, 11}};
       dc.Polygon(roof);
       Brush(dc, C(240, 220, 170));
       dc.Rectangle(4, 11, s - 5, s - 2);
       Brush(dc, C(120, 80, 40));
       dc.Rectangle(10, 15, 14, s - 2);
     }},
  };
}

std::vector<Picture> Devices()
{
  const uint16_t steel = C(150, 160, 172), dark = C(40, 44, 50), water = C(50, 130, 220);
  return {
    {"motor", 32, Encoding::RGB,
     [=](TZmDC& dc, int32_t s) {
       dc.Clear(C(255, 255, 255));
       Brush(dc, steel);
       Pen(dc, dark);
       dc.RoundRect(2, 8, s - 8, s - 6, 4, 4);
       dc.Rectangle(s - 8, 14, s - 2, 18);
       for (int32_t x = 6; x < s - 10; x += 4) dc.VLine(10, s - 8, x, dark);
       dc.Rectangle(6, s - 6, s - 12, s - 3);
     }},
    {"pump", 32, Encoding::RGB,
     [=](TZmDC& dc, int32_t s) {
       dc.Clear(C(255, 255, 255));
       Brush(dc, C(70, 150, 90));
       Pen(dc, dark, 2);
       dc.Ellipse(3, 3, s - 4, s - 4);
       Brush(dc, C(255, 255, 255));
       Pen(dc, dark);
       std::vector<TZmDCPoint> t = {{10, 8}, {24, 15}, {10, 22}};
       dc.Polygon(t);
     }},
    {"valve", 32, Encoding::Palette,
     [=](TZmDC& dc, int32_t s) {
       dc.Clear(kClear);
       Brush(dc, C(220, 40, 40));
       Pen(dc, dark);
       std::vector<TZmDCPoint> bow = {{2, 8}, {s / 2, 16}, {2, 24}};
       dc.Polygon(bow);
       std::vector<TZmDCPoint> bow2 = {{s - 3, 8}, {s / 2, 16}, {s - 3, 24}};
       dc.Polygon(bow2);
       dc.VLine(4, 16, s / 2, dark);
       dc.HLine(10, 21, 4, dark);
     }},
    {"tank", 40, Encoding::RGB,
     [=](TZmDC& dc, int32_t s) {
       dc.Clear(C(255, 255, 255));
       Brush(dc, C(230, 234, 238));
       Pen(dc, dark, 2);
       dc.RoundRect(6, 2, s - 7, s - 3, 8, 6);
       Brush(dc, water);
       Pen(dc, water, 0);
       dc.Rectangle(8, s / 2, s - 9, s - 6);
       Pen(dc, dark);
       for (int32_t y = 8; y < s - 6; y += 6) dc.HLine(s - 12, s - 9, y, dark);
     }},
    {"fan", 32, Encoding::Interlaced,
     [=](TZmDC& dc, int32_t s) {
       dc.Clear(C(255, 255, 255));
       Brush(dc, C(80, 120, 170));
       Pen(dc, dark);
       for (int32_t a = 0; a < 360; a += 120) dc.Pie(3, 3, s - 4, s - 4, a, a + 45);
       Brush(dc, dark);
       dc.Ellipse(s / 2 - 3, s / 2 - 3, s / 2 + 2, s / 2 + 2);
     }},
    {"heater", 24, Encoding::Grey,
     [=](TZmDC& dc, int32_t s) {
       dc.Clear(C(255, 255, 255));
       Pen(dc, C(60, 60, 60), 2);
       std::vector<TZmDCPoint> zig;
       for (int32_t i = 0; i <= 8; ++i) zig.push_back(TZmDCPoint{2 + i * (s - 5) / 8, i % 2 ? 5 : s - 6});
       dc.Polyline(zig);
     }},
    {"sensor", 16, Encoding::RGB,
     [=](TZmDC& dc, int32_t s) {
       dc.Clear(C(255, 255, 255));
       Brush(dc, C(250, 200, 40));
       Pen(dc, dark);
       dc.Ellipse(1, 1, s - 2, s - 2);
       dc.Line(s / 2, 3, s / 2, s / 2);
       dc.Line(s / 2, s / 2, s - 5, s - 5);
     }},
    {"conveyor", 48, Encoding::RGB16,
     [=](TZmDC& dc, int32_t s) {
       dc.Clear(C(255, 255, 255));
       Brush(dc, C(70, 70, 76));
       Pen(dc, dark);
       dc.RoundRect(2, 20, s - 3, 34, 7, 7);
       Brush(dc, steel);
       for (int32_t x = 5; x < s - 10; x += 10) dc.Ellipse(x, 23, x + 8, 31);
       Brush(dc, C(190, 140, 70));
       dc.Rectangle(14, 8, 30, 19);
     }},
    {"pipe", 32, Encoding::Grey1,
     [=](TZmDC& dc, int32_t s) {
       dc.Clear(C(255, 255, 255));
       Brush(dc, C(0, 0, 0), 14, C(255, 255, 255));  // checker pattern, opaque
       Pen(dc, C(0, 0, 0));
       dc.Rectangle(0, 10, s - 1, 21);
       dc.Rectangle(10, 0, 21, 10);
     }},
  };
}

std::vector<Picture> Indicators()
{
  return {
    {"lamp_red", 24, Encoding::RGBA, [](TZmDC& dc, int32_t s) { Lamp(dc, s, C(200, 30, 30), C(255, 170, 170)); }},
    {"lamp_green", 24, Encoding::RGBA, [](TZmDC& dc, int32_t s) { Lamp(dc, s, C(30, 170, 60), C(170, 255, 190)); }},
    {"lamp_yellow", 24, Encoding::RGBA, [](TZmDC& dc, int32_t s) { Lamp(dc, s, C(230, 200, 20), C(255, 250, 190)); }},
    {"lamp_off", 24, Encoding::RGBA, [](TZmDC& dc, int32_t s) { Lamp(dc, s, C(90, 90, 90), C(190, 190, 190)); }},
    {"warning", 32, Encoding::Palette,
     [](TZmDC& dc, int32_t s) {
       dc.Clear(kClear);
       Brush(dc, C(250, 200, 0));
       Pen(dc, C(0, 0, 0), 2);
       std::vector<TZmDCPoint> t = {{s / 2, 2}, {s - 2, s - 3}, {1, s - 3}};
       dc.Polygon(t);
       Brush(dc, C(0, 0, 0));
       Pen(dc, C(0, 0, 0));
       dc.Rectangle(s / 2 - 1, 11, s / 2 + 1, 21);
       dc.Rectangle(s / 2 - 1, 24, s / 2 + 1, 26);
     }},
    {"check", 16, Encoding::Grey1,
     [](TZmDC& dc, int32_t s) {
       dc.Clear(C(255, 255, 255));
       Pen(dc, C(0, 0, 0), 2);
       dc.Line(2, 8, 6, 12);
       dc.Line(6, 12, s - 3, 3);
     }},
    {"cross", 16, Encoding::Grey1,
     [](TZmDC& dc, int32_t s) {
       dc.Clear(C(255, 255, 255));
       Pen(dc, C(0, 0, 0), 2);
       dc.Line(3, 3, s - 4, s - 4);
       dc.Line(s - 4, 3, 3, s - 4);
     }},
    {"gauge", 48, Encoding::RGB16,
     [](TZmDC& dc, int32_t s) {
       dc.Clear(C(255, 255, 255));
       Brush(dc, C(240, 240, 236));
       Pen(dc, C(50, 50, 56), 2);
       dc.Ellipse(1, 1, s - 2, s - 2);
       Pen(dc, C(200, 40, 40), 3);
       dc.Arc(6, 6, s - 7, s - 7, 0, 45);
       Pen(dc, C(40, 40, 40));
       for (int32_t a = 0; a <= 180; a += 30) {
         TZmDCPoint o = TZmDC::EllipsePoint(s / 2, s / 2, s / 2 - 4, s / 2 - 4, a);
         TZmDCPoint i = TZmDC::EllipsePoint(s / 2, s / 2, s / 2 - 9, s / 2 - 9, a);
         dc.Line(o.X, o.Y, i.X, i.Y);
       }
       Pen(dc, C(20, 20, 120), 2);
       TZmDCPoint tip = TZmDC::EllipsePoint(s / 2, s / 2, s / 2 - 8, s / 2 - 8, 60);
       dc.Line(s / 2, s / 2, tip.X, tip.Y);
     }},
    {"level_bar", 32, Encoding::Interlaced,
     [](TZmDC& dc, int32_t s) {
       dc.Clear(C(255, 255, 255));
       Brush(dc, C(30, 60, 160), 1024 + 0, C(120, 200, 255));  // gradient, top to bottom
       dc.Brush.ExtColor = C(120, 200, 255);
       Pen(dc, C(20, 20, 20));
       dc.Rectangle(10, 2, s - 11, s - 3);
       Brush(dc, C(255, 255, 255));
       dc.Rectangle(10, 2, s - 11, 11);
     }},
    {"battery", 32, Encoding::RGB,
     [](TZmDC& dc, int32_t s) {
       dc.Clear(C(255, 255, 255));
       Brush(dc, C(255, 255, 255));
       Pen(dc, C(30, 30, 30), 2);
       dc.Rectangle(2, 9, s - 6, s - 10);
       Brush(dc, C(30, 30, 30));
       dc.Rectangle(s - 5, 13, s - 2, s - 14);
       Brush(dc, C(40, 180, 60));
       Pen(dc, C(40, 180, 60), 0);
       dc.Rectangle(5, 12, 18, s - 13);
     }},
  };
}

// --- PNG writing through libpng's full interface (the simplified one cannot
// write 1-bit, 16-bit or interlaced files) ---

struct PngOut {
  std::vector<uint8_t> Bytes;
};

void WriteBytes(png_structp png, png_bytep data, png_size_t n)
{
  auto* out = static_cast<PngOut*>(png_get_io_ptr(png));
  out->Bytes.insert(out->Bytes.end(), data, data + n);
}
void Flush(png_structp) {}

uint8_t Grey(uint32_t rgb)
{
  return static_cast<uint8_t>((77 * (rgb & 0xFF) + 150 * (rgb >> 8 & 0xFF) + 29 * (rgb >> 16 & 0xFF)) >> 8);
}

struct PngSpec {
  int32_t Width, Height;
  int Depth, ColorType, Interlace;
  std::vector<std::vector<png_byte>>* Rows;
  const std::vector<png_color>* Palette;
  const std::vector<png_byte>* Alphas;
};

// Kept apart from the pixel preparation: nothing here changes after setjmp.
bool WritePng(const PngSpec& spec, std::vector<uint8_t>& file)
{
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  PngOut out;
  std::vector<png_bytep> pointers;
  for (auto& r : *spec.Rows) pointers.push_back(r.data());
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, &out, WriteBytes, Flush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(spec.Width), static_cast<png_uint_32>(spec.Height), spec.Depth,
               spec.ColorType, spec.Interlace, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (spec.ColorType == PNG_COLOR_TYPE_PALETTE) {
    png_set_PLTE(png, info, spec.Palette->data(), static_cast<int>(spec.Palette->size()));
    png_set_tRNS(png, info, spec.Alphas->data(), static_cast<int>(spec.Alphas->size()), nullptr);
  }
  png_set_rows(png, info, pointers.data());
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  png_destroy_write_struct(&png, &info);
  file.swap(out.Bytes);
  return true;
}

bool Encode(const TZmDC& dc, Encoding kind, std::vector<uint8_t>& file)
{
  const int32_t w = dc.Width(), h = dc.Height();
  int colorType = PNG_COLOR_TYPE_RGB, depth = 8, interlace = PNG_INTERLACE_NONE;
  std::vector<png_color> palette;
  std::vector<png_byte> alphas;
  std::map<uint16_t, int> index;
  size_t channels = 3;
  switch (kind) {
  case Encoding::RGB: break;
  case Encoding::Interlaced: interlace = PNG_INTERLACE_ADAM7; break;
  case Encoding::RGBA: colorType = PNG_COLOR_TYPE_RGB_ALPHA; channels = 4; break;
  case Encoding::RGB16: depth = 16; channels = 6; break;
  case Encoding::Grey: colorType = PNG_COLOR_TYPE_GRAY; channels = 1; break;
  case Encoding::Grey1: colorType = PNG_COLOR_TYPE_GRAY; depth = 1; channels = 1; break;
  case Encoding::Palette:
    colorType = PNG_COLOR_TYPE_PALETTE;
    channels = 1;
    for (uint16_t v : dc.Pixels())
      if (!index.count(v)) {
        if (index.size() == 256) return false;
        const int i = static_cast<int>(index.size());
        index[v] = i;
      }
    palette.resize(index.size());
    alphas.resize(index.size(), 255);
    for (auto [v, i] : index) {
      const uint32_t rgb = RGB565ToRGB(v);
      palette[i] =
        png_color{static_cast<png_byte>(rgb), static_cast<png_byte>(rgb >> 8), static_cast<png_byte>(rgb >> 16)};
      if (v == kClear) alphas[i] = 0;
      if (v == kHalf) alphas[i] = 128;
    }
    break;
  }
  std::vector<std::vector<png_byte>> rows(h, std::vector<png_byte>(static_cast<size_t>(w) * channels + 1, 0));
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const uint16_t v = dc.RawPixel(x, y);
      const uint32_t rgb = RGB565ToRGB(v);
      png_byte* p = &rows[y][static_cast<size_t>(x) * channels];
      const png_byte r = static_cast<png_byte>(rgb), g = static_cast<png_byte>(rgb >> 8),
                     b = static_cast<png_byte>(rgb >> 16);
      switch (kind) {
      case Encoding::RGBA:
        p[0] = r, p[1] = g, p[2] = b;
        p[3] = v == kClear ? 0 : v == kHalf ? 128 : 255;
        if (v == kClear || v == kHalf) p[0] = p[1] = p[2] = 0;
        break;
      case Encoding::RGB16:
        p[0] = p[1] = r, p[2] = p[3] = g, p[4] = p[5] = b;  // v * 257: exact in 8 bits again
        break;
      case Encoding::Grey: p[0] = Grey(rgb); break;
      case Encoding::Grey1:
        if (Grey(rgb) >= 128) rows[y][x / 8] = static_cast<png_byte>(rows[y][x / 8] | (0x80 >> (x % 8)));
        break;
      case Encoding::Palette: p[0] = static_cast<png_byte>(index[v]); break;
      default: p[0] = r, p[1] = g, p[2] = b; break;
      }
    }
  PngSpec spec{w, h, depth, colorType, interlace, &rows, &palette, &alphas};
  return WritePng(spec, file);
}

}  // namespace

static int Main(int argc, char** argv)
{
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_pictures OUT_PICTURE_DIR\n");
    return 2;
  }
  const fs::path root = argv[1];
  const std::pair<const char*, std::vector<Picture>> groups[] = {
    {"Arrows", Arrows()}, {"Devices", Devices()}, {"Indicators", Indicators()}};
  int failures = 0;
  for (const auto& [group, pictures] : groups) {
    try {
      fs::create_directories(root / group);
    } catch (const fs::filesystem_error& e) {
      std::fprintf(stderr, "make_pictures: %s\n", e.what());
      return 1;
    }
    for (const Picture& p : pictures) {
      TZmDC dc(p.Size, p.Size);
      p.Draw(dc, p.Size);
      std::vector<uint8_t> png;
      std::string error;
      const fs::path path = root / group / (std::string(p.Name) + ".png");
      if (!Encode(dc, p.Kind, png) || !WriteFileAtomic(path.string(), png, error)) {
        std::fprintf(stderr, "make_pictures: cannot write %s %s\n", path.string().c_str(), error.c_str());
        ++failures;
      }
    }
  }
  return failures ? 1 : 0;
}

int main(int argc, char** argv) { return RunGuarded("make_pictures", Main, argc, argv); }
