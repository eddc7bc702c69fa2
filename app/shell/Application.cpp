#include "app/shell/Application.h"

#include <QTextStream>
#include <exception>
#include <new>

#include "app/shell/Prompts.h"

bool TZmApplication::notify(QObject* receiver, QEvent* event)
{
  QString what;
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::bad_alloc&) {
    what = QStringLiteral("There was not enough memory to finish the last operation.");
  } catch (const std::exception& e) {
    what = QStringLiteral("The last operation failed: %1").arg(QString::fromUtf8(e.what()));
  } catch (...) {
    what = QStringLiteral("The last operation failed.");
  }
  LastFailure = what;
  QTextStream(stderr) << "kestrava: " << what << "\n";
  // No language text is safe to look up here (the failure may lie there).
  Prompts().MessageBox(nullptr, QStringLiteral("Kestrava"), what, ZmMb::Ok | ZmMb::IconError);
  return false;
}
