// The system's 8-bit texts on a UTF-8 desktop: bytes are kept as read, and shown as UTF-8 where
// they are UTF-8 and as Windows-1252 where they are not.
#pragma once

#include <string>
#include <string_view>

namespace kelvane {

// True when bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// The code points of well-formed UTF-8, and back.
std::u32string DecodeUtf8(std::string_view utf8);
std::string EncodeUtf8(std::u32string_view codes);

// Every byte read as Windows-1252 and written as UTF-8. The five bytes that Windows-1252 leaves
// undefined (81, 8D, 8F, 90, 9D) become the C1 controls of the same number, as Windows does.
std::string Windows1252ToUtf8(std::string_view bytes);

// The system's line breaks ("\r\n" or a lone "\r") as "\n", for the screen and the terminal.
std::string AsLines(std::string_view text);

// The text as the window shows it, in UTF-8: every well-formed UTF-8 sequence as it stands,
// every other byte read as Windows-1252, so a project made on Windows shows "Café" for Caf\xE9.
std::string DisplayUtf8(std::string_view bytes);

}  // namespace kelvane
