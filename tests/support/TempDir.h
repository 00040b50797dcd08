// A temporary folder that a test fills with a fixture tree; removed with everything in it.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane::test {

class TempDir {
 public:
  TempDir() : TempDir(std::filesystem::temp_directory_path()) {}
  // In parent, when the folder must lie on a given file system.
  explicit TempDir(const std::filesystem::path& parent) {
    std::string pattern = (parent / "kelvane-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    // Give back permissions a test took away, so that everything can be removed.
    for (auto it = std::filesystem::recursive_directory_iterator(
             path_, std::filesystem::directory_options::skip_permission_denied, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      if (it->is_directory(ec) && !it->is_symlink(ec)) chmod(it->path().c_str(), 0700);
    }
    chmod(path_.c_str(), 0700);
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }
  std::string operator/(std::string_view relative) const { return (path_ / relative).string(); }

  // Writes a file (making its folders) and returns its full path.
  std::string Write(std::string_view relative, std::string_view bytes) const {
    const auto full = path_ / relative;
    std::filesystem::create_directories(full.parent_path());
    std::ofstream out(full, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return full.string();
  }
  std::string MakeDir(std::string_view relative) const {
    const auto full = path_ / relative;
    std::filesystem::create_directories(full);
    return full.string();
  }
  std::string Read(std::string_view relative) const {
    std::ifstream in(path_ / relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  std::filesystem::path path_;
};

// The names in a folder, sorted: what a failed save must leave as it was.
inline std::vector<std::string> FolderContents(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& item : std::filesystem::directory_iterator(folder))
    names.push_back(item.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// True when the process can read files whatever their permission bits (root).
inline bool IgnoresPermissions() {
  return geteuid() == 0;
}

}  // namespace kelvane::test
