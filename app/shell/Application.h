#pragma once
// The editor's application object. An exception that would leave an event
// handler (memory running out while a page or the canvas works, a fault in
// a data file that slipped through) never ends the program: it is shown as
// an error message and the event loop goes on, with the project as it was
// before that event.
#include <QApplication>

class TZmApplication : public QApplication {
public:
  TZmApplication(int& argc, char** argv) : QApplication(argc, argv) {}
  bool notify(QObject* receiver, QEvent* event) override;
  // The message of the last exception caught (for tests and the log line).
  QString LastFailure;
};
