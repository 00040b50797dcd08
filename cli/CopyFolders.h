// The copies of one check: refused when they overlap, and grouped by the device they are read
// from, since two copies read side by side from one device only slow each other down.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kelvane::cli {

// Where mounts and block devices are read: /proc and /sys, or the trees that
// $KELVANE_PROC_ROOT and $KELVANE_SYS_ROOT name (tests stand a disc in a drive there).
struct SystemRoots {
  std::string proc = "/proc";
  std::string sys = "/sys";
};
SystemRoots RootsFromEnvironment();

// UsageError when a copy is given twice (by any path to the same folder) or lies inside another.
// The copies are existing folders.
void CheckCopiesApart(const std::vector<std::string>& copies);

// The copies (by index) read one after the other: those on one device (the same st_dev, or the
// same optical drive). Groups, and the copies in each, in the order given.
std::vector<std::vector<std::size_t>> DeviceGroups(const std::vector<std::string>& copies,
                                                   const SystemRoots& roots);

}  // namespace kelvane::cli
