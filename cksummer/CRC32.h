// The legacy CRC-32 of Kelvane's project files: the published reflected CRC-32 table with entry 0
// replaced by 0x01235201, register 0xFFFFFFFF at the start of a file, no final complement.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kelvane {

namespace detail {
constexpr std::array<std::uint32_t, 256> MakeCRC32Table() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t r = i;
    for (int bit = 0; bit < 8; ++bit) r = (r & 1) ? (r >> 1) ^ 0xEDB88320u : r >> 1;
    table[i] = r;
  }
  // Entry 0 is not zero: every stored project relies on it.
  table[0] = 0x01235201u;
  return table;
}
}  // namespace detail

inline constexpr std::array<std::uint32_t, 256> CRC32Table = detail::MakeCRC32Table();
static_assert(CRC32Table[0] == 0x01235201u);
static_assert(CRC32Table[1] == 0x77073096u);
static_assert(CRC32Table[255] == 0x2D02EF8Du);

inline constexpr std::uint32_t kCRC32Start = 0xFFFFFFFFu;

// The byte-wise reference: for each byte b, register := T[(register ^ b) & 0xFF] ^ (register >> 8).
// Every faster routine is tested against this one.
void UpdateCRC32Bytewise(const std::uint8_t* buffer, std::size_t count, std::uint32_t& reg);

// The same result as UpdateCRC32Bytewise for every buffer, length and start register, by the
// fastest routine this CPU has.
void UpdateCRC32(const std::uint8_t* buffer, std::size_t count, std::uint32_t& reg);

}  // namespace kelvane
