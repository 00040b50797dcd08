// The main window's controls, found by the object names the layout gives them.
#pragma once

#include <QAbstractButton>
#include <QCheckBox>
#include <QListView>
#include <QProgressBar>
#include <QTest>
#include <QWidget>
#include <stdexcept>
#include <string>

#include "main/TabLabel.h"

namespace kelvane::test {

template <class Widget = QWidget>
Widget& Control(const QWidget& window, const char* name) {
  auto* widget = window.findChild<Widget*>(QString::fromLatin1(name));
  if (!widget) throw std::logic_error(std::string("the window has no control named ") + name);
  return *widget;
}

// Shows the window and waits until it is active, so that keys reach it as the user's would.
inline bool ShowActive(QWidget& window) {
  window.show();
  window.activateWindow();
  return QTest::qWaitForWindowActive(&window);
}

inline QAbstractButton& Button(const QWidget& window, const char* name) {
  return Control<QAbstractButton>(window, name);
}
// Clicks the named button as a user would; a disabled one cannot be clicked, and the test that
// tries has gone wrong.
inline void Click(const QWidget& window, const char* name) {
  QAbstractButton& button = Button(window, name);
  if (!button.isEnabled()) throw std::logic_error(std::string("the button is disabled: ") + name);
  button.click();
}
inline QListView& List(const QWidget& window) {
  return Control<QListView>(window, "CheckList");
}
inline QProgressBar& Meter(const QWidget& window) {
  return Control<QProgressBar>(window, "meter");
}
inline QCheckBox& AutoEjectBox(const QWidget& window) {
  return Control<QCheckBox>(window, "AutoEject");
}
// What a label shows.
inline QString LabelText(const QWidget& window, const char* label) {
  return Control<TabLabel>(window, label).text();
}

}  // namespace kelvane::test
