// IsOnOpticalDrive against fake /proc and /sys trees.
#include <gtest/gtest.h>

#include <filesystem>

#include "drive/DriveType.h"
#include "support/TempDir.h"

namespace kelvane {
namespace {

using test::TempDir;
namespace fs = std::filesystem;

// The paths asked about are below /kelvane-no-such-dir, which does not exist on the machine, so
// that following links on the real file system leaves them as they are.
constexpr char kMountInfo[] =
    "22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
    "25 22 0:22 / /proc rw,nosuid - proc proc rw\n"
    "30 22 11:0 / /kelvane-no-such-dir/cdrom ro,relatime shared:7 - iso9660 /dev/sr0 ro\n"
    "31 22 7:0 / /kelvane-no-such-dir/iso ro shared:8 - iso9660 /dev/loop0 ro\n"
    "32 22 8:33 / /kelvane-no-such-dir/usb\\040stick rw - vfat /dev/sdc1 rw\n"
    "33 22 8:16 / /kelvane-no-such-dir/usbdvd ro - udf /dev/sdb ro\n"
    "34 22 8:17 / /kelvane-no-such-dir/usbdvdpart ro - udf /dev/sdb1 ro\n"
    "35 22 11:1 / /kelvane-no-such-dir/linked ro - iso9660 /dev/cdrom1 ro\n"
    "36 30 0:40 / /kelvane-no-such-dir/cdrom/inner rw - tmpfs tmpfs rw\n"
    "37 22 8:2 / /kelvane-no-such-dir/stacked rw - ext4 /dev/sda2 rw\n"
    "38 37 11:0 / /kelvane-no-such-dir/stacked ro - iso9660 /dev/sr0 ro\n";

class DriveTypeTest : public testing::Test {
 protected:
  void SetUp() override {
    proc_.Write("self/mountinfo", kMountInfo);
    // sda: a disk (type 0); sdb: a USB DVD drive (type 5) with a partition sdb1; sr1 reached
    // only by its device number; loop0 has no SCSI device at all.
    Device("devices/sda", "0");
    Device("devices/sdb", "5");
    Partition("devices/sdb/sdb1");
    Device("devices/sdc", "0");
    Partition("devices/sdc/sdc1");
    Device("devices/sr1", "5");
    sys_.MakeDir("devices/loop0");
    Link("class/block/sda", "devices/sda");
    Link("class/block/sdb", "devices/sdb");
    Link("class/block/sdb1", "devices/sdb/sdb1");
    Link("class/block/sdc1", "devices/sdc/sdc1");
    Link("class/block/loop0", "devices/loop0");
    Link("dev/block/11:1", "devices/sr1");
    Link("dev/block/7:0", "devices/loop0");
  }

  void Device(const std::string& dir, const std::string& type) {
    sys_.Write(dir + "/device/type", type + "\n");
  }
  void Partition(const std::string& dir) { sys_.Write(dir + "/partition", "1\n"); }
  void Link(const std::string& from, const std::string& to) {
    fs::create_directories(fs::path(sys_ / from).parent_path());
    fs::create_directory_symlink(sys_ / to, sys_ / from);
  }

  bool Optical(const std::string& path) { return IsOnOpticalDrive(path, proc_.str(), sys_.str()); }

  TempDir proc_;
  TempDir sys_;
};

TEST_F(DriveTypeTest, AnswersByTheMountThatHoldsThePath) {
  const std::pair<const char*, bool> cases[] = {
      {"/kelvane-no-such-dir/cdrom", true},             // /dev/sr0
      {"/kelvane-no-such-dir/cdrom/", true},            // as a pick returns a root
      {"/kelvane-no-such-dir/cdrom/DATA/DISK1", true},  // a folder below the mount point
      {"/kelvane-no-such-dir/cdromx", false},           // a name prefix is not a path prefix
      {"/kelvane-no-such-dir/cdrom/inner/x", false},    // a tmpfs mounted over part of the disc
      {"/kelvane-no-such-dir/iso", false},              // a loop-mounted ISO image
      {"/kelvane-no-such-dir/usb stick/dist", false},   // \040 in mountinfo is a space
      {"/kelvane-no-such-dir/usbdvd/dist", true},       // SCSI type 5
      {"/kelvane-no-such-dir/usbdvdpart", true},        // a partition asks its disk
      {"/kelvane-no-such-dir/linked", true},            // source a link: by device number
      {"/kelvane-no-such-dir/stacked", true},           // the later of two mounts on one point
      {"/kelvane-no-such-dir/other", false},            // the root file system, a disk
      {"/kelvane-no-such-dir/cdrom/../iso", false},     // normalised before matching
      {"", false},
  };
  for (const auto& [path, optical] : cases) EXPECT_EQ(Optical(path), optical) << path;
}

TEST_F(DriveTypeTest, MissingOrBrokenMountInfoAnswersFalse) {
  EXPECT_FALSE(IsOnOpticalDrive("/kelvane-no-such-dir/cdrom", sys_ / "none", sys_.str()));
  proc_.Write("self/mountinfo", "garbage\n30 22 11:0 / /kelvane-no-such-dir/cdrom ro\n");
  EXPECT_FALSE(Optical("/kelvane-no-such-dir/cdrom"));
}

TEST(DriveTypeRealSystemTest, TheTemporaryFolderIsNotOnAnOpticalDrive) {
  TempDir dir;
  EXPECT_FALSE(IsOnOpticalDrive(dir.str()));
}

}  // namespace
}  // namespace kelvane
