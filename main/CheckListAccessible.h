// What a screen reader learns from the check list: a table of one column whose rows are check
// boxes, each checked, unchecked or mixed (an entry CHECK grayed), named as it shows. Qt's own
// interface for list views reports a grayed row as unticked and tells no change of a row's state,
// so the list has this one instead. Rows are made only when a screen reader asks for them, so
// that a list of 200,000 entries costs nothing until it is read.
//
// Why a table of check boxes and not a list of items: a screen reader sizes a list by asking
// every item for its role (200,000 calls over the bus, a minute and more of silence each time the
// list takes the focus), while a table tells its size in one call; and it speaks a list item's
// check only when ticked (Qt's bridge does not pass "checkable" on), a check box's always:
// "checked", "not checked" or "partially checked".
#pragma once

#include <QAccessibleWidget>
#include <QPointer>

namespace kelvane {

class CheckListView;

// One row. The view keeps its row number up to date as entries come and go.
class CheckRowAccessible : public QAccessibleInterface,
                           public QAccessibleActionInterface,
                           public QAccessibleTableCellInterface {
 public:
  CheckRowAccessible(CheckListView* view, int row);

  int Row() const { return row_; }
  void SetRow(int row) { row_ = row; }
  // The check state a screen reader was last told of (Qt::CheckState).
  int reported;

  // --- QAccessibleInterface ---
  bool isValid() const override;
  QObject* object() const override { return nullptr; }
  QWindow* window() const override;
  QAccessibleInterface* parent() const override;
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QString text(QAccessible::Text kind) const override;
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override;
  QAccessible::Role role() const override { return QAccessible::CheckBox; }
  QAccessible::State state() const override;
  void* interface_cast(QAccessible::InterfaceType type) override;

  // --- QAccessibleActionInterface: Space's toggle, and the keyboard's focus ---
  QStringList actionNames() const override;
  void doAction(const QString& name) override;
  QStringList keyBindingsForAction(const QString&) const override { return {}; }

  // --- QAccessibleTableCellInterface: a list is a table of one column ---
  bool isSelected() const override;
  QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
  QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
  int columnIndex() const override { return 0; }
  int rowIndex() const override { return row_; }
  int columnExtent() const override { return 1; }
  int rowExtent() const override { return 1; }
  QAccessibleInterface* table() const override { return parent(); }

 private:
  QModelIndex Index() const;

  QPointer<CheckListView> view_;
  int row_;
};

// The list, as a table: it tells screen readers its size and that it manages its rows (they are
// not to walk all of them to find the one that matters: the current row is the focus).
class CheckListAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
 public:
  explicit CheckListAccessible(CheckListView* view);

  QAccessible::Role role() const override { return QAccessible::Table; }
  int childCount() const override;
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;
  QAccessibleInterface* childAt(int x, int y) const override;
  QAccessibleInterface* focusChild() const override;
  void* interface_cast(QAccessible::InterfaceType type) override;

  // --- QAccessibleTableInterface ---
  QAccessibleInterface* caption() const override { return nullptr; }
  QAccessibleInterface* summary() const override { return nullptr; }
  QAccessibleInterface* cellAt(int row, int column) const override;
  int selectedCellCount() const override;
  QList<QAccessibleInterface*> selectedCells() const override;
  QString columnDescription(int) const override { return {}; }
  QString rowDescription(int) const override { return {}; }
  int selectedColumnCount() const override { return 0; }
  int selectedRowCount() const override { return selectedCellCount(); }
  int columnCount() const override { return 1; }
  int rowCount() const override { return childCount(); }
  QList<int> selectedColumns() const override { return {}; }
  QList<int> selectedRows() const override;
  bool isColumnSelected(int) const override { return false; }
  bool isRowSelected(int row) const override;
  bool selectRow(int row) override;
  bool selectColumn(int) override { return false; }
  bool unselectRow(int row) override;
  bool unselectColumn(int) override { return false; }
  void modelChange(QAccessibleTableModelChangeEvent*) override {}

  // Makes QAccessible use this interface for every CheckListView; safe to call again.
  static void Install();

 private:
  CheckListView* View() const;
};

}  // namespace kelvane
