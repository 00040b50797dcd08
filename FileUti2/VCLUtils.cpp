// MoveRectIntoScreen and the centring arithmetic of CenterOnScreen.
#include "FileUti2/VCLUtils.h"

namespace kelvane {

namespace {

TRect Offset(TRect R, int dx, int dy) {
  return {R.Left + dx, R.Top + dy, R.Right + dx, R.Bottom + dy};
}

}  // namespace

TRect MoveRectIntoScreen(TRect R, int ScreenWidth, int ScreenHeight) {
  // Left and top are tested last so that they win: the window's title bar and its left edge,
  // where its controls begin, stay reachable even when it is larger than the screen.
  if (R.Right > ScreenWidth) R = Offset(R, ScreenWidth - R.Right, 0);
  if (R.Left < 0) R = Offset(R, -R.Left, 0);
  if (R.Bottom > ScreenHeight) R = Offset(R, 0, ScreenHeight - R.Bottom);
  if (R.Top < 0) R = Offset(R, 0, -R.Top);
  return R;
}

TRect CenterOnScreen(int Width, int Height, int ScreenWidth, int ScreenHeight) {
  const int left = (ScreenWidth - Width) / 2;
  const int top = (ScreenHeight - Height) / 2;
  return MoveRectIntoScreen({left, top, left + Width, top + Height}, ScreenWidth, ScreenHeight);
}

}  // namespace kelvane
