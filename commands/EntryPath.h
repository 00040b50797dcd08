// Turning a list entry ("DATA\DISK1\README.TXT") into the full path of a file below a base folder.
#pragma once

#include <string>

namespace kelvane {

struct EntryPath {
  std::string path;  // base, "/" + the entry with every "\" turned into "/" (one "/" after a root)
  bool safe;         // false: the entry would leave the base folder and must not be read
};

// The full path of an entry below base (a folder held without trailing separator). Project files
// are hand-editable, so an entry that is absolute ("/x", "\x") or has an empty, "." or ".."
// segment, or holds a NUL byte, is not safe: it could name a file outside the base folder, or
// another file than it says, and the runs treat it as a file that cannot be read. The path is still
// built, for the messages that name it. A colon is an ordinary character of a Linux name: "C:\x" is
// the file x in a folder named "C:".
// separator: what stands between the entry's folders, "\\" in a project, "/" in a published list.
EntryPath ResolveEntry(const std::string& base, const std::string& entry, char separator = '\\');

}  // namespace kelvane
