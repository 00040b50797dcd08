// SaveTarget and FileReplacement: a save never leaves half a file, nor writes over what is not a
// regular file.
#include "FileUti2/ReplaceFile.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <stdexcept>
#include <utility>

#include "FileUti2/PathHelpers.h"
#include "FileUti2/SaveLinks.h"

namespace kelvane {

void ThrowFileError(const char* action, const std::string& path, const std::string& reason) {
  throw std::runtime_error(std::string("Cannot ") + action + " file \"" + path + "\". " + reason);
}

void ThrowFileError(const char* action, const std::string& path, int error) {
  ThrowFileError(action, path, std::string(std::strerror(error)));
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t put = ::write(fd, bytes.data(), bytes.size());
    if (put >= 0) {
      bytes.remove_prefix(static_cast<std::size_t>(put));
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      pollfd ready{fd, POLLOUT, 0};
      (void)::poll(&ready, 1, -1);
    } else if (errno != EINTR) {
      return false;
    }
  }
  return true;
}

namespace {

constexpr std::size_t kWriteBlock = std::size_t{1} << 16;

// What SaveTarget finds, and the file that is there now, if any.
struct SaveSpot {
  std::string path;
  bool exists = false;
  struct stat existing {};
};

SaveSpot FindTarget(const std::string& path) {
  SaveSpot target{FollowSaveLinks(path)};
  if (::lstat(target.path.c_str(), &target.existing) == 0)
    target.exists = true;
  else if (errno != ENOENT)
    ThrowFileError("create", path, errno);
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

// A name that does not exist yet beside the target: ".<name>.<8 letters>.tmp", made with
// O_EXCL. mode: as open(2) takes it, under the umask.
FileDescriptor MakeTempFile(const std::string& target, mode_t mode, std::string& temp) {
  auto [folder, name] = SplitPath(target);
  // Room for the dot and the suffix within the longest name a folder takes.
  if (name.size() > 200) name.resize(200);
  std::random_device seed;
  std::mt19937 random(seed());
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string suffix(8, ' ');
    for (char& c : suffix) c = kLetters[random() % (sizeof kLetters - 1)];
    temp = (folder == "/" ? "" : folder) + "/." + name + "." + suffix + ".tmp";
    FileDescriptor fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
    if (fd.IsOpen()) return fd;
    if (errno != EEXIST) break;
  }
  temp.clear();
  return FileDescriptor();
}

}  // namespace

std::string SaveTarget(const std::string& path) {
  return FindTarget(path).path;
}

FileReplacement::FileReplacement(const std::string& path) : path_(path) {
  const SaveSpot target = FindTarget(path);
  target_ = target.path;
  // A file that replaces a private one is never readable by others, not even for a moment: it
  // is made with no more than the old file's bits, else with the usual 0666 under the umask.
  fd_ = MakeTempFile(target_, target.exists ? (target.existing.st_mode & 0777) : 0666, temp_);
  if (!fd_.IsOpen()) ThrowFileError("create", path_, errno);
  if (target.exists) {
    // Best effort: a file whose mode or owner cannot be copied is still better saved than not.
    // The owner first, since changing it may clear the set-id bits that the mode then restores.
    if (::fchown(fd_.Get(), target.existing.st_uid, target.existing.st_gid) != 0)
      (void)::fchown(fd_.Get(), static_cast<uid_t>(-1), target.existing.st_gid);
    (void)::fchmod(fd_.Get(), target.existing.st_mode & 07777);
  }
}

FileReplacement::~FileReplacement() {
  if (!temp_.empty()) ::unlink(temp_.c_str());
}

void FileReplacement::Flush() {
  if (!WriteAll(fd_.Get(), buffer_)) ThrowFileError("write", path_, errno);
  buffer_.clear();
}

void FileReplacement::Write(std::string_view bytes) {
  if (temp_.empty() || prepared_) throw std::logic_error("FileReplacement::Write after Prepare");
  buffer_.append(bytes);
  if (buffer_.size() >= kWriteBlock) Flush();
}

void FileReplacement::Prepare() {
  if (prepared_) return;
  Flush();
  if (::fsync(fd_.Get()) != 0) ThrowFileError("write", path_, errno);
  // Closed by hand, since a failed close can mean lost data.
  if (::close(fd_.Release()) != 0) ThrowFileError("write", path_, errno);
  prepared_ = true;
}

void FileReplacement::Commit() {
  Prepare();
  if (::rename(temp_.c_str(), target_.c_str()) != 0) ThrowFileError("create", path_, errno);
  temp_.clear();
  // Make the rename itself durable; the new file is complete either way.
  const FileDescriptor folder(
      ::open(SplitPath(target_).first.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.IsOpen()) (void)::fsync(folder.Get());
}

}  // namespace kelvane
