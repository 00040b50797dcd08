// RunProgress: sizes measured once the list is known, then the line drawn at every move.
#include "cli/RunProgress.h"

#include <sys/stat.h>

#include <algorithm>

#include "commands/EntryPath.h"

namespace kelvane::cli {

void RunProgress::Measure() {
  // The sizes of the files as the entries name them, read once: a file found another way (by
  // case) counts as empty, which only makes the estimate short, never wrong about the entry.
  // Grayed entries are the ones CHECK skips (it grays them before it reads anything).
  const int count = project_.Count();
  before_.assign(static_cast<std::size_t>(count) + 1, 0);
  for (int i = 0; i < count; ++i) {
    std::int64_t size = 0;
    struct stat st {};
    if (project_.State(i) != TCheckState::cbGrayed) {
      const EntryPath path = ResolveEntry(base_, project_.Entry(i), project_.Separator());
      if (path.safe && ::stat(path.path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        size = st.st_size;
    }
    before_[static_cast<std::size_t>(i) + 1] = before_[static_cast<std::size_t>(i)] + size;
  }
}

void RunProgress::Follow() {
  const int count = static_cast<int>(before_.size()) - 1;
  const int entry = std::clamp(currentEntry_(), 0, count > 0 ? count - 1 : 0);
  if (entry == entry_) return;
  entry_ = entry;
  position_ = 0;
}

void RunProgress::Draw() {
  const int count = static_cast<int>(before_.size()) - 1;
  const int entry = entry_;
  const std::int64_t start = before_[static_cast<std::size_t>(entry)];
  const std::int64_t size = count > 0 ? before_[static_cast<std::size_t>(entry) + 1] - start : 0;
  ProgressState state;
  state.entry = count > 0 ? entry + 1 : 0;
  state.count = count;
  state.done = start + size * std::min(position_, 100) / 100;
  state.total = before_.back();
  line_.Show(state, slot_);
}

void RunProgress::SetPosition(int position) {
  if (!line_.Enabled() || before_.empty()) return;
  Follow();
  position_ = position;
  Draw();
}

void RunProgress::Poll() {
  if (!line_.Enabled()) return;
  // New lists the whole tree before its entries appear; nothing to show until then.
  if (before_.empty()) {
    if (project_.Count() == 0) return;
    Measure();
  }
  Follow();
  Draw();
}

}  // namespace kelvane::cli
