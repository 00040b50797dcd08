// MoveRectIntoScreen and the centring arithmetic of CenterOnScreen.
#include "FileUti2/VCLUtils.h"

namespace kelvane {

namespace {

TRect Offset(TRect rect, int dx, int dy) {
  return {rect.Left + dx, rect.Top + dy, rect.Right + dx, rect.Bottom + dy};
}

}  // namespace

TRect MoveRectIntoScreen(TRect rect, int screenWidth, int screenHeight) {
  // Left and top are tested last so that they win: the window's title bar and its left edge,
  // where its controls begin, stay reachable even when it is larger than the screen.
  if (rect.Right > screenWidth) rect = Offset(rect, screenWidth - rect.Right, 0);
  if (rect.Left < 0) rect = Offset(rect, -rect.Left, 0);
  if (rect.Bottom > screenHeight) rect = Offset(rect, 0, screenHeight - rect.Bottom);
  if (rect.Top < 0) rect = Offset(rect, 0, -rect.Top);
  return rect;
}

TRect CenterOnScreen(int width, int height, int screenWidth, int screenHeight) {
  const int left = (screenWidth - width) / 2;
  const int top = (screenHeight - height) / 2;
  return MoveRectIntoScreen({left, top, left + width, top + height}, screenWidth, screenHeight);
}

}  // namespace kelvane
