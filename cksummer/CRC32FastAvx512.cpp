// The AVX-512 CRC-32: the register jumps 64 bytes at a time (tables for the register, carry-less
// folding for the data), slicing-by-16 gives the registers inside the block off that chain, and
// a 16-tap GF2P8AFFINEQB filter finds every step index of the block at once.
#include "cksummer/CRC32FastPaths.h"

#if defined(__x86_64__)
// GCC 12 takes the deliberately undefined operand inside many AVX-512 intrinsics for an
// uninitialized variable (GCC bug 105593); the warning is about the header, not this code.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

#include <bit>
#include <utility>

#include "cksummer/CRC32FastSteps.h"

#define KELVANE_AVX512 __attribute__((target("avx512f,avx512bw,gfni,vpclmulqdq,pclmul")))

namespace kelvane::crc32fast {
namespace {

// A state is a 16-byte message standing for the data before it: read from a zero register it
// leaves the same register. Folding a state over 16 zero bytes and XORing the next group in
// keeps it so.

inline constexpr std::size_t kBlock = 64;

KELVANE_AVX512 inline __m512i Xor3(__m512i a, __m512i b, __m512i c) {
  return _mm512_ternarylogic_epi64(a, b, c, 0x96);
}

KELVANE_AVX512 inline __m512i Broadcast(std::uint64_t v) {
  return _mm512_set1_epi64(static_cast<long long>(v));
}

// The register that a state leaves.
KELVANE_AVX512 inline std::uint32_t Reduce(__m128i state) {
  const __m128i low = _mm_set_epi64x(0, static_cast<long long>(kReduceLow));
  // Fold the low word into the rest twice: 128 bits to 96, then to 64 in the low word.
  __m128i s = _mm_xor_si128(_mm_clmulepi64_si128(state, low, 0x00),
                            _mm_and_si128(state, _mm_set_epi64x(-1, 0)));
  s = _mm_xor_si128(_mm_srli_si128(s, 8), _mm_srli_si128(_mm_clmulepi64_si128(s, low, 0x00), 8));
  // Barrett: the quotient by P, then the low 32 bits of quotient times P.
  const __m128i quotient = _mm_xor_si128(
      s, _mm_slli_epi64(_mm_clmulepi64_si128(
                            s, _mm_set_epi64x(0, static_cast<long long>(kBarrettQuotient)), 0x00),
                        1));
  const __m128i product =
      _mm_clmulepi64_si128(quotient, _mm_set_epi64x(0, static_cast<long long>(kPolyWord)), 0x00);
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(_mm_extract_epi64(product, 1)) >>
                                    31);
}

// The linear register that the 64 bytes leave from a zero register: the first three groups
// folded onto the last, then reduced.
KELVANE_AVX512 inline std::uint32_t DataRegister(__m512i data, __m512i onToLast) {
  const __m512i folded =
      Xor3(_mm512_clmulepi64_epi128(data, onToLast, 0x00),
           _mm512_clmulepi64_epi128(data, onToLast, 0x11), _mm512_maskz_mov_epi64(0xC0, data));
  const __m256i half =
      _mm256_xor_si256(_mm512_castsi512_si256(folded), _mm512_extracti64x4_epi64(folded, 1));
  return Reduce(_mm_xor_si128(_mm256_castsi256_si128(half), _mm256_extracti128_si256(half, 1)));
}

struct Taps {
  __m512i matrix[kTaps];
};

template <std::size_t M>
KELVANE_AVX512 inline __m512i Tap(const Taps& taps, __m512i x) {
  return _mm512_gf2p8affine_epi64_epi8(_mm512_bslli_epi128(x, M), taps.matrix[M], 0);
}

// x: each group with its start register XORed into its first four bytes. The step index of
// every byte, as long as no step of the block takes entry 0.
template <std::size_t... M>
KELVANE_AVX512 inline __m512i StepIndices(const Taps& taps, __m512i x, std::index_sequence<M...>) {
  __m512i acc = Xor3(x, Tap<1>(taps, x), Tap<2>(taps, x));  // tap 0 is the identity
  ((acc = Xor3(acc, Tap<2 * M + 3>(taps, x), Tap<2 * M + 4>(taps, x))), ...);
  return _mm512_xor_si512(acc, Tap<kTaps - 1>(taps, x));
}

// The change to the block's linear end register from its entry-0 steps. Each one changes every
// later index, so the zeros are taken in order, each after the changes of the ones before it.
KELVANE_AVX512 std::uint32_t Entry0Correction(__m512i indices, std::uint64_t zeros) {
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
  Taps taps;
  for (std::size_t m = 0; m < kTaps; ++m) taps.matrix[m] = Broadcast(TapMatrix[m]);
  constexpr std::uint64_t k3Low = FoldLow(3), k3High = FoldHigh(3), k2Low = FoldLow(2),
                          k2High = FoldHigh(2), k1Low = FoldLow(1), k1High = FoldHigh(1);
  const __m512i onToLast =
      _mm512_set_epi64(0, 0, static_cast<long long>(k1High), static_cast<long long>(k1Low),
                       static_cast<long long>(k2High), static_cast<long long>(k2Low),
                       static_cast<long long>(k3High), static_cast<long long>(k3Low));
  for (; n >= kBlock; p += kBlock, n -= kBlock) {
    const __m512i data = _mm512_loadu_si512(p);
    // The chain from block to block is only the jump over 64 bytes; what the data adds to it,
    // and the registers at the groups inside the block, are off that chain.
    const std::uint32_t next = JumpBy64(r) ^ DataRegister(data, onToLast);
    const std::uint32_t r1 = SliceBy16(p, r);
    const std::uint32_t r2 = SliceBy16(p + 16, r1);
    const std::uint32_t r3 = SliceBy16(p + 32, r2);
    __m512i starts = _mm512_maskz_set1_epi32(0x0001, static_cast<int>(r));
    starts = _mm512_mask_set1_epi32(starts, 0x0010, static_cast<int>(r1));
    starts = _mm512_mask_set1_epi32(starts, 0x0100, static_cast<int>(r2));
    starts = _mm512_mask_set1_epi32(starts, 0x1000, static_cast<int>(r3));
    const __m512i indices = StepIndices(taps, _mm512_xor_si512(data, starts),
                                        std::make_index_sequence<(kTaps - 4) / 2>{});
    const std::uint64_t zeros = _mm512_testn_epi8_mask(indices, indices);
    r = zeros == 0 ? next : next ^ Entry0Correction(indices, zeros);
  }
  return UpdateScalar(p, n, r);
}

}  // namespace kelvane::crc32fast

#endif  // __x86_64__
