#include "app/shell/Prompts.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {
std::unique_ptr<TZmPrompts>& Current()
{
  static std::unique_ptr<TZmPrompts> p = std::make_unique<TZmDialogPrompts>();
  return p;
}
}  // namespace

TZmPrompts& Prompts() { return *Current(); }

void SetPrompts(std::unique_ptr<TZmPrompts> prompts)
{
  Current() = prompts ? std::move(prompts) : std::make_unique<TZmDialogPrompts>();
}

int TZmDialogPrompts::MessageBox(QWidget* parent, const QString& caption, const QString& text, int flags)
{
  TZmPromptScope scope(*this);
  QMessageBox box(parent);
  box.setWindowTitle(caption);
  box.setText(text);
  switch (flags & 0xF0) {
    case ZmMb::IconError: box.setIcon(QMessageBox::Critical); break;
    case ZmMb::IconQuestion: box.setIcon(QMessageBox::Question); break;
    case ZmMb::IconWarning: box.setIcon(QMessageBox::Warning); break;
    case ZmMb::IconInformation: box.setIcon(QMessageBox::Information); break;
    default: break;
  }
  switch (flags & 0x0F) {
    case ZmMb::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case ZmMb::YesNoCancel: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel); break;
    case ZmMb::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    default: box.setStandardButtons(QMessageBox::Ok); break;
  }
  switch (box.exec()) {
    case QMessageBox::Yes: return ZmMb::IdYes;
    case QMessageBox::No: return ZmMb::IdNo;
    case QMessageBox::Ok: return ZmMb::IdOk;
    default: return ZmMb::IdCancel;
  }
}

QString TZmDialogPrompts::OpenFileName(QWidget* parent, const QString& folder, const QString& filter)
{
  TZmPromptScope scope(*this);
  return QFileDialog::getOpenFileName(parent, QString(), folder, filter);
}

QString TZmDialogPrompts::SaveFileName(QWidget* parent, const QString& proposed, const QString& filter)
{
  TZmPromptScope scope(*this);
  // The overwrite question is the editor's own (a numbered text).
  return QFileDialog::getSaveFileName(parent, QString(), proposed, filter, nullptr, QFileDialog::DontConfirmOverwrite);
}
