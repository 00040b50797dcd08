// A stand-in disc: a test's folder served read-only over FUSE by fake_disc.py, slow, scratched or
// pulled on demand.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "ChildProcess.h"

namespace kelvane::test {

class FakeDisc {
 public:
  // A read of `file` (relative to the disc) whose range covers byte `offset` fails with EIO.
  struct Scratch {
    std::string file;
    std::uint64_t offset = 0;
  };
  // The first read of `file` at `offset` or beyond first sets its size to `size` (the source's
  // file changes: a test makes a copy for the disc).
  struct Resize {
    std::string file;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
  };
  struct Options {
    double slowMs = 0;  // sleep per 64 KiB read, as an optical drive
    std::vector<Scratch> scratches{};
    std::vector<Resize> resizes{};
    std::optional<std::uint64_t> pullAfterBytes{};  // pulled once that many bytes have been read
    int pullErrno = ENODEV;  // what a pulled disc answers: ENODEV, EIO or ENOMEDIUM
    bool log = false;        // keep a line for each open, read and release (Log of the disc)
    // Files whose reads never return until the disc is pulled (a hung network share); the disc
    // is pulled before it is unmounted, so that nothing waits on it then.
    std::vector<std::string> hangs{};
  };
  // One line of the disc's log: when (monotonic seconds), what (open, read, close when the reader
  // closes it, release when the kernel lets it go, which may be later), the file,
  // and for a read its offset and size.
  struct Event {
    double when;
    std::string what;
    std::string file;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
  };

  // Why a FakeDisc cannot be had here, or nullopt: for GTEST_SKIP.
  static std::optional<std::string> Unavailable() {
    static const std::optional<std::string> reason = []() -> std::optional<std::string> {
      if (access("/dev/fuse", R_OK | W_OK) != 0) return "no /dev/fuse";
      if (!FindProgram("fusermount3")) return "fusermount3 is not installed";
      if (access(kSystemPython, X_OK) != 0) return std::string(kSystemPython) + " is not installed";
      if (!std::filesystem::exists(Script())) return "fake_disc.py is not at " + Script();
      if (RunToEnd({kSystemPython, "-c", "import fusepy"}).first != 0)
        return "python3-fusepy is not installed";
      return std::nullopt;
    }();
    return reason;
  }

  explicit FakeDisc(const std::string& source) : FakeDisc(source, Options()) {}
  FakeDisc(const std::string& source, Options options) : options_(std::move(options)) {
    if (auto why = Unavailable()) throw std::runtime_error("FakeDisc: " + *why);
    const std::string pullErrno = ErrnoName(options_.pullErrno);
    std::string pattern = (std::filesystem::temp_directory_path() / "kelvane-disc-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("FakeDisc: mkdtemp failed");
    // The kernel lists the mount under its real path, so compare against that.
    mountPoint_ = std::filesystem::canonical(pattern).string();

    std::vector<std::string> argv = {kSystemPython, Script(), source, mountPoint_,
                                     "--remove-mountpoint"};
    if (options_.slowMs > 0)
      argv.insert(argv.end(), {"--slow-ms", std::to_string(options_.slowMs)});
    for (const auto& s : options_.scratches) {
      argv.insert(argv.end(), {"--scratch", s.file + ":" + std::to_string(s.offset)});
    }
    for (const auto& r : options_.resizes) {
      argv.insert(argv.end(), {"--resize", r.file + ":" + std::to_string(r.offset) + ":" +
                                               std::to_string(r.size)});
    }
    if (options_.pullAfterBytes) {
      argv.insert(argv.end(), {"--pull-after", std::to_string(*options_.pullAfterBytes)});
    }
    argv.insert(argv.end(), {"--pull-errno", pullErrno});
    for (const std::string& file : options_.hangs) argv.insert(argv.end(), {"--hang", file});
    if (options_.log) {
      logPath_ = std::filesystem::path(mountPoint_).parent_path() /
                 (std::filesystem::path(mountPoint_).filename().string() + ".log");
      argv.insert(argv.end(), {"--log", logPath_.string()});
    }

    try {
      process_.emplace(std::move(argv));
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
      while (!IsMounted(mountPoint_)) {
        if (!process_->Running()) {
          throw std::runtime_error("FakeDisc: fake_disc.py " + process_->Describe() +
                                   " before mounting " + mountPoint_ + ":\n" + process_->Output());
        }
        if (std::chrono::steady_clock::now() >= deadline) {
          throw std::runtime_error("FakeDisc: " + mountPoint_ + " was not mounted within 15 s:\n" +
                                   process_->Output());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    } catch (...) {
      Unmount();
      throw;
    }
  }
  ~FakeDisc() { Unmount(); }
  FakeDisc(const FakeDisc&) = delete;
  FakeDisc& operator=(const FakeDisc&) = delete;

  const std::string& MountPoint() const { return mountPoint_; }
  std::string operator/(std::string_view relative) const {
    return mountPoint_ + "/" + std::string(relative);
  }

  // Pulls the disc out now; returns once the disc answers as a pulled one.
  void Pull() {
    if (!process_ || !process_->Running())
      throw std::runtime_error("FakeDisc: Pull() without a running disc");
    process_->Signal(SIGUSR1);
    // The script takes the signal on a thread of its own; a lookup of a missing name tells when
    // it has: ENOENT before, the pull's error after.
    const std::string probe = mountPoint_ + "/.kelvane-pull-probe";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
      struct stat st {};
      if (stat(probe.c_str(), &st) != 0 && errno != ENOENT) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    throw std::runtime_error("FakeDisc: the disc still answered 5 s after SIGUSR1:\n" +
                             process_->Output());
  }

  // Unmounts, stops the script and removes the mount point; safe to call more than once.
  void Unmount() {
    if (mountPoint_.empty()) return;
    const auto fusermount = FindProgram("fusermount3");
    auto unmount = [&](const char* flag) {
      if (fusermount && IsMounted(mountPoint_)) RunToEnd({*fusermount, flag, mountPoint_});
    };
    // A read that hangs ends with the pull; the reader that waited on it then lets the disc go.
    if (!options_.hangs.empty() && process_ && process_->Running()) process_->Signal(SIGUSR1);
    unmount("-u");
    unmount("-uz");  // busy: a test still holds a file open on the disc
    if (process_) process_->Stop();
    unmount("-uz");  // the script died without unmounting
    rmdir(mountPoint_.c_str());
    mountPoint_.clear();
    if (!logPath_.empty()) std::filesystem::remove(logPath_);
  }

  // The opens, reads and releases so far, in their order (Options::log).
  std::vector<Event> Events() const {
    std::vector<Event> events;
    std::ifstream in(logPath_);
    for (std::string line; std::getline(in, line);) {
      std::istringstream fields(line);
      Event event;
      fields >> event.when >> event.what >> event.file >> event.offset >> event.size;
      events.push_back(event);
    }
    return events;
  }

  // A line of a mountinfo (below procRoot/self) that says the disc is mounted from the optical
  // drive device, as a real disc would be: the runs then read it one file at a time. Discs put
  // in drives below one procRoot share its mountinfo.
  void PutInOpticalDrive(const std::filesystem::path& procRoot,
                         const std::string& device = "/dev/sr1") const {
    std::filesystem::create_directories(procRoot / "self");
    std::ofstream(procRoot / "self" / "mountinfo", std::ios::app)
        << "40 1 11:1 / " << mountPoint_ << " ro - iso9660 " << device << " ro\n";
  }

  // What fake_disc.py printed, for a failing test's message.
  std::string Log() const { return process_ ? process_->Output() : std::string(); }

  static bool IsMounted(const std::string& path) {
    std::ifstream mountinfo("/proc/self/mountinfo");
    std::string line;
    while (std::getline(mountinfo, line)) {
      // Fields: id, parent, major:minor, root, mount point (octal-escaped), ...
      size_t start = 0;
      for (int field = 0; field < 4 && start != std::string::npos; ++field) {
        start = line.find(' ', start);
        if (start != std::string::npos) ++start;
      }
      if (start == std::string::npos) continue;
      if (Unescape(line.substr(start, line.find(' ', start) - start)) == path) return true;
    }
    return false;
  }

 private:
  static std::string Script() { return (SupportDir() / "fake_disc.py").string(); }

  static std::string ErrnoName(int error) {
    switch (error) {
      case EIO:
        return "EIO";
      case ENOMEDIUM:
        return "ENOMEDIUM";
      case ENODEV:
        return "ENODEV";
      default:
        throw std::invalid_argument("FakeDisc: pullErrno must be ENODEV, EIO or ENOMEDIUM");
    }
  }

  // mountinfo writes space, tab, newline and backslash as \ooo.
  static std::string Unescape(const std::string& field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
      if (field[i] == '\\' && i + 3 < field.size()) {
        const std::string digits = field.substr(i + 1, 3);
        if (digits.find_first_not_of("01234567") == std::string::npos) {
          out += static_cast<char>(std::stoi(digits, nullptr, 8));
          i += 3;
          continue;
        }
      }
      out += field[i];
    }
    return out;
  }

  Options options_;
  std::string mountPoint_;
  std::filesystem::path logPath_;
  std::optional<ChildProcess> process_;
};

}  // namespace kelvane::test
