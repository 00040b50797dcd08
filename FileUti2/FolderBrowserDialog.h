// The folder picker's window: prompt, shortcuts to the usual roots and the mounted media, a path
// field, a folder tree, OK and Cancel.
#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <string>
#include <vector>

#include "FileUti2/FolderShortcuts.h"

class QAbstractButton;
class QFileSystemWatcher;
class QHBoxLayout;
class QLineEdit;
class QModelIndex;
class QPushButton;
class QTreeView;

namespace kelvane {

class FolderModel;

class FolderBrowserDialog : public QDialog {
  Q_OBJECT

 public:
  FolderBrowserDialog(QWidget* parent, const std::string& prompt,
                      const std::vector<FolderShortcut>& shortcuts);

  QTreeView* Tree() const { return tree_; }
  FolderModel* Model() const { return model_; }
  QLineEdit* PathField() const { return path_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }
  QPushButton* HelpButton() const { return help_; }  // nullptr until AddHelpButton
  const QList<QAbstractButton*>& ShortcutButtons() const { return shortcutButtons_; }

  // Makes path the tree's current and highlighted item, expanded, with its ancestors expanded
  // and scrolled into view. False, and nothing changed, when there is no such folder.
  bool SelectFolder(const std::string& path);
  // Makes path's folder the tree's current row without highlighting it (OK stays as it is), so
  // that the keyboard and a screen reader start somewhere; false when it is not in the tree.
  bool MarkCurrentFolder(const std::string& path);
  // The file-system path of an item of the tree; empty for an invalid index.
  std::string PathOf(const QModelIndex& index) const;
  // The path of the tree's current item; empty when there is none.
  std::string CurrentPath() const;
  // The path of the highlighted row: the one OK picks. Empty when no row is highlighted (a
  // Ctrl+click takes the highlight away while the row stays current).
  std::string HighlightedPath() const;

  // Adds the Help button at the left end of the button row (x 12, the top and size of OK).
  QPushButton* AddHelpButton();

 signals:
  // Another row is highlighted, or none, or the highlighted folder may have gone.
  void HighlightChanged();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // Return in the path field's completion list (which keeps the key from the field).
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void PathEdited(const QString& text);
  void FollowHighlight();

  FolderModel* model_ = nullptr;
  QLineEdit* path_ = nullptr;
  QTreeView* tree_ = nullptr;
  QHBoxLayout* buttonRow_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* help_ = nullptr;
  QList<QAbstractButton*> shortcutButtons_;
  QFileSystemWatcher* watcher_ = nullptr;  // the highlighted folder, to notice it go
  bool editing_ = false;  // the path field is moving the highlight: its text stays as typed
};

}  // namespace kelvane
