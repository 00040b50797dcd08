// Small path routines shared by the model and the folder picker.
#pragma once

#include <string>

namespace kelvane {

// The folder that holds the default project file: the user's home folder from the password
// database (never from $HOME), without a trailing "/". Empty when there is none, or for "/".
std::string GetWindowsDir();

// True when Path names an existing directory (following symbolic links).
bool FolderExists(const std::string& Path);

// S with one trailing "/" or "\" removed, except from "/" alone and from a drive root like "C:\".
std::string RemoveTrailingBackslash(const std::string& S);

}  // namespace kelvane
