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

// root: a folder without trailing separator, the root itself as "/". Appends to list, never
// clears it: per folder, the files below its subfolders first, then its own files. Folders of
// proc, sysfs and the like are never entered.
void ListFiles(const std::string& root, std::vector<std::string>& list,
               const ListFilesHooks& hooks);
void ListFiles(const std::string& root, std::vector<std::string>& list,
               const std::function<void()>& pump = {});

}  // namespace kelvane
