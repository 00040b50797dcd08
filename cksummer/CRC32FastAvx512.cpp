// The AVX-512 CRC-32: slicing-by-16 for the registers at 16-byte boundaries, and all 64 step
// indices of a block checked at once by a 16-tap GF2P8AFFINEQB filter within 128-bit lanes.
#include "cksummer/CRC32FastPaths.h"

#if defined(__x86_64__)
#include <immintrin.h>

#include <bit>
#include <utility>

#include "cksummer/CRC32FastSteps.h"

#define KELVANE_AVX512_GFNI __attribute__((target("avx512f,avx512bw,gfni")))

namespace kelvane::crc32fast {
namespace {

inline constexpr std::size_t kBlock = 64;

// x: 64 data bytes with each 16-byte group's start register XORed into its first four bytes.
// Returns the step index of every byte, as long as no step of the block takes entry 0.
template <std::size_t... M>
KELVANE_AVX512_GFNI inline __m512i StepIndices(__m512i x, std::index_sequence<M...>) {
  __m512i acc = x;  // tap 0 is the identity
  ((acc =
        _mm512_xor_si512(acc, _mm512_gf2p8affine_epi64_epi8(
                                  _mm512_bslli_epi128(x, M + 1),
                                  _mm512_set1_epi64(static_cast<long long>(TapMatrix[M + 1])), 0))),
   ...);
  return acc;
}

// Adds the entry-0 steps of the block to its linear end register. Each one changes every later
// index, so the zeros are taken in order, each after the changes of the ones before it.
KELVANE_AVX512_GFNI std::uint32_t Entry0Correction(__m512i indices, std::uint64_t zeros) {
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

KELVANE_AVX512_GFNI std::uint32_t UpdateAvx512Gfni(const std::uint8_t* p, std::size_t n,
                                                   std::uint32_t r) {
  for (; n >= kBlock; p += kBlock, n -= kBlock) {
    // The registers chain through slicing only; the index check is off that chain and its
    // branch is rarely taken.
    const std::uint32_t r0 = r;
    const std::uint32_t r1 = SliceBy16(p, r0);
    const std::uint32_t r2 = SliceBy16(p + 16, r1);
    const std::uint32_t r3 = SliceBy16(p + 32, r2);
    r = SliceBy16(p + 48, r3);
    __m512i starts = _mm512_maskz_set1_epi32(0x0001, static_cast<int>(r0));
    starts = _mm512_mask_set1_epi32(starts, 0x0010, static_cast<int>(r1));
    starts = _mm512_mask_set1_epi32(starts, 0x0100, static_cast<int>(r2));
    starts = _mm512_mask_set1_epi32(starts, 0x1000, static_cast<int>(r3));
    const __m512i indices = StepIndices(_mm512_xor_si512(_mm512_loadu_si512(p), starts),
                                        std::make_index_sequence<kTaps - 1>{});
    const std::uint64_t zeros = _mm512_testn_epi8_mask(indices, indices);
    if (zeros != 0) r ^= Entry0Correction(indices, zeros);
  }
  return UpdateScalar(p, n, r);
}

}  // namespace kelvane::crc32fast

#endif  // __x86_64__
