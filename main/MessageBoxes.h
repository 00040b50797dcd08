// The boxes of the window: the error display, the plain notice and the Yes/No question.
#pragma once

#include <string>

class QWidget;

namespace kelvane {

// An error that ended a command: OK button, caption "Kelvane"; the program goes on.
void ShowErrorBox(QWidget* parent, const std::string& message);
// A result or notice: OK button, caption "Kelvane".
void ShowPlainBox(QWidget* parent, const std::string& text);
// A question during a run: no icon, Yes and No, Yes the default, above every other window.
bool AskYesNoBox(QWidget* parent, const std::string& text, const std::string& caption);

}  // namespace kelvane
