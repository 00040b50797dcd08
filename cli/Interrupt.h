// Ctrl+C asks a run to stop at its next poll instead of killing the program, so that it can
// still print what it found.
#pragma once

#include <signal.h>

namespace kelvane::cli {

// Catches SIGINT while it lives and puts the previous handling back when it goes. A second
// Ctrl+C kills at once: a file being read is not polled until its end.
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

// Whether Ctrl+C was pressed since the program started.
bool InterruptRequested();

}  // namespace kelvane::cli
