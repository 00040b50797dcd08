// The progress bar meter as the checksum engine's progress sink.
#pragma once

#include "cksummer/ProgressSink.h"

class QProgressBar;

namespace kelvane {

class MeterSink : public ProgressSink {
 public:
  explicit MeterSink(QProgressBar* bar) : bar_(bar) {}
  // Shows at once with repaint(): no events are pumped while a file is read.
  void SetPosition(int position) override;

 private:
  QProgressBar* bar_;
};

}  // namespace kelvane
