// The AVX-512 CRC-32: a step takes entry 0 exactly when its byte of the polynomial quotient is
// zero, and Barrett's method gives a 16-byte group's quotient in three carry-less products. The
// data's share of each 64-byte block is computed from a zero start, a block ahead of the chain;
// the chain adds the start register's share by eight table look-ups, takes the first entry-0
// step without a branch, and passes its effect to the next block's quotients by one look-up.
#include "cksummer/CRC32FastPaths.h"

#if defined(__x86_64__)
// GCC 12 takes the deliberately undefined operand inside many AVX-512 intrinsics for an
// uninitialized variable (GCC bug 105593); the warning is about the header, not this code.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

#include "cksummer/CRC32FastSteps.h"

#define KELVANE_AVX512 __attribute__((target("avx512f,avx512bw,gfni,vpclmulqdq,bmi")))

namespace kelvane::crc32fast {
namespace {

inline constexpr std::size_t kBlock = kRegisterBlock;

KELVANE_AVX512 inline __m512i Xor3(__m512i a, __m512i b, __m512i c) {
  return _mm512_ternarylogic_epi64(a, b, c, 0x96);
}

KELVANE_AVX512 inline __m512i Broadcast(std::uint64_t v) {
  return _mm512_set1_epi64(static_cast<long long>(v));
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

// Each lane read as a 16-byte message from a zero register: the register it leaves, in the
// lane's third four bytes. That register is fixed by the lane's last four quotient bytes q:
// it is q times P modulo x^32 (taken one bit higher, as every carry-less product comes out).
KELVANE_AVX512 inline __m512i LaneRegisters(__m512i lanes, __m512i multiplier) {
  return _mm512_clmulepi64_epi128(GroupQuotients(lanes, multiplier),
                                  Broadcast(std::uint64_t{0xEDB88320u} << 1), 0x01);
}

// acc XOR each lane of v times x^(128 * lanes) modulo P, still 128 bits wide: the word that
// holds the higher powers takes x^(64 + 128 * lanes), the other x^(128 * lanes), each one power
// lower because a carry-less product of two words comes out multiplied by x.
template <unsigned Lanes>
KELVANE_AVX512 inline __m512i AddFolded(__m512i acc, __m512i v) {
  constexpr auto kHigh = static_cast<long long>(AsWord(XPowerModP(64 + 128 * Lanes - 1)));
  constexpr auto kLow = static_cast<long long>(AsWord(XPowerModP(128 * Lanes - 1)));
  const __m512i k = _mm512_set4_epi64(kLow, kHigh, kLow, kHigh);
  return Xor3(acc, _mm512_clmulepi64_epi128(v, k, 0x00), _mm512_clmulepi64_epi128(v, k, 0x11));
}

// The register after each lane of a 64-byte block that starts from a zero register, in the
// lane's third four bytes: each lane takes in the lanes before it (two doubling steps), then
// all four are reduced at once.
KELVANE_AVX512 inline __m512i PrefixRegisters(__m512i data, __m512i multiplier) {
  const __m512i zero = _mm512_setzero_si512();
  const __m512i one = AddFolded<1>(data, _mm512_alignr_epi64(data, zero, 6));
  const __m512i two = AddFolded<2>(one, _mm512_alignr_epi64(one, zero, 4));
  return LaneRegisters(two, multiplier);
}

// The block's quotient bytes: local, the data's share from a zero start, and the start
// register's share by eight nibble look-ups.
[[gnu::always_inline]] KELVANE_AVX512 inline __m512i BlockQuotients(__m512i local,
                                                                    std::uint32_t r) {
  __m512i share[8];
  for (std::size_t n = 0; n < 8; ++n) {
    share[n] = _mm512_load_si512(QuotientResponse[n][(r >> (4 * n)) & 0xFu].data());
  }
  return Xor3(Xor3(share[0], share[1], share[2]), Xor3(share[3], share[4], share[5]),
              Xor3(share[6], share[7], local));
}

// The linear register 64 zero bytes after r.
KELVANE_CRC_INLINE std::uint32_t Advance(std::uint32_t r) {
  return Advance64[0][r & 0xFFu] ^ Advance64[1][(r >> 8) & 0xFFu] ^
         Advance64[2][(r >> 16) & 0xFFu] ^ Advance64[3][r >> 24];
}

// The rest of a block's entry-0 steps after its first one (more holds the steps after it that
// take entry 0 once the first one's changes are in). Each step changes every later quotient, so
// they are taken in order, each after the changes of the ones before it.
[[gnu::noinline]] KELVANE_AVX512 std::uint32_t LaterEntry0Steps(__m512i quotients,
                                                                std::uint64_t more) {
  std::uint32_t correction = 0;
  do {
    const auto j = static_cast<std::size_t>(_tzcnt_u64(more));
    correction ^= EndChange[j];
    quotients =
        _mm512_xor_si512(quotients, _mm512_loadu_si512(QuotientChange.data() + kRegisterBlock - j));
    more = _mm512_testn_epi8_mask(quotients, quotients) & ~(more ^ (more - 1));
  } while (more != 0);
  return correction;
}

// A 64-byte block's quotient bytes and end register as if it started from a zero register.
// Only the start register's share, by look-ups, waits for the previous block.
struct DataShare {
  __m512i quotients;
  std::uint32_t end;
};

[[gnu::always_inline]] KELVANE_AVX512 inline DataShare BlockDataShare(const std::uint8_t* p,
                                                                      __m512i multiplier) {
  const __m512i data = _mm512_loadu_si512(p);
  const __m512i prefix = PrefixRegisters(data, multiplier);
  const __m512i starts = _mm512_maskz_alignr_epi32(0x1110, prefix, _mm512_setzero_si512(), 14);
  return {GroupQuotients(_mm512_xor_si512(data, starts), multiplier),
          static_cast<std::uint32_t>(_mm_extract_epi32(_mm512_extracti32x4_epi32(prefix, 3), 2))};
}

}  // namespace

KELVANE_AVX512 std::uint32_t UpdateAvx512Gfni(const std::uint8_t* p, std::size_t n,
                                              std::uint32_t r) {
  const __m512i multiplier = _mm512_set4_epi64(static_cast<long long>(kQuotientMultiplier[1]),
                                               static_cast<long long>(kQuotientMultiplier[0]),
                                               static_cast<long long>(kQuotientMultiplier[1]),
                                               static_cast<long long>(kQuotientMultiplier[0]));
  // The data's share of the next block is computed a block ahead, so that the chain finds it
  // ready instead of waiting for its long run of carry-less products.
  DataShare next{};
  if (n >= kBlock) next = BlockDataShare(p, multiplier);
  // The start register of a block is its linear part, which the chain advances by look-ups,
  // XOR the end change of the previous block's entry-0 steps. Their shares of the block's
  // quotients are taken apart, the second as one look-up by the previous block's first entry-0
  // step, so each block's zero test waits for the previous one's by a single load.
  std::uint32_t linear = r;
  std::uint32_t pending = 0;                      // the previous block's end change
  __m512i pendingShare = _mm512_setzero_si512();  // and its share of this block
  for (; n >= kBlock; p += kBlock, n -= kBlock) {
    const DataShare share = next;
    if (n >= 2 * kBlock) next = BlockDataShare(p + kBlock, multiplier);
    const __m512i quotients =
        _mm512_xor_si512(BlockQuotients(share.quotients, linear), pendingShare);
    // About one block in five has an entry-0 step: the first one is taken without a branch,
    // which a mispredicted zero test would cost far more than. Only a second one branches.
    const std::uint64_t zeros = _mm512_testn_epi8_mask(quotients, quotients);
    const auto first = static_cast<std::size_t>(_tzcnt_u64(zeros));  // 64 if there is none
    linear = Advance(linear ^ pending) ^ share.end;
    pending = EndChange[first];
    pendingShare = _mm512_load_si512(EndChangeShare[first].data());
    const __m512i changed = _mm512_xor_si512(
        quotients, _mm512_loadu_si512(QuotientChange.data() + kRegisterBlock - first));
    const std::uint64_t more = _mm512_testn_epi8_mask(changed, changed) & ~(zeros ^ (zeros - 1));
    if (more != 0) {
      const std::uint32_t later = LaterEntry0Steps(changed, more);
      pending ^= later;
      pendingShare = BlockQuotients(pendingShare, later);
    }
  }
  r = linear ^ pending;
  return UpdateScalar(p, n, r);
}

}  // namespace kelvane::crc32fast

#endif  // __x86_64__
