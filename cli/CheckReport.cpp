// OutcomeName, FailureLine and EntryResults.
#include "cli/CheckReport.h"

#include <algorithm>

#include "cksummer/RegularFile.h"
#include "cli/CliError.h"
#include "cli/TerminalText.h"
#include "commands/EntryPath.h"
#include "project/ValueEntry.h"

namespace kelvane::cli {

namespace {

std::string OrDash(const std::string& text) {
  return text.empty() ? "-" : text;
}

// Which sums of a mismatch differ, with the values a line of CRC-32s does not show.
std::string MismatchWhy(const std::string& storedCRC, const std::optional<std::uint32_t>& crc,
                        const std::string& stored19, const std::optional<std::uint32_t>& checkSum19,
                        const std::optional<Sha256>& storedSha,
                        const std::optional<Sha256>& computedSha) {
  std::string why;
  const auto add = [&why](const std::string& part) { why += (why.empty() ? "" : ", ") + part; };
  if (!crc || Hex8(*crc) != storedCRC) add("CRC-32 differs");
  const std::string computed19 = checkSum19 ? Hex8(*checkSum19) : "-";
  if (computed19 != stored19)
    add("CheckSum19 differs: stored " + OrDash(stored19) + ", computed " + computed19);
  if (storedSha && computedSha && *storedSha != *computedSha)
    add("SHA-256 differs: stored " + Sha256Hex(*storedSha) + ", computed " +
        Sha256Hex(*computedSha));
  return why;
}

bool IsMissing(const EntryVerdict& verdict) {
  return verdict.outcome == EntryVerdict::unreadable && IsMissingError(verdict.error);
}

}  // namespace

const char* OutcomeName(const EntryVerdict& verdict) {
  switch (verdict.outcome) {
    case EntryVerdict::valid:
      return "valid";
    case EntryVerdict::mismatch:
      return "mismatch";
    case EntryVerdict::unreadable:
      return IsMissing(verdict) ? "missing" : "unreadable";
  }
  return "unknown";
}

std::string FailureWhy(const EntryVerdict& verdict) {
  if (verdict.outcome != EntryVerdict::mismatch) return verdict.reason;
  return MismatchWhy(verdict.storedCRC32, verdict.computedCRC32, verdict.storedCheckSum19,
                     verdict.computedCheckSum19, verdict.storedSha256, verdict.computedSha256);
}

std::string FailureLine(const Project& project, const EntryVerdict& verdict) {
  std::string line =
      std::string(OutcomeName(verdict)) + "\t" + FieldText(project.Entry(verdict.index), false) +
      "\t" + FieldText(verdict.path, true) + "\t" + OrDash(FieldText(verdict.storedCRC32, true)) +
      "\t" + (verdict.computedCRC32 ? Hex8(*verdict.computedCRC32) : "-");
  const std::string why = FailureWhy(verdict);
  if (!why.empty()) line += "\t" + FieldText(why, true);
  return line;
}

EntryResults::EntryResults(const Project& project, std::string copy)
    : project_(project),
      copy_(std::move(copy)),
      results_(static_cast<std::size_t>(project.Count())),
      reasons_{std::string()} {}

void EntryResults::Record(const EntryVerdict& verdict) {
  Result& result = results_.at(static_cast<std::size_t>(verdict.index));
  if (result.told == kNone) ++read_;
  result.told = verdict.outcome == EntryVerdict::valid      ? kValid
                : verdict.outcome == EntryVerdict::mismatch ? kMismatch
                : IsMissing(verdict)                        ? kMissing
                                                            : kUnreadable;
  result.known = 0;
  if (verdict.computedCRC32) {
    result.crc = *verdict.computedCRC32;
    result.known |= kCrcKnown;
  }
  if (verdict.computedCheckSum19) {
    result.checkSum19 = *verdict.computedCheckSum19;
    result.known |= kCheckSum19Known;
  }
  // Files that could not be read give few texts, each kept once; a mismatch's why is made again
  // from its sums when it is asked for.
  if (verdict.outcome == EntryVerdict::unreadable) {
    const auto known = std::find(reasons_.begin(), reasons_.end(), verdict.reason);
    if (known != reasons_.end()) {
      result.reason = static_cast<std::uint16_t>(known - reasons_.begin());
    } else if (reasons_.size() <= 0xFFFF) {
      result.reason = static_cast<std::uint16_t>(reasons_.size());
      reasons_.push_back(verdict.reason);
    }
  }
  // A computed SHA-256 is kept where it is not the stored one: of a valid entry it is.
  if (verdict.computedSha256 && verdict.computedSha256 != verdict.storedSha256)
    computedSha256_[verdict.index] = *verdict.computedSha256;
  if (verdict.computedSha256) result.known |= kSha256Read;
  if (verdict.path != ResolveEntry(copy_, project_.Entry(verdict.index)).path)
    foundAt_[verdict.index] = verdict.path;
  if (verdict.outcome == EntryVerdict::mismatch) status_ |= kExitMismatch;
  if (verdict.outcome == EntryVerdict::unreadable) status_ |= kExitUnreadable;
  if (verdict.outcome != EntryVerdict::valid) ++failed_;
}

ReportEntry EntryResults::Entry(int index) const {
  const Result& result = results_.at(static_cast<std::size_t>(index));
  ReportEntry e;
  e.entry = project_.Entry(index);
  e.stored = project_.StoredCRC32(index);
  e.storedCheckSum19 = project_.StoredCheckSum19(index);
  e.storedSha256 = project_.StoredSha256(index);
  if (result.told == kNone) {
    e.outcome = project_.IsExcluded(index) ? "excluded" : "not reached";
    return e;
  }
  const auto found = foundAt_.find(index);
  e.path = found != foundAt_.end() ? found->second : ResolveEntry(copy_, e.entry).path;
  if (result.known & kCrcKnown) e.computed = result.crc;
  if (result.known & kCheckSum19Known) e.computedCheckSum19 = result.checkSum19;
  if (result.known & kSha256Read) {
    const auto computed = computedSha256_.find(index);
    e.computedSha256 = computed != computedSha256_.end() ? computed->second : e.storedSha256;
  }
  static constexpr const char* kNames[] = {"", "valid", "mismatch", "missing", "unreadable"};
  e.outcome = kNames[result.told];
  if (result.told == kMismatch)
    e.reason = MismatchWhy(e.stored, e.computed, e.storedCheckSum19, e.computedCheckSum19,
                           e.storedSha256, e.computedSha256);
  else if (result.told != kValid)
    e.reason = reasons_[result.reason];
  return e;
}

}  // namespace kelvane::cli
