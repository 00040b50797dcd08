// ListFiles: the walk that lists every regular file below a folder, subfolders' files first.
#include "cksummer/ListFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <set>

#include "FileUti2/FileDescriptor.h"
#include "FileUti2/MountInfo.h"
#include "FileUti2/PathHelpers.h"

namespace kelvane {

namespace {

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

struct Walk {
  std::vector<std::string>& list;
  const ListFilesHooks& hooks;
  std::set<std::string> pseudoMounts;  // mount points of proc, sysfs and the like
  bool abandoned = false;

  void LeaveOut(std::string path, LeftOutFile::Why why, std::string reason = {}) {
    if (hooks.LeftOut) hooks.LeftOut->push_back({std::move(path), why, std::move(reason)});
  }

  // Whether the file at path is one of the files to skip: looked at only where its inode may be
  // one of theirs, or it is a link (which leads to another inode).
  bool Skipped(const std::string& path, unsigned char type, ino_t inode) const {
    const std::vector<FileIdentity>& skip = hooks.Skip;
    const bool mayBe = type == DT_LNK || type == DT_UNKNOWN ||
                       std::any_of(skip.begin(), skip.end(), [inode](const FileIdentity& file) {
                         return file.inode == inode;
                       });
    if (!mayBe) return false;
    const std::optional<FileIdentity> file = IdentityOf(path);
    return file && std::find(skip.begin(), skip.end(), *file) != skip.end();
  }

  // Pumps, and tells whether the walk is to end where it is.
  bool PumpAndAbandon() {
    if (hooks.Pump) hooks.Pump();
    if (hooks.Abandon && hooks.Abandon()) abandoned = true;
    return abandoned;
  }
};

// A "\" in a name would read as a folder separator once the name is an entry, and a line break
// would split the project file's line: the file would stand for another one, or for nothing.
bool ProjectCanHold(const std::string& name) {
  return name.find_first_of("\\\r\n") == std::string::npos;
}

// The folder's listing already tells most types; only where the file system leaves it unknown,
// or for a symbolic link, is the entry looked at.

// A real folder, not a symbolic link to one: links to folders are never entered, so the walk
// cannot loop and never leaves the tree.
bool IsFolder(const std::string& path, unsigned char type) {
  if (type != DT_UNKNOWN) return type == DT_DIR;
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A regular file, directly or through a symbolic link; never a FIFO, socket, device or folder,
// nor a link that leads nowhere.
bool IsRegularFile(const std::string& path, unsigned char type) {
  if (type != DT_UNKNOWN && type != DT_LNK) return type == DT_REG;
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// folder: the full path; relative: its path below the root with "\" between names and a trailing
// "\" ("" for the root itself).
void ScanFolder(const std::string& folder, const std::string& relative, Walk& walk) {
  // Views of the kernel hold no distribution, and some of their files never end.
  if (walk.pseudoMounts.count(folder)) return;
  int error = 0;
  const std::vector<FolderEntry> entries = ReadFolder(folder, relative.empty(), error);
  if (error == ENAMETOOLONG)
    walk.LeaveOut(folder + "/", LeftOutFile::tooLong);
  else if (error != 0)
    walk.LeaveOut(folder + "/", LeftOutFile::unreadableFolder, std::strerror(error));
  // Folder pass: everything below the subfolders comes before this folder's own files. Names
  // beginning with "." are not entered: on Linux they play the part of hidden folders.
  for (const auto& [name, type, inode] : entries) {
    if (walk.PumpAndAbandon()) return;
    const std::string path = JoinFolderPath(folder, name);
    if (!IsFolder(path, type)) continue;
    // Passed over, and told: a copy that holds them is not exact by --extra's count.
    if (name.front() == '.') {
      walk.LeaveOut(path + "/", LeftOutFile::dotFolder);
      continue;
    }
    if (!ProjectCanHold(name)) {
      walk.LeaveOut(path + "/", LeftOutFile::cannotHold);
      continue;
    }
    ScanFolder(path, relative + name + "\\", walk);
    if (walk.abandoned) return;
  }
  // File pass: names beginning with "." are listed like any other.
  for (const auto& [name, type, inode] : entries) {
    if (walk.PumpAndAbandon()) return;
    const std::string path = JoinFolderPath(folder, name);
    if (!IsRegularFile(path, type)) continue;
    if (!ProjectCanHold(name))
      walk.LeaveOut(path, LeftOutFile::cannotHold);
    else if (path.size() >= PATH_MAX)
      // It could be listed, but never opened to compute its sum.
      walk.LeaveOut(path, LeftOutFile::tooLong);
    else if (!walk.Skipped(path, type, inode))
      walk.list.push_back(relative + name);
  }
}

}  // namespace

std::vector<FolderEntry> ReadFolder(const std::string& folder, bool followLink, int& error) {
  // Below the root, O_NOFOLLOW keeps out a folder that was swapped for a link since it was
  // looked at.
  const int follow = followLink ? 0 : O_NOFOLLOW;
  return ReadFolder(FileDescriptor(::open(
                        folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK | follow)),
                    error);
}

std::vector<FolderEntry> ReadFolder(FileDescriptor fd, int& error) {
  std::vector<FolderEntry> names;
  error = 0;
  if (!fd.IsOpen()) {
    error = errno;
    return names;
  }
  DirHandle dir(::fdopendir(fd.Get()));
  if (!dir) {
    error = errno;
    return names;
  }
  fd.Release();
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir.get());
    // A read error ends the folder: what was read is kept, and the folder is told as unreadable.
    if (!entry) {
      error = errno;
      break;
    }
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back({name, entry->d_type, entry->d_ino});
  }
  std::sort(names.begin(), names.end());
  return names;
}

void ListFiles(const std::string& root, std::vector<std::string>& list,
               const ListFilesHooks& hooks) {
  Walk walk{list, hooks, {}};
  for (const Mount& mount : ReadMounts(hooks.ProcRoot))
    if (IsPseudoFileSystem(mount.fstype)) walk.pseudoMounts.insert(mount.point);
  ScanFolder(root, "", walk);
}

void ListFiles(const std::string& root, std::vector<std::string>& list,
               const std::function<void()>& pump) {
  ListFilesHooks hooks;
  hooks.Pump = pump;
  ListFiles(root, list, hooks);
}

}  // namespace kelvane
