// CheckRowAccessible, CheckListAccessible and the factory that hands the list's out.
#include "main/CheckListAccessible.h"

#include <QItemSelectionModel>
#include <QWidget>
#include <QWindow>

#include "main/CheckListView.h"

namespace kelvane {

namespace {

QAccessibleInterface* MakeInterface(const QString&, QObject* object) {
  auto* view = qobject_cast<CheckListView*>(object);
  return view ? new CheckListAccessible(view) : nullptr;
}

}  // namespace

// --- a row ---

CheckRowAccessible::CheckRowAccessible(CheckListView* view, int row)
    : reported(view->model()->index(row, 0).data(Qt::CheckStateRole).toInt()),
      view_(view),
      row_(row) {}

QModelIndex CheckRowAccessible::Index() const {
  return view_ && view_->model() ? view_->model()->index(row_, 0) : QModelIndex();
}

bool CheckRowAccessible::isValid() const {
  return Index().isValid();
}

QWindow* CheckRowAccessible::window() const {
  return view_ ? view_->window()->windowHandle() : nullptr;
}

QAccessibleInterface* CheckRowAccessible::parent() const {
  return view_ ? QAccessible::queryAccessibleInterface(view_.data()) : nullptr;
}

QString CheckRowAccessible::text(QAccessible::Text kind) const {
  // The description: why the last CHECK grayed the row or left it unchecked.
  if (kind == QAccessible::Description)
    return Index().data(Qt::AccessibleDescriptionRole).toString();
  if (kind != QAccessible::Name) return {};
  return Index().data(Qt::DisplayRole).toString();
}

QRect CheckRowAccessible::rect() const {
  if (!view_) return {};
  const QRect shown = view_->visualRect(Index());
  return QRect(view_->viewport()->mapToGlobal(shown.topLeft()), shown.size());
}

QAccessible::State CheckRowAccessible::state() const {
  QAccessible::State state;
  const QModelIndex index = Index();
  if (!view_ || !index.isValid()) {
    state.invalid = true;
    return state;
  }
  state.focusable = state.selectable = state.checkable = true;
  state.selected = view_->selectionModel() && view_->selectionModel()->isSelected(index);
  state.focused = view_->hasFocus() && view_->currentIndex() == index;
  const int check = index.data(Qt::CheckStateRole).toInt();
  state.checked = check == Qt::Checked;
  state.checkStateMixed = check == Qt::PartiallyChecked;
  state.offscreen = !view_->viewport()->rect().intersects(view_->visualRect(index));
  return state;
}

void* CheckRowAccessible::interface_cast(QAccessible::InterfaceType type) {
  if (type == QAccessible::ActionInterface) return static_cast<QAccessibleActionInterface*>(this);
  if (type == QAccessible::TableCellInterface)
    return static_cast<QAccessibleTableCellInterface*>(this);
  return nullptr;
}

QStringList CheckRowAccessible::actionNames() const {
  return {toggleAction(), setFocusAction()};
}

void CheckRowAccessible::doAction(const QString& name) {
  const QModelIndex index = Index();
  if (!view_ || !index.isValid()) return;
  if (name == setFocusAction()) {
    view_->setFocus(Qt::OtherFocusReason);
    view_->setCurrentIndex(index);
  } else if (name == toggleAction() && (index.flags() & Qt::ItemIsUserCheckable)) {
    // As Space does: the model's own handler runs.
    const bool checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    view_->model()->setData(index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
  }
}

bool CheckRowAccessible::isSelected() const {
  return view_ && view_->selectionModel() && view_->selectionModel()->isSelected(Index());
}

// --- the list ---

CheckListAccessible::CheckListAccessible(CheckListView* view)
    : QAccessibleWidget(view, QAccessible::List) {}

CheckListView* CheckListAccessible::View() const {
  return static_cast<CheckListView*>(widget());
}

int CheckListAccessible::childCount() const {
  return View()->model() ? View()->model()->rowCount() : 0;
}

QAccessibleInterface* CheckListAccessible::child(int index) const {
  return View()->RowInterface(index);
}

int CheckListAccessible::indexOfChild(const QAccessibleInterface* child) const {
  const auto* row = dynamic_cast<const CheckRowAccessible*>(child);
  return row && row->parent() == this ? row->Row() : -1;
}

QAccessibleInterface* CheckListAccessible::childAt(int x, int y) const {
  const QPoint inside = View()->viewport()->mapFromGlobal(QPoint(x, y));
  const QModelIndex index = View()->indexAt(inside);
  return index.isValid() ? View()->RowInterface(index.row()) : nullptr;
}

QAccessibleInterface* CheckListAccessible::focusChild() const {
  const QModelIndex current = View()->currentIndex();
  return View()->hasFocus() && current.isValid() ? View()->RowInterface(current.row()) : nullptr;
}

void* CheckListAccessible::interface_cast(QAccessible::InterfaceType type) {
  if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
  return QAccessibleWidget::interface_cast(type);
}

QAccessibleInterface* CheckListAccessible::cellAt(int row, int column) const {
  return column == 0 ? View()->RowInterface(row) : nullptr;
}

QList<int> CheckListAccessible::selectedRows() const {
  QList<int> rows;
  if (View()->selectionModel())
    for (const QModelIndex& index : View()->selectionModel()->selectedRows()) rows << index.row();
  return rows;
}

int CheckListAccessible::selectedCellCount() const {
  return static_cast<int>(selectedRows().size());
}

QList<QAccessibleInterface*> CheckListAccessible::selectedCells() const {
  QList<QAccessibleInterface*> cells;
  for (const int row : selectedRows()) cells << View()->RowInterface(row);
  return cells;
}

bool CheckListAccessible::isRowSelected(int row) const {
  return selectedRows().contains(row);
}

bool CheckListAccessible::selectRow(int row) {
  if (row < 0 || row >= childCount()) return false;
  View()->setCurrentIndex(View()->model()->index(row, 0));
  return true;
}

bool CheckListAccessible::unselectRow(int row) {
  if (!View()->selectionModel() || !isRowSelected(row)) return false;
  View()->selectionModel()->select(View()->model()->index(row, 0), QItemSelectionModel::Deselect);
  return true;
}

void CheckListAccessible::Install() {
  static const bool installed = [] {
    QAccessible::installFactory(MakeInterface);
    return true;
  }();
  (void)installed;
}

}  // namespace kelvane
