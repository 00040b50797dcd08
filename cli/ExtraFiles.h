// What a copy holds beyond the files that the entries of the project stand for.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "FileUti2/FileIdentity.h"
#include "project/Project.h"

namespace kelvane::cli {

struct ExtraFile {
  std::string path;  // the full path; an unreadable folder's ends with "/"
  std::string
      kind;  // "file", or what else it is: "fifo", "link to a folder", "unreadable folder"...
};

// Everything below copy (a folder without trailing "/") that no entry matches, in byte order,
// depth first: every name, dot folders and their files included, since the point is to find what
// was added. A regular file (or a link to one) that no entry matches is a "file"; anything else
// that is not a folder is listed with its kind; a folder that cannot be read is listed as such,
// for what it holds is unknown. An entry matches the path that CHECK reads for it: its exact path
// if that exists (whatever it is: a FIFO there is an unreadable entry, not an extra file), else
// the one found ignoring case or as Windows-1252, and the folders on its way (a link or a file
// where the entry's folder should be fails the entry, and is not counted again). Every entry
// counts, excluded or not: its file belongs to the distribution. Files in leaveOut (the project,
// its sidecar, the report) are no files of the distribution and never extra. Everything is looked
// at inside the copy, as CHECK reads it: a link out of it tells nothing of what lies outside. pump
// runs at every step of the walk; abandon ends it early (the list is then incomplete).
std::vector<ExtraFile> ExtraFiles(const Project& project, const std::string& copy,
                                  const std::vector<FileIdentity>& leaveOut,
                                  const std::function<void()>& pump,
                                  const std::function<bool()>& abandon);

}  // namespace kelvane::cli
