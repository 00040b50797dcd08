// TerminalShell: the answers of the command line and the terminal's stand-ins for boxes.
#include "cli/TerminalShell.h"

#include "cli/Interrupt.h"
#include "commands/TrayCommands.h"
#include "drive/DriveType.h"

namespace kelvane::cli {

void TerminalShell::PumpEvents() {
  if (InterruptRequested()) {
    // As STOP does; Closing too, since New's listing heeds nothing else.
    session_.StopRequested = true;
    session_.Closing = true;
  }
  if (progress_) progress_->Poll();
}

void TerminalShell::ShowMessage(const std::string& text) {
  // A box of the tray (its failure) is an error whatever the command; it tells whose tray.
  if (ejecting_ || !onMessage)
    console_.Error(answers_.label.empty() ? text : answers_.label + ": " + text);
  else
    onMessage(text);
}

bool TerminalShell::AskYesNo(const std::string& /*text*/, const std::string& /*caption*/) {
  // The questions are only asked after a failed entry, which onVerdict has already told.
  return !answers_.stopAtFirst;
}

bool TerminalShell::PickFolder(std::string& folderName, const std::string& /*prompt*/,
                               int /*helpContext*/) {
  folderName = answers_.folder;
  return true;
}

bool TerminalShell::ExecuteOpenDialog(std::string& fileName) {
  fileName = answers_.projectPath;
  return true;
}

bool TerminalShell::ExecuteSaveDialog(std::string& fileName) {
  fileName = answers_.projectPath;
  return true;
}

bool TerminalShell::IsCdromDrive(const std::string& path) {
  return IsOnOpticalDrive(path, session_.ProcRoot, session_.SysRoot);
}

void TerminalShell::ClickEject() {
  if (beforeEject) beforeEject();
  struct Ejecting {
    bool& flag;
    explicit Ejecting(bool& f) : flag(f) { flag = true; }
    ~Ejecting() { flag = false; }
  } ejecting(ejecting_);
  ejectClick(session_, *this);
}

void TerminalShell::SetAutoEject(bool ticked) {
  if (answers_.eject && !ticked) autoEjectCleared_ = true;
  answers_.eject = ticked;
}

ProgressSink& TerminalShell::Meter() {
  if (progress_) return *progress_;
  return noMeter_;
}

void TerminalShell::EntryVerified(const EntryVerdict& verdict) {
  if (onVerdict) onVerdict(verdict);
}

}  // namespace kelvane::cli
