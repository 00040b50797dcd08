// The main window's controls on the dark navy background: a focus frame that shows there, a
// pressed button drawn inverted (the caption's colour as the panel), clearly apart from the dark
// panel under the mouse, and the check list's frame and current row marked in white while the
// list has the keyboard.
#pragma once

#include <QProxyStyle>

namespace kelvane {

class NavyButtonStyle : public QProxyStyle {
 public:
  NavyButtonStyle();

  // The one instance the window's buttons share; it lives as long as the application.
  static NavyButtonStyle* Instance();

  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                          QPainter* painter, const QWidget* widget = nullptr) const override;
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget = nullptr) const override;
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
};

}  // namespace kelvane
