// The application object: name "Kelvane", the Fusion style and the last-resort error display.
#pragma once

#include <QApplication>

namespace kelvane {

class KelvaneApplication : public QApplication {
  Q_OBJECT

 public:
  KelvaneApplication(int& argc, char** argv);

  // An exception that escapes an event handler is shown in the error box and the event is
  // dropped, so the program and any run further up the stack go on.
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace kelvane
