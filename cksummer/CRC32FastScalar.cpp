// The portable fast CRC-32: slicing-by-8, with all eight step indices of a group checked first.
#include "cksummer/CRC32FastPaths.h"
#include "cksummer/CRC32FastSteps.h"

namespace kelvane::crc32fast {

std::uint32_t UpdateScalar(const std::uint8_t* p, std::size_t n, std::uint32_t r) {
  for (; n >= 8; p += 8, n -= 8) {
    const std::uint64_t x = Load64(p) ^ r;
    // A group in which some step takes entry 0 is not linear: let the byte loop take it.
    r = HasZeroByte(GroupIndices(x)) ? Bytewise(p, 8, r) : SliceBy8(x);
  }
  return Bytewise(p, n, r);
}

}  // namespace kelvane::crc32fast
