// Which fast CRC-32 routines this CPU can run, and running a chosen one.
#include "cksummer/CRC32Fast.h"

#include <stdexcept>
#include <string>

#include "cksummer/CRC32.h"
#include "cksummer/CRC32FastPaths.h"

namespace kelvane {

std::string_view CRC32PathName(CRC32Path path) {
  switch (path) {
    case CRC32Path::Bytewise:
      return "Bytewise";
    case CRC32Path::Scalar:
      return "Scalar";
    case CRC32Path::Avx2:
      return "Avx2";
    case CRC32Path::Avx512Gfni:
      return "Avx512Gfni";
  }
  return "Unknown";
}

bool CRC32PathAvailable(CRC32Path path) {
  switch (path) {
    case CRC32Path::Bytewise:
    case CRC32Path::Scalar:
      return true;
#if defined(__x86_64__)
    // __builtin_cpu_supports also checks that the system saves the wide registers.
    case CRC32Path::Avx2:
      return __builtin_cpu_supports("avx2");
    case CRC32Path::Avx512Gfni:
      return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
             __builtin_cpu_supports("vpclmulqdq") && __builtin_cpu_supports("gfni") &&
             __builtin_cpu_supports("bmi");
#else
    case CRC32Path::Avx2:
    case CRC32Path::Avx512Gfni:
      return false;
#endif
  }
  return false;
}

CRC32Path BestCRC32Path() {
  static const CRC32Path best = [] {
    for (CRC32Path path : {CRC32Path::Avx512Gfni, CRC32Path::Avx2}) {
      if (CRC32PathAvailable(path)) return path;
    }
    return CRC32Path::Scalar;
  }();
  return best;
}

namespace crc32fast {
namespace {
std::uint32_t UpdateBytewise(const std::uint8_t* buffer, std::size_t count, std::uint32_t reg) {
  UpdateCRC32Bytewise(buffer, count, reg);
  return reg;
}

Routine RoutineOf(CRC32Path path) {
  switch (path) {
    case CRC32Path::Bytewise:
      return UpdateBytewise;
    case CRC32Path::Scalar:
      return UpdateScalar;
#if defined(__x86_64__)
    case CRC32Path::Avx2:
      return UpdateAvx2;
    case CRC32Path::Avx512Gfni:
      return UpdateAvx512Gfni;
#else
    case CRC32Path::Avx2:
    case CRC32Path::Avx512Gfni:
      break;
#endif
  }
  return UpdateBytewise;
}
}  // namespace

Routine BestRoutine() {
  static const Routine best = RoutineOf(BestCRC32Path());
  return best;
}
}  // namespace crc32fast

void UpdateCRC32With(CRC32Path path, const std::uint8_t* buffer, std::size_t count,
                     std::uint32_t& reg) {
  if (!CRC32PathAvailable(path)) {
    throw std::logic_error("CRC-32 routine not available here: " +
                           std::string(CRC32PathName(path)));
  }
  reg = crc32fast::RoutineOf(path)(buffer, count, reg);
}

}  // namespace kelvane
