#include "app/shell/RecentFiles.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

namespace {
QString Absolute(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }
}  // namespace

Qt::CaseSensitivity TZmRecentFile::DefaultCase()
{
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
  return Qt::CaseInsensitive;
#else
  return Qt::CaseSensitive;
#endif
}

void TZmRecentFile::LoadFromText(const QString& text)
{
  Files.clear();
  for (QString line : text.split('\n')) {
    if (line.endsWith('\r')) line.chop(1);
    if (!line.isEmpty() && QFileInfo(line).isFile() && IndexOf(line) < 0 && Files.size() < kMax) Files << line;
  }
}

QString TZmRecentFile::Text() const
{
  QString out;
  for (const QString& f : Files) out += f + QStringLiteral("\r\n");
  return out;
}

qsizetype TZmRecentFile::IndexOf(const QString& path) const
{
  const QString p = Absolute(path);
  for (qsizetype i = 0; i < Files.size(); ++i)
    if (Absolute(Files[i]).compare(p, Case) == 0) return i;
  return -1;
}

void TZmRecentFile::Add(const QString& path)
{
  if (path.isEmpty()) return;
  qsizetype i = IndexOf(path);
  if (i >= 0) Files.move(i, 0);  // keeps the spelling it was first added with
  else Files.prepend(Absolute(path));
  while (Files.size() > kMax) Files.removeLast();
  RebuildMenu(kMax);
}

void TZmRecentFile::Remove(const QString& path)
{
  qsizetype i = IndexOf(path);
  if (i < 0) return;
  Files.removeAt(i);
  RebuildMenu(kMax);
}

namespace {
const char* const kRecentEntry = "kestravaRecentEntry";
}  // namespace

void TZmRecentFile::RebuildFileMenu(int max)
{
  if (!FileMenu || !FileEnd || !OnOpen) return;
  for (QAction* a : FileMenu->actions())
    if (a->property(kRecentEntry).toBool()) {
      FileMenu->removeAction(a);
      delete a;
    }
  bool first = true;
  for (int i = 0; i < std::min<int>(static_cast<int>(Files.size()), max); ++i) {
    const QString file = Files[i];
    if (!QFileInfo(file).isFile()) continue;
    if (first) {
      // The entries stand apart from the commands above them.
      auto* sep = new QAction(FileMenu);
      sep->setSeparator(true);
      sep->setProperty(kRecentEntry, true);
      FileMenu->insertAction(FileEnd, sep);
      first = false;
    }
    QString shown = QDir::toNativeSeparators(file);
    shown.replace('&', QLatin1String("&&"));
    auto* a = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown), FileMenu);
    a->setProperty(kRecentEntry, true);
    a->setToolTip(file);
    a->setStatusTip(file);
    a->setData(file);
    auto open = OnOpen;
    QObject::connect(a, &QAction::triggered, FileMenu, [open, file] { open(file); });
    FileMenu->insertAction(FileEnd, a);
  }
}

void TZmRecentFile::RebuildMenu(int max)
{
  RebuildFileMenu(max);
  if (!Menu || !Anchor || !OnOpen) return;
  QMenu* menu = Menu;
  QList<QAction*> actions = menu->actions();
  if (!actions.contains(Anchor)) return;
  qsizetype keep = actions.indexOf(Anchor) + 2;  // the anchor and the separator after it
  for (qsizetype i = keep; i < actions.size(); ++i) {
    menu->removeAction(actions[i]);
    if (actions[i]->parent() == menu) delete actions[i];
  }
  for (int i = 0; i < std::min<int>(static_cast<int>(Files.size()), max); ++i) {
    const QString file = Files[i];
    if (!QFileInfo(file).isFile()) continue;
    QString shown = file;
    shown.replace('&', QLatin1String("&&"));
    auto* a = new QAction(QStringLiteral("&%1 : %2").arg(i).arg(shown), menu);
    a->setToolTip(file);
    a->setStatusTip(file);
    a->setData(file);
    auto open = OnOpen;
    QObject::connect(a, &QAction::triggered, menu, [open, file] { open(file); });
    menu->addAction(a);
  }
}
