// Files of a copy that no entry of the project stands for.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "project/Project.h"

namespace kelvane::cli {

// Every file New's walk finds below copy (a folder without trailing "/") that no entry matches,
// as full paths, in the walk's order; then the files and folders (ending with "/") the walk left
// out because a project cannot hold their names. An entry matches the file at its exact path if
// that exists, else the one found ignoring case or as Windows-1252, as CHECK finds it. Every
// entry counts, excluded or not: its file belongs to the distribution. pump runs at every step
// of the walk; abandon ends it early (the list is then incomplete).
std::vector<std::string> ExtraFiles(const Project& project, const std::string& copy,
                                    const std::function<void()>& pump,
                                    const std::function<bool()>& abandon);

}  // namespace kelvane::cli
