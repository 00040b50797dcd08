// KeyboardReturn.
#include "FileUti2/KeyboardReturn.h"

#include <QApplication>
#include <QGuiApplication>
#include <QWindow>

namespace kelvane {

KeyboardReturn::KeyboardReturn(QWidget* fallback) {
  QWidget* window = QApplication::activeWindow();
  if (!window && fallback) window = fallback->window();
  window_ = window;
  if (window) focus_ = window->focusWidget();
}

KeyboardReturn::~KeyboardReturn() {
  QWidget* window = window_.data();
  // Another box still up (over the window) or a list open: it has the keyboard, rightly.
  QWidget* modal = QApplication::activeModalWidget();
  if (!window || !window->isVisible() || (modal && modal != window) ||
      QApplication::activePopupWidget())
    return;
  if (QWidget* focus = focus_.data();
      focus && focus->window() == window && focus->isVisible() && focus->isEnabled())
    focus->setFocus(Qt::ActiveWindowFocusReason);  // at once, or when the window is active
  if (QApplication::activeWindow() == window) return;
  // The window system did activate the window while Qt would not hear of it: tell Qt. Otherwise
  // ask the window system.
  if (window->windowHandle() && QGuiApplication::focusWindow() == window->windowHandle())
    QApplication::setActiveWindow(window);
  else
    window->activateWindow();
}

}  // namespace kelvane
