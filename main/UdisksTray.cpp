// UdisksTray: the block objects from udisks2's object manager, then the plan's Unmount and Eject.
#include "main/UdisksTray.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
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

// The block objects as the eject plans with them.
std::vector<UdisksBlock> Blocks(const ManagedObjects& objects) {
  std::vector<UdisksBlock> blocks;
  for (auto object = objects.begin(); object != objects.end(); ++object) {
    const auto block = object->find(kBlock);
    if (block == object->end()) continue;
    UdisksBlock& b = blocks.emplace_back();
    b.object = object.key().path().toStdString();
    b.device = Bytes(block->value(QStringLiteral("Device"))).toStdString();
    for (const QByteArray& link : ByteStrings(block->value(QStringLiteral("Symlinks"))))
      b.symlinks.push_back(link.toStdString());
    b.drive = block->value(QStringLiteral("Drive")).value<QDBusObjectPath>().path().toStdString();
    const auto filesystem = object->find(kFilesystem);
    b.filesystem = filesystem != object->end();
    if (b.filesystem)
      for (const QByteArray& point : ByteStrings(filesystem->value(QStringLiteral("MountPoints"))))
        b.mountPoints.push_back(point.toStdString());
  }
  return blocks;
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
  const std::optional<UdisksEject> eject =
      PlanUdisksEject(Blocks(GetManagedObjects(bus)), candidates);
  if (!eject) return ioctls_.Move(candidates, move);
  for (const std::string& filesystem : eject->unmount)
    Call(bus, QString::fromStdString(filesystem), kFilesystem, QStringLiteral("Unmount"),
         {QVariant::fromValue(QVariantMap())});
  Call(bus, QString::fromStdString(eject->drive), kDrive, QStringLiteral("Eject"),
       {QVariant::fromValue(QVariantMap())});
}

}  // namespace kelvane
