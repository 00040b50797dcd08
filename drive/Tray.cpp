// The tray moves as CD-ROM ioctls on the drive's device file.
#include "drive/Tray.h"

#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "FileUti2/FileDescriptor.h"

namespace kelvane {

namespace {

// O_NONBLOCK lets the drive be opened with no disc in it (and with the tray open).
int OpenDevice(const std::string& path) {
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

}  // namespace

TrayError::TrayError(int errorCode)
    : std::runtime_error(std::generic_category().message(errorCode)), code(errorCode) {}

TrayError::TrayError(int errorCode, const std::string& text)
    : std::runtime_error(text), code(errorCode) {}

std::vector<std::string> TrayCandidates(const std::string& trayDevice) {
  if (!trayDevice.empty()) return {trayDevice};
  return {"/dev/cdrom", "/dev/sr0"};
}

void MoveTray(const std::vector<std::string>& candidates, TTrayMove move) {
  int fd = -1;
  int error = ENOENT;
  for (const std::string& path : candidates) {
    fd = OpenDevice(path);
    if (fd >= 0) break;
    error = errno;
    if (error != ENOENT) break;
  }
  // Closed on every path out of the move.
  const FileDescriptor device(fd);
  if (!device.IsOpen()) throw TrayError(error);

  const unsigned long request = move == TTrayMove::tmOpen ? CDROMEJECT : CDROMCLOSETRAY;
  int result;
  do {
    result = ::ioctl(device.Get(), request, 0);
  } while (result < 0 && errno == EINTR);
  if (result < 0) throw TrayError(errno);
}

}  // namespace kelvane
