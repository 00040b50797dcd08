// The routines that compute the legacy CRC-32 many bytes at a time, and a way to pick one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kelvane {

// Every routine gives the same register as UpdateCRC32Bytewise for every input.
enum class CRC32Path {
  Bytewise,    // the reference, one table look-up per byte
  Scalar,      // slicing-by-8 with an exact check of the eight step indices per group
  Avx2,        // slicing-by-16 for group registers, PSHUFB filter for the step indices
  Avx512Gfni,  // carry-less Barrett quotients find the entry-0 steps of 64-byte blocks, the
               // start register's share by table (AVX-512 F and BW, GFNI, VPCLMULQDQ, BMI)
};

inline constexpr CRC32Path kCRC32Paths[] = {CRC32Path::Bytewise, CRC32Path::Scalar, CRC32Path::Avx2,
                                            CRC32Path::Avx512Gfni};

std::string_view CRC32PathName(CRC32Path path);

// Whether this build and this CPU can run the routine.
bool CRC32PathAvailable(CRC32Path path);

// The fastest routine available here; UpdateCRC32 uses it.
CRC32Path BestCRC32Path();

// Runs the named routine; throws std::logic_error if it is not available here.
void UpdateCRC32With(CRC32Path path, const std::uint8_t* buffer, std::size_t count,
                     std::uint32_t& reg);

}  // namespace kelvane
