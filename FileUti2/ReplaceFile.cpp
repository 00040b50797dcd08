// SaveTarget and ReplaceFileBytes: a save never leaves half a file, nor writes over what is not
// a regular file.
#include "FileUti2/ReplaceFile.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <stdexcept>
#include <utility>

#include "FileUti2/FileDescriptor.h"
#include "FileUti2/PathHelpers.h"

namespace kelvane {

void ThrowFileError(const char* action, const std::string& path, const std::string& reason) {
  throw std::runtime_error(std::string("Cannot ") + action + " file \"" + path + "\". " + reason);
}

void ThrowFileError(const char* action, const std::string& path, int error) {
  ThrowFileError(action, path, std::string(std::strerror(error)));
}

namespace {

// The path a symbolic link leads to, read relative to the link's own folder.
std::string LinkTarget(const std::string& link, const std::string& path) {
  std::string target(PATH_MAX, '\0');
  const ssize_t length = ::readlink(link.c_str(), target.data(), target.size());
  if (length < 0) ThrowFileError("create", path, errno);
  target.resize(static_cast<std::size_t>(length));
  if (!target.empty() && target.front() == '/') return target;
  return JoinFolderPath(SplitPath(link).first, target);
}

// A file that does not exist yet, beside the target; it is removed again unless Keep() is called
// once it has been renamed into place. mode: as open(2) takes it, under the umask.
class TempFile {
 public:
  TempFile(const std::string& target, mode_t mode) {
    auto [folder, name] = SplitPath(target);
    // Room for the dot and the suffix within the longest name a folder takes.
    if (name.size() > 200) name.resize(200);
    std::random_device seed;
    std::mt19937 random(seed());
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string suffix(8, ' ');
      for (char& c : suffix) c = kLetters[random() % (sizeof kLetters - 1)];
      path_ = (folder == "/" ? "" : folder) + "/." + name + "." + suffix + ".tmp";
      fd_ = FileDescriptor(::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
      if (fd_.IsOpen() || errno != EEXIST) break;
    }
    if (!fd_.IsOpen()) path_.clear();
  }
  ~TempFile() {
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  bool IsOpen() const { return fd_.IsOpen(); }
  int Fd() const { return fd_.Get(); }
  const std::string& Path() const { return path_; }
  // Closed by hand, since a failed close can mean lost data.
  bool Close() { return ::close(fd_.Release()) == 0; }
  void Keep() { path_.clear(); }

 private:
  std::string path_;
  FileDescriptor fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t put = ::write(fd, bytes.data(), bytes.size());
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(put));
  }
  return true;
}

// What SaveTarget finds, and the file that is there now, if any.
struct Target {
  std::string path;
  bool exists = false;
  struct stat existing {};
};

Target FindTarget(const std::string& path) {
  Target target{path};
  // The kernel's own limit on links followed in one lookup.
  for (int hops = 0;; ++hops) {
    if (::lstat(target.path.c_str(), &target.existing) != 0) {
      if (errno != ENOENT) ThrowFileError("create", path, errno);
      break;
    }
    if (!S_ISLNK(target.existing.st_mode)) {
      target.exists = true;
      break;
    }
    if (hops == 40) ThrowFileError("create", path, ELOOP);
    target.path = LinkTarget(target.path, path);
  }
  if (target.exists) {
    // A device, FIFO or socket would be swallowed by the rename, and the file that stood for it
    // would hold a project instead.
    if (S_ISDIR(target.existing.st_mode)) ThrowFileError("create", path, EISDIR);
    if (!S_ISREG(target.existing.st_mode)) ThrowFileError("create", path, "Not a regular file");
    // A read-only project file stays read-only, as when the file itself is opened for writing.
    if (::access(target.path.c_str(), W_OK) != 0) ThrowFileError("create", path, errno);
  }
  const std::string folder = SplitPath(target.path).first;
  if (::access(folder.c_str(), W_OK | X_OK) != 0) ThrowFileError("create", path, errno);
  return target;
}

}  // namespace

std::string SaveTarget(const std::string& path) {
  return FindTarget(path).path;
}

void ReplaceFileBytes(const std::string& path, std::string_view bytes) {
  const Target target = FindTarget(path);
  // A file that replaces a private one is never readable by others, not even for a moment: it
  // is made with no more than the old file's bits, else with the usual 0666 under the umask.
  TempFile temp(target.path, target.exists ? (target.existing.st_mode & 0777) : 0666);
  if (!temp.IsOpen()) ThrowFileError("create", path, errno);
  if (target.exists) {
    // Best effort: a file whose mode or owner cannot be copied is still better saved than not.
    // The owner first, since changing it may clear the set-id bits that the mode then restores.
    if (::fchown(temp.Fd(), target.existing.st_uid, target.existing.st_gid) != 0)
      (void)::fchown(temp.Fd(), static_cast<uid_t>(-1), target.existing.st_gid);
    (void)::fchmod(temp.Fd(), target.existing.st_mode & 07777);
  }
  int error = 0;
  const char* action = "write";
  if (!WriteAll(temp.Fd(), bytes) || ::fsync(temp.Fd()) != 0) error = errno;
  if (!temp.Close() && error == 0) error = errno;
  if (error == 0 && ::rename(temp.Path().c_str(), target.path.c_str()) != 0) {
    error = errno;
    action = "create";
  }
  if (error != 0) ThrowFileError(action, path, error);
  temp.Keep();
  // Make the rename itself durable; the new file is complete either way.
  const FileDescriptor folder(
      ::open(SplitPath(target.path).first.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.IsOpen()) (void)::fsync(folder.Get());
}

}  // namespace kelvane
