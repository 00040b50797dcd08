// ButtonKeys: an event filter for Return, a QShortcut for the desktop keys.
#include "main/ButtonKeys.h"

#include <QAbstractButton>
#include <QEvent>
#include <QKeyEvent>
#include <QShortcut>

namespace kelvane {

namespace {

// A tool button takes Space but not Return; the window has no default button to take it.
class ReturnPresser : public QObject {
 public:
  explicit ReturnPresser(QAbstractButton* button) : QObject(button), button_(button) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != button_ || event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
    if (!key->isAutoRepeat() && button_->isEnabled()) button_->click();
    return true;
  }

 private:
  QAbstractButton* button_;
};

}  // namespace

void PressOnReturn(QAbstractButton* button) {
  button->installEventFilter(new ReturnPresser(button));
}

void AddShortcut(QAbstractButton* button, const QKeySequence& key) {
  // Owned by the button: Qt already ignores the shortcut of a disabled widget, and the check
  // below keeps it so should the shortcut be reached another way.
  auto* shortcut = new QShortcut(key, button);
  shortcut->setContext(Qt::WindowShortcut);
  QObject::connect(shortcut, &QShortcut::activated, button, [button] {
    if (button->isEnabled() && button->isVisible()) button->click();
  });
  const QString keyText = key.toString(QKeySequence::NativeText);
  const QString description = button->accessibleDescription();
  button->setAccessibleDescription(description.isEmpty() ? keyText : description + ", " + keyText);
}

}  // namespace kelvane
