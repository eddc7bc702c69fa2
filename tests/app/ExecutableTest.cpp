// The editor as a user starts it: the real executable, offscreen, through its
// own main and nothing else. Its canvas must show each demo scene exactly as
// `kestrava-cli render` paints it, so a step that only a test program takes
// can never again hide an editor that shows opened scenes blank.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>

#include "devices/Model.h"
#include "model/Project.h"
#include "model/Scenes.h"

namespace {

const QString kBuild = QStringLiteral(KESTRAVA_BUILD_DIR);

QString DataRoot()
{
  QString env = qEnvironmentVariable("KESTRAVA_DATA");
  return env.isEmpty() ? kBuild + "/data" : env;
}

struct ProgramRun {
  int Code = -1;
  QString Out, Err;
};

// A program of the build, in a home of its own (its settings never meet the
// user's or another test's).
ProgramRun Start(const QString& program, const QStringList& args, const QString& home)
{
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("HOME", home);
  env.insert("XDG_CONFIG_HOME", home + "/config");
  env.insert("KESTRAVA_DATA", DataRoot());
  p.setProcessEnvironment(env);
  p.start(kBuild + "/" + program, args);
  ProgramRun r;
  if (!p.waitForFinished(120000)) {
    p.kill();
    p.waitForFinished();
    r.Err = "did not finish";
    return r;
  }
  r.Code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.Out = QString::fromUtf8(p.readAllStandardOutput());
  r.Err = QString::fromUtf8(p.readAllStandardError());
  return r;
}

// "scene 1 canvas 339,117 240x128 zoom 100"
struct CanvasPlace {
  int Scene = 0, X = 0, Y = 0, W = 0, H = 0, Zoom = 0;
};
bool ParsePlace(const QString& out, CanvasPlace& c)
{
  static const QRegularExpression re(QStringLiteral(R"(scene (\d+) canvas (\d+),(\d+) (\d+)x(\d+) zoom (\d+))"));
  const auto m = re.match(out);
  if (!m.hasMatch()) return false;
  c = {m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(),
       m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt()};
  return true;
}

class Executable : public ::testing::Test {
protected:
  void SetUp() override
  {
    ASSERT_TRUE(Home.isValid());
    Demo = Home.filePath("demo.ksv");
    ASSERT_TRUE(QFile::copy(DataRoot() + "/demo/demo.ksv", Demo));
  }
  // The demo's scene IDs, read the way every program reads a project.
  std::vector<int32_t> SceneIds()
  {
    std::unique_ptr<TZmHMI> root(NewObject<TZmHMI>());
    std::string error;
    EXPECT_TRUE(LoadProject(*root, Demo.toStdString(), error)) << error;
    std::vector<int32_t> ids;
    for (TZmSceneGroup* g : root->SceneGroups->Groups)
      for (TZmScene* s : g->Scenes) ids.push_back(s->ID);
    return ids;
  }
  // The editor's canvas against the command line's picture of the same scene:
  // every scene pixel is a zoom x zoom square of the canvas; the editor adds
  // only its dot grid (visible where nothing covers it).
  // Returns how many scene pixels differ from the background.
  int ExpectSameScene(const QImage& canvas, const QImage& render, int zoom, int sceneId)
  {
    EXPECT_FALSE(render.isNull());
    EXPECT_EQ(canvas.width(), render.width() * zoom / 100) << "scene " << sceneId;
    EXPECT_EQ(canvas.height(), render.height() * zoom / 100) << "scene " << sceneId;
    if (render.isNull() || canvas.size() != render.size() * zoom / 100) return 0;
    const QRgb grid = qRgb(0, 130, 0);  // 0x0400 as the canvas shows it
    const QRgb back = render.pixel(render.width() - 1, render.height() - 1);
    int wrong = 0, drawn = 0;
    for (int y = 0; y < render.height(); ++y)
      for (int x = 0; x < render.width(); ++x) {
        const QRgb want = render.pixel(x, y) | 0xFF000000u;
        if (want != back) ++drawn;
        for (int dy = 0; dy < zoom / 100; ++dy)
          for (int dx = 0; dx < zoom / 100; ++dx) {
            const QRgb got = canvas.pixel(x * zoom / 100 + dx, y * zoom / 100 + dy) | 0xFF000000u;
            const bool gridDot = x % 8 == 0 && y % 8 == 0 && got == grid;
            if (got == want || gridDot) continue;
            if (++wrong <= 3)
              ADD_FAILURE() << "scene " << sceneId << " pixel " << x << "," << y << ": canvas " << std::hex << got
                            << ", render " << want;
          }
      }
    EXPECT_EQ(wrong, 0) << "scene " << sceneId;
    return drawn;
  }
  QTemporaryDir Home;
  QString Demo;
};

TEST_F(Executable, EveryDemoSceneOnTheCanvasAsTheCommandLinePaintsIt)
{
  const std::vector<int32_t> ids = SceneIds();
  ASSERT_GE(ids.size(), 4u);
  int busy = 0;
  for (int32_t id : ids) {
    const QString win = Home.filePath(QStringLiteral("win-%1.png").arg(id));
    const QString canvas = Home.filePath(QStringLiteral("canvas-%1.png").arg(id));
    const QString render = Home.filePath(QStringLiteral("render-%1.png").arg(id));
    const ProgramRun editor = Start("kestrava", {"--screenshot", win, "--canvas", canvas, "--scene", QString::number(id), Demo},
                             Home.path());
    ASSERT_EQ(editor.Code, 0) << editor.Err.toStdString();
    CanvasPlace place;
    ASSERT_TRUE(ParsePlace(editor.Out, place)) << editor.Out.toStdString();
    EXPECT_EQ(place.Scene, id);
    const ProgramRun cli = Start("kestrava-cli", {"render", Demo, "--scene", QString::number(id), "-o", render}, Home.path());
    ASSERT_EQ(cli.Code, 0) << cli.Err.toStdString();
    const QImage shot(canvas), painted(render), window(win);
    // A blank canvas must not pass as equal to a blank picture: the demo's
    // first screens are full of objects.
    if (ExpectSameScene(shot, painted, place.Zoom, id) > 100) ++busy;
    // The canvas sits inside the front picture of the window as grabbed.
    ASSERT_FALSE(window.isNull());
    ASSERT_LE(place.X + place.W, window.width());
    ASSERT_LE(place.Y + place.H, window.height());
    EXPECT_EQ(window.copy(place.X, place.Y, place.W, place.H).convertToFormat(QImage::Format_RGB32),
              shot.convertToFormat(QImage::Format_RGB32))
        << "scene " << id;
  }
  EXPECT_GE(busy, 3);
}

TEST_F(Executable, WithoutAnArgumentTheMostRecentProjectOpens)
{
  {
    // The settings file the editor reads in that home: "v1.0/RecentProject",
    // paths ended by CR LF.
    QSettings s(Home.filePath("config/Zm/Kestrava.conf"), QSettings::IniFormat);
    s.setValue("v1.0/RecentProject", Demo + "\r\n");
  }
  const QString win = Home.filePath("recent.png"), canvas = Home.filePath("recent-canvas.png");
  const ProgramRun editor = Start("kestrava", {"--screenshot", win, "--canvas", canvas}, Home.path());
  ASSERT_EQ(editor.Code, 0) << editor.Err.toStdString();
  CanvasPlace place;
  ASSERT_TRUE(ParsePlace(editor.Out, place)) << editor.Out.toStdString();
  const QString render = Home.filePath("recent-render.png");
  ASSERT_EQ(Start("kestrava-cli", {"render", Demo, "--scene", QString::number(place.Scene), "-o", render}, Home.path()).Code, 0);
  EXPECT_GT(ExpectSameScene(QImage(canvas), QImage(render), place.Zoom, place.Scene), 100);
}

TEST_F(Executable, AScreenshotOfNothingSaysWhy)
{
  const ProgramRun none = Start("kestrava", {"--screenshot", Home.filePath("x.png")}, Home.path());
  EXPECT_EQ(none.Code, 1);
  EXPECT_TRUE(none.Err.contains("no project")) << none.Err.toStdString();
  const ProgramRun missing = Start("kestrava", {"--screenshot", Home.filePath("y.png"), "--scene", "200", Demo}, Home.path());
  EXPECT_EQ(missing.Code, 1);
  EXPECT_TRUE(missing.Err.contains("no scene 200")) << missing.Err.toStdString();
}

}  // namespace
