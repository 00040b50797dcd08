// AbsolutePath and ExistingFolder.
#include "cli/PathArguments.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "cli/CliError.h"

namespace kelvane::cli {

std::string AbsolutePath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) throw CliError(kExitUsage, path + ": " + error.message());
  // The dialogs give names without a trailing "/", which lexically_normal keeps.
  std::string normal = absolute.lexically_normal().string();
  if (normal.size() > 1 && normal.back() == '/') normal.pop_back();
  return normal;
}

std::string ExistingFolder(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) throw UsageError(path + ": " + std::strerror(errno));
  if (!S_ISDIR(st.st_mode)) throw UsageError(path + ": " + std::strerror(ENOTDIR));
  return AbsolutePath(path);
}

}  // namespace kelvane::cli
