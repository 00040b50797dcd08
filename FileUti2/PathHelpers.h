// The path rules of the whole program: separators at the end, joining and splitting, the home
// folder, and whether a folder exists. Paths are byte strings; in UTF-8 no byte of a multi-byte
// character is "/" or "\", so byte tests are multi-byte safe.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kelvane {

// The folder that holds the default project file: the user's home folder from the password
// database (never from $HOME), without a trailing "/". Empty when there is none, or for "/".
std::string GetWindowsDir();

// True when Path names an existing directory (following symbolic links).
bool FolderExists(const std::string& path);

// The text with one trailing "/" or "\" removed, except from "/" alone and from a drive root
// like "C:\" (the folder picker's form of a chosen folder).
std::string RemoveTrailingBackslash(const std::string& text);

// Every trailing "/" and "\" removed: "/media/cdrom/" gives "/media/cdrom" and "D:\" gives "D:".
// The root "/" stays "/", so that it can be offered again by the next pick.
std::string StripTrailingSeparators(std::string folder);

// The folder as the labels show it, with one trailing "/": "/srv/dist/", and "/" for the root.
std::string WithTrailingSeparator(const std::string& folder);

// The full path of name inside folder: folder + "/" + name, where a folder that already ends
// with "/" (the root "/" among them) gets no second one.
std::string JoinFolderPath(const std::string& folder, const std::string& name);

// The folder part of path ("." when it has none, "/" for a name in the root) and the name part.
std::pair<std::string, std::string> SplitPath(const std::string& path);

// The names of path between its "/", in order, empty ones and "." dropped: "a//./b/" gives a, b.
std::vector<std::string> PathNames(const std::string& path);

}  // namespace kelvane
