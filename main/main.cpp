// Starts Kelvane.
#include <QApplication>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Kelvane");
  return 0;
}
