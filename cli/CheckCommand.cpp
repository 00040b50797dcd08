// kelvane-cli check PROJECT COPY...: the window's Open, then its CHECK on each copy, then what the
// terminal adds: the failed entries as lines, the extra files, the report and the exit status.
// Copies on different devices are checked side by side, each on a thread of its own.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "FileUti2/FileIdentity.h"
#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/CopyCheck.h"
#include "cli/CopyFolders.h"
#include "cli/Interrupt.h"
#include "cli/JsonReport.h"
#include "cli/PathArguments.h"
#include "cli/ReportFile.h"
#include "cli/SleepInhibitor.h"
#include "cli/TerminalShell.h"
#include "cli/TerminalText.h"
#include "project/Sha256Sidecar.h"

namespace kelvane::cli {

namespace {

// "exact", or what failed: "mismatch, missing or unreadable, extra files".
std::string OutcomeText(const CopyCheck& copy) {
  if (copy.Failure()) return std::string("error: ") + copy.Failure()->what();
  const int status = copy.Status();
  if (InterruptRequested()) return "interrupted";
  if (status == kExitBadProject) return "no file selected";
  if (status == kExitValid) return "exact";
  std::string text;
  for (const auto& [bit, name] :
       {std::pair{kExitMismatch, "mismatch"}, std::pair{kExitUnreadable, "missing or unreadable"},
        std::pair{kExitExtra, "extra files"}})
    if (status & bit) text += (text.empty() ? "" : ", ") + std::string(name);
  return text;
}

// The selected entries the project holds no SHA-256 for, or an SFV list gives a CRC-32 alone:
// their files are verified by a CRC, which a file forged to keep it would pass.
int CrcAlone(const Project& project) {
  int count = 0;
  // An entry without a value entry fails CHECK itself, which tells it.
  for (int i = 0; i < std::min(project.Count(), project.ValueCount()); ++i) {
    const std::optional<Digest>& sum = project.StoredDigest(i);
    if (!project.IsExcluded(i) && (!sum || sum->type.kind == DigestKind::crc32)) ++count;
  }
  return count;
}

// Each group's copies in turn, the groups side by side; the first group runs on this thread, and
// so does each group whose thread cannot be started (a limit on processes), after it.
void RunGroups(const std::vector<std::vector<std::size_t>>& groups,
               std::vector<std::unique_ptr<CopyCheck>>& copies) {
  const auto runGroup = [&copies](const std::vector<std::size_t>& group) {
    for (const std::size_t index : group) copies[index]->Run();
  };
  std::vector<std::jthread> threads;
  std::vector<const std::vector<std::size_t>*> inTurn;
  for (std::size_t g = 1; g < groups.size(); ++g) {
    try {
      threads.emplace_back(runGroup, groups[g]);
    } catch (const std::system_error&) {
      inTurn.push_back(&groups[g]);
    }
  }
  runGroup(groups.front());
  for (const std::vector<std::size_t>* group : inTurn) runGroup(*group);
}

// What the copies found, told and written: the extra files and summaries, the outcome of each
// copy among several, the report. Returns the exit status, with the failure that ended a run if
// one did. The runs may still go on (a read that never returns): each copy is looked at under
// its lock.
struct Finding {
  int status = kExitValid;
  std::optional<CliError> failure;
};

Finding TellFindings(const std::vector<std::unique_ptr<CopyCheck>>& copies,
                     const std::string& projectPath, const std::optional<ReportFile>& report,
                     int crcAlone, bool signatureUnchecked, Console& console) {
  std::vector<std::unique_lock<std::mutex>> locks;
  for (const auto& copy : copies) locks.push_back(copy->Lock());
  Finding found;
  bool noneSelected = false;
  for (const auto& copy : copies) {
    copy->PrintFindings();
    if (copy->Failure() && !found.failure) found.failure = copy->Failure();
    noneSelected = noneSelected || copy->NoneSelected();
    if (!copy->Failure() && !copy->NoneSelected()) found.status |= copy->Status();
  }
  if (signatureUnchecked)
    console.Notice(
        "The list's OpenPGP signature was not verified: Kelvane reads a signed list "
        "but does not check who signed it (gpg --verify does)");
  if (crcAlone > 0)
    console.Notice("Verified by the CRC-32 alone, without a SHA-256 to check: " +
                   std::to_string(crcAlone) + " selected entr" + (crcAlone == 1 ? "y" : "ies"));
  // Every run ends with its verdict, one line per copy.
  for (const auto& copy : copies)
    console.Out(FieldText(copy->Copy(), true) + ": " + OutcomeText(*copy));
  const bool several = copies.size() > 1;
  if (InterruptRequested())
    found.status = InterruptStatus();
  else if (found.failure)
    found.status = found.failure->status();
  else if (noneSelected)
    found.status = kExitBadProject;
  if (!found.failure && noneSelected) found.failure.emplace(kExitBadProject, "No file selected");

  if (report) {
    std::vector<Report> reports;
    for (const auto& copy : copies) reports.push_back(copy->MakeReport());
    const int status = found.status;
    report->Write([&](const ReportWrite& write) {
      if (several)
        return WriteCopiesReport(projectPath, InterruptRequested(), status, reports, write);
      WriteReport(reports.front(), write);
      write("\n");
    });
  }
  return found;
}

}  // namespace

int RunCheck(const Options& options, Console& console) {
  const std::string projectPath = AbsolutePath(options.operands[0]);
  std::vector<std::string> folders;
  for (std::size_t i = 1; i < options.operands.size(); ++i)
    folders.push_back(ExistingFolder(options.operands[i]));
  CheckCopiesApart(folders);
  std::optional<ReportFile> report;
  if (options.report) report.emplace(*options.report, projectPath, folders);
  // A report on standard output is all that goes there, for a pipe into a JSON reader.
  if (report && report->OnStandardOutput()) console.ResultsToStandardError();

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

  // The project, its sums and the report are no files of the distribution, wherever they lie.
  std::vector<FileIdentity> leaveOut;
  for (const std::optional<FileIdentity>& file :
       {IdentityOf(projectPath), IdentityOf(SidecarPath(projectPath)),
        report ? report->Identity() : std::nullopt})
    if (file) leaveOut.push_back(*file);
  const int crcAlone = CrcAlone(opened.project);
  const bool signatureUnchecked =
      opened.project.Published() && opened.project.Published()->clearsigned;

  const bool several = folders.size() > 1;
  std::vector<std::string> labels;
  std::vector<std::unique_ptr<CopyCheck>> copies;
  for (std::size_t i = 0; i < folders.size(); ++i) {
    answers.folder = folders[i];
    answers.label = several ? FieldText(folders[i], true) : std::string();
    labels.push_back(answers.label);
    // Each copy its own session; the last takes over the opened one instead of copying it.
    copies.push_back(
        std::make_unique<CopyCheck>(i + 1 < folders.size() ? opened : std::move(opened), answers,
                                    options, console, i, leaveOut));
  }
  if (several) console.Progress().SetLabels(labels);

  const InterruptGuard guard;
  {
    // A read that never returns keeps a run from stopping: past the deadline what was found so
    // far is told and written from here, and the program ends.
    const InterruptDeadline deadline([&] {
      console.Progress().Clear();
      int status = InterruptStatus();
      try {
        const Finding found =
            TellFindings(copies, projectPath, report, crcAlone, signatureUnchecked, console);
        status = found.status;
        if (found.failure) console.Error(found.failure->what());
      } catch (const std::exception& error) {
        console.Error(error.what());
      }
      console.Error("A read that never returned was left unfinished");
      std::fflush(stdout);
      std::_Exit(status);
    });
    std::optional<SleepInhibitor> awake;
    if (!options.noInhibit) {
      std::string why = "kelvane-cli check is verifying " + folders.front();
      for (std::size_t i = 1; i < folders.size(); ++i) why += ", " + folders[i];
      awake.emplace(why);
    }
    RunGroups(DeviceGroups(folders, roots), copies);
  }
  console.Progress().Clear();

  const Finding found =
      TellFindings(copies, projectPath, report, crcAlone, signatureUnchecked, console);
  if (found.failure) throw *found.failure;
  return found.status;
}

}  // namespace kelvane::cli
