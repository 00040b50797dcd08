// IdentityOf and FolderLiesInside.
#include "FileUti2/FileIdentity.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>

#include <memory>
#include <vector>

#include "FileUti2/FileDescriptor.h"
#include "FileUti2/MountInfo.h"

namespace kelvane {

namespace {

// By "..", from inner up to the root: the folders the kernel passes through.
bool WalksUpTo(const std::string& inner, const FileIdentity& outer) {
  FileDescriptor folder(::open(inner.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  // Deep enough for any path the system can open.
  for (int depth = 0; folder.IsOpen() && depth < PATH_MAX / 2; ++depth) {
    struct stat here {};
    if (::fstat(folder.Get(), &here) != 0) return false;
    if (IdentityOf(here) == outer) return true;
    FileDescriptor parent(::openat(folder.Get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat above {};
    if (!parent.IsOpen() || ::fstat(parent.Get(), &above) != 0) return false;
    if (IdentityOf(above) == IdentityOf(here)) return false;  // the root
    folder = std::move(parent);
  }
  return false;
}

// Where a folder lies inside its file system: the root of its mount there, then its path below
// the mount point. Empty when that cannot be told.
std::string PathInFileSystem(const std::string& folder, const std::vector<Mount>& mounts) {
  struct statx info {};
  if (::statx(AT_FDCWD, folder.c_str(), 0, STATX_MNT_ID, &info) != 0 ||
      !(info.stx_mask & STATX_MNT_ID))
    return {};
  const std::unique_ptr<char, decltype(&::free)> real(::realpath(folder.c_str(), nullptr), &::free);
  if (!real) return {};
  const std::string path = real.get();
  for (const Mount& mount : mounts) {
    if (mount.id != info.stx_mnt_id) continue;
    const std::string& point = mount.point;
    if (path.compare(0, point.size(), point) != 0) return {};
    std::string below = path.substr(point == "/" ? 0 : point.size());
    if (mount.root == "/") return below.empty() ? "/" : below;
    return mount.root + (below == "/" ? "" : below);
  }
  return {};
}

}  // namespace

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return IdentityOf(st);
}

bool FolderLiesInside(const std::string& inner, const std::string& outer) {
  const std::optional<FileIdentity> outerId = IdentityOf(outer);
  const std::optional<FileIdentity> innerId = IdentityOf(inner);
  if (!outerId || !innerId) return false;
  if (WalksUpTo(inner, *outerId)) return true;
  // A bind mount leads into a file system elsewhere than its folders above show: compare where
  // the two folders are inside the one file system they share.
  if (innerId->device != outerId->device) return false;
  const std::vector<Mount> mounts = ReadMounts();
  const std::string in = PathInFileSystem(inner, mounts);
  const std::string out = PathInFileSystem(outer, mounts);
  if (in.empty() || out.empty()) return false;
  return in == out || out == "/" || in.compare(0, out.size() + 1, out + "/") == 0;
}

}  // namespace kelvane
