// Repainting a busy scene in the editor: the scene drawn by our drawing
// context, handles, the pick map and the canvas blit, at 100 % and 400 %.
// The time column is milliseconds per frame.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPixmap>
#include <cstdlib>
#include <memory>

#include "app/editor/SceneEditOpt.h"
#include "app/editor/SceneEditor.h"
#include "devices/Model.h"
#include "model/Project.h"
#include "model/Startup.h"
#include "model/Scenes.h"
#include "model/Shapes.h"

namespace {

struct Fixture {
  Fixture()
  {
    const char* env = std::getenv("KESTRAVA_DATA");
    TZmStartOptions options;
    options.DataOption = env && *env ? env : KESTRAVA_BUILD_DIR "/data";
    const std::string data = StartProgram(options).DataRoot;
    TZmModels::Global().LoadModelFolder(data + "/model", "");
    Root.reset(NewObject<TZmHMI>());
    const TZmModel* model = TZmModels::Global().FindByName("KP320");
    if (!model || !NewFromModel(*Root, model)) return;
    Scene = Root->SceneGroups->Item(0)->AddScene();
    // A busy screen: 400 overlapping shapes of every kind.
    for (int i = 0; i < 400; ++i) {
      const int x = (i * 37) % 280, y = (i * 23) % 200, w = 10 + i % 30, h = 8 + i % 25;
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
    Editor->resize(1400, 1100);
    Editor->Attach(Scene, &Options);
    Editor->SelectAll();
  }
  std::unique_ptr<TZmHMI> Root;
  TZmScene* Scene = nullptr;
  TZmSceneEditOpt Options;
  std::unique_ptr<TFrameEditScene> Editor;
};

Fixture& Shared()
{
  static Fixture f;
  return f;
}

void Repaint(benchmark::State& state)
{
  Fixture& f = Shared();
  if (!f.Scene) {
    state.SkipWithError("the KP320 model is not in the data folder");
    return;
  }
  f.Editor->SetZoom(static_cast<int32_t>(state.range(0)));
  for (auto _ : state) {
    f.Editor->Refresh();
    QPixmap shot = f.Editor->ccEdit->grab();
    benchmark::DoNotOptimize(shot);
  }
}
BENCHMARK(Repaint)->Arg(100)->Arg(400)->Unit(benchmark::kMillisecond);

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
