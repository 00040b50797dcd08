// GetFileCRC32 and GetFileCheckSum19: the two sums that a project keeps for every file.
#include "cksummer/FileChecksums.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <memory>
#include <new>

#include "cksummer/CRC32.h"
#include "cksummer/FileDescriptor.h"

namespace kelvane {

namespace {

// Any failure to open or read the file; turned into CRC32Error by GetFileCRC32, which keeps only
// the path, never the underlying reason.
struct ReadFailure {};

FileDescriptor OpenRegularFile(const std::string& name) {
  // Look before opening: opening a device node can have effects of its own (a tape rewinds).
  struct stat st {};
  if (::stat(name.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) throw ReadFailure{};
  // O_NONBLOCK so that a FIFO put in place since the look above cannot block the open.
  int fd;
  do {
    fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  } while (fd < 0 && errno == EINTR);
  FileDescriptor file(fd);
  if (!file.IsOpen()) throw ReadFailure{};
  // What was opened is what counts: only a regular file is read.
  if (::fstat(file.Get(), &st) != 0 || !S_ISREG(st.st_mode)) throw ReadFailure{};
  // Regular files ignore O_NONBLOCK on local file systems, but not every file system does.
  const int flags = ::fcntl(file.Get(), F_GETFL);
  if (flags < 0 || ::fcntl(file.Get(), F_SETFL, flags & ~O_NONBLOCK) != 0) throw ReadFailure{};
  return file;
}

std::int64_t FileSize(const FileDescriptor& file) {
  struct stat st {};
  if (::fstat(file.Get(), &st) != 0) throw ReadFailure{};
  return static_cast<std::int64_t>(st.st_size);
}

}  // namespace

int CRC32Progress(std::int64_t Position, std::int64_t Size) {
  const std::int64_t position = Position / (Size / 100);
  return position > INT_MAX ? INT_MAX : static_cast<int>(position);
}

std::uint32_t GetFileCRC32(const std::string& FileName, ProgressSink& meter) {
  return GetFileCRC32(FileName, meter, [](int fd, std::uint8_t* buffer, std::size_t count) {
    return ::read(fd, buffer, count);
  });
}

std::uint32_t GetFileCRC32(const std::string& FileName, ProgressSink& meter,
                           const CRC32ReadStep& ReadStep) {
  std::uint32_t reg = kCRC32Start;
  try {
    const FileDescriptor file = OpenRegularFile(FileName);
    const std::int64_t size = FileSize(file);
    // Only a hint: the file is read once from start to end.
    (void)::posix_fadvise(file.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    // 65530 bytes, not 65536: the block size is part of how the meter moves.
    const auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(kCRC32BufferSize);
    std::int64_t position = 0;
    for (;;) {
      if (size > 100) meter.SetPosition(CRC32Progress(position, size));
      ssize_t n;
      do {
        n = ReadStep(file.Get(), buffer.get(), kCRC32BufferSize);
      } while (n < 0 && errno == EINTR);
      if (n < 0 || static_cast<std::size_t>(n) > kCRC32BufferSize) throw ReadFailure{};
      // Only a read of 0 bytes ends the file; a short read is just a smaller block.
      if (n == 0) break;
      UpdateCRC32(buffer.get(), static_cast<std::size_t>(n), reg);
      position += n;
    }
  } catch (const ReadFailure&) {
    throw CRC32Error(FileName);
  } catch (const std::bad_alloc&) {
    throw CRC32Error(FileName);
  }
  meter.SetPosition(100);
  // No final complement: every stored project holds the register as it stands.
  return reg;
}

std::uint32_t GetFileCheckSum19(const std::string& /*FileName*/) {
  return 0;
}

}  // namespace kelvane
