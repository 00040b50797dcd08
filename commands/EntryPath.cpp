// ResolveEntry: an entry below a base folder, and whether it stays there.
#include "commands/EntryPath.h"

#include <algorithm>

#include "FileUti2/PathHelpers.h"

namespace kelvane {

namespace {

bool IsSafeRelative(const std::string& entry) {
  // A NUL would end the name where the system reads it: "a.txt" NUL "junk" would be read as
  // a.txt, a file that the entry does not name.
  if (entry.empty() || entry.find('\0') != std::string::npos) return false;
  // Split on "/" (after "\" became "/"); a leading separator gives an empty first segment.
  std::size_t start = 0;
  while (true) {
    const std::size_t end = entry.find('/', start);
    const std::string segment =
        entry.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (segment.empty() || segment == "." || segment == "..") return false;
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

}  // namespace

EntryPath ResolveEntry(const std::string& base, const std::string& entry, char separator) {
  std::string relative = entry;
  std::replace(relative.begin(), relative.end(), separator, '/');
  return {JoinFolderPath(base, relative), IsSafeRelative(relative)};
}

}  // namespace kelvane
