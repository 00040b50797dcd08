// ListFiles: every regular file below a folder, as paths relative to it with "\" separators.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kelvane {

struct ListFilesHooks {
  std::function<void()> Pump;     // runs after every directory entry looked at
  std::function<bool()> Abandon;  // asked after every pump: true ends the walk where it is
  // Receives the full path of every file (and, with a trailing "/", every folder) left out
  // because its name holds a "\", CR or LF, which no entry of a project can hold.
  std::vector<std::string>* LeftOut = nullptr;
  std::string ProcRoot = "/proc";  // where the mounts are read; pseudo file systems are skipped
};

// Root: a folder without trailing separator ("/" or "" for the root). Appends to List, never
// clears it: per folder, the files below its subfolders first, then its own files. Folders of
// proc, sysfs and the like are never entered.
void ListFiles(const std::string& Root, std::vector<std::string>& List,
               const ListFilesHooks& Hooks);
void ListFiles(const std::string& Root, std::vector<std::string>& List,
               const std::function<void()>& Pump = {});

// The full path of Name inside Folder: Folder + "/" + Name, where Folder "" stands for "/" (so the
// root gives "/name", never "//name") and a Folder that already ends with "/" gets no second one.
std::string JoinFolderPath(const std::string& Folder, const std::string& Name);

}  // namespace kelvane
