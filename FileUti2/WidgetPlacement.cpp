// CenterOnScreen for a QWidget, over the screen geometry of the widget's own screen.
#include "FileUti2/WidgetPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "FileUti2/VCLUtils.h"

namespace kelvane {

void CenterOnScreen(QWidget& window) {
  QScreen* screen = window.screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;  // no screen at all: nothing to centre on
  const QRect area = screen->geometry();
  // The frame size, because move() places the frame of a top-level window.
  const QSize size = window.frameGeometry().size();
  const TRect place = CenterOnScreen(size.width(), size.height(), area.width(), area.height());
  window.move(area.x() + place.Left, area.y() + place.Top);
}

}  // namespace kelvane
