// SleepInhibitor: org.freedesktop.login1.Manager.Inhibit through sd-bus, which finds the bus as
// every client does ($DBUS_SYSTEM_BUS_ADDRESS, else the system's socket).
#include "cli/SleepInhibitor.h"

#include <fcntl.h>
#include <systemd/sd-bus.h>

#include <memory>

namespace kelvane::cli {

namespace {

struct BusCloser {
  void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
struct MessageUnref {
  void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};

// A desktop that cannot answer at once must not hold the run up.
constexpr std::uint64_t kCallTimeoutUs = 2'000'000;

}  // namespace

SleepInhibitor::SleepInhibitor(const std::string& why) {
  sd_bus* opened = nullptr;
  if (sd_bus_open_system(&opened) < 0) return;
  const std::unique_ptr<sd_bus, BusCloser> bus(opened);
  (void)sd_bus_set_method_call_timeout(bus.get(), kCallTimeoutUs);
  sd_bus_error error = SD_BUS_ERROR_NULL;
  sd_bus_message* answered = nullptr;
  const int called =
      sd_bus_call_method(bus.get(), "org.freedesktop.login1", "/org/freedesktop/login1",
                         "org.freedesktop.login1.Manager", "Inhibit", &error, &answered, "ssss",
                         "sleep:idle", "Kelvane", why.c_str(), "block");
  sd_bus_error_free(&error);
  if (called < 0) return;
  const std::unique_ptr<sd_bus_message, MessageUnref> reply(answered);
  int fd = -1;
  // The message owns its descriptor: the lock keeps a copy of its own.
  if (sd_bus_message_read(reply.get(), "h", &fd) >= 0 && fd >= 0)
    lock_ = FileDescriptor(::fcntl(fd, F_DUPFD_CLOEXEC, 3));
}

}  // namespace kelvane::cli
