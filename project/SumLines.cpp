// ParseCoreutilsLine, ParseTagLine, ParseSfvLine and CoreutilsLine.
#include "project/SumLines.h"

#include <algorithm>
#include <array>
#include <utility>

namespace kelvane {

namespace {

// A name as coreutils wrote it after a leading "\": its escapes undone; nullopt for an escape it
// never writes.
std::optional<std::string> Unescape(std::string_view text) {
  std::string name;
  name.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      name += text[i];
      continue;
    }
    if (++i == text.size()) return std::nullopt;
    switch (text[i]) {
      case '\\':
        name += '\\';
        break;
      case 'n':
        name += '\n';
        break;
      case 'r':
        name += '\r';
        break;
      default:
        return std::nullopt;
    }
  }
  return name;
}

// The name as a path below the copy: "./a/b" is "a/b". An empty name is none.
std::optional<std::string> Named(std::optional<std::string> name) {
  if (!name) return std::nullopt;
  std::string_view path = *name;
  while (path.size() > 2 && path.substr(0, 2) == "./") path.remove_prefix(2);
  if (path.empty()) return std::nullopt;
  return std::string(path);
}

std::optional<SumLine> Line(const std::optional<Digest>& sum, std::optional<std::string> name) {
  name = Named(std::move(name));
  if (!sum || !name) return std::nullopt;
  return SumLine{*sum, std::move(*name)};
}

// The algorithm a tag names: "SHA256", "BLAKE2b", "BLAKE2b-256".
std::optional<DigestType> TagType(std::string_view tag) {
  static constexpr std::array<std::pair<std::string_view, DigestType>, 7> kTags{{
      {"MD5", {DigestKind::md5, 16}},
      {"SHA1", {DigestKind::sha1, 20}},
      {"SHA224", {DigestKind::sha224, 28}},
      {"SHA256", {DigestKind::sha256, 32}},
      {"SHA384", {DigestKind::sha384, 48}},
      {"SHA512", {DigestKind::sha512, 64}},
      {"BLAKE2b", {DigestKind::blake2b, 64}},
  }};
  for (const auto& [name, type] : kTags)
    if (tag == name) return type;
  constexpr std::string_view kBlake = "BLAKE2b-";
  if (tag.substr(0, kBlake.size()) != kBlake) return std::nullopt;
  int bits = 0;
  for (const char c : tag.substr(kBlake.size())) {
    if (c < '0' || c > '9' || bits > 512) return std::nullopt;
    bits = bits * 10 + (c - '0');
  }
  if (bits == 0 || bits > 512 || bits % 8 != 0) return std::nullopt;
  return DigestType{DigestKind::blake2b, static_cast<std::uint8_t>(bits / 8)};
}

}  // namespace

std::optional<SumLine> ParseCoreutilsLine(std::string_view line, bool blake2b) {
  const bool escaped = !line.empty() && line.front() == '\\';
  if (escaped) line.remove_prefix(1);
  const std::size_t digits = line.find(' ');
  if (digits == std::string_view::npos || line.size() < digits + 3 ||
      (line[digits + 1] != ' ' && line[digits + 1] != '*'))
    return std::nullopt;
  DigestType type;
  switch (digits) {
    case 32:
      type = {DigestKind::md5, 16};
      break;
    case 40:
      type = {DigestKind::sha1, 20};
      break;
    case 56:
      type = {DigestKind::sha224, 28};
      break;
    case 64:
      type = kSha256Type;
      break;
    case 96:
      type = {DigestKind::sha384, 48};
      break;
    case 128:
      type = {blake2b ? DigestKind::blake2b : DigestKind::sha512, 64};
      break;
    default:
      return std::nullopt;
  }
  const std::string_view name = line.substr(digits + 2);
  return Line(DigestFromHex(type, line.substr(0, digits)),
              escaped ? Unescape(name) : std::optional<std::string>(name));
}

std::optional<SumLine> ParseTagLine(std::string_view line) {
  const bool escaped = !line.empty() && line.front() == '\\';
  if (escaped) line.remove_prefix(1);
  const std::size_t open = line.find(" (");
  const std::size_t close = line.rfind(") = ");
  if (open == std::string_view::npos || close == std::string_view::npos || close < open + 2)
    return std::nullopt;
  const std::optional<DigestType> type = TagType(line.substr(0, open));
  if (!type) return std::nullopt;
  const std::string_view name = line.substr(open + 2, close - open - 2);
  return Line(DigestFromHex(*type, line.substr(close + 4)),
              escaped ? Unescape(name) : std::optional<std::string>(name));
}

std::optional<SumLine> ParseSfvLine(std::string_view line) {
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
  if (line.size() < 10) return std::nullopt;
  const std::string_view crc = line.substr(line.size() - 8);
  std::string_view name = line.substr(0, line.size() - 8);
  if (name.back() != ' ' && name.back() != '\t') return std::nullopt;
  while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
  std::string path(name);
  std::replace(path.begin(), path.end(), '\\', '/');
  return Line(DigestFromHex({DigestKind::crc32, 4}, crc), std::move(path));
}

std::string CoreutilsLine(const Digest& sum, std::string_view name) {
  if (name.find_first_of("\\\n\r") == std::string_view::npos)
    return DigestHex(sum) + "  " + std::string(name) + "\n";
  // Built by appending: GCC 12 warns falsely (-Wrestrict) of a literal + a string at -O3.
  std::string escaped(1, '\\');
  escaped += DigestHex(sum);
  escaped += "  ";
  for (const char c : name) {
    if (c == '\\')
      escaped += "\\\\";
    else if (c == '\n')
      escaped += "\\n";
    else if (c == '\r')
      escaped += "\\r";
    else
      escaped += c;
  }
  return escaped + "\n";
}

}  // namespace kelvane
