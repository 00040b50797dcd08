// The main window with its folder picker answered by code, for tests that run New and CHECK.
#pragma once

#include <deque>
#include <string>

#include "main/Tfrm.h"

namespace kelvane::test {

class PickingWindow : public Tfrm {
 public:
  std::string folder;               // every pick answers this folder...
  std::deque<std::string> folders;  // ...unless these are queued, taken in turn
  bool PickFolder(std::string& folderName, const std::string&, int) override {
    if (!folders.empty()) {
      folderName = folders.front();
      folders.pop_front();
    } else {
      folderName = folder;
    }
    return true;
  }
};

}  // namespace kelvane::test
