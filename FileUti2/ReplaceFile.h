// Replacing a file's whole content so that either the old or the whole new file is there, never a
// part of either: the project file and the CLI's report are saved this way.
#pragma once

#include <string>
#include <string_view>

#include "FileUti2/FileDescriptor.h"

namespace kelvane {

// "Cannot <action> file "<path>". <reason>": the file system's error as the saves raise it.
[[noreturn]] void ThrowFileError(const char* action, const std::string& path,
                                 const std::string& reason);
[[noreturn]] void ThrowFileError(const char* action, const std::string& path, int error);

// Writes every byte to fd as it stands (at its offset, appending where it appends), going on
// after EINTR and waiting where it would block (a pipe to a slow reader); false with errno set.
bool WriteAll(int fd, std::string_view bytes);

// Where a save of path lands: path with its symbolic links followed (FollowSaveLinks), so that a
// link is written through and stays. Throws the save error ("create") when that file exists and
// is not a regular file (a device, FIFO, socket or folder: it is never replaced) or cannot be
// written, or when its folder cannot take a new file. Touches nothing.
std::string SaveTarget(const std::string& path);

// A file replaced by content written piece by piece: a temporary file beside the target (as
// SaveTarget finds it), renamed over it by Commit. Until then, and on any failure, the old file
// is untouched; the temporary file never outlives this object. An existing file keeps its
// permission bits and, where this process may set them, its owner and group. Every failure is
// the save error naming path.
class FileReplacement {
 public:
  explicit FileReplacement(const std::string& path);
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  void Write(std::string_view bytes);
  // Everything written reaches the disk (done by Commit when not called before): what can fail
  // before a file takes another's place, so that two files saved together fail together.
  void Prepare();
  // The new file takes the target's place.
  void Commit();
  // The file it replaces, its links followed.
  const std::string& Target() const { return target_; }

 private:
  void Flush();

  std::string path_;  // as given, for the messages
  std::string target_;
  std::string temp_;  // empty once renamed, or when there is none
  FileDescriptor fd_;
  std::string buffer_;
  bool prepared_ = false;
};

}  // namespace kelvane
