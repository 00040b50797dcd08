// A file's sum as a list keeps it beside an entry: which algorithm, and its bytes; and its text,
// hexadecimal digits as the tools that publish lists write them.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvane {

// The algorithms of the lists that distributions publish. crc32 is the published CRC-32 of SFV
// files (zlib's), not the register a project stores.
enum class DigestKind : std::uint8_t { sha256, md5, sha1, sha224, sha384, sha512, blake2b, crc32 };

// An algorithm and the length of its sums in bytes (BLAKE2b's is chosen by whoever made it).
struct DigestType {
  DigestKind kind = DigestKind::sha256;
  std::uint8_t size = 32;
  friend bool operator==(const DigestType&, const DigestType&) = default;
};

inline constexpr DigestType kSha256Type{DigestKind::sha256, 32};
inline constexpr std::size_t kLongestDigest = 64;

struct Digest {
  DigestType type;
  std::array<std::uint8_t, kLongestDigest> bytes{};  // the first type.size count
  friend bool operator==(const Digest& a, const Digest& b) {
    return a.type == b.type &&
           std::equal(a.bytes.begin(), a.bytes.begin() + a.type.size, b.bytes.begin());
  }
};

// How the publishing tools name it: "MD5", "SHA-1", "SHA-256", "BLAKE2b-256", "CRC-32".
std::string DigestName(DigestType type);

// Its digits, lower case as sha256sum writes them; a CRC-32 in upper case, as SFV files and
// projects write theirs.
std::string DigestHex(const Digest& sum);

// The sum that 2 * type.size hexadecimal digits (either case) stand for; nullopt for anything
// else.
std::optional<Digest> DigestFromHex(DigestType type, std::string_view text);

}  // namespace kelvane
