// What the last CHECK found of each entry, in words, for the row's accessible description: a
// screen reader's user hears why a row is grayed or unchecked long after the box has gone, where
// a sighted user read Status1 at the time.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "commands/Shell.h"
#include "project/Project.h"

namespace kelvane {

class EntryFindings {
 public:
  // A CHECK begins: what the one before found is forgotten.
  void RunStarted();
  // CHECK told what it found of an entry (Shell::EntryVerified).
  void Verified(const EntryVerdict& verdict);
  // The CHECK ended, by its last entry, STOP, a No or a failure: an entry it did not verify was
  // not reached.
  void RunEnded();
  // Open, New or Clear replaced the list: nothing is known of the new one.
  void Clear();

  // "sum did not match: CRC-32", "could not be read: No such file or directory", "not reached",
  // "not selected for CHECK"; empty for a verified entry and before any CHECK.
  std::string Description(const Project& project, int index) const;

 private:
  enum Told : std::uint8_t { kNone, kValid, kFailed };
  std::vector<Told> told_;                    // by entry; an entry past its end was not told
  std::unordered_map<int, std::string> why_;  // the failed entries' words
  bool ended_ = false;                        // a CHECK has ended since the list came
};

// The words for a failed entry: which sums did not match, or why its file could not be read.
std::string FailureWords(const EntryVerdict& verdict);

}  // namespace kelvane
