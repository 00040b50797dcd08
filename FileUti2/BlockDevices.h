// What sysfs tells of the block device a file system is mounted from: the disk it is (or is a
// partition of), and whether the kernel holds it for a removable medium.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "FileUti2/MountInfo.h"

namespace kelvane {

// The disk's folder in sysfs for a block device's folder there: the folder itself, or for a
// partition the disk it belongs to (the folder above it), links resolved. nullopt when it is no
// block device.
std::optional<std::filesystem::path> DiskFolder(const std::filesystem::path& blockFolder);

// Whether the disk in that folder is optical: its SCSI peripheral type is 5 (CD-ROM).
bool IsOpticalDisk(const std::filesystem::path& diskFolder);

// Whether the mount comes from a removable medium as the kernel tells it, by its device number
// in <sysRoot>/dev/block: a disk flagged removable, one on a USB or MMC bus (a USB disk, an SD
// card, which udisks2 holds removable too), or an optical one. A file system without a block
// device (tmpfs, a network share) is none.
bool IsRemovableMedium(const Mount& mount, const std::string& sysRoot = "/sys");

}  // namespace kelvane
