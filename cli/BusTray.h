// The tray moved as the window moves it: an eject goes through udisks2 on the system bus, which
// unmounts the disc first (the kernel refuses to eject a mounted one); without udisks2, and for
// a load, the ioctls.
#pragma once

#include <string>
#include <vector>

#include "drive/Tray.h"

namespace kelvane::cli {

class BusTray : public TrayDriver {
 public:
  // Throws TrayError: udisks2's own error under kUdisksErrorCode, or the ioctls' errno.
  void Move(const std::vector<std::string>& candidates, TTrayMove move) override;

 private:
  IoctlTray ioctls_;
};

}  // namespace kelvane::cli
