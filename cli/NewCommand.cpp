// kelvane-cli new SOURCE PROJECT: the window's New, then its Save.
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <exception>
#include <optional>
#include <stdexcept>
#include <string>

#include "FileUti2/ReplaceFile.h"
#include "cksummer/FileChecksums.h"
#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "cli/PathArguments.h"
#include "cli/ProgressLine.h"
#include "cli/SleepInhibitor.h"
#include "cli/TerminalShell.h"
#include "cli/TerminalText.h"
#include "commands/EntryPath.h"
#include "commands/NewList.h"
#include "commands/ProjectCommands.h"

namespace kelvane::cli {

namespace {

constexpr char kLeftOut[] = "File(s) left out";

// The verdict of a New: "Written /srv/p.cfg: 120 file(s), 4.5 MiB", the bytes of the files as
// they are now.
std::string WrittenText(const Project& project, const std::string& folder) {
  std::int64_t bytes = 0;
  for (int i = 0; i < project.Count(); ++i) {
    struct stat st {};
    if (::stat(ResolveEntry(folder, project.Entry(i)).path.c_str(), &st) == 0) bytes += st.st_size;
  }
  return "Written " + FieldText(project.ConfigPath(), true) + ": " +
         std::to_string(project.Count()) + " file(s), " + FormatBytes(bytes);
}

}  // namespace

int RunNew(const Options& options, Console& console) {
  Session session;
  ShellAnswers answers;
  answers.folder = ExistingFolder(options.operands[0]);
  answers.projectPath = AbsolutePath(options.operands[1]);
  // A project that cannot be written fails now, not after every file of the tree was read.
  try {
    (void)SaveTarget(answers.projectPath);
  } catch (const std::exception& error) {
    throw CliError(kExitCannotWrite, error.what());
  }
  // New shows how far it got once the entries are listed: as many as the values it has stored.
  RunProgress progress(
      session.project, answers.folder, [&session] { return session.project.ValueCount(); },
      console.Progress());
  // The project file may be written into the tree it lists: it is no file of the distribution.
  session.LeaveOutOfNew = answers.projectPath;
  session.ReadSequential = options.sequential;
  session.Sha256Sums = !options.noSha256;
  TerminalShell shell(session, console, answers, &progress);
  bool leftOut = false;
  shell.onMessage = [&console, &leftOut](const std::string& text) {
    // Files missing from the project are a fault of the project, not news of the run.
    if (text.rfind(kLeftOut, 0) == 0) {
      leftOut = true;
      console.Error(text);
    } else {
      console.Notice(text);
    }
  };

  const InterruptGuard guard;
  try {
    // After a signal nothing is written: a read that never returns is not waited for.
    const InterruptDeadline deadline([&console] {
      console.Progress().Clear();
      console.Error("A read that never returned was left unfinished");
      std::_Exit(InterruptStatus());
    });
    // No sleep in the middle: a stick is often lost and found again on resume.
    std::optional<SleepInhibitor> awake;
    if (!options.noInhibit)
      awake.emplace("kelvane-cli new is reading every file of " + answers.folder);
    iNewClick(session, shell);
  } catch (const CRC32Error& error) {
    // The system's text, then why, which a box need not tell but a terminal's user wants.
    throw CliError(kExitUnreadable, error.Reason().empty()
                                        ? error.what()
                                        : std::string(error.what()) + " (" + error.Reason() + ")");
  }
  console.Progress().Clear();
  // A project cut short is not the tree: it is not written.
  if (InterruptRequested()) return InterruptStatus();

  try {
    // A Ctrl+C now waits for the save to end: it never leaves half a file or a temporary one.
    const SignalHold hold;
    iSaveClick(session, shell);
  } catch (const std::exception& error) {
    throw CliError(InterruptRequested() ? InterruptStatus() : kExitCannotWrite, error.what());
  }
  if (InterruptRequested()) return InterruptStatus();
  if (!console.Quiet()) console.Notice(WrittenText(session.project, answers.folder));
  // A pipeline must notice a project that lacks part of the tree.
  return leftOut ? kExitUnreadable : kExitValid;
}

}  // namespace kelvane::cli
