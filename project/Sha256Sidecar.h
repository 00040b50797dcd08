// The strong sums beside a project: for the project file P, the file P.sha256, in coreutils' own
// format, so that `sha256sum -c --strict` run in the source folder checks it, and a publisher can
// sign it with the tool of their choice. The project file itself stays as it always was.
#pragma once

#include <string>
#include <vector>

#include "FileUti2/Digest.h"

namespace kelvane {

// P.sha256 for the project file P (its full name: dist.cfg.sha256).
std::string SidecarPath(const std::string& projectPath);

// One entry's line: 64 lower-case hexadecimal digits, two spaces, the entry with "/" between its
// folders, a line feed. A name holding "\", LF or CR is written by coreutils' rule: the line starts
// with "\", and those characters are written "\\", "\n", "\r".
std::string SidecarLine(const Digest& sum, const std::string& entry);

// The sums of the sidecar at path, one per entry in the project's order. Refused, before anything
// is changed, with "Invalid SHA-256 list" and the line's number when a line is not a sum and a name
// in that format, and with "The SHA-256 list belongs to another project" when its names are not
// exactly the entries, in order; each message names the file (the file system's error when it
// cannot be read).
std::vector<Digest> ReadSidecar(const std::string& path, const std::vector<std::string>& entries);

}  // namespace kelvane
