// sd-bus's objects held by RAII: a bus connection, a message, an error.
#pragma once

#include <systemd/sd-bus.h>

#include <memory>

namespace kelvane::cli {

struct BusCloser {
  void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
struct MessageUnref {
  void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};

using BusConnection = std::unique_ptr<sd_bus, BusCloser>;
using BusMessage = std::unique_ptr<sd_bus_message, MessageUnref>;

// An error a call may fill in, freed with the object.
class BusError {
 public:
  BusError() = default;
  ~BusError() { sd_bus_error_free(&error_); }
  BusError(const BusError&) = delete;
  BusError& operator=(const BusError&) = delete;

  sd_bus_error* Get() { return &error_; }
  const char* Name() const { return error_.name ? error_.name : ""; }
  const char* Message() const { return error_.message ? error_.message : ""; }

 private:
  sd_bus_error error_ = SD_BUS_ERROR_NULL;
};

// The system bus, as every client finds it ($DBUS_SYSTEM_BUS_ADDRESS, else the system's
// socket); empty when there is none.
inline BusConnection OpenSystemBus() {
  sd_bus* opened = nullptr;
  if (sd_bus_open_system(&opened) < 0) return {};
  return BusConnection(opened);
}

}  // namespace kelvane::cli
