// TBrowseFolderDlg: the modal run, preselection, the OK rule, the Help button, the result.
#include "FileUti2/TBrowseFolderDlg.h"

#include <QApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QScopeGuard>
#include <QTreeView>
#include <stdexcept>

#include "FileUti2/FolderBrowserDialog.h"
#include "FileUti2/KeyboardReturn.h"
#include "FileUti2/PathHelpers.h"
#include "FileUti2/WidgetPlacement.h"

namespace kelvane {

std::function<void(int helpContext)> TBrowseFolderDlg::HelpHandler;

TBrowseFolderDlg::TBrowseFolderDlg(QObject* owner) : QObject(owner) {}

TBrowseFolderDlg::~TBrowseFolderDlg() = default;

FolderBrowserDialog* TBrowseFolderDlg::DialogWindow() const {
  return dialog_.data();
}
QTreeView* TBrowseFolderDlg::Tree() const {
  return dialog_ ? dialog_->Tree() : nullptr;
}
QPushButton* TBrowseFolderDlg::OkButton() const {
  return dialog_ ? dialog_->OkButton() : nullptr;
}
QPushButton* TBrowseFolderDlg::HelpButton() const {
  return dialog_ ? dialog_->HelpButton() : nullptr;
}

bool TBrowseFolderDlg::Execute() {
  // Linux has no network neighbourhood to browse; say so before anything is shown.
  if (browseKind_ == TBrowseKind::bfComputers)
    throw std::runtime_error("Browsing for computers is not supported on this system");

  // The dialog belongs to this call. Its parent keeps it above the window that opened it; should
  // that window go first and take the dialog with it, the QPointers notice.
  const QPointer<QWidget> previous = QApplication::activeWindow();
  const KeyboardReturn back(previous);  // outlives the dialog
  const QPointer<FolderBrowserDialog> dialog =
      new FolderBrowserDialog(previous, dialogText_, FolderShortcuts(desktopRoot_));
  dialog_ = dialog;
  QMetaObject::Connection selection;
  const auto release = qScopeGuard([&] {
    QObject::disconnect(selection);  // no selection events from a dialog being torn down
    delete dialog.data();
    dialog_ = nullptr;
  });
  selection = connect(dialog, &FolderBrowserDialog::HighlightChanged, this,
                      &TBrowseFolderDlg::SelectionChanged);
  // Nothing is selected yet, so there is nothing to confirm.
  dialog->OkButton()->setEnabled(false);

  // Only an existing folder is preselected; otherwise the root is the current row, shown but not
  // highlighted, so that the keys start there and OK still waits for a choice.
  if (FolderExists(folderName_))
    dialog->SelectFolder(folderName_);
  else
    dialog->MarkCurrentFolder("/");
  if (helpContext_ != 0) {
    connect(dialog->AddHelpButton(), &QPushButton::clicked, this, [context = helpContext_] {
      if (HelpHandler) HelpHandler(context);
    });
  }

  if (!RunModal(*dialog) || !dialog) return false;
  const std::string chosen = dialog->HighlightedPath();
  // OK is enabled only on an existing folder, but the folder may have gone since: a confirmed
  // pick that names no folder would send the caller's command into nothing, so it counts as none.
  if (!FolderExists(chosen)) return false;
  folderName_ = RemoveTrailingBackslash(chosen);
  selectionPath_ = folderName_;
  imageIndex_ = 0;
  return true;
}

bool TBrowseFolderDlg::RunModal(FolderBrowserDialog& dialog) {
  const QPointer<FolderBrowserDialog> guard = &dialog;
  QEventLoop loop;
  connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
  connect(&dialog, &QObject::destroyed, &loop, &QEventLoop::quit);
  // Application-modal: the other windows take no input until the pick is over.
  dialog.setWindowModality(Qt::ApplicationModal);
  // Centred once before showing, so that it appears in place, and once after, when the window
  // frame that the platform adds is known and counts in the size.
  const bool centre = position_ == TDialogPosition::dpScreenCenter;
  if (centre) CenterOnScreen(dialog);
  dialog.show();
  if (centre) CenterOnScreen(dialog);
  if (onInitialized_) onInitialized_(*this);
  // The handler may have closed the dialog already; then there is nothing to wait for. (This
  // loop, not QDialog::exec, so that a handler's accept or reject is never lost.)
  if (guard && guard->isVisible()) loop.exec(QEventLoop::DialogExec);
  return guard && guard->result() == QDialog::Accepted;
}

void TBrowseFolderDlg::SelectionChanged() {
  if (!dialog_) return;
  // The highlighted row, not the current one: after a Ctrl+click nothing is chosen.
  selectionPath_ = dialog_->HighlightedPath();
  dialog_->OkButton()->setEnabled(FolderExists(selectionPath_));
  if (onSelChanged_) onSelChanged_(*this);
}

}  // namespace kelvane
