// The project file: parsing, formatting, reading as a stream and replacing.
#include "project/ProjectFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <new>
#include <optional>
#include <stdexcept>
#include <utility>

#include "FileUti2/FileDescriptor.h"
#include "FileUti2/ReplaceFile.h"
#include "project/ChecksumList.h"
#include "project/ListIndexError.h"
#include "project/Sha256Sidecar.h"

namespace kelvane {

namespace {

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

// A project file, or a list, read as a stream straight into what it holds.
ParsedProject ReadProjectFile(const std::string& path) {
  // Non-blocking, so that a FIFO picked by mistake does not freeze the window; only a regular
  // file is read.
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.Get() < 0) ThrowFileError("open", path, errno);
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0) ThrowFileError("open", path, errno);
  if (S_ISDIR(info.st_mode)) ThrowFileError("open", path, EISDIR);
  if (!S_ISREG(info.st_mode)) ThrowFileError("open", path, "Not a regular file");
  ProjectParser parser(static_cast<std::size_t>(info.st_size));
  LineSplitter splitter;
  const auto emit = [&parser](std::string_view line) { parser.Line(line); };
  // Which it is, from the bytes up to the first line end: the header, or anything else.
  std::optional<ChecksumListParser> list;
  std::string head;
  bool decided = false;
  std::vector<char> buffer(std::size_t{1} << 20);
  for (;;) {
    const ssize_t got = ::read(fd.Get(), buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) ThrowFileError("read", path, errno);
    std::string_view piece(buffer.data(), static_cast<std::size_t>(got));
    if (!decided) {
      head.append(piece);
      const std::size_t end = head.find_first_of("\r\n");
      if (end == std::string::npos && head.size() <= kProjectHeader.size() && got != 0) continue;
      decided = true;
      // An empty file is no list either: it fails as a project without its lines.
      if (!head.empty() && std::string_view(head).substr(0, end) != kProjectHeader)
        list.emplace(path, NamedForBlake2b(path));
      piece = head;
    }
    if (list) {
      list->Feed(piece, got == 0);
    } else {
      splitter.Feed(piece, got == 0, emit);
      if (splitter.Pending() > kLongestLine) ThrowLineTooLong(parser.LinesSeen() + 1);
    }
    if (got == 0) break;
    head.clear();
  }
  return list ? list->Finish() : parser.Finish();
}

}  // namespace

void LineSplitter::Feed(std::string_view piece, bool last,
                        const std::function<void(std::string_view)>& emit) {
  std::size_t start = 0;
  if (skipLf_ && !piece.empty()) {
    skipLf_ = false;
    if (piece.front() == '\n') start = 1;
  }
  for (std::size_t i = start; i < piece.size(); ++i) {
    const char c = piece[i];
    if (c != '\r' && c != '\n') continue;
    const std::string_view tail = piece.substr(start, i - start);
    if (carry_.empty()) {
      emit(tail);
    } else {
      carry_.append(tail.data(), tail.size());
      emit(std::string_view(carry_));
      carry_.clear();
    }
    if (c == '\r') {
      if (i + 1 == piece.size())
        skipLf_ = true;
      else if (piece[i + 1] == '\n')
        ++i;
    }
    start = i + 1;
  }
  const std::string_view rest = piece.substr(std::min(start, piece.size()));
  if (!last) {
    carry_.append(rest.data(), rest.size());
    return;
  }
  if (carry_.empty()) {
    if (!rest.empty()) emit(rest);
  } else {
    carry_.append(rest.data(), rest.size());
    emit(std::string_view(carry_));
    carry_.clear();
  }
}

std::vector<std::string_view> SplitLines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  // One piece, so every view points into bytes.
  LineSplitter().Feed(bytes, true, [&lines](std::string_view line) { lines.push_back(line); });
  return lines;
}

void ThrowLineTooLong(std::size_t number) {
  throw std::runtime_error("Invalid Config File\rLine " + std::to_string(number) +
                           " is longer than a path can be (" + std::to_string(kLongestLine) +
                           " bytes)");
}

void ProjectParser::Line(std::string_view line) {
  const std::size_t index = lines_++;
  if (line.size() > kLongestLine) ThrowLineTooLong(index + 1);
  if (index == 0) {
    if (line != kProjectHeader) throw std::runtime_error("Invalid Config File");
  } else if (index == 2) {
    parsed_.sourceFolder = line;
  } else if (index == 3) {
    const int count = ToInteger(line);
    // A negative count would start the value block inside the header lines.
    if (count < 0) throw std::runtime_error("Invalid Config File");
    count_ = static_cast<std::size_t>(count);
    // The count is untrusted: room is made for no more entries than the file could hold.
    parsed_.entries.reserve(std::min(count_, sizeHint_ / 2));
  } else if (index > 3 && index < 4 + count_) {
    parsed_.entries.emplace_back(line);
  } else if (index > 3) {
    parsed_.values.emplace_back(line);
  }
}

ParsedProject ProjectParser::Finish() {
  // The first line that is missing, in the order the lines are asked for: the header, the
  // source folder, the count, then each entry.
  const auto missing = [](std::size_t index) {
    return ListIndexError(static_cast<long long>(index));
  };
  if (lines_ == 0) throw missing(0);
  if (lines_ < 3) throw missing(2);
  if (lines_ < 4) throw missing(3);
  if (lines_ < 4 + count_) throw missing(lines_);
  return std::move(parsed_);
}

ParsedProject ParseProject(std::string_view bytes) {
  ProjectParser parser(bytes.size());
  LineSplitter splitter;
  splitter.Feed(bytes, true, [&parser](std::string_view line) { parser.Line(line); });
  return parser.Finish();
}

void ApplyProject(Project& project, ParsedProject parsed) {
  project.SetSourceFolder(std::move(parsed.sourceFolder));
  project.Replace(std::move(parsed.entries), std::move(parsed.values), std::move(parsed.strong),
                  std::move(parsed.published));
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
  ParsedProject parsed;
  try {
    parsed = ReadProjectFile(project.ConfigPath());
    const std::string sidecar = SidecarPath(project.ConfigPath());
    struct stat info {};
    if (parsed.published)
      ;  // a list carries its own sums
    else if (::lstat(sidecar.c_str(), &info) == 0)
      parsed.strong = ReadSidecar(sidecar, parsed.entries);
    else if (errno != ENOENT)
      ThrowFileError("open", sidecar, errno);
  } catch (const std::bad_alloc&) {
    // A file that does not fit in memory is no project this program wrote.
    throw std::runtime_error("Invalid Config File");
  } catch (const std::length_error&) {
    throw std::runtime_error("Invalid Config File");
  }
  ApplyProject(project, std::move(parsed));
}

void CheckSavable(const Project& project) {
  if (!project.Published()) return;
  throw std::runtime_error(
      "This list is no Kelvane project (" + project.Published()->format +
      "): it holds other sums than the CRC-32 a project keeps for every file, and Kelvane does "
      "not invent them.\rNothing was saved. New makes a project of the folder itself.");
}

void WriteProject(const Project& project) {
  CheckSavable(project);
  // Formatted first, so that a project that cannot be stored leaves the file alone.
  const std::string bytes = FormatProject(project);
  const std::string sidecarPath = SidecarPath(project.ConfigPath());
  FileReplacement file(project.ConfigPath());
  file.Write(bytes);
  std::optional<FileReplacement> sidecar;
  if (project.HasSha256Sums()) {
    sidecar.emplace(sidecarPath);
    for (int i = 0; i < project.Count(); ++i)
      sidecar->Write(SidecarLine(*project.StoredDigest(i), project.Entry(i)));
    sidecar->Prepare();
  }
  file.Prepare();
  // The old sidecar goes before the new project comes: a failure from here on leaves a project
  // without a sidecar (its files checked by the CRC alone), never one beside sums of another.
  const std::string old = sidecar ? sidecar->Target() : sidecarPath;
  if (::unlink(old.c_str()) != 0 && errno != ENOENT) ThrowFileError("create", sidecarPath, errno);
  file.Commit();
  if (sidecar) sidecar->Commit();
}

}  // namespace kelvane
