// The one progress line on stderr: redrawn in place, at most ten times a second.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace kelvane::cli {

struct ProgressState {
  int entry = 0;  // from 1
  int count = 0;
  std::int64_t done = 0;  // bytes
  std::int64_t total = 0;
};

// "1.5 MiB", "512 B".
std::string FormatBytes(std::int64_t bytes);
// "0:42", "1:02:03".
std::string FormatDuration(std::int64_t seconds);
// The line without its redraw codes; elapsed is the time since the run began.
std::string ProgressText(const ProgressState& state, std::chrono::duration<double> elapsed);

class ProgressLine {
 public:
  explicit ProgressLine(bool enabled) : enabled_(enabled) {}
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  bool Enabled() const { return enabled_; }
  // Redraws the line unless it was drawn less than 100 ms ago.
  void Show(const ProgressState& state);
  // Erases the line, so that other output starts at the beginning of an empty one.
  void Clear();

 private:
  using Clock = std::chrono::steady_clock;
  bool enabled_;
  bool drawn_ = false;
  bool started_ = false;
  Clock::time_point start_;
  Clock::time_point last_;
};

}  // namespace kelvane::cli
