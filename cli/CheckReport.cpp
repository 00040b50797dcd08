// OutcomeName, FailureLine and EntryResults.
#include "cli/CheckReport.h"

#include <algorithm>
#include <cerrno>

#include "cli/CliError.h"
#include "cli/TerminalText.h"
#include "commands/EntryPath.h"
#include "project/ValueEntry.h"

namespace kelvane::cli {

namespace {

std::string OrDash(const std::string& text) {
  return text.empty() ? "-" : text;
}

bool IsMissing(const EntryVerdict& verdict) {
  return verdict.outcome == EntryVerdict::unreadable &&
         (verdict.error == ENOENT || verdict.error == ENOTDIR);
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
  const bool crcDiffers =
      !verdict.computedCRC32 || Hex8(*verdict.computedCRC32) != verdict.storedCRC32;
  const std::string computed19 =
      verdict.computedCheckSum19 ? Hex8(*verdict.computedCheckSum19) : "-";
  const bool cs19Differs = computed19 != verdict.storedCheckSum19;
  std::string why = crcDiffers ? "CRC-32 differs" : "";
  if (cs19Differs)
    why += std::string(crcDiffers ? ", " : "") + "CheckSum19 differs: stored " +
           OrDash(verdict.storedCheckSum19) + ", computed " + computed19;
  return why;
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
  // The failures give few texts, each kept once.
  const std::string why = FailureWhy(verdict);
  const auto known = std::find(reasons_.begin(), reasons_.end(), why);
  if (known != reasons_.end()) {
    result.reason = static_cast<std::uint16_t>(known - reasons_.begin());
  } else if (reasons_.size() <= 0xFFFF) {
    result.reason = static_cast<std::uint16_t>(reasons_.size());
    reasons_.push_back(why);
  }
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
  if (result.told == kNone) {
    e.outcome = project_.IsExcluded(index) ? "excluded" : "not reached";
    return e;
  }
  const auto found = foundAt_.find(index);
  e.path = found != foundAt_.end() ? found->second : ResolveEntry(copy_, e.entry).path;
  if (result.known & kCrcKnown) e.computed = result.crc;
  if (result.known & kCheckSum19Known) e.computedCheckSum19 = result.checkSum19;
  static constexpr const char* kNames[] = {"", "valid", "mismatch", "missing", "unreadable"};
  e.outcome = kNames[result.told];
  if (result.told != kValid) e.reason = reasons_[result.reason];
  return e;
}

}  // namespace kelvane::cli
