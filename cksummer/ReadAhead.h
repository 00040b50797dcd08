// Reading ahead: while a run handles one file, the next files are already opened and their first
// blocks read by a few reader threads, so that a medium just inserted (nothing in the page cache)
// always has requests to serve instead of one round trip at a time.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "FileUti2/ConfinedFolder.h"
#include "cksummer/FileChecksums.h"

namespace kelvane {

class ReadAhead {
 public:
  // One file of the run, in the run's order: the entry it stands for, and its path (below root
  // when there is one, else as it stands).
  struct Item {
    int index;
    std::string path;
  };

  // What is held at once, whatever the sizes of the files: a file of gigabytes is streamed by
  // its reader at its turn, not held.
  static constexpr std::size_t kFiles = 64;
  static constexpr std::size_t kHeadBlocks = 16;  // 1 MiB of a file, in the CRC's blocks
  static constexpr std::size_t kBytes = std::size_t{32} << 20;

  // Starts readers threads on plan, which must be in the order of index. Throws when no thread
  // can be started (the run then reads at each entry's turn).
  ReadAhead(std::vector<Item> plan, const ConfinedFolder* root, int readers);
  // Stops the readers, waits for each (a read under way ends first), and closes every file they
  // opened: nothing of the run is left behind.
  ~ReadAhead();
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // The file read ahead for entry index, once its readers have it; the files of the plan
  // before it are dropped. nullopt when index is not (or no longer) in the plan, or when the
  // file could not be opened ahead.
  std::optional<FileAhead> Take(int index);

 private:
  struct Slot {
    std::size_t item = 0;
    enum State { free, reading, ready, dropped } state = free;
    FileAhead file;
  };
  void Reader();
  void Stop();
  FileAhead Read(const Item& item) const;
  // Frees the slot and gives what it held (the lock is held).
  FileAhead Release(Slot& slot);

  std::vector<Item> plan_;
  const ConfinedFolder* root_;
  std::mutex mutex_;
  std::condition_variable work_;  // a reader may go on: a slot or room came free, or stop
  std::condition_variable done_;  // a file is ready
  std::vector<Slot> slots_;       // item k in slot k % kFiles
  std::size_t next_ = 0;          // the next item a reader takes up
  std::size_t taken_ = 0;         // items before it are taken or dropped
  std::size_t bytesHeld_ = 0;
  bool stop_ = false;
  std::vector<std::thread> readers_;
};

}  // namespace kelvane
