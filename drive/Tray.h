// Opening and closing the tray of the optical drive, and the error a failed move raises.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace kelvane {

// A tray move that failed: the system's error number and its text.
class TrayError : public std::runtime_error {
 public:
  explicit TrayError(int errorCode);
  int code;
};

enum class TTrayMove { tmOpen, tmClose };

// The device files a move tries in turn: the configured device alone, or by default /dev/cdrom
// and then /dev/sr0 for machines without the /dev/cdrom link.
std::vector<std::string> TrayCandidates(const std::string& trayDevice);

// Moves the tray of the first candidate that exists; a candidate is passed over only when it does
// not exist (ENOENT). Blocks until the drive answers. Throws TrayError on failure.
void MoveTray(const std::vector<std::string>& candidates, TTrayMove move);

inline void OpenTray(const std::string& trayDevice) {
  MoveTray(TrayCandidates(trayDevice), TTrayMove::tmOpen);
}
inline void CloseTray(const std::string& trayDevice) {
  MoveTray(TrayCandidates(trayDevice), TTrayMove::tmClose);
}

}  // namespace kelvane
