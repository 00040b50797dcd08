// FolderModel: lazy listings with opendir/readdir, names kept as bytes, shown as the list shows
// them.
#include "FileUti2/FolderModel.h"

#include <dirent.h>

#include <QDir>
#include <algorithm>
#include <filesystem>

#include "FileUti2/PathHelpers.h"
#include "FileUti2/QtStrings.h"

namespace kelvane {

struct FolderModel::Node {
  std::string name;  // bytes as the file system has them; "/" for the root
  QString display;
  Node* parent = nullptr;
  int row = 0;
  bool listed = false;
  std::vector<std::unique_ptr<Node>> children;
};

namespace {

// The order of the shown names, ignoring case as a file manager does; the bytes break ties.
bool ShownBefore(const std::unique_ptr<FolderModel::Node>& a,
                 const std::unique_ptr<FolderModel::Node>& b) {
  const int order = QString::compare(a->display, b->display, Qt::CaseInsensitive);
  return order != 0 ? order < 0 : a->name < b->name;
}

}  // namespace

FolderModel::FolderModel(QObject* parent) : QAbstractItemModel(parent), root_(new Node) {
  root_->listed = true;
  auto top = std::make_unique<Node>();
  top->name.assign(1, '/');  // not = "/": GCC 12 warns falsely (-Wrestrict) on that
  top->display = QStringLiteral("/");
  top->parent = root_.get();
  root_->children.push_back(std::move(top));
}

FolderModel::~FolderModel() = default;

FolderModel::Node* FolderModel::NodeOf(const QModelIndex& index) const {
  return index.isValid() ? static_cast<Node*>(index.internalPointer()) : root_.get();
}

QModelIndex FolderModel::IndexOfNode(const Node* node) const {
  if (!node || node == root_.get()) return {};
  return createIndex(node->row, 0, const_cast<Node*>(node));
}

std::vector<std::unique_ptr<FolderModel::Node>>& FolderModel::Children(Node* node) const {
  if (node->listed) return node->children;
  // Listed once, before any view has seen a row of it: views only ever see the listing.
  node->listed = true;
  const std::string path = PathOf(IndexOfNode(node));
  if (DIR* dir = opendir(path.c_str())) {
    while (const dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      // Hidden folders stay out of sight, as the folder walk never enters them.
      if (name.empty() || name[0] == '.') continue;
      const bool folder =
          entry->d_type == DT_DIR || ((entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) &&
                                      FolderExists(JoinFolderPath(path, name)));
      if (!folder) continue;
      auto child = std::make_unique<Node>();
      child->name = name;
      child->display = PathToQString(name);
      child->parent = node;
      node->children.push_back(std::move(child));
    }
    closedir(dir);
  }
  std::sort(node->children.begin(), node->children.end(), ShownBefore);
  for (std::size_t i = 0; i < node->children.size(); ++i)
    node->children[i]->row = static_cast<int>(i);
  return node->children;
}

FolderModel::Node* FolderModel::ChildNamed(Node* node, const std::string& name, bool addMissing) {
  auto& children = Children(node);
  for (const auto& child : children)
    if (child->name == name) return child.get();
  const std::string path = JoinFolderPath(PathOf(IndexOfNode(node)), name);
  if (!addMissing || name.empty() || !FolderExists(path)) return nullptr;
  auto child = std::make_unique<Node>();
  child->name = name;
  child->display = PathToQString(name);
  child->parent = node;
  const auto place = std::upper_bound(children.begin(), children.end(), child, ShownBefore);
  const int row = static_cast<int>(place - children.begin());
  beginInsertRows(IndexOfNode(node), row, row);
  Node* added = children.insert(place, std::move(child))->get();
  for (std::size_t i = static_cast<std::size_t>(row); i < children.size(); ++i)
    children[i]->row = static_cast<int>(i);
  endInsertRows();
  return added;
}

QModelIndex FolderModel::IndexOf(const std::string& path) {
  if (path.empty()) return {};
  const std::filesystem::path full = std::filesystem::absolute(path).lexically_normal();
  Node* node = root_->children.front().get();
  for (const auto& part : full.relative_path()) {
    const std::string name = part.string();
    if (name.empty()) continue;  // the trailing "/" of "/a/b/"
    node = ChildNamed(node, name, true);
    if (!node) return {};
  }
  return IndexOfNode(node);
}

QModelIndex FolderModel::IndexOfDisplayPath(const QString& path) {
  if (!path.startsWith(u'/')) return {};
  Node* node = root_->children.front().get();
  for (const QString& part : path.split(u'/', Qt::SkipEmptyParts)) {
    Node* next = nullptr;
    for (const auto& child : Children(node))
      if (child->display == part) next = child.get();
    if (!next) next = ChildNamed(node, part.toStdString(), true);
    if (!next) return {};
    node = next;
  }
  return IndexOfNode(node);
}

std::string FolderModel::PathOf(const QModelIndex& index) const {
  if (!index.isValid()) return {};
  std::string path;
  for (const Node* node = NodeOf(index); node->parent; node = node->parent)
    path = node->name == "/" ? (path.empty() ? "/" : path) : "/" + node->name + path;
  return path;
}

QString FolderModel::DisplayName(const QModelIndex& index) const {
  return index.isValid() ? NodeOf(index)->display : QString();
}

QString FolderModel::DisplayPath(const QModelIndex& index) const {
  return PathToQString(PathOf(index));
}

QModelIndex FolderModel::index(int row, int column, const QModelIndex& parent) const {
  if (column != 0 || row < 0) return {};
  const auto& children = Children(NodeOf(parent));
  if (row >= static_cast<int>(children.size())) return {};
  return createIndex(row, 0, children[static_cast<std::size_t>(row)].get());
}

QModelIndex FolderModel::parent(const QModelIndex& child) const {
  return child.isValid() ? IndexOfNode(NodeOf(child)->parent) : QModelIndex();
}

int FolderModel::rowCount(const QModelIndex& parent) const {
  if (parent.column() > 0) return 0;
  return static_cast<int>(Children(NodeOf(parent)).size());
}

int FolderModel::columnCount(const QModelIndex&) const {
  return 1;
}

bool FolderModel::hasChildren(const QModelIndex& parent) const {
  const Node* node = NodeOf(parent);
  // Not listed yet: an expander is offered, and opening it lists the folder.
  return !node->listed || !node->children.empty();
}

QVariant FolderModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (role == Qt::DisplayRole || role == Qt::EditRole) return NodeOf(index)->display;
  // Read as shown: the folder's name (the path is the field's to tell).
  if (role == Qt::AccessibleTextRole) return NodeOf(index)->display;
  return {};
}

QVariant FolderModel::headerData(int, Qt::Orientation, int) const {
  // No name for the hidden header: Qt's default would read it out as "1".
  return {};
}

}  // namespace kelvane
