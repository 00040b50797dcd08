// InterruptDeadline: a watcher that looks at the signal flag a few times a second.
#include "cli/InterruptDeadline.h"

#include <chrono>
#include <optional>
#include <system_error>

#include "cli/Interrupt.h"

namespace kelvane::cli {

InterruptDeadline::InterruptDeadline(std::function<void()> onOverdue)
    : onOverdue_(std::move(onOverdue)) {
  try {
    watcher_ = std::jthread([this](std::stop_token stop) { Watch(stop); });
  } catch (const std::system_error&) {
    // No thread (a limit on processes): a read that hangs then holds the run, as it would.
  }
}

InterruptDeadline::~InterruptDeadline() {
  if (!watcher_.joinable()) return;
  watcher_.request_stop();
  watcher_.join();
}

void InterruptDeadline::Watch(std::stop_token stop) {
  using Clock = std::chrono::steady_clock;
  std::optional<Clock::time_point> due;
  std::unique_lock lock(mutex_);
  while (!wake_.wait_for(lock, stop, std::chrono::milliseconds(50), [] { return false; }) &&
         !stop.stop_requested()) {
    if (!due && InterruptRequested()) due = Clock::now() + kGrace;
    if (due && Clock::now() >= *due) {
      lock.unlock();
      onOverdue_();
      return;
    }
  }
}

}  // namespace kelvane::cli
