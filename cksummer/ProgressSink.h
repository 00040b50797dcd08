// Where the checksum engine reports how far it has read into a file (the window's meter).
#pragma once

namespace kelvane {

class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  // Position 0 to 100; a larger value shows a full bar. Must show at once: no events are pumped
  // while a file is read.
  virtual void SetPosition(int position) = 0;
  // Asked between two blocks of a file: true abandons the file there (CRC32Abandoned), so that
  // STOP and QUIT need not wait for the end of a large one.
  virtual bool StopBetweenBlocks() { return false; }
};

}  // namespace kelvane
