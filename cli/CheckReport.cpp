// OutcomeName, FailureLine, EntryOutcomes and FailureStatus.
#include "cli/CheckReport.h"

#include "cli/CliError.h"
#include "cli/TerminalText.h"
#include "project/ValueEntry.h"

namespace kelvane::cli {

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
  const auto orDash = [](const std::string& text) { return text.empty() ? "-" : text; };
  std::string line = std::string(OutcomeName(verdict.outcome)) + "\t" +
                     FieldText(project.Entry(verdict.index), false) + "\t" +
                     FieldText(verdict.path, true) + "\t" +
                     orDash(FieldText(verdict.storedCRC32, true)) + "\t" +
                     (verdict.computedCRC32 ? Hex8(*verdict.computedCRC32) : "-");
  if (!verdict.reason.empty()) line += "\t" + FieldText(verdict.reason, true);
  return line;
}

std::vector<ReportEntry> EntryOutcomes(const Project& project,
                                       const std::vector<EntryVerdict>& verdicts) {
  std::vector<ReportEntry> entries;
  for (int i = 0; i < project.Count(); ++i) {
    ReportEntry& e = entries.emplace_back();
    e.entry = project.Entry(i);
    e.stored = project.StoredCRC32(i);
    e.outcome = project.State(i) == TCheckState::cbGrayed ? "excluded" : "not reached";
  }
  for (const EntryVerdict& verdict : verdicts) {
    ReportEntry& e = entries.at(static_cast<std::size_t>(verdict.index));
    e.path = verdict.path;
    e.computed = verdict.computedCRC32;
    e.outcome = OutcomeName(verdict.outcome);
  }
  return entries;
}

int FailureStatus(const std::vector<EntryVerdict>& verdicts) {
  int status = kExitValid;
  for (const EntryVerdict& verdict : verdicts) {
    if (verdict.outcome == EntryVerdict::mismatch) status |= kExitMismatch;
    if (verdict.outcome == EntryVerdict::unreadable) status |= kExitUnreadable;
  }
  return status;
}

}  // namespace kelvane::cli
