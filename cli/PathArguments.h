// The paths of the command line as the window's dialogs would give them: absolute.
#pragma once

#include <string>

namespace kelvane::cli {

// path made absolute against the current folder, "." and ".." resolved by name as a shell's cd
// does.
std::string AbsolutePath(const std::string& path);

// AbsolutePath of an existing folder; UsageError otherwise, as the picker offers nothing else.
std::string ExistingFolder(const std::string& path);

}  // namespace kelvane::cli
