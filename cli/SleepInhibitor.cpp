// SleepInhibitor: org.freedesktop.login1.Manager.Inhibit through sd-bus, which finds the bus as
// every client does ($DBUS_SYSTEM_BUS_ADDRESS, else the system's socket).
#include "cli/SleepInhibitor.h"

#include <fcntl.h>

#include <cstdint>

#include "cli/SdBus.h"

namespace kelvane::cli {

namespace {

// A desktop that cannot answer at once must not hold the run up.
constexpr std::uint64_t kCallTimeoutUs = 2'000'000;

}  // namespace

SleepInhibitor::SleepInhibitor(const std::string& why) {
  const BusConnection bus = OpenSystemBus();
  if (!bus) return;
  (void)sd_bus_set_method_call_timeout(bus.get(), kCallTimeoutUs);
  BusError error;
  sd_bus_message* answered = nullptr;
  const int called =
      sd_bus_call_method(bus.get(), "org.freedesktop.login1", "/org/freedesktop/login1",
                         "org.freedesktop.login1.Manager", "Inhibit", error.Get(), &answered,
                         "ssss", "sleep:idle", "Kelvane", why.c_str(), "block");
  if (called < 0) return;
  const BusMessage reply(answered);
  int fd = -1;
  // The message owns its descriptor: the lock keeps a copy of its own.
  if (sd_bus_message_read(reply.get(), "h", &fd) >= 0 && fd >= 0)
    lock_ = FileDescriptor(::fcntl(fd, F_DUPFD_CLOEXEC, 3));
}

}  // namespace kelvane::cli
