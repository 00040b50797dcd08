// The project file: parsing, formatting, and whole-file reading and replacing.
#include "project/ProjectFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <random>
#include <stdexcept>
#include <utility>

#include "FileUti2/FileDescriptor.h"
#include "FileUti2/PathHelpers.h"
#include "project/ListIndexError.h"

namespace kelvane {

namespace {

// The file system's error: what was attempted, the path, and the system's own text.
[[noreturn]] void ThrowFileError(const char* action, const std::string& path,
                                 const std::string& reason) {
  throw std::runtime_error(std::string("Cannot ") + action + " file \"" + path + "\". " + reason);
}
[[noreturn]] void ThrowFileError(const char* action, const std::string& path, int error) {
  ThrowFileError(action, path, std::string(std::strerror(error)));
}

// Line 3 as a decimal integer: an optional sign, then digits only, within the range of int.
int ToInteger(std::string_view text) {
  // from_chars takes a "-" but not a "+"; after a "+" a digit must follow, not a second sign.
  std::string_view digits = text;
  if (!digits.empty() && digits[0] == '+') {
    digits.remove_prefix(1);
    if (!digits.empty() && digits[0] == '-') digits = {};
  }
  int value = 0;
  const char* end = digits.data() + digits.size();
  const auto [stop, error] = std::from_chars(digits.data(), end, value);
  if (!digits.empty() && error == std::errc() && stop == end) return value;
  throw std::runtime_error("'" + std::string(text) + "' is not a valid integer value");
}

void CheckStorable(std::string_view text) {
  // A line break inside a text would shift every later line of the file: the project would
  // come back with other entries and values than were saved.
  if (text.find_first_of("\r\n") != std::string_view::npos)
    throw std::runtime_error("Cannot store a line break in the project file: \"" +
                             std::string(text.substr(0, text.find_first_of("\r\n"))) + "\"");
}

void AppendLine(std::string& out, std::string_view line) {
  CheckStorable(line);
  out += line;
  out += "\r\n";
}

std::string ReadFileBytes(const std::string& path) {
  // Non-blocking, so that a FIFO picked by mistake does not freeze the window; only a regular
  // file is read.
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.Get() < 0) ThrowFileError("open", path, errno);
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0) ThrowFileError("open", path, errno);
  if (S_ISDIR(info.st_mode)) ThrowFileError("open", path, EISDIR);
  if (!S_ISREG(info.st_mode)) ThrowFileError("open", path, "Not a regular file");
  std::string bytes;
  // Read into its final place at once: a large project grown block by block spends its time
  // moving what it has read.
  bytes.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd.Get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) ThrowFileError("read", path, errno);
    if (got == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  return bytes;
}

// A file that does not exist yet, beside the target, created with the usual 0666 & ~umask.
int CreateTempBeside(const std::string& target, std::string& tempPath) {
  const auto [folder, name] = SplitPath(target);
  std::random_device seed;
  std::mt19937 random(seed());
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string suffix(8, ' ');
    for (char& c : suffix) c = kLetters[random() % (sizeof kLetters - 1)];
    tempPath = (folder == "/" ? "" : folder) + "/." + name + "." + suffix + ".tmp";
    const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t put = ::write(fd, bytes.data(), bytes.size());
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(put));
  }
  return true;
}

// Replaces the file at path with bytes so that either the old or the whole new file is there,
// never a part of either: a temporary file beside it, written and synced, renamed over it.
void ReplaceFileBytes(const std::string& path, std::string_view bytes) {
  std::string target = path;
  struct stat existing {};
  const bool exists = ::stat(path.c_str(), &existing) == 0;
  if (exists) {
    // A read-only project file stays read-only, as when the file itself is opened for writing.
    if (::access(path.c_str(), W_OK) != 0) ThrowFileError("create", path, errno);
    // Write through a symbolic link instead of replacing the link with a file.
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
      target = resolved;
      std::free(resolved);
    }
  }
  std::string tempPath;
  FileDescriptor fd(CreateTempBeside(target, tempPath));
  if (fd.Get() < 0) ThrowFileError("create", path, errno);
  int error = 0;
  const char* action = "write";
  // Best effort: a file whose mode cannot be copied is still better saved than not.
  if (exists && S_ISREG(existing.st_mode)) ::fchmod(fd.Get(), existing.st_mode & 07777);
  if (!WriteAll(fd.Get(), bytes) || ::fsync(fd.Get()) != 0) error = errno;
  // Closed by hand, since a failed close can mean lost data.
  if (::close(fd.Release()) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(tempPath.c_str(), target.c_str()) != 0) {
    error = errno;
    action = "create";
  }
  if (error != 0) {
    ::unlink(tempPath.c_str());
    ThrowFileError(action, path, error);
  }
  // Make the rename itself durable; the new file is complete either way.
  FileDescriptor folder(
      ::open(SplitPath(target).first.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.Get() >= 0) ::fsync(folder.Get());
}

}  // namespace

std::vector<std::string_view> SplitLines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const char c = bytes[i];
    if (c != '\r' && c != '\n') {
      ++i;
      continue;
    }
    lines.push_back(bytes.substr(start, i - start));
    i += (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
    start = i;
  }
  if (start < bytes.size()) lines.push_back(bytes.substr(start));
  return lines;
}

ParsedProject ParseProject(std::string_view bytes) {
  const std::vector<std::string_view> lines = SplitLines(bytes);
  const auto line = [&lines](std::size_t index) {
    if (index >= lines.size()) throw ListIndexError(static_cast<long long>(index));
    return lines[index];
  };
  if (line(0) != kProjectHeader) throw std::runtime_error("Invalid Config File");
  ParsedProject parsed;
  parsed.sourceFolder = line(2);
  const int count = ToInteger(line(3));
  // A negative count would start the value block inside the header lines.
  if (count < 0) throw std::runtime_error("Invalid Config File");
  // The count is untrusted: room is made for no more entries than there are lines.
  const std::size_t valuesStart = 4 + static_cast<std::size_t>(count);
  parsed.entries.reserve(std::min(static_cast<std::size_t>(count), lines.size() - 4));
  if (valuesStart < lines.size()) parsed.values.reserve(lines.size() - valuesStart);
  for (std::size_t i = 4; i < valuesStart; ++i) parsed.entries.emplace_back(line(i));
  for (std::size_t i = valuesStart; i < lines.size(); ++i) parsed.values.emplace_back(lines[i]);
  return parsed;
}

void ApplyProject(Project& project, ParsedProject parsed) {
  project.SetSourceFolder(std::move(parsed.sourceFolder));
  project.Replace(std::move(parsed.entries), std::move(parsed.values));
}

std::string FormatProject(const Project& project) {
  std::string out;
  AppendLine(out, kProjectHeader);
  AppendLine(out, project.ConfigPath());
  AppendLine(out, project.SourceFolder());
  AppendLine(out, std::to_string(project.Count()));
  for (int i = 0; i < project.Count(); ++i) AppendLine(out, project.Entry(i));
  for (const std::string& value : project.Values()) AppendLine(out, value);
  return out;
}

void ReadProject(Project& project) {
  ParsedProject parsed = ParseProject(ReadFileBytes(project.ConfigPath()));
  ApplyProject(project, std::move(parsed));
}

void WriteProject(const Project& project) {
  // Formatted first, so that a project that cannot be stored leaves the file alone.
  const std::string bytes = FormatProject(project);
  ReplaceFileBytes(project.ConfigPath(), bytes);
}

}  // namespace kelvane
