// SidecarPath, SidecarLine and ReadSidecar: coreutils' lines, written and read back.
#include "project/Sha256Sidecar.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "FileUti2/FileDescriptor.h"
#include "FileUti2/ReplaceFile.h"
#include "project/SumLines.h"

namespace kelvane {

namespace {

// The longest line a sidecar of a project can hold: the sum, its marks and a path.
constexpr std::size_t kLongestLine = 64 + 3 + 2 * 4096;

std::string AsName(const std::string& entry) {
  std::string name = entry;
  std::replace(name.begin(), name.end(), '\\', '/');
  return name;
}

[[noreturn]] void Refuse(const char* what, const std::string& path, const std::string& why) {
  throw std::runtime_error(std::string(what) + "\rFile: " + path + "\r" + why);
}

[[noreturn]] void Invalid(const std::string& path, std::size_t number) {
  Refuse("Invalid SHA-256 list", path,
         "Line " + std::to_string(number) + " is not a sum and a name as sha256sum writes them");
}

// A line's sum and name, coreutils' escapes undone; nullopt when it is not a SHA-256 line.
std::optional<SumLine> ParseLine(std::string_view line) {
  // A line end written by an editor on Windows: no name of ours ends with a bare CR.
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::optional<SumLine> parsed = ParseCoreutilsLine(line, false);
  if (!parsed || parsed->sum.type != kSha256Type) return std::nullopt;
  return parsed;
}

}  // namespace

std::string SidecarPath(const std::string& projectPath) {
  return projectPath + ".sha256";
}

std::string SidecarLine(const Digest& sum, const std::string& entry) {
  return CoreutilsLine(sum, AsName(entry));
}

std::vector<Digest> ReadSidecar(const std::string& path, const std::vector<std::string>& entries) {
  const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.IsOpen()) ThrowFileError("open", path, errno);
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0) ThrowFileError("open", path, errno);
  if (!S_ISREG(info.st_mode)) ThrowFileError("open", path, "Not a regular file");
  std::vector<Digest> sums;
  sums.reserve(entries.size());
  const auto take = [&](std::string_view line) {
    const std::size_t number = sums.size() + 1;
    const auto parsed = ParseLine(line);
    if (!parsed) Invalid(path, number);
    if (sums.size() >= entries.size())
      Refuse(
          "The SHA-256 list belongs to another project", path,
          "It holds more sums than the project's " + std::to_string(entries.size()) + " entries");
    const std::string expected = AsName(entries[sums.size()]);
    if (parsed->name != expected)
      Refuse("The SHA-256 list belongs to another project", path,
             "Line " + std::to_string(number) + " names \"" + parsed->name +
                 "\" where the project has \"" + expected + "\"");
    sums.push_back(parsed->sum);
  };
  std::string carry;
  std::vector<char> buffer(std::size_t{1} << 20);
  for (;;) {
    const ssize_t got = ::read(fd.Get(), buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) ThrowFileError("read", path, errno);
    if (got == 0) break;
    std::string_view piece(buffer.data(), static_cast<std::size_t>(got));
    for (std::size_t end; (end = piece.find('\n')) != std::string_view::npos;) {
      if (carry.empty()) {
        take(piece.substr(0, end));
      } else {
        carry.append(piece.substr(0, end));
        take(carry);
        carry.clear();
      }
      piece.remove_prefix(end + 1);
    }
    carry.append(piece);
    if (carry.size() > kLongestLine) Invalid(path, sums.size() + 1);
  }
  if (!carry.empty()) take(carry);
  if (sums.size() != entries.size())
    Refuse("The SHA-256 list belongs to another project", path,
           "It holds " + std::to_string(sums.size()) + " sums for the project's " +
               std::to_string(entries.size()) + " entries");
  return sums;
}

}  // namespace kelvane
