// The CheckList model over the project: texts, three-state check marks, a fixed item height.
#include "main/CheckListModel.h"

#include <QSize>
#include <algorithm>
#include <utility>

#include "FileUti2/QtStrings.h"

namespace kelvane {
namespace {

constexpr int kItemHeight = 13;

Qt::CheckState ToQtCheckState(TCheckState state) {
  switch (state) {
    case TCheckState::cbChecked:
      return Qt::Checked;
    case TCheckState::cbGrayed:
      return Qt::PartiallyChecked;
    case TCheckState::cbUnchecked:
      break;
  }
  return Qt::Unchecked;
}

TCheckState FromQtCheckState(int state) {
  if (state == Qt::Checked) return TCheckState::cbChecked;
  if (state == Qt::PartiallyChecked) return TCheckState::cbGrayed;
  return TCheckState::cbUnchecked;
}

}  // namespace

CheckListModel::CheckListModel(Project& project, std::function<void(int)> onToggled,
                               std::function<void()> onStatesChanged, QObject* parent)
    : QAbstractListModel(parent),
      project_(project),
      onToggled_(std::move(onToggled)),
      onStatesChanged_(std::move(onStatesChanged)),
      rows_(project.Count()) {
  project_.SetObserver(this);
}

CheckListModel::~CheckListModel() {
  project_.SetObserver(nullptr);
}

bool CheckListModel::Valid(const QModelIndex& index) const {
  return index.isValid() && index.row() < rows_ && index.row() < project_.Count();
}

int CheckListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

QVariant CheckListModel::data(const QModelIndex& index, int role) const {
  if (!Valid(index)) return {};
  switch (role) {
    case Qt::DisplayRole:
      return PathToQString(project_.Entry(index.row()));
    case Qt::CheckStateRole:
      return ToQtCheckState(project_.State(index.row()));
    case Qt::AccessibleDescriptionRole:
      return PathToQString(findings_.Description(project_, index.row()));
    case Qt::SizeHintRole:
      // Width 0: items take the view's width, so the view never measures 100 000 texts.
      return QSize(0, kItemHeight);
    default:
      return {};
  }
}

Qt::ItemFlags CheckListModel::flags(const QModelIndex& index) const {
  if (!Valid(index)) return Qt::NoItemFlags;
  // While New sums the files, a row not summed yet has no flag to store a tick in: New ticks it.
  if (index.row() >= project_.ValueCount()) return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
}

bool CheckListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::CheckStateRole || !Valid(index)) return false;
  // The state changes first; the handler then follows whatever state resulted.
  project_.SetState(index.row(), FromQtCheckState(value.toInt()));
  if (onToggled_) onToggled_(index.row());
  return true;
}

void CheckListModel::EntriesReset() {
  changedLast_ = -1;
  findings_.Clear();
  beginResetModel();
  rows_ = project_.Count();
  endResetModel();
}

void CheckListModel::EntriesInserted(int first, int count) {
  beginInsertRows(QModelIndex(), first, first + count - 1);
  rows_ += count;
  endInsertRows();
}

void CheckListModel::EntriesRemoved(int first, int count) {
  findings_.Clear();  // the rows after them moved up
  beginRemoveRows(QModelIndex(), first, first + count - 1);
  rows_ -= count;
  endRemoveRows();
}

void CheckListModel::StateChanged(int row) {
  if (changedLast_ < 0) {
    changedFirst_ = changedLast_ = row;
  } else {
    changedFirst_ = std::min(changedFirst_, row);
    changedLast_ = std::max(changedLast_, row);
  }
  if (onStatesChanged_) onStatesChanged_();
}

bool CheckListModel::AnnounceStates(int top, int bottom) {
  if (changedLast_ < 0) return false;
  const int first = std::max(changedFirst_, top);
  const int last = std::min({changedLast_, bottom, rows_ - 1});
  changedLast_ = -1;
  if (first > last) return false;
  emit dataChanged(index(first), index(last), {Qt::CheckStateRole});
  return true;
}

}  // namespace kelvane
