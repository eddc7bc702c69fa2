#include "app/shell/Startup.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTextStream>
#include <memory>

#include "app/shell/Application.h"
#include "app/shell/LanguageUi.h"
#include "app/shell/MainWindow.h"
#include "app/shell/Prompts.h"
#include "app/shell/Screenshot.h"
#include "app/shell/Settings.h"
#include "base/Language.h"
#include "model/Startup.h"


int32_t SystemLocaleId()
{
  int32_t id = LocaleIdFromName(QLocale::system().name().toStdString());
  return id ? id : TZmLanguageResources::kEnglish;
}

int32_t StartupLanguageId()
{
  int32_t id = SystemLocaleId();
  TZmRegistry registry(TZmRegistry::Read);
  registry.ExchangeBinary(QStringLiteral("\\Default"), QStringLiteral("LocalID"), id);
  return id == 0 ? SystemLocaleId() : id;
}

bool SelectStartupLanguage(TZmLanguageResources& language) { return language.SelectLanguage(StartupLanguageId()) == 0; }

int RunEditor(int argc, char** argv, const char* version)
{
  TZmApplication app(argc, argv);
  QCoreApplication::setOrganizationName(QStringLiteral("Zm"));
  QCoreApplication::setApplicationName(QStringLiteral("Kestrava"));
  QCoreApplication::setApplicationVersion(QString::fromLatin1(version));

  QCommandLineParser parser;
  QCommandLineOption dataOption(QStringLiteral("data"), QStringLiteral("Data folder"), QStringLiteral("DIR"));
  QCommandLineOption shotOption(QStringLiteral("screenshot"),
                                QStringLiteral("Open the project as usual, show a scene, write the window as PNG and exit"),
                                QStringLiteral("OUT.png"));
  QCommandLineOption canvasOption(QStringLiteral("canvas"),
                                  QStringLiteral("With --screenshot: also write the scene canvas alone as PNG"),
                                  QStringLiteral("OUT.png"));
  QCommandLineOption sceneOption(QStringLiteral("scene"), QStringLiteral("With --screenshot: the scene ID to show (default: the first)"),
                                 QStringLiteral("ID"));
  QCommandLineOption overlayOption(QStringLiteral("overlays"),
                                   QStringLiteral("With --screenshot: show what objects are bound to, as with the pointer off the panel"));
  parser.addOptions({dataOption, shotOption, canvasOption, sceneOption, overlayOption});
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(QStringLiteral("project"), QStringLiteral("Project file (.ksv) to open"));
  parser.process(app);

  TZmStartOptions options;
  options.Program = QCoreApplication::applicationFilePath().toStdString();
  options.DataOption = parser.value(dataOption).toStdString();
  options.LanguageId = StartupLanguageId();
  const TZmStart& start = StartProgram(options);
  const QString root = QString::fromStdString(start.DataRoot);
  if (!start.Language) {
    // There is no language to take a text from, so this one message is
    // built in.
    const QString message = QStringLiteral(
        "Kestrava cannot start: no user-interface language was found in \"%1\". "
        "A language folder such as \"1033\" holding StrTab.ini and StrRes.ini is needed.")
                                .arg(QDir::toNativeSeparators(root));
    QTextStream(stderr) << "kestrava: " << message << "\n";
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal"))
      Prompts().MessageBox(nullptr, QStringLiteral("Kestrava"), message, ZmMb::Ok | ZmMb::IconError);
    return 2;
  }
  SetAppLanguage(start.Language);

  int result;
  {
    TFormMain window(parser.positionalArguments());
    std::unique_ptr<TZmScreenshotJob> shot;
    if (parser.isSet(shotOption)) {
      TZmScreenshotJob::Request r;
      r.Window = parser.value(shotOption);
      r.Canvas = parser.value(canvasOption);
      r.SceneId = parser.isSet(sceneOption) ? parser.value(sceneOption).toInt() : -1;
      r.Overlays = parser.isSet(overlayOption);
      shot = std::make_unique<TZmScreenshotJob>(&window, r);
    }
    window.show();
    result = app.exec();
    if (shot) result = shot->ExitCode();
  }
  SetAppLanguage(nullptr);
  return result;
}
