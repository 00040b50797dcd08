// One copy verified from the terminal: the window's CHECK in a session of its own, started from
// the project as Open left it, and what the run found beyond the boxes. When several copies are
// checked side by side, each has its own, on its own thread; what it found may be read from
// another thread while it runs (Lock), for a run that a hung read keeps past a Ctrl+C.
#pragma once

#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "FileUti2/FileIdentity.h"
#include "cli/CheckReport.h"
#include "cli/CliError.h"
#include "cli/Console.h"
#include "cli/ExtraFiles.h"
#include "cli/JsonReport.h"
#include "cli/Options.h"
#include "cli/RunProgress.h"
#include "cli/TerminalShell.h"
#include "commands/Session.h"

namespace kelvane::cli {

class CopyCheck {
 public:
  // opened: the session Open has filled (the last copy takes it over); answers.folder is the
  // copy, answers.label leads its lines; slot is its progress line; leaveOut the files that are
  // never extra (the project, the report).
  CopyCheck(Session opened, const ShellAnswers& answers, const Options& options, Console& console,
            std::size_t slot, std::vector<FileIdentity> leaveOut);
  CopyCheck(const CopyCheck&) = delete;
  CopyCheck& operator=(const CopyCheck&) = delete;

  // CHECK on the copy, then (before an eject takes the disc away) the look for extra files.
  // Throws nothing: a failure is kept for Failure, so that the other copies go on.
  void Run();

  const std::string& Copy() const { return answers_.folder; }

  // What follows reads what the run found: call it with Lock() held.
  [[nodiscard]] std::unique_lock<std::mutex> Lock() const { return std::unique_lock(mutex_); }
  // 1 a mismatch, 2 missing or unreadable, 4 extra files (with --extra); InterruptStatus() after
  // a signal, 65 when nothing was selected, else the failure's.
  int Status() const;
  // Every entry was excluded: the run read nothing, which must never pass.
  bool NoneSelected() const;
  // The error that ended the run, with the exit status it stands for.
  const std::optional<CliError>& Failure() const { return failure_; }
  // Prints the extra files (with --extra), then the summary, led by the label if there is one.
  // A run that has not ended is summed up as far as it got.
  void PrintFindings();
  // This copy's record, as the report holds it.
  Report MakeReport() const;

 private:
  // A line of this copy's: its label first when there is one.
  std::string Labelled(const std::string& line) const;
  void LookForExtra();

  Session session_;
  ShellAnswers answers_;
  const Options& options_;
  Console& console_;
  std::vector<FileIdentity> leaveOut_;
  RunProgress progress_;
  TerminalShell shell_;
  mutable std::mutex mutex_;  // guards what follows, which the run's thread writes
  EntryResults results_;
  std::string summary_;
  std::optional<std::vector<ExtraFile>> extra_;  // none when not looked for, or cut short
  bool extraLooked_ = false;
  bool ran_ = false;
  std::optional<CliError> failure_;
};

}  // namespace kelvane::cli
