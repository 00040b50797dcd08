// BlockSums: one block and both sums on one thread, or the ring and the CRC's thread.
#include "cksummer/BlockSums.h"

#include <system_error>

#include "cksummer/CRC32.h"

namespace kelvane {

BlockSums::BlockSums(const std::optional<DigestType>& strong, std::int64_t size, std::size_t block)
    : block_(block), reg_(kCRC32Start) {
  if (strong) strong_ = std::make_unique<DigestHasher>(*strong);
  if (strong_ && size >= kSideBySideFrom) {
    buffers_ = std::make_unique_for_overwrite<std::uint8_t[]>(kRing * block_);
    sizes_.resize(kRing);
    try {
      crc_ = std::thread([this] { CrcThread(); });
      return;
    } catch (const std::system_error&) {
      // No second thread: both sums on this one.
    }
  }
  buffers_ = std::make_unique_for_overwrite<std::uint8_t[]>(block_);
}

BlockSums::~BlockSums() {
  StopThread();
}

void BlockSums::StopThread() {
  if (!crc_.joinable()) return;
  published_.fetch_or(kEnd, std::memory_order_release);
  published_.notify_one();
  crc_.join();
}

void BlockSums::CrcThread() {
  std::uint64_t done = 0;
  for (;;) {
    const std::uint64_t published = published_.load(std::memory_order_acquire);
    for (; done < (published & ~kEnd); ++done) {
      const std::size_t slot = done % kRing;
      UpdateCRC32(buffers_.get() + slot * block_, sizes_[slot], reg_);
      crced_.store(done + 1, std::memory_order_release);
      crced_.notify_one();
    }
    if (published & kEnd) return;
    published_.wait(published, std::memory_order_acquire);
  }
}

std::uint8_t* BlockSums::Next() {
  if (!crc_.joinable()) return buffers_.get();
  // The ring is full: wait for the CRC to free the oldest block.
  for (std::uint64_t done = crced_.load(std::memory_order_acquire); next_ >= done + kRing;
       done = crced_.load(std::memory_order_acquire))
    crced_.wait(done, std::memory_order_acquire);
  return buffers_.get() + (next_ % kRing) * block_;
}

void BlockSums::Add(std::size_t count) {
  if (!crc_.joinable()) {
    UpdateCRC32(buffers_.get(), count, reg_);
    if (strong_) strong_->Update(buffers_.get(), count);
    return;
  }
  const std::size_t slot = next_ % kRing;
  sizes_[slot] = count;
  // Handed over first, so that the CRC runs while this thread takes the strong sum of the same
  // block.
  published_.store(++next_, std::memory_order_release);
  published_.notify_one();
  strong_->Update(buffers_.get() + slot * block_, count);
}

std::uint32_t BlockSums::CRC32() {
  StopThread();
  return reg_;
}

std::optional<Digest> BlockSums::Strong() {
  if (!strong_) return std::nullopt;
  return strong_->Finish();
}

}  // namespace kelvane
