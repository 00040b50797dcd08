// ReadAhead: readers take the plan's items in order, each into a slot of a ring of kFiles; Take
// waits for its item's slot.
#include "cksummer/ReadAhead.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>

namespace kelvane {

ReadAhead::ReadAhead(std::vector<Item> plan, const ConfinedFolder* root, int readers)
    : plan_(std::move(plan)), root_(root), slots_(kFiles) {
  readers_.reserve(static_cast<std::size_t>(readers));
  try {
    for (int i = 0; i < readers; ++i) readers_.emplace_back([this] { Reader(); });
  } catch (...) {
    // No thread to be had: those started stop again, and the run reads at each entry's turn.
    Stop();
    throw;
  }
}

ReadAhead::~ReadAhead() {
  Stop();
}

void ReadAhead::Stop() {
  {
    const std::lock_guard lock(mutex_);
    stop_ = true;
  }
  work_.notify_all();
  for (std::thread& reader : readers_)
    if (reader.joinable()) reader.join();
}

FileAhead ReadAhead::Release(Slot& slot) {
  bytesHeld_ -= slot.file.head.size();
  FileAhead file = std::move(slot.file);
  slot.file = FileAhead();
  slot.state = Slot::free;
  return file;  // closed by whoever drops it
}

void ReadAhead::Reader() {
  std::unique_lock lock(mutex_);
  for (;;) {
    // Room for one more: a free slot, within the bytes held.
    work_.wait(lock, [this] {
      return stop_ || (next_ < plan_.size() && next_ < taken_ + kFiles &&
                       slots_[next_ % kFiles].state == Slot::free && bytesHeld_ < kBytes);
    });
    if (stop_) return;
    const std::size_t item = next_++;
    Slot& slot = slots_[item % kFiles];
    slot.item = item;
    slot.state = Slot::reading;
    lock.unlock();
    FileAhead file;
    try {
      file = Read(plan_[item]);
    } catch (...) {
      // Out of memory, say: the file is left to its turn (not open), and this reader goes on.
      file = FileAhead();
    }
    lock.lock();
    if (slot.state == Slot::dropped) {
      // Its turn went by while it was read (STOP, or the entry unticked).
      slot.state = Slot::free;
      lock.unlock();
      file = FileAhead();  // closed outside the lock
      lock.lock();
      work_.notify_all();
      continue;
    }
    bytesHeld_ += file.head.size();
    slot.file = std::move(file);
    slot.state = Slot::ready;
    done_.notify_all();
  }
}

FileAhead ReadAhead::Read(const Item& item) const {
  FileAhead ahead;
  try {
    ahead.file = root_ ? OpenRegularFile(*root_, item.path) : OpenRegularFile(item.path);
  } catch (const ReadFailure&) {
    return ahead;  // not open: the file is opened again at its turn, and fails or passes there
  }
  const int fd = ahead.file.descriptor.Get();
  const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(
      ahead.file.size, static_cast<std::int64_t>(kHeadBlocks * kCRC32BufferSize)));
  try {
    ahead.head.resize(want);
  } catch (const std::bad_alloc&) {
    ahead.head.clear();
    return ahead;  // nothing read ahead: the file is read at its turn
  }
  // Block by block, as GetFileCRC32 reads, so that the meter moves alike; the read that finds
  // the end is left to the file's turn.
  std::size_t got = 0;
  while (got < want) {
    ssize_t n;
    do {
      n = ::read(fd, ahead.head.data() + got, std::min(want - got, kCRC32BufferSize));
    } while (n < 0 &&
             (errno == EINTR || ((errno == EAGAIN || errno == EWOULDBLOCK) && MakeBlocking(fd))));
    // A failed read is left to the file's turn, which reads on from here.
    if (n < 0) break;
    if (n == 0) {
      ahead.atEnd = true;
      break;
    }
    got += static_cast<std::size_t>(n);
  }
  ahead.head.resize(got);
  return ahead;
}

std::optional<FileAhead> ReadAhead::Take(int index) {
  std::unique_lock lock(mutex_);
  // The plan's files before index are not wanted any more.
  while (taken_ < plan_.size() && plan_[taken_].index < index) {
    Slot& slot = slots_[taken_ % kFiles];
    if (taken_ < next_) {
      if (slot.state == Slot::ready)
        Release(slot);
      else
        slot.state = Slot::dropped;
    } else {
      // Never taken up: no reader will.
      next_ = taken_ + 1;
    }
    ++taken_;
  }
  if (taken_ >= plan_.size() || plan_[taken_].index != index) {
    work_.notify_all();
    return std::nullopt;
  }
  const std::size_t item = taken_;
  work_.notify_all();
  Slot& slot = slots_[item % kFiles];
  done_.wait(lock, [&] { return slot.state == Slot::ready && slot.item == item; });
  FileAhead file = Release(slot);
  ++taken_;
  work_.notify_all();
  // A file that could not be opened ahead is opened at its turn: a stick that came back, a share
  // that answered late or a descriptor limit the readers met pass as they would then.
  if (!file.file.descriptor.IsOpen()) return std::nullopt;
  return file;
}

}  // namespace kelvane
