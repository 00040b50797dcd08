// CheckListView: the keys that move the current entry, and the accessible rows kept in step.
#include "main/CheckListView.h"

#include <QMetaObject>
#include <iterator>

#include "main/CheckListAccessible.h"

namespace kelvane {

CheckListView::CheckListView(QWidget* parent) : QListView(parent) {
  CheckListAccessible::Install();
}

CheckListView::~CheckListView() {
  DropRowInterfaces();
}

QAccessibleInterface* CheckListView::RowInterface(int row) {
  if (!model() || row < 0 || row >= model()->rowCount()) return nullptr;
  if (const auto known = rowIds_.find(row); known != rowIds_.end())
    return QAccessible::accessibleInterface(known->second);
  auto* made = new CheckRowAccessible(this, row);
  rowIds_.emplace(row, QAccessible::registerAccessibleInterface(made));
  return made;
}

void CheckListView::DropRowInterfaces() {
  for (const auto& [row, id] : rowIds_) QAccessible::deleteAccessibleInterface(id);
  rowIds_.clear();
}

void CheckListView::TellFocusOn(int row) {
  QAccessibleEvent focus(this, QAccessible::Focus);
  focus.setChild(row);
  QAccessible::updateAccessibility(&focus);
}

void CheckListView::reset() {
  DropRowInterfaces();
  QListView::reset();
}

void CheckListView::keyPressEvent(QKeyEvent* event) {
  const QPersistentModelIndex before = currentIndex();
  QListView::keyPressEvent(event);
  if (currentIndex().isValid() && currentIndex() != before) emit currentMovedByKey(currentIndex());
}

void CheckListView::focusInEvent(QFocusEvent* event) {
  QListView::focusInEvent(event);
  // Qt names the list as the focus once the focus change is done; the current entry (its name
  // and its state) follows it, so that a screen reader tells which entry the keys will move.
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (!hasFocus() || !currentIndex().isValid() || !QAccessible::isActive()) return;
        TellFocusOn(currentIndex().row());
      },
      Qt::QueuedConnection);
}

void CheckListView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                const QList<int>& roles) {
  QListView::dataChanged(topLeft, bottomRight, roles);
  if (!QAccessible::isActive() || !topLeft.isValid() || !bottomRight.isValid()) return;
  // Only the rows a screen reader holds: the others it reads as they are when it asks.
  for (auto it = rowIds_.lower_bound(topLeft.row());
       it != rowIds_.end() && it->first <= bottomRight.row(); ++it) {
    auto* row = static_cast<CheckRowAccessible*>(QAccessible::accessibleInterface(it->second));
    const int now = model()->index(it->first, 0).data(Qt::CheckStateRole).toInt();
    if (!row || now == row->reported) continue;
    QAccessible::State changed;
    // The bridge passes a change of the check on only with this flag; mixed comes and goes too.
    changed.checked = true;
    changed.checkStateMixed =
        (now == Qt::PartiallyChecked) != (row->reported == Qt::PartiallyChecked);
    row->reported = now;
    // Of mixed the bridge tells nothing, so a screen reader that has read the row keeps its old
    // word for it ("partially checked" after Space on a grayed row). The row is made afresh, a
    // new object to read, and named as the focus again when it has the keyboard.
    if (changed.checkStateMixed) {
      QAccessible::deleteAccessibleInterface(it->second);
      it->second =
          QAccessible::registerAccessibleInterface(new CheckRowAccessible(this, it->first));
    }
    QAccessibleStateChangeEvent event(this, changed);
    event.setChild(it->first);
    QAccessible::updateAccessibility(&event);
    if (changed.checkStateMixed && hasFocus() && currentIndex().row() == it->first)
      TellFocusOn(it->first);
  }
}

void CheckListView::rowsInserted(const QModelIndex& parent, int start, int end) {
  // The rows below the new ones move down.
  std::map<int, QAccessible::Id> moved(rowIds_.begin(), rowIds_.lower_bound(start));
  const int count = end - start + 1;
  for (auto it = rowIds_.lower_bound(start); it != rowIds_.end(); ++it) {
    if (auto* row = static_cast<CheckRowAccessible*>(QAccessible::accessibleInterface(it->second)))
      row->SetRow(it->first + count);
    moved.emplace(it->first + count, it->second);
  }
  rowIds_ = std::move(moved);
  QListView::rowsInserted(parent, start, end);
}

void CheckListView::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
  std::map<int, QAccessible::Id> kept(rowIds_.begin(), rowIds_.lower_bound(start));
  const int count = end - start + 1;
  for (auto it = rowIds_.lower_bound(start); it != rowIds_.end(); ++it) {
    if (it->first <= end) {
      QAccessible::deleteAccessibleInterface(it->second);
      continue;
    }
    if (auto* row = static_cast<CheckRowAccessible*>(QAccessible::accessibleInterface(it->second)))
      row->SetRow(it->first - count);
    kept.emplace(it->first - count, it->second);
  }
  rowIds_ = std::move(kept);
  QListView::rowsAboutToBeRemoved(parent, start, end);
}

}  // namespace kelvane
