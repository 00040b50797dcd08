// The small commands of the list and the STOP, Clear and Reset buttons.
#pragma once

#include "commands/Session.h"

namespace kelvane {

// Shows the stored values of the clicked (selected) entry in the status lines.
void CheckListTheClick(Session& session, int index);
// The widget has just toggled the entry's box: its selection flag follows the new state.
void CheckListTheClickCheck(Session& session, int index);
void StopClick(Session& session);
void clearClick(Session& session);
// Check states back to the flags; refuses (and changes nothing) while the counts differ.
void resetClick(Session& session);

}  // namespace kelvane
