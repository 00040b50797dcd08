// Window placement arithmetic: keeping a rectangle on the screen and centring a window there.
#pragma once

namespace kelvane {

// A rectangle in screen pixels; Right and Bottom lie just past the last column and row.
struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool operator==(const TRect&) const = default;
};

// rect moved, never resized, so that it lies on a screenWidth x screenHeight screen. The right
// edge is brought in first and the left edge last, so a rectangle wider than the screen ends at
// left 0 (and likewise vertically: top 0).
TRect MoveRectIntoScreen(TRect rect, int screenWidth, int screenHeight);

// The place of a width x height window centred on the screen: left = max(0, (W - width) / 2),
// top = max(0, (H - height) / 2), the divisions truncating.
TRect CenterOnScreen(int width, int height, int screenWidth, int screenHeight);

}  // namespace kelvane
