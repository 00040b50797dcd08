// The mounts of this process, as /proc/self/mountinfo lists them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane {

struct Mount {
  std::uint64_t id = 0;  // the mount's id, as statx(2) gives it (STATX_MNT_ID)
  std::string root;      // the folder of its file system that is mounted, unescaped
  std::string point;     // where it is mounted, unescaped
  std::string source;    // e.g. /dev/sr0
  std::string devNum;    // "major:minor"
  std::string fstype;    // e.g. iso9660, proc
};

// The mounts in <procRoot>/self/mountinfo, in its order (the last of equal points hides the
// others). Empty when it cannot be read. The root is a parameter so that tests can give a fake.
std::vector<Mount> ReadMounts(const std::string& procRoot = "/proc");

// File systems that hold no files of a distribution, only views of the kernel (proc, sysfs,
// devtmpfs, cgroup and the like): a walk never enters them.
bool IsPseudoFileSystem(std::string_view fstype);

// The same for the f_type that fstatfs gives an open file. devtmpfs is not among them: it tells
// itself as tmpfs, which holds real files.
bool IsPseudoFileSystemMagic(long type);

}  // namespace kelvane
