// CHECK through the real window against a stand-in disc (a FUSE file system) that is scratched,
// pulled out, or as slow as an optical drive, and AutoEject through a stand-in udisks2.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QProgressBar>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/FakeDisc.h"
#include "support/FakeUdisks2.h"
#include "support/PickingWindow.h"
#include "support/SummaryText.h"
#include "support/TempDir.h"
#include "support/User.h"

namespace kelvane {
namespace {

using test::FakeDisc;
using test::FakeUdisks2;
using test::PickingWindow;
using test::TempDir;
using test::User;
using S = TCheckState;

#define SKIP_WITHOUT(part) \
  if (const auto missing = part::Unavailable()) GTEST_SKIP() << *missing

std::string Summary(int errors, int checked, int total) {
  return test::SummaryText(errors, checked, total, "\n");
}

// A distribution of files of 200 KB (four read blocks each), its project made by New on the
// source, and a window ready to check a copy of it.
struct Distribution {
  explicit Distribution(int files) {
    for (int i = 0; i < files; ++i)
      dir.Write("source/f" + std::to_string(10 + i),
                std::string(200000, static_cast<char>('a' + i)));
    frm.folder = dir / "source";
    frm.show();
    User quiet(QMessageBox::Ok);
    frm.findChild<QAbstractButton*>("iNew")->click();
  }
  // The disc as a real one in an optical drive: read one file at a time.
  void InOpticalDrive(const FakeDisc& disc) {
    disc.PutInOpticalDrive(dir / "proc");
    frm.session().ProcRoot = dir / "proc";
  }
  void Check(const std::string& copy) {
    frm.folder = copy;
    frm.findChild<QAbstractButton*>("iCheck")->click();
  }
  std::vector<S> States() {
    std::vector<S> states;
    for (int i = 0; i < frm.session().project.Count(); ++i)
      states.push_back(frm.session().project.State(i));
    return states;
  }
  TempDir dir;
  PickingWindow frm;
};

TEST(DiscEndToEnd, AScratchedFileIsAskedAboutAndCountedTheOthersAreValid) {
  SKIP_WITHOUT(FakeDisc);
  Distribution dist(3);
  FakeDisc disc(dist.dir / "source", {.scratches = {{"f11", 150000}}});
  User watcher(QMessageBox::Yes);
  dist.Check(disc.MountPoint());
  ASSERT_EQ(watcher.boxes.size(), 2u);
  EXPECT_EQ(watcher.boxes[0].caption, "Error while Getting CRC-32");
  EXPECT_EQ(watcher.boxes[0].text, "File: " + disc / "f11" + "\nDo you want to continue?");
  EXPECT_EQ(watcher.boxes[1].text, Summary(1, 3, 3));
  EXPECT_EQ(dist.States(), (std::vector<S>{S::cbChecked, S::cbGrayed, S::cbChecked}));
}

TEST(DiscEndToEnd, ADiscPulledOutFailsEveryRemainingEntryWithoutHanging) {
  SKIP_WITHOUT(FakeDisc);
  Distribution dist(5);
  // Out in the middle of the third file.
  FakeDisc disc(dist.dir / "source", {.pullAfterBytes = 2 * 200000 + 100000});
  dist.InOpticalDrive(disc);
  User watcher(QMessageBox::Yes);
  dist.Check(disc.MountPoint());
  ASSERT_EQ(watcher.boxes.size(), 4u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(watcher.boxes[i].caption, "Error while Getting CRC-32");
  EXPECT_EQ(watcher.boxes[3].text, Summary(3, 5, 5));
  EXPECT_EQ(dist.States(),
            (std::vector<S>{S::cbChecked, S::cbChecked, S::cbGrayed, S::cbGrayed, S::cbGrayed}));
}

// Slow reads: the meter moves while one file is read, and STOP or QUIT pressed meanwhile ends
// the run within a block of that file, which is not counted.
class DiscMidFile : public testing::TestWithParam<const char*> {};

TEST_P(DiscMidFile, StopOrQuitEndsTheRunWithinABlock) {
  SKIP_WITHOUT(FakeDisc);
  TempDir dir;
  constexpr std::uint64_t kBig = 1 << 22;  // 64 blocks of 64 KiB, 10 ms each
  dir.Write("source/big", std::string(kBig, 'x'));
  dir.Write("source/small", "abc");
  PickingWindow frm;
  frm.folder = dir / "source";
  frm.show();
  {
    User quiet(QMessageBox::Ok);
    frm.findChild<QAbstractButton*>("iNew")->click();
  }
  FakeDisc disc(dir / "source", {.slowMs = 10, .log = true});
  auto* meter = frm.findChild<QProgressBar*>("meter");
  auto* button = frm.findChild<QAbstractButton*>(GetParam());
  std::set<int> shown;
  bool shownPressed = false;
  QObject::connect(meter, &QProgressBar::valueChanged, [&](int value) {
    if (value <= 0 || value >= 100) return;
    shown.insert(value);
    if (shown.size() == 3)
      // The user presses the button; the click waits until the run handles events.
      QMetaObject::invokeMethod(button, "click", Qt::QueuedConnection);
    if (shown.size() > 3 && std::string(GetParam()) == "STOP") shownPressed = button->isDown();
  });
  User watcher(QMessageBox::Ok);
  frm.folder = disc.MountPoint();
  frm.findChild<QAbstractButton*>("iCheck")->click();

  EXPECT_GE(shown.size(), 3u) << "the meter stood still while the file was read";
  std::uint64_t read = 0;
  for (const FakeDisc::Event& event : disc.Events())
    if (event.what == "read" && event.file == "big")
      read = std::max(read, event.offset + event.size);
  EXPECT_LT(read, kBig / 2) << "the file was read on after the press";
  if (std::string(GetParam()) == "STOP") {
    ASSERT_EQ(watcher.boxes.size(), 1u);
    // "big" was read but stopped before its comparison: not counted; "small" never reached.
    EXPECT_EQ(watcher.boxes[0].text, Summary(0, 0, 2));
    EXPECT_EQ(frm.session().project.State(0), S::cbUnchecked);
    EXPECT_FALSE(button->isDown());
  } else {
    EXPECT_TRUE(watcher.boxes.empty());
    EXPECT_FALSE(frm.isVisible());
  }
}

INSTANTIATE_TEST_SUITE_P(Buttons, DiscMidFile, testing::Values("STOP", "QUIT"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param);
                         });

// The most files the disc had open at once, from its log's opens and closes.
int MostOpenAtOnce(const FakeDisc& disc) {
  int open = 0;
  int most = 0;
  for (const FakeDisc::Event& event : disc.Events()) {
    if (event.what == "open") most = std::max(most, ++open);
    if (event.what == "close") --open;
  }
  return most;
}

// On an optical drive the files are read strictly one after the other: the head would jump.
TEST(DiscEndToEnd, AnOpticalDiscIsReadOneFileAtATime) {
  SKIP_WITHOUT(FakeDisc);
  Distribution dist(6);
  FakeDisc disc(dist.dir / "source", {.log = true});
  dist.InOpticalDrive(disc);
  User watcher(QMessageBox::Ok);
  dist.Check(disc.MountPoint());
  ASSERT_EQ(watcher.boxes.size(), 1u);
  EXPECT_EQ(watcher.boxes[0].text, Summary(0, 6, 6));
  EXPECT_EQ(MostOpenAtOnce(disc), 1);
  const std::vector<FakeDisc::Event> events = disc.Events();
  EXPECT_EQ(std::count_if(events.begin(), events.end(),
                          [](const FakeDisc::Event& e) { return e.what == "open"; }),
            6);
}

// Elsewhere the next files are read while one is handled: several are open at once, and the run
// ends as one read one at a time would.
TEST(DiscEndToEnd, ADiscNotInAnOpticalDriveHasReadsInFlight) {
  SKIP_WITHOUT(FakeDisc);
  Distribution dist(12);
  FakeDisc disc(dist.dir / "source", {.slowMs = 2, .log = true});
  User watcher(QMessageBox::Ok);
  dist.Check(disc.MountPoint());
  ASSERT_EQ(watcher.boxes.size(), 1u);
  EXPECT_EQ(watcher.boxes[0].text, Summary(0, 12, 12));
  EXPECT_GT(MostOpenAtOnce(disc), 1) << "one file at a time";
}

// Elsewhere the next files are read while one is handled; a disc pulled out meanwhile still
// fails every entry from there on, in order, and nothing hangs.
TEST(DiscEndToEnd, ADiscPulledOutWhileReadsAreInFlightFailsEveryRemainingEntry) {
  SKIP_WITHOUT(FakeDisc);
  Distribution dist(12);
  FakeDisc disc(dist.dir / "source", {.pullAfterBytes = 3 * 200000 + 100000});
  User watcher(QMessageBox::Yes);
  dist.Check(disc.MountPoint());
  const std::vector<S> states = dist.States();
  const auto firstFailed = std::find(states.begin(), states.end(), S::cbGrayed);
  ASSERT_NE(firstFailed, states.end());
  EXPECT_EQ(std::count(firstFailed, states.end(), S::cbGrayed), states.end() - firstFailed);
  const int failed = static_cast<int>(states.end() - firstFailed);
  ASSERT_EQ(watcher.boxes.size(), static_cast<std::size_t>(failed) + 1);
  EXPECT_EQ(watcher.boxes.back().text, Summary(failed, 12, 12));
}

// QUIT with reads in flight: once the window has gone, no reader thread of the run and no file
// it opened is left (counted in /proc/self).
TEST(DiscEndToEnd, QuitWithReadsInFlightLeavesNoReaderNorFile) {
  SKIP_WITHOUT(FakeDisc);
  const auto count = [](const char* folder) {
    return std::distance(std::filesystem::directory_iterator(folder),
                         std::filesystem::directory_iterator());
  };
  Distribution dist(40);
  FakeDisc disc(dist.dir / "source", {.slowMs = 2});
  const auto threads = count("/proc/self/task");
  const auto files = count("/proc/self/fd");
  bool pressed = false;
  User watcher(QMessageBox::Yes, 0);
  watcher.meanwhile = [&] {
    if (pressed || dist.frm.session().project.State(3) != S::cbChecked) return;
    pressed = true;
    dist.frm.findChild<QAbstractButton*>("QUIT")->click();
  };
  dist.Check(disc.MountPoint());
  ASSERT_TRUE(pressed);
  EXPECT_FALSE(dist.frm.isVisible());
  EXPECT_EQ(count("/proc/self/task"), threads);
  EXPECT_EQ(count("/proc/self/fd"), files);
}

// A reader ahead waits on a read that never returns (a hung share): STOP still ends the run, with
// its summary, and the reader goes as soon as the read returns.
TEST(DiscEndToEnd, StopWhileAReaderHangsEndsTheRun) {
  SKIP_WITHOUT(FakeDisc);
  const auto threads = [] {
    return std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                         std::filesystem::directory_iterator());
  };
  Distribution dist(6);
  FakeDisc disc(dist.dir / "source", {.log = true, .hangs = {"f13"}});
  const auto before = threads();
  bool pressed = false;
  User watcher(QMessageBox::Yes);
  watcher.meanwhile = [&] {
    // The run at f13, whose reader has begun the read that hangs.
    if (pressed || dist.frm.session().texts.Text(TLabel::Status3) != "4/6") return;
    const std::vector<FakeDisc::Event> events = disc.Events();
    if (std::none_of(events.begin(), events.end(), [](const FakeDisc::Event& event) {
          return event.what == "read" && event.file == "f13";
        }))
      return;
    pressed = true;
    QMetaObject::invokeMethod(dist.frm.findChild<QAbstractButton*>("STOP"), "click",
                              Qt::QueuedConnection);
  };
  dist.Check(disc.MountPoint());

  ASSERT_TRUE(pressed);
  ASSERT_EQ(watcher.boxes.size(), 1u);
  EXPECT_EQ(watcher.boxes[0].text, Summary(0, 3, 6));
  EXPECT_EQ(dist.States(), (std::vector<S>{S::cbChecked, S::cbChecked, S::cbChecked, S::cbUnchecked,
                                           S::cbUnchecked, S::cbUnchecked}));
  disc.Pull();
  for (int wait = 0; wait < 500 && threads() != before; ++wait)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(threads(), before) << "a reader was left once its read returned";
}

// AutoEject after a run on a copy that lies on an optical drive (mountinfo, faked, says the FUSE
// mount comes from /dev/sr1): udisks2 unmounts it, then ejects the drive.
class DiscAutoEject : public testing::TestWithParam<bool> {};

TEST_P(DiscAutoEject, UnmountsThenEjectsTheDriveOrShowsItsError) {
  SKIP_WITHOUT(FakeDisc);
  SKIP_WITHOUT(FakeUdisks2);
  const bool fails = GetParam();
  Distribution dist(2);
  FakeDisc disc(dist.dir / "source", {});
  dist.InOpticalDrive(disc);
  std::optional<FakeUdisks2::Error> error;
  if (fails) error = FakeUdisks2::Error{"org.freedesktop.UDisks2.Error.Failed", "Error ejecting"};
  FakeUdisks2 udisks({{.name = "Fake_DVD",
                       .device = "/dev/sr1",
                       .mountPoints = {disc.MountPoint()},
                       .ejectError = error}});
  dist.frm.SetTrayBus(QString::fromStdString(udisks.Address()));
  dist.frm.findChild<QCheckBox*>("AutoEject")->setChecked(true);
  User watcher(QMessageBox::Ok);
  dist.Check(disc.MountPoint());
  EXPECT_TRUE(dist.frm.findChild<QCheckBox*>("AutoEject")->isChecked());  // an optical drive
  EXPECT_EQ(udisks.Calls(),
            (std::vector<std::string>{"Unmount /org/freedesktop/UDisks2/block_devices/sr1",
                                      "Eject /org/freedesktop/UDisks2/drives/Fake_DVD"}));
  ASSERT_EQ(watcher.boxes.size(), fails ? 2u : 1u);
  EXPECT_EQ(watcher.boxes[0].text, Summary(0, 2, 2));
  if (fails) {
    EXPECT_EQ(watcher.boxes[1].text,
              "Error no: 0000DB05\norg.freedesktop.UDisks2.Error.Failed: Error ejecting");
  }
}

INSTANTIATE_TEST_SUITE_P(Answers, DiscAutoEject, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                           return info.param ? "UdisksAnswersAnError" : "UdisksEjects";
                         });

}  // namespace
}  // namespace kelvane
