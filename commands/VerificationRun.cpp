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

// What follows a file name's last separator (or a project's ":"), as the entry is stored.
std::string FileNamePart(const std::string& entry, char separator) {
  const std::size_t cut = entry.find_last_of(separator == '/' ? "/" : "\\:");
  return cut == std::string::npos ? entry : entry.substr(cut + 1);
}

// The pieces of the Part, and when the SHA-256 did not match, one line that says so with both
// values before the question: a file forged to keep its CRC is told for what it is.
std::string MismatchText(const std::string& fileName, const std::string& storedCRC,
                         std::uint32_t computedCRC, const std::optional<Digest>& storedSha,
                         const std::optional<Digest>& computedSha) {
  const std::string sha = storedSha && computedSha && *storedSha != *computedSha
                              ? "SHA-256 not matched: stored " + DigestHex(*storedSha) +
                                    ", checked " + DigestHex(*computedSha) + "\r\n"
                              : "";
  return "CheckSum not matched!\r\n\r\nCyclic Redundancy Check (CRC)-32bit test\rFile name \t: " +
         fileName + "\r" + std::string(40, '-') + "\r" + "Stored value\t: " + storedCRC + " H\r" +
         "Checked value\t" + ": " + Hex8(computedCRC) + " H\r\n" + "\r\n" + sha +
         "Do you want to continue to check the rest of files?";
}

// The same for an entry of a published list, by its own algorithm.
std::string ListMismatchText(const std::string& fileName, const Digest& stored,
                             const Digest& computed) {
  return "CheckSum not matched!\r\n\r\n" + DigestName(stored.type) +
         " test\rFile name \t: " + fileName + "\r" + std::string(40, '-') + "\r" +
         "Stored value\t: " + DigestHex(stored) + "\r" + "Checked value\t: " + DigestHex(computed) +
         "\r\n" + "\r\n" + "Do you want to continue to check the rest of files?";
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

// One entry that is selected and not grayed: steps from the count to the comparison. An entry of
// a published list is compared by its own sum alone: it has no CRC-32 of a project.
Outcome CheckEntry(Session& session, Shell& shell, RunReads& reads, int i, Tally& tally) {
  Project& p = session.project;
  const bool list = p.Published().has_value();
  ++tally.checked;
  const std::string storedCRC = list ? std::string() : p.StoredCRC32(i);
  const std::string storedCS19 = list ? std::string() : p.StoredCheckSum19(i);
  const std::optional<Digest>& stored = p.StoredDigest(i);
  ShowStoredSums(session.texts, p, i);
  session.texts.Set(TLabel::S17, SumBeingApplied(p, i) + ":" + p.FlagText(i));
  // An entry cut short by STOP before its comparison was not verified: it is not counted, so
  // "Cheksum valid" never includes a file that was not read.
  if (PumpAndPoll(session, shell)) {
    --tally.checked;
    return Outcome::stop;
  }

  // The path as found: the boxes name the file that was read, or the one that was not there.
  // Every sum from one read where the entry has a strong one; else its CRC alone.
  const EntryRead read = reads.Read(i, stored ? std::optional(stored->type) : std::nullopt);
  if (read.abandoned) {
    --tally.checked;
    return Outcome::stop;
  }
  const std::string& path = read.path;
  if (!read.crc) {
    EntryVerdict verdict{
        i,           path,       storedCRC,    std::nullopt, EntryVerdict::unreadable,
        read.reason, storedCS19, std::nullopt, read.error};
    verdict.storedDigest = stored;
    verdict.published = list;
    shell.EntryVerified(verdict);
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

  bool crcOk = true, cs19Ok = true;
  std::optional<std::uint32_t> computedCS19;
  if (!list) {
    session.texts.Set(TLabel::S17, "CHX19:" + p.FlagText(i));  // a toggle meanwhile shows at once
    if (PumpAndPoll(session, shell)) {
      --tally.checked;
      return Outcome::stop;
    }
    computedCS19 = GetFileCheckSum19(path);
    // Compared as texts, case-sensitively: a lower-case or short stored sum never matches.
    crcOk = Hex8(*read.crc) == storedCRC;
    cs19Ok = Hex8(*computedCS19) == storedCS19;
  }
  const std::uint32_t computedCRC = *read.crc;
  const bool strongOk = !stored || read.strong == stored;
  if (list)
    ShowDigestVerdict(session.texts, strongOk);
  else
    ShowVerdicts(session.texts, crcOk, cs19Ok);
  const bool ok = crcOk && cs19Ok && strongOk;
  EntryVerdict verdict{
      i,  path,       storedCRC,   computedCRC, ok ? EntryVerdict::valid : EntryVerdict::mismatch,
      {}, storedCS19, computedCS19};
  verdict.storedDigest = stored;
  verdict.computedDigest = read.strong;
  verdict.published = list;
  shell.EntryVerified(verdict);
  if (ok) {
    p.SetState(i, TCheckState::cbChecked);
    session.CheckPerformed = true;
    return Outcome::next;
  }
  p.SetState(i, TCheckState::cbGrayed);
  ++tally.errors;
  const std::string fileName = FileNamePart(p.Entry(i), p.Separator());
  if (!shell.AskYesNo(list && stored && read.strong
                          ? ListMismatchText(fileName, *stored, *read.strong)
                          : MismatchText(fileName, storedCRC, computedCRC, stored, read.strong),
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
  EntryResolver resolver(session.CheckRoot, EntryResolver::inBase, p.Separator());
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
