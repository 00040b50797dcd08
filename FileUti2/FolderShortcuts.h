// The folders the picker offers above its tree: the root, the home folder, the mounted media.
#pragma once

#include <QString>
#include <string>
#include <vector>

namespace kelvane {

struct FolderShortcut {
  QString label;
  std::string path;
};

// The root "/", the home folder (only with desktopRoot, as the desktop holds it and the drives
// do not), then each removable medium or disc (IsRemovableMedium, by <sysRoot>) mounted below
// /media, /run/media or /mnt, as <procRoot>/self/mountinfo lists them, named by the last part of
// its mount point (the volume label, for a desktop's automounter). A folder mounted there from a
// fixed disk, a tmpfs or a share is no medium.
std::vector<FolderShortcut> FolderShortcuts(bool desktopRoot, const std::string& procRoot = "/proc",
                                            const std::string& sysRoot = "/sys");

}  // namespace kelvane
