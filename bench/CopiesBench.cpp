// kelvane-cli check on several copies against one copy alone: the built program on stand-in discs
// (the FUSE stand-in of the tests) as slow as optical drives, one drive per copy, so that the
// time is the drives' and not this machine's processor.
//
//   kelvane_copies_bench [--copies N] [--files N] [--slow-ms MS] [--reps N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/FakeDisc.h"
#include "support/TempDir.h"

namespace {

using kelvane::test::ChildProcess;
using kelvane::test::FakeDisc;

int Flag(int argc, char** argv, const std::string& name, int fallback) {
  for (int i = 1; i + 1 < argc; ++i)
    if (argv[i] == name) return std::atoi(argv[i + 1]);
  return fallback;
}

// Seconds kelvane-cli takes on the copies; exits on a failed run.
double TimeCheck(const std::string& project, const std::vector<std::string>& copies,
                 const std::string& procRoot) {
  std::vector<std::string> argv = {KELVANE_CLI_PATH, "--no-inhibit", "-q", "check", project};
  argv.insert(argv.end(), copies.begin(), copies.end());
  const auto start = std::chrono::steady_clock::now();
  ChildProcess child(argv, ChildProcess::Options{-1, {"KELVANE_PROC_ROOT=" + procRoot}});
  child.WaitExit(std::chrono::hours(1));
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (child.ExitCode() != 0) {
    std::fprintf(stderr, "kelvane-cli failed (%d): %s\n", child.ExitCode(), child.Output().c_str());
    std::exit(1);
  }
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  const int copies = Flag(argc, argv, "--copies", 3);
  const int files = Flag(argc, argv, "--files", 40);
  const int slowMs = Flag(argc, argv, "--slow-ms", 20);
  const int reps = Flag(argc, argv, "--reps", 3);
  if (const auto why = FakeDisc::Unavailable()) {
    std::fprintf(stderr, "no stand-in disc here: %s\n", why->c_str());
    return 1;
  }
  const kelvane::test::TempDir dir;
  for (int i = 0; i < files; ++i)
    dir.Write("src/f" + std::to_string(i) + ".bin",
              std::string(256 * 1024, static_cast<char>('a' + i % 26)));
  ChildProcess made({KELVANE_CLI_PATH, "--no-inhibit", "-q", "new", dir / "src", dir / "p.cfg"});
  made.WaitExit(std::chrono::minutes(5));

  std::vector<std::unique_ptr<FakeDisc>> discs;
  std::vector<std::string> mounts;
  for (int i = 0; i < copies; ++i) {
    discs.push_back(std::make_unique<FakeDisc>(
        dir / "src", FakeDisc::Options{.slowMs = static_cast<double>(slowMs)}));
    discs.back()->PutInOpticalDrive(dir / "proc", "/dev/sr" + std::to_string(i + 1));
    mounts.push_back(discs.back()->MountPoint());
  }
  double one = 1e9, all = 1e9;
  for (int rep = 0; rep < reps; ++rep) {
    one = std::min(one, TimeCheck(dir / "p.cfg", {mounts.front()}, dir / "proc"));
    all = std::min(all, TimeCheck(dir / "p.cfg", mounts, dir / "proc"));
  }
  std::printf("%d files of 256 KiB, %d ms per 64 KiB read, best of %d\n", files, slowMs, reps);
  std::printf("one copy      %7.2f s\n", one);
  std::printf("%d copies      %7.2f s  (%.2fx one copy)\n", copies, all, all / one);
  return 0;
}
