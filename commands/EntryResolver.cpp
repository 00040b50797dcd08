// EntryResolver: exact bytes, then case-insensitive names, then Windows-1252; and EntrySums.
#include "commands/EntryResolver.h"

#include <dirent.h>
#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <wctype.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <memory>
#include <vector>

#include "FileUti2/FileDescriptor.h"
#include "FileUti2/PathHelpers.h"
#include "FileUti2/TextEncoding.h"

namespace kelvane {

namespace {

std::string AsciiFold(std::string_view name) {
  std::string folded(name);
  for (char& c : folded)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return folded;
}

// Unicode simple case folding, as the C library's UTF-8 locale maps case: a code point folds to
// the lower case of its upper case, so that "ς", "σ" and "Σ" (or "ſ", "s" and "S") fold alike.
// Names that are not UTF-8 fold in ASCII only.
std::string Fold(std::string_view name) {
  static const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
  if (!IsValidUtf8(name) || !utf8) return AsciiFold(name);
  std::u32string codes = DecodeUtf8(name);
  for (char32_t& code : codes)
    code = static_cast<char32_t>(::towlower_l(::towupper_l(static_cast<wint_t>(code), utf8), utf8));
  return EncodeUtf8(codes);
}

// Why an entry was not read when it is not safe to read.
std::string UnsafeReason(const std::string& entry) {
  if (entry.find('\0') != std::string::npos) return "The entry holds a NUL byte";
  return "The entry leads out of the folder";
}

}  // namespace

EntryResolver::EntryResolver(std::string base, Links links, char separator)
    : base_(std::move(base)), separator_(separator) {
  if (links == inBase) root_ = std::make_shared<const ConfinedFolder>(base_);
}

bool EntryResolver::NamedExactly(const std::string& path) {
  if (!named_) return false;
  const std::hash<std::string> hash;
  if (!exactIndexed_) {
    exactIndexed_ = true;
    exactByHash_.reserve(static_cast<std::size_t>(named_->Count()));
    for (int i = 0; i < named_->Count(); ++i) {
      const EntryPath exact = Exact(named_->Entry(i));
      if (exact.safe) exactByHash_.emplace_back(hash(exact.path), i);
    }
    std::sort(exactByHash_.begin(), exactByHash_.end());
  }
  const std::size_t wanted = hash(path);
  for (auto it = std::lower_bound(exactByHash_.begin(), exactByHash_.end(),
                                  std::pair<std::size_t, int>(wanted, 0));
       it != exactByHash_.end() && it->first == wanted; ++it)
    if (Exact(named_->Entry(it->second)).path == path) return true;
  return false;
}

int EntryResolver::Look(const std::string& path, struct stat& st, bool follow) const {
  if (!root_) return follow ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st);
  // Through the copy itself: a link on the way that points out of it tells nothing of what lies
  // outside (whether /etc holds PASSWD, say).
  const FileDescriptor look(root_->Open(path == base_ ? "." : AheadPath(path),
                                        O_PATH | O_CLOEXEC | (follow ? 0 : O_NOFOLLOW)));
  if (!look.IsOpen()) return -1;
  return ::fstat(look.Get(), &st);
}

FileDescriptor EntryResolver::OpenFolder(const std::string& folder, bool followLast) const {
  const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK | (followLast ? 0 : O_NOFOLLOW);
  if (!root_) return FileDescriptor(::open(folder.c_str(), flags));
  // Listed through the copy when reads stay in it, as the looks are; the copy itself is reached
  // as the user named it.
  if (folder == base_) return FileDescriptor(root_->Open(".", flags & ~O_NOFOLLOW));
  return FileDescriptor(root_->Open(AheadPath(folder), flags));
}

// Only a name that is not there counts as missing; any other failure (no permission, a pulled
// disc) leaves the exact path to be reported as unreadable.
bool EntryResolver::Missing(const std::string& path) const {
  struct stat st {};
  return Look(path, st, false) != 0 && IsMissingError(errno);
}

FileSums EntryResolver::Sums(const std::string& path, ProgressSink& meter,
                             const CRC32ReadStep& readStep,
                             const std::optional<DigestType>& strong) const {
  if (!root_) return GetFileSums(path, meter, readStep, strong);
  return GetFileSums(*root_, AheadPath(path), path, meter, readStep, strong);
}

std::string EntryResolver::AheadPath(const std::string& path) const {
  if (!root_) return path;
  // Every path here was built below the base: what follows it is the path inside.
  return path.substr(base_.size() + (base_.back() == '/' ? 0 : 1));
}

const EntryResolver::Folder& EntryResolver::NamesOf(const std::string& folder) {
  const auto known = folders_.find(folder);
  if (known != folders_.end()) return known->second;
  Folder& names = folders_[folder];
  FileDescriptor fd = OpenFolder(folder.empty() ? "/" : folder, true);
  std::vector<std::string> listed;
  if (fd.IsOpen()) {
    if (const std::unique_ptr<DIR, int (*)(DIR*)> dir(::fdopendir(fd.Get()), ::closedir); dir) {
      fd.Release();
      while (const dirent* entry = ::readdir(dir.get())) listed.emplace_back(entry->d_name);
    }
  }
  for (const std::string& name : listed) {
    if (name == "." || name == "..") continue;
    const std::string folded = Fold(name);
    names.byFold[folded] = name;
    ++names.folds[folded];
  }
  return names;
}

std::optional<std::string> EntryResolver::FindRelative(const std::string& relative) {
  std::string path = base_;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = relative.find('/', start);
    const std::string segment = relative.substr(start, end - start);
    std::string next = JoinFolderPath(path, segment);
    if (Missing(next)) {
      const Folder& names = NamesOf(path);
      const std::string folded = Fold(segment);
      const auto count = names.folds.find(folded);
      if (count == names.folds.end() || count->second != 1) return std::nullopt;
      next = JoinFolderPath(path, names.byFold.at(folded));
    }
    path = std::move(next);
    if (end == std::string::npos) return path;
    start = end + 1;
  }
}

std::optional<std::string> EntryResolver::Find(const std::string& entry) {
  const EntryPath exact = Exact(entry);
  if (!exact.safe) return std::nullopt;
  std::string relative = entry;
  std::replace(relative.begin(), relative.end(), separator_, '/');
  std::optional<std::string> found = FindRelative(relative);
  if (!found && !IsValidUtf8(relative)) found = FindRelative(Windows1252ToUtf8(relative));
  if (!found || *found == exact.path) return found;
  // README and Readme on a copy that has README only: Readme is missing, not a second README.
  if (NamedExactly(*found) || !taken_.insert(*found).second) return std::nullopt;
  return found;
}

EntryRead EntrySums(EntryResolver& resolver, const std::string& entry, ProgressSink& meter,
                    const CRC32ReadStep& readStep, const std::optional<DigestType>& strong,
                    std::optional<FileAhead> ahead) {
  const EntryPath exact = resolver.Exact(entry);
  EntryRead read{exact.path, std::nullopt, {}};
  if (!exact.safe) {
    read.reason = UnsafeReason(entry);
    return read;
  }
  const auto readAt = [&](std::optional<FileAhead> file) {
    try {
      const FileSums sums = file ? GetFileSums(std::move(*file), read.path, meter, strong)
                                 : resolver.Sums(read.path, meter, readStep, strong);
      read.crc = sums.crc32;
      read.strong = sums.strong;
      read.reason.clear();
      read.error = 0;
    } catch (const CRC32Error& error) {
      read.reason = error.Reason();
      read.error = error.Error();
    } catch (const CRC32Abandoned&) {
      read.abandoned = true;
    }
  };
  readAt(std::move(ahead));
  if (read.crc || read.abandoned) return read;
  // Only now, so that an entry found as it stands costs no look at its folder.
  const std::optional<std::string> found = resolver.Find(entry);
  if (!found || *found == read.path) return read;
  read.path = *found;
  readAt(std::nullopt);
  return read;
}

}  // namespace kelvane
