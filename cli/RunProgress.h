// What the progress line shows of a run of New or CHECK: the entry, and bytes counted from the
// sizes of the files as the project lists them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cksummer/ProgressSink.h"
#include "cli/ProgressLine.h"
#include "project/Project.h"

namespace kelvane::cli {

class RunProgress : public ProgressSink {
 public:
  // currentEntry tells the index (from 0) of the entry being read; base is the folder the
  // entries are found in; slot the run's line.
  RunProgress(const Project& project, std::string base, std::function<int()> currentEntry,
              ProgressLine& line, std::size_t slot = 0)
      : project_(project),
        base_(std::move(base)),
        currentEntry_(std::move(currentEntry)),
        line_(line),
        slot_(slot) {}

  // The meter: how far (0 to 100) the current file has been read.
  void SetPosition(int position) override;
  // Called at every poll of the run.
  void Poll();

 private:
  void Measure();
  void Follow();  // notices a new current entry
  void Draw();

  const Project& project_;
  std::string base_;
  std::function<int()> currentEntry_;
  ProgressLine& line_;
  std::size_t slot_;
  std::vector<std::int64_t> before_;  // bytes of the entries before each one, and the total last
  int position_ = 0;
  int entry_ = -1;
};

}  // namespace kelvane::cli
