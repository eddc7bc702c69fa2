#pragma once
// The Qt side of the language store: form texts written into widget trees by
// path, combo boxes filled from choice lists, numbered message boxes and the
// language menu.
//
// Paths are file format. A form or page is marked as a path owner
// (MarkFormOwner); its objectName is the class name without the leading T
// ("FormMain"). Every named object below it, however deeply nested in
// layouts and panels, is addressed as Owner.name, unless a nearer owner
// (an embedded page) stands between them. The property names are the
// documented ones: Caption, Hint, Text, Lines, Columns[i].Caption,
// Tabs[i].Caption; any other name is taken as a Qt string property.
#include <QString>
#include <functional>
#include <vector>

#include "base/Language.h"

class QComboBox;
class QMenu;
class QObject;
class QWidget;

// The program's one language store; none before start-up selects it.
TZmLanguageResources* AppLanguage();
void SetAppLanguage(TZmLanguageResources* language);

QString Text(int number);
QString FormatText(int number, std::initializer_list<TZmFormatArg> args);

// Forms and pages belong to the application: their path is their own name
// wherever they are shown (a page hosted in the main window is still
// "FrameHMI", not "FormMain....FrameHMI"). A frame embedded in a page as one
// of its parts (ownedByApplication false) is addressed below that page.
void MarkFormOwner(QObject* owner, bool ownedByApplication = true);
bool IsFormOwner(const QObject* owner);
bool IsApplicationOwned(const QObject* owner);

// Writes the current language's form texts into owner and everything it
// owns, with the owner's name as path prefix. Nothing without a language.
void TranslateComponent(QObject* owner);
// The same with an explicit path and table.
void Translate(const QString& path, QObject* object, const TZmTextTable* formTexts);
// Translates every top-level form of the application (after a switch).
void TranslateApplication();

// True when a form-text path names an existing object and property below
// owner (the path starts with the owner's name).
bool ResolveFormPath(QObject* owner, const QString& path);

// Choice boxes. The value of each entry is kept as item data.
void FillChoiceBox(QComboBox* box, int list, int selected);
int ChoiceValue(const QComboBox* box);
QString ChoiceText(int list, int value);
void FillChoiceTexts(QComboBox* box, int list);

// A message box with numbered text and caption through the prompt service.
int MessageBoxByNumber(int text, int caption, int flags);
// The same with an already formatted text.
int MessageBoxText(const QString& text, int caption, int flags);

// The language sub-menu: one checkable entry per installed language, named in
// its own language, carrying its locale number as data.
void BuildLanguageMenu(QMenu* menu, const std::function<void(int)>& onSelect);
void UpdateLanguageMenuChecks(QMenu* menu);

// "Font.Size" of the language as a point size: 8 when missing, not a number,
// or outside 1..72.
int LanguageFontSize(const QString& text);
// Applies "Font.Name" and "Font.Size" of the current language to a window.
void ApplyLanguageFont(QWidget* window);
