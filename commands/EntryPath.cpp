// StripTrailingSeparators, WithTrailingSeparator and ResolveEntry.
#include "commands/EntryPath.h"

#include <algorithm>

#include "cksummer/ListFiles.h"

namespace kelvane {

std::string StripTrailingSeparators(std::string folder) {
  const bool root = !folder.empty() && folder.front() == '/';
  while (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
  return folder.empty() && root ? "/" : folder;
}

std::string WithTrailingSeparator(const std::string& folder) {
  return !folder.empty() && folder.back() == '/' ? folder : folder + "/";
}

namespace {

bool IsSafeRelative(const std::string& entry) {
  if (entry.empty()) return false;
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

EntryPath ResolveEntry(const std::string& base, const std::string& entry) {
  std::string relative = entry;
  std::replace(relative.begin(), relative.end(), '\\', '/');
  return {JoinFolderPath(base, relative), IsSafeRelative(relative)};
}

}  // namespace kelvane
