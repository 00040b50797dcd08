// The main window as the commands' Shell: its boxes, the event pump, the picker and dialogs, the
// drive, the buttons a run disables, and what the desktop hears of a run.
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QToolButton>
#include <algorithm>
#include <initializer_list>

#include "FileUti2/PickFolder.h"
#include "commands/StatusLines.h"
#include "drive/DriveType.h"
#include "main/CheckListModel.h"
#include "main/MessageBoxes.h"
#include "main/ProjectFileDialogs.h"
#include "main/Tfrm.h"

namespace kelvane {

bool Tfrm::InFront() const {
  // The window or one of its boxes has the keyboard: the user is looking at Kelvane.
  const QWidget* active = QApplication::activeWindow();
  return active && (active == this || isAncestorOf(active));
}

double Tfrm::RunFraction() const {
  return kelvane::RunFraction(session_.project, session_.texts, runName_ == QLatin1String("New"),
                              !running_);
}

void Tfrm::PumpEvents() {
  if (!pacer_.PumpDue()) return;
  // Painted by the events handled below.
  if (running_ && pacer_.FrameDue()) ShowModel(false);
  QCoreApplication::processEvents();
}

void Tfrm::ShowMessage(const std::string& text) {
  if (quitting_) return;
  ShowModel(true);
  // A run's box is its end as the user meets it: told on the desktop when Kelvane is not in front.
  if (running_) desktop_.Told(text, InFront());
  ShowPlainBox(this, text);
}

bool Tfrm::AskYesNo(const std::string& text, const std::string& caption) {
  // After QUIT nobody is left to answer: the run takes No and ends.
  if (quitting_) return false;
  ShowModel(true);
  return AskYesNoBox(this, text, caption);
}

bool Tfrm::PickFolder(std::string& folderName, const std::string& prompt, int helpContext) {
  return kelvane::PickFolder(folderName, prompt, helpContext);
}

bool Tfrm::ExecuteOpenDialog(std::string& fileName) {
  return ExecuteOpenDialog1(fileName, this);
}

bool Tfrm::ExecuteSaveDialog(std::string& fileName) {
  return ExecuteSaveDialog1(fileName, this);
}

bool Tfrm::IsCdromDrive(const std::string& path) {
  return IsOnOpticalDrive(path, session_.ProcRoot, session_.SysRoot);
}

void Tfrm::ClickEject() {
  // After QUIT the program is ending: a run that stopped there must not open the tray as well.
  if (!quitting_) controls_.Eject->click();
}
void Tfrm::ClickCheck() {
  controls_.iCheck->click();
}
bool Tfrm::AutoEjectTicked() {
  return controls_.AutoEject->isChecked();
}
void Tfrm::SetAutoEject(bool ticked) {
  controls_.AutoEject->setChecked(ticked);
}

void Tfrm::EntryVerified(const EntryVerdict& verdict) {
  listModel_->Findings().Verified(verdict);
}

void Tfrm::SetButtonsEnabled(bool enabled) {
  const std::initializer_list<QToolButton*> commands = {controls_.iNew,  controls_.iOpen,
                                                        controls_.iSave, controls_.iCheck,
                                                        controls_.Reset, controls_.Clear};
  // A button being disabled hands the focus on to the next one, Load, where a Return would work
  // the tray: STOP, the one thing a run offers, takes it first, in one move that a screen reader
  // hears once.
  if (!enabled && !running_) {
    runFocus_ = focusWidget();
    if (runName_ == QLatin1String("CHECK")) listModel_->Findings().RunStarted();
  }
  if (!enabled && !running_ &&
      std::find(commands.begin(), commands.end(), focusWidget()) != commands.end())
    controls_.STOP->setFocus(Qt::OtherFocusReason);
  for (QToolButton* button : commands) button->setEnabled(enabled);
  // The runs disable the buttons for as long as they go: the screen follows the clock meanwhile,
  // and shows the run's last values when it ends.
  const bool wasRunning = running_;
  running_ = !enabled;
  if (!enabled && !wasRunning) desktop_.Begin(runName_);
  if (enabled) controls_.STOP->setDown(false);
  if (enabled) ShowModel(true);
  if (enabled && wasRunning && runName_ == QLatin1String("CHECK"))
    listModel_->Findings().RunEnded();
  if (enabled && wasRunning && !quitting_) {
    // The keyboard goes back where it was when the run began: to the rows the user was reading
    // when F5 started it there, to the button when the button did. Disabled, that button gave
    // the focus away (to Load): it comes back, so that the Return that closes a box, and the one
    // after it, never work the tray.
    QWidget* back = runFocus_ && runFocus_->isVisible() && runFocus_->isEnabled()
                        ? runFocus_.data()
                        : (runName_ == QLatin1String("New") ? controls_.iNew : controls_.iCheck);
    back->setFocus(Qt::OtherFocusReason);
  }
  if (enabled) runFocus_ = nullptr;
  if (enabled && wasRunning) {
    // New ends without a box when it stored every sum; after QUIT nobody is told.
    const Project& p = session_.project;
    const bool tell = runName_ == QLatin1String("New") && !quitting_ && p.ValueCount() == p.Count();
    desktop_.End(RunFraction(),
                 tell ? "File(s) in the project\t: " + std::to_string(p.Count()) : "",
                 quitting_ || InFront());
    if (tell) TellDone("New: " + std::to_string(p.Count()) + " files listed");
  }
}

}  // namespace kelvane
