// NavyButtonStyle over Fusion: the pressed panel, the focus frames and the list's current row
// drawn here, the rest by Fusion.
#include "main/NavyButtonStyle.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOptionToolButton>

namespace kelvane {

namespace {

// White stands out from navy and from the lime and yellow captions alike.
const QColor kFocusFrame(255, 255, 255);

void DrawFocusFrame(QPainter* painter, const QRect& rect) {
  painter->save();
  painter->setPen(QPen(kFocusFrame, 1, Qt::DotLine));
  painter->setBrush(Qt::NoBrush);
  painter->drawRect(rect.adjusted(1, 1, -2, -2));
  painter->restore();
}

}  // namespace

NavyButtonStyle::NavyButtonStyle() : QProxyStyle(QStyleFactory::create("Fusion")) {}

NavyButtonStyle* NavyButtonStyle::Instance() {
  static NavyButtonStyle* style = [] {
    auto* created = new NavyButtonStyle;
    created->setParent(qApp);  // freed with the application, after every window
    return created;
  }();
  return style;
}

void NavyButtonStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                         QPainter* painter, const QWidget* widget) const {
  const auto* button = qstyleoption_cast<const QStyleOptionToolButton*>(option);
  if (control != CC_ToolButton || !button) {
    QProxyStyle::drawComplexControl(control, option, painter, widget);
    return;
  }
  QStyleOptionToolButton plain = *button;
  plain.state &= ~State_HasFocus;  // Fusion's own frame is a dark blue that navy swallows
  if (button->state & (State_Sunken | State_On)) {
    // Inverted: the caption's colour fills the panel, the caption turns navy.
    const QColor caption = button->palette.color(QPalette::ButtonText);
    painter->fillRect(button->rect, caption);
    plain.palette.setColor(QPalette::ButtonText, button->palette.color(QPalette::Window));
    plain.state &= ~(State_Sunken | State_On | State_MouseOver | State_Raised);
  }
  QProxyStyle::drawComplexControl(control, &plain, painter, widget);
  if (button->state & State_HasFocus) DrawFocusFrame(painter, button->rect);
}

void NavyButtonStyle::drawControl(ControlElement element, const QStyleOption* option,
                                  QPainter* painter, const QWidget* widget) const {
  if (element != CE_ItemViewItem || !(option->state & State_HasFocus)) {
    QProxyStyle::drawControl(element, option, painter, widget);
    return;
  }
  // The current row of a list that has the keyboard (only then is it marked as focused): a solid
  // white outline round the whole row, where Fusion's faint ring is lost on navy.
  const auto* item = qstyleoption_cast<const QStyleOptionViewItem*>(option);
  if (!item) return QProxyStyle::drawControl(element, option, painter, widget);
  QStyleOptionViewItem plain = *item;
  plain.state &= ~State_HasFocus;
  QProxyStyle::drawControl(element, &plain, painter, widget);
  painter->save();
  painter->setPen(QPen(kFocusFrame, 1));
  painter->setBrush(Qt::NoBrush);
  painter->drawRect(item->rect.adjusted(0, 0, -1, -1));
  painter->restore();
}

void NavyButtonStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                    QPainter* painter, const QWidget* widget) const {
  if (element == PE_Frame && qobject_cast<const QAbstractItemView*>(widget) &&
      (option->state & State_HasFocus)) {
    // A list with the keyboard: its frame white, where Fusion keeps the same grey.
    painter->save();
    painter->setPen(QPen(kFocusFrame, 1));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
    painter->restore();
    return;
  }
  if (element == PE_FrameFocusRect) {
    DrawFocusFrame(painter, option->rect);
    return;
  }
  QProxyStyle::drawPrimitive(element, option, painter, widget);
}

}  // namespace kelvane
