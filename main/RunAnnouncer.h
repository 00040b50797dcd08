// A word to a screen reader at the end of a command that shows no box (New that stored every sum,
// Open, Save): a notification the window shows for that moment, which a screen reader speaks once,
// politely, without taking the focus from where the user is.
#pragma once

#include <QString>
#include <QWidget>

namespace kelvane {

class RunAnnouncer : public QWidget {
  Q_OBJECT

 public:
  // Placed in parent's corner, one pixel, with no focus of its own and nothing to paint.
  explicit RunAnnouncer(QWidget* parent);

  // Says text: the notification's name, shown anew to the accessibility bridge.
  void Tell(const QString& text);
};

}  // namespace kelvane
