// BusTray: udisks2's object manager read with sd-bus, then the eject's Unmount and Eject calls.
#include "cli/BusTray.h"

#include <cstdint>
#include <cstring>
#include <optional>

#include "cli/SdBus.h"
#include "drive/UdisksDrives.h"

namespace kelvane::cli {

namespace {

constexpr const char* kService = "org.freedesktop.UDisks2";
constexpr const char* kBlock = "org.freedesktop.UDisks2.Block";
constexpr const char* kFilesystem = "org.freedesktop.UDisks2.Filesystem";

// Unmounting may wait for the desktop to ask for a password.
constexpr std::uint64_t kCallTimeoutUs = 120'000'000;

// A message that does not read as udisks2 describes it.
void Check(int result) {
  if (result < 0) throw TrayError(-result);
}

// udisks2 sends device paths as NUL-terminated byte strings.
std::string ReadByteString(sd_bus_message* message) {
  const void* bytes = nullptr;
  std::size_t size = 0;
  Check(sd_bus_message_read_array(message, 'y', &bytes, &size));
  std::string text(static_cast<const char*>(bytes), size);
  while (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

std::vector<std::string> ReadByteStrings(sd_bus_message* message) {
  std::vector<std::string> texts;
  Check(sd_bus_message_enter_container(message, 'a', "ay"));
  while (sd_bus_message_at_end(message, false) == 0) texts.push_back(ReadByteString(message));
  Check(sd_bus_message_exit_container(message));
  return texts;
}

// One property of an interface ("sv"), kept when the plan needs it.
void ReadProperty(sd_bus_message* message, const std::string& interface, UdisksBlock& block) {
  const char* name = nullptr;
  Check(sd_bus_message_read(message, "s", &name));
  const std::string property = name;
  const auto variant = [&](const char* contents, auto read) {
    Check(sd_bus_message_enter_container(message, 'v', contents));
    read();
    Check(sd_bus_message_exit_container(message));
  };
  if (interface == kBlock && property == "Device")
    variant("ay", [&] { block.device = ReadByteString(message); });
  else if (interface == kBlock && property == "Symlinks")
    variant("aay", [&] { block.symlinks = ReadByteStrings(message); });
  else if (interface == kBlock && property == "Drive")
    variant("o", [&] {
      const char* drive = nullptr;
      Check(sd_bus_message_read(message, "o", &drive));
      block.drive = drive;
    });
  else if (interface == kFilesystem && property == "MountPoints")
    variant("aay", [&] { block.mountPoints = ReadByteStrings(message); });
  else
    Check(sd_bus_message_skip(message, "v"));
}

// The answer of GetManagedObjects: a{oa{sa{sv}}}, the objects with a Block interface kept.
std::vector<UdisksBlock> ReadBlocks(sd_bus_message* message) {
  std::vector<UdisksBlock> blocks;
  Check(sd_bus_message_enter_container(message, 'a', "{oa{sa{sv}}}"));
  while (sd_bus_message_enter_container(message, 'e', "oa{sa{sv}}") > 0) {
    const char* path = nullptr;
    Check(sd_bus_message_read(message, "o", &path));
    UdisksBlock block;
    block.object = path;
    bool isBlock = false;
    Check(sd_bus_message_enter_container(message, 'a', "{sa{sv}}"));
    while (sd_bus_message_enter_container(message, 'e', "sa{sv}") > 0) {
      const char* name = nullptr;
      Check(sd_bus_message_read(message, "s", &name));
      const std::string interface = name;
      isBlock = isBlock || interface == kBlock;
      block.filesystem = block.filesystem || interface == kFilesystem;
      Check(sd_bus_message_enter_container(message, 'a', "{sv}"));
      while (sd_bus_message_enter_container(message, 'e', "sv") > 0) {
        ReadProperty(message, interface, block);
        Check(sd_bus_message_exit_container(message));
      }
      Check(sd_bus_message_exit_container(message));
      Check(sd_bus_message_exit_container(message));
    }
    Check(sd_bus_message_exit_container(message));
    Check(sd_bus_message_exit_container(message));
    if (isBlock) blocks.push_back(std::move(block));
  }
  Check(sd_bus_message_exit_container(message));
  return blocks;
}

// A D-Bus error as the tray's one box shows it; a call that never reached the bus, by its errno.
[[noreturn]] void ThrowBusError(const BusError& error, int result) {
  if (*error.Name() == '\0') throw TrayError(-result);
  throw TrayError(kUdisksErrorCode, std::string(error.Name()) + ": " + error.Message());
}

// A call of one of udisks2's methods that takes its options (none) alone.
void CallWithOptions(sd_bus* bus, const std::string& object, const char* interface,
                     const char* method) {
  BusError error;
  sd_bus_message* answered = nullptr;
  const int called = sd_bus_call_method(bus, kService, object.c_str(), interface, method,
                                        error.Get(), &answered, "a{sv}", 0);
  const BusMessage reply(answered);
  if (called < 0) ThrowBusError(error, called);
}

// The block objects udisks2 knows; nullopt when it is not on the bus.
std::optional<std::vector<UdisksBlock>> ManagedBlocks(sd_bus* bus) {
  BusError error;
  sd_bus_message* answered = nullptr;
  const int called = sd_bus_call_method(bus, kService, "/org/freedesktop/UDisks2",
                                        "org.freedesktop.DBus.ObjectManager", "GetManagedObjects",
                                        error.Get(), &answered, "");
  const BusMessage reply(answered);
  if (called < 0) {
    if (sd_bus_error_has_names(error.Get(), SD_BUS_ERROR_SERVICE_UNKNOWN,
                               SD_BUS_ERROR_NAME_HAS_NO_OWNER))
      return std::nullopt;
    ThrowBusError(error, called);
  }
  return ReadBlocks(reply.get());
}

}  // namespace

void BusTray::Move(const std::vector<std::string>& candidates, TTrayMove move) {
  if (move == TTrayMove::tmClose) return ioctls_.Move(candidates, move);
  const BusConnection bus = OpenSystemBus();
  if (!bus) return ioctls_.Move(candidates, move);
  (void)sd_bus_set_method_call_timeout(bus.get(), kCallTimeoutUs);
  (void)sd_bus_set_allow_interactive_authorization(bus.get(), 1);
  const std::optional<std::vector<UdisksBlock>> blocks = ManagedBlocks(bus.get());
  const std::optional<UdisksEject> eject =
      blocks ? PlanUdisksEject(*blocks, candidates) : std::nullopt;
  if (!eject) return ioctls_.Move(candidates, move);
  for (const std::string& filesystem : eject->unmount)
    CallWithOptions(bus.get(), filesystem, kFilesystem, "Unmount");
  CallWithOptions(bus.get(), eject->drive, "org.freedesktop.UDisks2.Drive", "Eject");
}

}  // namespace kelvane::cli
