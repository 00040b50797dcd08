// Where an entry of a project is found below a base folder, as Windows would find it: the exact
// bytes first, else ignoring case, else the entry's bytes read as Windows-1252.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>

#include "cksummer/FileChecksums.h"
#include "commands/EntryPath.h"

namespace kelvane {

// One per run: each folder's names are read at most once, and only for an entry whose exact path
// does not exist.
class EntryResolver {
 public:
  explicit EntryResolver(std::string base) : base_(std::move(base)) {}

  // The path built from the entry's exact bytes, and whether the entry is safe to read. Touches
  // no file.
  EntryPath Exact(const std::string& entry) const { return ResolveEntry(base_, entry); }

  // Where a safe entry whose exact path does not exist is found: segment by segment, a segment
  // that does not exist as it stands is the one name in its folder that equals it ignoring case
  // (Unicode simple case folding for UTF-8 names, ASCII for others); a name that is ambiguous by
  // case in that folder is matched only exactly. An entry that is not UTF-8 is then tried again
  // with its bytes read as Windows-1252. nullopt when nothing is found.
  std::optional<std::string> Find(const std::string& entry);

 private:
  struct Folder {
    std::unordered_map<std::string, std::string> byFold;  // folded name -> the one name
    std::unordered_map<std::string, int> folds;           // how many names fold alike
  };
  const Folder& NamesOf(const std::string& folder);
  std::optional<std::string> FindRelative(const std::string& relative);

  std::string base_;
  std::map<std::string, Folder> folders_;
};

// The CRC-32 of the file that entry stands for below the resolver's base. path receives where the
// file was found (as built from the entry when none was). nullopt when the entry is not safe or
// the file cannot be read. readStep may be empty (read(2)).
std::optional<std::uint32_t> EntryCRC32(EntryResolver& resolver, const std::string& entry,
                                        ProgressSink& meter, const CRC32ReadStep& readStep,
                                        std::string& path);

}  // namespace kelvane
