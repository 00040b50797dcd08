// GetWindowsDir, FolderExists and RemoveTrailingBackslash.
#include "FileUti2/PathHelpers.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace kelvane {

std::string GetWindowsDir() {
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
      !found->pw_dir)
    return {};
  std::string home = found->pw_dir;
  // Callers append "/" and a file name, so no separator may end the text.
  while (!home.empty() && home.back() == '/') home.pop_back();
  return home;
}

bool FolderExists(const std::string& Path) {
  struct stat info {};
  return !Path.empty() && stat(Path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string RemoveTrailingBackslash(const std::string& S) {
  // In UTF-8 no byte of a multi-byte character is "/" or "\", so a byte test is multi-byte safe.
  if (S.size() < 2) return S;
  const char last = S.back();
  if (last != '\\' && last != '/') return S;
  const char first = S[0] & ~0x20;  // upper-cased if it is a letter
  if (S.size() == 3 && first >= 'A' && first <= 'Z' && S[1] == ':') return S;
  return S.substr(0, S.size() - 1);
}

}  // namespace kelvane
