// Opening a file to compute its sum, as GetFileCRC32 and the readers ahead of it both do: only a
// regular file of a real file system is opened, never to block, and why not when it is not.
#pragma once

#include <cstdint>
#include <string>

#include "FileUti2/ConfinedFolder.h"
#include "FileUti2/FileDescriptor.h"

namespace kelvane {

struct RegularFile {
  FileDescriptor descriptor;
  std::int64_t size;  // as it was when opened
};

// Any failure to open or read a file, with why.
struct ReadFailure {
  std::string reason;
};

// Throw ReadFailure.
RegularFile OpenRegularFile(const std::string& name);
RegularFile OpenRegularFile(const ConfinedFolder& root, const std::string& relative);

}  // namespace kelvane
