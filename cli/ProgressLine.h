// The progress on stderr: one line per run (one run, or one per copy checked side by side),
// redrawn in place at most ten times a second, each cut to the terminal's width.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

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
// "label  text", made to fit in columns (0: no limit) without reaching the last one: the label
// loses its front first ("...cdrom1"), then the line its end.
std::string FitLine(const std::string& label, const std::string& text, std::size_t columns);

// Safe to use from several threads: the runs draw their lines, the console writes between them.
class ProgressLine {
 public:
  explicit ProgressLine(bool enabled) : enabled_(enabled), slots_(1) {}
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  bool Enabled() const { return enabled_; }
  // One line per label, each led by its label; by default one line without one.
  void SetLabels(const std::vector<std::string>& labels);
  // Redraws the lines with slot's state, unless they were drawn less than 100 ms ago.
  void Show(const ProgressState& state, std::size_t slot = 0);
  // Erases the lines, so that other output starts at the beginning of an empty one.
  void Clear();
  // Erases the lines and writes, so that no line is drawn in the middle of what is written.
  void WriteBetween(const std::function<void()>& write);

 private:
  using Clock = std::chrono::steady_clock;
  struct Slot {
    std::string label;
    bool started = false;  // a state was shown: the run began
    Clock::time_point start;
    ProgressState state;
  };
  void ClearLocked();

  bool enabled_;
  std::mutex mutex_;
  std::vector<Slot> slots_;
  bool drawn_ = false;      // the lines are on the screen now
  bool everDrawn_ = false;  // last_ holds when they were last drawn
  Clock::time_point last_;
};

}  // namespace kelvane::cli
