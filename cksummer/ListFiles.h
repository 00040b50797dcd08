// ListFiles: every regular file below a folder, as paths relative to it with "\" separators.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kelvane {

// Root: a folder without trailing separator ("" for "/"). Appends to List, never clears it:
// per folder, the files below its subfolders first, then its own files. Pump runs after every
// directory entry looked at.
void ListFiles(const std::string& Root, std::vector<std::string>& List,
               const std::function<void()>& Pump = {});

// The full path of Name inside Folder: Folder + "/" + Name, where Folder "" stands for "/" (so the
// root gives "/name", never "//name") and a Folder that already ends with "/" gets no second one.
std::string JoinFolderPath(const std::string& Folder, const std::string& Name);

}  // namespace kelvane
