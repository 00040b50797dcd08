// UdisksTray: the drive's block objects from udisks2's object manager, Unmount, then Eject.
#include "main/UdisksTray.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QFileInfo>
#include <QMap>
#include <QScopeGuard>
#include <QVariantMap>

#include "FileUti2/QtStrings.h"

namespace kelvane {

namespace {

const QString kService = QStringLiteral("org.freedesktop.UDisks2");
const QString kBlock = QStringLiteral("org.freedesktop.UDisks2.Block");
const QString kFilesystem = QStringLiteral("org.freedesktop.UDisks2.Filesystem");
const QString kDrive = QStringLiteral("org.freedesktop.UDisks2.Drive");

using Interfaces = QMap<QString, QVariantMap>;
using ManagedObjects = QMap<QDBusObjectPath, Interfaces>;

// A D-Bus error as the tray's one box shows it.
[[noreturn]] void ThrowBusError(const QDBusMessage& reply) {
  throw TrayError(kUdisksErrorCode,
                  QStringToPath(reply.errorName() + QStringLiteral(": ") + reply.errorMessage()));
}

QDBusMessage Call(const QDBusConnection& bus, const QString& path, const QString& interface,
                  const QString& method, const QVariantList& arguments) {
  QDBusMessage call = QDBusMessage::createMethodCall(kService, path, interface, method);
  call.setArguments(arguments);
  // Unmounting may wait for the desktop to ask for a password.
  call.setInteractiveAuthorizationAllowed(true);
  const QDBusMessage reply = bus.call(call, QDBus::Block, 120000);
  if (reply.type() == QDBusMessage::ErrorMessage) ThrowBusError(reply);
  return reply;
}

// udisks2 sends device paths as NUL-terminated byte strings.
QByteArray Bytes(const QVariant& value) {
  QByteArray bytes = value.toByteArray();
  while (bytes.endsWith('\0')) bytes.chop(1);
  return bytes;
}

QList<QByteArray> ByteStrings(const QVariant& value) {
  QList<QByteArray> list = qdbus_cast<QList<QByteArray>>(value);
  for (QByteArray& bytes : list)
    while (bytes.endsWith('\0')) bytes.chop(1);
  return list;
}

ManagedObjects GetManagedObjects(const QDBusConnection& bus) {
  const QDBusMessage reply = Call(bus, QStringLiteral("/org/freedesktop/UDisks2"),
                                  QStringLiteral("org.freedesktop.DBus.ObjectManager"),
                                  QStringLiteral("GetManagedObjects"), {});
  ManagedObjects objects;
  if (!reply.arguments().isEmpty()) reply.arguments().at(0).value<QDBusArgument>() >> objects;
  return objects;
}

// The drive object of the block device named path (by its device node, a link to it, or the
// node a link resolves to); empty when udisks2 does not know it.
QString DriveOf(const ManagedObjects& objects, const std::string& path) {
  const QByteArray wanted = QByteArray::fromStdString(path);
  const QByteArray resolved = QFileInfo(PathToQString(path)).canonicalFilePath().toUtf8();
  for (const Interfaces& interfaces : objects) {
    const auto block = interfaces.find(kBlock);
    if (block == interfaces.end()) continue;
    const QByteArray device = Bytes(block->value(QStringLiteral("Device")));
    const bool named = device == wanted || (!resolved.isEmpty() && device == resolved) ||
                       ByteStrings(block->value(QStringLiteral("Symlinks"))).contains(wanted);
    if (named) return block->value(QStringLiteral("Drive")).value<QDBusObjectPath>().path();
  }
  return {};
}

}  // namespace

void UdisksTray::Move(const std::vector<std::string>& candidates, TTrayMove move) {
  if (move == TTrayMove::tmClose) return ioctls_.Move(candidates, move);
  qDBusRegisterMetaType<Interfaces>();
  qDBusRegisterMetaType<ManagedObjects>();
  // A bus given by address is connected for this move only, under a name of its own.
  const QString name = QStringLiteral("kelvane-tray ") + busAddress_;
  const QDBusConnection bus = busAddress_.isEmpty()
                                  ? QDBusConnection::systemBus()
                                  : QDBusConnection::connectToBus(busAddress_, name);
  const auto disconnect = qScopeGuard([&] {
    if (!busAddress_.isEmpty()) QDBusConnection::disconnectFromBus(name);
  });
  const bool present = bus.isConnected() && bus.interface() &&
                       (bus.interface()->isServiceRegistered(kService).value() ||
                        bus.interface()->activatableServiceNames().value().contains(kService));
  if (!present) return ioctls_.Move(candidates, move);
  const ManagedObjects objects = GetManagedObjects(bus);
  for (const std::string& candidate : candidates) {
    const QString drive = DriveOf(objects, candidate);
    if (drive.isEmpty() || drive == QStringLiteral("/")) continue;
    // Every mounted file system of the drive first: a disc may hold more than one session.
    for (auto object = objects.begin(); object != objects.end(); ++object) {
      const auto block = object->find(kBlock);
      const auto filesystem = object->find(kFilesystem);
      if (block == object->end() || filesystem == object->end()) continue;
      if (block->value(QStringLiteral("Drive")).value<QDBusObjectPath>().path() != drive) continue;
      if (ByteStrings(filesystem->value(QStringLiteral("MountPoints"))).isEmpty()) continue;
      Call(bus, object.key().path(), kFilesystem, QStringLiteral("Unmount"),
           {QVariant::fromValue(QVariantMap())});
    }
    Call(bus, drive, kDrive, QStringLiteral("Eject"), {QVariant::fromValue(QVariantMap())});
    return;
  }
  ioctls_.Move(candidates, move);
}

}  // namespace kelvane
