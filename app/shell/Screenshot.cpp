#include "app/shell/Screenshot.h"

#include <QApplication>
#include <QPixmap>
#include <QTextStream>
#include <QTimer>

#include "app/editor/SceneEditor.h"
#include "app/shell/MainWindow.h"
#include "model/Project.h"
#include "model/Scenes.h"

namespace {
constexpr int kStepMs = 100;
constexpr int kGiveUpSteps = 300;  // 30 s for a project to open
}  // namespace

TZmScreenshotJob::TZmScreenshotJob(TFormMain* window, Request request) : Window(window), Wanted(std::move(request))
{
  Timer = new QTimer(this);
  Timer->setInterval(kStepMs);
  connect(Timer, &QTimer::timeout, this, &TZmScreenshotJob::Poll);
  Timer->start();
}

void TZmScreenshotJob::Poll()
{
  if (!Window->HasProject()) {
    // The window opens the project 500 ms after it first becomes active.
    ++Waited;
    const bool waiting = Window->TimerAutoOpen && Window->TimerAutoOpen->isActive();
    if (Waited > kGiveUpSteps || (Waited > 10 && !waiting))
      Finish(1, QStringLiteral("no project was opened (name one on the command line)"));
    return;
  }
  if (SceneShown) {
    Grab();
    return;
  }
  TZmScene* scene = nullptr;
  if (TZmSceneGroups* groups = Window->Root().SceneGroups)
    for (TZmSceneGroup* g : groups->Groups)
      for (TZmScene* s : g->Scenes)
        if (!scene && (Wanted.SceneId < 0 || s->ID == Wanted.SceneId)) scene = s;
  if (!scene) {
    Finish(1, Wanted.SceneId < 0 ? QStringLiteral("the project has no scene")
                                 : QStringLiteral("the project has no scene %1").arg(Wanted.SceneId));
    return;
  }
  Window->SelectSceneNode(scene);
  SceneShown = true;
  // The next step grabs: by then the page has been laid out and the zoom fitted.
  Timer->setInterval(300);
}

void TZmScreenshotJob::Grab()
{
  Timer->stop();
  TFrameEditScene* page = Window->ClientPage;
  if (!page || !page->EditedScene() || page->isHidden()) {
    Finish(1, QStringLiteral("the scene cannot be shown (is its panel model installed?)"));
    return;
  }
  page->SetPointerOnPanel(!Wanted.Overlays);
  QApplication::processEvents();
  if (!Window->grab().save(Wanted.Window, "PNG")) {
    Finish(1, QStringLiteral("cannot write %1").arg(Wanted.Window));
    return;
  }
  if (!Wanted.Canvas.isEmpty() && !page->ccEdit->grab().save(Wanted.Canvas, "PNG")) {
    Finish(1, QStringLiteral("cannot write %1").arg(Wanted.Canvas));
    return;
  }
  const QPoint at = page->ccEdit->mapTo(Window, QPoint(0, 0));
  QTextStream(stdout) << "scene " << page->EditedScene()->ID << " canvas " << at.x() << ',' << at.y() << ' '
                      << page->ccEdit->width() << 'x' << page->ccEdit->height() << " zoom " << page->Zoom << "\n";
  Finish(0, QString());
}

void TZmScreenshotJob::Finish(int result, const QString& message)
{
  Timer->stop();
  Result = result;
  if (!message.isEmpty()) QTextStream(stderr) << "kestrava: " << message << "\n";
  // Nothing was changed, so closing asks nothing; quit in any case.
  QTimer::singleShot(0, qApp, [] { QApplication::quit(); });
}
