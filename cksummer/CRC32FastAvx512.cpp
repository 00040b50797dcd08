// The AVX-512 CRC-32: carry-less reduction gives what each 16-byte group's data adds to the
// register, so only four table look-ups per group wait for the register, and Barrett's quotient
// of each group (three carry-less products) shows every step of a 64-byte block that takes
// entry 0.
#include "cksummer/CRC32FastPaths.h"

#if defined(__x86_64__)
// GCC 12 takes the deliberately undefined operand inside many AVX-512 intrinsics for an
// uninitialized variable (GCC bug 105593); the warning is about the header, not this code.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

#include <bit>
#include <cstring>
#include <utility>

#include "cksummer/CRC32FastSteps.h"

#define KELVANE_AVX512 __attribute__((target("avx512f,avx512bw,gfni,vpclmulqdq")))

namespace kelvane::crc32fast {
namespace {

inline constexpr std::size_t kBlock = 64;

KELVANE_AVX512 inline __m512i Xor3(__m512i a, __m512i b, __m512i c) {
  return _mm512_ternarylogic_epi64(a, b, c, 0x96);
}

KELVANE_AVX512 inline __m512i Broadcast(std::uint64_t v) {
  return _mm512_set1_epi64(static_cast<long long>(v));
}

// Each 128-bit lane read as a 16-byte message from a zero register: the register it leaves,
// in the lane's first four bytes. That is the lane's polynomial times x^32 modulo P: fold the
// low word into the rest twice (128 bits to 96, then to 64), then Barrett reduction.
KELVANE_AVX512 inline __m512i LaneRegisters(__m512i lanes) {
  const __m512i low = Broadcast(kReduceLow);
  __m512i s = _mm512_ternarylogic_epi64(_mm512_clmulepi64_epi128(lanes, low, 0x00), lanes,
                                        _mm512_set4_epi64(-1, 0, -1, 0), 0x78);  // a ^ (b & c)
  s = _mm512_xor_si512(_mm512_bsrli_epi128(s, 8),
                       _mm512_bsrli_epi128(_mm512_clmulepi64_epi128(s, low, 0x00), 8));
  const __m512i quotient = _mm512_xor_si512(
      s, _mm512_slli_epi64(_mm512_clmulepi64_epi128(s, Broadcast(kBarrettQuotient), 0x00), 1));
  const __m512i product = _mm512_clmulepi64_epi128(quotient, Broadcast(kPolyWord), 0x00);
  return _mm512_srli_epi64(_mm512_bsrli_epi128(product, 8), 31);
}

// The linear register after a 16-byte group that starts from r, given what the group's last
// twelve bytes add (rest): the first four bytes meet the register.
KELVANE_CRC_INLINE std::uint32_t GroupEnd(const std::uint8_t* group, std::uint32_t r,
                                          std::uint32_t rest) {
  const std::uint32_t x = Load32(group) ^ r;
  return Slice[15][x & 0xFFu] ^ Slice[14][(x >> 8) & 0xFFu] ^ Slice[13][(x >> 16) & 0xFFu] ^
         Slice[12][x >> 24] ^ rest;
}

// The quotient of a 16-byte group: with the group's start register XORed into its first four
// bytes, polynomial division by P gives one quotient byte per step, and a step takes entry 0 if
// and only if its quotient byte is zero. Barrett's method gives all sixteen at once:
// q = x ^ (low 128 bits of x times kQuotientMultiplier), three carry-less products per group.
KELVANE_AVX512 inline __m512i GroupQuotients(__m512i x, __m512i multiplier) {
  const __m512i cross = _mm512_xor_si512(_mm512_clmulepi64_epi128(x, multiplier, 0x10),
                                         _mm512_clmulepi64_epi128(x, multiplier, 0x01));
  return Xor3(x, _mm512_clmulepi64_epi128(x, multiplier, 0x00), _mm512_bslli_epi128(cross, 8));
}

// The change to the block's linear end register from its entry-0 steps. Each one changes every
// later index, so the zeros are taken in order, each after the changes of the ones before it.
KELVANE_AVX512 std::uint32_t Entry0Correction(__m512i quotients, std::uint64_t zeros) {
  __m512i indices = _mm512_gf2p8affine_epi64_epi8(quotients, Broadcast(kQuotientToIndex), 0);
  std::uint32_t correction = 0;
  do {
    const int j = std::countr_zero(zeros);
    correction ^= Entry0After[kBlock - 1 - static_cast<std::size_t>(j)];
    indices = _mm512_xor_si512(
        indices,
        _mm512_loadu_si512(IndexChange.data() + (kMaxBlock - 1 - static_cast<std::size_t>(j))));
    const std::uint64_t later = j == 63 ? 0 : ~std::uint64_t{0} << (j + 1);
    zeros = _mm512_testn_epi8_mask(indices, indices) & later;
  } while (zeros != 0);
  return correction;
}

}  // namespace

KELVANE_AVX512 std::uint32_t UpdateAvx512Gfni(const std::uint8_t* p, std::size_t n,
                                              std::uint32_t r) {
  const __m512i multiplier = _mm512_set4_epi64(static_cast<long long>(kQuotientMultiplier[1]),
                                               static_cast<long long>(kQuotientMultiplier[0]),
                                               static_cast<long long>(kQuotientMultiplier[1]),
                                               static_cast<long long>(kQuotientMultiplier[0]));
  for (; n >= kBlock; p += kBlock, n -= kBlock) {
    const __m512i data = _mm512_loadu_si512(p);
    // What the last twelve bytes of each group add to the register is data alone, so it is
    // computed apart; the chain from group to group is four look-ups and five XORs.
    alignas(64) std::uint32_t rest[16];
    _mm512_store_si512(rest, LaneRegisters(_mm512_maskz_mov_epi8(0xFFF0FFF0FFF0FFF0u, data)));
    const std::uint32_t r1 = GroupEnd(p, r, rest[0]);
    const std::uint32_t r2 = GroupEnd(p + 16, r1, rest[4]);
    const std::uint32_t r3 = GroupEnd(p + 32, r2, rest[8]);
    const std::uint32_t next = GroupEnd(p + 48, r3, rest[12]);
    __m512i starts = _mm512_maskz_set1_epi32(0x0001, static_cast<int>(r));
    starts = _mm512_mask_set1_epi32(starts, 0x0010, static_cast<int>(r1));
    starts = _mm512_mask_set1_epi32(starts, 0x0100, static_cast<int>(r2));
    starts = _mm512_mask_set1_epi32(starts, 0x1000, static_cast<int>(r3));
    const __m512i quotients = GroupQuotients(_mm512_xor_si512(data, starts), multiplier);
    const std::uint64_t zeros = _mm512_testn_epi8_mask(quotients, quotients);
    r = zeros == 0 ? next : next ^ Entry0Correction(quotients, zeros);
  }
  return UpdateScalar(p, n, r);
}

}  // namespace kelvane::crc32fast

#endif  // __x86_64__
