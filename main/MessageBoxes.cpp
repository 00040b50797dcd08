// Message boxes built on QMessageBox with the system's own texts.
#include "main/MessageBoxes.h"

#include <QMessageBox>

#include "FileUti2/KeyboardReturn.h"
#include "FileUti2/QtStrings.h"

namespace kelvane {
namespace {

// Plain text keeps tabs and never reads a "<" in a file name as markup.
int RunBox(QWidget* parent, QMessageBox::Icon icon, const std::string& caption,
           const std::string& text, QMessageBox::StandardButtons buttons,
           QMessageBox::StandardButton defaultButton, bool onTop = false) {
  const KeyboardReturn back(parent);  // outlives the box
  QMessageBox box(icon, DisplayText(caption), DisplayText(text), buttons, parent);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(defaultButton);
  box.setWindowModality(Qt::ApplicationModal);
  box.setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
  return box.exec();
}

}  // namespace

void ShowErrorBox(QWidget* parent, const std::string& message) {
  RunBox(parent, QMessageBox::Critical, "Kelvane", message, QMessageBox::Ok, QMessageBox::Ok);
}

void ShowPlainBox(QWidget* parent, const std::string& text) {
  RunBox(parent, QMessageBox::NoIcon, "Kelvane", text, QMessageBox::Ok, QMessageBox::Ok);
}

bool AskYesNoBox(QWidget* parent, const std::string& text, const std::string& caption) {
  // The question interrupts a long run: it must not hide behind another window.
  return RunBox(parent, QMessageBox::NoIcon, caption, text, QMessageBox::Yes | QMessageBox::No,
                QMessageBox::Yes, true) == QMessageBox::Yes;
}

}  // namespace kelvane
