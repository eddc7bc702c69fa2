#include "AppSupport.h"

#include <QSettings>

#include "app/shell/Application.h"

namespace {
// The widgets need one application object for the whole test program.
class QtEnvironment : public ::testing::Environment {
public:
  void SetUp() override
  {
    // Test programs run side by side under ctest: each gets its own home,
    // so their settings files never meet (and never the user's).
    Home = std::make_unique<QTemporaryDir>();
    qputenv("HOME", Home->path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (Home->path() + "/config").toUtf8());
    QStandardPaths::setTestModeEnabled(true);
    // No display is needed or wanted, whoever starts the program.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "test_app";
    static char* argv[] = {name, nullptr};
    // The editor's own application class: what reaches its event loop here
    // is handled as it is in the program.
    App = std::make_unique<TZmApplication>(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Zm"));
    QCoreApplication::setApplicationName(QStringLiteral("Kestrava"));
  }
  void TearDown() override
  {
    App.reset();
    Home.reset();
  }
  std::unique_ptr<QTemporaryDir> Home;
  std::unique_ptr<TZmApplication> App;
};
[[maybe_unused]] auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);
}  // namespace

void AppTest::ClearSettings()
{
  QSettings s(QStringLiteral("Zm"), QStringLiteral("Kestrava"));
  // Never touch a real configuration: test mode puts the file under a
  // "qttest" folder.
  ASSERT_TRUE(s.fileName().contains(QLatin1String("qttest"))) << s.fileName().toStdString();
  s.clear();
  s.sync();
}
