// FollowSaveLinks: the resolution of a path, one name at a time, with the shared-folder rule.
#include "FileUti2/SaveLinks.h"

#include <limits.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <deque>

#include "FileUti2/MountInfo.h"
#include "FileUti2/PathHelpers.h"
#include "FileUti2/ReplaceFile.h"

namespace kelvane {

namespace {

// The names of path put before those still to be resolved.
void PushNames(const std::string& path, std::deque<std::string>& names) {
  const std::vector<std::string> found = PathNames(path);
  names.insert(names.begin(), found.begin(), found.end());
}

// The kernel's may_follow_link: in a sticky, world-writable folder only a link owned by the
// follower or by the folder's owner is followed.
void CheckMayFollow(const std::string& folder, const struct stat& link, const std::string& path) {
  struct stat in {};
  if (::stat(folder.c_str(), &in) != 0) ThrowFileError("create", path, errno);
  if ((in.st_mode & S_ISVTX) && (in.st_mode & S_IWOTH) && link.st_uid != ::geteuid() &&
      link.st_uid != in.st_uid)
    ThrowFileError("create", path,
                   "It leads through a link that another user put in the shared folder " + folder);
  struct statfs fs {};
  if (::statfs(folder.c_str(), &fs) == 0 && IsPseudoFileSystemMagic(fs.f_type))
    ThrowFileError("create", path, "Not a regular file");
}

std::string ReadLink(const std::string& link, const std::string& path) {
  std::string target(PATH_MAX, '\0');
  const ssize_t length = ::readlink(link.c_str(), target.data(), target.size());
  if (length < 0) ThrowFileError("create", path, errno);
  target.resize(static_cast<std::size_t>(length));
  return target;
}

}  // namespace

std::string FollowSaveLinks(const std::string& path) {
  std::string resolved = "/";
  if (path.empty() || path.front() != '/') {
    char cwd[PATH_MAX];
    if (!::getcwd(cwd, sizeof cwd)) ThrowFileError("create", path, errno);
    resolved = cwd;
  }
  std::deque<std::string> names;
  PushNames(path, names);
  // The kernel's own limit on links followed in one lookup.
  int links = 0;
  while (!names.empty()) {
    std::string name = std::move(names.front());
    names.pop_front();
    if (name == "..") {
      // Every name of resolved is a real folder now, so its parent is the kernel's "..".
      resolved = SplitPath(resolved).first;
      continue;
    }
    const std::string next = JoinFolderPath(resolved, name);
    struct stat st {};
    if (::lstat(next.c_str(), &st) != 0) {
      if (errno != ENOENT) ThrowFileError("create", path, errno);
      // Not there yet: the save makes it, or the kernel tells what is missing.
      resolved = next;
      for (const std::string& rest : names) resolved = JoinFolderPath(resolved, rest);
      return resolved;
    }
    if (!S_ISLNK(st.st_mode)) {
      resolved = next;
      continue;
    }
    if (++links > 40) ThrowFileError("create", path, ELOOP);
    CheckMayFollow(resolved, st, path);
    const std::string target = ReadLink(next, path);
    if (!target.empty() && target.front() == '/') resolved = "/";
    PushNames(target, names);
  }
  return resolved;
}

}  // namespace kelvane
