// Compile-time tables of the fast legacy CRC-32 routines: slicing tables of the linear CRC, the
// per-step index filter, Barrett's quotient multiplier and registers' quotient shares, and the
// effect of one entry-0 step.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "cksummer/CRC32.h"

namespace kelvane::crc32fast {

// The table with entry 0 at zero: the CRC-32 is linear over GF(2) with it, so registers can jump
// many bytes at a time. A step whose index is 0 adds kEntry0 on top of the linear step.
inline constexpr std::uint32_t kEntry0 = CRC32Table[0];

constexpr std::uint32_t LinearTable(std::uint32_t index) {
  return index == 0 ? 0 : CRC32Table[index];
}

// One step of the linear register with a zero byte.
constexpr std::uint32_t ZeroStep(std::uint32_t r) {
  return LinearTable(r & 0xFFu) ^ (r >> 8);
}

// Slice[k][v]: what byte index v at one step adds to the linear register k steps later.
// Slicing-by-16 reads Slice[15..0] for the 16 bytes of a group.
inline constexpr std::size_t kSlices = 16;
using SliceTables = std::array<std::array<std::uint32_t, 256>, kSlices>;
constexpr SliceTables MakeSliceTables() {
  SliceTables t{};
  for (std::uint32_t v = 0; v < 256; ++v) {
    std::uint32_t r = LinearTable(v);
    for (std::size_t k = 0; k < kSlices; ++k) {
      t[k][v] = r;
      r = ZeroStep(r);
    }
  }
  return t;
}
inline constexpr SliceTables Slice = MakeSliceTables();

// Tap m of the index filter: how byte x_k (a data byte, with the group's start register XORed
// into the group's first four bytes) changes the index of step k + m. Tap 0 is the identity.
constexpr std::uint8_t Tap(std::size_t m, std::uint8_t v) {
  if (m == 0) return v;
  std::uint32_t r = LinearTable(v);
  for (std::size_t i = 1; i < m; ++i) r = ZeroStep(r);
  return static_cast<std::uint8_t>(r & 0xFFu);
}

// IndexTable[k][v]: the eight step indices of an 8-byte group, one per byte, that x_k = v
// contributes. XORing the eight look-ups gives all eight indices of the group.
using IndexTables = std::array<std::array<std::uint64_t, 256>, 8>;
constexpr IndexTables MakeIndexTables() {
  IndexTables t{};
  for (std::size_t k = 0; k < 8; ++k) {
    for (std::uint32_t v = 0; v < 256; ++v) {
      std::uint64_t word = 0;
      for (std::size_t j = k; j < 8; ++j) {
        word |= std::uint64_t{Tap(j - k, static_cast<std::uint8_t>(v))} << (8 * j);
      }
      t[k][v] = word;
    }
  }
  return t;
}
inline constexpr IndexTables IndexTable = MakeIndexTables();

// The taps of a 16-byte group as PSHUFB look-ups of the low and of the high nibble.
inline constexpr std::size_t kTaps = 16;
using NibbleTables = std::array<std::array<std::uint8_t, 16>, kTaps>;
constexpr NibbleTables MakeNibbleTables(int shift) {
  NibbleTables t{};
  for (std::size_t m = 0; m < kTaps; ++m) {
    for (std::uint32_t n = 0; n < 16; ++n) t[m][n] = Tap(m, static_cast<std::uint8_t>(n << shift));
  }
  return t;
}
inline constexpr NibbleTables TapLow = MakeNibbleTables(0);
inline constexpr NibbleTables TapHigh = MakeNibbleTables(4);

// An entry-0 step at position j of a block adds Entry0After[m] to the register m steps after it,
// and so changes the index of step j + 1 + m by its low byte.
inline constexpr std::size_t kMaxBlock = 64;
constexpr std::array<std::uint32_t, kMaxBlock> MakeEntry0After() {
  std::array<std::uint32_t, kMaxBlock> t{};
  std::uint32_t r = kEntry0;
  for (std::size_t m = 0; m < kMaxBlock; ++m) {
    t[m] = r;
    r = ZeroStep(r);
  }
  return t;
}
inline constexpr std::array<std::uint32_t, kMaxBlock> Entry0After = MakeEntry0After();

// 64 zero bytes, then the low bytes of Entry0After: an unaligned load at kMaxBlock - 1 - j gives,
// for every step t of the block, the change of its index caused by an entry-0 step at j.
constexpr std::array<std::uint8_t, 2 * kMaxBlock> MakeIndexChange() {
  std::array<std::uint8_t, 2 * kMaxBlock> t{};
  for (std::size_t m = 0; m < kMaxBlock; ++m) {
    t[kMaxBlock + m] = static_cast<std::uint8_t>(Entry0After[m] & 0xFFu);
  }
  return t;
}
alignas(64) inline constexpr std::array<std::uint8_t, 2 * kMaxBlock> IndexChange =
    MakeIndexChange();

// Carry-less multiplication constants. Bytes are read as a polynomial whose first bit has the
// highest degree, so a 64-bit word (bit i the coefficient of x^(63 - i)) carries a polynomial
// of degree < 32 in its upper half, and a carry-less product of two words comes out multiplied
// by x once more.

// x^n mod P, as a register (bit i the coefficient of x^(31 - i)).
constexpr std::uint32_t XPowerModP(unsigned n) {
  std::uint32_t r = 0x80000000u;
  for (unsigned i = 0; i < n; ++i) r = (r & 1u) ? (r >> 1) ^ 0xEDB88320u : r >> 1;
  return r;
}
constexpr std::uint64_t AsWord(std::uint32_t reg) {
  return std::uint64_t{reg} << 32;
}

// Barrett's multiplier for the quotient of a 16-byte group: floor(x^160 / P) without its x^128
// and x^0 terms (neither reaches the quotient), bit i the coefficient of x^(128 - i), as the low
// and high word of a 128-bit lane. The quotient of the group x is then x ^ (the low 128 bits of
// the carry-less product of x and this multiplier).
constexpr std::array<std::uint64_t, 2> MakeQuotientMultiplier() {
  constexpr std::uint64_t kPoly = 0x104C11DB7u;  // P with bit i for x^i
  std::array<std::uint64_t, 2> m{};
  std::uint64_t window = 0;  // bit j the remainder's coefficient of x^(d + j)
  for (int d = 160; d >= 0; --d) {
    window = (window << 1) | (d == 160 ? 1u : 0u);
    if ((window >> 32) & 1u) {
      window ^= kPoly;
      const int bit = 128 - d;  // the quotient's term x^d
      if (bit >= 1 && bit <= 127)
        m[static_cast<std::size_t>(bit / 64)] |= std::uint64_t{1} << (bit % 64);
    }
  }
  return m;
}
inline constexpr std::array<std::uint64_t, 2> kQuotientMultiplier = MakeQuotientMultiplier();
static_assert(kQuotientMultiplier[0] == 0xB4E5B025F7011640u);
static_assert(kQuotientMultiplier[1] == 0xE8F6C5AFC0BE831Eu);

// A step's quotient byte from its index: the eight bits the bit-wise division takes for it.
constexpr std::uint8_t QuotientOfIndex(std::uint32_t index) {
  std::uint32_t r = index;
  std::uint32_t q = 0;
  for (int bit = 0; bit < 8; ++bit) {
    q |= (r & 1u) << bit;
    r = (r & 1u) ? (r >> 1) ^ 0xEDB88320u : r >> 1;
  }
  return static_cast<std::uint8_t>(q);
}

// What a block's start register adds to the linear quotient bytes of its 64 steps, one table per
// nibble of the register: the register's share is the XOR of eight look-ups, and the data's
// share can be computed from a zero start apart from the chain of block registers.
inline constexpr std::size_t kRegisterBlock = 64;
using QuotientResponses = std::array<std::array<std::array<std::uint8_t, kRegisterBlock>, 16>, 8>;
constexpr QuotientResponses MakeQuotientResponses() {
  QuotientResponses t{};
  for (std::size_t nibble = 0; nibble < 8; ++nibble) {
    for (std::uint32_t v = 0; v < 16; ++v) {
      std::uint32_t r = v << (4 * nibble);
      for (std::size_t k = 0; k < kRegisterBlock; ++k) {
        t[nibble][v][k] = QuotientOfIndex(r & 0xFFu);
        r = ZeroStep(r);
      }
    }
  }
  return t;
}
alignas(64) inline constexpr QuotientResponses QuotientResponse = MakeQuotientResponses();

// A block's entry-0 step at j, as a look-up by j with j = 64 for none: what it adds to the linear
// end register, and (a 64-byte load at 64 - j) what it changes in the quotient bytes after it.
constexpr std::array<std::uint32_t, kRegisterBlock + 1> MakeEndChange() {
  std::array<std::uint32_t, kRegisterBlock + 1> t{};
  std::uint32_t r = kEntry0;
  for (std::size_t m = 0; m < kRegisterBlock; ++m) {
    t[kRegisterBlock - 1 - m] = r;
    r = ZeroStep(r);
  }
  return t;
}
inline constexpr std::array<std::uint32_t, kRegisterBlock + 1> EndChange = MakeEndChange();
constexpr std::array<std::uint8_t, 3 * kRegisterBlock> MakeQuotientChange() {
  std::array<std::uint8_t, 3 * kRegisterBlock> t{};
  std::uint32_t r = kEntry0;
  for (std::size_t m = 0; m < kRegisterBlock; ++m) {
    t[kRegisterBlock + 1 + m] = QuotientOfIndex(r & 0xFFu);
    r = ZeroStep(r);
  }
  return t;
}
alignas(64) inline constexpr std::array<std::uint8_t, 3 * kRegisterBlock> QuotientChange =
    MakeQuotientChange();

// EndChangeShare[j]: what EndChange[j], as the next block's start register, adds to that block's
// quotient bytes, so that the next block's zero test need not wait for its start register.
using BlockQuotientRows = std::array<std::array<std::uint8_t, kRegisterBlock>, kRegisterBlock + 1>;
constexpr BlockQuotientRows MakeEndChangeShare() {
  BlockQuotientRows t{};
  for (std::size_t j = 0; j <= kRegisterBlock; ++j) {
    std::uint32_t r = EndChange[j];
    for (std::size_t k = 0; k < kRegisterBlock; ++k) {
      t[j][k] = QuotientOfIndex(r & 0xFFu);
      r = ZeroStep(r);
    }
  }
  return t;
}
alignas(64) inline constexpr BlockQuotientRows EndChangeShare = MakeEndChangeShare();

// Advance64[k][v]: the linear register 64 zero bytes after a register whose byte k is v.
using AdvanceTables = std::array<std::array<std::uint32_t, 256>, 4>;
constexpr AdvanceTables MakeAdvanceTables() {
  AdvanceTables t{};
  for (std::size_t k = 0; k < 4; ++k) {
    for (std::uint32_t v = 0; v < 256; ++v) {
      std::uint32_t r = v << (8 * k);
      for (std::size_t step = 0; step < kRegisterBlock; ++step) r = ZeroStep(r);
      t[k][v] = r;
    }
  }
  return t;
}
inline constexpr AdvanceTables Advance64 = MakeAdvanceTables();

}  // namespace kelvane::crc32fast
