// kelvane-cli check of a copy against the checksum lists that coreutils writes, beside coreutils
// checking the same list in the copy (`sha256sum -c --quiet`, `md5sum -c --quiet`), warm and cold,
// and beside `openssl dgst` on one large file: the whole run of each, as a user starts it.
//
//   kelvane_lists_bench [--trees-dir DIR] [--reps N] [--cli PATH] [--only NAME] [--cold]
//
// --cli runs another build of kelvane-cli (an older one, for figures before and after).
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench/RunTrees.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

struct Options {
  std::string treesDir = "/var/tmp/kelvane-bench";
  int reps = 3;
  std::string cli = KELVANE_CLI_PATH;
  std::string only;
  bool cold = false;
};

bool canDropCaches = false;

bool DropCaches() {
  ::sync();
  std::ofstream drop("/proc/sys/vm/drop_caches");
  return drop && (drop << "3\n") && drop.flush();
}

// Every file's pages out of the cache: dropped where that is allowed, else evicted one by one.
void MakeCold(const std::string& root) {
  if (canDropCaches && DropCaches()) return;
  for (const auto& file : fs::recursive_directory_iterator(root)) {
    if (!file.is_regular_file()) continue;
    const int fd = ::open(file.path().c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    (void)::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
  }
}

// The best of the repetitions (one when cold); fails loudly where a run fails.
double Best(const Options& options, bool cold, const std::string& root, const std::string& run) {
  double best = 1e30;
  for (int i = 0; i < (cold ? 1 : options.reps); ++i) {
    if (cold) MakeCold(root);
    const auto start = Clock::now();
    if (std::system(run.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", run.c_str());
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return best;
}

// The list of every file of the tree, made by tool in the tree, once, beside it.
std::string MakeList(const Options& options, const std::string& name, const std::string& root,
                     const std::string& tool) {
  const std::string list = options.treesDir + "/" + name + "." + tool;
  if (fs::exists(list)) return list;
  const std::string make = "cd '" + root + "' && find . -type f -print0 | sort -z | xargs -0 " +
                           tool + " > '" + list + ".part' && mv '" + list + ".part' '" + list + "'";
  if (std::system(make.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", make.c_str());
  return list;
}

void MeasureTree(const Options& options, const kelvane::bench::TreeShape& shape, bool cold) {
  const std::string root = kelvane::bench::MakeTree(options.treesDir, shape);
  std::printf("\n%s (%s cache)\n", shape.name.c_str(), cold ? "cold" : "warm");
  std::printf("  %-34s %9s  %s\n", "run", "seconds", "");
  for (const char* tool : {"sha256sum", "md5sum"}) {
    const std::string list = MakeList(options, shape.name, root, tool);
    const double kelvane =
        Best(options, cold, root,
             "'" + options.cli + "' --no-inhibit check '" + list + "' '" + root + "' > /dev/null");
    const double coreutils =
        Best(options, cold, root, "cd '" + root + "' && " + tool + " -c --quiet '" + list + "'");
    std::printf("  %-34s %9.3f\n", (std::string(tool) + " -c --quiet").c_str(), coreutils);
    std::printf("  %-34s %9.3f  %.2fx faster than %s\n",
                ("kelvane-cli check, " + std::string(tool) + " list").c_str(), kelvane,
                coreutils / kelvane, tool);
  }
  if (shape.files == 1) {
    const std::string file = root + "/" + fs::directory_iterator(root)->path().filename().string();
    const double openssl =
        Best(options, cold, root, "openssl dgst -sha256 '" + file + "' > /dev/null");
    const double dd =
        Best(options, cold, root, "dd if='" + file + "' of=/dev/null bs=1M status=none");
    std::printf("  %-34s %9.3f\n  %-34s %9.3f\n", "openssl dgst -sha256", openssl, "dd bs=1M", dd);
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto value = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
    if (arg == "--trees-dir") {
      options.treesDir = value();
    } else if (arg == "--reps") {
      options.reps = std::max(1, std::atoi(value().c_str()));
    } else if (arg == "--cli") {
      options.cli = value();
    } else if (arg == "--only") {
      options.only = value();
    } else if (arg == "--cold") {
      options.cold = true;
    } else {
      std::fprintf(stderr,
                   "usage: kelvane_lists_bench [--trees-dir DIR] [--reps N] [--cli PATH] "
                   "[--only NAME] [--cold]\n");
      return 64;
    }
  }
  canDropCaches = DropCaches();
  std::printf("best of %d runs warm, one cold; %s\n", options.reps,
              canDropCaches ? "the page cache dropped before each cold run"
                            : "each file's pages evicted before each cold run (folders and "
                              "inodes stay cached)");
  for (const auto& shape : kelvane::bench::DefaultTrees()) {
    if (shape.name != "100k-files-0-2KiB" && shape.name != "one-1GiB-file") continue;
    if (!options.only.empty() && shape.name.find(options.only) == std::string::npos) continue;
    MeasureTree(options, shape, false);
    if (options.cold) MeasureTree(options, shape, true);
  }
  return 0;
}
