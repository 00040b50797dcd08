// Accessibility switched on in a test program as a screen reader's bridge would switch it on (the
// offscreen platform has none), with every event handed to the test.
#pragma once

#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <QAccessible>

namespace kelvane::test {

// Until the next call; nullptr stops handing events on.
inline void ListenToAccessibility(QAccessible::UpdateHandler handler) {
  if (handler) QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
  QAccessible::installUpdateHandler(handler);
}

}  // namespace kelvane::test
