// Draws the panel model pictures from the model files: the 64 x 64 icon, the
// front picture at twice the location units, the lamp strips and the
// screen-sized download picture. Everything is drawn with our own drawing
// context, so the repository ships no picture it cannot rebuild.
//
// usage: make_models SOURCE_MODEL_DIR OUT_MODEL_DIR
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/Guard.h"
#include "base/File.h"
#include "base/Ini.h"
#include "base/Utf.h"
#include "devices/Model.h"
#include "graphics/Color.h"
#include "graphics/DC.h"
#include "graphics/SurfacePng.h"

namespace fs = std::filesystem;

namespace {

uint16_t C(uint32_t r, uint32_t g, uint32_t b) { return RGBToRGB565(r | (g << 8) | (b << 16)); }

void Fill(TZmDC& dc, int32_t l, int32_t t, int32_t r, int32_t b, uint16_t color, int32_t radius = 0, uint16_t edge = 0,
          int32_t edgeWidth = 0)
{
  dc.SelectBrush(TZmDCBrush{color, 1, 0, 0}, nullptr, 0);
  dc.SelectPen(TZmDCPen{edge, edgeWidth > 0 ? 1 : 0, std::max(edgeWidth, 1), 0}, nullptr, 0);
  if (radius > 0) dc.RoundRect(l, t, r, b, radius, radius);
  else dc.Rectangle(l, t, r, b);
}

void Label(TZmDC& dc, int32_t l, int32_t t, int32_t r, int32_t b, const std::string& text, uint16_t color, int32_t points,
           bool bold = true)
{
  TZmTextStyle style;
  style.Font = TZmFontSpec{"DejaVu Sans", points, 0, static_cast<uint8_t>(bold ? 1 : 0)};
  style.Color = color;
  style.Align = 4;
  style.Option = 1;
  style.Text = text;
  dc.DrawText(0, l, t, r, b, style, nullptr, false, {});
}

bool Save(const TZmDC& dc, const fs::path& path)
{
  std::string error;
  if (!SaveSurfacePng(dc, path.string(), error)) {
    std::fprintf(stderr, "make_models: %s\n", error.c_str());
    return false;
  }
  return true;
}

// 24-bit PNG with exact palette colours (the download picture must hold
// nothing but palette entries 0 and 1).
bool SaveIndexed(const TZmDC& dc, const std::vector<uint32_t>& palette, const fs::path& path)
{
  std::vector<uint8_t> rgb(static_cast<size_t>(dc.Width()) * dc.Height() * 3);
  for (int32_t y = 0; y < dc.Height(); ++y)
    for (int32_t x = 0; x < dc.Width(); ++x) {
      uint32_t e = palette[dc.RawPixel(x, y) ? 1 : 0];
      uint8_t* p = &rgb[(static_cast<size_t>(y) * dc.Width() + x) * 3];
      p[0] = static_cast<uint8_t>(e);
      p[1] = static_cast<uint8_t>(e >> 8);
      p[2] = static_cast<uint8_t>(e >> 16);
    }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(dc.Width());
  image.height = static_cast<png_uint_32>(dc.Height());
  image.format = PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr)) return false;
  std::vector<uint8_t> png(size);
  if (!png_image_write_to_memory(&image, png.data(), &size, 0, rgb.data(), 0, nullptr)) return false;
  png.resize(size);
  std::string error;
  return WriteFileAtomic(path.string(), png, error);
}

struct Lamp {
  const char* suffix;
  const TZmRectValue* loc;
  std::vector<uint16_t> frames;  // lamp colour of each frame
  const char* caption;
};

bool DrawModel(const TZmIniFile& ini, const std::string& section, const fs::path& out)
{
  TZmModel m;
  m.Name = ini.ReadString(section, "Name");
  const std::pair<const char*, TZmRectValue*> locs[] = {{"EditLoc", &m.EditRect}, {"PowerLoc", &m.PowerRect},
                                                         {"LinkLoc", &m.LinkRect}, {"DiskLoc", &m.DiskRect},
                                                         {"AlarmLoc", &m.AlarmRect}};
  for (auto [key, rect] : locs) ParseLoc(ini.ReadString(section, key), *rect);
  std::vector<TZmModelKey> keys;
  int32_t keyCount = std::clamp(ini.ReadInteger(section, "KEYCnt", 0), 0, kMaxModelKeys);
  for (int32_t i = 0; i < keyCount; ++i) {
    std::string text = ini.ReadString(section, "KEYLoc" + std::string(i < 10 ? "000" : "00") + std::to_string(i));
    TZmModelKey k;
    if (!text.empty() && ParseModelKey(text, k)) keys.push_back(k);
  }
  std::vector<uint32_t> palette;
  for (int i = 0; i < 2; ++i) palette.push_back(static_cast<uint32_t>(ini.ReadInteger(section, i ? "Color00001" : "Color00000", i ? 0 : 0xFFFFFF)));
  int32_t W = m.Width(), H = m.Height();
  if (m.Name.empty() || W <= 0 || H <= 0) {
    std::fprintf(stderr, "make_models: [%s] has no name or screen\n", section.c_str());
    return false;
  }

  // The panel's extent in location units, with a margin.
  int32_t right = m.EditRect.Right, bottom = m.EditRect.Bottom;
  for (const auto& k : keys) {
    right = std::max(right, k.Left + k.Width);
    bottom = std::max(bottom, k.Top + k.Height);
  }
  right += 24;
  bottom += 18;
  const int32_t s = 2;  // picture pixels per location unit
  TZmDC front(right * s, bottom * s);
  front.Clear(C(255, 255, 255));
  const uint16_t body = C(58, 64, 72), bezel = C(32, 35, 40), keyFace = C(214, 218, 224), keyText = C(30, 30, 34);
  Fill(front, 0, 0, right * s - 1, bottom * s - 1, body, 18, C(20, 22, 26), 2);
  Label(front, 8 * s, 2 * s, 60 * s, 10 * s, m.Name, C(230, 230, 230), 9);
  // Screen window with its bezel; the display image is laid over it.
  const TZmRectValue& e = m.EditRect;
  Fill(front, e.Left * s - 10, e.Top * s - 10, e.Right * s + 9, e.Bottom * s + 9, bezel, 6);
  uint32_t bg = palette[0];
  Fill(front, e.Left * s, e.Top * s, e.Right * s - 1, e.Bottom * s - 1, RGBToRGB565(bg));
  for (const auto& k : keys) {
    TZmRectValue r = k.Rect();
    Fill(front, r.Left * s + 2, r.Top * s + 3, r.Right * s + 1, r.Bottom * s + 2, C(24, 26, 30), 8);  // shadow
    Fill(front, r.Left * s, r.Top * s, r.Right * s - 1, r.Bottom * s - 1, keyFace, 8, C(150, 154, 160), 1);
    Label(front, r.Left * s, r.Top * s, r.Right * s - 1, r.Bottom * s - 1, k.Caption, keyText, k.Caption.size() > 2 ? 8 : 11);
  }
  const Lamp lamps[] = {
      {"_POWER", &m.PowerRect, {C(40, 48, 40), C(40, 210, 60), C(230, 40, 40), C(245, 160, 30)}, "RUN"},
      {"_LINK", &m.LinkRect, {C(48, 48, 40), C(250, 220, 40)}, "COM"},
      {"_DISK", &m.DiskRect, {C(40, 44, 52), C(70, 140, 250)}, "MEM"},
      {"_ALARM", &m.AlarmRect, {C(52, 40, 40), C(240, 40, 40)}, "ALM"},
  };
  for (const Lamp& lamp : lamps) {
    const TZmRectValue& r = *lamp.loc;
    int32_t w = (r.Right - r.Left) * s, h = (r.Bottom - r.Top) * s;
    if (w <= 0 || h <= 0) continue;
    // Frames side by side, each of the lamp's size; frame 0 (off) is on the front picture.
    TZmDC strip(w * static_cast<int32_t>(lamp.frames.size()), h);
    strip.Clear(body);
    for (size_t f = 0; f < lamp.frames.size(); ++f)
      Fill(strip, static_cast<int32_t>(f) * w, 0, static_cast<int32_t>(f + 1) * w - 1, h - 1, lamp.frames[f], 4, C(15, 15, 15), 1);
    if (!Save(strip, out / (m.Name + lamp.suffix + ".PNG"))) return false;
    Fill(front, r.Left * s, r.Top * s, r.Right * s - 1, r.Bottom * s - 1, lamp.frames[0], 4, C(15, 15, 15), 1);
    Label(front, r.Right * s + 2, r.Top * s - 2, r.Right * s + 44, r.Bottom * s + 1, lamp.caption, C(200, 200, 200), 7);
  }
  if (!Save(front, out / (m.Name + "_EDIT.PNG"))) return false;

  // Icon: the front picture in miniature.
  TZmDC icon(64, 64);
  icon.Clear(C(255, 255, 255));
  int32_t iw = 60, ih = std::max(20, 60 * bottom / right);
  int32_t iy = (64 - ih) / 2;
  Fill(icon, 2, iy, 2 + iw - 1, iy + ih - 1, body, 6, C(20, 22, 26), 1);
  int32_t sl = 2 + e.Left * iw / right, st = iy + e.Top * ih / bottom;
  int32_t sr = 2 + e.Right * iw / right, sb = iy + e.Bottom * ih / bottom;
  Fill(icon, sl, st, sr, sb, RGBToRGB565(bg), 0, bezel, 1);
  for (const auto& k : keys) {
    TZmRectValue r = k.Rect();
    Fill(icon, 2 + r.Left * iw / right, iy + r.Top * ih / bottom, 2 + r.Right * iw / right - 1, iy + r.Bottom * ih / bottom - 1, keyFace);
  }
  if (!Save(icon, out / (m.Name + ".PNG"))) return false;

  // Download picture: what the panel shows while an image arrives. Ink is
  // drawn as 1 and turned into palette entry 1; the rest is entry 0.
  TZmDC dl(W, H);
  dl.Clear(0);
  const uint16_t ink = 0xFFFF;
  dl.SelectBrush(TZmDCBrush{0, 0, 0, 0}, nullptr, 0);
  dl.SelectPen(TZmDCPen{ink, 1, 1, 0}, nullptr, 0);
  dl.Rectangle(0, 0, W - 1, H - 1);
  dl.Rectangle(2, 2, W - 3, H - 3);
  Label(dl, 4, 4, W - 5, H / 2, "Kestrava", ink, H >= 100 ? 14 : 9);
  Label(dl, 4, H / 2, W - 5, H - 5, "Receiving project...", ink, H >= 100 ? 9 : 7, false);
  return SaveIndexed(dl, palette, out / (m.Name + "_DL.PNG"));
}

}  // namespace

static int Main(int argc, char** argv)
{
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_models SOURCE_MODEL_DIR OUT_MODEL_DIR\n");
    return 2;
  }
  fs::create_directories(argv[2]);
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(argv[1]))
    if (EqualsNoCase(entry.path().extension().string(), ".ini")) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  int drawn = 0;
  for (const auto& f : files) {
    TZmIniFile ini;
    if (!ini.Load(f.string())) continue;
    for (int n = 0; n <= 9999; ++n) {
      char key[16];
      std::snprintf(key, sizeof key, "I%04d", n);
      std::string section = ini.ReadString("Models", key);
      if (section.empty()) break;
      if (!DrawModel(ini, section, argv[2])) return 1;
      ++drawn;
    }
  }
  if (drawn == 0) {
    std::fprintf(stderr, "make_models: no model in %s\n", argv[1]);
    return 1;
  }
  return 0;
}

int main(int argc, char** argv) { return RunGuarded("make_models", Main, argc, argv); }
