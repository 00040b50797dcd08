// PickFolder over TBrowseFolderDlg.
#include "FileUti2/PickFolder.h"

#include <memory>

#include "FileUti2/TBrowseFolderDlg.h"

namespace kelvane {

bool PickFolder(std::string& FolderName, const std::string& Prompt, int HelpContext) {
  // Every other property keeps its default: folders, desktop root, centred, no events. The
  // dialog is freed on every path, also when Execute throws.
  auto dialog = std::make_unique<TBrowseFolderDlg>();
  dialog->SetDialogText(Prompt);
  dialog->SetFolderName(FolderName);
  dialog->SetHelpContext(HelpContext);
  const bool picked = dialog->Execute();
  if (picked) FolderName = dialog->FolderName();
  return picked;
}

}  // namespace kelvane
