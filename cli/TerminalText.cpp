// FieldText and TerminalSafe.
#include "cli/TerminalText.h"

#include <cstdio>

#include "FileUti2/TextEncoding.h"

namespace kelvane::cli {

namespace {

void Octal(std::string& out, unsigned char byte) {
  char escaped[5];
  std::snprintf(escaped, sizeof escaped, "\\%03o", byte);
  out += escaped;
}

// Escapes the control characters of UTF-8 text: C0, DEL and the C1 range (U+0080 to U+009F,
// which terminals also take as commands). keep: the ones left as they are.
std::string Escape(std::string_view text, std::string_view keep, bool backslashes) {
  static constexpr std::string_view kNamed = "\a\b\t\n\v\f\r";
  static constexpr std::string_view kLetters = "abtnvfr";
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const bool c1 = c == 0xC2 && i + 1 < text.size() &&
                    static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                    static_cast<unsigned char>(text[i + 1]) <= 0x9F;
    if (c1) {
      Octal(out, c);
      Octal(out, static_cast<unsigned char>(text[++i]));
    } else if ((c < 0x20 || c == 0x7F) &&
               keep.find(static_cast<char>(c)) == std::string_view::npos) {
      const std::size_t named = kNamed.find(static_cast<char>(c));
      if (named != std::string_view::npos)
        out += std::string("\\") + kLetters[named];
      else
        Octal(out, c);
    } else if (c == '\\' && backslashes) {
      out += "\\\\";
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace

std::string FieldText(std::string_view bytes, bool backslashes) {
  return Escape(DisplayUtf8(bytes), {}, backslashes);
}

std::string TerminalSafe(std::string_view text) {
  return Escape(text, "\n\t", false);
}

}  // namespace kelvane::cli
