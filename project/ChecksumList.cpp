// ChecksumListParser: one list's lines, each read by the form that fits it.
#include "project/ChecksumList.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "project/SumLines.h"

namespace kelvane {

namespace {

constexpr std::string_view kSignedBegin = "-----BEGIN PGP SIGNED MESSAGE-----";
constexpr std::string_view kSignatureBegin = "-----BEGIN PGP SIGNATURE-----";
constexpr std::string_view kSignatureEnd = "-----END PGP SIGNATURE-----";

bool IsBlank(std::string_view line) {
  return std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t'; });
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

bool NamedForBlake2b(const std::string& path) {
  const std::string name = Lower(path.substr(path.find_last_of('/') + 1));
  const std::size_t dot = name.rfind('.');
  return name.rfind("b2", 0) == 0 || name.find("blake2") != std::string::npos ||
         (dot != std::string::npos && name.substr(dot) == ".b2");
}

ChecksumListParser::ChecksumListParser(std::string path, bool blake2b)
    : path_(std::move(path)), blake2b_(blake2b) {
  // The sums were made where the list lies: its folder is the list's source.
  const std::size_t slash = path_.find_last_of('/');
  parsed_.sourceFolder = slash == std::string::npos ? std::string() : path_.substr(0, slash);
  if (parsed_.sourceFolder.empty() && slash == 0) parsed_.sourceFolder = "/";
}

void ChecksumListParser::Refuse(const std::string& why) const {
  throw std::runtime_error("Invalid checksum list\rFile: " + path_ + "\rLine " +
                           std::to_string(number_) + " " + why);
}

void ChecksumListParser::Seen(const char* format) {
  if (std::find(formats_.begin(), formats_.end(), format) == formats_.end())
    formats_.push_back(format);
}

void ChecksumListParser::Feed(std::string_view piece, bool last) {
  for (std::size_t end; (end = piece.find('\n')) != std::string_view::npos;) {
    if (carry_.empty()) {
      Line(piece.substr(0, end));
    } else {
      carry_.append(piece.substr(0, end));
      Line(carry_);
      carry_.clear();
    }
    piece.remove_prefix(end + 1);
  }
  carry_.append(piece);
  if (carry_.size() > kLongestListLine) {
    ++number_;
    // A first line of that length is no list's: an image picked by mistake is refused here.
    if (!listLike_) throw std::runtime_error("Invalid Config File");
    Refuse("is longer than a list's line can be (" + std::to_string(kLongestListLine) + " bytes)");
  }
  if (last && !carry_.empty()) {
    Line(carry_);
    carry_.clear();
  }
}

void ChecksumListParser::Line(std::string_view line) {
  ++number_;
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  switch (armour_) {
    case Armour::header:
      // "Hash: SHA256" and the like, up to the blank line that starts the text.
      if (IsBlank(line)) armour_ = Armour::text;
      return;
    case Armour::signature:
      if (line == kSignatureEnd) armour_ = Armour::after;
      return;
    case Armour::after:
      // Lines after the signature are not signed: a list that carries them is not taken.
      if (!IsBlank(line)) Refuse("follows the signature, outside the signed text");
      return;
    case Armour::text:
      if (line == kSignatureBegin) {
        armour_ = Armour::signature;
        return;
      }
      // Dash-escaped: a signed line that began with "-" is written "- -...".
      if (line.substr(0, 2) == "- ") line.remove_prefix(2);
      break;
    case Armour::none:
      if (line == kSignedBegin && !listLike_) {
        armour_ = Armour::header;
        listLike_ = true;
        return;
      }
      break;
  }
  if (IsBlank(line)) return;
  if (line.front() == '#' || line.front() == ';') {
    listLike_ = true;
    return;
  }
  std::optional<SumLine> sum;
  const char* format = "BSD tags";
  if (!(sum = ParseTagLine(line))) {
    format = "coreutils lines";
    if (!(sum = ParseCoreutilsLine(line, blake2b_))) {
      format = "SFV";
      sum = ParseSfvLine(line);
    }
  }
  if (!sum) {
    // A file whose first line that is not blank is no sum, comment nor armour is no list at all.
    if (!listLike_) throw std::runtime_error("Invalid Config File");
    Refuse("is not a sum and a name in a form Kelvane reads");
  }
  Seen(format);
  listLike_ = true;
  parsed_.entries.push_back(std::move(sum->name));
  parsed_.values.emplace_back(kListValue);
  parsed_.strong.push_back(sum->sum);
}

ParsedProject ChecksumListParser::Finish() {
  if (armour_ == Armour::header || armour_ == Armour::text || armour_ == Armour::signature)
    Refuse("ends the file inside the signed text, before the signature's end");
  if (parsed_.entries.empty()) throw std::runtime_error("Invalid Config File");
  ListOrigin origin;
  for (const char* format : formats_)
    origin.format += (origin.format.empty() ? "" : ", ") + std::string(format);
  origin.clearsigned = armour_ != Armour::none;
  parsed_.published = std::move(origin);
  return std::move(parsed_);
}

}  // namespace kelvane
