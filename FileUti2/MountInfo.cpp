// ReadMounts: the fields of /proc/self/mountinfo that Kelvane needs.
#include "FileUti2/MountInfo.h"

#include <linux/magic.h>

#include <exception>
#include <fstream>
#include <sstream>

namespace kelvane {

namespace {

// mountinfo writes space, tab, newline and backslash in paths as \ooo octal escapes.
std::string Unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size()) {
      const std::string digits = text.substr(i + 1, 3);
      if (digits.find_first_not_of("01234567") == std::string::npos) {
        out += static_cast<char>(std::stoi(digits, nullptr, 8));
        i += 3;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

}  // namespace

std::vector<Mount> ReadMounts(const std::string& procRoot) {
  std::vector<Mount> mounts;
  std::ifstream in(procRoot + "/self/mountinfo");
  std::string line;
  while (std::getline(in, line)) {
    // id parent major:minor root mount-point options [optional...] - fstype source super-options
    std::istringstream fields(line);
    std::string id, parent, devNum, root, point, field;
    if (!(fields >> id >> parent >> devNum >> root >> point)) continue;
    while (fields >> field && field != "-") {
    }
    std::string fstype, source;
    if (field != "-" || !(fields >> fstype >> source)) continue;
    std::uint64_t mountId = 0;
    try {
      mountId = std::stoull(id);
    } catch (const std::exception&) {
      continue;
    }
    mounts.push_back({mountId, Unescape(root), Unescape(point), Unescape(source), devNum, fstype});
  }
  return mounts;
}

bool IsPseudoFileSystem(std::string_view fstype) {
  static constexpr std::string_view kPseudo[] = {
      "proc",      "sysfs",       "devtmpfs", "devpts", "cgroup",     "cgroup2", "debugfs",
      "tracefs",   "securityfs",  "pstore",   "bpf",    "configfs",   "fusectl", "mqueue",
      "hugetlbfs", "binfmt_misc", "efivarfs", "autofs", "rpc_pipefs", "nsfs",    "selinuxfs"};
  for (std::string_view pseudo : kPseudo)
    if (fstype == pseudo) return true;
  return false;
}

bool IsPseudoFileSystemMagic(long type) {
  // Magic numbers the kernel headers do not all name.
  constexpr unsigned long kConfigfs = 0x62656570, kFusectl = 0x65735543, kMqueue = 0x19800202,
                          kRpcPipefs = 0x67596969;
  static constexpr unsigned long kPseudo[] = {PROC_SUPER_MAGIC,
                                              SYSFS_MAGIC,
                                              DEVPTS_SUPER_MAGIC,
                                              CGROUP_SUPER_MAGIC,
                                              CGROUP2_SUPER_MAGIC,
                                              DEBUGFS_MAGIC,
                                              TRACEFS_MAGIC,
                                              SECURITYFS_MAGIC,
                                              PSTOREFS_MAGIC,
                                              BPF_FS_MAGIC,
                                              kConfigfs,
                                              kFusectl,
                                              kMqueue,
                                              HUGETLBFS_MAGIC,
                                              BINFMTFS_MAGIC,
                                              EFIVARFS_MAGIC,
                                              AUTOFS_SUPER_MAGIC,
                                              kRpcPipefs,
                                              NSFS_MAGIC,
                                              SELINUX_MAGIC};
  // f_type is a signed word; the magic numbers are 32-bit patterns.
  const unsigned long magic = static_cast<unsigned long>(type) & 0xFFFFFFFFul;
  for (const unsigned long pseudo : kPseudo)
    if (magic == pseudo) return true;
  return false;
}

}  // namespace kelvane
