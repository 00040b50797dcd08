// The banded background of the main window.
#include "main/PaintBackground.h"

#include <QPainter>

namespace kelvane {

std::vector<BackgroundBand> BackgroundBands(int height) {
  std::vector<BackgroundBand> bands;
  bands.reserve(256);
  for (int i = 0; i < 256; ++i) {
    // 64-bit products: the division must be exact for any window height.
    const int top = static_cast<int>(static_cast<long long>(i) * height / 256);
    const int bottom = static_cast<int>(static_cast<long long>(i + 1) * height / 256);
    bands.push_back({top, bottom, QColor(32, 0, 32 * (i / 32))});
  }
  return bands;
}

void PaintBackground(QPainter& painter, int width, int height) {
  for (const BackgroundBand& band : BackgroundBands(height))
    if (band.bottom > band.top)
      painter.fillRect(0, band.top, width, band.bottom - band.top, band.colour);
}

}  // namespace kelvane
