// FormatBytes, FormatDuration, ProgressText and the redrawn line.
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

void ProgressLine::Show(const ProgressState& state) {
  if (!enabled_) return;
  const Clock::time_point now = Clock::now();
  if (!started_) {
    started_ = true;
    start_ = now;
  } else if (now - last_ < std::chrono::milliseconds(100)) {
    return;
  }
  last_ = now;
  // Carriage return, the text, then erase what a longer earlier line left.
  std::fprintf(stderr, "\r%s\033[K", ProgressText(state, now - start_).c_str());
  std::fflush(stderr);
  drawn_ = true;
}

void ProgressLine::Clear() {
  if (!drawn_) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  drawn_ = false;
}

}  // namespace kelvane::cli
