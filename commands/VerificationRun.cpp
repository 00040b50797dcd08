// iCheckClick: pick, prepare the marks, check each selected entry, summary, AutoEject.
#include "commands/VerificationRun.h"

#include <cstdint>
#include <exception>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "FileUti2/PathHelpers.h"
#include "cksummer/FileChecksums.h"
#include "commands/EntryResolver.h"
#include "commands/RunReads.h"
#include "commands/RunSteps.h"
#include "commands/StatusLines.h"
#include "project/ValueEntry.h"

namespace kelvane {

namespace {

// What follows a file name's last "\" or ":" (the entry as stored, with its "\" separators).
std::string FileNamePart(const std::string& entry) {
  const std::size_t cut = entry.find_last_of("\\:");
  return cut == std::string::npos ? entry : entry.substr(cut + 1);
}

// The pieces of the Part, and when the SHA-256 did not match, one line that says so with both
// values before the question: a file forged to keep its CRC is told for what it is.
std::string MismatchText(const std::string& entry, const std::string& storedCRC,
                         std::uint32_t computedCRC, const std::optional<Sha256>& storedSha,
                         const std::optional<Sha256>& computedSha) {
  const std::string sha = storedSha && computedSha && *storedSha != *computedSha
                              ? "SHA-256 not matched: stored " + Sha256Hex(*storedSha) +
                                    ", checked " + Sha256Hex(*computedSha) + "\r\n"
                              : "";
  return "CheckSum not matched!\r\n\r\nCyclic Redundancy Check (CRC)-32bit test\rFile name \t: " +
         FileNamePart(entry) + "\r" + std::string(40, '-') + "\r" + "Stored value\t: " + storedCRC +
         " H\r" + "Checked value\t" + ": " + Hex8(computedCRC) + " H\r\n" + "\r\n" + sha +
         "Do you want to continue to check the rest of files?";
}

// The folder the pick opens at: the last one picked. A Windows-made drive "D:" is offered as its
// root "D:\".
std::string PickOffer(const Session& session) {
  const std::string& root = session.CheckRoot;
  if (!root.empty() && root.back() == ':') return root + "\\";
  return root;
}

struct Tally {
  int checked = 0;
  int errors = 0;
};

enum class Outcome { next, stop };

// One entry that is selected and not grayed: steps from the count to the comparison.
Outcome CheckEntry(Session& session, Shell& shell, RunReads& reads, int i, Tally& tally) {
  Project& p = session.project;
  ++tally.checked;
  const std::string storedCRC = p.StoredCRC32(i);
  const std::string storedCS19 = p.StoredCheckSum19(i);
  ShowStoredSums(session.texts, p, i);
  session.texts.Set(TLabel::S17, "CRC32:" + p.FlagText(i));
  // An entry cut short by STOP before its comparison was not verified: it is not counted, so
  // "Cheksum valid" never includes a file that was not read.
  if (PumpAndPoll(session, shell)) {
    --tally.checked;
    return Outcome::stop;
  }

  // The path as found: the boxes name the file that was read, or the one that was not there.
  // Both sums from one read where the entry has a strong one; else its CRC alone.
  const std::optional<Sha256>& storedSha = p.StoredSha256(i);
  const EntryRead read = reads.Read(i, storedSha.has_value());
  if (read.abandoned) {
    --tally.checked;
    return Outcome::stop;
  }
  const std::string& path = read.path;
  if (!read.crc) {
    shell.EntryVerified({i, path, storedCRC, std::nullopt, EntryVerdict::unreadable, read.reason,
                         storedCS19, std::nullopt, read.error});
    // A file that cannot be read is a failed entry, whatever the answer; it is never compared
    // with a sum left over from another file, so no mismatch question follows.
    p.SetState(i, TCheckState::cbGrayed);
    ++tally.errors;
    if (!shell.AskYesNo("File: " + path + "\r\nDo you want to continue?",
                        "Error while Getting CRC-32"))
      return Outcome::stop;
    session.CheckPerformed = true;
    return Outcome::next;
  }

  session.texts.Set(TLabel::S17, "CHX19:" + p.FlagText(i));  // a toggle meanwhile shows at once
  if (PumpAndPoll(session, shell)) {
    --tally.checked;
    return Outcome::stop;
  }
  const std::uint32_t computedCRC = *read.crc;
  const std::uint32_t computedCS19 = GetFileCheckSum19(path);

  // Compared as texts, case-sensitively: a lower-case or short stored sum never matches.
  const bool crcOk = Hex8(computedCRC) == storedCRC;
  const bool cs19Ok = Hex8(computedCS19) == storedCS19;
  const bool shaOk = !storedSha || read.sha256 == storedSha;
  ShowVerdicts(session.texts, crcOk, cs19Ok);
  EntryVerdict verdict{i,
                       path,
                       storedCRC,
                       computedCRC,
                       crcOk && cs19Ok && shaOk ? EntryVerdict::valid : EntryVerdict::mismatch,
                       {},
                       storedCS19,
                       computedCS19};
  verdict.storedSha256 = storedSha;
  verdict.computedSha256 = read.sha256;
  shell.EntryVerified(verdict);
  if (crcOk && cs19Ok && shaOk) {
    p.SetState(i, TCheckState::cbChecked);
    session.CheckPerformed = true;
    return Outcome::next;
  }
  p.SetState(i, TCheckState::cbGrayed);
  ++tally.errors;
  if (!shell.AskYesNo(MismatchText(p.Entry(i), storedCRC, computedCRC, storedSha, read.sha256),
                      "CheckSum Error"))
    return Outcome::stop;
  session.CheckPerformed = true;
  return Outcome::next;
}

// Everything from the preparation pass to the summary; the caller handles a failure. optical:
// the copy is on an optical drive, read one file at a time.
void Run(Session& session, Shell& shell, bool optical) {
  Project& p = session.project;
  for (int i = 0; i < p.Count(); ++i) {
    p.SetState(i, TCheckState::cbUnchecked);
    if (p.IsExcluded(i)) p.SetState(i, TCheckState::cbGrayed);
  }
  session.texts.Set(TLabel::ChkDst, WithTrailingSeparator(session.CheckRoot));

  Tally tally;
  // Every entry is read inside the copy, as on the medium itself: a link on it that points out
  // (a disc's absolute link, "../../etc/shadow") never reads a file of this machine.
  EntryResolver resolver(session.CheckRoot, EntryResolver::inBase);
  resolver.NameExactly(p);
  const int n = p.Count();
  std::vector<int> selected;
  for (int i = 0; i < n; ++i)
    if (!p.IsExcluded(i)) selected.push_back(i);
  // The reads end with the loop: nothing is read while the summary shows, nor at AutoEject.
  RunReads reads(session, shell, resolver, selected, optical);
  for (int i = 0; i < n; ++i) {
    if (PumpAndPoll(session, shell)) break;
    // Read afresh at every entry: a toggle made during the run counts when the entry's turn comes.
    if (p.IsExcluded(i)) {
      p.SetState(i, TCheckState::cbGrayed);
      continue;
    }
    if (p.State(i) == TCheckState::cbGrayed) {
      session.CheckPerformed = true;
      continue;
    }
    if (CheckEntry(session, shell, reads, i, tally) == Outcome::stop) break;
  }
  reads.Finish();
  shell.ShowMessage(SummaryText(tally.errors, tally.checked, p.Count()));
}

}  // namespace

std::string SummaryText(int errors, int checked, int total) {
  const std::string rule(25, '-');
  return "Error(s) found\t: " + std::to_string(errors) + "\r" +
         "Cheksum valid\t: " + std::to_string(checked - errors) + "\r" + rule + "\r" +
         "Checked \t: " + std::to_string(checked) + "\r" +
         "Skipped \t: " + std::to_string(total - checked) + "\r" + rule + "\r" +
         "Total file(s)\t: " + std::to_string(total);
}

void iCheckClick(Session& session, Shell& shell) {
  Project& p = session.project;
  if (p.Count() == 0) throw std::runtime_error("No file listed");
  std::string picked = PickOffer(session);
  if (!shell.PickFolder(picked, kPickPrompt, 0)) return;
  // The drive type is asked of the folder exactly as picked, before its separators go.
  const bool optical = shell.IsCdromDrive(picked);
  if (!optical && shell.AutoEjectTicked()) shell.SetAutoEject(false);
  session.CheckRoot = StripTrailingSeparators(picked);
  session.CheckPerformed = false;
  session.StopRequested = false;
  shell.SetButtonsEnabled(false);
  try {
    Run(session, shell, optical);
  } catch (...) {
    // The marks go back to the flags so that no half-painted result stays on screen; if that
    // fails too (a value list shorter than the list fails the same way), the run's own error is
    // the one reported.
    const std::exception_ptr failure = std::current_exception();
    try {
      p.SyncChecksFromValues();
    } catch (...) {
    }
    shell.SetButtonsEnabled(true);
    std::rethrow_exception(failure);
  }
  shell.SetButtonsEnabled(true);
  if (shell.AutoEjectTicked() && session.CheckPerformed) shell.ClickEject();
}

}  // namespace kelvane
