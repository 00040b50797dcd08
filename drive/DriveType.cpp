// IsOnOpticalDrive: mountinfo for the mount, sysfs for the device's type.
#include "drive/DriveType.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace kelvane {

namespace {

namespace fs = std::filesystem;

struct Mount {
  std::string point;   // unescaped mount point
  std::string source;  // e.g. /dev/sr0
  std::string devNum;  // "major:minor"
};

// mountinfo writes space, tab, newline and backslash in paths as \ooo octal escapes.
std::string Unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size()) {
      const std::string digits = text.substr(i + 1, 3);
      if (digits.find_first_not_of("01234567") == std::string::npos) {
        out += static_cast<char>(std::stoi(digits, nullptr, 8));
        i += 3;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

std::vector<Mount> ReadMounts(const std::string& procRoot) {
  std::vector<Mount> mounts;
  std::ifstream in(procRoot + "/self/mountinfo");
  std::string line;
  while (std::getline(in, line)) {
    // id parent major:minor root mount-point options [optional...] - fstype source super-options
    std::istringstream fields(line);
    std::string id, parent, devNum, root, point, field;
    if (!(fields >> id >> parent >> devNum >> root >> point)) continue;
    while (fields >> field && field != "-") {
    }
    std::string fstype, source;
    if (field != "-" || !(fields >> fstype >> source)) continue;
    mounts.push_back({Unescape(point), Unescape(source), devNum});
  }
  return mounts;
}

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

std::string ReadFirstLine(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line;
}

// A block device's folder in sysfs is optical when its SCSI type is 5; a partition asks the
// disk it belongs to, which is the folder above it.
bool IsOpticalBlockDir(const fs::path& dir) {
  std::error_code ec;
  if (!fs::exists(dir, ec)) return false;
  if (fs::exists(dir / "device" / "type", ec)) return ReadFirstLine(dir / "device" / "type") == "5";
  if (fs::exists(dir / "partition", ec)) {
    const fs::path real = fs::canonical(dir, ec);
    if (ec) return false;
    return IsOpticalBlockDir(real.parent_path());
  }
  return false;
}

}  // namespace

bool IsOnOpticalDrive(const std::string& path, const std::string& procRoot,
                      const std::string& sysRoot) {
  if (path.empty()) return false;
  std::error_code ec;
  // A link such as /media/cdrom -> cdrom0 is followed as far as it exists.
  fs::path target = fs::weakly_canonical(fs::path(path), ec);
  if (ec) target = fs::path(path).lexically_normal();
  const std::vector<Mount> mounts = ReadMounts(procRoot);
  const Mount* mount = MountOf(mounts, target);
  if (!mount) return false;
  const std::string& source = mount->source;
  if (source.rfind("/dev/sr", 0) == 0) return true;
  if (source.rfind("/dev/", 0) == 0 &&
      IsOpticalBlockDir(fs::path(sysRoot) / "class" / "block" / source.substr(5)))
    return true;
  // A source named by a link (/dev/cdrom, /dev/disk/by-label/...) still has its device number.
  return IsOpticalBlockDir(fs::path(sysRoot) / "dev" / "block" / mount->devNum);
}

}  // namespace kelvane
