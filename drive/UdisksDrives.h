// What an eject through udisks2 does with the block devices the service lists: which drive a
// tray command means and which of its file systems must be unmounted first. The bus itself is
// the caller's (QtDBus in the window, sd-bus on the terminal).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kelvane {

// The code shown for an error that udisks2 or the bus answered: "Error no: 0000DB05", then the
// error's D-Bus name and message.
inline constexpr int kUdisksErrorCode = 0xDB05;

// One object of udisks2's object manager that has the Block interface.
struct UdisksBlock {
  std::string object;                    // its object path
  std::string device;                    // Block.Device, e.g. /dev/sr1
  std::vector<std::string> symlinks;     // Block.Symlinks
  std::string drive;                     // Block.Drive: the drive object, "/" for none
  bool filesystem = false;               // has the Filesystem interface
  std::vector<std::string> mountPoints;  // Filesystem.MountPoints
};

// What to call: Filesystem.Unmount on each of unmount, then Drive.Eject on drive.
struct UdisksEject {
  std::string drive;
  std::vector<std::string> unmount;
};

// The drive of the first candidate udisks2 knows (by its device node, a link to it, or the node
// a link resolves to) with every mounted file system of that drive, since a disc may hold more
// than one session; nullopt when it knows none of them, and the ioctls move the tray.
std::optional<UdisksEject> PlanUdisksEject(const std::vector<UdisksBlock>& blocks,
                                           const std::vector<std::string>& candidates);

}  // namespace kelvane
