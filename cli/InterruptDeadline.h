// A run has a second after Ctrl+C, SIGTERM or SIGHUP to reach its next poll. A read that never
// returns (a hung network share, a drive retrying a scratch) can keep it from there; then what is
// known must still be told, and the program must end.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>

namespace kelvane::cli {

class InterruptDeadline {
 public:
  static constexpr std::chrono::milliseconds kGrace{1000};

  // onOverdue runs on a thread of its own when a signal came more than kGrace ago and this
  // object still lives; it is to tell what is known and end the program (it never returns).
  // Without a thread to be had there is no deadline.
  explicit InterruptDeadline(std::function<void()> onOverdue);
  // Once it returns onOverdue never runs; if onOverdue has begun, it waits for the end of the
  // program.
  ~InterruptDeadline();
  InterruptDeadline(const InterruptDeadline&) = delete;
  InterruptDeadline& operator=(const InterruptDeadline&) = delete;

 private:
  void Watch(std::stop_token stop);

  std::function<void()> onOverdue_;
  std::mutex mutex_;
  std::condition_variable_any wake_;
  std::jthread watcher_;  // last: it starts once the rest is there
};

}  // namespace kelvane::cli
