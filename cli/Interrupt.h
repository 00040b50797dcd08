// Ctrl+C, SIGTERM (a service manager stopping the job) and SIGHUP (a closed terminal) ask a run to
// stop at its next poll instead of killing the program, so that it can still print what it found
// and write its report. A read that never returns (a hung network share, a drive retrying a
// scratch) may keep the run from that poll: a second later, what is known is told all the same.
#pragma once

#include <signal.h>

#include <chrono>
#include <functional>
#include <thread>

namespace kelvane::cli {

// While it lives those signals are taken by a thread of its own (sigtimedwait), so that one is
// seen whatever the other threads are stuck in; a second one kills at once (after a SignalHold).
// Without a thread to be had, a handler takes them instead. The previous handling comes back when
// it goes.
class InterruptGuard {
 public:
  InterruptGuard();
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

 private:
  void Watch(std::stop_token stop);

  sigset_t taken_{};     // the signals of the three not ignored when the program started
  sigset_t previous_{};  // the thread's mask before
  struct sigaction previousActions_[3] = {};
  bool handlers_ = false;  // no thread: handlers installed
  std::jthread watcher_;
};

// While it lives, onOverdue runs on the guard's thread when a signal came more than kGrace ago:
// it is to tell what is known and end the program (it never returns). Once the destructor
// returns, onOverdue never runs; if it has begun, the destructor waits for the end of the
// program. Without the guard's thread there is no deadline.
class InterruptDeadline {
 public:
  static constexpr std::chrono::milliseconds kGrace{1000};
  explicit InterruptDeadline(std::function<void()> onOverdue);
  ~InterruptDeadline();
  InterruptDeadline(const InterruptDeadline&) = delete;
  InterruptDeadline& operator=(const InterruptDeadline&) = delete;

 private:
  std::function<void()> onOverdue_;
};

// Holds the effect of a second signal while it lives, so that what it guards (a save) ends or
// rolls back before the program does; SIGQUIT waits too. Under an InterruptGuard, a first signal
// that comes meanwhile is seen by InterruptRequested afterwards.
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
