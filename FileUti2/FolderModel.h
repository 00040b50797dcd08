// The picker's folder tree: the file system's folders under "/", listed when first shown, each
// kept as the bytes of its name, so that a name that is not UTF-8 can be shown and picked.
#pragma once

#include <QAbstractItemModel>
#include <QString>
#include <memory>
#include <string>
#include <vector>

namespace kelvane {

class FolderModel : public QAbstractItemModel {
  Q_OBJECT

 public:
  struct Node;  // one folder; defined in the source

  explicit FolderModel(QObject* parent = nullptr);
  ~FolderModel() override;

  // The item of a folder given by its bytes (absolute, or relative to the current folder; a
  // trailing "/" is ignored), its ancestors listed on the way. A hidden folder, which listings
  // leave out, or one made since, is added when asked for by name. Invalid when no such folder
  // exists.
  QModelIndex IndexOf(const std::string& path);
  // The item of a path as the user types it: each name as the tree shows it, else as UTF-8.
  QModelIndex IndexOfDisplayPath(const QString& path);
  // The bytes of an item's full path; empty for an invalid index.
  std::string PathOf(const QModelIndex& index) const;
  // An item's name as shown, and its full path as shown.
  QString DisplayName(const QModelIndex& index) const;
  QString DisplayPath(const QModelIndex& index) const;

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  bool hasChildren(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  Node* NodeOf(const QModelIndex& index) const;
  QModelIndex IndexOfNode(const Node* node) const;
  // The node's children, read from the file system the first time they are asked for.
  std::vector<std::unique_ptr<Node>>& Children(Node* node) const;
  // The child of that name; one that the listing left out (hidden, or made since) is added when
  // addMissing and it is a folder.
  Node* ChildNamed(Node* node, const std::string& name, bool addMissing);

  std::unique_ptr<Node> root_;  // holds "/" as its one child
};

}  // namespace kelvane
