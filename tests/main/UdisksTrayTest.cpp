// Eject through a stand-in udisks2 on a private bus: Unmount before Eject, the one error box, and
// the ioctls where udisks2 cannot help.
#include "main/UdisksTray.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <string>
#include <vector>

#include "main/Tfrm.h"
#include "support/FakeUdisks2.h"
#include "support/TempDir.h"
#include "support/User.h"

namespace kelvane {
namespace {

using test::FakeUdisks2;

#define SKIP_WITHOUT_UDISKS_STAND_IN() \
  if (const auto missing = FakeUdisks2::Unavailable()) GTEST_SKIP() << *missing

const char kBlockSr1[] = "Unmount /org/freedesktop/UDisks2/block_devices/sr1";
const char kEjectDvd[] = "Eject /org/freedesktop/UDisks2/drives/Fake_DVD";

TEST(UdisksTray, UnmountsEveryMountedFileSystemOfTheDriveThenEjectsIt) {
  SKIP_WITHOUT_UDISKS_STAND_IN();
  FakeUdisks2 udisks({{.name = "Fake_DVD", .device = "/dev/sr1", .mountPoints = {"/media/u/DISC"}},
                      {.name = "Other", .device = "/dev/sr0", .mountPoints = {"/media/u/X"}}});
  UdisksTray tray(QString::fromStdString(udisks.Address()));
  tray.Move({"/dev/sr1"}, TTrayMove::tmOpen);
  EXPECT_EQ(udisks.Calls(), (std::vector<std::string>{kBlockSr1, kEjectDvd}));
}

TEST(UdisksTray, ADiscThatIsNotMountedIsEjectedAtOnce) {
  SKIP_WITHOUT_UDISKS_STAND_IN();
  FakeUdisks2 udisks({FakeUdisks2::Drive{.name = "Fake_DVD", .device = "/dev/sr1"}});
  UdisksTray tray(QString::fromStdString(udisks.Address()));
  tray.Move({"/dev/cdrom", "/dev/sr1"}, TTrayMove::tmOpen);
  EXPECT_EQ(udisks.Calls(), std::vector<std::string>{kEjectDvd});
}

// Without udisks2 (no bus to reach), or for a drive it does not know, the ioctls move the tray:
// here on a device that does not exist, which gives the system's error.
TEST(UdisksTray, FallsBackToTheIoctlsWhereUdisksCannotHelp) {
  test::TempDir dir;
  const std::string missing = dir / "sr9";
  for (const QString& address :
       {QString("unix:path=" + QString::fromStdString(dir / "no-bus")), QString()}) {
    UdisksTray tray(address);
    try {
      tray.Move({missing}, TTrayMove::tmOpen);
      ADD_FAILURE() << "no error";
    } catch (const TrayError& error) {
      EXPECT_EQ(error.code, ENOENT);
    }
  }
  SKIP_WITHOUT_UDISKS_STAND_IN();
  FakeUdisks2 udisks({FakeUdisks2::Drive{.name = "Fake_DVD", .device = "/dev/sr1"}});
  UdisksTray tray(QString::fromStdString(udisks.Address()));
  EXPECT_THROW(tray.Move({missing}, TTrayMove::tmOpen), TrayError);
  EXPECT_TRUE(udisks.Calls().empty());
}

// Eject pressed in the window after a copy on /dev/sr1 was checked; udisks2 refuses the unmount.
TEST(UdisksTray, AnErrorOfUdisksIsOneBoxAndNothingElse) {
  SKIP_WITHOUT_UDISKS_STAND_IN();
  test::TempDir dir;
  dir.MakeDir("DISC");
  dir.Write("proc/self/mountinfo", "30 1 11:1 / " + (dir / "DISC") + " ro - iso9660 /dev/sr1 ro\n");
  FakeUdisks2 udisks(
      {{.name = "Fake_DVD",
        .device = "/dev/sr1",
        .mountPoints = {dir / "DISC"},
        .unmountError = FakeUdisks2::Error{"org.freedesktop.UDisks2.Error.DeviceBusy",
                                           "Error unmounting /dev/sr1: target is busy"}}});
  Tfrm frm;
  frm.SetTrayBus(QString::fromStdString(udisks.Address()));
  frm.session().ProcRoot = dir / "proc";
  frm.session().CheckRoot = dir / "DISC";
  test::User watcher(QMessageBox::Ok);
  frm.findChild<QAbstractButton*>("Eject")->click();
  ASSERT_EQ(watcher.boxes.size(), 1u);
  EXPECT_EQ(watcher.boxes[0].caption, "Kelvane");
  EXPECT_EQ(watcher.boxes[0].text,
            "Error no: 0000DB05\norg.freedesktop.UDisks2.Error.DeviceBusy: Error unmounting "
            "/dev/sr1: target is busy");
  EXPECT_EQ(udisks.Calls(), std::vector<std::string>{kBlockSr1});  // no Eject after it
  EXPECT_TRUE(frm.session().StopRequested);
}

}  // namespace
}  // namespace kelvane
