// The paths of the command line as the window's dialogs would give them: absolute, and naming
// the file the kernel finds for them.
#pragma once

#include <optional>
#include <string>

namespace kelvane::cli {

// path made absolute against the current folder, with "." and repeated "/" dropped. A ".." is
// taken where the kernel takes it: after the links before it are followed ("zl/../p.cfg", with zl
// a link to P/sub, is P/p.cfg), so the part up to the last ".." is resolved; the rest keeps its
// spelling, links and all. When that part cannot be resolved the path is kept as it stands (made
// absolute), for the open or save to fail with the system's reason.
std::string AbsolutePath(const std::string& path);

// AbsolutePath of an existing folder; UsageError otherwise, as the picker offers nothing else.
std::string ExistingFolder(const std::string& path);

// The descriptor that a report's name stands for: "-" and /dev/stdout are 1, /dev/stderr 2,
// /dev/fd/N and /proc/self/fd/N are N. Such a report is written to the descriptor as it is
// (appending where it appends), never renamed over what it leads to.
std::optional<int> DescriptorName(const std::string& path);

}  // namespace kelvane::cli
