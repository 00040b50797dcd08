// AbsolutePath, ExistingFolder and DescriptorName.
#include "cli/PathArguments.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "FileUti2/PathHelpers.h"
#include "cli/CliError.h"

namespace kelvane::cli {

namespace {

// folder with names[from] to names[to - 1] below it.
std::string Joined(std::string folder, const std::vector<std::string>& names, std::size_t from,
                   std::size_t to) {
  for (std::size_t i = from; i < to; ++i) folder = JoinFolderPath(folder, names[i]);
  return folder;
}

}  // namespace

std::string AbsolutePath(const std::string& path) {
  std::string absolute = path;
  if (path.empty() || path.front() != '/') {
    char cwd[PATH_MAX];
    if (!::getcwd(cwd, sizeof cwd)) throw CliError(kExitUsage, path + ": " + std::strerror(errno));
    absolute = JoinFolderPath(cwd, path);
  }
  const std::vector<std::string> names = PathNames(absolute);
  std::size_t lastUp = names.size();
  for (std::size_t i = 0; i < names.size(); ++i)
    if (names[i] == "..") lastUp = i;
  if (lastUp == names.size()) return Joined("/", names, 0, names.size());
  // What precedes the last ".." as the kernel resolves it, links followed.
  const std::unique_ptr<char, decltype(&::free)> resolved(
      ::realpath(Joined("/", names, 0, lastUp + 1).c_str(), nullptr), &::free);
  if (!resolved) return absolute;
  return Joined(resolved.get(), names, lastUp + 1, names.size());
}

std::string ExistingFolder(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) throw UsageError(path + ": " + std::strerror(errno));
  if (!S_ISDIR(st.st_mode)) throw UsageError(path + ": " + std::strerror(ENOTDIR));
  return AbsolutePath(path);
}

std::optional<int> DescriptorName(const std::string& path) {
  if (path == "-" || path == "/dev/stdout") return 1;
  if (path == "/dev/stderr") return 2;
  for (const std::string_view prefix : {"/dev/fd/", "/proc/self/fd/"}) {
    if (path.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string_view digits = std::string_view(path).substr(prefix.size());
    int fd = -1;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), fd);
    if (!digits.empty() && error == std::errc() && end == digits.data() + digits.size() && fd >= 0)
      return fd;
  }
  return std::nullopt;
}

}  // namespace kelvane::cli
