// Starts Kelvane: the application, the main window, the message loop.
#include <QIcon>

#include "main/KelvaneApplication.h"
#include "main/Tfrm.h"

int main(int argc, char** argv) {
  kelvane::KelvaneApplication app(argc, argv);
  kelvane::Tfrm frm;  // outlives the loop: a run closed by QUIT returns through it
  QApplication::setWindowIcon(QIcon(":/kelvane/kelvane.png"));
  frm.show();
  return app.exec();
}
