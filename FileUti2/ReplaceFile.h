// Replacing a file's whole content so that either the old or the whole new file is there, never a
// part of either: the project file and the CLI's report are saved this way.
#pragma once

#include <string>
#include <string_view>

namespace kelvane {

// "Cannot <action> file "<path>". <reason>": the file system's error as the saves raise it.
[[noreturn]] void ThrowFileError(const char* action, const std::string& path,
                                 const std::string& reason);
[[noreturn]] void ThrowFileError(const char* action, const std::string& path, int error);

// Where a save of path lands: path itself, or for a symbolic link (a chain of them) the file it
// leads to, which is replaced while the link stays. Throws the save error ("create") when that
// file exists and is not a regular file (a device, FIFO, socket or folder: it is never replaced)
// or cannot be written, or when its folder cannot take a new file. Touches nothing.
std::string SaveTarget(const std::string& path);

// Replaces the file at path (as SaveTarget finds it) with bytes: a temporary file beside it,
// written and synced, renamed over it. An existing file keeps its permission bits and, where
// this process may set them, its owner and group. On any failure the old file is untouched, the
// temporary file is gone, and the save error names path.
void ReplaceFileBytes(const std::string& path, std::string_view bytes);

}  // namespace kelvane
