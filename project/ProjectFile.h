// The project file: its line layout, the parser and formatter of its bytes, and the reader and
// writer that move a Project to and from the file named by its ConfigPath.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "project/Project.h"

namespace kelvane {

inline constexpr std::string_view kProjectHeader = "[Kelvane]";

// What a project file holds once it has been read and checked, before it touches any model.
struct ParsedProject {
  std::string sourceFolder;  // line 2
  std::vector<std::string> entries;
  std::vector<std::string> values;
};

// Splits text at CR LF, a lone CR or a lone LF. A last line without a line end is a line; a line
// end at the very end does not make an empty last line. Bytes are not interpreted otherwise.
std::vector<std::string_view> SplitLines(std::string_view bytes);

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

// Reads the file named by ConfigPath into the model. The model changes only once the whole file
// has been read and checked; on any failure it is left exactly as it was.
void ReadProject(Project& project);

// Writes the project to the file named by ConfigPath, replacing it. The old file stays intact
// until the new one is complete on disk.
void WriteProject(const Project& project);

}  // namespace kelvane
