// The checksum lists that distributions publish, read line by line as they come: coreutils'
// lines, BSD tags and SFV, mixed as they may be, with "#" and ";" comments, blank lines, CR LF
// line ends, and an OpenPGP clearsigned text around them (its signature skipped, not checked).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "project/ProjectFile.h"

namespace kelvane {

// The longest line a list may hold: the longest sum, its tag and a path with every byte escaped.
inline constexpr std::size_t kLongestListLine = 16384;

// The value entry every entry of a list gets: no CRC-32 of a project (the list's own sums are
// its strong ones), selected.
inline constexpr std::string_view kListValue = "                1";

class ChecksumListParser {
 public:
  // path: the list's, named in its refusals and giving the source folder; blake2b: its name says
  // that b2sum made it (its lines have SHA-512's length).
  ChecksumListParser(std::string path, bool blake2b);

  // Takes bytes as they are read; last: the file ends after them. Throws "Invalid Config File"
  // where the first line that is not blank is no sum, comment or armour (the file is neither a
  // project nor a list), and "Invalid checksum list" with the line's number for a later line that
  // none of the forms reads.
  void Feed(std::string_view piece, bool last);
  // The entries, each with its sum and selected; a list without a single sum is refused.
  ParsedProject Finish();

 private:
  void Line(std::string_view line);
  [[noreturn]] void Refuse(const std::string& why) const;
  void Seen(const char* format);

  enum class Armour { none, header, text, signature, after };

  std::string path_;
  bool blake2b_;
  std::string carry_;
  std::size_t number_ = 0;  // of the line being read, from 1
  Armour armour_ = Armour::none;
  bool listLike_ = false;  // a sum, a comment or the armour came: a bad line is told by number
  std::vector<const char*> formats_;
  ParsedProject parsed_;
};

// Whether a list's file name says that b2sum made it: "B2SUMS", "b2sums.txt", "files.b2", a
// name holding "blake2".
bool NamedForBlake2b(const std::string& path);

}  // namespace kelvane
