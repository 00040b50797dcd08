// FormatBytes, FormatDuration, ProgressText and the redrawn lines.
#include "cli/ProgressLine.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
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

namespace {

// A UTF-8 continuation byte belongs to the character before it.
bool StartsCharacter(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
}

// Characters, not bytes: a UTF-8 sequence counts once.
std::size_t Characters(const std::string& text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), StartsCharacter));
}

// The first characters of text.
std::string First(const std::string& text, std::size_t characters) {
  std::size_t seen = 0;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (StartsCharacter(text[i]) && seen++ == characters) return text.substr(0, i);
  return text;
}

// The last characters of text.
std::string Last(const std::string& text, std::size_t characters) {
  const std::size_t total = Characters(text);
  return total <= characters ? text : text.substr(First(text, total - characters).size());
}

// The terminal's width on stderr; 0 when it has none.
std::size_t TerminalColumns() {
  winsize size{};
  if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0) return 0;
  return size.ws_col;
}

}  // namespace

std::string FitLine(const std::string& label, const std::string& text, std::size_t columns) {
  const std::string full = label.empty() ? text : label + "  " + text;
  // The last column stays empty: a line that fills it makes some terminals wrap, and the redraw
  // would then climb one line short.
  if (columns == 0 || Characters(full) < columns) return full;
  const std::size_t room = columns - 1;
  // The end of a copy's path tells the copies apart (/media/cdrom0, /media/cdrom1): a label
  // gives way from its front before the figures are cut.
  const std::size_t textAndGap = Characters(text) + 2 + 3;
  if (!label.empty() && room >= textAndGap + 4)
    return "..." + Last(label, room - textAndGap) + "  " + text;
  return First(full, room);
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
  const std::size_t columns = TerminalColumns();
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    const Slot& line = slots_[i];
    if (i > 0) lines += "\n";
    lines += FitLine(
        line.label, line.started ? ProgressText(line.state, now - line.start) : "waiting", columns);
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
