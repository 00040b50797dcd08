// Watches for modal message boxes while a test runs, records them and answers them.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <string>
#include <vector>

namespace kelvane::test {

class BoxWatcher {
 public:
  struct Seen {
    std::string caption;
    std::string text;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton;
    bool onTop;
    bool applicationModal;
  };

  explicit BoxWatcher(QMessageBox::StandardButton answer = QMessageBox::Ok) : answer_(answer) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start(5);
  }

  const std::vector<Seen>& boxes() const { return boxes_; }

 private:
  void Poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    QPushButton* defaultButton = box->defaultButton();
    boxes_.push_back({box->windowTitle().toStdString(), box->text().toStdString(), box->icon(),
                      box->standardButtons(),
                      defaultButton ? box->standardButton(defaultButton) : QMessageBox::NoButton,
                      box->windowFlags().testFlag(Qt::WindowStaysOnTopHint),
                      box->windowModality() == Qt::ApplicationModal});
    if (QAbstractButton* button = box->button(answer_))
      button->click();
    else
      box->reject();
  }

  QMessageBox::StandardButton answer_;
  QTimer timer_;
  std::vector<Seen> boxes_;
};

}  // namespace kelvane::test
