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

// R moved, never resized, so that it lies on a ScreenWidth x ScreenHeight screen. The right
// edge is brought in first and the left edge last, so a rectangle wider than the screen ends at
// left 0 (and likewise vertically: top 0).
TRect MoveRectIntoScreen(TRect R, int ScreenWidth, int ScreenHeight);

// The place of a Width x Height window centred on the screen: left = max(0, (W - Width) / 2),
// top = max(0, (H - Height) / 2), the divisions truncating.
TRect CenterOnScreen(int Width, int Height, int ScreenWidth, int ScreenHeight);

}  // namespace kelvane
