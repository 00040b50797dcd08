// The CHECK command: verifies a copy of the distribution against the loaded project.
#pragma once

#include <string>

#include "commands/Session.h"
#include "commands/Shell.h"

namespace kelvane {

// Picks the folder that holds the copy, recomputes the sums of every selected entry below it,
// marks each entry checked (matched) or grayed (mismatch, unreadable or excluded), asks at every
// mismatch and unreadable file whether to go on, shows the summary and ejects when asked to.
void iCheckClick(Session& session, Shell& shell);

// The summary box's text: errors, valid, checked, skipped and the total.
std::string SummaryText(int errors, int checked, int total);

}  // namespace kelvane
