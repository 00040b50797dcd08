// The view of CheckList: a list view that tells when a key moved the current entry, and keeps
// the rows a screen reader has asked for (CheckListAccessible) in step with the entries.
#pragma once

#include <QAccessible>
#include <QKeyEvent>
#include <QListView>
#include <map>

namespace kelvane {

class CheckListView : public QListView {
  Q_OBJECT

 public:
  explicit CheckListView(QWidget* parent = nullptr);
  ~CheckListView() override;

  // The accessible row of row, made when first asked for.
  QAccessibleInterface* RowInterface(int row);
  // How many rows a screen reader has been handed.
  std::size_t RowInterfacesMade() const { return rowIds_.size(); }

 signals:
  // The arrow keys, Home, End or a page key made index the current entry. (Not the current
  // entry that the view sets by itself when it takes the focus: that one was not chosen.)
  void currentMovedByKey(const QModelIndex& index);

 public slots:
  void reset() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                   const QList<int>& roles) override;
  void rowsInserted(const QModelIndex& parent, int start, int end) override;
  void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;

 private:
  void DropRowInterfaces();
  // Tells screen readers that the focus is on row (of a list that has the keyboard).
  void TellFocusOn(int row);

  std::map<int, QAccessible::Id> rowIds_;  // by row
};

}  // namespace kelvane
