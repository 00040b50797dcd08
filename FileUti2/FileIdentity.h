// Which file a path names as the kernel resolves it, and whether a folder lies inside another:
// decided by device and inode, never by how a path is spelled (".." after a link, a bind mount, a
// trailing "/").
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <optional>
#include <string>

namespace kelvane {

struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

inline FileIdentity IdentityOf(const struct stat& st) {
  return {st.st_dev, st.st_ino};
}

// What path names, its links followed; nullopt when it cannot be looked at.
std::optional<FileIdentity> IdentityOf(const std::string& path);

// Whether the existing folder inner is outer or lies below it. Walking up from inner by ".."
// finds outer where links or ".." led there; where inner is reached through a bind mount (of
// outer, or of a folder below it), where each lies inside its file system decides. False when
// either cannot be looked at.
bool FolderLiesInside(const std::string& inner, const std::string& outer);

}  // namespace kelvane
