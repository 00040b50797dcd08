// TabLabelAccessible and the factory that hands it out.
#include "main/TabLabelAccessible.h"

#include "main/TabLabel.h"

namespace kelvane {

namespace {

QAccessibleInterface* MakeInterface(const QString&, QObject* object) {
  auto* label = qobject_cast<TabLabel*>(object);
  return label ? new TabLabelAccessible(label) : nullptr;
}

}  // namespace

TabLabelAccessible::TabLabelAccessible(TabLabel* label)
    : QAccessibleWidget(label, QAccessible::StaticText) {}

QString TabLabelAccessible::text(QAccessible::Text kind) const {
  const auto* label = static_cast<const TabLabel*>(widget());
  switch (kind) {
    case QAccessible::Name:
      // A name the program gave wins; otherwise the text shown, tabs read as spaces.
      if (!label->accessibleName().isEmpty()) return label->accessibleName();
      return QString(label->text()).replace(u'\t', u' ');
    case QAccessible::Description:
      return label->accessibleDescription().isEmpty() ? label->toolTip()
                                                      : label->accessibleDescription();
    default:
      return QAccessibleWidget::text(kind);
  }
}

void TabLabelAccessible::Install() {
  static const bool installed = [] {
    QAccessible::installFactory(MakeInterface);
    return true;
  }();
  (void)installed;
}

}  // namespace kelvane
