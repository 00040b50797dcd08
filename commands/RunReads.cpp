// RunReads: the plan handed to ReadAhead, and each entry taken from it at its turn.
#include "commands/RunReads.h"

#include <chrono>
#include <exception>

#include "cksummer/DescriptorBudget.h"
#include "commands/RunSteps.h"

namespace kelvane {

namespace {

// How long an entry's turn waits, all told, for the readers of other runs to give back
// descriptors when the limit was met: past it, the file fails with the system's reason.
constexpr int kDescriptorWaits = 50;
constexpr std::chrono::milliseconds kDescriptorWait{100};

}  // namespace

bool RunReads::Meter::StopBetweenBlocks() {
  return PumpAndPoll(session_, shell_);
}

RunReads::RunReads(Session& session, Shell& shell, EntryResolver& resolver,
                   const std::vector<int>& planned, bool oneAtATime)
    : session_(session), shell_(shell), resolver_(resolver), meter_(session, shell) {
  // A test's own read step reads at the entry's turn, as it always has.
  if (oneAtATime || session.ReadSequential || session.ReadStep) return;
  std::vector<int> plan;
  plan.reserve(planned.size());
  for (const int index : planned)
    if (resolver.Exact(session.project.Entry(index)).safe) plan.push_back(index);
  // The readers ask for each path as they come to it: a plan of a million entries holds their
  // numbers, not their paths. The entries do not change while a run reads them.
  const Project& project = session.project;
  const auto pathOf = [&project, &resolver](int index) {
    return resolver.AheadPath(resolver.Exact(project.Entry(index)).path);
  };
  try {
    ahead_.emplace(std::move(plan), pathOf, resolver.SharedRoot(), kReaders);
  } catch (const std::exception&) {
    // No reader threads to be had: the run reads one file at a time, as on an optical drive.
  }
}

EntryRead RunReads::Read(int index, const std::optional<DigestType>& strong) {
  const std::string& entry = session_.project.Entry(index);
  std::optional<FileAhead> ahead;
  if (ahead_) {
    try {
      ahead = ahead_->Take(index, [this] { return meter_.StopBetweenBlocks(); });
    } catch (const CRC32Abandoned&) {
      // STOP while a reader still has the file: the entry is unfinished.
      return EntryRead{resolver_.Exact(entry).path, std::nullopt, {}, 0, true};
    }
  }
  const bool wasAhead = ahead.has_value();
  EntryRead read = EntrySums(resolver_, entry, meter_, session_.ReadStep, strong, std::move(ahead));
  if (ahead_ && !wasAhead && read.crc) ahead_->Found();
  // The descriptor limit met at an entry's turn is the readers' doing, never the file's: they
  // hold fewer from now on, let go of what they hold, and the file is opened again.
  DescriptorBudget& budget = DescriptorBudget::Process();
  for (int wait = 0; IsOutOfDescriptors(read.error); ++wait) {
    budget.Shrink();
    if (ahead_) ahead_->Shed();
    // What this run let go was not enough: the readers of the other runs must give back theirs.
    if (wait > 0 &&
        (wait >= kDescriptorWaits || (!budget.AwaitRelease(kDescriptorWait) && budget.Held() == 0)))
      break;
    if (PumpAndPoll(session_, shell_)) return EntryRead{read.path, std::nullopt, {}, 0, true};
    read = EntrySums(resolver_, entry, meter_, session_.ReadStep, strong);
  }
  return read;
}

}  // namespace kelvane
