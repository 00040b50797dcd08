// The folder picker's window: layout, the folder tree over the file system, the shortcuts.
#include "FileUti2/FolderBrowserDialog.h"

#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "FileUti2/PathHelpers.h"

namespace kelvane {

namespace {

// Paths travel as the bytes the file system uses; Qt converts them the way it opens files.
QString ToQt(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}
std::string FromQt(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

// The dialog's edge: the Help button sits at x 12, like the buttons of the platform's own dialogs.
constexpr int kMargin = 12;

}  // namespace

std::vector<FolderShortcut> FolderShortcuts(bool desktopRoot) {
  std::vector<FolderShortcut> shortcuts{{QStringLiteral("/"), "/"}};
  if (desktopRoot) {
    const std::string home = GetWindowsDir();
    if (FolderExists(home)) shortcuts.push_back({QObject::tr("Home"), home});
  }
  for (const char* media : {"/media", "/run/media", "/mnt"}) {
    if (FolderExists(media)) shortcuts.push_back({QString::fromLatin1(media), media});
  }
  return shortcuts;
}

FolderBrowserDialog::FolderBrowserDialog(QWidget* parent, const std::string& prompt,
                                         const std::vector<FolderShortcut>& shortcuts)
    : QDialog(parent) {
  setWindowTitle(tr("Browse for Folder"));
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(kMargin, kMargin, kMargin, kMargin);

  auto* promptLabel = new QLabel(ToQt(prompt), this);
  promptLabel->setObjectName("Prompt");
  promptLabel->setWordWrap(true);
  promptLabel->setVisible(!prompt.empty());
  page->addWidget(promptLabel);

  auto* shortcutRow = new QHBoxLayout;
  for (const FolderShortcut& shortcut : shortcuts) {
    auto* button = new QToolButton(this);
    button->setText(shortcut.label);
    button->setToolTip(ToQt(shortcut.path));
    connect(button, &QPushButton::clicked, this, [this, path = shortcut.path] {
      SelectFolder(path);
      tree_->setFocus();
    });
    shortcutRow->addWidget(button);
    shortcutButtons_.append(button);
  }
  shortcutRow->addStretch();
  page->addLayout(shortcutRow);

  model_ = new QFileSystemModel(this);
  // Folders only. Hidden folders stay out of sight, as the folder walk never enters them and a
  // home folder full of them would bury the distribution folder; a hidden starting folder is
  // still preselected, because the model makes an item for any path it is asked for.
  model_->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Drives);
  model_->setReadOnly(true);
  model_->setRootPath(QStringLiteral("/"));

  tree_ = new QTreeView(this);
  tree_->setObjectName("Tree");
  tree_->setModel(model_);
  tree_->setHeaderHidden(true);
  for (int column = 1; column < model_->columnCount(); ++column) tree_->hideColumn(column);
  tree_->setSortingEnabled(true);
  tree_->sortByColumn(0, Qt::AscendingOrder);
  tree_->setSelectionMode(QAbstractItemView::SingleSelection);
  page->addWidget(tree_, 1);
  // The model lists folders on its own thread, and every listing (or sorting) of a folder above
  // the item selected by SelectFolder moves that item: it is brought back into view until the
  // user takes over by selecting, opening or scrolling.
  for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
    connect(model_, signal, this, &FolderBrowserDialog::KeepCurrentInView);
  connect(model_, &QAbstractItemModel::layoutChanged, this,
          &FolderBrowserDialog::KeepCurrentInView);
  const auto userTakesOver = [this] { follow_ = false; };
  connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this, userTakesOver);
  connect(tree_, &QTreeView::expanded, this, userTakesOver);
  connect(tree_, &QTreeView::collapsed, this, userTakesOver);
  connect(tree_->verticalScrollBar(), &QAbstractSlider::actionTriggered, this, userTakesOver);

  buttonRow_ = new QHBoxLayout;
  buttonRow_->addStretch();
  ok_ = new QPushButton(tr("OK"), this);
  ok_->setObjectName("OK");
  ok_->setDefault(true);
  cancel_ = new QPushButton(tr("Cancel"), this);
  cancel_->setObjectName("Cancel");
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

  resize(400, 440);
}

bool FolderBrowserDialog::SelectFolder(const std::string& path) {
  // The model knows each folder by its clean absolute path ("/a/b", never "/a/b/").
  const QModelIndex index =
      model_->index(QDir::cleanPath(QDir::current().absoluteFilePath(ToQt(path))));
  if (!index.isValid()) return false;
  tree_->setCurrentIndex(index);
  tree_->expand(index);
  tree_->scrollTo(index, QAbstractItemView::PositionAtCenter);  // expands every ancestor too
  follow_ = true;  // set last: the calls above count as the user's otherwise
  return true;
}

void FolderBrowserDialog::KeepCurrentInView() {
  const QModelIndex current = tree_->currentIndex();
  if (follow_ && current.isValid()) tree_->scrollTo(current, QAbstractItemView::PositionAtCenter);
}

std::string FolderBrowserDialog::PathOf(const QModelIndex& index) const {
  return index.isValid() ? FromQt(model_->filePath(index)) : std::string();
}

std::string FolderBrowserDialog::CurrentPath() const {
  return PathOf(tree_->currentIndex());
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
