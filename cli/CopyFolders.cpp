// RootsFromEnvironment, CheckCopiesApart and DeviceGroups.
#include "cli/CopyFolders.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

#include "cli/CliError.h"
#include "drive/DriveType.h"

namespace kelvane::cli {

namespace {

struct Identity {
  dev_t device = 0;
  ino_t inode = 0;
};

Identity IdentityOf(const std::string& folder) {
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0) return {};
  return {st.st_dev, st.st_ino};
}

std::string Resolved(const std::string& folder) {
  std::error_code error;
  const std::filesystem::path resolved = std::filesystem::canonical(folder, error);
  return error ? folder : resolved.string();
}

bool Inside(const std::string& inner, const std::string& outer) {
  return inner.size() > outer.size() && inner.compare(0, outer.size(), outer) == 0 &&
         (outer == "/" || inner[outer.size()] == '/');
}

}  // namespace

SystemRoots RootsFromEnvironment() {
  SystemRoots roots;
  if (const char* proc = std::getenv("KELVANE_PROC_ROOT"); proc && *proc) roots.proc = proc;
  if (const char* sys = std::getenv("KELVANE_SYS_ROOT"); sys && *sys) roots.sys = sys;
  return roots;
}

void CheckCopiesApart(const std::vector<std::string>& copies) {
  for (std::size_t i = 0; i < copies.size(); ++i)
    for (std::size_t j = i + 1; j < copies.size(); ++j) {
      const Identity a = IdentityOf(copies[i]), b = IdentityOf(copies[j]);
      if (a.device == b.device && a.inode == b.inode)
        throw UsageError("the copy " + copies[j] + " is given twice");
      const std::string ra = Resolved(copies[i]), rb = Resolved(copies[j]);
      if (Inside(rb, ra))
        throw UsageError("the copy " + copies[j] + " lies inside the copy " + copies[i]);
      if (Inside(ra, rb))
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
    const Device device{IdentityOf(copies[i]).device,
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
