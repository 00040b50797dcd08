// The two sums that a project keeps for every file: GetFileCRC32 and GetFileCheckSum19.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "cksummer/ProgressSink.h"

namespace kelvane {

// Raised by GetFileCRC32 for any file that cannot be opened or read; the message is
// "Error while getting CRC32\rFile: " followed by the path exactly as passed.
class CRC32Error : public std::runtime_error {
 public:
  explicit CRC32Error(const std::string& fileName)
      : std::runtime_error("Error while getting CRC32\rFile: " + fileName) {}
};

inline constexpr std::size_t kCRC32BufferSize = 65530;

// The legacy CRC-32 of the whole file; moves the meter as it reads.
std::uint32_t GetFileCRC32(const std::string& FileName, ProgressSink& meter);

// Always 0; it does not touch the file and never fails.
std::uint32_t GetFileCheckSum19(const std::string& FileName);

}  // namespace kelvane
