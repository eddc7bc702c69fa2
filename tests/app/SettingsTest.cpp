#include <QAction>
#include <QFile>
#include <QMenu>
#include <QSettings>

#include "AppSupport.h"
#include "app/shell/RecentFiles.h"
#include "app/editor/SceneEditOpt.h"
#include "app/shell/Settings.h"

namespace {

QString Touch(const QTemporaryDir& dir, const QString& name)
{
  QString path = dir.filePath(name);
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  return path;
}

class Settings : public AppTest {};
class Recent : public AppTest {
protected:
  QTemporaryDir Dir;
};

}  // namespace

TEST_F(Settings, RoundTripUnderTheDocumentedKeys)
{
  TZmAppSettings defaults;
  {
    TZmRegistry r(TZmRegistry::Read);
    defaults.Exchange(r);  // empty store: every default stays
  }
  EXPECT_EQ(defaults.DrawLine400, 1);
  EXPECT_EQ(defaults.OffLine, 0);
  EXPECT_TRUE(defaults.RecentProject.isEmpty());
  EXPECT_EQ(ReadLanguageId(), 0);

  TZmAppSettings s;
  s.RecentProject = "/a/b.ksv\r\n/c, d.ksv\r\n";
  s.DrawLine400 = 0;
  s.Com1 = "/dev/ttyUSB0";
  s.Com2 = "/dev/ttyS1";
  s.OffLine = 1;
  s.Port = "/dev/ttyACM0";
  {
    TZmRegistry w(TZmRegistry::Write);
    s.Exchange(w);
  }
  WriteLanguageId(1031);

  QSettings raw(QStringLiteral("Zm"), QStringLiteral("Kestrava"));
  EXPECT_EQ(raw.value("v1.0/Default/LocalID").toByteArray(), QByteArray("\x07\x04\x00\x00", 4));
  EXPECT_EQ(raw.value("v1.0/EditOption/DrawLine400").toByteArray(), QByteArray(4, '\0'));
  EXPECT_EQ(raw.value("v1.0/VCOM/COM1").toString(), "/dev/ttyUSB0");
  EXPECT_EQ(raw.value("v1.0/RecentProject").toString(), s.RecentProject);

  TZmAppSettings back;
  TZmRegistry r(TZmRegistry::Read);
  back.Exchange(r);
  EXPECT_EQ(back.RecentProject, s.RecentProject);
  EXPECT_EQ(back.DrawLine400, 0);
  EXPECT_EQ(back.Com1, s.Com1);
  EXPECT_EQ(back.Com2, s.Com2);
  EXPECT_EQ(back.OffLine, 1);
  EXPECT_EQ(back.Port, s.Port);
  EXPECT_EQ(ReadLanguageId(), 1031);

  // An accessor in neither mode touches nothing.
  TZmRegistry other(7);
  int32_t v = 99;
  other.ExchangeBinary("\\EditOption", "DrawLine400", v);
  EXPECT_EQ(v, 99);
}

TEST_F(Settings, BadlyTypedValuesKeepTheDefaults)
{
  {
    QSettings raw(QStringLiteral("Zm"), QStringLiteral("Kestrava"));
    raw.setValue("v1.0/Default/LocalID", 1031);                          // a number, not 4 bytes
    raw.setValue("v1.0/EditOption/DrawLine400", QByteArray(8, '\x01'));  // too long
    raw.setValue("v1.0/VCOM/OffLine", QByteArray(2, '\x01'));            // too short
    raw.setValue("v1.0/VCOM/COM1", QStringList{"a", "b"});               // a list
    raw.setValue("v1.0/RecentProject", QByteArray("\x00\x01", 2));
    raw.sync();
  }
  TZmAppSettings s;
  s.Com1 = "kept";
  TZmRegistry r(TZmRegistry::Read);
  s.Exchange(r);
  EXPECT_EQ(s.DrawLine400, 1);
  EXPECT_EQ(s.OffLine, 0);
  EXPECT_EQ(s.Com1, "kept");
  EXPECT_TRUE(s.RecentProject.isEmpty());
  EXPECT_EQ(ReadLanguageId(), 0);
}

TEST_F(Recent, OrderLimitAndDuplicates)
{
  QStringList paths;
  for (int i = 0; i < 11; ++i) paths << Touch(Dir, QStringLiteral("p%1.ksv").arg(i));
  TZmRecentFile list;
  for (const QString& p : paths) list.Add(p);
  ASSERT_EQ(list.Files.size(), 10);
  EXPECT_EQ(list.Files.front(), paths[10]);
  EXPECT_EQ(list.Files.back(), paths[1]);  // the oldest fell out
  list.Add(paths[5]);
  EXPECT_EQ(list.Files.front(), paths[5]);
  EXPECT_EQ(list.Files.size(), 10);
  EXPECT_EQ(list.Files.count(paths[5]), 1);
  list.Add(Dir.path() + "/./sub/../p7.ksv");  // the same file written another way
  EXPECT_EQ(list.Files.front(), paths[7]);
  list.Add(QString());
  EXPECT_EQ(list.Files.size(), 10);

  // Letter case: one file where the file system ignores case, two where it
  // does not.
  TZmRecentFile insensitive;
  insensitive.Case = Qt::CaseInsensitive;
  insensitive.Add(Dir.path() + "/Plant.ksv");
  insensitive.Add(Dir.path() + "/other.ksv");
  insensitive.Add(Dir.path() + "/PLANT.KSV");
  EXPECT_EQ(insensitive.Files, (QStringList{Dir.path() + "/Plant.ksv", Dir.path() + "/other.ksv"}));
  TZmRecentFile sensitive;
  sensitive.Case = Qt::CaseSensitive;
  sensitive.Add(Dir.path() + "/Plant.ksv");
  sensitive.Add(Dir.path() + "/PLANT.KSV");
  EXPECT_EQ(sensitive.Files.size(), 2);
}

TEST_F(Recent, TextAndMenu)
{
  QString a = Touch(Dir, "a.ksv"), b = Touch(Dir, "b&c.ksv"), c = Touch(Dir, "c.ksv");
  TZmRecentFile list;
  list.LoadFromText(a + "\r\n" + Dir.filePath("gone.ksv") + "\r\n" + b + "\r\n" + a + "\r\n\r\n" + c);
  EXPECT_EQ(list.Files, (QStringList{a, b, c}));  // missing and repeated entries dropped
  EXPECT_EQ(list.Text(), a + "\r\n" + b + "\r\n" + c + "\r\n");

  QMenu menu;
  QAction* open = menu.addAction("Open");
  menu.addSeparator();
  QStringList opened;
  list.RebuildMenu();  // no anchor yet: nothing happens
  EXPECT_EQ(menu.actions().size(), 2);
  list.Anchor = open;
  list.RebuildMenu();  // no menu named: nothing happens
  EXPECT_EQ(menu.actions().size(), 2);
  list.Menu = &menu;
  list.OnOpen = [&](const QString& p) { opened << p; };
  QFile::remove(b);  // shown numbers keep their gaps
  list.RebuildMenu();
  ASSERT_EQ(menu.actions().size(), 4);
  EXPECT_EQ(menu.actions()[2]->text(), "&0 : " + a);
  EXPECT_EQ(menu.actions()[3]->text(), "&2 : " + c);
  EXPECT_EQ(menu.actions()[3]->toolTip(), c);
  menu.actions()[3]->trigger();
  EXPECT_EQ(opened, QStringList{c});
  list.RebuildMenu(1);
  EXPECT_EQ(menu.actions().size(), 3);
  Touch(Dir, "b&c.ksv");
  list.RebuildMenu();
  EXPECT_EQ(menu.actions()[3]->text(), "&1 : " + QString(b).replace("&", "&&"));

  // The File menu: the same files numbered from 1, set apart from the
  // commands, just above Exit; rebuilt without piling up.
  QMenu file;
  file.addAction("Close");
  QAction* end = file.addSeparator();
  QAction* exit = file.addAction("Exit");
  list.FileMenu = &file;
  list.FileEnd = end;
  for (int round = 0; round < 2; ++round) {
    list.RebuildMenu();
    const QList<QAction*> items = file.actions();
    ASSERT_EQ(items.size(), 7);
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_EQ(items[2]->text(), "&1 " + a);
    EXPECT_EQ(items[3]->text(), "&2 " + QString(b).replace("&", "&&"));
    EXPECT_EQ(items[4]->text(), "&3 " + c);
    EXPECT_EQ(items[5], end);
    EXPECT_EQ(items[6], exit);
  }
  file.actions()[3]->trigger();
  EXPECT_EQ(opened.back(), b);
  list.Files.clear();
  list.RebuildMenu();
  EXPECT_EQ(file.actions().size(), 3) << "no files, no entries and no extra separator";
}

TEST(SceneEditOpt, Rgb565TakesTheTopBitsOfEachChannel)
{
  struct Case {
    uint32_t bbggrr;
    uint16_t rgb565;
  } cases[] = {{0x008000, 0x0400}, {0x0000FF, 0xF800}, {0x00FF00, 0x07E0}, {0xFF0000, 0x001F},
               {0xFFFFFF, 0xFFFF}, {0x000000, 0x0000}, {0x070307, 0x0000}, {0x808080, 0x8410}};
  for (const auto& c : cases) EXPECT_EQ(ColorToRgb565(c.bbggrr), c.rgb565) << std::hex << c.bbggrr;
  EXPECT_EQ(TZmSceneEditOpt().GridColor, 0x0400);
}
