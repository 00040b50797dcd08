// PickFolder over TBrowseFolderDlg.
#include "FileUti2/PickFolder.h"

#include <memory>

#include "FileUti2/TBrowseFolderDlg.h"

namespace kelvane {

bool PickFolder(std::string& folderName, const std::string& prompt, int helpContext) {
  // Every other property keeps its default: folders, desktop root, centred, no events. The
  // dialog is freed on every path, also when Execute throws.
  auto dialog = std::make_unique<TBrowseFolderDlg>();
  dialog->SetDialogText(prompt);
  dialog->SetFolderName(folderName);
  dialog->SetHelpContext(helpContext);
  const bool picked = dialog->Execute();
  if (picked) folderName = dialog->FolderName();
  return picked;
}

}  // namespace kelvane
