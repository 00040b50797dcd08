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

const char* OutcomeName(EntryVerdict::Outcome outcome);

// "mismatch<TAB>entry<TAB>path found<TAB>stored<TAB>computed<TAB>why", "-" for a sum there is none
// of; why: for a file that could not be read the reason, for a mismatch which sum differs (a
// CheckSum19 with its stored and computed values). Names as the window shows them, escaped
// (FieldText).
std::string FailureLine(const Project& project, const EntryVerdict& verdict);

// One entry of the report.
struct ReportEntry {
  std::string entry;
  std::optional<std::string> path;  // where the file was looked for; none when it was not read
  std::string stored;               // the stored CRC-32 text, as the project holds it
  std::optional<std::uint32_t> computed;
  std::string storedCheckSum19;
  std::optional<std::uint32_t> computedCheckSum19;
  std::string outcome;  // valid, mismatch, unreadable, excluded, not reached
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

 private:
  struct Result {
    std::uint32_t crc = 0;
    std::uint32_t checkSum19 = 0;
    std::uint8_t outcome = kNone;
    std::uint8_t known = 0;  // kCrcKnown | kCheckSum19Known
  };
  static constexpr std::uint8_t kNone = 0xFF;
  static constexpr std::uint8_t kCrcKnown = 1;
  static constexpr std::uint8_t kCheckSum19Known = 2;

  const Project& project_;
  std::string copy_;
  std::vector<Result> results_;
  std::unordered_map<int, std::string> foundAt_;  // a file found elsewhere than its exact path
  int read_ = 0;
  int failed_ = 0;
  int status_ = 0;
};

}  // namespace kelvane::cli
