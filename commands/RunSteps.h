// What the two long runs, New and CHECK, share: the picker's prompt and the poll between steps.
#pragma once

#include "commands/Session.h"
#include "commands/Shell.h"

namespace kelvane {

inline constexpr char kPickPrompt[] = "Please pick a drive or directory to scan";

// Pumps the window's events (STOP, QUIT, Load and Eject act here), then tells whether the run is
// to end.
inline bool PumpAndPoll(Session& session, Shell& shell) {
  shell.PumpEvents();
  return session.StopRequested;
}

}  // namespace kelvane
