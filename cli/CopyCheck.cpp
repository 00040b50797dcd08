// CopyCheck: one session's CHECK and its findings.
#include "cli/CopyCheck.h"

#include <exception>

#include "cli/CheckReport.h"
#include "cli/CliError.h"
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

CopyCheck::CopyCheck(const Session& opened, const ShellAnswers& answers, const Options& options,
                     Console& console, std::size_t slot)
    : session_(opened),
      answers_(answers),
      options_(options),
      console_(console),
      progress_(
          session_.project, answers_.folder, [this] { return CurrentEntry(session_.texts); },
          console.Progress(), slot),
      shell_(session_, console, answers_, &progress_) {
  shell_.onVerdict = [this](const EntryVerdict& verdict) {
    verdicts_.push_back(verdict);
    if (verdict.outcome != EntryVerdict::valid)
      console_.Result(Labelled(FailureLine(session_.project, verdict)));
  };
  // The one box CHECK shows on its own is the summary; it is printed last.
  shell_.onMessage = [this](const std::string& text) {
    if (summary_.empty())
      summary_ = text;
    else
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
  std::vector<ExtraFile> extra =
      ExtraFiles(session_.project, answers_.folder, {}, [] { return InterruptRequested(); });
  if (!InterruptRequested()) extra_ = std::move(extra);
}

void CopyCheck::Run() {
  try {
    iCheckClick(session_, shell_);
    ran_ = true;
    if (shell_.AutoEjectCleared())
      console_.Notice("No eject: " + FieldText(answers_.folder, true) +
                      " is not on an optical drive");
    LookForExtra();
  } catch (const std::exception& error) {
    // CHECK's own refusal of an empty list ("No file listed") is a fault of the project.
    failure_.emplace(session_.project.Count() == 0 ? kExitBadProject : kExitInternal, error.what());
  }
}

bool CopyCheck::NoneSelected() const {
  return ran_ && verdicts_.empty() && !InterruptRequested();
}

int CopyCheck::Status() const {
  if (InterruptRequested()) return kExitInterrupted;
  if (failure_) return failure_->status();
  if (NoneSelected()) return kExitBadProject;
  int status = FailureStatus(verdicts_);
  if (options_.extra && extra_ && !extra_->empty()) status |= kExitExtra;
  return status;
}

void CopyCheck::PrintFindings() {
  if (options_.extra && extra_)
    for (const ExtraFile& file : *extra_)
      console_.Result(Labelled("extra\t" + FieldText(file.path, true) +
                               (file.kind == "file" ? "" : "\t" + file.kind)));
  if (summary_.empty()) return;
  if (!answers_.label.empty()) console_.Out(answers_.label + ":");
  console_.Out(summary_);
}

Report CopyCheck::MakeReport() const {
  Report report;
  report.project = answers_.projectPath;
  report.copy = answers_.folder;
  report.status = Status();
  report.interrupted = report.status == kExitInterrupted;
  report.entries = EntryOutcomes(session_.project, verdicts_);
  report.extra = extra_;
  return report;
}

}  // namespace kelvane::cli
