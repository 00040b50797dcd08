// CenterOnScreen on a real window: centred on its screen, never off its top-left corner.
#include <gtest/gtest.h>

#include <cstdlib>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "FileUti2/WidgetPlacement.h"

namespace kelvane {
namespace {

TEST(CenterOnScreenWidget, CentresOnTheWidgetsScreenWithoutResizing) {
  QWidget window;
  window.resize(300, 200);
  CenterOnScreen(window);
  const QRect screen = window.screen()->geometry();
  EXPECT_EQ(window.size(), QSize(300, 200));
  // Centred: equal room left and right (and above and below), up to the odd pixel.
  const QRect frame = window.frameGeometry();
  EXPECT_LE(std::abs((frame.left() - screen.left()) - (screen.right() - frame.right())), 1);
  EXPECT_LE(std::abs((frame.top() - screen.top()) - (screen.bottom() - frame.bottom())), 1);
}

TEST(CenterOnScreenWidget, LargerThanScreenStartsAtItsTopLeft) {
  QWidget window;
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  window.resize(screen.width() + 101, screen.height() + 51);
  CenterOnScreen(window);
  EXPECT_EQ(window.frameGeometry().topLeft(), screen.topLeft());
}

}  // namespace
}  // namespace kelvane
