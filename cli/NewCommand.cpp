// kelvane-cli new SOURCE PROJECT: the window's New, then its Save.
#include <stdexcept>
#include <string>

#include "cksummer/FileChecksums.h"
#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "cli/PathArguments.h"
#include "cli/TerminalShell.h"
#include "commands/NewList.h"
#include "commands/ProjectCommands.h"

namespace kelvane::cli {

namespace {

constexpr char kLeftOut[] = "File(s) left out";

}  // namespace

int RunNew(const Options& options, Console& console) {
  Session session;
  ShellAnswers answers;
  answers.folder = ExistingFolder(options.operands[0]);
  answers.projectPath = AbsolutePath(options.operands[1]);
  // New shows how far it got once the entries are listed: as many as the values it has stored.
  RunProgress progress(
      session.project, answers.folder, [&session] { return session.project.ValueCount(); },
      console.Progress());
  TerminalShell shell(session, console, answers, &progress);
  shell.onMessage = [&console](const std::string& text) {
    // Files missing from the project are a fault of the project, not news of the run.
    if (text.rfind(kLeftOut, 0) == 0)
      console.Error(text);
    else
      console.Notice(text);
  };

  {
    const InterruptGuard guard;
    try {
      iNewClick(session, shell);
    } catch (const CRC32Error& error) {
      throw CliError(kExitUnreadable, error.what());
    }
  }
  console.Progress().Clear();
  // A project cut short is not the tree: it is not written.
  if (InterruptRequested()) return kExitInterrupted;

  try {
    iSaveClick(session, shell);
  } catch (const std::exception& error) {
    throw CliError(kExitCannotWrite, error.what());
  }
  return kExitValid;
}

}  // namespace kelvane::cli
