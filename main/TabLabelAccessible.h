// What a screen reader learns from a TabLabel: a label whose name is its current text.
#pragma once

#include <QAccessibleWidget>

namespace kelvane {

class TabLabel;

class TabLabelAccessible : public QAccessibleWidget {
 public:
  explicit TabLabelAccessible(TabLabel* label);

  QString text(QAccessible::Text kind) const override;

  // Makes QAccessible use this interface for every TabLabel; safe to call again.
  static void Install();
};

}  // namespace kelvane
