// The fast CRC-32 routines themselves; callers go through CRC32Fast.h.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kelvane::crc32fast {

// Each routine returns the register after the count bytes, started from reg.
using Routine = std::uint32_t (*)(const std::uint8_t* buffer, std::size_t count, std::uint32_t reg);

// The routine of BestCRC32Path(), chosen once.
Routine BestRoutine();

std::uint32_t UpdateScalar(const std::uint8_t* buffer, std::size_t count, std::uint32_t reg);

#if defined(__x86_64__)
std::uint32_t UpdateAvx2(const std::uint8_t* buffer, std::size_t count, std::uint32_t reg);
std::uint32_t UpdateAvx512Gfni(const std::uint8_t* buffer, std::size_t count, std::uint32_t reg);
#endif

}  // namespace kelvane::crc32fast
