// RunAnnouncer: a widget whose accessible role is a notification.
#include "main/RunAnnouncer.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace kelvane {

namespace {

QAccessibleInterface* MakeInterface(const QString&, QObject* object) {
  auto* announcer = qobject_cast<RunAnnouncer*>(object);
  return announcer ? new QAccessibleWidget(announcer, QAccessible::Notification) : nullptr;
}

}  // namespace

RunAnnouncer::RunAnnouncer(QWidget* parent) : QWidget(parent) {
  static const bool installed = [] {
    QAccessible::installFactory(MakeInterface);
    return true;
  }();
  (void)installed;
  setObjectName("RunAnnouncer");
  setFocusPolicy(Qt::NoFocus);
  setGeometry(0, 0, 1, 1);
}

void RunAnnouncer::Tell(const QString& text) {
  setAccessibleName(text);
  if (!QAccessible::isActive()) return;
  // A notification is spoken as it comes into sight: the bridge hears it show again.
  QAccessibleEvent shown(this, QAccessible::ObjectShow);
  QAccessible::updateAccessibility(&shown);
}

}  // namespace kelvane
