// Ctrl+C, SIGTERM (a service manager stopping the job) and SIGHUP (a closed terminal) ask a run to
// stop at its next poll instead of killing the program, so that it can still print what it found
// and write its report.
#pragma once

#include <signal.h>

namespace kelvane::cli {

// Catches SIGINT, SIGTERM and SIGHUP while it lives and puts the previous handling back when it
// goes. A second one of them kills at once.
class InterruptGuard {
 public:
  InterruptGuard();
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

 private:
  static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
  struct sigaction previous_[3] = {};
  bool installed_[3] = {};
};

// Holds those signals (and SIGQUIT) while it lives, so that what it guards (a save) ends or rolls
// back before any of them takes effect. Under an InterruptGuard, a signal held here is seen by
// InterruptRequested afterwards.
class SignalHold {
 public:
  SignalHold();
  ~SignalHold();
  SignalHold(const SignalHold&) = delete;
  SignalHold& operator=(const SignalHold&) = delete;

 private:
  sigset_t previous_{};
};

// Whether one of them came since the program started.
bool InterruptRequested();

// The exit status of a run they stopped: 128 + the number of the first that came (130 for
// Ctrl+C, 143 for SIGTERM, 129 for SIGHUP).
int InterruptStatus();

}  // namespace kelvane::cli
