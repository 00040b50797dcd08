// A file forged to keep a legacy CRC-32: what anyone who changes a file on purpose can do to a
// sum that is no defence. Four bytes after the new content, computed from the CRC's definition
// (backwards from the wanted register, one table entry a byte), give it the stored sum.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cksummer/CRC32.h"

namespace kelvane::test {

namespace detail {

inline std::uint32_t LegacyRegister(const std::string& bytes) {
  std::uint32_t reg = kCRC32Start;
  UpdateCRC32Bytewise(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), reg);
  return reg;
}

// Four bytes that take the register from `from` to `target`, when there are: each step's table
// entry is the one whose top byte the register must have after it (entry 0 of the legacy table
// shares its top byte with another, so both are tried).
inline std::optional<std::string> FourBytes(std::uint32_t from, std::uint32_t target) {
  std::vector<int> indices(4);
  const auto search = [&](auto&& self, int step,
                          std::uint32_t wanted) -> std::optional<std::string> {
    if (step < 0) {
      std::string bytes;
      std::uint32_t reg = from;
      for (int k = 0; k < 4; ++k) {
        bytes += static_cast<char>((reg ^ static_cast<std::uint32_t>(indices[k])) & 0xFF);
        reg = CRC32Table[indices[k]] ^ (reg >> 8);
      }
      if (reg == target) return bytes;
      return std::nullopt;
    }
    for (int i = 0; i < 256; ++i) {
      if ((CRC32Table[i] >> 24) != (wanted >> 24)) continue;
      indices[step] = i;
      if (auto found = self(self, step - 1, (wanted ^ CRC32Table[i]) << 8)) return found;
    }
    return std::nullopt;
  };
  return search(search, 3, target);
}

}  // namespace detail

// content, then a byte or two of its own where needed and four more, whose legacy CRC-32 is crc.
inline std::string ForgeLegacyCRC32(std::string content, std::uint32_t crc) {
  for (int extra = 0; extra < 256; ++extra) {
    const std::string start = extra == 0 ? content : content + static_cast<char>(extra);
    if (auto tail = detail::FourBytes(detail::LegacyRegister(start), crc)) {
      const std::string forged = start + *tail;
      if (detail::LegacyRegister(forged) == crc) return forged;
    }
  }
  throw std::runtime_error("ForgeLegacyCRC32: no four bytes found");
}

}  // namespace kelvane::test
