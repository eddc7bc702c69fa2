// Repainting a busy scene in the editor: the scene drawn by our drawing
// context, handles, the pick map and the canvas blit, on a 320 x 240 and an
// 800 x 480 screen. The time column is milliseconds per frame; x_goal is that
// time over the goal of 2 ms (at most 1 meets it).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPixmap>
#include <chrono>
#include <cstdlib>
#include <map>
#include <string>
#include <memory>

#include "app/editor/SceneEditOpt.h"
#include "app/editor/SceneEditor.h"
#include "devices/Model.h"
#include "model/Project.h"
#include "model/Startup.h"
#include "model/Scenes.h"
#include "model/Shapes.h"

namespace {

constexpr double kGoalMs = 2.0;  // an eighth of a 60 Hz frame

// A busy screen of the named model: overlapping shapes of every kind, as many
// as make the same density on every screen size (400 on 320 x 240).
struct Fixture {
  explicit Fixture(const char* modelName)
  {
    const char* env = std::getenv("KESTRAVA_DATA");
    TZmStartOptions options;
    options.DataOption = env && *env ? env : KESTRAVA_BUILD_DIR "/data";
    const std::string data = StartProgram(options).DataRoot;
    if (TZmModels::Global().Count() == 0) {
      TZmModels::Global().LoadModelFolder(data + "/model", "");
      // Test-only models of the benchmarks, such as a large screen.
      TZmModels::Global().LoadModelFolder(KESTRAVA_BUILD_DIR "/bench-data/model", "");
    }
    Root.reset(NewObject<TZmHMI>());
    const TZmModel* model = TZmModels::Global().FindByName(modelName);
    if (!model || !model->Valid || !NewFromModel(*Root, model)) return;
    Scene = Root->SceneGroups->Item(0)->AddScene();
    const int W = model->Width(), H = model->Height();
    const int count = 400 * W * H / (320 * 240);
    for (int i = 0; i < count; ++i) {
      const int x = (i * 37) % (W - 40), y = (i * 23) % (H - 40), w = 10 + i % 30, h = 8 + i % 25;
      TZmComponent* c = nullptr;
      switch (i % 5) {
        case 0: c = CreateComponent<TZmRect>(Scene->ComponentGroup); break;
        case 1: c = CreateComponent<TZmEllipse>(Scene->ComponentGroup); break;
        case 2: c = CreateComponent<TZmRoundRect>(Scene->ComponentGroup); break;
        case 3: c = CreateComponent<TZmLine>(Scene->ComponentGroup); break;
        default: c = CreateComponent<TZmPie>(Scene->ComponentGroup); break;
      }
      c->SetBounds(x, y, x + w, y + h);
    }
    Editor = std::make_unique<TFrameEditScene>();
    Editor->resize(2200, 1600);
    Editor->Attach(Scene, &Options);
  }
  std::unique_ptr<TZmHMI> Root;
  TZmScene* Scene = nullptr;
  TZmSceneEditOpt Options;
  std::unique_ptr<TFrameEditScene> Editor;
};

Fixture& Shared(const char* model)
{
  static std::map<std::string, std::unique_ptr<Fixture>> fixtures;
  auto& f = fixtures[model];
  if (!f) f = std::make_unique<Fixture>(model);
  return *f;
}

// Runs `frame` per iteration; the counter "x_goal" is the time of one frame
// divided by the goal (at most 1 meets it).
template <typename F>
void Frames(benchmark::State& state, Fixture& f, F frame)
{
  if (!f.Scene) {
    state.SkipWithError("the model is not in the data folders");
    return;
  }
  f.Editor->SetZoom(static_cast<int32_t>(state.range(0)));
  int64_t n = 0;
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    frame(n++);
    QPixmap shot = f.Editor->ccEdit->grab();
    benchmark::DoNotOptimize(shot);
  }
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  state.counters["x_goal"] = n ? ms / n / kGoalMs : 0;
}

// Everything redrawn with one object selected: after a property edit, an
// undo, a placed object.
void Refresh(benchmark::State& state, const char* model)
{
  Fixture& f = Shared(model);
  if (f.Scene) f.Editor->SelectObject(f.Scene->ComponentGroup->Item(0));
  Frames(state, f, [&](int64_t) { f.Editor->Refresh(); });
}

// Everything redrawn with every object selected and its handles drawn: the
// worst case, after Select All.
void RefreshAll(benchmark::State& state, const char* model)
{
  Fixture& f = Shared(model);
  if (f.Editor) f.Editor->SelectAll();
  Frames(state, f, [&](int64_t) { f.Editor->Refresh(); });
}

// Clicking one object after another: only the handles change.
void Select(benchmark::State& state, const char* model)
{
  Fixture& f = Shared(model);
  if (!f.Scene) return Frames(state, f, [](int64_t) {});
  const size_t n = f.Scene->ComponentGroup->Count();
  Frames(state, f, [&](int64_t i) { f.Editor->SelectObject(f.Scene->ComponentGroup->Item(size_t(i * 7919) % n)); });
}

// Dragging one object across the busy screen: what the hand waits for.
void Drag(benchmark::State& state, const char* model)
{
  Fixture& f = Shared(model);
  if (!f.Scene) return Frames(state, f, [](int64_t) {});
  TZmComponent* c = f.Scene->ComponentGroup->Item(f.Scene->ComponentGroup->Count() / 2);
  f.Editor->SelectObject(c);
  const TZmRectValue r = c->GetBounds();
  const QPoint at((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  f.Editor->MouseDown(at, Qt::LeftButton, Qt::NoModifier);
  Frames(state, f, [&](int64_t i) {
    f.Editor->MouseMove(at + QPoint(int(i % 40), int(i % 30)), Qt::LeftButton, Qt::NoModifier);
  });
  f.Editor->MouseUp(at, Qt::LeftButton, Qt::NoModifier);  // no distance, no edit
}

BENCHMARK_CAPTURE(Refresh, kp320, "KP320")->Arg(100)->Arg(400)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Refresh, kp800, "KP800")->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RefreshAll, kp320, "KP320")->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RefreshAll, kp800, "KP800")->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Select, kp320, "KP320")->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Select, kp800, "KP800")->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Drag, kp320, "KP320")->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Drag, kp800, "KP800")->Arg(100)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
