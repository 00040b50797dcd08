// Names and texts as kelvane-cli prints them: never able to drive the terminal (control bytes,
// escape sequences) nor to break the tab-separated fields of its result lines.
#pragma once

#include <string>
#include <string_view>

namespace kelvane::cli {

// A name for one field of a result line, as the screen shows it (DisplayUtf8), with every
// control character escaped the way `ls -b` does: \t, \n, \r and the like, others as \ooo. With
// backslashes (a Linux path), a "\" is written "\\" so that the escapes cannot be mistaken for a
// name; an entry keeps its "\" separators as they are.
std::string FieldText(std::string_view bytes, bool backslashes);

// Text for the terminal: line feeds and tabs stay, every other control character is escaped.
std::string TerminalSafe(std::string_view text);

}  // namespace kelvane::cli
