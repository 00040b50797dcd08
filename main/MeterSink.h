// The progress bar meter as the checksum engine's progress sink.
#pragma once

#include <functional>
#include <utility>

#include "cksummer/ProgressSink.h"

namespace kelvane {

// Keeps the position the engine last set, exactly, and tells the window, which shows it on the
// bar at its next frame (no events are pumped while a file is read, so the window paints then).
class MeterSink : public ProgressSink {
 public:
  explicit MeterSink(std::function<void()> changed) : changed_(std::move(changed)) {}
  void SetPosition(int position) override {
    position_ = position;
    changed_();
  }
  int Position() const { return position_; }

 private:
  std::function<void()> changed_;
  int position_ = 0;
};

}  // namespace kelvane
