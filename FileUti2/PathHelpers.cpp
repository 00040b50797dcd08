// The path rules: separators, joining, splitting, the home folder.
#include "FileUti2/PathHelpers.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string_view>
#include <vector>

namespace kelvane {
namespace {

std::string WithoutTrailing(std::string text, std::string_view separators) {
  while (!text.empty() && separators.find(text.back()) != std::string_view::npos) text.pop_back();
  return text;
}

}  // namespace

std::string GetWindowsDir() {
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
      !found->pw_dir)
    return {};
  // Callers append "/" and a file name, so no separator may end the text.
  return WithoutTrailing(found->pw_dir, "/");
}

bool FolderExists(const std::string& path) {
  struct stat info {};
  return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string RemoveTrailingBackslash(const std::string& text) {
  if (text.size() < 2) return text;
  const char last = text.back();
  if (last != '\\' && last != '/') return text;
  const char first = text[0] & ~0x20;  // upper-cased if it is a letter
  if (text.size() == 3 && first >= 'A' && first <= 'Z' && text[1] == ':') return text;
  return text.substr(0, text.size() - 1);
}

std::string StripTrailingSeparators(std::string folder) {
  const bool root = !folder.empty() && folder.front() == '/';
  folder = WithoutTrailing(std::move(folder), "/\\");
  return folder.empty() && root ? "/" : folder;
}

std::string WithTrailingSeparator(const std::string& folder) {
  return !folder.empty() && folder.back() == '/' ? folder : folder + "/";
}

std::string JoinFolderPath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

std::pair<std::string, std::string> SplitPath(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return {".", path};
  return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

std::vector<std::string> PathNames(const std::string& path) {
  std::vector<std::string> names;
  for (std::size_t start = 0; start <= path.size();) {
    const std::size_t end = std::min(path.find('/', start), path.size());
    std::string name = path.substr(start, end - start);
    if (!name.empty() && name != ".") names.push_back(std::move(name));
    start = end + 1;
  }
  return names;
}

}  // namespace kelvane
