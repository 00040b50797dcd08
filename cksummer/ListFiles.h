// ListFiles: every regular file below a folder, as paths relative to it with "\" separators.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "FileUti2/FileDescriptor.h"
#include "FileUti2/FileIdentity.h"

namespace kelvane {

// A file or folder below the root that the walk could not list, and why.
struct LeftOutFile {
  enum Why {
    cannotHold,        // its name holds a "\", CR or LF, which no entry of a project can hold
    unreadableFolder,  // the folder could not be opened or read
    tooLong,           // its path is longer than the system can open
    dotFolder,         // a folder whose name begins with ".", not entered (as a hidden one)
  };
  std::string path;  // the full path; a folder's ends with "/"
  Why why;
  std::string reason = {};  // the system's text, for an unreadable folder
};

struct ListFilesHooks {
  std::function<void()> Pump;     // runs after every directory entry looked at
  std::function<bool()> Abandon;  // asked after every pump: true ends the walk where it is
  // Receives every file and folder left out, so that the user learns what the list lacks.
  std::vector<LeftOutFile>* LeftOut = nullptr;
  // Files the list leaves out without a word (the project file being written), by what they are,
  // not how they are reached: through a link or a bind mount they are still left out.
  std::vector<FileIdentity> Skip;
  std::string ProcRoot = "/proc";  // where the mounts are read; pseudo file systems are skipped
};

// One name of a folder as its listing tells it.
struct FolderEntry {
  std::string name;
  unsigned char type;  // d_type: DT_DIR, DT_REG, DT_LNK, ... or DT_UNKNOWN
  ino_t inode;         // d_ino
  bool operator<(const FolderEntry& other) const { return name < other.name; }
};

// The entries of a folder other than "." and "..", in byte order, so that the same tree gives the
// same project on every machine whatever order the file system keeps. The folder is read whole
// and closed at once, so a deep walk does not hold one open descriptor per level. followLink: the
// folder may be reached through a symbolic link (the root the user picked). A folder that cannot
// be read whole gives its errno in error (what was read is kept).
std::vector<FolderEntry> ReadFolder(const std::string& folder, bool followLink, int& error);
// The same of a folder already opened (O_RDONLY | O_DIRECTORY); a descriptor that is not open
// gives errno as it was.
std::vector<FolderEntry> ReadFolder(FileDescriptor folder, int& error);

// root: a folder without trailing separator, the root itself as "/". Appends to list, never
// clears it: per folder, the files below its subfolders first, then its own files. Folders of
// proc, sysfs and the like are never entered.
void ListFiles(const std::string& root, std::vector<std::string>& list,
               const ListFilesHooks& hooks);
void ListFiles(const std::string& root, std::vector<std::string>& list,
               const std::function<void()>& pump = {});

}  // namespace kelvane
