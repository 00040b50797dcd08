// Small inline steps shared by the fast CRC-32 routines: loads, slicing steps, the byte loop.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "cksummer/CRC32.h"
#include "cksummer/CRC32FastTables.h"

// The steps are forced inline: the vector routines call them from functions compiled for wider
// instruction sets, where a real call would also cost saving every vector register.
#define KELVANE_CRC_INLINE [[gnu::always_inline]] inline

namespace kelvane::crc32fast {

// Eight bytes as a little-endian word: byte k of the buffer is byte k of the word.
KELVANE_CRC_INLINE std::uint64_t Load64(const std::uint8_t* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
  if constexpr (std::endian::native == std::endian::big) {
    std::uint64_t swapped = 0;
    for (int k = 0; k < 8; ++k) swapped |= ((v >> (8 * k)) & 0xFFu) << (8 * (7 - k));
    v = swapped;
  }
  return v;
}

KELVANE_CRC_INLINE std::uint32_t Byte(std::uint64_t x, int k) {
  return static_cast<std::uint32_t>((x >> (8 * k)) & 0xFFu);
}

// The legacy steps one byte at a time, entry 0 included.
KELVANE_CRC_INLINE std::uint32_t Bytewise(const std::uint8_t* p, std::size_t n, std::uint32_t r) {
  for (std::size_t i = 0; i < n; ++i) r = CRC32Table[(r ^ p[i]) & 0xFFu] ^ (r >> 8);
  return r;
}

// The linear register after the 8 bytes whose word, with the start register XORed in, is x.
KELVANE_CRC_INLINE std::uint32_t SliceBy8(std::uint64_t x) {
  return Slice[7][Byte(x, 0)] ^ Slice[6][Byte(x, 1)] ^ Slice[5][Byte(x, 2)] ^ Slice[4][Byte(x, 3)] ^
         Slice[3][Byte(x, 4)] ^ Slice[2][Byte(x, 5)] ^ Slice[1][Byte(x, 6)] ^ Slice[0][Byte(x, 7)];
}

// The linear register after the 16 bytes at p, started from r. Only the first four look-ups
// wait for r; the other twelve overlap with the previous group.
KELVANE_CRC_INLINE std::uint32_t SliceBy16(const std::uint8_t* p, std::uint32_t r) {
  const std::uint64_t lo = Load64(p) ^ r;
  const std::uint64_t hi = Load64(p + 8);
  const std::uint32_t data = Slice[11][Byte(lo, 4)] ^ Slice[10][Byte(lo, 5)] ^
                             Slice[9][Byte(lo, 6)] ^ Slice[8][Byte(lo, 7)] ^ SliceBy8(hi);
  return Slice[15][Byte(lo, 0)] ^ Slice[14][Byte(lo, 1)] ^ Slice[13][Byte(lo, 2)] ^
         Slice[12][Byte(lo, 3)] ^ data;
}

// The eight step indices of an 8-byte group whose word, start register XORed in, is x, as long
// as none of the group's steps takes entry 0.
KELVANE_CRC_INLINE std::uint64_t GroupIndices(std::uint64_t x) {
  return IndexTable[0][Byte(x, 0)] ^ IndexTable[1][Byte(x, 1)] ^ IndexTable[2][Byte(x, 2)] ^
         IndexTable[3][Byte(x, 3)] ^ IndexTable[4][Byte(x, 4)] ^ IndexTable[5][Byte(x, 5)] ^
         IndexTable[6][Byte(x, 6)] ^ IndexTable[7][Byte(x, 7)];
}

// Exact: true if and only if some byte of v is zero.
KELVANE_CRC_INLINE bool HasZeroByte(std::uint64_t v) {
  return ((v - 0x0101010101010101u) & ~v & 0x8080808080808080u) != 0;
}

}  // namespace kelvane::crc32fast
