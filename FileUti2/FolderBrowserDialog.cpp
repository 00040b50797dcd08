// The folder picker's window: layout, the keys, the path field and its completion, the tree.
#include "FileUti2/FolderBrowserDialog.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QCompleter>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "FileUti2/FolderModel.h"
#include "FileUti2/QtStrings.h"

namespace kelvane {

namespace {

// Completes each name of a typed path among the folders of the one before it.
class FolderCompleter : public QCompleter {
 public:
  FolderCompleter(FolderModel* model, QObject* parent) : QCompleter(model, parent), model_(model) {
    setCaseSensitivity(Qt::CaseSensitive);
    setCompletionMode(QCompleter::PopupCompletion);
  }
  QStringList splitPath(const QString& path) const override {
    QStringList parts = path.split(u'/');
    if (!parts.isEmpty() && parts.front().isEmpty()) parts.front() = QStringLiteral("/");
    return parts;
  }
  QString pathFromIndex(const QModelIndex& index) const override {
    return model_->DisplayPath(index);
  }

 private:
  FolderModel* model_;
};

// A screen reader hears the tree only while it has the keyboard: the path field moves the tree's
// row as the user types, and the tree's Qt's own events would read it out mid-word.
class FolderTree : public QTreeView {
 public:
  using QTreeView::QTreeView;

 protected:
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override {
    if (hasFocus())
      QTreeView::currentChanged(current, previous);
    else
      QAbstractItemView::currentChanged(current, previous);  // one column: nothing else to draw
  }
  void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override {
    if (hasFocus())
      QTreeView::selectionChanged(selected, deselected);
    else
      QAbstractItemView::selectionChanged(selected, deselected);
  }
  // Qt names the tree alone when it takes the focus; the current folder (its name, whether it is
  // expanded) follows, so that a screen reader tells where the arrows will move from.
  void focusInEvent(QFocusEvent* event) override {
    QTreeView::focusInEvent(event);
    QMetaObject::invokeMethod(
        this,
        [this] {
          if (!hasFocus() || !currentIndex().isValid() || !QAccessible::isActive()) return;
          QAccessibleInterface* tree = QAccessible::queryAccessibleInterface(this);
          QAccessibleInterface* folder = tree ? tree->focusChild() : nullptr;
          const int child = folder ? tree->indexOfChild(folder) : -1;
          if (child < 0) return;
          QAccessibleEvent focus(this, QAccessible::Focus);
          focus.setChild(child);
          QAccessible::updateAccessibility(&focus);
        },
        Qt::QueuedConnection);
  }
};

// Tabbed into, a line edit selects its text, and its selection and caret news reach a screen
// reader before the focus does: taken as already focused, an empty field was never named. Empty,
// there is nothing to select, so it takes the focus without that.
class PathEdit : public QLineEdit {
 public:
  using QLineEdit::QLineEdit;

 protected:
  void focusInEvent(QFocusEvent* event) override {
    if (!text().isEmpty()) return QLineEdit::focusInEvent(event);
    QFocusEvent plain(QEvent::FocusIn, Qt::OtherFocusReason);
    QLineEdit::focusInEvent(&plain);
  }
};

// The dialog's edge: the Help button sits at x 12, like the buttons of the platform's own dialogs.
constexpr int kMargin = 12;

}  // namespace

FolderBrowserDialog::FolderBrowserDialog(QWidget* parent, const std::string& prompt,
                                         const std::vector<FolderShortcut>& shortcuts)
    : QDialog(parent) {
  setWindowTitle(tr("Browse for Folder"));
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(kMargin, kMargin, kMargin, kMargin);

  auto* promptLabel = new QLabel(PathToQString(prompt), this);
  promptLabel->setObjectName("Prompt");
  promptLabel->setWordWrap(true);
  promptLabel->setVisible(!prompt.empty());
  page->addWidget(promptLabel);

  auto* shortcutRow = new QHBoxLayout;
  for (const FolderShortcut& shortcut : shortcuts) {
    auto* button = new QToolButton(this);
    button->setText(shortcut.label);
    button->setToolTip(PathToQString(shortcut.path));
    button->setAccessibleName(shortcut.label);
    button->setAccessibleDescription(PathToQString(shortcut.path));
    connect(button, &QToolButton::clicked, this, [this, path = shortcut.path] {
      SelectFolder(path);
      tree_->setFocus();
    });
    shortcutRow->addWidget(button);
    shortcutButtons_.append(button);
  }
  shortcutRow->addStretch();
  page->addLayout(shortcutRow);

  model_ = new FolderModel(this);
  path_ = new PathEdit(this);
  path_->setObjectName("Path");
  path_->setAccessibleName(tr("Folder path"));
  path_->setCompleter(new FolderCompleter(model_, path_));
  page->addWidget(path_);
  connect(path_, &QLineEdit::textChanged, this, &FolderBrowserDialog::PathEdited);
  // While the completion list is open its completer takes Return and only closes the list: a
  // typed path that names a folder is to be picked with that one Return. This filter comes
  // after the completer's, so it sees the key first.
  path_->completer()->popup()->installEventFilter(this);

  tree_ = new FolderTree(this);
  tree_->setObjectName("Tree");
  tree_->setAccessibleName(tr("Folders"));
  tree_->setModel(model_);
  tree_->setHeaderHidden(true);
  tree_->setSelectionMode(QAbstractItemView::SingleSelection);
  page->addWidget(tree_, 1);
  // Told that there is no current row, the tree does not make its first row current (and
  // highlighted) when it takes the focus: nothing is chosen that the caller did not preselect.
  tree_->setCurrentIndex(QModelIndex());
  connect(tree_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &FolderBrowserDialog::FollowHighlight);

  watcher_ = new QFileSystemWatcher(this);
  connect(watcher_, &QFileSystemWatcher::directoryChanged, this,
          &FolderBrowserDialog::HighlightChanged);

  buttonRow_ = new QHBoxLayout;
  buttonRow_->addStretch();
  ok_ = new QPushButton(tr("OK"), this);
  ok_->setObjectName("OK");
  cancel_ = new QPushButton(tr("Cancel"), this);
  cancel_->setObjectName("Cancel");
  // No default button: Return belongs to the focused control (keyPressEvent), so that Return on
  // Cancel cancels instead of picking.
  ok_->setAutoDefault(false);
  cancel_->setAutoDefault(false);
  // All buttons of the row share one size, so that the Help button can take OK's.
  const QSize buttonSize = ok_->sizeHint().expandedTo(cancel_->sizeHint()).expandedTo({75, 0});
  ok_->setFixedSize(buttonSize);
  cancel_->setFixedSize(buttonSize);
  buttonRow_->addWidget(ok_);
  buttonRow_->addWidget(cancel_);
  page->addLayout(buttonRow_);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

  tree_->setFocus();
  resize(400, 440);
}

bool FolderBrowserDialog::SelectFolder(const std::string& path) {
  const QModelIndex index = model_->IndexOf(path);
  if (!index.isValid()) return false;
  tree_->setCurrentIndex(index);  // also highlights it: single selection
  tree_->expand(index);
  tree_->scrollTo(index, QAbstractItemView::PositionAtCenter);  // expands every ancestor too
  return true;
}

bool FolderBrowserDialog::MarkCurrentFolder(const std::string& path) {
  const QModelIndex index = model_->IndexOf(path);
  if (!index.isValid()) return false;
  tree_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
  return true;
}

void FolderBrowserDialog::PathEdited(const QString& text) {
  if (editing_) return;
  editing_ = true;
  // A path that names no folder takes the highlight away: OK never picks what the field does
  // not say.
  const QModelIndex index = model_->IndexOfDisplayPath(text);
  if (index.isValid()) {
    SelectFolder(model_->PathOf(index));
  } else {
    tree_->selectionModel()->clearSelection();
  }
  editing_ = false;
}

void FolderBrowserDialog::FollowHighlight() {
  const std::string path = HighlightedPath();
  if (!editing_) {
    editing_ = true;
    path_->setText(PathToQString(path));
    editing_ = false;
  }
  if (!watcher_->directories().isEmpty()) watcher_->removePaths(watcher_->directories());
  if (!path.empty()) watcher_->addPath(PathToQtFileName(path));
  emit HighlightChanged();
}

std::string FolderBrowserDialog::PathOf(const QModelIndex& index) const {
  return model_->PathOf(index);
}

std::string FolderBrowserDialog::CurrentPath() const {
  return PathOf(tree_->currentIndex());
}

std::string FolderBrowserDialog::HighlightedPath() const {
  const QModelIndexList rows = tree_->selectionModel()->selectedRows();
  return rows.isEmpty() ? std::string() : PathOf(rows.front());
}

void FolderBrowserDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
    QDialog::keyPressEvent(event);
    return;
  }
  // The buttons leave Return to the dialog (no default, no auto-default): it presses the focused
  // one; in the tree or the path field it is OK, while OK can be pressed.
  QWidget* focus = focusWidget();
  if (auto* button = qobject_cast<QAbstractButton*>(focus)) {
    if (button->isEnabled()) button->click();
  } else if ((focus == tree_ || focus == path_) && ok_->isEnabled()) {
    ok_->click();
  }
  event->accept();
}

bool FolderBrowserDialog::eventFilter(QObject* watched, QEvent* event) {
  QAbstractItemView* list = path_->completer()->popup();
  if (watched != list || event->type() != QEvent::KeyPress)
    return QDialog::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent*>(event)->key();
  // A row chosen in the list is the completer's to fill in; the path as typed is OK's.
  if ((key != Qt::Key_Return && key != Qt::Key_Enter) || list->currentIndex().isValid() ||
      !ok_->isEnabled())
    return QDialog::eventFilter(watched, event);
  list->hide();
  ok_->click();
  return true;
}

void FolderBrowserDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  tree_->setFocus();
  // The tree's size is known once the window is laid out: the preselected folder is brought into
  // view then.
  QTimer::singleShot(0, this, [this] {
    if (tree_->currentIndex().isValid())
      tree_->scrollTo(tree_->currentIndex(), QAbstractItemView::PositionAtCenter);
  });
}

QPushButton* FolderBrowserDialog::AddHelpButton() {
  if (help_) return help_;
  help_ = new QPushButton(tr("&Help"), this);
  help_->setObjectName("Help");
  help_->setAutoDefault(false);
  help_->setFixedSize(ok_->size());
  // First in the row, left of the stretch: at the dialog's left margin, on OK's line.
  buttonRow_->insertWidget(0, help_);
  return help_;
}

}  // namespace kelvane
