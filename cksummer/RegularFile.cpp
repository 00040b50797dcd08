// OpenRegularFile: look, open without blocking, and check what was opened. The work is done
// without exceptions (readers ahead meet a missing file as often as the run does, and an
// exception costs more than the failed open); the run's forms throw.
#include "cksummer/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>

#include <cerrno>
#include <cstring>

#include "FileUti2/MountInfo.h"
#include "cksummer/FileChecksums.h"

namespace kelvane {

namespace {

constexpr int kReadFlags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;

bool Fail(ReadFailure& failure, const char* reason, int error = 0) {
  failure = {reason, error};
  return false;
}

bool FailErrno(ReadFailure& failure) {
  const int error = errno;
  return Fail(failure, std::strerror(error), error);
}

// What was opened is what counts: only a regular file of a real file system is read. A file of
// proc or sysfs can block forever (/proc/kmsg) or never end, whatever way led to it.
std::optional<RegularFile> CheckOpened(FileDescriptor file, ReadFailure& failure) {
  struct stat st {};
  if (::fstat(file.Get(), &st) != 0) return FailErrno(failure), std::nullopt;
  if (!S_ISREG(st.st_mode)) return Fail(failure, kNotRegularFile), std::nullopt;
  // The files of a run lie on one or a few file systems: the last one found real is asked
  // about once, not for each of tens of thousands of files.
  thread_local dev_t lastReal = 0;
  thread_local bool knowsOne = false;
  if (!knowsOne || st.st_dev != lastReal) {
    struct statfs fs {};
    if (::fstatfs(file.Get(), &fs) != 0) return FailErrno(failure), std::nullopt;
    if (IsPseudoFileSystemMagic(fs.f_type)) return Fail(failure, kOnPseudoFileSystem), std::nullopt;
    lastReal = st.st_dev;
    knowsOne = true;
  }
  return RegularFile{std::move(file), static_cast<std::int64_t>(st.st_size)};
}

RegularFile OrThrow(std::optional<RegularFile> file, const ReadFailure& failure) {
  if (!file) throw failure;
  return std::move(*file);
}

}  // namespace

void FailWithErrno() {
  const int error = errno;
  throw ReadFailure{std::strerror(error), error};
}

bool MakeBlocking(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  return flags >= 0 && (flags & O_NONBLOCK) && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

std::optional<RegularFile> TryOpenRegularFile(const std::string& name, ReadFailure& failure) {
  // Look before opening: opening a device node can have effects of its own (a tape rewinds).
  struct stat st {};
  if (::stat(name.c_str(), &st) != 0) return FailErrno(failure), std::nullopt;
  if (!S_ISREG(st.st_mode)) return Fail(failure, kNotRegularFile), std::nullopt;
  // O_NONBLOCK so that a FIFO put in place since the look above cannot block the open.
  int fd;
  do {
    fd = ::open(name.c_str(), kReadFlags);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return FailErrno(failure), std::nullopt;
  return CheckOpened(FileDescriptor(fd), failure);
}

std::optional<RegularFile> TryOpenRegularFile(const ConfinedFolder& root,
                                              const std::string& relative, ReadFailure& failure) {
  // The look before opening, as above, resolved inside the copy as the open is (a plain look
  // would follow a link out of it and see another file): through a path-only descriptor, which
  // opens nothing for reading.
  {
    const FileDescriptor look(root.Open(relative, O_PATH | O_CLOEXEC));
    struct stat st {};
    if (!look.IsOpen() || ::fstat(look.Get(), &st) != 0) return FailErrno(failure), std::nullopt;
    if (!S_ISREG(st.st_mode)) return Fail(failure, kNotRegularFile), std::nullopt;
  }
  const int fd = root.Open(relative, kReadFlags);
  if (fd < 0) return FailErrno(failure), std::nullopt;
  return CheckOpened(FileDescriptor(fd), failure);
}

RegularFile OpenRegularFile(const std::string& name) {
  ReadFailure failure;
  return OrThrow(TryOpenRegularFile(name, failure), failure);
}

RegularFile OpenRegularFile(const ConfinedFolder& root, const std::string& relative) {
  ReadFailure failure;
  return OrThrow(TryOpenRegularFile(root, relative, failure), failure);
}

}  // namespace kelvane
