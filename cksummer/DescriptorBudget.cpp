// DescriptorBudget: the room measured from RLIMIT_NOFILE once, then counted.
#include "cksummer/DescriptorBudget.h"

#include <dirent.h>
#include <sys/resource.h>

#include <algorithm>
#include <cerrno>
#include <climits>

namespace kelvane {

namespace {

// The descriptors open now, as /proc/self/fd lists them (the one that reads it aside).
int OpenDescriptors() {
  DIR* dir = ::opendir("/proc/self/fd");
  if (!dir) return 16;
  int count = 0;
  while (const dirent* entry = ::readdir(dir))
    if (entry->d_name[0] != '.') ++count;
  ::closedir(dir);
  return std::max(0, count - 1);
}

int MeasureRoom() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return 0;
  const long soft = limit.rlim_cur == RLIM_INFINITY
                        ? long{1} << 20
                        : static_cast<long>(std::min<rlim_t>(limit.rlim_cur, INT_MAX));
  // Each run opens a few files at its turn (the file, a folder while looking by case, the copy
  // itself); a quarter of the limit, within bounds, stays theirs.
  const long reserve = std::clamp(soft / 4, 16L, 256L);
  return static_cast<int>(std::clamp(soft - OpenDescriptors() - reserve, 0L, long{INT_MAX}));
}

}  // namespace

DescriptorBudget& DescriptorBudget::Process() {
  static DescriptorBudget* const budget = new DescriptorBudget(MeasureRoom());
  return *budget;
}

void DescriptorBudget::Hold::Release() {
  if (!budget_) return;
  {
    const std::lock_guard lock(budget_->mutex_);
    --budget_->held_;
  }
  budget_->released_.notify_all();
  budget_ = nullptr;
}

DescriptorBudget::Hold DescriptorBudget::TryTake() {
  const std::lock_guard lock(mutex_);
  if (held_ >= room_) return Hold();
  ++held_;
  return Hold(this);
}

void DescriptorBudget::Shrink() {
  const std::lock_guard lock(mutex_);
  room_ = std::min(room_, held_) / 2;
}

bool DescriptorBudget::AwaitRelease(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  if (held_ == 0) return false;
  const int before = held_;
  return released_.wait_for(lock, timeout, [&] { return held_ < before; });
}

int DescriptorBudget::Held() const {
  const std::lock_guard lock(mutex_);
  return held_;
}

bool IsOutOfDescriptors(int error) {
  return error == EMFILE || error == ENFILE;
}

}  // namespace kelvane
