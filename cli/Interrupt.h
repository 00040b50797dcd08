// Ctrl+C asks a run to stop at its next poll instead of killing the program, so that it can
// still print what it found.
#pragma once

#include <signal.h>

namespace kelvane::cli {

// Catches SIGINT while it lives and puts the previous handling back when it goes. A second
// Ctrl+C kills at once: a read that hangs on a device never reaches the next poll.
class InterruptGuard {
 public:
  InterruptGuard();
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

 private:
  struct sigaction previous_ {};
  bool installed_ = false;
};

// Holds Ctrl+C (and the signals that end a program from outside: SIGTERM, SIGHUP, SIGQUIT)
// while it lives, so that what it guards (a save) ends or rolls back before any of them takes
// effect. Under an InterruptGuard, a Ctrl+C held here is seen by InterruptRequested afterwards.
class SignalHold {
 public:
  SignalHold();
  ~SignalHold();
  SignalHold(const SignalHold&) = delete;
  SignalHold& operator=(const SignalHold&) = delete;

 private:
  sigset_t previous_{};
};

// Whether Ctrl+C was pressed since the program started.
bool InterruptRequested();

}  // namespace kelvane::cli
