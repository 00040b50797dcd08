// A transparent label that expands tabs to tab stops and sizes itself to its text.
#pragma once

#include <QString>
#include <QWidget>

namespace kelvane {

class TabLabel : public QWidget {
  Q_OBJECT

 public:
  // A left-aligned label keeps its left edge at x; a right-aligned one keeps its right edge there.
  TabLabel(QWidget* parent, int x, int y, bool rightAligned = false);

  QString text() const { return text_; }
  void setText(const QString& text);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  int Flags() const;
  void FitToText();

  QString text_;
  int anchorX_;
  bool rightAligned_;
};

}  // namespace kelvane
