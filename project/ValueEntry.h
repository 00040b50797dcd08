// The 17-character value entry: CRC-32 and CheckSum19 as 8 upper-case hex digits each, then the
// flag.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvane {

inline constexpr std::size_t kValueEntryLength = 17;

// Exactly 8 upper-case hexadecimal digits, zero-padded: the one form in which sums are stored,
// shown and compared.
std::string Hex8(std::uint32_t value);

// The value entry of a freshly computed file: both sums, then the flag "1".
std::string MakeValueEntry(std::uint32_t crc32, std::uint32_t checkSum19);

// Fields of a value entry. A hand-edited entry may be shorter than 17 characters: the missing
// characters are simply absent, so a short sum text never equals a freshly formatted one (a
// mismatch) and a missing flag is not "1" (excluded).
std::string StoredCRC32Text(std::string_view valueEntry);
std::string StoredCheckSum19Text(std::string_view valueEntry);
char FlagOf(std::string_view valueEntry);  // '\0' when the entry has no 17th character

}  // namespace kelvane
