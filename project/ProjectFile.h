// The project file: its line layout, the parser and formatter of its bytes, and the reader and
// writer that move a Project to and from the file named by its ConfigPath.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FileUti2/Digest.h"
#include "project/Project.h"

namespace kelvane {

inline constexpr std::string_view kProjectHeader = "[Kelvane]";

// Every line of a project is a path or shorter (an entry, the file's own path, the source
// folder, a count, a 17-character value): a longer one is no project's, and is refused before it
// is held (a file of one line of 100 MB would otherwise take gigabytes).
inline constexpr std::size_t kLongestLine = 4095;  // PATH_MAX less its NUL

// "Invalid Config File", and that line number (from 1) is longer than kLongestLine.
[[noreturn]] void ThrowLineTooLong(std::size_t number);

// What a project file (or a published list) holds once it has been read and checked, before it
// touches any model.
struct ParsedProject {
  std::string sourceFolder;  // line 2; a list's own folder
  std::vector<std::string> entries;
  std::vector<std::string> values;
  std::vector<Digest> strong;  // from the sidecar, or the list's, one per entry; empty without
  std::optional<ListOrigin> published;  // a list another tool published, not a project
};

// Splits text at CR LF, a lone CR or a lone LF. A last line without a line end is a line; a line
// end at the very end does not make an empty last line. Bytes are not interpreted otherwise.
std::vector<std::string_view> SplitLines(std::string_view bytes);

// SplitLines for text that comes in pieces: a line may span pieces, and a CR LF may be cut
// between two of them.
class LineSplitter {
 public:
  // Emits every line that ends in piece, then, when last, the line without a line end that
  // closes the text. The views are valid during the call only.
  void Feed(std::string_view piece, bool last, const std::function<void(std::string_view)>& emit);
  // How many bytes of a line not yet ended are held.
  std::size_t Pending() const { return carry_.size(); }

 private:
  std::string carry_;
  bool skipLf_ = false;  // the piece before ended with the CR of a CR LF
};

// Builds what a project file holds from its lines, given one at a time and checked as they come:
// the header as soon as line 0 is there.
class ProjectParser {
 public:
  // sizeHint: the file's size, to make room for the entries without trusting the count.
  explicit ProjectParser(std::size_t sizeHint) : sizeHint_(sizeHint) {}
  // Throws "Invalid Config File" for a wrong header, a negative count or a line longer than
  // kLongestLine, the conversion error for a count that is no number.
  void Line(std::string_view line);
  std::size_t LinesSeen() const { return lines_; }
  // Throws the list's index error (ListIndexError) for the first line that is missing.
  ParsedProject Finish();

 private:
  std::size_t sizeHint_;
  std::size_t lines_ = 0;
  std::size_t count_ = 0;
  ParsedProject parsed_;
};

// Parses the bytes of a project file. Throws "Invalid Config File", the list's index error
// (ListIndexError) for missing lines, or the conversion error for a count that is no number.
ParsedProject ParseProject(std::string_view bytes);

// Puts a parsed project into the model: the source folder from line 2, list and Values replaced
// (all entries unchecked). Check marks are left to SyncChecksFromValues.
void ApplyProject(Project& project, ParsedProject parsed);

// The bytes the writer stores: header, ConfigPath, the source folder, count, entries, every value
// entry, each line ended by CR LF. Throws when a text holds a line break, which the file could not
// give back.
std::string FormatProject(const Project& project);

// Reads the file named by ConfigPath into the model, as a stream: a project when its first line
// is the header, else a checksum list that another tool published (ChecksumListParser), found by
// its content; a file that is neither is refused after its first line, and one larger than
// memory allows is an "Invalid Config File". A project's sidecar (SidecarPath) is read when there
// is one: a sidecar that is not the project's refuses the whole (ReadSidecar). The model changes
// only once everything has been read and checked; on any failure it is left exactly as it was.
void ReadProject(Project& project);

// Throws, with why, for a model that is no project: a published list has no CRC-32 for its
// files, and a project saved from it would hold invented ones.
void CheckSavable(const Project& project);

// Writes the project to the file named by ConfigPath (CheckSavable first), replacing it
// (FileReplacement): the old file stays intact until the new one is complete on disk, and only a
// regular file is replaced. A project with a SHA-256 for every entry writes its sidecar with it;
// one without removes a sidecar standing at that name. Never a new project beside an old sidecar,
// nor the reverse: both are written in full before either takes a place, and the old sidecar goes
// first.
void WriteProject(const Project& project);

}  // namespace kelvane
