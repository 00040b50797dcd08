// The folder picker's window: prompt, shortcuts to the usual roots, a folder tree, OK and Cancel.
#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <string>
#include <vector>

class QAbstractButton;
class QFileSystemModel;
class QHBoxLayout;
class QModelIndex;
class QPushButton;
class QTreeView;

namespace kelvane {

struct FolderShortcut {
  QString label;
  std::string path;
};

// The folders offered above the tree: the root "/", the home folder (only with desktopRoot, as
// the desktop holds it and the drives do not), then those of /media, /run/media and /mnt that
// exist, where removable media are mounted.
std::vector<FolderShortcut> FolderShortcuts(bool desktopRoot);

class FolderBrowserDialog : public QDialog {
  Q_OBJECT

 public:
  FolderBrowserDialog(QWidget* parent, const std::string& prompt,
                      const std::vector<FolderShortcut>& shortcuts);

  QTreeView* Tree() const { return tree_; }
  QFileSystemModel* Model() const { return model_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }
  QPushButton* HelpButton() const { return help_; }  // nullptr until AddHelpButton
  const QList<QAbstractButton*>& ShortcutButtons() const { return shortcutButtons_; }

  // Makes path the tree's current item, expanded, with its ancestors expanded and scrolled into
  // view (and kept in view while the ancestors' listings arrive). False, and nothing changed,
  // when the model has no item for it.
  bool SelectFolder(const std::string& path);
  // The file-system path of an item of the tree; empty for an invalid index.
  std::string PathOf(const QModelIndex& index) const;
  // The path of the tree's current item; empty when there is none.
  std::string CurrentPath() const;

  // Adds the Help button at the left end of the button row (x 12, the top and size of OK).
  QPushButton* AddHelpButton();

 private:
  void KeepCurrentInView();

  QFileSystemModel* model_ = nullptr;
  QTreeView* tree_ = nullptr;
  QHBoxLayout* buttonRow_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* help_ = nullptr;
  QList<QAbstractButton*> shortcutButtons_;
  bool follow_ = false;  // keep the current item in view while listings arrive
};

}  // namespace kelvane
