// Starts Kelvane: the application, the main window, the message loop; and the file given on the
// command line, if one is, opened as Open opens it.
#include <QIcon>
#include <QTimer>
#include <filesystem>
#include <string>

#include "main/KelvaneApplication.h"
#include "main/Tfrm.h"

int main(int argc, char** argv) {
  kelvane::KelvaneApplication app(argc, argv);  // takes Qt's own options out of argv
  kelvane::Tfrm frm;  // outlives the loop: a run closed by QUIT returns through it
  QApplication::setWindowIcon(QIcon(":/kelvane/kelvane.png"));
  frm.show();
  // Without a file nothing is read at start-up. With one, it is read once the window shows, so
  // that a box about it has a window to stand on. Its bytes are kept as given.
  if (argc > 1) {
    const std::string fileName = std::filesystem::absolute(argv[1]).string();
    QTimer::singleShot(0, &frm, [&frm, fileName] { frm.OpenFile(fileName); });
  }
  return app.exec();
}
