// The two sums that a project keeps for every file: GetFileCRC32 and GetFileCheckSum19.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "FileUti2/Digest.h"
#include "cksummer/DescriptorBudget.h"
#include "cksummer/ProgressSink.h"
#include "cksummer/RegularFile.h"

namespace kelvane {

// Raised by GetFileCRC32 for any file that cannot be opened or read; the message is
// "Error while getting CRC32\rFile: " followed by the path exactly as passed. Reason() tells why,
// for a terminal's line (the boxes show the message alone).
class CRC32Error : public std::runtime_error {
 public:
  explicit CRC32Error(const std::string& fileName, std::string reason = {}, int error = 0)
      : std::runtime_error("Error while getting CRC32\rFile: " + fileName),
        reason_(std::move(reason)),
        error_(error) {}
  const std::string& Reason() const { return reason_; }
  // The system's errno behind Reason, 0 when none.
  int Error() const { return error_; }

 private:
  std::string reason_;
  int error_;
};

// Raised by GetFileCRC32 when the meter says to stop between two blocks of a file (STOP or QUIT
// in the middle of a large one): the file was not read to its end.
class CRC32Abandoned : public std::runtime_error {
 public:
  CRC32Abandoned() : std::runtime_error("The file was not read to its end") {}
};

// Why a file was not read, beyond the system's own error texts.
inline constexpr char kNotRegularFile[] = "Not a regular file";
inline constexpr char kOnPseudoFileSystem[] = "A file of a pseudo file system, not read";
inline constexpr char kChangedWhileRead[] = "The file changed its size while it was read";

inline constexpr std::size_t kCRC32BufferSize = 65530;

// The legacy CRC-32 of the whole file; moves the meter as it reads. Only a regular file (or a
// symbolic link to one) of a real file system is read; anything else raises CRC32Error, and so
// does a file whose size changes while it is read (the sum would be of neither version).
std::uint32_t GetFileCRC32(const std::string& fileName, ProgressSink& meter);

// One read step of GetFileCRC32, with the contract of read(2): the bytes read (at most count),
// 0 at the end of the file, -1 with errno set on failure. Tests pass their own to make a read
// come back short, be interrupted, or fail in mid-file.
using CRC32ReadStep = std::function<ssize_t(int fd, std::uint8_t* buffer, std::size_t count)>;

// GetFileCRC32 reading through readStep instead of read(2); an empty readStep is read(2).
std::uint32_t GetFileCRC32(const std::string& fileName, ProgressSink& meter,
                           const CRC32ReadStep& readStep);

// A file opened, and its first blocks read, before its turn came (ReadAhead).
struct FileAhead {
  RegularFile file{};
  DescriptorBudget::Hold room;     // the descriptor's room in the readers' budget
  std::vector<std::uint8_t> head;  // its first bytes, read in blocks of kCRC32BufferSize
  bool atEnd = false;              // head is the whole file: the read after it gave 0 bytes
};

// What one read of a file gives: its legacy CRC-32, and its strong sum when one was asked for.
struct FileSums {
  std::uint32_t crc32 = 0;
  std::optional<Digest> strong;
};

// GetFileCRC32, and with strong that sum of the same bytes from the same read (BlockSums).
FileSums GetFileSums(const std::string& fileName, ProgressSink& meter,
                     const CRC32ReadStep& readStep, const std::optional<DigestType>& strong);

// GetFileSums of a file read ahead (open): the blocks of its head first, then the rest from its
// descriptor, where a read that failed ahead is tried again; the meter moves and the failures
// surface exactly as when it is read now.
FileSums GetFileSums(FileAhead ahead, const std::string& fileName, ProgressSink& meter,
                     const std::optional<DigestType>& strong);

// GetFileSums of the file at relative below root, which no link leads out of; fileName is the
// path the error names.
FileSums GetFileSums(const ConfinedFolder& root, const std::string& relative,
                     const std::string& fileName, ProgressSink& meter,
                     const CRC32ReadStep& readStep, const std::optional<DigestType>& strong);

// The meter position before a read at offset in a file of size bytes (size > 100):
// offset div (size div 100), in 64 bits so that files of 4 GiB and more move the bar right;
// a file that grew while being read is held at INT_MAX (shown as full) until it fails.
int CRC32Progress(std::int64_t offset, std::int64_t size);

// Always 0; it does not touch the file and never fails.
std::uint32_t GetFileCheckSum19(const std::string& fileName);

}  // namespace kelvane
