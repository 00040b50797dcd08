// OutcomeName, FailureLine and EntryResults.
#include "cli/CheckReport.h"

#include "cli/CliError.h"
#include "cli/TerminalText.h"
#include "commands/EntryPath.h"
#include "project/ValueEntry.h"

namespace kelvane::cli {

namespace {

std::string OrDash(const std::string& text) {
  return text.empty() ? "-" : text;
}

// Which sum of a mismatch differs: a CheckSum19 is told with both its values, since the CRC-32
// pair on the line does not show it.
std::string MismatchWhy(const EntryVerdict& verdict) {
  const bool crcDiffers =
      !verdict.computedCRC32 || Hex8(*verdict.computedCRC32) != verdict.storedCRC32;
  const std::string computed19 =
      verdict.computedCheckSum19 ? Hex8(*verdict.computedCheckSum19) : "-";
  const bool cs19Differs = computed19 != verdict.storedCheckSum19;
  std::string why = crcDiffers ? "CRC-32 differs" : "";
  if (cs19Differs)
    why += std::string(crcDiffers ? ", " : "") + "CheckSum19 differs: stored " +
           OrDash(FieldText(verdict.storedCheckSum19, true)) + ", computed " + computed19;
  return why;
}

}  // namespace

const char* OutcomeName(EntryVerdict::Outcome outcome) {
  switch (outcome) {
    case EntryVerdict::valid:
      return "valid";
    case EntryVerdict::mismatch:
      return "mismatch";
    case EntryVerdict::unreadable:
      return "unreadable";
  }
  return "unknown";
}

std::string FailureLine(const Project& project, const EntryVerdict& verdict) {
  std::string line = std::string(OutcomeName(verdict.outcome)) + "\t" +
                     FieldText(project.Entry(verdict.index), false) + "\t" +
                     FieldText(verdict.path, true) + "\t" +
                     OrDash(FieldText(verdict.storedCRC32, true)) + "\t" +
                     (verdict.computedCRC32 ? Hex8(*verdict.computedCRC32) : "-");
  const std::string why =
      verdict.outcome == EntryVerdict::mismatch ? MismatchWhy(verdict) : verdict.reason;
  if (!why.empty()) line += "\t" + FieldText(why, true);
  return line;
}

EntryResults::EntryResults(const Project& project, std::string copy)
    : project_(project),
      copy_(std::move(copy)),
      results_(static_cast<std::size_t>(project.Count())) {}

void EntryResults::Record(const EntryVerdict& verdict) {
  Result& result = results_.at(static_cast<std::size_t>(verdict.index));
  if (result.outcome == kNone) ++read_;
  result.outcome = static_cast<std::uint8_t>(verdict.outcome);
  result.known = 0;
  if (verdict.computedCRC32) {
    result.crc = *verdict.computedCRC32;
    result.known |= kCrcKnown;
  }
  if (verdict.computedCheckSum19) {
    result.checkSum19 = *verdict.computedCheckSum19;
    result.known |= kCheckSum19Known;
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
  if (result.outcome == kNone) {
    e.outcome = project_.IsExcluded(index) ? "excluded" : "not reached";
    return e;
  }
  const auto found = foundAt_.find(index);
  e.path = found != foundAt_.end() ? found->second : ResolveEntry(copy_, e.entry).path;
  if (result.known & kCrcKnown) e.computed = result.crc;
  if (result.known & kCheckSum19Known) e.computedCheckSum19 = result.checkSum19;
  e.outcome = OutcomeName(static_cast<EntryVerdict::Outcome>(result.outcome));
  return e;
}

}  // namespace kelvane::cli
