// What a long run asks of the desktop: no sleep while it reads, its progress on the dock or
// taskbar, and a word when it ends while the user looks elsewhere. All over D-Bus, all best
// effort: without a bus or a service the run goes on exactly as without a desktop.
#pragma once

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <string>

namespace kelvane {

// The desktop entry that the dock, the taskbar and the notifications know Kelvane by.
inline constexpr char kDesktopEntry[] = "io.github.kelvane.Kelvane";

class DesktopRun : public QObject {
  Q_OBJECT

 public:
  // raise: brings the window to the front (the notification's default action).
  explicit DesktopRun(std::function<void()> raise);
  ~DesktopRun() override;

  // The buses to find logind and the desktop's services on; empty: the system and session bus.
  void SetBuses(const QString& systemBus, const QString& sessionBus);

  // A run starts reading: the logind lock is taken ("sleep:idle", block) and the progress shown
  // at 0. name: "New" or "CHECK".
  void Begin(const QString& name);
  // How far the run is; sent at most four times a second.
  void Progress(double fraction);
  // The run's end as the user meets it (its summary): told in a notification when the window is
  // not the active one, once per run.
  void Told(const std::string& body, bool windowActive);
  // The run has ended, any way: the lock is closed and the progress hidden. A run that ended
  // without a summary told is told here with body.
  void End(double fraction, const std::string& body, bool windowActive);

 private slots:
  void ActionInvoked(uint id, const QString& action);

 private:
  QDBusConnection System();
  QDBusConnection Session();
  void Inhibit();
  void SendProgress(double fraction, bool visible);
  void Notify(const QString& body);

  std::function<void()> raise_;
  QString systemAddress_, sessionAddress_;
  std::optional<QDBusConnection> system_, session_;
  QString name_;
  bool running_ = false;
  bool told_ = false;
  QDBusUnixFileDescriptor lock_;
  QElapsedTimer lastProgress_;
  uint notification_ = 0;
  bool listening_ = false;
};

}  // namespace kelvane
