// ReadAhead: readers take the plan's items in order, each into a slot of a ring of kFiles; Take
// waits for its item's slot. The state is shared with the readers, so that one kept by a read
// that never returns can be let go without anything it uses going away under it.
#include "cksummer/ReadAhead.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <new>
#include <stdexcept>
#include <system_error>

namespace kelvane {

namespace {

constexpr std::size_t kNobody = std::numeric_limits<std::size_t>::max();

struct Slot {
  std::size_t item = 0;
  enum State { free, reading, ready, dropped } state = free;
  FileAhead file;
};

}  // namespace

struct ReadAhead::State {
  State(std::vector<int> plan, PathOf pathOf, std::shared_ptr<const ConfinedFolder> root)
      : plan(std::move(plan)), pathOf(std::move(pathOf)), root(std::move(root)), slots(kFiles) {}

  std::vector<int> plan;
  PathOf pathOf;
  std::shared_ptr<const ConfinedFolder> root;
  std::mutex mutex;
  std::condition_variable work;    // a reader may go on: room came free, or stop
  std::condition_variable done;    // the file the run waits for is ready
  std::condition_variable exited;  // a reader has returned
  std::vector<Slot> slots;         // item k in slot k % kFiles
  std::size_t next = 0;            // the next item a reader takes up
  std::size_t taken = 0;           // items before it are taken or dropped
  std::size_t bytesHeld = 0;
  std::size_t waitingFor = kNobody;  // the item Take waits for
  int idle = 0;                      // readers waiting for room
  int running = 0;
  std::vector<bool> gone;  // per reader: it has returned
  std::atomic<bool> stop{false};

  bool CanStart() const {
    return next < plan.size() && next < taken + kFiles &&
           slots[next % kFiles].state == Slot::free && bytesHeld < kBytes && !Paused();
  }
  // Wakes readers once enough room came free for a round of files, not at every one, and only
  // as many as that room keeps busy: each takes files until the ring is full.
  void WakeIfRoom() {
    const std::size_t room = taken + kFiles - next;
    if (idle == 0 || next >= plan.size() || room < kWakeRoom || Paused()) return;
    for (std::size_t wake = std::min<std::size_t>(static_cast<std::size_t>(idle), room / kWakeRoom);
         wake > 0; --wake)
      work.notify_one();
  }
  // Frees the slot and gives what it held (the lock is held).
  FileAhead Release(Slot& slot) {
    bytesHeld -= slot.file.head.size();
    FileAhead file = std::move(slot.file);
    slot.file = FileAhead();
    slot.state = Slot::free;
    return file;  // closed by whoever drops it
  }
  // Files found missing ahead one after another: past a few, the readers wait until the run
  // finds one that is there (Found). A copy that lacks a whole tree costs no second look at each
  // of its files, nor a hand-over.
  static constexpr int kMissesBeforePause = 8;
  int misses = 0;
  bool Paused() const { return misses >= kMissesBeforePause; }

  // The file opened and its head read; missing tells whether it was not there.
  FileAhead Read(const std::string& path, bool& missing) const;
};

FileAhead ReadAhead::State::Read(const std::string& path, bool& missing) const {
  missing = false;
  FileAhead ahead;
  // No room in the descriptors: the file is opened at its turn.
  ahead.room = DescriptorBudget::Process().TryTake();
  if (!ahead.room) return ahead;
  ReadFailure failure;
  std::optional<RegularFile> opened =
      root ? TryOpenRegularFile(*root, path, failure) : TryOpenRegularFile(path, failure);
  // Not open: opened again at its turn, and fails or passes there.
  if (!opened) {
    missing = IsMissingError(failure.error);
    return FileAhead();
  }
  ahead.file = std::move(*opened);
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
  while (got < want && !stop.load(std::memory_order_relaxed)) {
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

ReadAhead::ReadAhead(std::vector<int> plan, PathOf pathOf,
                     std::shared_ptr<const ConfinedFolder> root, int readers)
    : state_(std::make_shared<State>(std::move(plan), std::move(pathOf), std::move(root))) {
  state_->gone.assign(static_cast<std::size_t>(readers), false);
  readers_.reserve(static_cast<std::size_t>(readers));
  for (int i = 0; i < readers; ++i) {
    {
      const std::lock_guard lock(state_->mutex);
      ++state_->running;
    }
    try {
      readers_.emplace_back(&ReadAhead::Reader, state_, static_cast<std::size_t>(i));
    } catch (const std::system_error&) {
      // No more threads to be had: the readers started do the work.
      const std::lock_guard lock(state_->mutex);
      --state_->running;
      break;
    }
  }
  if (readers_.empty()) throw std::runtime_error("No reader thread can be started");
}

ReadAhead::~ReadAhead() {
  State& s = *state_;
  {
    const std::lock_guard lock(s.mutex);
    s.stop = true;
  }
  s.work.notify_all();
  std::unique_lock lock(s.mutex);
  s.exited.wait_for(lock, kStopGrace, [&s] { return s.running == 0; });
  for (std::size_t i = 0; i < readers_.size(); ++i) {
    if (s.gone[i]) {
      lock.unlock();
      readers_[i].join();
      lock.lock();
    } else {
      // Held by a read that never returns: it ends on its own when the read does, and the state
      // it shares stays until then.
      readers_[i].detach();
    }
  }
}

void ReadAhead::Reader(const std::shared_ptr<State>& state, std::size_t self) {
  State& s = *state;
  std::unique_lock lock(s.mutex);
  for (;;) {
    ++s.idle;
    s.work.wait(lock, [&s] { return s.stop || s.CanStart(); });
    --s.idle;
    if (s.stop) break;
    const std::size_t item = s.next++;
    Slot& slot = s.slots[item % kFiles];
    slot.item = item;
    slot.state = Slot::reading;
    // Asked under the lock: the run's project is never read once the run has ended.
    const std::string path = s.pathOf(s.plan[item]);
    lock.unlock();
    FileAhead file;
    bool missing = false;
    try {
      file = s.Read(path, missing);
    } catch (...) {
      // Out of memory, say: the file is left to its turn (not open), and this reader goes on.
      file = FileAhead();
    }
    lock.lock();
    if (missing)
      ++s.misses;
    else if (file.file.descriptor.IsOpen())
      s.misses = 0;
    if (slot.state == Slot::dropped || s.stop) {
      // Its turn went by while it was read (STOP, or the entry unticked).
      slot.state = Slot::free;
      lock.unlock();
      file = FileAhead();  // closed outside the lock
      lock.lock();
      continue;
    }
    s.bytesHeld += file.head.size();
    slot.file = std::move(file);
    slot.state = Slot::ready;
    if (s.waitingFor == item) s.done.notify_one();
  }
  s.gone[self] = true;
  --s.running;
  s.exited.notify_all();
}

std::optional<FileAhead> ReadAhead::Take(int index, const std::function<bool()>& abandon) {
  State& s = *state_;
  std::unique_lock lock(s.mutex);
  // The plan's files before index are not wanted any more.
  while (s.taken < s.plan.size() && s.plan[s.taken] < index) {
    Slot& slot = s.slots[s.taken % kFiles];
    if (s.taken < s.next) {
      if (slot.state == Slot::ready)
        s.Release(slot);
      else
        slot.state = Slot::dropped;
    } else {
      // Never taken up: no reader will.
      s.next = s.taken + 1;
    }
    ++s.taken;
  }
  if (s.taken >= s.plan.size() || s.plan[s.taken] != index) {
    s.WakeIfRoom();
    return std::nullopt;
  }
  const std::size_t item = s.taken;
  if (item >= s.next) {
    // No reader has begun it: waiting for one to is slower than opening it now, at its turn.
    s.next = item + 1;
    ++s.taken;
    s.WakeIfRoom();
    return std::nullopt;
  }
  s.WakeIfRoom();
  Slot& slot = s.slots[item % kFiles];
  const auto isReady = [&] { return slot.state == Slot::ready && slot.item == item; };
  s.waitingFor = item;
  while (!s.done.wait_for(lock, kPollEvery, isReady)) {
    // The window's events run here (STOP among them): not under the lock.
    lock.unlock();
    const bool giveUp = abandon && abandon();
    lock.lock();
    if (giveUp && !isReady()) {
      s.waitingFor = kNobody;
      throw CRC32Abandoned();
    }
  }
  s.waitingFor = kNobody;
  FileAhead file = s.Release(slot);
  ++s.taken;
  s.WakeIfRoom();
  lock.unlock();
  // A file that could not be opened ahead is opened at its turn: a stick that came back, a share
  // that answered late or a descriptor limit the readers met pass as they would then.
  if (!file.file.descriptor.IsOpen()) return std::nullopt;
  return file;
}

void ReadAhead::Found() {
  const std::lock_guard lock(state_->mutex);
  if (state_->misses == 0) return;
  state_->misses = 0;
  state_->WakeIfRoom();
}

void ReadAhead::Shed() {
  std::vector<FileAhead> closing;
  {
    const std::lock_guard lock(state_->mutex);
    for (Slot& slot : state_->slots) {
      if (slot.state != Slot::ready || !slot.file.file.descriptor.IsOpen()) continue;
      state_->bytesHeld -= slot.file.head.size();
      closing.push_back(std::move(slot.file));
      slot.file = FileAhead();
    }
  }
  // Closed here, outside the lock; their items are opened at their turns.
}

}  // namespace kelvane
