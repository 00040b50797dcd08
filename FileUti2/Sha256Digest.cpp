// Sha256Hex and Sha256FromHex.
#include "FileUti2/Sha256Digest.h"

namespace kelvane {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string Sha256Hex(const Sha256& sum) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text(64, '0');
  for (std::size_t i = 0; i < sum.size(); ++i) {
    text[2 * i] = kDigits[sum[i] >> 4];
    text[2 * i + 1] = kDigits[sum[i] & 0x0F];
  }
  return text;
}

std::optional<Sha256> Sha256FromHex(std::string_view text) {
  if (text.size() != 64) return std::nullopt;
  Sha256 sum{};
  for (std::size_t i = 0; i < sum.size(); ++i) {
    const int high = HexValue(text[2 * i]), low = HexValue(text[2 * i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    sum[i] = static_cast<std::uint8_t>(high << 4 | low);
  }
  return sum;
}

}  // namespace kelvane
