// GetFileCRC32 and GetFileCheckSum19: the two sums that a project keeps for every file.
#include "cksummer/FileChecksums.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <new>

#include "FileUti2/FileDescriptor.h"
#include "FileUti2/MountInfo.h"
#include "cksummer/CRC32.h"

namespace kelvane {

namespace {

// Any failure to open or read the file, with why; turned into CRC32Error by GetFileCRC32.
struct ReadFailure {
  std::string reason;
};

[[noreturn]] void FailWithErrno() {
  throw ReadFailure{std::strerror(errno)};
}

struct RegularFile {
  FileDescriptor descriptor;
  std::int64_t size;
};

constexpr int kReadFlags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;

// What was opened is what counts: only a regular file of a real file system is read. A file of
// proc or sysfs can block forever (/proc/kmsg) or never end, whatever way led to it.
RegularFile CheckOpened(FileDescriptor file) {
  struct stat st {};
  if (::fstat(file.Get(), &st) != 0) FailWithErrno();
  if (!S_ISREG(st.st_mode)) throw ReadFailure{kNotRegularFile};
  // The files of a run lie on one or a few file systems: the last one found real is asked
  // about once, not for each of tens of thousands of files.
  thread_local dev_t lastReal = 0;
  thread_local bool knowsOne = false;
  if (!knowsOne || st.st_dev != lastReal) {
    struct statfs fs {};
    if (::fstatfs(file.Get(), &fs) != 0) FailWithErrno();
    if (IsPseudoFileSystemMagic(fs.f_type)) throw ReadFailure{kOnPseudoFileSystem};
    lastReal = st.st_dev;
    knowsOne = true;
  }
  return {std::move(file), static_cast<std::int64_t>(st.st_size)};
}

RegularFile OpenRegularFile(const std::string& name) {
  // Look before opening: opening a device node can have effects of its own (a tape rewinds).
  struct stat st {};
  if (::stat(name.c_str(), &st) != 0) FailWithErrno();
  if (!S_ISREG(st.st_mode)) throw ReadFailure{kNotRegularFile};
  // O_NONBLOCK so that a FIFO put in place since the look above cannot block the open.
  int fd;
  do {
    fd = ::open(name.c_str(), kReadFlags);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) FailWithErrno();
  return CheckOpened(FileDescriptor(fd));
}

RegularFile OpenRegularFile(const ConfinedFolder& root, const std::string& relative) {
  // The look before opening, as above. A plain look follows links as they lead, in or out of the
  // copy; the open below stays inside, and what it opens is looked at again before anything is
  // read.
  struct stat st {};
  if (root.Stat(relative, st) != 0 || !S_ISREG(st.st_mode)) {
    // The plain look may have been led out of the copy (an absolute link): look again inside it,
    // through a path-only descriptor, which opens nothing for reading.
    const FileDescriptor look(root.Open(relative, O_PATH | O_CLOEXEC));
    if (!look.IsOpen() || ::fstat(look.Get(), &st) != 0) FailWithErrno();
    if (!S_ISREG(st.st_mode)) throw ReadFailure{kNotRegularFile};
  }
  const int fd = root.Open(relative, kReadFlags);
  if (fd < 0) FailWithErrno();
  return CheckOpened(FileDescriptor(fd));
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

std::uint32_t ReadCRC32(const RegularFile& opened, ProgressSink& meter,
                        const CRC32ReadStep& readStep) {
  const auto& [file, size] = opened;
  // Only a hint: the file is read once from start to end.
  if (size > kSequentialHint) (void)::posix_fadvise(file.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
  // 65530 bytes, not 65536: the block size is part of how the meter moves.
  const auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(kCRC32BufferSize);
  std::uint32_t reg = kCRC32Start;
  std::int64_t position = 0;
  for (;;) {
    if (size > 100) meter.SetPosition(CRC32Progress(position, size));
    ssize_t n;
    do {
      n = readStep ? readStep(file.Get(), buffer.get(), kCRC32BufferSize)
                   : ::read(file.Get(), buffer.get(), kCRC32BufferSize);
    } while (n < 0 && (errno == EINTR ||
                       ((errno == EAGAIN || errno == EWOULDBLOCK) && MakeBlocking(file.Get()))));
    if (n < 0) FailWithErrno();
    if (static_cast<std::size_t>(n) > kCRC32BufferSize) throw ReadFailure{std::strerror(EIO)};
    // Only a read of 0 bytes ends the file; a short read is just a smaller block.
    if (n == 0) break;
    UpdateCRC32(buffer.get(), static_cast<std::size_t>(n), reg);
    position += n;
    // A file that grows while it is read (a log being written) need not be read to its end.
    if (position > size) throw ReadFailure{kChangedWhileRead};
  }
  // Truncated while read: the sum is of neither version. (One grown is caught above, and one
  // grown after the read that found its end is the file as it was read.)
  if (position != size) throw ReadFailure{kChangedWhileRead};
  return reg;
}

template <typename Open>
std::uint32_t GuardedCRC32(const std::string& fileName, ProgressSink& meter,
                           const CRC32ReadStep& readStep, Open open) {
  std::uint32_t reg;
  try {
    reg = ReadCRC32(open(), meter, readStep);
  } catch (const ReadFailure& failure) {
    throw CRC32Error(fileName, failure.reason);
  } catch (const std::bad_alloc&) {
    throw CRC32Error(fileName, std::strerror(ENOMEM));
  }
  meter.SetPosition(100);
  // No final complement: every stored project holds the register as it stands.
  return reg;
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
  return GuardedCRC32(fileName, meter, readStep, [&] { return OpenRegularFile(fileName); });
}

std::uint32_t GetFileCRC32(const ConfinedFolder& root, const std::string& relative,
                           const std::string& fileName, ProgressSink& meter,
                           const CRC32ReadStep& readStep) {
  return GuardedCRC32(fileName, meter, readStep, [&] { return OpenRegularFile(root, relative); });
}

std::uint32_t GetFileCheckSum19(const std::string& /*fileName*/) {
  return 0;
}

}  // namespace kelvane
