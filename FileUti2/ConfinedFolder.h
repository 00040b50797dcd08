// A folder whose files are opened as they would be on the medium itself: no path and no symbolic
// link leads out of it.
#pragma once

#include <string>

#include "FileUti2/FileDescriptor.h"

namespace kelvane {

class ConfinedFolder {
 public:
  // Opens the folder itself (following links to reach it: the user named it). A folder that
  // cannot be opened makes every Open fail with the reason it could not.
  explicit ConfinedFolder(const std::string& path);

  // openat(2) of a path below the folder, resolved as if the folder were the root: ".." stops
  // at it and an absolute link means the folder itself (RESOLVE_IN_ROOT). Where the kernel has
  // no openat2, a plain openat. -1 with errno set on failure.
  int Open(const std::string& relative, int flags) const;

 private:
  FileDescriptor folder_;
  int openError_ = 0;
};

}  // namespace kelvane
