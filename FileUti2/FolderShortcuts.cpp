// FolderShortcuts: the fixed folders, then the mounted media in the order they were mounted.
#include "FileUti2/FolderShortcuts.h"

#include <QObject>
#include <algorithm>
#include <string_view>

#include "FileUti2/BlockDevices.h"
#include "FileUti2/MountInfo.h"
#include "FileUti2/PathHelpers.h"
#include "FileUti2/QtStrings.h"

namespace kelvane {

namespace {

// Where desktops, udisks and people mount removable media and discs.
bool IsMediaMountPoint(std::string_view point) {
  for (std::string_view base : {"/media", "/run/media", "/mnt"}) {
    if (point == base) return base == "/mnt";  // a disc mounted by hand at /mnt itself
    if (point.size() > base.size() + 1 && point.substr(0, base.size()) == base &&
        point[base.size()] == '/')
      return true;
  }
  return false;
}

QString LastPart(const std::string& point) {
  return PathToQString(SplitPath(point).second);
}

}  // namespace

std::vector<FolderShortcut> FolderShortcuts(bool desktopRoot, const std::string& procRoot,
                                            const std::string& sysRoot) {
  std::vector<FolderShortcut> shortcuts{{QStringLiteral("/"), "/"}};
  if (desktopRoot) {
    const std::string home = GetWindowsDir();
    if (FolderExists(home)) shortcuts.push_back({QObject::tr("Home"), home});
  }
  for (const Mount& mount : ReadMounts(procRoot)) {
    if (!IsMediaMountPoint(mount.point) || !IsRemovableMedium(mount, sysRoot)) continue;
    // A point mounted twice is one folder: it keeps its first place.
    const bool known = std::any_of(shortcuts.begin(), shortcuts.end(),
                                   [&](const FolderShortcut& s) { return s.path == mount.point; });
    if (!known) shortcuts.push_back({LastPart(mount.point), mount.point});
  }
  return shortcuts;
}

}  // namespace kelvane
