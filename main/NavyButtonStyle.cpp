// NavyButtonStyle over Fusion: the pressed panel and the focus frame drawn here, the rest by
// Fusion.
#include "main/NavyButtonStyle.h"

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

void NavyButtonStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                    QPainter* painter, const QWidget* widget) const {
  if (element == PE_FrameFocusRect) {
    DrawFocusFrame(painter, option->rect);
    return;
  }
  QProxyStyle::drawPrimitive(element, option, painter, widget);
}

}  // namespace kelvane
