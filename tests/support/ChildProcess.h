// A helper process for the tests' stand-ins: started with fork/exec, its output kept, stopped on
// every path.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

extern char** environ;

namespace kelvane::test {

// The Python the stand-ins need: Debian's, whose dist-packages hold fusepy and dbusmock, whatever
// other python3 comes first on PATH.
inline constexpr const char* kSystemPython = "/usr/bin/python3";

// Where the stand-ins' scripts are: $KELVANE_TEST_SUPPORT_DIR, the macro of that name, or beside
// this header.
inline std::filesystem::path SupportDir() {
  if (const char* dir = std::getenv("KELVANE_TEST_SUPPORT_DIR"); dir && *dir) return dir;
#ifdef KELVANE_TEST_SUPPORT_DIR
  return KELVANE_TEST_SUPPORT_DIR;
#else
  return std::filesystem::absolute(std::filesystem::path(__FILE__).parent_path());
#endif
}

// The full path of a program on PATH, or in the sbin folders a plain user's PATH lacks.
inline std::optional<std::string> FindProgram(std::string_view name) {
  std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
  path += ":/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin";
  for (size_t start = 0; start <= path.size();) {
    const size_t end = std::min(path.find(':', start), path.size());
    if (end > start) {
      const std::string candidate = path.substr(start, end - start) + "/" + std::string(name);
      if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    start = end + 1;
  }
  return std::nullopt;
}

class ChildProcess {
 public:
  struct Options {
    int stdoutFd = -1;               // where stdout goes; -1: into Output() with stderr
    std::vector<std::string> env{};  // "NAME=value" entries added to this process's environment
    int stderrFd = -1;               // where stderr goes (a terminal, say); -1: into Output()
  };

  // argv[0] must be a full path. The child gets SIGTERM when the thread that started it dies, so
  // that a crashed test does not leave it (and a mount or a bus) behind.
  explicit ChildProcess(std::vector<std::string> argv) : ChildProcess(std::move(argv), Options()) {}
  ChildProcess(std::vector<std::string> argv, Options options) {
    log_ = memfd_create("kelvane-child-output", MFD_CLOEXEC);
    const int devNull = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (log_ < 0 || devNull < 0) {
      if (log_ >= 0) close(log_);
      throw std::runtime_error("ChildProcess: no memfd or /dev/null: " +
                               std::string(strerror(errno)));
    }
    // Everything the child needs is made before fork: after it only async-signal-safe calls.
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e) {
      const std::string_view entry(*e);
      bool overridden = false;
      for (const auto& extra : options.env) {
        const auto eq = extra.find('=');
        if (entry.substr(0, entry.find('=') + 1) == std::string_view(extra).substr(0, eq + 1))
          overridden = true;
      }
      if (!overridden) envStrings.emplace_back(entry);
    }
    envStrings.insert(envStrings.end(), options.env.begin(), options.env.end());
    std::vector<char*> args, envp;
    for (auto& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    for (auto& e : envStrings) envp.push_back(e.data());
    envp.push_back(nullptr);
    const int outFd = options.stdoutFd >= 0 ? options.stdoutFd : log_;
    const pid_t parent = getpid();

    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      if (getppid() != parent) _exit(127);  // the parent died before prctl took hold
      sigset_t none;
      sigemptyset(&none);
      sigprocmask(SIG_SETMASK, &none, nullptr);
      dup2(devNull, 0);
      dup2(outFd, 1);
      dup2(options.stderrFd >= 0 ? options.stderrFd : log_, 2);
      // Keep no descriptor of the test (a pipe's write end would never see EOF).
      close_range(3, ~0U, 0);
      execve(args[0], args.data(), envp.data());
      const char message[] = "ChildProcess: exec failed\n";
      (void)!write(2, message, sizeof message - 1);
      _exit(127);
    }
    const int forkErrno = errno;
    close(devNull);
    if (pid_ < 0) {
      close(log_);
      throw std::runtime_error("ChildProcess: fork failed: " + std::string(strerror(forkErrno)));
    }
  }
  ~ChildProcess() {
    Stop();
    if (log_ >= 0) close(log_);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t Pid() const { return pid_; }

  bool Running() {
    if (reaped_) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      reaped_ = true;
      status_ = status;
    }
    return !reaped_;
  }

  void Signal(int sig) {
    if (Running()) kill(pid_, sig);
  }

  // True once the child has exited, false if it is still running at the timeout.
  bool WaitExit(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (Running()) {
      if (std::chrono::steady_clock::now() >= deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
  }

  // SIGTERM, then SIGKILL if it has not gone after the grace time; always reaped.
  void Stop(std::chrono::milliseconds grace = std::chrono::seconds(5)) {
    if (!Running()) return;
    kill(pid_, SIGTERM);
    if (WaitExit(grace)) return;
    kill(pid_, SIGKILL);
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    reaped_ = true;
    status_ = status;
  }

  // Its stderr, and its stdout unless that went elsewhere, so far.
  std::string Output() const {
    struct stat st {};
    if (fstat(log_, &st) != 0 || st.st_size <= 0) return {};
    std::string text(static_cast<size_t>(st.st_size), '\0');
    const ssize_t got = pread(log_, text.data(), text.size(), 0);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
  }

  std::string Describe() {
    if (Running()) return "is running";
    if (WIFEXITED(status_)) return "exited with status " + std::to_string(WEXITSTATUS(status_));
    if (WIFSIGNALED(status_)) return "was killed by signal " + std::to_string(WTERMSIG(status_));
    return "ended";
  }

  // Exit status, or -1 if it did not exit normally.
  int ExitCode() {
    if (Running() || !WIFEXITED(status_)) return -1;
    return WEXITSTATUS(status_);
  }

 private:
  pid_t pid_ = -1;
  int log_ = -1;
  bool reaped_ = false;
  int status_ = 0;
};

// Runs a short command to its end (killed after the timeout): its exit code (-1 if none) and
// output.
inline std::pair<int, std::string> RunToEnd(
    std::vector<std::string> argv, std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
  ChildProcess child(std::move(argv));
  if (!child.WaitExit(timeout)) child.Stop(std::chrono::milliseconds(500));
  return {child.ExitCode(), child.Output()};
}

}  // namespace kelvane::test
