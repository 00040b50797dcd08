// RootsFromEnvironment, CheckCopiesApart and DeviceGroups.
#include "cli/CopyFolders.h"

#include <cstdlib>
#include <optional>

#include "FileUti2/FileIdentity.h"
#include "cli/CliError.h"
#include "drive/DriveType.h"

namespace kelvane::cli {

SystemRoots RootsFromEnvironment() {
  SystemRoots roots;
  if (const char* proc = std::getenv("KELVANE_PROC_ROOT"); proc && *proc) roots.proc = proc;
  if (const char* sys = std::getenv("KELVANE_SYS_ROOT"); sys && *sys) roots.sys = sys;
  return roots;
}

void CheckCopiesApart(const std::vector<std::string>& copies) {
  for (std::size_t i = 0; i < copies.size(); ++i)
    for (std::size_t j = i + 1; j < copies.size(); ++j) {
      if (IdentityOf(copies[i]) == IdentityOf(copies[j]))
        throw UsageError("the copy " + copies[j] + " is given twice");
      if (FolderLiesInside(copies[j], copies[i]))
        throw UsageError("the copy " + copies[j] + " lies inside the copy " + copies[i]);
      if (FolderLiesInside(copies[i], copies[j]))
        throw UsageError("the copy " + copies[i] + " lies inside the copy " + copies[j]);
    }
}

std::vector<std::vector<std::size_t>> DeviceGroups(const std::vector<std::string>& copies,
                                                   const SystemRoots& roots) {
  struct Device {
    dev_t device;
    std::optional<std::string> drive;
  };
  std::vector<Device> devices;
  std::vector<std::vector<std::size_t>> groups;
  for (std::size_t i = 0; i < copies.size(); ++i) {
    const Device device{IdentityOf(copies[i]).value_or(FileIdentity()).device,
                        OpticalDriveOf(copies[i], roots.proc, roots.sys)};
    std::size_t group = 0;
    while (group < devices.size() && devices[group].device != device.device &&
           !(device.drive && devices[group].drive == device.drive))
      ++group;
    if (group == devices.size()) {
      devices.push_back(device);
      groups.emplace_back();
    }
    groups[group].push_back(i);
  }
  return groups;
}

}  // namespace kelvane::cli
