// The 17-character value entry and the hexadecimal form of a sum.
#include "project/ValueEntry.h"

#include <cstdio>

namespace kelvane {

std::string Hex8(std::uint32_t value) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value));
  return text;
}

std::string MakeValueEntry(std::uint32_t crc32, std::uint32_t checkSum19) {
  return Hex8(crc32) + Hex8(checkSum19) + "1";
}

std::string StoredCRC32Text(std::string_view valueEntry) {
  return std::string(valueEntry.substr(0, 8));
}

std::string StoredCheckSum19Text(std::string_view valueEntry) {
  return valueEntry.size() > 8 ? std::string(valueEntry.substr(8, 8)) : std::string();
}

char FlagOf(std::string_view valueEntry) {
  return valueEntry.size() >= kValueEntryLength ? valueEntry[16] : '\0';
}

}  // namespace kelvane
