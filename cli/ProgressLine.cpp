// FormatBytes, FormatDuration, ProgressText and the redrawn lines.
#include "cli/ProgressLine.h"

#include <cstdio>

namespace kelvane::cli {

std::string FormatBytes(std::int64_t bytes) {
  static constexpr const char* kUnits[] = {"B", "KiB", "MiB", "GiB", "TiB"};
  double value = static_cast<double>(bytes);
  int unit = 0;
  while (value >= 1024 && unit < 4) {
    value /= 1024;
    ++unit;
  }
  char text[32];
  if (unit == 0)
    std::snprintf(text, sizeof text, "%lld B", static_cast<long long>(bytes));
  else
    std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
  return text;
}

std::string FormatDuration(std::int64_t seconds) {
  char text[32];
  const long long h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
  if (h > 0)
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", h, m, s);
  else
    std::snprintf(text, sizeof text, "%lld:%02lld", m, s);
  return text;
}

std::string ProgressText(const ProgressState& state, std::chrono::duration<double> elapsed) {
  std::string text = "entry " + std::to_string(state.entry) + "/" + std::to_string(state.count) +
                     "  " + FormatBytes(state.done) + " of " + FormatBytes(state.total);
  const double seconds = elapsed.count();
  // No rate before there is something to measure it on: a guess would only mislead.
  if (seconds < 0.5 || state.done <= 0) return text;
  const double rate = static_cast<double>(state.done) / seconds;
  text += "  " + FormatBytes(static_cast<std::int64_t>(rate)) + "/s";
  const std::int64_t left = state.total > state.done ? state.total - state.done : 0;
  text +=
      "  " + FormatDuration(static_cast<std::int64_t>(static_cast<double>(left) / rate)) + " left";
  return text;
}

void ProgressLine::SetLabels(const std::vector<std::string>& labels) {
  const std::lock_guard lock(mutex_);
  ClearLocked();
  slots_.assign(labels.size(), Slot());
  for (std::size_t i = 0; i < labels.size(); ++i) slots_[i].label = labels[i];
}

void ProgressLine::Show(const ProgressState& state, std::size_t slot) {
  if (!enabled_) return;
  const std::lock_guard lock(mutex_);
  if (slot >= slots_.size()) return;
  const Clock::time_point now = Clock::now();
  Slot& shown = slots_[slot];
  if (!shown.started) {
    shown.started = true;
    shown.start = now;
  }
  shown.state = state;
  if (everDrawn_ && now - last_ < std::chrono::milliseconds(100)) return;
  everDrawn_ = true;
  last_ = now;
  // Back to the first line, then each line: its text and an erase of what a longer one left.
  std::string lines = "\r";
  if (drawn_ && slots_.size() > 1) lines += "\033[" + std::to_string(slots_.size() - 1) + "A";
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    const Slot& line = slots_[i];
    if (i > 0) lines += "\n";
    if (!line.label.empty()) lines += line.label + "  ";
    lines += line.started ? ProgressText(line.state, now - line.start) : "waiting";
    lines += "\033[K";
  }
  std::fputs(lines.c_str(), stderr);
  std::fflush(stderr);
  drawn_ = true;
}

void ProgressLine::ClearLocked() {
  if (!drawn_) return;
  std::string erase = "\r";
  if (slots_.size() > 1) erase += "\033[" + std::to_string(slots_.size() - 1) + "A";
  erase += slots_.size() > 1 ? "\033[J" : "\033[K";
  std::fputs(erase.c_str(), stderr);
  std::fflush(stderr);
  drawn_ = false;
}

void ProgressLine::Clear() {
  const std::lock_guard lock(mutex_);
  ClearLocked();
}

void ProgressLine::WriteBetween(const std::function<void()>& write) {
  const std::lock_guard lock(mutex_);
  ClearLocked();
  write();
}

}  // namespace kelvane::cli
