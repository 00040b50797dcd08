// Ejecting a disc through udisks2 on the system bus, as the desktop's file managers do.
#pragma once

#include <QString>
#include <string>
#include <vector>

#include "drive/Tray.h"
#include "drive/UdisksDrives.h"

namespace kelvane {

// Eject: the drive's mounted file systems are unmounted through udisks2 (the kernel refuses to
// eject a mounted disc), then the drive is ejected. Where udisks2 is not on the bus, or does not
// know the drive, the ioctls move the tray as without a desktop. Load is always the ioctl: udisks2
// cannot close a tray.
class UdisksTray : public TrayDriver {
 public:
  // busAddress: the bus to find udisks2 on; empty for the system bus.
  explicit UdisksTray(QString busAddress = {}) : busAddress_(std::move(busAddress)) {}
  void SetBusAddress(QString busAddress) { busAddress_ = std::move(busAddress); }

  void Move(const std::vector<std::string>& candidates, TTrayMove move) override;

 private:
  QString busAddress_;
  IoctlTray ioctls_;
};

}  // namespace kelvane
