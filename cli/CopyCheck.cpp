// CopyCheck: one session's CHECK and its findings.
#include "cli/CopyCheck.h"

#include <exception>

#include "cli/Interrupt.h"
#include "cli/TerminalText.h"
#include "commands/StatusLines.h"
#include "commands/VerificationRun.h"

namespace kelvane::cli {

namespace {

// The entry CHECK is at (from 0): its status line reads "3/120" from the moment it begins one.
int CurrentEntry(const WindowTexts& texts) {
  const int shown = CounterPosition(texts);
  return shown > 0 ? shown - 1 : 0;
}

}  // namespace

CopyCheck::CopyCheck(Session opened, const ShellAnswers& answers, const Options& options,
                     Console& console, std::size_t slot, std::vector<FileIdentity> leaveOut)
    : session_(std::move(opened)),
      answers_(answers),
      options_(options),
      console_(console),
      leaveOut_(std::move(leaveOut)),
      progress_(
          session_.project, answers_.folder, [this] { return CurrentEntry(session_.texts); },
          console.Progress(), slot),
      shell_(session_, console, answers_, &progress_),
      results_(session_.project, answers_.folder) {
  shell_.onVerdict = [this](const EntryVerdict& verdict) {
    {
      const std::lock_guard lock(mutex_);
      results_.Record(verdict);
    }
    if (verdict.outcome != EntryVerdict::valid)
      console_.Result(Labelled(FailureLine(session_.project, verdict)));
  };
  // The one box CHECK shows on its own is the summary; it is printed last.
  shell_.onMessage = [this](const std::string& text) {
    std::unique_lock lock(mutex_);
    if (summary_.empty()) {
      summary_ = text;
      return;
    }
    lock.unlock();
    console_.Notice(Labelled(text));
  };
  shell_.beforeEject = [this] { LookForExtra(); };
}

std::string CopyCheck::Labelled(const std::string& line) const {
  return answers_.label.empty() ? line : answers_.label + "\t" + line;
}

// The report always holds the extra files; the terminal and the status only with --extra.
void CopyCheck::LookForExtra() {
  if (extraLooked_ || !(options_.extra || options_.report) || InterruptRequested()) return;
  extraLooked_ = true;
  std::vector<ExtraFile> extra = ExtraFiles(session_.project, answers_.folder, leaveOut_, {},
                                            [] { return InterruptRequested(); });
  const std::lock_guard lock(mutex_);
  if (!InterruptRequested()) extra_ = std::move(extra);
}

void CopyCheck::Run() {
  try {
    iCheckClick(session_, shell_);
    {
      const std::lock_guard lock(mutex_);
      ran_ = true;
    }
    if (shell_.AutoEjectCleared())
      console_.Notice("No eject: " + FieldText(answers_.folder, true) +
                      " is not on an optical drive");
    LookForExtra();
  } catch (const std::exception& error) {
    // CHECK's own refusal of an empty list ("No file listed") is a fault of the project.
    const std::lock_guard lock(mutex_);
    failure_.emplace(session_.project.Count() == 0 ? kExitBadProject : kExitInternal, error.what());
  }
}

bool CopyCheck::NoneSelected() const {
  return ran_ && results_.Read() == 0 && !InterruptRequested();
}

int CopyCheck::Status() const {
  if (InterruptRequested()) return InterruptStatus();
  if (failure_) return failure_->status();
  if (NoneSelected()) return kExitBadProject;
  int status = results_.Status();
  if (options_.extra && extra_ && !extra_->empty()) status |= kExitExtra;
  return status;
}

void CopyCheck::PrintFindings() {
  if (options_.extra && extra_)
    for (const ExtraFile& file : *extra_)
      console_.Result(Labelled("extra\t" + FieldText(file.path, true) +
                               (file.kind == "file" ? "" : "\t" + file.kind)));
  // A run that a hung read holds has shown no summary: it is told as far as the run got, as
  // STOP there would have told it.
  const std::string summary =
      !summary_.empty() || failure_
          ? summary_
          : SummaryText(results_.Failed(), results_.Read(), session_.project.Count());
  if (summary.empty()) return;
  if (!answers_.label.empty()) console_.Out(answers_.label + ":");
  console_.Out(summary);
}

Report CopyCheck::MakeReport() const {
  Report report;
  report.project = answers_.projectPath;
  report.copy = answers_.folder;
  report.status = Status();
  report.interrupted = InterruptRequested();
  report.entries = &results_;
  report.extra = extra_;
  return report;
}

}  // namespace kelvane::cli
