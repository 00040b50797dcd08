// IsOnOpticalDrive: mountinfo for the mount, sysfs for the device's type.
#include "drive/DriveType.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "FileUti2/BlockDevices.h"
#include "FileUti2/MountInfo.h"

namespace kelvane {

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Components(const fs::path& path) {
  std::vector<std::string> parts;
  for (const auto& part : path)
    if (!part.empty() && part != "/") parts.push_back(part.string());
  return parts;
}

// The mount whose point is the longest component-wise prefix of path; of equal points the one
// mounted last, which hides the others.
const Mount* MountOf(const std::vector<Mount>& mounts, const fs::path& path) {
  const std::vector<std::string> target = Components(path);
  const Mount* best = nullptr;
  std::size_t bestLength = 0;
  for (const Mount& mount : mounts) {
    const std::vector<std::string> point = Components(fs::path(mount.point).lexically_normal());
    if (point.size() > target.size()) continue;
    if (!std::equal(point.begin(), point.end(), target.begin())) continue;
    if (!best || point.size() >= bestLength) {
      best = &mount;
      bestLength = point.size();
    }
  }
  return best;
}

// A block device's folder in sysfs is optical when its disk's SCSI type is 5; a partition asks
// the disk it belongs to.
bool IsOpticalBlockDir(const fs::path& dir) {
  const std::optional<fs::path> disk = DiskFolder(dir);
  return disk && IsOpticalDisk(*disk);
}

}  // namespace

std::optional<std::string> OpticalDriveOf(const std::string& path, const std::string& procRoot,
                                          const std::string& sysRoot) {
  if (path.empty()) return std::nullopt;
  std::error_code ec;
  // A link such as /media/cdrom -> cdrom0 is followed as far as it exists.
  fs::path target = fs::weakly_canonical(fs::path(path), ec);
  if (ec) target = fs::path(path).lexically_normal();
  const std::vector<Mount> mounts = ReadMounts(procRoot);
  const Mount* mount = MountOf(mounts, target);
  if (!mount) return std::nullopt;
  const std::string& source = mount->source;
  if (source.rfind("/dev/sr", 0) == 0) return source;
  if (source.rfind("/dev/", 0) == 0 &&
      IsOpticalBlockDir(fs::path(sysRoot) / "class" / "block" / source.substr(5)))
    return source;
  // A source named by a link (/dev/cdrom, /dev/disk/by-label/...) still has its device number,
  // and udev names every block device by it.
  if (IsOpticalBlockDir(fs::path(sysRoot) / "dev" / "block" / mount->devNum))
    return source.rfind("/dev/", 0) == 0 ? source : "/dev/block/" + mount->devNum;
  return std::nullopt;
}

bool IsOnOpticalDrive(const std::string& path, const std::string& procRoot,
                      const std::string& sysRoot) {
  return OpticalDriveOf(path, procRoot, sysRoot).has_value();
}

}  // namespace kelvane
