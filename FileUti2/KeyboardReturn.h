// The keyboard back where it was once a box or dialog has closed, however it closed.
#pragma once

#include <QPointer>
#include <QWidget>

namespace kelvane {

// Notes the active window and its focus widget when made (fallback's window when none is
// active), and when it goes gives that window the activation and the focus back. Declared before
// the box or dialog, so that it outlives it.
//
// Why: a dialog that closes while its completion list is still open (Return in a file dialog's
// name field) lets the window system activate the window below while Qt still holds the list
// open; Qt drops that activation then and never asks again, and the window stays inactive with
// nothing focused until a mouse click.
class KeyboardReturn {
 public:
  explicit KeyboardReturn(QWidget* fallback);
  ~KeyboardReturn();
  KeyboardReturn(const KeyboardReturn&) = delete;
  KeyboardReturn& operator=(const KeyboardReturn&) = delete;

 private:
  QPointer<QWidget> window_;
  QPointer<QWidget> focus_;
};

}  // namespace kelvane
