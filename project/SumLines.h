// One line of a checksum list, in each form the publishing tools write: coreutils' own
// ("hex  name", md5sum to b2sum), BSD tags ("SHA256 (name) = hex") and SFV ("name CRC32"). The
// names come back as the tools meant them: coreutils' escapes undone, a leading "./" gone.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "FileUti2/Digest.h"

namespace kelvane {

struct SumLine {
  Digest sum;
  std::string name;
};

// coreutils' line: the digits, a space, " " (text) or "*" (binary), the name; a line that starts
// with "\" has "\\", "\n" and "\r" in its name for a backslash, a line feed and a carriage return.
// The number of digits names the algorithm: 32 MD5, 40 SHA-1, 56 SHA-224, 64 SHA-256, 96
// SHA-384, 128 SHA-512, or BLAKE2b-512 where blake2b (b2sum writes the same length).
std::optional<SumLine> ParseCoreutilsLine(std::string_view line, bool blake2b);

// A BSD tag, as `sha256sum --tag` and Fedora's CHECKSUM write it: "SHA256 (name) = digits", for
// MD5, SHA1, SHA224, SHA256, SHA384, SHA512, BLAKE2b and BLAKE2b-N; escaped as coreutils' lines.
std::optional<SumLine> ParseTagLine(std::string_view line);

// An SFV line: the name, white space, the published CRC-32 in 8 digits. A "\" in the name is a
// folder's separator, as the Windows tools that made the format write it.
std::optional<SumLine> ParseSfvLine(std::string_view line);

// coreutils' line for a sum and a name: "digits  name\n", or, for a name that holds "\", LF or
// CR, the escaped form that sha256sum writes.
std::string CoreutilsLine(const Digest& sum, std::string_view name);

}  // namespace kelvane
