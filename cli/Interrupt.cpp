// The flag the signals set, and their guard.
#include "cli/Interrupt.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace kelvane::cli {

namespace {

volatile sig_atomic_t interrupted = 0;  // the first signal's number, 0 before any

extern "C" void OnInterrupt(int signal) {
  if (interrupted == 0) interrupted = signal;
}

}  // namespace

InterruptGuard::InterruptGuard() {
  for (int i = 0; i < 3; ++i) {
    // A program started with a signal ignored (SIGINT in the background of a script, SIGHUP
    // under nohup) keeps ignoring it.
    struct sigaction current {};
    if (::sigaction(kSignals[i], nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // SA_RESTART: a write to a full pipe goes on instead of losing its bytes to EINTR.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    if (::sigaction(kSignals[i], &action, &previous_[i]) != 0)
      throw std::runtime_error(std::string("Cannot catch ") + ::strsignal(kSignals[i]) + ". " +
                               std::strerror(errno));
    installed_[i] = true;
  }
}

InterruptGuard::~InterruptGuard() {
  for (int i = 0; i < 3; ++i)
    if (installed_[i]) ::sigaction(kSignals[i], &previous_[i], nullptr);
}

SignalHold::SignalHold() {
  sigset_t held;
  sigemptyset(&held);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&held, signal);
  ::pthread_sigmask(SIG_BLOCK, &held, &previous_);
}

SignalHold::~SignalHold() {
  // What came meanwhile is delivered here.
  ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

bool InterruptRequested() {
  return interrupted != 0;
}

int InterruptStatus() {
  return 128 + (interrupted != 0 ? interrupted : SIGINT);
}

}  // namespace kelvane::cli
