// DigestName, DigestHex and DigestFromHex.
#include "FileUti2/Digest.h"

namespace kelvane {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string DigestName(DigestType type) {
  switch (type.kind) {
    case DigestKind::sha256:
      return "SHA-256";
    case DigestKind::md5:
      return "MD5";
    case DigestKind::sha1:
      return "SHA-1";
    case DigestKind::sha224:
      return "SHA-224";
    case DigestKind::sha384:
      return "SHA-384";
    case DigestKind::sha512:
      return "SHA-512";
    case DigestKind::blake2b:
      return "BLAKE2b-" + std::to_string(type.size * 8);
    case DigestKind::crc32:
      return "CRC-32";
  }
  return "unknown";
}

std::string DigestHex(const Digest& sum) {
  const char* const digits =
      sum.type.kind == DigestKind::crc32 ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string text(2 * std::size_t{sum.type.size}, '0');
  for (std::size_t i = 0; i < sum.type.size; ++i) {
    text[2 * i] = digits[sum.bytes[i] >> 4];
    text[2 * i + 1] = digits[sum.bytes[i] & 0x0F];
  }
  return text;
}

std::optional<Digest> DigestFromHex(DigestType type, std::string_view text) {
  if (type.size == 0 || type.size > kLongestDigest || text.size() != 2 * std::size_t{type.size})
    return std::nullopt;
  Digest sum{type};
  for (std::size_t i = 0; i < type.size; ++i) {
    const int high = HexValue(text[2 * i]), low = HexValue(text[2 * i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    sum.bytes[i] = static_cast<std::uint8_t>(high << 4 | low);
  }
  return sum;
}

}  // namespace kelvane
