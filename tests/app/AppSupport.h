#pragma once
// Shared pieces of the editor tests: one QApplication for the program, the
// settings store in test mode, prompts that answer from a script, and
// throw-away folders.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <memory>
#include <ostream>

#include "app/shell/LanguageUi.h"
#include "app/shell/Prompts.h"

// Readable failure output for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

// Answers prompts in order; records what was asked.
class TScriptedPrompts : public TZmPrompts {
public:
  std::deque<int> Answers;        // message boxes; Cancel when it runs out
  std::deque<QString> FileNames;  // file dialogs; cancelled when it runs out
  QStringList Asked;              // "caption|text" of every message box
  int MessageBox(QWidget*, const QString& caption, const QString& text, int) override
  {
    Asked << caption + '|' + text;
    return Pop(Answers, int(ZmMb::IdCancel));
  }
  QString OpenFileName(QWidget*, const QString&, const QString&) override { return Pop(FileNames, QString()); }
  QString SaveFileName(QWidget*, const QString&, const QString&) override { return Pop(FileNames, QString()); }
  void SetBusy(bool busy) { Depth = busy ? 1 : 0; }

private:
  template <typename T>
  static T Pop(std::deque<T>& q, T def)
  {
    if (q.empty()) return def;
    T v = q.front();
    q.pop_front();
    return v;
  }
};

// Installs scripted prompts and an empty settings store for one test.
class AppTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    QStandardPaths::setTestModeEnabled(true);
    ClearSettings();
    auto p = std::make_unique<TScriptedPrompts>();
    Script = p.get();
    SetPrompts(std::move(p));
  }
  void TearDown() override
  {
    SetAppLanguage(nullptr);
    SetPrompts(nullptr);
    ClearSettings();
  }
  static void ClearSettings();
  // The build's data folder (English texts, demo project).
  static QString DataRoot()
  {
    QString env = qEnvironmentVariable("KESTRAVA_DATA");
    return env.isEmpty() ? QStringLiteral(KESTRAVA_BUILD_DIR "/data") : env;
  }
  TScriptedPrompts* Script = nullptr;
};
