// kelvane-cli on a project of many entries whose files are all missing, and on a project of one
// huge line: the memory each run holds at its peak and the time it takes, beside `list` (what
// opening the project takes) and beside --sequential (one file at a time).
//
//   kelvane_limits_bench [--entries N] [--reps N] [--cli PATH]
//
// --cli runs another build of kelvane-cli (an older one, for figures before and after).
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace {

const char* Option(int argc, char** argv, const std::string& name, const char* fallback) {
  for (int i = 1; i + 1 < argc; ++i)
    if (argv[i] == name) return argv[i + 1];
  return fallback;
}

int Flag(int argc, char** argv, const std::string& name, int fallback) {
  return std::atoi(Option(argc, argv, name, std::to_string(fallback).c_str()));
}

std::string cli = KELVANE_CLI_PATH;

struct Measure {
  double seconds = 1e9;
  long peakKiB = 0;  // the largest resident set of the best run
  int status = -1;
};

// One run of kelvane-cli with its output thrown away: time, peak memory (wait4) and status.
Measure RunOnce(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {cli, "--no-inhibit"};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> pointers;
  for (std::string& arg : argv) pointers.push_back(arg.data());
  pointers.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::dup2(null, 2);
    ::execv(pointers[0], pointers.data());
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  ::wait4(child, &status, 0, &usage);
  Measure measure;
  measure.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  measure.peakKiB = usage.ru_maxrss;
  measure.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return measure;
}

Measure Best(const std::vector<std::string>& args, int reps) {
  Measure best;
  for (int rep = 0; rep < reps; ++rep) {
    const Measure run = RunOnce(args);
    if (run.seconds < best.seconds) best = run;
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const int entries = Flag(argc, argv, "--entries", 1000000);
  const int reps = Flag(argc, argv, "--reps", 3);
  cli = Option(argc, argv, "--cli", KELVANE_CLI_PATH);
  const kelvane::test::TempDir dir;
  {
    // Entries in 1,000 folders, none of them on the copy.
    std::ofstream out(dir / "p.cfg", std::ios::binary);
    out << "[Kelvane]\r\n"
        << dir / "p.cfg"
        << "\r\n/src/\r\n"
        << entries << "\r\n";
    char line[64];
    for (int i = 0; i < entries; ++i) {
      std::snprintf(line, sizeof line, "data\\d%03d\\file%07d.bin\r\n", i % 1000, i);
      out << line;
    }
    for (int i = 0; i < entries; ++i) out << "CADBBE3D000000001\r\n";
  }
  {
    std::ofstream out(dir / "huge.cfg", std::ios::binary);
    out << "[Kelvane]\r\nx\r\n/src/\r\n1\r\n" << std::string(100u << 20, 'a') << "\r\n";
  }
  dir.MakeDir("copy");

  struct Row {
    const char* name;
    std::vector<std::string> args;
  };
  const std::vector<Row> rows = {
      {"list", {"list", dir / "p.cfg"}},
      {"check", {"check", dir / "p.cfg", dir / "copy"}},
      {"check --sequential", {"--sequential", "check", dir / "p.cfg", dir / "copy"}},
      {"check --report", {"check", "--report", dir / "r.json", dir / "p.cfg", dir / "copy"}},
      {"list, one line of 100 MB", {"list", dir / "huge.cfg"}},
  };
  std::printf("%d entries, every file missing; best of %d\n", entries, reps);
  std::printf("%-26s %9s %11s %7s\n", "run", "seconds", "peak MiB", "status");
  for (const Row& row : rows) {
    const Measure m = Best(row.args, reps);
    std::printf("%-26s %9.2f %11.1f %7d\n", row.name, m.seconds,
                static_cast<double>(m.peakKiB) / 1024.0, m.status);
  }
  return 0;
}
