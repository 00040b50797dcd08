// A user at the screen during a GUI test: answers whatever modal window comes up, the folder
// picker with the next queued folder, a file dialog with the next file name, a message box with
// the next queued answer. Everything seen is recorded, so that a box or dialog that should not
// have come shows up in the test.
#pragma once

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "FileUti2/FolderBrowserDialog.h"

namespace kelvane::test {

class User {
 public:
  struct Box {
    std::string caption;
    std::string text;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton;
    bool onTop;
    bool applicationModal;
  };

  // usual: the answer to a box when none is queued; NoButton: Yes where the box has it, else
  // OK. A box without the button answered is closed, as Escape would.
  // intervalMs 0: a look at every turn of the event loop, the run's pumps included.
  explicit User(QMessageBox::StandardButton usual = QMessageBox::NoButton, int intervalMs = 5)
      : usual_(usual) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Look(); });
    timer_.start(intervalMs);
  }

  std::deque<std::string> folders;
  std::deque<std::string> fileNames;
  std::deque<QMessageBox::StandardButton> answers;
  std::vector<Box> boxes;
  std::vector<std::string> unexpected;
  // Runs at every look, modal window or not (a user's hand on a button during a run).
  std::function<void()> meanwhile;
  // Runs at each box before it is answered (what the window shows behind it, say).
  std::function<void(const QMessageBox&)> atBox;

 private:
  void Look() {
    if (meanwhile) meanwhile();
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible()) return;
    if (auto* picker = qobject_cast<FolderBrowserDialog*>(modal)) return Pick(*picker);
    if (auto* files = qobject_cast<QFileDialog*>(modal)) return Name(*files);
    if (auto* box = qobject_cast<QMessageBox*>(modal)) return Answer(*box);
  }

  void Pick(FolderBrowserDialog& picker) {
    if (folders.empty()) {
      unexpected.push_back("folder picker at " + picker.CurrentPath());
      picker.reject();
      return;
    }
    picker.SelectFolder(folders.front());
    // OK comes on once the tree has the folder as its current item.
    if (!picker.OkButton()->isEnabled()) return;
    folders.pop_front();
    picker.OkButton()->click();
  }

  void Name(QFileDialog& dialog) {
    if (fileNames.empty()) {
      unexpected.push_back("file dialog");
      dialog.reject();
      return;
    }
    dialog.findChild<QLineEdit*>("fileNameEdit")
        ->setText(QString::fromStdString(fileNames.front()));
    fileNames.pop_front();
    static_cast<QDialog&>(dialog).accept();
  }

  void Answer(QMessageBox& box) {
    if (atBox) atBox(box);
    QPushButton* defaultButton = box.defaultButton();
    boxes.push_back({box.windowTitle().toStdString(), box.text().toStdString(), box.icon(),
                     box.standardButtons(),
                     defaultButton ? box.standardButton(defaultButton) : QMessageBox::NoButton,
                     box.windowFlags().testFlag(Qt::WindowStaysOnTopHint),
                     box.windowModality() == Qt::ApplicationModal});
    QMessageBox::StandardButton answer = usual_;
    if (!answers.empty()) {
      answer = answers.front();
      answers.pop_front();
    } else if (answer == QMessageBox::NoButton) {
      answer = box.button(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
    }
    if (QAbstractButton* button = box.button(answer))
      button->click();
    else
      box.reject();
  }

  QMessageBox::StandardButton usual_;
  QTimer timer_;
};

}  // namespace kelvane::test
