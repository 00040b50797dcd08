// The items of CheckList: a list-model view of the project's entries and check states.
#pragma once

#include <QAbstractListModel>
#include <functional>

#include "main/EntryFindings.h"
#include "project/Project.h"

namespace kelvane {

class CheckListModel : public QAbstractListModel, public ProjectObserver {
  Q_OBJECT

 public:
  // Observes the project for as long as it lives. onToggled runs after a user's toggle has
  // changed an entry's state (the check handler); onStatesChanged after the project changed one,
  // which the views see once AnnounceStates is called.
  CheckListModel(Project& project, std::function<void(int)> onToggled,
                 std::function<void()> onStatesChanged, QObject* parent = nullptr);
  ~CheckListModel() override;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  // --- ProjectObserver: rows come and go at once, as the views must follow the count ---
  void EntriesReset() override;
  void EntriesInserted(int first, int count) override;
  void EntriesRemoved(int first, int count) override;
  void StateChanged(int index) override;

  // Announces the check states changed since the last call that lie in rows top to bottom, and
  // forgets the others: a view reads a row from the project when it comes into sight, and a long
  // range costs it time in proportion to its length. Returns whether a row was announced.
  bool AnnounceStates(int top, int bottom);

  // What the last CHECK found of each row: its accessible description (Qt::AccessibleDescription
  // Role). Forgotten when the rows are replaced or removed.
  EntryFindings& Findings() { return findings_; }

 private:
  bool Valid(const QModelIndex& index) const;

  Project& project_;
  std::function<void(int)> onToggled_;
  std::function<void()> onStatesChanged_;
  int changedFirst_ = 0;  // rows whose check states changed since they were last announced
  int changedLast_ = -1;
  // The row count the views know: the project notifies after a change, so the count moves only
  // between begin... and end... as the model contract requires.
  int rows_;
  EntryFindings findings_;
};

}  // namespace kelvane
