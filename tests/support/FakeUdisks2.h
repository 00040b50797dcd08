// A stand-in udisks2: a private D-Bus bus on which fake_udisks2.py serves the drives a test
// describes.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
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
#include "PrivateBus.h"

namespace kelvane::test {

class FakeUdisks2 {
 public:
  // A D-Bus error a method answers instead of doing its work, the first `count` times (0: always).
  struct Error {
    std::string name;     // e.g. org.freedesktop.UDisks2.Error.DeviceBusy
    std::string message;  // e.g. Error unmounting /dev/sr1: target is busy
    int count = 0;
  };
  struct Drive {
    std::string name;    // the drive object: /org/freedesktop/UDisks2/drives/<name>
    std::string device;  // e.g. /dev/sr1; the block object is named after its last part
    std::vector<std::string>
        mountPoints{};  // where the disc's file system is mounted; empty: not mounted
    bool filesystem =
        true;  // false: no Filesystem interface (no disc, or one without a file system)
    std::vector<std::string> symlinks{};  // the block's Symlinks, e.g. /dev/disk/by-label/DISC
    std::optional<Error> unmountError{};
    std::optional<Error> ejectError{};
  };
  struct Call {
    std::string method;  // Unmount or Eject
    std::string objectPath;
    std::vector<std::string> optionKeys{};  // sorted
    double when = 0;                        // monotonic seconds, as a FakeDisc's log has them
    std::string ToString() const { return method + " " + objectPath; }
  };

  static std::string DrivePath(std::string_view name) {
    return "/org/freedesktop/UDisks2/drives/" + std::string(name);
  }
  static std::string BlockPath(std::string_view device) {
    return "/org/freedesktop/UDisks2/block_devices/" +
           std::filesystem::path(device).filename().string();
  }

  // Why a FakeUdisks2 cannot be had here, or nullopt: for GTEST_SKIP.
  static std::optional<std::string> Unavailable() {
    static const std::optional<std::string> reason = []() -> std::optional<std::string> {
      if (!FindProgram("dbus-daemon")) return "dbus-daemon is not installed";
      if (access(kSystemPython, X_OK) != 0) return std::string(kSystemPython) + " is not installed";
      if (!std::filesystem::exists(Script())) return "fake_udisks2.py is not at " + Script();
      // Asked one by one, so that the message names the package that is really missing.
      const auto [code, missing] =
          RunToEnd({kSystemPython, "-c",
                    "import importlib, sys\n"
                    "for module, package in (('dbus', 'python3-dbus'),\n"
                    "                        ('gi.repository.GLib', 'python3-gi'),\n"
                    "                        ('dbusmock', 'python3-dbusmock')):\n"
                    "    try:\n"
                    "        importlib.import_module(module)\n"
                    "    except Exception:\n"
                    "        print(package, end='')\n"
                    "        sys.exit(1)\n"});
      if (code != 0)
        return (missing.empty() ? std::string("a python module") : missing) + " is not installed";
      return std::nullopt;
    }();
    return reason;
  }

  explicit FakeUdisks2(const std::vector<Drive>& drives) {
    if (auto why = Unavailable()) throw std::runtime_error("FakeUdisks2: " + *why);
    std::string pattern =
        (std::filesystem::temp_directory_path() / "kelvane-udisks-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("FakeUdisks2: mkdtemp failed");
    dir_ = pattern;
    try {
      Start(drives);
    } catch (...) {
      Stop();
      throw;
    }
  }
  ~FakeUdisks2() { Stop(); }
  FakeUdisks2(const FakeUdisks2&) = delete;
  FakeUdisks2& operator=(const FakeUdisks2&) = delete;

  // The private bus, as QDBusConnection::connectToBus or gdbus --address take it.
  const std::string& Address() const { return address_; }

  // The Unmount and Eject calls so far, in order, e.g. "Unmount
  // /org/freedesktop/UDisks2/block_devices/sr1".
  std::vector<std::string> Calls() const {
    std::vector<std::string> out;
    for (const auto& call : CallLog()) out.push_back(call.ToString());
    return out;
  }
  std::vector<Call> CallLog() const {
    std::vector<Call> out;
    std::ifstream in(dir_ / "calls.log");
    std::string line;
    while (std::getline(in, line)) {
      std::istringstream fields(line);
      Call call;
      std::string keys;
      std::getline(fields, call.method, '\t');
      std::getline(fields, call.objectPath, '\t');
      std::getline(fields, keys, '\t');
      fields >> call.when;
      std::istringstream keyList(keys);
      for (std::string key; std::getline(keyList, key, ',');) call.optionKeys.push_back(key);
      out.push_back(std::move(call));
    }
    return out;
  }

  // What the bus and the service printed, for a failing test's message.
  std::string Log() const {
    return "dbus-daemon:\n" + (bus_ ? bus_->Log() : std::string()) + "fake_udisks2.py:\n" +
           (service_ ? service_->Output() : std::string());
  }

 private:
  static std::string Script() { return (SupportDir() / "fake_udisks2.py").string(); }

  static std::string Json(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
      if (c == '"' || c == '\\') {
        out += '\\';
        out += c;
      } else if (static_cast<unsigned char>(c) < 0x20) {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned char>(c));
        out += buffer;
      } else {
        out += c;
      }
    }
    return out + "\"";
  }
  static std::string Json(const std::vector<std::string>& texts) {
    std::string out = "[";
    for (size_t i = 0; i < texts.size(); ++i) out += (i ? "," : "") + Json(texts[i]);
    return out + "]";
  }
  static std::string Json(const std::optional<Error>& error) {
    if (!error) return "null";
    return "{\"name\":" + Json(error->name) + ",\"message\":" + Json(error->message) +
           ",\"count\":" + std::to_string(error->count) + "}";
  }
  static std::string Json(const std::vector<Drive>& drives) {
    std::string out = "[";
    for (size_t i = 0; i < drives.size(); ++i) {
      const Drive& d = drives[i];
      out += (i ? "," : "");
      out += "{\"name\":" + Json(d.name) + ",\"device\":" + Json(d.device) +
             ",\"filesystem\":" + (d.filesystem ? "true" : "false") +
             ",\"mountPoints\":" + Json(d.mountPoints) + ",\"symlinks\":" + Json(d.symlinks) +
             ",\"unmountError\":" + Json(d.unmountError) + ",\"ejectError\":" + Json(d.ejectError) +
             "}";
    }
    return out + "]";
  }

  void Start(const std::vector<Drive>& drives) {
    std::ofstream(dir_ / "calls.log").flush();
    bus_.emplace(dir_);
    address_ = bus_->Address();

    const auto ready = dir_ / "ready";
    service_.emplace(std::vector<std::string>{
        kSystemPython, Script(), "--address", address_, "--drives", Json(drives), "--calls",
        (dir_ / "calls.log").string(), "--ready", ready.string(), "--remove-dir", dir_.string()});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!std::filesystem::exists(ready)) {
      if (!service_->Running() || !bus_->Running()) {
        throw std::runtime_error("FakeUdisks2: " +
                                 std::string(service_->Running()
                                                 ? std::string("dbus-daemon ended")
                                                 : "fake_udisks2.py " + service_->Describe()) +
                                 " before org.freedesktop.UDisks2 was owned:\n" + Log());
      }
      if (std::chrono::steady_clock::now() >= deadline) {
        throw std::runtime_error(
            "FakeUdisks2: org.freedesktop.UDisks2 was not owned within 20 s:\n" + Log());
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  void Stop() {
    // The service first, so that it does not see the bus vanish under a call.
    if (service_) service_->Stop();
    bus_.reset();
    if (!dir_.empty()) {
      std::error_code ec;
      std::filesystem::remove_all(dir_, ec);
    }
  }

  std::filesystem::path dir_;
  std::string address_;
  std::optional<PrivateBus> bus_;
  std::optional<ChildProcess> service_;
};

}  // namespace kelvane::test
