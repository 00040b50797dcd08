// Where an entry of a project is found below a base folder, as Windows would find it: the exact
// bytes first, else ignoring case, else the entry's bytes read as Windows-1252.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "FileUti2/ConfinedFolder.h"
#include "FileUti2/FileDescriptor.h"
#include "cksummer/FileChecksums.h"
#include "commands/EntryPath.h"
#include "project/Project.h"

namespace kelvane {

// One per run: each folder's names are read at most once, and only for an entry whose exact path
// does not exist.
class EntryResolver {
 public:
  enum Links {
    followLinks,  // New: the source is the user's own tree, links lead wherever they lead
    inBase,       // CHECK: as on the medium itself, no link leads out of the copy
  };
  // separator: what stands between an entry's folders (Project::Separator).
  explicit EntryResolver(std::string base, Links links = followLinks, char separator = '\\');

  // A file answers one entry at most: a file that some entry of project names exactly is never
  // found for another entry by case or code page. project must outlive the resolver, its entries
  // unchanged.
  void NameExactly(const Project& project) { named_ = &project; }

  // The path built from the entry's exact bytes, and whether the entry is safe to read. Touches
  // no file.
  EntryPath Exact(const std::string& entry) const { return ResolveEntry(base_, entry, separator_); }

  // Where a safe entry whose exact path does not exist is found: segment by segment, a segment
  // that does not exist as it stands is the one name in its folder that equals it ignoring case
  // (Unicode simple case folding for UTF-8 names, ASCII for others); a name that is ambiguous by
  // case in that folder is matched only exactly. An entry that is not UTF-8 is then tried again
  // with its bytes read as Windows-1252. nullopt when nothing is found, and when what is found is
  // named exactly by another entry or was found so for an earlier one (it is taken from then on).
  std::optional<std::string> Find(const std::string& entry);

  // The sums of the file at path (a path below the base), read as the resolver's links say.
  FileSums Sums(const std::string& path, ProgressSink& meter, const CRC32ReadStep& readStep,
                const std::optional<DigestType>& strong) const;

  // Where a reader ahead finds the file at path (below the base): below SharedRoot() when reads
  // stay in the base, else path itself.
  std::string AheadPath(const std::string& path) const;
  std::shared_ptr<const ConfinedFolder> SharedRoot() const { return root_; }

  // lstat(2), or stat(2) with follow, of a path below the base, resolved as the resolver's links
  // say: inside the base, links and all, when reads stay there. -1 with errno on failure.
  int Look(const std::string& path, struct stat& st, bool follow) const;
  // A folder below the base (or the base itself) opened for listing, as Look resolves it; not
  // open, errno set, on failure. followLast: a link in its last name is followed (inside the base,
  // when reads stay there); else such a folder is not opened.
  FileDescriptor OpenFolder(const std::string& folder, bool followLast) const;

 private:
  struct Folder {
    std::unordered_map<std::string, std::string> byFold;  // folded name -> the one name
    std::unordered_map<std::string, int> folds;           // how many names fold alike
  };
  const Folder& NamesOf(const std::string& folder);
  std::optional<std::string> FindRelative(const std::string& relative);
  bool Missing(const std::string& path) const;
  // Whether an entry of the named project has path as its exact path.
  bool NamedExactly(const std::string& path);

  std::string base_;
  char separator_;
  std::shared_ptr<const ConfinedFolder> root_;  // inBase only; readers ahead share it
  std::map<std::string, Folder> folders_;
  const Project* named_ = nullptr;
  // The entries' exact paths by hash, made at the first look by case: a run whose files are
  // all where the entries say never needs them, and a million entries take 16 MB, not 100.
  std::vector<std::pair<std::size_t, int>> exactByHash_;
  bool exactIndexed_ = false;
  std::unordered_set<std::string> taken_;  // full paths found for an entry by Find
};

// What a run read for one entry.
struct EntryRead {
  std::string path;                  // where the file was found, else the path built from the entry
  std::optional<std::uint32_t> crc;  // none when the entry is not safe or cannot be read
  std::string reason;                // why not, for a terminal's line
  int error = 0;                     // the system's errno behind reason, 0 when none
  bool abandoned = false;            // STOP or QUIT came between two blocks of the file
  std::optional<Digest> strong = {};  // when it was asked for and the file was read
};

// The sums of the file that entry stands for below the resolver's base: its CRC-32, and with
// strong that sum from the same read. readStep may be empty (read(2)). ahead: its exact path as
// read ahead, if it was; a file found otherwise (by case) is read now.
EntryRead EntrySums(EntryResolver& resolver, const std::string& entry, ProgressSink& meter,
                    const CRC32ReadStep& readStep, const std::optional<DigestType>& strong,
                    std::optional<FileAhead> ahead = std::nullopt);

}  // namespace kelvane
