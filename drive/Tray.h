// Opening and closing the tray of the optical drive, and the error a failed move raises.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace kelvane {

// A tray move that failed: a number and its text, shown as "Error no: " + 8 hex digits + "\r" +
// text.
class TrayError : public std::runtime_error {
 public:
  explicit TrayError(int errorCode);  // errno, with the system's text for it
  TrayError(int errorCode, const std::string& text);
  int code;
};

enum class TTrayMove { tmOpen, tmClose };

// The device files a move tries in turn: the configured device alone, or by default /dev/cdrom
// and then /dev/sr0 for machines without the /dev/cdrom link.
std::vector<std::string> TrayCandidates(const std::string& trayDevice);

// Moves the tray of the first candidate that exists with the CD-ROM ioctls; a candidate is passed
// over only when it does not exist (ENOENT). Blocks until the drive answers. Throws TrayError.
void MoveTray(const std::vector<std::string>& candidates, TTrayMove move);

// How the tray commands move a tray. The kernel refuses to eject a mounted disc, so a desktop
// ejects through its disk service; the window supplies that, and anything without one the ioctls.
class TrayDriver {
 public:
  virtual ~TrayDriver() = default;
  virtual void Move(const std::vector<std::string>& candidates, TTrayMove move) = 0;
};

// The ioctls alone.
class IoctlTray : public TrayDriver {
 public:
  void Move(const std::vector<std::string>& candidates, TTrayMove move) override {
    MoveTray(candidates, move);
  }
};

}  // namespace kelvane
