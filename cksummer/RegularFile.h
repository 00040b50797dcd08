// Opening a file to compute its sum, as GetFileCRC32 and the readers ahead of it both do: only a
// regular file of a real file system is opened, never to block, and why not when it is not.
#pragma once

#include <cerrno>
#include <cstdint>
#include <optional>
#include <string>

#include "FileUti2/ConfinedFolder.h"
#include "FileUti2/FileDescriptor.h"

namespace kelvane {

struct RegularFile {
  FileDescriptor descriptor;
  std::int64_t size;  // as it was when opened
};

// Any failure to open or read a file, with why: the system's text, and its errno where the
// system gave one (0 for Kelvane's own reasons).
struct ReadFailure {
  std::string reason;
  int error = 0;
};

// Throw ReadFailure.
RegularFile OpenRegularFile(const std::string& name);
RegularFile OpenRegularFile(const ConfinedFolder& root, const std::string& relative);
// The same without throwing: nullopt, with why in failure.
std::optional<RegularFile> TryOpenRegularFile(const std::string& name, ReadFailure& failure);
std::optional<RegularFile> TryOpenRegularFile(const ConfinedFolder& root,
                                              const std::string& relative, ReadFailure& failure);

// Whether a failure's errno says the file is not there: it, or a folder on its way, does not
// exist (ENOENT, ENOTDIR), as opposed to a file that is there and cannot be read.
inline bool IsMissingError(int error) {
  return error == ENOENT || error == ENOTDIR;
}

// ReadFailure with the system's text for errno.
[[noreturn]] void FailWithErrno();

// Regular files ignore O_NONBLOCK on local file systems; one that does not answers EAGAIN, and
// the file is then read blocking like any other: true once it is. (Not cleared up front: that
// costs two system calls for every file, and New and CHECK open tens of thousands of them.)
bool MakeBlocking(int fd);

}  // namespace kelvane
