// Moves the meter and repaints it without pumping events.
#include "main/MeterSink.h"

#include <QProgressBar>
#include <algorithm>

namespace kelvane {

void MeterSink::SetPosition(int position) {
  // A position above the range shows a full bar rather than being ignored.
  bar_->setValue(std::clamp(position, bar_->minimum(), bar_->maximum()));
  bar_->repaint();
}

}  // namespace kelvane
