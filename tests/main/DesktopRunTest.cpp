// What a run asks of the desktop, seen from the desktop's side: dbusmock's own logind and
// notification daemon on private buses, and the dock's signals as a dock receives them.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QTest>
#include <QVariantMap>
#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "main/Tfrm.h"
#include "support/Controls.h"
#include "support/FakeDisc.h"
#include "support/NamedRows.h"
#include "support/PrivateBus.h"
#include "support/TempDir.h"
#include "support/User.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;
using test::Button;
using test::Click;
using test::DbusMock;
using test::FakeDisc;
using test::PrivateBus;
using test::TempDir;
using test::User;

constexpr char kAbc[] = "CADBBE3D000000001";
constexpr char kLogin1[] = "org.freedesktop.login1";

// A tree of count files of "abc", and a project of it with its right sums.
std::string WriteTree(const TempDir& dir, Project& project, int count) {
  std::vector<std::string> entries, values;
  for (int i = 0; i < count; ++i) {
    entries.push_back("f" + std::to_string(i) + ".txt");
    values.push_back(kAbc);
    dir.Write("copy/" + entries.back(), "abc");
  }
  project.Replace(entries, values);
  project.SyncChecksFromValues();
  return dir / "copy";
}

bool Running(const Tfrm& frm) {
  return !Button(frm, "iNew").isEnabled();
}

// The lock logind holds for Kelvane: what ListInhibitors tells of it.
bool Held(DbusMock& logind) {
  return logind
             .Call(kLogin1, "/org/freedesktop/login1",
                   "org.freedesktop.login1.Manager.ListInhibitors")
             .find("'Kelvane'") != std::string::npos;
}

// logind drops a lock once its descriptor is closed, as soon as it hears of it.
bool Released(DbusMock& logind) {
  for (int i = 0; i < 500; ++i) {
    if (!Held(logind)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

class DesktopTest : public testing::Test {
 protected:
  void SetUp() override {
    if (const auto why = PrivateBus::Unavailable()) GTEST_SKIP() << "no private bus: " << *why;
    logind = std::make_unique<DbusMock>(dir.MakeDir("system"), "logind", kLogin1);
    notifications = std::make_unique<DbusMock>(dir.MakeDir("session"), "notification_daemon",
                                               "org.freedesktop.Notifications");
  }
  void Show(Tfrm& frm) {
    frm.SetDesktopBuses(QString::fromStdString(logind->Address()),
                        QString::fromStdString(notifications->Address()));
    ASSERT_TRUE(test::ShowActive(frm));
  }
  TempDir dir;
  std::unique_ptr<DbusMock> logind;
  std::unique_ptr<DbusMock> notifications;
};

// --- no sleep during a run, however it ends ---

struct EndRow {
  const char* name;
  const char* why;  // the reason given to logind
  // Starts the run in frm and brings it to its end; user answers what comes up. look: a look at
  // logind, for a row whose user does something meanwhile.
  std::function<void(Tfrm& frm, User& user, const TempDir& dir, const std::function<void()>& look)>
      run;
};
// CHECK on a long copy, and button pressed a few entries in, once logind has been looked at.
void PressMidCheck(Tfrm& frm, User& user, const TempDir& dir, const std::function<void()>& look,
                   const char* button) {
  user.folders = {WriteTree(dir, frm.session().project, 3000)};
  bool pressed = false;
  user.meanwhile = [&] {
    if (pressed || !Running(frm) || frm.session().project.State(5) == TCheckState::cbUnchecked)
      return;
    pressed = true;
    look();
    Click(frm, button);
  };
  Click(frm, "iCheck");
  EXPECT_TRUE(pressed);
}

class SleepInhibitTest : public DesktopTest, public testing::WithParamInterface<EndRow> {};

TEST_P(SleepInhibitTest, LockIsTakenOnceAndReleasedAtTheEnd) {
  if (IsSkipped()) return;
  auto frm = std::make_unique<Tfrm>();
  Show(*frm);
  User user(QMessageBox::NoButton, 0);
  bool heldDuringRun = false;
  const auto look = [&] {
    if (!heldDuringRun && frm && Running(*frm)) heldDuringRun = Held(*logind);
  };
  user.meanwhile = look;
  GetParam().run(*frm, user, dir, look);
  frm.reset();  // the window gone, as at the end of the program

  EXPECT_TRUE(heldDuringRun);
  EXPECT_EQ(logind->CallsOf("Inhibit"),
            std::vector<std::string>{"Inhibit \"sleep:idle\" \"Kelvane\" \"" +
                                     std::string(GetParam().why) + "\" \"block\""});
  EXPECT_TRUE(Released(*logind));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SleepInhibitTest,
    testing::Values(
        EndRow{"CheckToItsSummary", "CHECK is verifying a copy",
               [](Tfrm& frm, User& user, const TempDir& dir, const std::function<void()>& look) {
                 (void)look;
                 user.folders = {WriteTree(dir, frm.session().project, 20)};
                 Click(frm, "iCheck");
                 ASSERT_EQ(user.boxes.size(), 1u);
               }},
        EndRow{"CheckStopped", "CHECK is verifying a copy",
               [](Tfrm& frm, User& user, const TempDir& dir, const std::function<void()>& look) {
                 PressMidCheck(frm, user, dir, look, "STOP");
               }},
        EndRow{"NewEndedByAnError", "New is reading every file of a folder",
               [](Tfrm& frm, User& user, const TempDir& dir, const std::function<void()>& look) {
                 dir.Write("src/a.txt", "abc");
                 dir.Write("src/b.txt", "scratched");
                 (void)look;
                 FakeDisc disc(dir / "src", {.slowMs = 20, .scratches = {{"b.txt", 0}}});
                 user.folders = {disc.MountPoint()};
                 Click(frm, "iNew");
                 ASSERT_EQ(user.boxes.size(), 1u);
                 EXPECT_EQ(user.boxes[0].text.rfind("Error while getting CRC32", 0), 0u);
               }},
        EndRow{"QuitDuringCheck", "CHECK is verifying a copy",
               [](Tfrm& frm, User& user, const TempDir& dir, const std::function<void()>& look) {
                 PressMidCheck(frm, user, dir, look, "QUIT");
                 EXPECT_FALSE(frm.isVisible());
               }}),
    kelvane::test::RowName());

TEST_F(DesktopTest, EmptyListRefusesWithoutAskingLogind) {
  if (IsSkipped()) return;
  Tfrm frm;
  Show(frm);
  User user(QMessageBox::Ok);
  Click(frm, "iCheck");
  ASSERT_EQ(user.boxes.size(), 1u);
  EXPECT_EQ(user.boxes[0].text, "No file listed");
  EXPECT_TRUE(logind->CallsOf("Inhibit").empty());
}

// --- a word at the end, only when Kelvane is not in front ---

TEST_F(DesktopTest, SummaryIsNotifiedOnlyWhenTheWindowIsNotActive) {
  if (IsSkipped()) return;
  Tfrm frm;
  Show(frm);
  User user(QMessageBox::Ok);
  user.folders = {WriteTree(dir, frm.session().project, 20)};
  Click(frm, "iCheck");
  EXPECT_TRUE(notifications->CallsOf("Notify").empty()) << "the user saw the box";

  // The user goes to another window once the run is under way (and stays there: the picker,
  // as it closes, hands the focus back to Kelvane a moment later).
  QWidget elsewhere;
  elsewhere.show();
  user.folders = {dir / "copy"};
  frm.session().ReadStep = [](int fd, std::uint8_t* buffer, std::size_t count) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return ::read(fd, buffer, count);
  };
  bool away = false;
  user.meanwhile = [&] {
    if (!Running(frm) || QApplication::activeWindow() == &elsewhere) return;
    away = true;
    elsewhere.activateWindow();
  };
  Click(frm, "iCheck");
  ASSERT_TRUE(away);
  const std::vector<std::string> notified = notifications->CallsOf("Notify");
  ASSERT_EQ(notified.size(), 1u);
  EXPECT_EQ(
      notified[0].rfind("Notify \"Kelvane\" 0 \"io.github.kelvane.Kelvane\" \"CHECK has ended\" "
                        "\"Error(s) found : 0\nCheksum valid : 20\n",
                        0),
      0u)
      << notified[0];
  EXPECT_NE(notified[0].find("[\"default\", \"Show Kelvane\"]"), std::string::npos) << notified[0];
}

// --- progress on the dock ---

// What a dock hears: every LauncherEntry Update on the session bus.
class Dock : public QObject {
  Q_OBJECT

 public:
  struct Heard {
    double progress;
    bool visible;
  };
  explicit Dock(const std::string& address)
      : bus_(QDBusConnection::connectToBus(QString::fromStdString(address), "kelvane-test-dock")) {
    bus_.connect({}, {}, "com.canonical.Unity.LauncherEntry", "Update", this,
                 SLOT(Update(QString, QVariantMap)));
  }
  ~Dock() override { QDBusConnection::disconnectFromBus("kelvane-test-dock"); }
  std::vector<Heard> heard;
  QString app;

 public slots:
  void Update(const QString& appUri, const QVariantMap& properties) {
    app = appUri;
    heard.push_back(
        {properties.value("progress").toDouble(), properties.value("progress-visible").toBool()});
  }

 private:
  QDBusConnection bus_;
};

TEST_F(DesktopTest, DockShowsTheProgressRiseAndHidesItAtTheEnd) {
  if (IsSkipped()) return;
  Dock dock(notifications->Address());
  Tfrm frm;
  Show(frm);
  User user(QMessageBox::Ok);
  user.folders = {WriteTree(dir, frm.session().project, 400)};
  // Slow enough to be seen along the way: the dock hears at most four updates a second.
  frm.session().ReadStep = [](int fd, std::uint8_t* buffer, std::size_t count) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return ::read(fd, buffer, count);
  };
  Click(frm, "iCheck");
  // Signals from the bus arrive through the event loop.
  for (int i = 0; i < 100 && (dock.heard.empty() || dock.heard.back().visible); ++i)
    QTest::qWait(10);

  ASSERT_GE(dock.heard.size(), 3u);
  EXPECT_EQ(dock.app, "application://io.github.kelvane.Kelvane.desktop");
  EXPECT_LE(dock.heard.size(), 20u) << "more than a few a second";
  for (std::size_t i = 1; i < dock.heard.size(); ++i)
    EXPECT_GE(dock.heard[i].progress, dock.heard[i - 1].progress);
  EXPECT_EQ(dock.heard.front().progress, 0.0);
  EXPECT_TRUE(dock.heard.front().visible);
  EXPECT_DOUBLE_EQ(dock.heard.back().progress, 1.0);
  EXPECT_FALSE(dock.heard.back().visible);
}

// --- no desktop at all ---

TEST(NoDesktopTest, NewAndCheckRunAsWithout) {
  TempDir dir;
  Tfrm frm;
  frm.SetDesktopBuses("unix:path=" + QString::fromStdString(dir / "no-system-bus"),
                      "unix:path=" + QString::fromStdString(dir / "no-session-bus"));
  frm.show();
  User user(QMessageBox::Ok);
  dir.Write("src/a.txt", "abc");
  user.folders = {dir / "src", dir / "src"};
  Click(frm, "iNew");
  ASSERT_EQ(frm.session().project.Count(), 1);
  EXPECT_EQ(frm.session().project.Value(0), kAbc);
  Click(frm, "iCheck");
  ASSERT_EQ(user.boxes.size(), 1u);
  EXPECT_EQ(user.boxes[0].text.rfind("Error(s) found\t: 0\nCheksum valid\t: 1", 0), 0u)
      << user.boxes[0].text;
}

}  // namespace
}  // namespace kelvane

#include "DesktopRunTest.moc"
