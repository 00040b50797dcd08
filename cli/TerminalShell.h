// The Shell of the window's commands on a terminal: the folder and the project file come from the
// command line, boxes become lines, the meter becomes the progress line, Ctrl+C becomes STOP.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "cli/BusTray.h"
#include "cli/Console.h"
#include "cli/RunProgress.h"
#include "commands/Session.h"
#include "commands/Shell.h"

namespace kelvane::cli {

struct ShellAnswers {
  std::string folder;        // what the folder picker answers
  std::string projectPath;   // what the Open and Save dialogs answer
  bool stopAtFirst = false;  // answer No to "go on?"
  bool eject = false;        // AutoEject ticked
  std::string label;         // leads the lines of a copy among several; empty for one
};

class TerminalShell : public Shell {
 public:
  // progress is the meter; the shell polls it at every pump.
  TerminalShell(Session& session, Console& console, ShellAnswers answers, RunProgress* progress)
      : session_(session), console_(console), answers_(std::move(answers)), progress_(progress) {}

  // What becomes of each box and of each entry CHECK has judged; set by the command.
  std::function<void(const std::string&)> onMessage;
  std::function<void(const EntryVerdict&)> onVerdict;
  // Runs before the tray opens, while the copy can still be read.
  std::function<void()> beforeEject;

  // Whether CHECK unticked AutoEject (the copy is not on an optical drive).
  bool AutoEjectCleared() const { return autoEjectCleared_; }

  void PumpEvents() override;
  void ShowMessage(const std::string& text) override;
  bool AskYesNo(const std::string& text, const std::string& caption) override;
  bool PickFolder(std::string& folderName, const std::string& prompt, int helpContext) override;
  bool ExecuteOpenDialog(std::string& fileName) override;
  bool ExecuteSaveDialog(std::string& fileName) override;
  bool IsCdromDrive(const std::string& path) override;
  void ClickEject() override;
  void ClickCheck() override {}  // only a tray notification clicks it, and none comes here
  bool AutoEjectTicked() override { return answers_.eject; }
  void SetAutoEject(bool ticked) override;
  void SetButtonsEnabled(bool /*enabled*/) override {}
  ProgressSink& Meter() override;
  TrayDriver& Tray() override { return tray_; }
  void EntryVerified(const EntryVerdict& verdict) override;

 private:
  // No meter at all: the progress line is off.
  struct NoMeter : ProgressSink {
    void SetPosition(int /*position*/) override {}
  };

  Session& session_;
  Console& console_;
  ShellAnswers answers_;
  RunProgress* progress_;
  NoMeter noMeter_;
  BusTray tray_;
  bool ejecting_ = false;
  bool autoEjectCleared_ = false;
};

}  // namespace kelvane::cli
