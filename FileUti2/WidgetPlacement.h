// CenterOnScreen for a real window: the placement arithmetic applied to a QWidget.
#pragma once

class QWidget;

namespace kelvane {

// Moves the top-level window, without resizing it, to the centre of the screen it is on (kept
// on that screen, left and top edges first). Honours the screen's origin, so it works on any
// monitor of a multi-screen desktop.
void CenterOnScreen(QWidget& window);

}  // namespace kelvane
