// The three commands of kelvane-cli; each returns the exit status or throws CliError.
#pragma once

#include "cli/Console.h"
#include "cli/Options.h"
#include "commands/Session.h"
#include "commands/Shell.h"

namespace kelvane::cli {

// New on SOURCE, then Save to PROJECT.
int RunNew(const Options& options, Console& console);
// Open PROJECT, then CHECK on COPY.
int RunCheck(const Options& options, Console& console);
// Open PROJECT, then one line per entry.
int RunList(const Options& options, Console& console);

// Open as the window's button does, with the path the shell's dialog answers: any failure is
// CliError 65.
void OpenProject(Session& session, Shell& shell);

}  // namespace kelvane::cli
