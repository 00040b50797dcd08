// DiskFolder, IsOpticalDisk and IsRemovableMedium: files of sysfs, read as they are.
#include "FileUti2/BlockDevices.h"

#include <fstream>

namespace kelvane {

namespace {

namespace fs = std::filesystem;

std::string ReadFirstLine(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line;
}

// A disk found below a USB or an MMC host: its folder in sysfs lies below one.
bool OnRemovableBus(const fs::path& disk) {
  for (const fs::path& part : disk) {
    const std::string name = part.string();
    if (name.rfind("usb", 0) == 0 || name.rfind("mmc", 0) == 0) return true;
  }
  return false;
}

}  // namespace

std::optional<fs::path> DiskFolder(const fs::path& blockFolder) {
  std::error_code ec;
  const fs::path real = fs::canonical(blockFolder, ec);
  if (ec) return std::nullopt;
  if (fs::exists(real / "partition", ec)) return real.parent_path();
  return real;
}

bool IsOpticalDisk(const fs::path& diskFolder) {
  return ReadFirstLine(diskFolder / "device" / "type") == "5";
}

bool IsRemovableMedium(const Mount& mount, const std::string& sysRoot) {
  if (mount.devNum.empty()) return false;
  const std::optional<fs::path> disk =
      DiskFolder(fs::path(sysRoot) / "dev" / "block" / mount.devNum);
  if (!disk) return false;
  return ReadFirstLine(*disk / "removable") == "1" || OnRemovableBus(*disk) || IsOpticalDisk(*disk);
}

}  // namespace kelvane
