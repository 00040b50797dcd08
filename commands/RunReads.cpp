// RunReads: the plan handed to ReadAhead, and each entry taken from it at its turn.
#include "commands/RunReads.h"

#include <exception>

#include "commands/RunSteps.h"

namespace kelvane {

bool RunReads::Meter::StopBetweenBlocks() {
  return PumpAndPoll(session_, shell_);
}

RunReads::RunReads(Session& session, Shell& shell, EntryResolver& resolver,
                   const std::vector<int>& planned, bool oneAtATime)
    : session_(session), resolver_(resolver), meter_(session, shell) {
  // A test's own read step reads at the entry's turn, as it always has.
  if (oneAtATime || session.ReadSequential || session.ReadStep) return;
  std::vector<ReadAhead::Item> plan;
  plan.reserve(planned.size());
  for (const int index : planned) {
    const EntryPath exact = resolver.Exact(session.project.Entry(index));
    if (exact.safe) plan.push_back({index, resolver.AheadPath(exact.path)});
  }
  try {
    ahead_.emplace(std::move(plan), resolver.Root(), kReaders);
  } catch (const std::exception&) {
    // No reader threads to be had: the run reads one file at a time, as on an optical drive.
  }
}

EntryRead RunReads::Read(int index) {
  std::optional<FileAhead> ahead;
  if (ahead_) ahead = ahead_->Take(index);
  return EntryCRC32(resolver_, session_.project.Entry(index), meter_, session_.ReadStep,
                    std::move(ahead));
}

}  // namespace kelvane
