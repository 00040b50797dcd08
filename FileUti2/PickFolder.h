// PickFolder: the one way the commands ask the user for a drive or folder.
#pragma once

#include <string>

namespace kelvane {

// Shows the folder dialog with Prompt, starting at FolderName. True, and FolderName set to the
// chosen folder (no trailing "/", but "/" itself stays "/"), when the user confirms; false and
// FolderName unchanged on cancel. HelpContext 0: no Help button.
bool PickFolder(std::string& FolderName, const std::string& Prompt, int HelpContext);

}  // namespace kelvane
