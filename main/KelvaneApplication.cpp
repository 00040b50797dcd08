// The application object and its default error display.
#include "main/KelvaneApplication.h"

#include <QStyleFactory>
#include <exception>

#include "main/MessageBoxes.h"

namespace kelvane {

KelvaneApplication::KelvaneApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // No display name: Qt would add it to every window's title ("CheckSum Error — Kelvane"), and
  // each box's caption is to read exactly as given. The desktop file name groups the windows.
  setApplicationName("Kelvane");
  // Lets the desktop match the window to its entry and icon.
  setDesktopFileName("io.github.kelvane.Kelvane");
  // Fusion looks the same on every desktop, and honours the palettes the window sets.
  setStyle(QStyleFactory::create("Fusion"));
}

bool KelvaneApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    ShowErrorBox(activeWindow(), error.what());
  } catch (...) {
    ShowErrorBox(activeWindow(), "Unknown error");
  }
  return false;
}

}  // namespace kelvane
