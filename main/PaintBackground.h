// The window's background: 256 horizontal bands from a dark red at the top to blue at the bottom.
#pragma once

#include <QColor>
#include <vector>

class QPainter;

namespace kelvane {

// One band covers the rows top to bottom - 1; a band of zero height covers nothing.
struct BackgroundBand {
  int top;
  int bottom;
  QColor colour;
};

// The 256 bands for a window of the given outer height, in painting order.
std::vector<BackgroundBand> BackgroundBands(int height);

// Fills the bands over the window's outer size; what falls outside the client area is clipped.
void PaintBackground(QPainter& painter, int width, int height);

}  // namespace kelvane
