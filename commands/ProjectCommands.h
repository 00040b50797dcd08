// Open and Save: the commands behind the buttons iOpen and iSave.
#pragma once

#include "commands/Session.h"
#include "commands/Shell.h"

namespace kelvane {

// Lets the user pick a project file (starting at ConfigPath) and reads it. Cancel changes
// nothing; once a file is chosen it is the current project file, whether or not it reads.
void iOpenClick(Session& session, Shell& shell);

// Refuses an empty list ("nothing to store") before any dialog; otherwise lets the user pick
// the file (starting at ConfigPath) and writes the project to it. Cancel changes nothing.
void iSaveClick(Session& session, Shell& shell);

}  // namespace kelvane
