// Counts the paint events a widget receives.
#pragma once

#include <QEvent>
#include <QObject>
#include <QWidget>

namespace kelvane::test {

class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

}  // namespace kelvane::test
