// What a run of CHECK found, entry by entry: the terminal's lines, and the results kept for the
// summary and the report, small enough that a project of a million entries is checked in little
// more memory than opening it takes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "commands/Shell.h"
#include "project/Project.h"

namespace kelvane::cli {

// What the terminal and the report call what CHECK told of an entry: "valid", "mismatch",
// "missing" (its file, or a folder on its way, is not there) or "unreadable" (it is there and
// could not be read). Both of the last two add 2 to the exit status.
const char* OutcomeName(const EntryVerdict& verdict);

// Why an entry failed: for a file that could not be read the system's reason, for a mismatch
// which sum differs (a CheckSum19 with its stored and computed values, which the CRC-32 pair
// does not show). Empty for a valid entry.
std::string FailureWhy(const EntryVerdict& verdict);

// "mismatch<TAB>entry<TAB>path found<TAB>stored<TAB>computed<TAB>why", "-" for a sum there is none
// of: the CRC-32s of a project, a published list's own sums. Names as the window shows them,
// escaped (FieldText).
std::string FailureLine(const Project& project, const EntryVerdict& verdict);

// One entry of the report.
struct ReportEntry {
  std::string entry;
  std::optional<std::string> path;  // where the file was looked for; none when it was not read
  bool published = false;           // an entry of a list another tool published
  std::string stored;               // the stored CRC-32 text, as the project holds it
  std::optional<std::uint32_t> computed;
  std::string storedCheckSum19;
  std::optional<std::uint32_t> computedCheckSum19;
  std::optional<Digest> storedDigest;  // a project's SHA-256, a list's sum; none without one
  std::optional<Digest> computedDigest;
  std::string outcome;                // valid, mismatch, missing, unreadable, excluded, not reached
  std::optional<std::string> reason;  // FailureWhy of a failed entry
};

// What CHECK told of each entry it read. The project's entries and flags must stay as they are
// while it lives (a run changes only the check marks).
class EntryResults {
 public:
  EntryResults(const Project& project, std::string copy);

  void Record(const EntryVerdict& verdict);
  // Entries read, and those of them that failed: the summary's "Checked" and "Error(s) found".
  int Read() const { return read_; }
  int Failed() const { return failed_; }
  // 1 for any mismatch plus 2 for any file missing or unreadable.
  int Status() const { return status_; }
  // Entry index as the report gives it: what CHECK told of it; else "excluded" for an entry
  // excluded from the run, else "not reached".
  ReportEntry Entry(int index) const;
  int Count() const { return static_cast<int>(results_.size()); }
  const Project& Checked() const { return project_; }

 private:
  enum Told : std::uint8_t { kNone, kValid, kMismatch, kMissing, kUnreadable };
  struct Result {
    std::uint32_t crc = 0;
    std::uint32_t checkSum19 = 0;
    std::uint16_t reason = 0;  // in reasons_
    Told told = kNone;
    std::uint8_t known = 0;  // kCrcKnown | kCheckSum19Known
  };
  static constexpr std::uint8_t kCrcKnown = 1;
  static constexpr std::uint8_t kCheckSum19Known = 2;
  static constexpr std::uint8_t kStrongRead = 4;

  const Project& project_;
  std::string copy_;
  std::vector<Result> results_;
  std::unordered_map<int, std::string> foundAt_;    // a file found elsewhere than its exact path
  std::unordered_map<int, Digest> computedDigest_;  // where it is not the stored one
  std::vector<std::string> reasons_;                // the few texts the failures give; 0: none
  int read_ = 0;
  int failed_ = 0;
  int status_ = 0;
};

}  // namespace kelvane::cli
