// How a run reads its entries' files: at each entry's turn, in the project's order, with the
// next files read ahead where the medium serves many requests at once, one at a time where it
// does not (an optical drive, whose head would jump between them).
#pragma once

#include <optional>
#include <vector>

#include "cksummer/ReadAhead.h"
#include "commands/EntryResolver.h"
#include "commands/Session.h"
#include "commands/Shell.h"

namespace kelvane {

class RunReads {
 public:
  // planned: the entries the run means to read, in order (an entry read that is not among them
  // is read at its turn). oneAtATime: no reading ahead.
  RunReads(Session& session, Shell& shell, EntryResolver& resolver, const std::vector<int>& planned,
           bool oneAtATime);

  // The entry's file read at its turn: what EntrySums tells of it, with strong that sum too.
  EntryRead Read(int index, const std::optional<DigestType>& strong);
  // The run has read its last entry, or stops: what was read ahead and not handled is dropped,
  // and no reader is left.
  void Finish() { ahead_.reset(); }

  // Readers side by side: enough to keep a disk, a stick or a network share busy.
  static constexpr int kReaders = 8;

 private:
  // The window's meter, and between blocks of a large file the pump through which STOP and
  // QUIT reach the run.
  class Meter : public ProgressSink {
   public:
    Meter(Session& session, Shell& shell) : session_(session), shell_(shell) {}
    void SetPosition(int position) override { shell_.Meter().SetPosition(position); }
    bool StopBetweenBlocks() override;

   private:
    Session& session_;
    Shell& shell_;
  };

  Session& session_;
  Shell& shell_;
  EntryResolver& resolver_;
  Meter meter_;
  std::optional<ReadAhead> ahead_;
};

}  // namespace kelvane
