// The keys of the main window's buttons: Return presses the focused one, and a desktop shortcut
// presses its button while that button is enabled.
#pragma once

#include <QKeySequence>

class QAbstractButton;

namespace kelvane {

// Return and Enter press the button while it has the focus, as Space does.
void PressOnReturn(QAbstractButton* button);

// key presses the button anywhere in its window, and only while the button is enabled; the key
// is added to what a screen reader says about the button.
void AddShortcut(QAbstractButton* button, const QKeySequence& key);

}  // namespace kelvane
