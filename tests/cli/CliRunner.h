// Runs the built kelvane-cli as a script would: its exit status, stdout and stderr kept apart.
#pragma once

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "FileUti2/FileDescriptor.h"
#include "support/ChildProcess.h"

namespace kelvane::test {

struct CliResult {
  int status;  // -1 when it did not exit normally
  std::string out;
  std::string err;
};

// The whole content of a descriptor that was written from its start.
inline std::string ReadAll(int fd) {
  std::string text;
  char buffer[65536];
  for (off_t at = 0;;) {
    const ssize_t got = ::pread(fd, buffer, sizeof buffer, at);
    if (got <= 0) return text;
    text.append(buffer, static_cast<std::size_t>(got));
    at += got;
  }
}

// text with every mark replaced by its value: a report's paths and sums filled in.
inline std::string Fill(std::string text,
                        const std::vector<std::pair<std::string, std::string>>& with) {
  for (const auto& [mark, value] : with)
    for (std::size_t at; (at = text.find(mark)) != std::string::npos;)
      text.replace(at, mark.size(), value);
  return text;
}

inline std::vector<std::string> CliArgv(std::vector<std::string> args) {
  args.insert(args.begin(), KELVANE_CLI_PATH);
  return args;
}

// Runs argv (a full path first) to its end, or stops it after a minute. env: "NAME=value" entries
// for the program's environment (a bus address, say).
inline CliResult RunProgram(std::vector<std::string> argv, std::vector<std::string> env = {}) {
  const FileDescriptor out(::memfd_create("kelvane-cli-stdout", MFD_CLOEXEC));
  if (!out.IsOpen()) throw std::runtime_error("memfd_create failed");
  ChildProcess child(std::move(argv), ChildProcess::Options{out.Get(), std::move(env)});
  if (!child.WaitExit(std::chrono::seconds(60))) child.Stop(std::chrono::milliseconds(500));
  return {child.ExitCode(), ReadAll(out.Get()), child.Output()};
}

inline CliResult RunCli(std::vector<std::string> args, std::vector<std::string> env = {}) {
  return RunProgram(CliArgv(std::move(args)), std::move(env));
}

// kelvane-cli started by bash after `setup` (ulimit lines, mounts): `bash -c 'setup; exec cli
// args'`.
inline CliResult RunCliAfter(const std::string& setup, std::vector<std::string> args) {
  std::vector<std::string> argv = {"/bin/bash", "-c", setup + "\nexec \"$0\" \"$@\"",
                                   KELVANE_CLI_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunProgram(std::move(argv));
}

// SIGINT as the test process was given it (a script may start tests with it ignored, which a
// child would inherit), set to the default while the child is started.
class DefaultInterrupt {
 public:
  DefaultInterrupt() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &previous_);
  }
  ~DefaultInterrupt() { ::sigaction(SIGINT, &previous_, nullptr); }

 private:
  struct sigaction previous_ {};
};

}  // namespace kelvane::test
