// kelvane-cli check PROJECT COPY: the window's Open, then its CHECK, then what the terminal adds:
// the failed entries as lines, the extra files, the report and the exit status.
#include <sys/stat.h>

#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "FileUti2/PathHelpers.h"
#include "FileUti2/ReplaceFile.h"
#include "cli/CheckReport.h"
#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/ExtraFiles.h"
#include "cli/Interrupt.h"
#include "cli/JsonReport.h"
#include "cli/PathArguments.h"
#include "cli/SleepInhibitor.h"
#include "cli/TerminalShell.h"
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

// What the run found beyond the boxes.
struct Findings {
  std::vector<EntryVerdict> verdicts;
  std::string summary;
  std::optional<std::vector<ExtraFile>> extra;
};

// The report is checked before anything is read: it may not overwrite the project nor land on
// the copy being verified (whose extra files it would add to), and a report that cannot be
// written fails now rather than after a long run.
void CheckReportTarget(const std::string& report, const ShellAnswers& answers) {
  struct stat reportInfo {
  }, projectInfo{};
  if (::stat(report.c_str(), &reportInfo) == 0 &&
      ::stat(answers.projectPath.c_str(), &projectInfo) == 0 &&
      reportInfo.st_dev == projectInfo.st_dev && reportInfo.st_ino == projectInfo.st_ino)
    throw UsageError("the report " + report + " is the project file");
  std::string target;
  try {
    target = SaveTarget(report);
  } catch (const std::exception& error) {
    throw CliError(kExitCannotWrite, error.what());
  }
  const auto real = [](const std::string& path) {
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::canonical(path, error);
    return error ? path : resolved.string();
  };
  const std::string folder = real(SplitPath(target).first);
  const std::string copy = real(answers.folder);
  if (folder == copy || folder.rfind(copy == "/" ? copy : copy + "/", 0) == 0)
    throw UsageError("the report " + report + " lies inside the copy " + answers.folder);
}

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
  session.ReadSequential = options.sequential;
  answers.eject = options.eject;
  if (options.report) CheckReportTarget(AbsolutePath(*options.report), answers);
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
    std::vector<ExtraFile> extra =
        ExtraFiles(project, answers.folder, {}, [] { return InterruptRequested(); });
    if (!InterruptRequested()) found.extra = std::move(extra);
  };
  shell.beforeEject = lookForExtra;

  const InterruptGuard guard;
  try {
    std::optional<SleepInhibitor> awake;
    if (!options.noInhibit) awake.emplace("kelvane-cli check is verifying " + answers.folder);
    iCheckClick(session, shell);
  } catch (const std::exception& error) {
    // CHECK's own refusal of an empty list ("No file listed") is a fault of the project.
    throw CliError(project.Count() == 0 ? kExitBadProject : kExitInternal, error.what());
  }
  console.Progress().Clear();
  if (shell.AutoEjectCleared())
    console.Notice("No eject: " + FieldText(answers.folder, true) + " is not on an optical drive");

  lookForExtra();

  int status = FailureStatus(found.verdicts);
  if (options.extra && found.extra) {
    for (const ExtraFile& file : *found.extra)
      console.Result("extra\t" + FieldText(file.path, true) +
                     (file.kind == "file" ? "" : "\t" + file.kind));
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
