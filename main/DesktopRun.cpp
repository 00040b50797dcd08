// DesktopRun: logind's Inhibit, the LauncherEntry's Update signal and a desktop notification.
#include "main/DesktopRun.h"

#include <QDBusMessage>
#include <QDBusReply>
#include <QVariantMap>

#include "FileUti2/QtStrings.h"
#include "FileUti2/TextEncoding.h"

namespace kelvane {

namespace {

const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QString kNotifications = QStringLiteral("org.freedesktop.Notifications");
constexpr int kProgressGapMs = 250;
// A bus call that the desktop cannot answer at once must not hold the window up.
constexpr int kCallTimeoutMs = 2000;

QDBusConnection Connect(const QString& address, const QString& name, bool system) {
  if (address.isEmpty())
    return system ? QDBusConnection::systemBus() : QDBusConnection::sessionBus();
  return QDBusConnection::connectToBus(address, name);
}

}  // namespace

DesktopRun::DesktopRun(std::function<void()> raise) : raise_(std::move(raise)) {}

DesktopRun::~DesktopRun() {
  // The window goes (QUIT): nothing is left held or shown.
  if (running_) End(0, {}, true);
  if (!systemAddress_.isEmpty())
    QDBusConnection::disconnectFromBus(QStringLiteral("kelvane-run-system"));
  if (!sessionAddress_.isEmpty())
    QDBusConnection::disconnectFromBus(QStringLiteral("kelvane-run-session"));
}

void DesktopRun::SetBuses(const QString& systemBus, const QString& sessionBus) {
  systemAddress_ = systemBus;
  sessionAddress_ = sessionBus;
  system_.reset();
  session_.reset();
  listening_ = false;
}

QDBusConnection DesktopRun::System() {
  if (!system_) system_ = Connect(systemAddress_, QStringLiteral("kelvane-run-system"), true);
  return *system_;
}

QDBusConnection DesktopRun::Session() {
  if (!session_) session_ = Connect(sessionAddress_, QStringLiteral("kelvane-run-session"), false);
  return *session_;
}

void DesktopRun::Begin(const QString& name) {
  name_ = name;
  running_ = true;
  told_ = false;
  Inhibit();
  SendProgress(0, true);
  lastProgress_.start();
}

void DesktopRun::Inhibit() {
  QDBusConnection bus = System();
  if (!bus.isConnected()) return;
  QDBusMessage call = QDBusMessage::createMethodCall(
      kLogind, QStringLiteral("/org/freedesktop/login1"),
      QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
  const QString why = name_ == QLatin1String("New")
                          ? QStringLiteral("New is reading every file of a folder")
                          : QStringLiteral("CHECK is verifying a copy");
  call << QStringLiteral("sleep:idle") << QStringLiteral("Kelvane") << why
       << QStringLiteral("block");
  // Without logind (a container, another init) the run simply goes on.
  const QDBusReply<QDBusUnixFileDescriptor> reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
  if (reply.isValid()) lock_ = reply.value();
}

void DesktopRun::Progress(double fraction) {
  if (!running_ || lastProgress_.elapsed() < kProgressGapMs) return;
  lastProgress_.start();
  SendProgress(fraction, true);
}

void DesktopRun::SendProgress(double fraction, bool visible) {
  QDBusConnection bus = Session();
  if (!bus.isConnected()) return;
  QDBusMessage update = QDBusMessage::createSignal(
      QStringLiteral("/io/github/kelvane/Kelvane"),
      QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"));
  QVariantMap properties;
  properties.insert(QStringLiteral("progress"), qBound(0.0, fraction, 1.0));
  properties.insert(QStringLiteral("progress-visible"), visible);
  update << QStringLiteral("application://%1.desktop").arg(QLatin1String(kDesktopEntry))
         << properties;
  bus.send(update);
}

void DesktopRun::Told(const std::string& body, bool windowActive) {
  if (!running_ || told_) return;
  told_ = true;
  // The user already sees the box. The box's lines as lines, its tab stops as spaces.
  if (!windowActive)
    Notify(DisplayText(AsLines(body)).replace(QLatin1Char('\t'), QLatin1Char(' ')));
}

void DesktopRun::End(double fraction, const std::string& body, bool windowActive) {
  if (!running_) return;
  if (!body.empty()) Told(body, windowActive);
  running_ = false;
  // Closing the descriptor is what releases logind's lock.
  lock_ = QDBusUnixFileDescriptor();
  SendProgress(fraction, false);
}

void DesktopRun::Notify(const QString& body) {
  QDBusConnection bus = Session();
  if (!bus.isConnected()) return;
  if (!listening_) {
    listening_ = bus.connect(kNotifications, QStringLiteral("/org/freedesktop/Notifications"),
                             kNotifications, QStringLiteral("ActionInvoked"), this,
                             SLOT(ActionInvoked(uint, QString)));
  }
  QDBusMessage call = QDBusMessage::createMethodCall(
      kNotifications, QStringLiteral("/org/freedesktop/Notifications"), kNotifications,
      QStringLiteral("Notify"));
  QVariantMap hints;
  hints.insert(QStringLiteral("desktop-entry"), QLatin1String(kDesktopEntry));
  call << QStringLiteral("Kelvane") << uint{0} << QLatin1String(kDesktopEntry)
       << QStringLiteral("%1 has ended").arg(name_) << body
       << QStringList{QStringLiteral("default"), QStringLiteral("Show Kelvane")} << hints << -1;
  const QDBusReply<uint> reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
  if (reply.isValid()) notification_ = reply.value();
}

void DesktopRun::ActionInvoked(uint id, const QString& action) {
  if (id == notification_ && action == QLatin1String("default") && raise_) raise_();
}

}  // namespace kelvane
