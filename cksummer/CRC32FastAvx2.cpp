// The AVX2 CRC-32: slicing-by-16 for the registers at 16-byte boundaries, and all 32 step
// indices of a block checked at once by a 16-tap filter of PSHUFB nibble look-ups.
#include "cksummer/CRC32FastPaths.h"

#if defined(__x86_64__)
#include <immintrin.h>

#include <bit>

#include "cksummer/CRC32FastSteps.h"

#define KELVANE_AVX2 __attribute__((target("avx2")))

namespace kelvane::crc32fast {
namespace {

inline constexpr std::size_t kBlock = 32;

struct TapLookups {
  __m256i low[kTaps];
  __m256i high[kTaps];
};

KELVANE_AVX2 inline __m256i Broadcast16(const std::uint8_t* bytes) {
  return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes)));
}

template <int M>
KELVANE_AVX2 inline __m256i Tap(const TapLookups& taps, __m256i low, __m256i high) {
  const __m256i t = _mm256_xor_si256(_mm256_shuffle_epi8(taps.low[M], low),
                                     _mm256_shuffle_epi8(taps.high[M], high));
  return _mm256_bslli_epi128(t, M);
}

// x: 32 data bytes with each 16-byte group's start register XORed into its first four bytes.
// Returns the step index of every byte, as long as no step of the block takes entry 0.
KELVANE_AVX2 inline __m256i StepIndices(const TapLookups& taps, __m256i x) {
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  const __m256i low = _mm256_and_si256(x, nibble);
  const __m256i high = _mm256_and_si256(_mm256_srli_epi16(x, 4), nibble);
  __m256i a = _mm256_xor_si256(x, Tap<1>(taps, low, high));
  __m256i b = _mm256_xor_si256(Tap<2>(taps, low, high), Tap<3>(taps, low, high));
  a = _mm256_xor_si256(a, _mm256_xor_si256(Tap<4>(taps, low, high), Tap<5>(taps, low, high)));
  b = _mm256_xor_si256(b, _mm256_xor_si256(Tap<6>(taps, low, high), Tap<7>(taps, low, high)));
  a = _mm256_xor_si256(a, _mm256_xor_si256(Tap<8>(taps, low, high), Tap<9>(taps, low, high)));
  b = _mm256_xor_si256(b, _mm256_xor_si256(Tap<10>(taps, low, high), Tap<11>(taps, low, high)));
  a = _mm256_xor_si256(a, _mm256_xor_si256(Tap<12>(taps, low, high), Tap<13>(taps, low, high)));
  b = _mm256_xor_si256(b, _mm256_xor_si256(Tap<14>(taps, low, high), Tap<15>(taps, low, high)));
  return _mm256_xor_si256(a, b);
}

KELVANE_AVX2 inline std::uint32_t ZeroBytes(__m256i v) {
  return static_cast<std::uint32_t>(
      _mm256_movemask_epi8(_mm256_cmpeq_epi8(v, _mm256_setzero_si256())));
}

// Adds the entry-0 steps of the block to its linear end register. Each one changes every later
// index, so the zeros are taken in order, each after the changes of the ones before it.
KELVANE_AVX2 std::uint32_t Entry0Correction(__m256i indices, std::uint32_t zeros) {
  std::uint32_t correction = 0;
  do {
    const int j = std::countr_zero(zeros);
    correction ^= Entry0After[kBlock - 1 - static_cast<std::size_t>(j)];
    indices = _mm256_xor_si256(
        indices, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(
                     IndexChange.data() + (kMaxBlock - 1 - static_cast<std::size_t>(j)))));
    const std::uint32_t later = static_cast<std::uint32_t>(~std::uint64_t{0} << (j + 1));
    zeros = ZeroBytes(indices) & later;
  } while (zeros != 0);
  return correction;
}

}  // namespace

KELVANE_AVX2 std::uint32_t UpdateAvx2(const std::uint8_t* p, std::size_t n, std::uint32_t r) {
  TapLookups taps;
  for (std::size_t m = 0; m < kTaps; ++m) {
    taps.low[m] = Broadcast16(TapLow[m].data());
    taps.high[m] = Broadcast16(TapHigh[m].data());
  }
  for (; n >= kBlock; p += kBlock, n -= kBlock) {
    // The registers chain through slicing only; the index check is off that chain and its
    // branch is rarely taken.
    const std::uint32_t r0 = r;
    const std::uint32_t r1 = SliceBy16(p, r0);
    r = SliceBy16(p + 16, r1);
    const __m256i starts =
        _mm256_set_epi32(0, 0, 0, static_cast<int>(r1), 0, 0, 0, static_cast<int>(r0));
    const __m256i indices = StepIndices(
        taps, _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)), starts));
    const std::uint32_t zeros = ZeroBytes(indices);
    if (zeros != 0) r ^= Entry0Correction(indices, zeros);
  }
  return UpdateScalar(p, n, r);
}

}  // namespace kelvane::crc32fast

#endif  // __x86_64__
