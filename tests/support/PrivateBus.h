// A private D-Bus bus (its own dbus-daemon) for a test, and dbusmock's own templates served on
// it: a system bus with logind, a session bus with a notification daemon.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"

namespace kelvane::test {

class PrivateBus {
 public:
  // Why a private bus with dbusmock cannot be had here, or nullopt: for GTEST_SKIP.
  static std::optional<std::string> Unavailable() {
    static const std::optional<std::string> reason = []() -> std::optional<std::string> {
      if (!FindProgram("dbus-daemon")) return "dbus-daemon is not installed";
      if (!FindProgram("gdbus")) return "gdbus (libglib2.0-bin) is not installed";
      if (access(kSystemPython, X_OK) != 0) return std::string(kSystemPython) + " is not installed";
      if (RunToEnd({kSystemPython, "-c", "import dbusmock"}).first != 0)
        return "python3-dbusmock is not installed";
      return std::nullopt;
    }();
    return reason;
  }

  // dir: a folder of the test's, which holds the bus's socket and configuration.
  explicit PrivateBus(const std::filesystem::path& dir) {
    const auto config = dir / "bus.conf";
    std::ofstream(config)
        << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n"
           "  <type>session</type>\n"
           "  <listen>unix:path="
        << (dir / "bus").string()
        << "</listen>\n"
           "  <auth>EXTERNAL</auth>\n"
           "  <policy context=\"default\">\n"
           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
           "    <allow eavesdrop=\"true\"/>\n"
           "    <allow own=\"*\"/>\n"
           "  </policy>\n"
           "</busconfig>\n";
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("PrivateBus: pipe failed");
    try {
      daemon_.emplace(
          std::vector<std::string>{*FindProgram("dbus-daemon"), "--config-file=" + config.string(),
                                   "--print-address=1", "--nofork", "--nopidfile"},
          ChildProcess::Options{.stdoutFd = ends[1]});
    } catch (...) {
      close(ends[0]);
      close(ends[1]);
      throw;
    }
    close(ends[1]);
    address_ = ReadLine(ends[0], std::chrono::seconds(10));
    close(ends[0]);
    if (address_.empty())
      throw std::runtime_error("PrivateBus: dbus-daemon " + daemon_->Describe() +
                               " without giving an address:\n" + daemon_->Output());
  }

  const std::string& Address() const { return address_; }
  bool Running() { return daemon_->Running(); }
  std::string Log() const { return daemon_->Output(); }

  // Waits until name is owned on the bus; false after the timeout.
  bool WaitFor(const std::string& name, std::chrono::seconds timeout = std::chrono::seconds(20)) {
    return RunToEnd({*FindProgram("gdbus"), "wait", "--address", address_, "--timeout",
                     std::to_string(timeout.count()), name},
                    timeout + std::chrono::seconds(5))
               .first == 0;
  }

  // One line from fd, without its newline; empty at EOF or at the timeout.
  static std::string ReadLine(int fd, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string line;
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return {};
      pollfd p{fd, POLLIN, 0};
      const int ready = poll(&p, 1, static_cast<int>(left.count()));
      if (ready < 0 && errno == EINTR) continue;
      if (ready <= 0) return {};
      char c;
      const ssize_t got = read(fd, &c, 1);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return {};
      if (c == '\n') return line;
      line += c;
    }
  }

 private:
  std::string address_;
  std::optional<ChildProcess> daemon_;
};

// One of dbusmock's own templates on a private bus; every method call it takes is logged.
class DbusMock {
 public:
  // name: the bus name the template owns (org.freedesktop.login1 for logind,
  // org.freedesktop.Notifications for notification_daemon).
  DbusMock(const std::filesystem::path& dir, const std::string& templateName,
           const std::string& name)
      : bus_(dir), log_(dir / (templateName + ".log")) {
    // The template goes where its own bus is, system or session: both point at the private one.
    mock_.emplace(std::vector<std::string>{kSystemPython, "-m", "dbusmock", "--template",
                                           templateName, "--logfile", log_.string()},
                  ChildProcess::Options{.env = {"DBUS_SYSTEM_BUS_ADDRESS=" + bus_.Address(),
                                                "DBUS_SESSION_BUS_ADDRESS=" + bus_.Address()}});
    if (!bus_.WaitFor(name))
      throw std::runtime_error("DbusMock: " + name + " did not appear:\n" + mock_->Output());
  }

  const std::string& Address() const { return bus_.Address(); }

  // The calls logged so far, each "Method arg arg..." in dbusmock's words (a text argument with
  // line breaks spans lines).
  std::vector<std::string> Calls() const {
    std::vector<std::string> calls;
    std::ifstream in(log_);
    for (std::string line; std::getline(in, line);) {
      // A call's line starts with its time, "1796903236.766 ", which goes.
      const std::size_t space = line.find(' ');
      const bool starts =
          space != std::string::npos && space > 0 && line.find_first_not_of("0123456789.") == space;
      if (starts)
        calls.push_back(line.substr(space + 1));
      else if (!calls.empty())
        calls.back() += "\n" + line;
    }
    return calls;
  }
  std::vector<std::string> CallsOf(const std::string& method) const {
    std::vector<std::string> found;
    for (const std::string& call : Calls())
      if (call == method || call.rfind(method + " ", 0) == 0) found.push_back(call);
    return found;
  }

  // Calls a method of the mock (for what it can tell: ListInhibitors, say); gdbus's output.
  std::string Call(const std::string& destination, const std::string& path,
                   const std::string& method) {
    return RunToEnd({*FindProgram("gdbus"), "call", "--address", bus_.Address(), "--dest",
                     destination, "--object-path", path, "--method", method})
        .second;
  }

  std::string Log() const { return bus_.Log() + (mock_ ? mock_->Output() : std::string()); }

 private:
  PrivateBus bus_;
  std::filesystem::path log_;
  std::optional<ChildProcess> mock_;
};

}  // namespace kelvane::test
