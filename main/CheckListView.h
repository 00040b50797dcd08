// The view of CheckList: a list view that tells when a key moved the current entry.
#pragma once

#include <QKeyEvent>
#include <QListView>

namespace kelvane {

class CheckListView : public QListView {
  Q_OBJECT

 public:
  using QListView::QListView;

 signals:
  // The arrow keys, Home, End or a page key made index the current entry. (Not the current
  // entry that the view sets by itself when it takes the focus: that one was not chosen.)
  void currentMovedByKey(const QModelIndex& index);

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    const QPersistentModelIndex before = currentIndex();
    QListView::keyPressEvent(event);
    if (currentIndex().isValid() && currentIndex() != before)
      emit currentMovedByKey(currentIndex());
  }
};

}  // namespace kelvane
