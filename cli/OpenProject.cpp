// OpenProject: the window's Open, its failures turned into exit status 65.
#include <exception>

#include "cli/CliError.h"
#include "cli/Commands.h"
#include "commands/ProjectCommands.h"

namespace kelvane::cli {

void OpenProject(Session& session, Shell& shell) {
  try {
    iOpenClick(session, shell);
  } catch (const std::exception& error) {
    throw CliError(kExitBadProject, error.what());
  }
}

}  // namespace kelvane::cli
