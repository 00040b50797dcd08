// The folder picker component: its properties, Execute, and the rules behind the dialog's OK.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <string>
#include <utility>

class QPushButton;
class QTreeView;

namespace kelvane {

class FolderBrowserDialog;

enum class TBrowseKind { bfFolders, bfComputers };
enum class TDialogPosition { dpDefault, dpScreenCenter };

// A non-visual component: Execute shows a modal folder dialog and hands back the chosen folder.
// Setting a property only stores it; it takes effect at the next Execute.
class TBrowseFolderDlg : public QObject {
  Q_OBJECT

 public:
  using TNotifyEvent = std::function<void(TBrowseFolderDlg& sender)>;

  explicit TBrowseFolderDlg(QObject* owner = nullptr);
  ~TBrowseFolderDlg() override;

  // What the Help button asks for: the application's help on a context number. The main window
  // sets it; while it is empty the Help button does nothing.
  static std::function<void(int helpContext)> HelpHandler;

  TBrowseKind BrowseKind() const { return browseKind_; }
  void SetBrowseKind(TBrowseKind value) { browseKind_ = value; }
  // On Linux the tree always starts at "/"; the desktop root adds the home folder to the
  // shortcuts above it, as the desktop holds it and the drives folder does not.
  bool DesktopRoot() const { return desktopRoot_; }
  void SetDesktopRoot(bool value) { desktopRoot_ = value; }
  const std::string& DialogText() const { return dialogText_; }
  void SetDialogText(std::string value) { dialogText_ = std::move(value); }
  // In: the folder to preselect. Out, after a confirmed Execute: the chosen folder.
  const std::string& FolderName() const { return folderName_; }
  void SetFolderName(std::string value) { folderName_ = std::move(value); }
  // 0: no Help button.
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int value) { helpContext_ = value; }
  TDialogPosition Position() const { return position_; }
  void SetPosition(TDialogPosition value) { position_ = value; }
  const TNotifyEvent& OnInitialized() const { return onInitialized_; }
  void SetOnInitialized(TNotifyEvent handler) { onInitialized_ = std::move(handler); }
  const TNotifyEvent& OnSelChanged() const { return onSelChanged_; }
  void SetOnSelChanged(TNotifyEvent handler) { onSelChanged_ = std::move(handler); }

  // The path of the item selected at present (empty for an item without one); after a
  // confirmed Execute, equal to FolderName.
  const std::string& SelectionPath() const { return selectionPath_; }
  // There is no system image list here: the chosen item's image index is always 0.
  int ImageIndex() const { return imageIndex_; }

  // The dialog while Execute shows it, else nullptr; and its parts, for the events' handlers.
  FolderBrowserDialog* DialogWindow() const;
  QTreeView* Tree() const;
  QPushButton* OkButton() const;
  QPushButton* HelpButton() const;

  // Shows the dialog modally; true and FolderName set when the user confirms a folder, false
  // and nothing changed when the user cancels. Throws std::runtime_error for bfComputers.
  bool Execute();

 private:
  void SelectionChanged();
  bool RunModal(FolderBrowserDialog& dialog);

  TBrowseKind browseKind_ = TBrowseKind::bfFolders;
  bool desktopRoot_ = true;
  std::string dialogText_;
  std::string folderName_;
  int helpContext_ = 0;
  TDialogPosition position_ = TDialogPosition::dpScreenCenter;
  TNotifyEvent onInitialized_;
  TNotifyEvent onSelChanged_;
  std::string selectionPath_;
  int imageIndex_ = 0;
  QPointer<FolderBrowserDialog> dialog_;
};

}  // namespace kelvane
