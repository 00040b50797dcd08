// The byte-wise CRC-32 step and the entry point that picks the fastest routine.
#include "cksummer/CRC32.h"

#include "cksummer/CRC32FastPaths.h"

namespace kelvane {

void UpdateCRC32Bytewise(const std::uint8_t* buffer, std::size_t count, std::uint32_t& reg) {
  std::uint32_t r = reg;
  for (std::size_t i = 0; i < count; ++i) r = CRC32Table[(r ^ buffer[i]) & 0xFFu] ^ (r >> 8);
  reg = r;
}

void UpdateCRC32(const std::uint8_t* buffer, std::size_t count, std::uint32_t& reg) {
  reg = crc32fast::BestRoutine()(buffer, count, reg);
}

}  // namespace kelvane
