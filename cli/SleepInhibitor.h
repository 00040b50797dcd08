// No sleep while a run reads: logind's inhibitor lock on the system bus, held for as long as the
// object lives.
#pragma once

#include <string>

#include "FileUti2/FileDescriptor.h"

namespace kelvane::cli {

class SleepInhibitor {
 public:
  // Takes the lock ("sleep:idle", who "Kelvane", why, mode "block"). Without a system bus or
  // logind (a container, another init) it holds nothing and says nothing: the run goes on.
  explicit SleepInhibitor(const std::string& why);

 private:
  FileDescriptor lock_;  // the lock: closing it releases it
};

}  // namespace kelvane::cli
