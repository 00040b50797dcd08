// The items of CheckList: a list-model view of the project's entries and check states.
#pragma once

#include <QAbstractListModel>
#include <functional>

#include "project/Project.h"

namespace kelvane {

class CheckListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  // onToggled runs after a user's toggle has changed an entry's state (the check handler).
  CheckListModel(Project& project, std::function<void(int)> onToggled, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  // Told by the window after the project has changed.
  void EntriesReset();
  void EntriesInserted(int first, int count);
  void EntriesRemoved(int first, int count);
  // The check states of rows first to last changed.
  void StatesChanged(int first, int last);

 private:
  bool Valid(const QModelIndex& index) const;

  Project& project_;
  std::function<void(int)> onToggled_;
  // The row count the views know: the project notifies after a change, so the count moves only
  // between begin... and end... as the model contract requires.
  int rows_;
};

}  // namespace kelvane
