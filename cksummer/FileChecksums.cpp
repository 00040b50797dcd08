// GetFileCRC32, GetFileSums and GetFileCheckSum19: the sums that a project keeps for every file.
#include "cksummer/FileChecksums.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <new>

#include "FileUti2/FileDescriptor.h"
#include "cksummer/BlockSums.h"
#include "cksummer/CRC32.h"

namespace kelvane {

namespace {

// Below this size the kernel's own read-ahead already covers the file.
constexpr std::int64_t kSequentialHint = std::int64_t{1} << 20;

FileSums ReadSums(const RegularFile& opened, ProgressSink& meter, const CRC32ReadStep& readStep,
                  const std::optional<DigestType>& strong) {
  const auto& [file, size] = opened;
  // Only a hint: the file is read once from start to end.
  if (size > kSequentialHint) (void)::posix_fadvise(file.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
  // 65530 bytes, not 65536: the block size is part of how the meter moves.
  BlockSums sums(strong, size, kCRC32BufferSize);
  std::int64_t position = 0;
  for (;;) {
    if (size > 100) meter.SetPosition(CRC32Progress(position, size));
    // Between blocks: a STOP need not wait for the end of a file of gigabytes.
    if (position > 0 && position < size && meter.StopBetweenBlocks()) throw CRC32Abandoned();
    std::uint8_t* const buffer = sums.Next();
    ssize_t n;
    do {
      n = readStep ? readStep(file.Get(), buffer, kCRC32BufferSize)
                   : ::read(file.Get(), buffer, kCRC32BufferSize);
    } while (n < 0 && (errno == EINTR ||
                       ((errno == EAGAIN || errno == EWOULDBLOCK) && MakeBlocking(file.Get()))));
    if (n < 0) FailWithErrno();
    if (static_cast<std::size_t>(n) > kCRC32BufferSize) throw ReadFailure{std::strerror(EIO), EIO};
    // Only a read of 0 bytes ends the file; a short read is just a smaller block.
    if (n == 0) break;
    sums.Add(static_cast<std::size_t>(n));
    position += n;
    // A file that grows while it is read (a log being written) need not be read to its end.
    if (position > size) throw ReadFailure{kChangedWhileRead};
  }
  // Truncated while read: the sum is of neither version. (One grown is caught above, and one
  // grown after the read that found its end is the file as it was read.)
  if (position != size) throw ReadFailure{kChangedWhileRead};
  // No final complement: every stored project holds the register as it stands.
  return {sums.CRC32(), sums.Strong()};
}

template <typename Open>
FileSums GuardedSums(const std::string& fileName, ProgressSink& meter,
                     const CRC32ReadStep& readStep, const std::optional<DigestType>& strong,
                     Open open) {
  FileSums sums;
  try {
    sums = ReadSums(open(), meter, readStep, strong);
  } catch (const ReadFailure& failure) {
    throw CRC32Error(fileName, failure.reason, failure.error);
  } catch (const std::bad_alloc&) {
    throw CRC32Error(fileName, std::strerror(ENOMEM), ENOMEM);
  }
  meter.SetPosition(100);
  return sums;
}

}  // namespace

int CRC32Progress(std::int64_t offset, std::int64_t size) {
  const std::int64_t position = offset / (size / 100);
  return position > INT_MAX ? INT_MAX : static_cast<int>(position);
}

std::uint32_t GetFileCRC32(const std::string& fileName, ProgressSink& meter) {
  return GetFileCRC32(fileName, meter, CRC32ReadStep());
}

std::uint32_t GetFileCRC32(const std::string& fileName, ProgressSink& meter,
                           const CRC32ReadStep& readStep) {
  return GetFileSums(fileName, meter, readStep, std::nullopt).crc32;
}

FileSums GetFileSums(const std::string& fileName, ProgressSink& meter,
                     const CRC32ReadStep& readStep, const std::optional<DigestType>& strong) {
  return GuardedSums(fileName, meter, readStep, strong, [&] { return OpenRegularFile(fileName); });
}

FileSums GetFileSums(FileAhead ahead, const std::string& fileName, ProgressSink& meter,
                     const std::optional<DigestType>& strong) {
  std::size_t served = 0;
  // The read steps as they were taken ahead, then read(2) for what was not.
  const CRC32ReadStep step = [&ahead, &served](int fd, std::uint8_t* buffer, std::size_t count) {
    if (served < ahead.head.size()) {
      const std::size_t n = std::min(count, ahead.head.size() - served);
      std::memcpy(buffer, ahead.head.data() + served, n);
      served += n;
      return static_cast<ssize_t>(n);
    }
    if (ahead.atEnd) return ssize_t{0};
    return ::read(fd, buffer, count);
  };
  RegularFile& file = ahead.file;
  return GuardedSums(fileName, meter, step, strong, [&file] { return std::move(file); });
}

FileSums GetFileSums(const ConfinedFolder& root, const std::string& relative,
                     const std::string& fileName, ProgressSink& meter,
                     const CRC32ReadStep& readStep, const std::optional<DigestType>& strong) {
  return GuardedSums(fileName, meter, readStep, strong,
                     [&] { return OpenRegularFile(root, relative); });
}

std::uint32_t GetFileCheckSum19(const std::string& /*fileName*/) {
  return 0;
}

}  // namespace kelvane
