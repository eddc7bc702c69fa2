// How long the rasteriser takes for a screenful of mixed shapes and text,
// on a small monochrome-sized panel and a large colour one. Reported per
// frame (the time column) and per pixel (the ns_per_px counter).
#include <benchmark/benchmark.h>

#include "graphics/DC.h"

namespace {

void MixedScene(TZmDC& dc)
{
  const int32_t w = dc.Width(), h = dc.Height();
  dc.Clear(0xFFFF);
  dc.ColorFormat = 1;
  // A grid of framed cells with patterns, ellipses and rounded boxes.
  const int32_t cw = w / 6, ch = h / 4;
  int32_t n = 0;
  for (int32_t gy = 0; gy < 4; ++gy)
    for (int32_t gx = 0; gx < 6; ++gx, ++n) {
      const int32_t l = gx * cw + 2, t = gy * ch + 2, r = l + cw - 5, b = t + ch - 5;
      dc.Pen = TZmDCPen{0x0000, 1 + n % 5, n % 3 == 0 ? 2 : 1, 0};
      dc.Brush = TZmDCBrush{static_cast<uint32_t>(0x1234 * n), n % 4 == 0 ? 1024 + n % 4 : 1 + n % 47, 0, 0x07E0};
      switch (n % 4) {
      case 0: dc.Rectangle(l, t, r, b); break;
      case 1: dc.Ellipse(l, t, r, b); break;
      case 2: dc.RoundRect(l, t, r, b, cw / 6, ch / 6); break;
      default: dc.Pie(l, t, r, b, 20 * n, 20 * n + 250); break;
      }
    }
  dc.Pen = TZmDCPen{0xF800, 1, 5, 0};
  dc.Line(0, 0, w - 1, h - 1);
  dc.Line(w - 1, 0, 0, h - 1);
  const TZmDCPoint star[] = {{w / 2, 2}, {w * 3 / 5, h / 3}, {w - 3, h / 3}, {w * 2 / 3, h * 3 / 5},
                           {w * 4 / 5, h - 3}, {w / 2, h * 3 / 4}, {w / 5, h - 3}, {w / 3, h * 3 / 5},
                           {2, h / 3}, {w * 2 / 5, h / 3}};
  dc.Brush = TZmDCBrush{0xFFE0, 0x205, 0, 0x001F};
  dc.Pen = TZmDCPen{0x0000, 1, 1, 0};
  dc.Polygon(star);
  TZmTextStyle style;
  style.Font = TZmFontSpec{"DejaVu Sans", 8, 0, 0};
  style.Align = 4;
  for (int32_t y = 0; y + 14 < h; y += h / 5)
    dc.DrawText(0, 0, y, w - 1, y + 14, style, nullptr, true, "Line 1 pump 42.5 bar | Alarm: high level");
  dc.SetBlend(0x0000FF, 30);
  dc.BlendFill(w / 4, h / 4, w * 3 / 4, h * 3 / 4);
}

void BM_MixedScene(benchmark::State& state)
{
  TZmDC dc(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)));
  for (auto _ : state) {
    MixedScene(dc);
    benchmark::DoNotOptimize(dc.Pixels().data());
  }
  // Seconds per pixel, printed with an SI prefix (n = nanoseconds).
  state.counters["per_px"] = benchmark::Counter(static_cast<double>(dc.Width()) * dc.Height(),
                                                   benchmark::Counter::kIsIterationInvariantRate |
                                                     benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(BM_MixedScene)->Args({240, 128})->Args({800, 480})->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
