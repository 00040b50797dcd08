// Open and Save: the commands behind the buttons iOpen and iSave.
#pragma once

#include <string>

#include "commands/Session.h"
#include "commands/Shell.h"

namespace kelvane {

// Reads fileName as Open does once it is chosen: a project, or a checksum list another tool
// published. fileName is the current project file from then on, whether or not it reads.
void OpenFile(Session& session, const std::string& fileName);

// Lets the user pick a project file (starting at ConfigPath) and reads it. Cancel changes
// nothing; once a file is chosen it is the current project file, whether or not it reads.
// Returns whether a file was read.
bool iOpenClick(Session& session, Shell& shell);

// Refuses an empty list ("nothing to store") and a published list (CheckSavable) before any
// dialog; otherwise lets the user pick
// the file (starting at ConfigPath) and writes the project to it. Cancel changes nothing.
// Returns whether the project was written.
bool iSaveClick(Session& session, Shell& shell);

}  // namespace kelvane
