#pragma once
// Every modal prompt and file dialog of the editor goes through this service,
// so that tests replace it with scripted answers and nothing blocks a
// headless run.
#include <QString>
#include <memory>

class QWidget;

// Button sets, icons and answers keep the numeric values the message-box
// flags of the language files and pages are written with.
namespace ZmMb {
enum : int {
  Ok = 0,
  OkCancel = 1,
  YesNoCancel = 3,
  YesNo = 4,
  IconError = 0x10,
  IconQuestion = 0x20,
  IconWarning = 0x30,
  IconInformation = 0x40,
};
enum Answer : int { IdOk = 1, IdCancel = 2, IdYes = 6, IdNo = 7 };
}  // namespace ZmMb

class TZmPrompts {
public:
  virtual ~TZmPrompts() = default;
  // flags: a button set OR an icon; returns one of ZmMb::Answer.
  virtual int MessageBox(QWidget* parent, const QString& caption, const QString& text, int flags) = 0;
  // An empty result means the dialog was cancelled.
  virtual QString OpenFileName(QWidget* parent, const QString& folder, const QString& filter) = 0;
  virtual QString SaveFileName(QWidget* parent, const QString& proposed, const QString& filter) = 0;
  // True while a prompt of this service is open.
  bool Busy() const { return Depth > 0; }

protected:
  friend class TZmPromptScope;
  int Depth = 0;
};

// Marks a prompt as open for its lifetime.
class TZmPromptScope {
public:
  explicit TZmPromptScope(TZmPrompts& p) : P(p) { ++P.Depth; }
  ~TZmPromptScope() { --P.Depth; }
  TZmPromptScope(const TZmPromptScope&) = delete;
  TZmPromptScope& operator=(const TZmPromptScope&) = delete;

private:
  TZmPrompts& P;
};

// The real dialogs.
class TZmDialogPrompts : public TZmPrompts {
public:
  int MessageBox(QWidget* parent, const QString& caption, const QString& text, int flags) override;
  QString OpenFileName(QWidget* parent, const QString& folder, const QString& filter) override;
  QString SaveFileName(QWidget* parent, const QString& proposed, const QString& filter) override;
};

TZmPrompts& Prompts();
// Installs another service; nullptr restores the real dialogs.
void SetPrompts(std::unique_ptr<TZmPrompts> prompts);
