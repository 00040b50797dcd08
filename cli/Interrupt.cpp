// The signal flag, the thread that takes the signals, its deadline, and the hold of a save.
#include "cli/Interrupt.h"

#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>

namespace kelvane::cli {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

std::atomic<int> interrupted{0};  // the first signal's number, 0 before any
std::atomic<int> holds{0};        // SignalHolds alive
std::atomic<int> deferred{0};     // a second signal that came during a hold

std::mutex deadlineMutex;
const std::function<void()>* overdue = nullptr;  // the deadline's, while one lives
bool overdueRunning = false;

// As if it had never been caught: its default action ends the program.
[[noreturn]] void DieBy(int signal) {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  ::sigaction(signal, &action, nullptr);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  ::raise(signal);
  ::_exit(128 + signal);
}

// The first signal stops the run; a second ends the program, once no save is under way.
void Take(int signal) {
  int none = 0;
  if (interrupted.compare_exchange_strong(none, signal)) return;
  if (holds.load() > 0)
    deferred = signal;
  else
    DieBy(signal);
}

extern "C" void OnInterrupt(int signal) {
  int none = 0;
  interrupted.compare_exchange_strong(none, signal);
}

}  // namespace

InterruptGuard::InterruptGuard() {
  sigemptyset(&taken_);
  // A program started with a signal ignored (SIGINT in the background of a script, SIGHUP
  // under nohup) keeps ignoring it.
  for (const int signal : kSignals) {
    struct sigaction current {};
    if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler != SIG_IGN)
      sigaddset(&taken_, signal);
  }
  // Blocked here before any other thread starts, so that every thread of the run has them
  // blocked and only the watcher takes them.
  ::pthread_sigmask(SIG_BLOCK, &taken_, &previous_);
  try {
    watcher_ = std::jthread([this](std::stop_token stop) { Watch(stop); });
    return;
  } catch (const std::system_error&) {
  }
  // No thread (a limit on processes): a handler, reset by its first call so that a second
  // signal kills at once.
  ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
  handlers_ = true;
  for (int i = 0; i < 3; ++i) {
    if (!sigismember(&taken_, kSignals[i])) continue;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // SA_RESTART: a write to a full pipe goes on instead of losing its bytes to EINTR.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    if (::sigaction(kSignals[i], &action, &previousActions_[i]) != 0)
      throw std::runtime_error(std::string("Cannot catch ") + ::strsignal(kSignals[i]) + ". " +
                               std::strerror(errno));
  }
}

InterruptGuard::~InterruptGuard() {
  if (handlers_) {
    for (int i = 0; i < 3; ++i)
      if (sigismember(&taken_, kSignals[i]))
        ::sigaction(kSignals[i], &previousActions_[i], nullptr);
    return;
  }
  watcher_.request_stop();
  watcher_.join();
  ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

void InterruptGuard::Watch(std::stop_token stop) {
  using Clock = std::chrono::steady_clock;
  std::optional<Clock::time_point> due;
  while (!stop.stop_requested()) {
    timespec slice{0, 50'000'000};
    const int signal = ::sigtimedwait(&taken_, nullptr, &slice);
    if (signal > 0) {
      const bool first = interrupted.load() == 0;
      Take(signal);
      if (first) due = Clock::now() + InterruptDeadline::kGrace;
    }
    if (!due || Clock::now() < *due) continue;
    due.reset();
    std::unique_lock lock(deadlineMutex);
    if (!overdue) continue;
    overdueRunning = true;
    const std::function<void()> run = *overdue;
    lock.unlock();
    run();
  }
}

InterruptDeadline::InterruptDeadline(std::function<void()> onOverdue)
    : onOverdue_(std::move(onOverdue)) {
  const std::lock_guard lock(deadlineMutex);
  overdue = &onOverdue_;
}

InterruptDeadline::~InterruptDeadline() {
  std::unique_lock lock(deadlineMutex);
  overdue = nullptr;
  // The program ends on the watcher's thread.
  while (overdueRunning) {
    lock.unlock();
    ::pause();
    lock.lock();
  }
}

SignalHold::SignalHold() {
  ++holds;
  // In a program without the watcher the signals themselves wait; SIGQUIT always does.
  sigset_t held;
  sigemptyset(&held);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&held, signal);
  ::pthread_sigmask(SIG_BLOCK, &held, &previous_);
}

SignalHold::~SignalHold() {
  // What came meanwhile is delivered here.
  ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
  if (--holds == 0 && deferred.load() != 0) DieBy(deferred.load());
}

bool InterruptRequested() {
  return interrupted.load() != 0;
}

int InterruptStatus() {
  const int signal = interrupted.load();
  return 128 + (signal != 0 ? signal : SIGINT);
}

}  // namespace kelvane::cli
