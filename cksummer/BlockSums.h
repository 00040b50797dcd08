// The sums of a file taken block by block as it is read, in one pass: the legacy CRC-32 always,
// a list's strong sum (a SHA-256, an MD5, ...) when asked. A large file that wants both has them
// computed side by side: the CRC on a second thread over a ring of blocks, the strong sum on the
// reading one, so that the CRC adds nothing to its time where there are two cores.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "FileUti2/Digest.h"
#include "cksummer/DigestHasher.h"

namespace kelvane {

class BlockSums {
 public:
  // From this size on a file that wants both sums has the CRC on a thread of its own.
  static constexpr std::int64_t kSideBySideFrom = std::int64_t{4} << 20;

  // strong: the strong sum wanted too, if any; size: the file's, as it was opened; block: the
  // size of each read.
  BlockSums(const std::optional<DigestType>& strong, std::int64_t size, std::size_t block);
  // Stops the CRC's thread, whatever happened to the read.
  ~BlockSums();
  BlockSums(const BlockSums&) = delete;
  BlockSums& operator=(const BlockSums&) = delete;

  // Where the next block is to be read: block bytes, free once the CRC's thread is done with the
  // block that was there.
  std::uint8_t* Next();
  // count bytes (at least 1) were read into it.
  void Add(std::size_t count);

  std::uint32_t CRC32();
  std::optional<Digest> Strong();

 private:
  void CrcThread();
  void StopThread();

  std::size_t block_;
  std::unique_ptr<DigestHasher> strong_;
  std::unique_ptr<std::uint8_t[]> buffers_;  // one block, or the ring; left uninitialised
  std::uint32_t reg_;
  // The ring between the two threads: blocks handed over (kEnd once the last is) and done.
  static constexpr std::size_t kRing = 8;
  static constexpr std::uint64_t kEnd = std::uint64_t{1} << 63;
  std::vector<std::size_t> sizes_;
  std::atomic<std::uint64_t> published_{0};
  std::atomic<std::uint64_t> crced_{0};
  std::uint64_t next_ = 0;
  std::thread crc_;
};

}  // namespace kelvane
