// Reading ahead: while a run handles one file, the next files are already opened and their first
// blocks read by a few reader threads, so that a medium just inserted (nothing in the page cache)
// always has requests to serve instead of one round trip at a time.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "FileUti2/ConfinedFolder.h"
#include "cksummer/FileChecksums.h"

namespace kelvane {

class ReadAhead {
 public:
  // Where the file of entry index is: below root when there is one, else as it stands.
  using PathOf = std::function<std::string(int index)>;

  // What is held at once, whatever the sizes of the files: a file of gigabytes is streamed by
  // its reader at its turn, not held. Descriptors are held within the process's budget too.
  static constexpr std::size_t kFiles = 64;
  static constexpr std::size_t kHeadBlocks = 16;  // 1 MiB of a file, in the CRC's blocks
  static constexpr std::size_t kBytes = std::size_t{32} << 20;
  // Readers are woken when this much room came free, not at every file taken: one wake-up
  // serves many files.
  static constexpr std::size_t kWakeRoom = 32;
  // How long a reader that does not stop (a read that never returns) is waited for at the end,
  // and how often Take asks whether to give up its wait.
  static constexpr std::chrono::milliseconds kStopGrace{1000};
  static constexpr std::chrono::milliseconds kPollEvery{100};

  // Starts readers on plan, entry indices in increasing order; pathOf is asked (under the lock,
  // so never after the destructor began) for each. Throws when no thread can be started (the run
  // then reads at each entry's turn); keeps the readers that did start.
  ReadAhead(std::vector<int> plan, PathOf pathOf, std::shared_ptr<const ConfinedFolder> root,
            int readers);
  // Stops the readers and waits for each (a read under way ends first), closing every file they
  // opened, but waits no longer than kStopGrace for a read that hangs: such a reader is let go,
  // and ends on its own once the read returns.
  ~ReadAhead();
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // The file read ahead for entry index, once its reader has it; the files of the plan before it
  // are dropped. nullopt when index is not (or no longer) in the plan, or when the file could not
  // be opened ahead. While it waits, abandon is asked every kPollEvery: true ends the wait with
  // CRC32Abandoned (STOP, while a reader hangs on a read that never returns).
  std::optional<FileAhead> Take(int index, const std::function<bool()>& abandon);

  // The run found a file there at its turn that was not read ahead: readers that paused on a
  // tree found missing go on.
  void Found();

  // Closes every file held ahead (each is opened again at its turn): the descriptor limit was
  // met at an entry's turn.
  void Shed();

 private:
  struct State;
  static void Reader(const std::shared_ptr<State>& state, std::size_t self);

  std::shared_ptr<State> state_;  // shared with the readers, which may outlive this object
  std::vector<std::thread> readers_;
};

}  // namespace kelvane
