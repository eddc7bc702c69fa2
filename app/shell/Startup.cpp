#include "app/shell/Startup.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTextStream>
#include <memory>

#include "app/shell/LanguageUi.h"
#include "app/shell/MainWindow.h"
#include "app/shell/Prompts.h"
#include "app/shell/Settings.h"
#include "base/Language.h"

QString ResolveDataRoot(const QString& option)
{
  if (!option.isEmpty()) return option;
  QString env = qEnvironmentVariable("KESTRAVA_DATA");
  if (!env.isEmpty()) return env;
  QString exe = QCoreApplication::applicationDirPath();
  return QFileInfo(exe + QStringLiteral("/data")).isDir() ? exe + QStringLiteral("/data") : exe;
}

int32_t SystemLocaleId()
{
  int32_t id = LocaleIdFromName(QLocale::system().name().toStdString());
  return id ? id : TZmLanguageResources::kEnglish;
}

bool SelectStartupLanguage(TZmLanguageResources& language)
{
  int32_t id = SystemLocaleId();
  TZmRegistry registry(TZmRegistry::Read);
  registry.ExchangeBinary(QStringLiteral("\\Default"), QStringLiteral("LocalID"), id);
  if (id == 0) id = SystemLocaleId();
  return language.SelectLanguage(id) == 0;
}

int RunEditor(int argc, char** argv)
{
  QApplication app(argc, argv);
  QCoreApplication::setOrganizationName(QStringLiteral("Zm"));
  QCoreApplication::setApplicationName(QStringLiteral("Kestrava"));

  QCommandLineParser parser;
  QCommandLineOption dataOption(QStringLiteral("data"), QStringLiteral("Data folder"), QStringLiteral("DIR"));
  parser.addOption(dataOption);
  parser.addPositionalArgument(QStringLiteral("project"), QStringLiteral("Project file (.ksv) to open"));
  parser.process(app);

  const QString root = ResolveDataRoot(parser.value(dataOption));
  TZmLanguageResources language(QDir::cleanPath(root).toStdString());
  if (!SelectStartupLanguage(language)) {
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
  SetAppLanguage(&language);

  int result;
  {
    TFormMain window(parser.positionalArguments());
    window.show();
    result = app.exec();
  }
  SetAppLanguage(nullptr);
  return result;
}
