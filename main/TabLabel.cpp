// A label drawn with expanded tabs: QLabel would show a tab as a plain space.
#include "main/TabLabel.h"

#include <algorithm>

#include <QAccessible>
#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

#include "main/TabLabelAccessible.h"

namespace kelvane {

TabLabel::TabLabel(QWidget* parent, int x, int y, bool rightAligned)
    : QWidget(parent), anchorX_(x), rightAligned_(rightAligned) {
  TabLabelAccessible::Install();
  move(x, y);
  FitToText();
}

void TabLabel::setText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  FitToText();
  update();
  // A screen reader reads the label's text as its name: tell it the name changed.
  QAccessibleEvent changed(this, QAccessible::NameChanged);
  QAccessible::updateAccessibility(&changed);
}

int TabLabel::Flags() const {
  return Qt::TextExpandTabs | Qt::AlignTop | (rightAligned_ ? Qt::AlignRight : Qt::AlignLeft);
}

QSize TabLabel::sizeHint() const {
  const QFontMetrics metrics(font());
  const QSize size = metrics.boundingRect(QRect(0, 0, 100000, 100000), Flags(), text_).size();
  // An empty label keeps the height of one line, as a caption would.
  return QSize(size.width(), std::max(size.height(), metrics.height()));
}

void TabLabel::FitToText() {
  const QSize size = sizeHint();
  const int left = rightAligned_ ? anchorX_ - size.width() : anchorX_;
  setGeometry(left, y(), size.width(), size.height());
}

void TabLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(rect(), Flags(), text_);
}

void TabLabel::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) FitToText();
  QWidget::changeEvent(event);
}

}  // namespace kelvane
