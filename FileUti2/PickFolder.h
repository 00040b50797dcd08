// PickFolder: the one way the commands ask the user for a drive or folder.
#pragma once

#include <string>

namespace kelvane {

// Shows the folder dialog with prompt, starting at folderName. True, and folderName set to the
// chosen folder (no trailing "/", but "/" itself stays "/"), when the user confirms; false and
// folderName unchanged on cancel. helpContext 0: no Help button.
bool PickFolder(std::string& folderName, const std::string& prompt, int helpContext);

}  // namespace kelvane
