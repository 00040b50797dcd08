// FramePacer: when the window next shows what the model holds, and when a pump may skip events.
#pragma once

#include <chrono>

namespace kelvane {

// A run calls the window several times per file (pumps, label texts, check marks) and once per
// block read (the meter). Painting or pumping at every one of those calls made the window a
// hundred times slower than its core. The window has no second thread and no timer, so it
// decides at those very calls, from a monotonic clock: the screen catches up with the model once
// per frame, and the event loop runs at most once per millisecond, which no user can tell from
// at once, or at every 16th pump, so that a click still reaches a run within a few files however
// fast they go. Boxes and the end of a run show the model whatever the clock says.
class FramePacer {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr Clock::duration kFrame = std::chrono::milliseconds(16);  // about 60 per second
  static constexpr Clock::duration kPumpGap = std::chrono::milliseconds(1);
  static constexpr int kPumpsSkipped = 15;  // at most, in a row

  // True, and the frame counted as shown, when a frame has passed since the last one shown.
  bool FrameDue() { return Take(lastFrame_, kFrame); }
  // Notes a frame shown for another reason (a box, the end of a run).
  void FrameShown() { lastFrame_ = Clock::now(); }
  // True, and the pump counted, when the last pump that ran is a millisecond old or more, or
  // the pumps skipped since are as many as may be.
  bool PumpDue() {
    const Clock::time_point now = Clock::now();
    if (now - lastPump_ < kPumpGap && skipped_ < kPumpsSkipped) {
      ++skipped_;
      return false;
    }
    lastPump_ = now;
    skipped_ = 0;
    return true;
  }

 private:
  static bool Take(Clock::time_point& last, Clock::duration gap) {
    const Clock::time_point now = Clock::now();
    if (now - last < gap) return false;
    last = now;
    return true;
  }

  Clock::time_point lastFrame_{};
  Clock::time_point lastPump_{};
  int skipped_ = 0;
};

}  // namespace kelvane
