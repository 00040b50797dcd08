// The SIGINT flag and its guard.
#include "cli/Interrupt.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace kelvane::cli {

namespace {

volatile sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) {
  interrupted = 1;
}

}  // namespace

InterruptGuard::InterruptGuard() {
  // A program started with SIGINT ignored (in the background of a script) keeps ignoring it.
  struct sigaction current {};
  if (::sigaction(SIGINT, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) return;
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // SA_RESTART: a write to a full pipe goes on instead of losing its bytes to EINTR.
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  if (::sigaction(SIGINT, &action, &previous_) != 0)
    throw std::runtime_error(std::string("Cannot catch SIGINT. ") + std::strerror(errno));
  installed_ = true;
}

InterruptGuard::~InterruptGuard() {
  if (installed_) ::sigaction(SIGINT, &previous_, nullptr);
}

SignalHold::SignalHold() {
  sigset_t held;
  sigemptyset(&held);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&held, signal);
  ::sigprocmask(SIG_BLOCK, &held, &previous_);
}

SignalHold::~SignalHold() {
  // What came meanwhile is delivered here.
  ::sigprocmask(SIG_SETMASK, &previous_, nullptr);
}

bool InterruptRequested() {
  return interrupted != 0;
}

}  // namespace kelvane::cli
