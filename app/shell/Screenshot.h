#pragma once
// kestrava --screenshot: the editor starts as always (auto-open of the
// project named on the command line or the most recent one), shows a scene,
// writes the window (and, when asked, the scene canvas alone) as PNG and
// exits. For documentation pictures, bug reports and the tests that check
// the real program.
#include <QObject>
#include <QString>

class QTimer;
class TFormMain;

class TZmScreenshotJob : public QObject {
  Q_OBJECT
public:
  struct Request {
    QString Window, Canvas;  // PNG paths; Canvas may be empty
    int SceneId = -1;        // -1: the first scene of the project
    bool Overlays = false;   // the objects' bindings, as with the pointer off the panel
  };
  TZmScreenshotJob(TFormMain* window, Request request);
  // 0 when the pictures were written; 1 with a message on stderr otherwise.
  int ExitCode() const { return Result; }

private:
  void Poll();
  void Grab();
  void Finish(int result, const QString& message);

  TFormMain* Window;
  Request Wanted;
  QTimer* Timer;
  int Waited = 0;  // in poll steps
  bool SceneShown = false;
  int Result = 1;
};
