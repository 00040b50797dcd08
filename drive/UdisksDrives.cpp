// PlanUdisksEject.
#include "drive/UdisksDrives.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace kelvane {

namespace {

bool Names(const UdisksBlock& block, const std::string& wanted, const std::string& resolved) {
  return block.device == wanted || (!resolved.empty() && block.device == resolved) ||
         std::find(block.symlinks.begin(), block.symlinks.end(), wanted) != block.symlinks.end();
}

}  // namespace

std::optional<UdisksEject> PlanUdisksEject(const std::vector<UdisksBlock>& blocks,
                                           const std::vector<std::string>& candidates) {
  for (const std::string& candidate : candidates) {
    std::error_code error;
    const std::string resolved = std::filesystem::canonical(candidate, error).string();
    const auto named = std::find_if(blocks.begin(), blocks.end(), [&](const UdisksBlock& block) {
      return Names(block, candidate, error ? std::string() : resolved);
    });
    if (named == blocks.end() || named->drive.empty() || named->drive == "/") continue;
    UdisksEject eject{named->drive, {}};
    for (const UdisksBlock& block : blocks)
      if (block.drive == eject.drive && block.filesystem && !block.mountPoints.empty())
        eject.unmount.push_back(block.object);
    return eject;
  }
  return std::nullopt;
}

}  // namespace kelvane
