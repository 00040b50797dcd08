// kelvane-cli check PROJECT COPY: the window's Open, then its CHECK, then what the terminal adds:
// the failed entries as lines, the extra files, the report and the exit status.
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "FileUti2/TextEncoding.h"
#include "cli/CheckReport.h"
#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/ExtraFiles.h"
#include "cli/Interrupt.h"
#include "cli/JsonReport.h"
#include "cli/PathArguments.h"
#include "cli/TerminalShell.h"
#include "commands/VerificationRun.h"

namespace kelvane::cli {

namespace {

// The entry CHECK is at (from 0): its status line reads "3/120" from the moment it begins one.
int CurrentEntry(const WindowTexts& texts) {
  const std::string& text = texts.Text(TLabel::Status3);
  const int shown = std::atoi(text.c_str());
  return shown > 0 ? shown - 1 : 0;
}

// What the run found beyond the boxes.
struct Findings {
  std::vector<EntryVerdict> verdicts;
  std::string summary;
  std::optional<std::vector<std::string>> extra;
};

void WriteReport(const std::string& path, const Project& project, const ShellAnswers& answers,
                 const Findings& found, int status) {
  Report report;
  report.project = answers.projectPath;
  report.copy = answers.folder;
  report.interrupted = status == kExitInterrupted;
  report.status = status;
  report.entries = EntryOutcomes(project, found.verdicts);
  report.extra = found.extra;
  try {
    WriteTextFile(path, FormatReport(report));
  } catch (const std::exception& error) {
    throw CliError(kExitCannotWrite, error.what());
  }
}

}  // namespace

int RunCheck(const Options& options, Console& console) {
  Session session;
  const Project& project = session.project;
  ShellAnswers answers;
  answers.projectPath = AbsolutePath(options.operands[0]);
  answers.folder = ExistingFolder(options.operands[1]);
  answers.stopAtFirst = options.stopAtFirst;
  answers.eject = options.eject;
  RunProgress progress(
      project, answers.folder, [&session] { return CurrentEntry(session.texts); },
      console.Progress());
  TerminalShell shell(session, console, answers, &progress);
  OpenProject(session, shell);

  Findings found;
  shell.onVerdict = [&](const EntryVerdict& verdict) {
    found.verdicts.push_back(verdict);
    if (verdict.outcome != EntryVerdict::valid) console.Result(FailureLine(project, verdict));
  };
  // The one box CHECK shows on its own is the summary; it is printed last.
  shell.onMessage = [&](const std::string& text) {
    if (found.summary.empty())
      found.summary = text;
    else
      console.Notice(text);
  };

  // The report always holds the extra files; the terminal and the status only with --extra.
  // They are looked for before an eject takes the disc away.
  bool extraLooked = false;
  const auto lookForExtra = [&] {
    if (extraLooked || !(options.extra || options.report) || InterruptRequested()) return;
    extraLooked = true;
    std::vector<std::string> extra =
        ExtraFiles(project, answers.folder, {}, [] { return InterruptRequested(); });
    if (!InterruptRequested()) found.extra = std::move(extra);
  };
  shell.beforeEject = lookForExtra;

  const InterruptGuard guard;
  try {
    iCheckClick(session, shell);
  } catch (const std::exception& error) {
    // CHECK's own refusal of an empty list ("No file listed") is a fault of the project.
    throw CliError(project.Count() == 0 ? kExitBadProject : kExitInternal, error.what());
  }
  console.Progress().Clear();
  if (shell.AutoEjectCleared())
    console.Notice("No eject: " + DisplayUtf8(answers.folder) + " is not on an optical drive");

  lookForExtra();

  int status = FailureStatus(found.verdicts);
  if (options.extra && found.extra) {
    for (const std::string& path : *found.extra) console.Result("extra\t" + DisplayUtf8(path));
    if (!found.extra->empty()) status |= kExitExtra;
  }
  console.Out(found.summary);
  // Nothing read and nothing stopped: every entry is excluded, which must never pass.
  const bool noneSelected = found.verdicts.empty() && !InterruptRequested();
  if (InterruptRequested())
    status = kExitInterrupted;
  else if (noneSelected)
    status = kExitBadProject;
  if (options.report) WriteReport(*options.report, project, answers, found, status);
  if (noneSelected) throw CliError(kExitBadProject, "No file selected");
  return status;
}

}  // namespace kelvane::cli
