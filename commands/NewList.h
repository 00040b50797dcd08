// The New command: a fresh project from every file below a picked folder.
#pragma once

#include "commands/Session.h"
#include "commands/Shell.h"

namespace kelvane {

// Picks the source folder, lists every file below it, then computes and stores each file's sums.
// STOP ends it early and the unfinished entries are removed; a file that cannot be read ends it
// with that file's error, leaving the entries it did not finish in place.
void iNewClick(Session& session, Shell& shell);

}  // namespace kelvane
