#include "app/shell/LanguageUi.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMetaProperty>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <QWidget>

#include "app/shell/Prompts.h"
#include "base/Texts.h"

namespace {

TZmLanguageResources*& LanguagePtr()
{
  static TZmLanguageResources* p = nullptr;
  return p;
}

const char* const kOwnerProperty = "zmFormOwner";
const char* const kApplicationProperty = "zmApplicationOwned";

std::string Utf8(const QString& s) { return s.toUtf8().toStdString(); }
QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// A comma-separated text with optional double-quoted items, as multi-line
// boxes take their lines from one form text.
QStringList SplitCommaText(const QString& text)
{
  QStringList out;
  QString item;
  bool quoted = false, wasQuoted = false;
  for (qsizetype i = 0; i < text.size(); ++i) {
    QChar c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        item += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        item += c;
      }
    } else if (c == '"' && item.trimmed().isEmpty()) {
      quoted = wasQuoted = true;
      item.clear();
    } else if (c == ',') {
      out << (wasQuoted ? item : item.trimmed());
      item.clear();
      wasQuoted = false;
    } else {
      item += c;
    }
  }
  out << (wasQuoted ? item : item.trimmed());
  return out;
}

// Sets (value != nullptr) or checks one documented property. True when the
// object has it.
bool Property(QObject* o, const QString& name, const QString* value)
{
  static const QRegularExpression indexed(QStringLiteral("^(\\w+)\\[(\\d+)\\]\\.Caption$"), QRegularExpression::CaseInsensitiveOption);
  if (auto m = indexed.match(name); m.hasMatch()) {
    QString collection = m.captured(1);
    int i = m.captured(2).toInt();
    if (collection.compare(QLatin1String("Columns"), Qt::CaseInsensitive) == 0) {
      if (auto* tree = qobject_cast<QTreeWidget*>(o); tree && i < tree->columnCount()) {
        if (value) tree->headerItem()->setText(i, *value);
        return true;
      }
    } else if (collection.compare(QLatin1String("Tabs"), Qt::CaseInsensitive) == 0) {
      if (auto* tabs = qobject_cast<QTabWidget*>(o); tabs && i < tabs->count()) {
        if (value) tabs->setTabText(i, *value);
        return true;
      }
    }
    return false;
  }
  auto is = [&](const char* n) { return name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0; };
  if (is("Caption")) {
    if (auto* a = qobject_cast<QAction*>(o)) return value ? (a->setText(*value), true) : true;
    if (auto* m = qobject_cast<QMenu*>(o)) return value ? (m->setTitle(*value), true) : true;
    if (auto* g = qobject_cast<QGroupBox*>(o)) return value ? (g->setTitle(*value), true) : true;
    if (auto* b = qobject_cast<QAbstractButton*>(o)) return value ? (b->setText(*value), true) : true;
    if (auto* l = qobject_cast<QLabel*>(o)) return value ? (l->setText(*value), true) : true;
    if (auto* w = qobject_cast<QWidget*>(o); w && (w->isWindow() || IsFormOwner(w))) return value ? (w->setWindowTitle(*value), true) : true;
    return false;
  }
  if (is("Hint")) {
    if (auto* a = qobject_cast<QAction*>(o)) {
      if (value) {
        a->setToolTip(*value);
        a->setStatusTip(*value);
      }
      return true;
    }
    if (auto* w = qobject_cast<QWidget*>(o)) return value ? (w->setToolTip(*value), true) : true;
    return false;
  }
  if (is("Text")) {
    if (auto* e = qobject_cast<QLineEdit*>(o)) return value ? (e->setText(*value), true) : true;
    if (auto* b = qobject_cast<QAbstractButton*>(o)) return value ? (b->setText(*value), true) : true;
    if (auto* l = qobject_cast<QLabel*>(o)) return value ? (l->setText(*value), true) : true;
    return false;
  }
  if (is("Lines")) {
    if (auto* p = qobject_cast<QPlainTextEdit*>(o)) return value ? (p->setPlainText(SplitCommaText(*value).join('\n')), true) : true;
    if (auto* t = qobject_cast<QTextEdit*>(o)) return value ? (t->setPlainText(SplitCommaText(*value).join('\n')), true) : true;
    return false;
  }
  // Any other writable string property of the Qt object, by its exact name.
  const QMetaObject* meta = o->metaObject();
  int index = meta->indexOfProperty(name.toLatin1().constData());
  if (index < 0) return false;
  QMetaProperty p = meta->property(index);
  if (!p.isWritable() || p.metaType().id() != QMetaType::QString) return false;
  if (value) p.write(o, *value);
  return true;
}

// A button that shows an action takes its texts from the action.
bool LinkedToAction(const QObject* o)
{
  auto* tb = qobject_cast<const QToolButton*>(o);
  return tb && tb->defaultAction();
}

void TranslateOwn(const QString& path, QObject* o, const TZmTextTable& texts)
{
  if (LinkedToAction(o)) return;
  auto apply = [&](const QString& prop) {
    std::string v = texts.Value(Utf8(path + '.' + prop));
    if (v.empty()) return;  // keep the design-time text
    QString value = Q(AppLanguage() ? AppLanguage()->ResolveFormValue(v) : v);
    Property(o, prop, &value);
  };
  for (const char* p : {"Caption", "Hint", "Text", "Lines"}) apply(QLatin1String(p));
  if (auto* tree = qobject_cast<QTreeWidget*>(o))
    for (int i = 0; i < tree->columnCount(); ++i) apply(QStringLiteral("Columns[%1].Caption").arg(i));
  if (auto* tabs = qobject_cast<QTabWidget*>(o))
    for (int i = 0; i < tabs->count(); ++i) apply(QStringLiteral("Tabs[%1].Caption").arg(i));
  const QMetaObject* meta = o->metaObject();
  for (int i = 0; i < meta->propertyCount(); ++i) {
    QMetaProperty p = meta->property(i);
    if (p.isWritable() && p.metaType().id() == QMetaType::QString) {
      QString name = QLatin1String(p.name());
      // The documented names above cover these; the raw names stay reachable.
      if (name != QLatin1String("objectName")) apply(name);
    }
  }
}

// Calls f(object) for every named object that `owner` owns: its
// descendants, not looking inside nested owners (those are reported
// themselves but own their own children). Forms and pages of the
// application met on the way go to `other` instead, subtree and all.
template <typename F, typename G>
void ForEachOwned(QObject* owner, F&& f, G&& other)
{
  std::vector<QObject*> stack(owner->children().rbegin(), owner->children().rend());
  while (!stack.empty()) {
    QObject* o = stack.back();
    stack.pop_back();
    if (IsFormOwner(o) && IsApplicationOwned(o)) {
      other(o);
      continue;
    }
    if (!o->objectName().isEmpty()) f(o);
    if (IsFormOwner(o)) continue;
    // A menu's own actions are owned by the form that created them; its
    // children are walked like any others.
    const auto& kids = o->children();
    for (auto it = kids.rbegin(); it != kids.rend(); ++it) stack.push_back(*it);
  }
}

}  // namespace

TZmLanguageResources* AppLanguage() { return LanguagePtr(); }
void SetAppLanguage(TZmLanguageResources* language)
{
  // The core asks for numbered texts too (node names, information lines):
  // it gets them from the same language, whoever selected it.
  if (language) language->InstallTextLookup();
  else if (LanguagePtr()) SetTextLookup(nullptr);
  LanguagePtr() = language;
}

QString Text(int number) { return AppLanguage() ? Q(AppLanguage()->GetText(number)) : QString(); }

QString FormatText(int number, std::initializer_list<TZmFormatArg> args)
{
  return AppLanguage() ? Q(AppLanguage()->FormatText(number, args)) : QString();
}

void MarkFormOwner(QObject* owner, bool ownedByApplication)
{
  owner->setProperty(kOwnerProperty, true);
  owner->setProperty(kApplicationProperty, ownedByApplication);
}
bool IsFormOwner(const QObject* owner) { return owner->property(kOwnerProperty).toBool(); }
bool IsApplicationOwned(const QObject* owner) { return owner->property(kApplicationProperty).toBool(); }

void Translate(const QString& path, QObject* object, const TZmTextTable* formTexts)
{
  if (!formTexts || !object) return;
  TranslateOwn(path, object, *formTexts);
  ForEachOwned(
      object,
      [&](QObject* o) {
        QString sub = path.isEmpty() ? o->objectName() : path + '.' + o->objectName();
        if (IsFormOwner(o)) Translate(sub, o, formTexts);
        else TranslateOwn(sub, o, *formTexts);
      },
      [&](QObject* page) {
        if (!page->objectName().isEmpty()) Translate(page->objectName(), page, formTexts);
      });
}

void TranslateComponent(QObject* owner)
{
  if (!AppLanguage() || !owner) return;
  Translate(owner->objectName(), owner, AppLanguage()->GetFormTexts());
}

void TranslateApplication()
{
  if (!AppLanguage()) return;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (IsFormOwner(w) && !w->objectName().isEmpty()) Translate(w->objectName(), w, AppLanguage()->GetFormTexts());
}

bool ResolveFormPath(QObject* owner, const QString& path)
{
  QStringList parts = path.split('.');
  if (parts.size() < 2 || parts[0].compare(owner->objectName(), Qt::CaseInsensitive) != 0) return false;
  QObject* current = owner;
  qsizetype i = 1;
  while (i < parts.size() - 1) {
    QObject* found = nullptr;
    ForEachOwned(
        current,
        [&](QObject* o) {
          if (!found && o->objectName().compare(parts[i], Qt::CaseInsensitive) == 0) found = o;
        },
        [](QObject*) {});
    if (!found) break;
    current = found;
    ++i;
  }
  QString property = parts.mid(i).join('.');
  return !property.contains(QLatin1String("..")) && Property(current, property, nullptr);
}

void FillChoiceBox(QComboBox* box, int list, int selected)
{
  if (!AppLanguage() || !box) return;
  auto entries = AppLanguage()->ChoiceList(list);
  if (entries.empty()) return;
  const QSignalBlocker block(box);
  box->clear();
  int index = -1;
  for (const auto& e : entries) {
    if (index < 0 && e.Value == selected) index = box->count();
    box->addItem(Q(e.Display), e.Value);
  }
  box->setCurrentIndex(index);
}

int ChoiceValue(const QComboBox* box)
{
  if (!box || box->currentIndex() < 0) return -1;
  bool ok = false;
  int v = box->currentData().toInt(&ok);
  return ok ? v : -1;
}

QString ChoiceText(int list, int value) { return AppLanguage() ? Q(AppLanguage()->ChoiceText(list, value)) : QString(); }

void FillChoiceTexts(QComboBox* box, int list)
{
  if (!AppLanguage() || !box) return;
  auto entries = AppLanguage()->ChoiceList(list);
  if (entries.empty()) return;
  const QSignalBlocker block(box);
  int index = box->currentIndex();
  box->clear();
  for (const auto& e : entries) box->addItem(Q(e.Whole));
  box->setCurrentIndex(index < box->count() ? index : -1);
}

int MessageBoxText(const QString& text, int caption, int flags)
{
  return Prompts().MessageBox(QApplication::activeWindow(), Text(caption), text, flags);
}

int MessageBoxByNumber(int text, int caption, int flags) { return MessageBoxText(Text(text), caption, flags); }

void BuildLanguageMenu(QMenu* menu, const std::function<void(int)>& onSelect)
{
  if (!menu) return;
  menu->clear();
  if (!AppLanguage()) return;
  auto* group = new QActionGroup(menu);
  group->setExclusive(true);
  for (const auto& lang : AppLanguage()->Languages()) {
    int id = lang->ID;
    QAction* a = menu->addAction(Q(TZmLanguageResources::NativeName(id)));
    a->setObjectName(QStringLiteral("miLanguage%1").arg(id));
    a->setData(id);
    a->setCheckable(true);
    a->setChecked(id == AppLanguage()->CurrentID());
    group->addAction(a);
    QObject::connect(a, &QAction::triggered, menu, [onSelect, id] { onSelect(id); });
  }
}

void UpdateLanguageMenuChecks(QMenu* menu)
{
  if (!menu || !AppLanguage()) return;
  for (QAction* a : menu->actions()) a->setChecked(a->data().toInt() == AppLanguage()->CurrentID());
}

int LanguageFontSize(const QString& text)
{
  bool ok = false;
  int size = text.trimmed().toInt(&ok);
  return ok && size >= 1 && size <= 72 ? size : 8;
}

void ApplyLanguageFont(QWidget* window)
{
  if (!AppLanguage() || !window) return;
  QFont font = window->font();
  QString name = Q(AppLanguage()->GetRawText("Font.Name"));
  if (!name.isEmpty()) font.setFamily(name);
  font.setPointSize(LanguageFontSize(Q(AppLanguage()->GetRawText("Font.Size"))));
  window->setFont(font);
}
