// A SHA-256 as a project keeps it beside an entry, and its text: 64 hexadecimal digits.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvane {

using Sha256 = std::array<std::uint8_t, 32>;

// 64 lower-case hexadecimal digits, as sha256sum writes them.
std::string Sha256Hex(const Sha256& sum);

// The sum those 64 digits (either case) stand for; nullopt for anything else.
std::optional<Sha256> Sha256FromHex(std::string_view text);

}  // namespace kelvane
