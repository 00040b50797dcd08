// Load, Eject and MciNotify against a scripted window and device files that are not a drive.
#include "commands/TrayCommands.h"

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/FakeShell.h"
#include "support/NamedRows.h"
#include "support/TempDir.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;

using test::FakeShell;
using test::TempDir;

constexpr char kNoSuchFile[] = "Error no: 00000002\rNo such file or directory";
constexpr char kNotATray[] = "Error no: 00000019\rInappropriate ioctl for device";

using Click = void (*)(Session&, Shell&);

struct ClickCase {
  const char* name;
  Click click;
  bool deviceExists;  // a regular file, else a path that does not exist
  const char* expected;
};

// Short names in the test listing instead of the rows' bytes.
class TrayClickTest : public ::testing::TestWithParam<ClickCase> {};

TEST_P(TrayClickTest, StopsTheRunAndShowsOneErrorBox) {
  TempDir dir;
  Session session;
  session.TrayDevice =
      GetParam().deviceExists ? dir.Write("device", "not a drive") : dir / "device";
  session.CheckPerformed = true;
  FakeShell shell;
  shell.autoEject = true;

  GetParam().click(session, shell);

  // The stop must not depend on the device: a run is stopped even when the tray cannot move.
  EXPECT_TRUE(session.StopRequested);
  EXPECT_EQ(shell.messages, std::vector<std::string>{GetParam().expected});
  // Nothing else changes.
  EXPECT_TRUE(session.CheckPerformed);
  EXPECT_TRUE(shell.autoEject);
  EXPECT_EQ(shell.checkClicks, 0);
  EXPECT_EQ(shell.ejectClicks, 0);
  EXPECT_TRUE(shell.questions.empty());
}

INSTANTIATE_TEST_SUITE_P(Devices, TrayClickTest,
                         ::testing::Values(ClickCase{"LoadMissing", loadClick, false, kNoSuchFile},
                                           ClickCase{"EjectMissing", ejectClick, false,
                                                     kNoSuchFile},
                                           ClickCase{"LoadNotATray", loadClick, true, kNotATray},
                                           ClickCase{"EjectNotATray", ejectClick, true, kNotATray}),
                         kelvane::test::RowName());

// On a machine without an optical drive the default devices give the ENOENT box, never a hang.
TEST(TrayClickDefaultDeviceTest, NoDriveGivesNoSuchFile) {
  std::error_code ec;
  if (std::filesystem::exists("/dev/cdrom", ec) || std::filesystem::exists("/dev/sr0", ec))
    GTEST_SKIP() << "this machine has an optical drive; its tray is not to be moved by a test";
  for (Click click : {loadClick, ejectClick}) {
    Session session;
    FakeShell shell;
    click(session, shell);
    EXPECT_TRUE(session.StopRequested);
    EXPECT_EQ(shell.messages, std::vector<std::string>{kNoSuchFile});
  }
}

struct NotifyCase {
  const char* name;
  int wParam;
  bool checkPerformed;
  bool autoEjectBefore;
  int checkClicks;
  bool autoEjectAfter;
};

class TrayMciNotifyTest : public ::testing::TestWithParam<NotifyCase> {};

TEST_P(TrayMciNotifyTest, StartsARunUnticksOrDoesNothing) {
  const NotifyCase& c = GetParam();
  Session session;
  session.CheckPerformed = c.checkPerformed;
  FakeShell shell;
  shell.autoEject = c.autoEjectBefore;

  MciNotify(session, shell, c.wParam);

  EXPECT_EQ(shell.checkClicks, c.checkClicks);
  EXPECT_EQ(shell.autoEject, c.autoEjectAfter);
  EXPECT_EQ(session.CheckPerformed, c.checkPerformed);
  EXPECT_FALSE(session.StopRequested);
  EXPECT_EQ(shell.ejectClicks, 0);
  EXPECT_TRUE(shell.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Flags, TrayMciNotifyTest,
    ::testing::Values(
        NotifyCase{"SuccessAfterRunWithAutoEjectStartsCheck", mnSuccessful, true, true, 1, true},
        NotifyCase{"SuccessWithoutRunUnticksAutoEject", mnSuccessful, false, true, 0, false},
        NotifyCase{"SuccessWithAutoEjectUntickedKeepsItUnticked", mnSuccessful, true, false, 0,
                   false},
        // The rows below would untick AutoEject if they were taken for a success.
        NotifyCase{"SupersededDoesNothing", mnSuperseded, false, true, 0, true},
        NotifyCase{"AbortedDoesNothing", mnAborted, false, true, 0, true},
        NotifyCase{"FailureDoesNothing", mnFailure, false, true, 0, true},
        NotifyCase{"FailureAfterRunDoesNothing", mnFailure, true, true, 0, true},
        NotifyCase{"UnknownFlagDoesNothing", 3, false, true, 0, true}),
    kelvane::test::RowName());

}  // namespace
}  // namespace kelvane

namespace kelvane {
namespace {

// The tray that moves is the one of the drive that holds the copy last checked.
TEST(TrayDevicesTest, TheOpticalDriveOfCheckRootElseTheConfiguredOrDefaultOnes) {
  TempDir dir;
  dir.MakeDir("media/DISC/data");
  dir.Write("proc/self/mountinfo", "30 1 11:1 / " + (dir / "media/DISC") +
                                       " ro - iso9660 /dev/sr1 ro\n"
                                       "31 1 8:1 / / rw - ext4 /dev/sda1 rw\n");
  Session session;
  session.ProcRoot = dir / "proc";
  session.SysRoot = dir / "sys";
  session.CheckRoot = dir / "media/DISC/data";
  EXPECT_EQ(TrayDevices(session), std::vector<std::string>{"/dev/sr1"});
  session.TrayDevice = "/dev/sr7";  // the drive that holds the copy wins
  EXPECT_EQ(TrayDevices(session), std::vector<std::string>{"/dev/sr1"});
  session.CheckRoot = dir / "elsewhere";
  EXPECT_EQ(TrayDevices(session), std::vector<std::string>{"/dev/sr7"});
  session.TrayDevice.clear();
  EXPECT_EQ(TrayDevices(session), (std::vector<std::string>{"/dev/cdrom", "/dev/sr0"}));
}

}  // namespace
}  // namespace kelvane
