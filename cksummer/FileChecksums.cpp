// GetFileCRC32 and GetFileCheckSum19: the two sums that a project keeps for every file.
#include "cksummer/FileChecksums.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <memory>
#include <new>

#include "FileUti2/FileDescriptor.h"
#include "cksummer/CRC32.h"

namespace kelvane {

namespace {

// Any failure to open or read the file; turned into CRC32Error by GetFileCRC32, which keeps only
// the path, never the underlying reason.
struct ReadFailure {};

struct RegularFile {
  FileDescriptor descriptor;
  std::int64_t size;
};

RegularFile OpenRegularFile(const std::string& name) {
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
  return {std::move(file), static_cast<std::int64_t>(st.st_size)};
}

// Regular files ignore O_NONBLOCK on local file systems; one that does not answers EAGAIN, and
// the file is then read blocking like any other. (Not cleared up front: that costs two system
// calls for every file, and New and CHECK open tens of thousands of them.)
bool MakeBlocking(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  return flags >= 0 && (flags & O_NONBLOCK) && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

// Below this size the kernel's own read-ahead already covers the file.
constexpr std::int64_t kSequentialHint = std::int64_t{1} << 20;

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
  std::uint32_t reg = kCRC32Start;
  try {
    const auto [file, size] = OpenRegularFile(fileName);
    // Only a hint: the file is read once from start to end.
    if (size > kSequentialHint) (void)::posix_fadvise(file.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    // 65530 bytes, not 65536: the block size is part of how the meter moves.
    const auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(kCRC32BufferSize);
    std::int64_t position = 0;
    for (;;) {
      if (size > 100) meter.SetPosition(CRC32Progress(position, size));
      ssize_t n;
      do {
        n = readStep ? readStep(file.Get(), buffer.get(), kCRC32BufferSize)
                     : ::read(file.Get(), buffer.get(), kCRC32BufferSize);
      } while (n < 0 && (errno == EINTR ||
                         ((errno == EAGAIN || errno == EWOULDBLOCK) && MakeBlocking(file.Get()))));
      if (n < 0 || static_cast<std::size_t>(n) > kCRC32BufferSize) throw ReadFailure{};
      // Only a read of 0 bytes ends the file; a short read is just a smaller block.
      if (n == 0) break;
      UpdateCRC32(buffer.get(), static_cast<std::size_t>(n), reg);
      position += n;
    }
  } catch (const ReadFailure&) {
    throw CRC32Error(fileName);
  } catch (const std::bad_alloc&) {
    throw CRC32Error(fileName);
  }
  meter.SetPosition(100);
  // No final complement: every stored project holds the register as it stands.
  return reg;
}

std::uint32_t GetFileCheckSum19(const std::string& /*fileName*/) {
  return 0;
}

}  // namespace kelvane
