// What the main window owns beyond its widgets: the project, the texts beside it and the flags
// the runs share.
#pragma once

#include <string>
#include <utility>

#include "cksummer/FileChecksums.h"
#include "commands/WindowTexts.h"
#include "project/Project.h"

namespace kelvane {

struct Session {
  Project project;
  WindowTexts texts;               // what the labels beside the project show
  bool StopRequested = false;      // a long run is to stop at its next poll
  bool Closing = false;            // the window is going (QUIT): a run ends, even while New lists
  bool CheckPerformed = false;     // the last verification run finished at least one entry
  std::string CheckRoot;           // folder of the last verification run, start of the next pick
  std::string TrayDevice;          // optical drive device; empty: /dev/cdrom, else /dev/sr0
  std::string ProcRoot = "/proc";  // where mounts are read, and the kernel's view of devices,
  std::string SysRoot = "/sys";    // for the optical-drive questions (tests give fake trees)
  std::string LeaveOutOfNew;       // a file New does not list however it is reached (a link, a
                                   // bind mount): the project file a terminal writes into the
                                   // tree it lists
  bool Sha256Sums = true;          // New stores each file's SHA-256 too (kelvane-cli --no-sha256
                                   // leaves it out)
  bool ReadSequential = false;     // one file at a time, never reading ahead (kelvane-cli
                                   // --sequential, for media the user knows better)
  CRC32ReadStep ReadStep;          // how the runs read a file's blocks; empty: read(2) (tests count
                                   // or fail reads with their own)

  // The folder the project is built from, and ChkSrc showing it.
  void SetSourceFolder(std::string folder) {
    texts.Set(TLabel::ChkSrc, folder);
    project.SetSourceFolder(std::move(folder));
  }
};

}  // namespace kelvane
