// kelvane-cli check PROJECT COPY...: the window's Open, then its CHECK on each copy, then what the
// terminal adds: the failed entries as lines, the extra files, the report and the exit status.
// Copies on different devices are checked side by side, each on a thread of its own.
#include <sys/stat.h>

#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "FileUti2/PathHelpers.h"
#include "FileUti2/ReplaceFile.h"
#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/CopyCheck.h"
#include "cli/CopyFolders.h"
#include "cli/Interrupt.h"
#include "cli/JsonReport.h"
#include "cli/PathArguments.h"
#include "cli/SleepInhibitor.h"
#include "cli/TerminalShell.h"
#include "cli/TerminalText.h"

namespace kelvane::cli {

namespace {

// The report is checked before anything is read: it may not overwrite the project nor land on
// a copy being verified (whose extra files it would add to), and a report that cannot be
// written fails now rather than after a long run.
void CheckReportTarget(const std::string& report, const std::string& project,
                       const std::vector<std::string>& copies) {
  struct stat reportInfo {
  }, projectInfo{};
  if (::stat(report.c_str(), &reportInfo) == 0 && ::stat(project.c_str(), &projectInfo) == 0 &&
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
  for (const std::string& copyFolder : copies) {
    const std::string copy = real(copyFolder);
    if (folder == copy || folder.rfind(copy == "/" ? copy : copy + "/", 0) == 0)
      throw UsageError("the report " + report + " lies inside the copy " + copyFolder);
  }
}

// "exact", or what failed: "mismatch, missing or unreadable, extra files".
std::string OutcomeText(const CopyCheck& copy) {
  if (copy.Failure()) return std::string("error: ") + copy.Failure()->what();
  const int status = copy.Status();
  if (status == kExitInterrupted) return "interrupted";
  if (status == kExitBadProject) return "no file selected";
  if (status == kExitValid) return "exact";
  std::string text;
  for (const auto& [bit, name] :
       {std::pair{kExitMismatch, "mismatch"}, std::pair{kExitUnreadable, "missing or unreadable"},
        std::pair{kExitExtra, "extra files"}})
    if (status & bit) text += (text.empty() ? "" : ", ") + std::string(name);
  return text;
}

// Each group's copies in turn, the groups side by side; one group runs on this thread.
void RunGroups(const std::vector<std::vector<std::size_t>>& groups,
               std::vector<std::unique_ptr<CopyCheck>>& copies) {
  const auto runGroup = [&copies](const std::vector<std::size_t>& group) {
    for (const std::size_t index : group) copies[index]->Run();
  };
  if (groups.size() == 1) return runGroup(groups.front());
  std::vector<std::jthread> threads;
  for (const std::vector<std::size_t>& group : groups) threads.emplace_back(runGroup, group);
}

}  // namespace

int RunCheck(const Options& options, Console& console) {
  const std::string projectPath = AbsolutePath(options.operands[0]);
  std::vector<std::string> folders;
  for (std::size_t i = 1; i < options.operands.size(); ++i)
    folders.push_back(ExistingFolder(options.operands[i]));
  CheckCopiesApart(folders);
  if (options.report) CheckReportTarget(AbsolutePath(*options.report), projectPath, folders);

  Session opened;
  const SystemRoots roots = RootsFromEnvironment();
  opened.ProcRoot = roots.proc;
  opened.SysRoot = roots.sys;
  opened.ReadSequential = options.sequential;
  ShellAnswers answers;
  answers.projectPath = projectPath;
  answers.stopAtFirst = options.stopAtFirst;
  answers.eject = options.eject;
  {
    TerminalShell opener(opened, console, answers, nullptr);
    OpenProject(opened, opener);
  }

  const bool several = folders.size() > 1;
  std::vector<std::string> labels;
  std::vector<std::unique_ptr<CopyCheck>> copies;
  for (std::size_t i = 0; i < folders.size(); ++i) {
    answers.folder = folders[i];
    answers.label = several ? FieldText(folders[i], true) : std::string();
    labels.push_back(answers.label);
    copies.push_back(std::make_unique<CopyCheck>(opened, answers, options, console, i));
  }
  if (several) console.Progress().SetLabels(labels);

  const InterruptGuard guard;
  {
    std::optional<SleepInhibitor> awake;
    if (!options.noInhibit) {
      std::string why = "kelvane-cli check is verifying " + folders.front();
      for (std::size_t i = 1; i < folders.size(); ++i) why += ", " + folders[i];
      awake.emplace(why);
    }
    RunGroups(DeviceGroups(folders, roots), copies);
  }
  console.Progress().Clear();

  int status = kExitValid;
  std::optional<CliError> failure;
  bool noneSelected = false;
  for (const auto& copy : copies) {
    copy->PrintFindings();
    if (copy->Failure() && !failure) failure = copy->Failure();
    noneSelected = noneSelected || copy->NoneSelected();
    if (!copy->Failure() && !copy->NoneSelected()) status |= copy->Status();
  }
  if (several)
    for (std::size_t i = 0; i < copies.size(); ++i)
      console.Out(labels[i] + ": " + OutcomeText(*copies[i]));
  if (InterruptRequested())
    status = kExitInterrupted;
  else if (failure)
    status = failure->status();
  else if (noneSelected)
    status = kExitBadProject;

  if (options.report) {
    std::vector<Report> reports;
    for (const auto& copy : copies) reports.push_back(copy->MakeReport());
    try {
      WriteTextFile(*options.report,
                    several ? FormatCopiesReport(projectPath, InterruptRequested(), status, reports)
                            : FormatReport(reports.front()));
    } catch (const std::exception& error) {
      throw CliError(kExitCannotWrite, error.what());
    }
  }
  if (failure) throw *failure;
  if (noneSelected) throw CliError(kExitBadProject, "No file selected");
  return status;
}

}  // namespace kelvane::cli
