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

// Which sums of a mismatch differ, with the values a line of CRC-32s does not show; of a
// published list's entry, its one sum.
std::string MismatchWhy(bool published, const std::string& storedCRC,
                        const std::optional<std::uint32_t>& crc, const std::string& stored19,
                        const std::optional<std::uint32_t>& checkSum19,
                        const std::optional<Digest>& storedSha,
                        const std::optional<Digest>& computedSha) {
  if (published && storedSha) return DigestName(storedSha->type) + " differs";
  std::string why;
  const auto add = [&why](const std::string& part) { why += (why.empty() ? "" : ", ") + part; };
  if (!crc || Hex8(*crc) != storedCRC) add("CRC-32 differs");
  const std::string computed19 = checkSum19 ? Hex8(*checkSum19) : "-";
  if (computed19 != stored19)
    add("CheckSum19 differs: stored " + OrDash(stored19) + ", computed " + computed19);
  if (storedSha && computedSha && *storedSha != *computedSha)
    add("SHA-256 differs: stored " + DigestHex(*storedSha) + ", computed " +
        DigestHex(*computedSha));
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
  return MismatchWhy(verdict.published, verdict.storedCRC32, verdict.computedCRC32,
                     verdict.storedCheckSum19, verdict.computedCheckSum19, verdict.storedDigest,
                     verdict.computedDigest);
}

std::string FailureLine(const Project& project, const EntryVerdict& verdict) {
  const bool published = verdict.published && verdict.storedDigest;
  const std::string stored =
      published ? DigestHex(*verdict.storedDigest) : FieldText(verdict.storedCRC32, true);
  const std::string computed = published && verdict.computedDigest
                                   ? DigestHex(*verdict.computedDigest)
                               : !published && verdict.computedCRC32 ? Hex8(*verdict.computedCRC32)
                                                                     : "-";
  std::string line = std::string(OutcomeName(verdict)) + "\t" +
                     FieldText(project.Entry(verdict.index), project.Separator() == '/') + "\t" +
                     FieldText(verdict.path, true) + "\t" + OrDash(stored) + "\t" + computed;
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
  // A computed strong sum is kept where it is not the stored one: of a valid entry it is.
  if (verdict.computedDigest && verdict.computedDigest != verdict.storedDigest)
    computedDigest_[verdict.index] = *verdict.computedDigest;
  if (verdict.computedDigest) result.known |= kStrongRead;
  if (verdict.path != ResolveEntry(copy_, project_.Entry(verdict.index), project_.Separator()).path)
    foundAt_[verdict.index] = verdict.path;
  if (verdict.outcome == EntryVerdict::mismatch) status_ |= kExitMismatch;
  if (verdict.outcome == EntryVerdict::unreadable) status_ |= kExitUnreadable;
  if (verdict.outcome != EntryVerdict::valid) ++failed_;
}

ReportEntry EntryResults::Entry(int index) const {
  const Result& result = results_.at(static_cast<std::size_t>(index));
  ReportEntry e;
  e.entry = project_.Entry(index);
  e.storedDigest = project_.StoredDigest(index);
  e.published = project_.Published() && e.storedDigest;
  if (!e.published) {
    e.stored = project_.StoredCRC32(index);
    e.storedCheckSum19 = project_.StoredCheckSum19(index);
  }
  if (result.told == kNone) {
    e.outcome = project_.IsExcluded(index) ? "excluded" : "not reached";
    return e;
  }
  const auto found = foundAt_.find(index);
  e.path = found != foundAt_.end() ? found->second
                                   : ResolveEntry(copy_, e.entry, project_.Separator()).path;
  if (result.known & kCrcKnown) e.computed = result.crc;
  if (result.known & kCheckSum19Known) e.computedCheckSum19 = result.checkSum19;
  if (result.known & kStrongRead) {
    const auto computed = computedDigest_.find(index);
    e.computedDigest = computed != computedDigest_.end() ? computed->second : e.storedDigest;
  }
  static constexpr const char* kNames[] = {"", "valid", "mismatch", "missing", "unreadable"};
  e.outcome = kNames[result.told];
  if (result.told == kMismatch)
    e.reason = MismatchWhy(e.published, e.stored, e.computed, e.storedCheckSum19,
                           e.computedCheckSum19, e.storedDigest, e.computedDigest);
  else if (result.told != kValid)
    e.reason = reasons_[result.reason];
  return e;
}

}  // namespace kelvane::cli
