// Whether a path lies on a file system mounted from an optical (CD/DVD) drive.
#pragma once

#include <optional>
#include <string>

namespace kelvane {

// Finds the mount that holds path in <procRoot>/self/mountinfo and tells whether its device is
// an optical drive: /dev/sr*, or a block device whose SCSI peripheral type in
// <sysRoot>/class/block is 5 (CD-ROM). A loop-mounted ISO image is not an optical drive. The
// roots are parameters so that tests can give fake trees. Any doubt (no mount found, files
// unreadable) answers false.
bool IsOnOpticalDrive(const std::string& path, const std::string& procRoot = "/proc",
                      const std::string& sysRoot = "/sys");

// The device of the optical drive that holds path (the mount's source, e.g. /dev/sr1), by the
// same rules; nullopt when path is not on one.
std::optional<std::string> OpticalDriveOf(const std::string& path,
                                          const std::string& procRoot = "/proc",
                                          const std::string& sysRoot = "/sys");

}  // namespace kelvane
