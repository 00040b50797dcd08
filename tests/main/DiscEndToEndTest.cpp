// CHECK through the real window against a stand-in disc (a FUSE file system) that is scratched,
// pulled out, or as slow as an optical drive, and AutoEject through a stand-in udisks2.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QProgressBar>
#include <set>
#include <string>
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
  User watcher(QMessageBox::Yes);
  dist.Check(disc.MountPoint());
  ASSERT_EQ(watcher.boxes.size(), 4u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(watcher.boxes[i].caption, "Error while Getting CRC-32");
  EXPECT_EQ(watcher.boxes[3].text, Summary(3, 5, 5));
  EXPECT_EQ(dist.States(),
            (std::vector<S>{S::cbChecked, S::cbChecked, S::cbGrayed, S::cbGrayed, S::cbGrayed}));
}

// Slow reads: the meter moves while one file is read (nothing is pumped then), and STOP pressed
// meanwhile ends the run at its next poll, before the next file.
TEST(DiscEndToEnd, SlowReadsMoveTheMeterDuringAFileAndStopEndsTheRun) {
  SKIP_WITHOUT(FakeDisc);
  TempDir dir;
  dir.Write("source/big", std::string(1 << 21, 'x'));  // 32 blocks of 64 KiB, 10 ms each
  dir.Write("source/small", "abc");
  PickingWindow frm;
  frm.folder = dir / "source";
  frm.show();
  {
    User quiet(QMessageBox::Ok);
    frm.findChild<QAbstractButton*>("iNew")->click();
  }
  FakeDisc disc(dir / "source", {.slowMs = 10});
  auto* meter = frm.findChild<QProgressBar*>("meter");
  std::set<int> shown;
  QObject::connect(meter, &QProgressBar::valueChanged, [&](int value) {
    if (value <= 0 || value >= 100) return;
    shown.insert(value);
    if (shown.size() == 3)
      // The user presses STOP; the click waits until the run handles events.
      QMetaObject::invokeMethod(frm.findChild<QAbstractButton*>("STOP"), "click",
                                Qt::QueuedConnection);
  });
  User watcher(QMessageBox::Ok);
  frm.folder = disc.MountPoint();
  frm.findChild<QAbstractButton*>("iCheck")->click();
  EXPECT_GE(shown.size(), 3u) << "the meter stood still while the file was read";
  ASSERT_EQ(watcher.boxes.size(), 1u);
  // "big" was read but stopped before its comparison: not counted; "small" never reached.
  EXPECT_EQ(watcher.boxes[0].text, Summary(0, 0, 2));
  EXPECT_EQ(frm.session().project.State(1), S::cbUnchecked);
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
  dist.dir.Write("proc/self/mountinfo",
                 "40 1 11:1 / " + disc.MountPoint() + " ro - iso9660 /dev/sr1 ro\n");
  std::optional<FakeUdisks2::Error> error;
  if (fails) error = FakeUdisks2::Error{"org.freedesktop.UDisks2.Error.Failed", "Error ejecting"};
  FakeUdisks2 udisks({{.name = "Fake_DVD",
                       .device = "/dev/sr1",
                       .mountPoints = {disc.MountPoint()},
                       .ejectError = error}});
  dist.frm.session().ProcRoot = dist.dir / "proc";
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
