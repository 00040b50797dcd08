// ConfinedFolder: openat2 with RESOLVE_IN_ROOT, and a plain openat where the kernel lacks it.
#include "FileUti2/ConfinedFolder.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace kelvane {

namespace {

// Cleared at the first ENOSYS: a kernel older than 5.6 answers it to every call.
std::atomic<bool> haveOpenat2{true};

}  // namespace

ConfinedFolder::ConfinedFolder(const std::string& path)
    : folder_(::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)) {
  if (!folder_.IsOpen()) openError_ = errno;
}

int ConfinedFolder::Open(const std::string& relative, int flags) const {
  if (!folder_.IsOpen()) {
    errno = openError_;
    return -1;
  }
  if (haveOpenat2.load(std::memory_order_relaxed)) {
    open_how how{};
    how.flags = static_cast<unsigned>(flags);
    // No /proc magic links either: they lead wherever the kernel says.
    how.resolve = RESOLVE_IN_ROOT | RESOLVE_NO_MAGICLINKS;
    int fd;
    // EAGAIN: a rename or mount somewhere raced a lookup that crossed ".."; it is tried again.
    int tries = 0;
    do {
      fd = static_cast<int>(
          ::syscall(SYS_openat2, folder_.Get(), relative.c_str(), &how, sizeof how));
    } while (fd < 0 && (errno == EINTR || (errno == EAGAIN && ++tries < 16)));
    if (fd >= 0 || errno != ENOSYS) return fd;
    haveOpenat2.store(false, std::memory_order_relaxed);
  }
  int fd;
  do {
    fd = ::openat(folder_.Get(), relative.c_str(), flags);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

}  // namespace kelvane
