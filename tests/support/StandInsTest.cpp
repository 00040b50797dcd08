// Tests of the stand-ins themselves: the FUSE disc and the udisks2 on a private bus.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "FakeDisc.h"
#include "FakeUdisks2.h"
#include "TempDir.h"

namespace kelvane::test {
namespace {

// Bytes that differ from offset to offset, so that a misplaced read shows.
std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  uint32_t x = 2463534242u;
  for (auto& c : bytes) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    c = static_cast<char>(x);
  }
  return bytes;
}

#define SKIP_WITHOUT_FAKE_DISC()          \
  if (auto why = FakeDisc::Unavailable()) \
    GTEST_SKIP() << *why;                 \
  else                                    \
    (void)0

// Reads a whole file with read(2); the errno of the first failure, 0 if none.
int ReadAll(const std::string& path, std::string& out, size_t chunk = 64 * 1024) {
  out.clear();
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  std::string buffer(chunk, '\0');
  int error = 0;
  for (;;) {
    const ssize_t got = read(fd, buffer.data(), buffer.size());
    if (got < 0) {
      error = errno;
      break;
    }
    if (got == 0) break;
    out.append(buffer.data(), static_cast<size_t>(got));
  }
  close(fd);
  return error;
}

TEST(FakeDiscTest, ServesTheFolderReadOnly) {
  SKIP_WITHOUT_FAKE_DISC();
  TempDir source;
  const std::string big = Pattern(300000);
  source.Write("big.bin", big);
  source.Write("sub/a.txt", "hello\n");
  FakeDisc disc(source.str());

  std::string got;
  EXPECT_EQ(ReadAll(disc / "big.bin", got), 0);
  EXPECT_TRUE(got == big) << "read " << got.size() << " bytes";
  EXPECT_EQ(ReadAll(disc / "sub/a.txt", got), 0);
  EXPECT_EQ(got, "hello\n");

  struct stat st {};
  ASSERT_EQ(stat((disc / "big.bin").c_str(), &st), 0);
  EXPECT_EQ(st.st_size, 300000);
  ASSERT_EQ(stat((disc / "sub").c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));

  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(disc.MountPoint())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"big.bin", "sub"}));

  errno = 0;
  EXPECT_LT(open((disc / "big.bin").c_str(), O_WRONLY), 0);
  EXPECT_EQ(errno, EROFS);
  errno = 0;
  EXPECT_LT(open((disc / "new.txt").c_str(), O_WRONLY | O_CREAT, 0644), 0);
  EXPECT_EQ(errno, EROFS);
  errno = 0;
  EXPECT_NE(mkdir((disc / "d").c_str(), 0755), 0);
  EXPECT_EQ(errno, EROFS);
}

TEST(FakeDiscTest, UnmountsAndRemovesItsMountPointWhenDestroyed) {
  SKIP_WITHOUT_FAKE_DISC();
  TempDir source;
  source.Write("a.txt", "a");
  std::string mountPoint;
  {
    FakeDisc disc(source.str());
    mountPoint = disc.MountPoint();
    EXPECT_TRUE(FakeDisc::IsMounted(mountPoint));
  }
  EXPECT_FALSE(FakeDisc::IsMounted(mountPoint));
  EXPECT_FALSE(std::filesystem::exists(mountPoint));
}

TEST(FakeDiscTest, UnmountsEvenWithAFileStillOpen) {
  SKIP_WITHOUT_FAKE_DISC();
  TempDir source;
  source.Write("a.txt", "a");
  std::string mountPoint;
  int fd = -1;
  {
    FakeDisc disc(source.str());
    mountPoint = disc.MountPoint();
    fd = open((disc / "a.txt").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
  }
  EXPECT_FALSE(FakeDisc::IsMounted(mountPoint));
  close(fd);
}

TEST(FakeDiscTest, SaysWhyItDidNotMount) {
  SKIP_WITHOUT_FAKE_DISC();
  TempDir parent;
  try {
    FakeDisc disc(parent / "missing");
    ADD_FAILURE() << "mounted a folder that does not exist";
  } catch (const std::runtime_error& e) {
    const std::string what = e.what();
    EXPECT_NE(what.find("exited with status 2 before mounting"), std::string::npos) << what;
    EXPECT_NE(what.find("missing is not a folder"), std::string::npos) << what;
  }
}

TEST(FakeDiscTest, ScratchFailsWithEioOnlyWhereItIs) {
  SKIP_WITHOUT_FAKE_DISC();
  TempDir source;
  const std::string big = Pattern(300000);
  source.Write("sub/big.bin", big);
  FakeDisc disc(source.str(), {.scratches = {{"sub/big.bin", 200000}}});

  const int fd = open((disc / "sub/big.bin").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  std::string buffer(4096, '\0');
  EXPECT_EQ(pread(fd, buffer.data(), buffer.size(), 196608 - 4096), 4096);
  EXPECT_EQ(buffer, big.substr(196608 - 4096, 4096));
  errno = 0;
  EXPECT_EQ(pread(fd, buffer.data(), buffer.size(), 196608 + 2048), -1);
  EXPECT_EQ(errno, EIO);
  EXPECT_EQ(pread(fd, buffer.data(), buffer.size(), 200001), 4096);
  close(fd);

  std::string got;
  EXPECT_EQ(ReadAll(disc / "sub/big.bin", got), EIO);
  EXPECT_EQ(got.size(), 196608u) << "three 64 KiB reads come before the scratch";
  EXPECT_TRUE(got == big.substr(0, got.size()));
}

TEST(FakeDiscTest, PullMakesEverythingFailWithEnodev) {
  SKIP_WITHOUT_FAKE_DISC();
  TempDir source;
  source.Write("a.txt", "hello");
  source.Write("sub/b.txt", "b");
  FakeDisc disc(source.str());
  const int fd = open((disc / "a.txt").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);

  disc.Pull();

  char c;
  errno = 0;
  EXPECT_EQ(read(fd, &c, 1), -1);
  EXPECT_EQ(errno, ENODEV);
  close(fd);
  errno = 0;
  EXPECT_LT(open((disc / "sub/b.txt").c_str(), O_RDONLY), 0);
  EXPECT_EQ(errno, ENODEV);
  struct stat st {};
  errno = 0;
  EXPECT_NE(stat((disc / "a.txt").c_str(), &st), 0);
  EXPECT_EQ(errno, ENODEV);
  errno = 0;
  DIR* dir = opendir(disc.MountPoint().c_str());
  EXPECT_EQ(dir, nullptr);
  EXPECT_EQ(errno, ENODEV);
  if (dir) closedir(dir);
}

TEST(FakeDiscTest, PullAfterBytesServesExactlyThatMany) {
  SKIP_WITHOUT_FAKE_DISC();
  TempDir source;
  const std::string big = Pattern(300000);
  source.Write("big.bin", big);
  source.Write("other.txt", "x");
  FakeDisc disc(source.str(), {.pullAfterBytes = 100000, .pullErrno = EIO});

  std::string got;
  EXPECT_EQ(ReadAll(disc / "big.bin", got), EIO);
  EXPECT_EQ(got.size(), 100000u);
  EXPECT_TRUE(got == big.substr(0, 100000));
  EXPECT_EQ(ReadAll(disc / "other.txt", got), EIO);
}

TEST(FakeDiscTest, SlowReadsTakeTheirTime) {
  SKIP_WITHOUT_FAKE_DISC();
  TempDir source;
  source.Write("big.bin", Pattern(4 * 64 * 1024));
  FakeDisc disc(source.str(), {.slowMs = 50});
  std::string got;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ReadAll(disc / "big.bin", got), 0);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(got.size(), 4u * 64 * 1024);
  EXPECT_GE(elapsed, std::chrono::milliseconds(200));
}

TEST(FakeDiscTest, PullEndsASlowReadAtOnce) {
  SKIP_WITHOUT_FAKE_DISC();
  TempDir source;
  source.Write("big.bin", Pattern(64 * 1024));
  FakeDisc disc(source.str(), {.slowMs = 20000});
  const auto start = std::chrono::steady_clock::now();
  std::thread puller([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    disc.Pull();
  });
  std::string got;
  EXPECT_EQ(ReadAll(disc / "big.bin", got), ENODEV);
  puller.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// udisks2 through gdbus, so that this test needs no Qt.
class FakeUdisks2Test : public ::testing::Test {
 protected:
  void SetUp() override {
    if (auto why = FakeUdisks2::Unavailable()) GTEST_SKIP() << *why;
    gdbus_ = FindProgram("gdbus");
    if (!gdbus_) GTEST_SKIP() << "gdbus is not installed";
  }
  std::pair<int, std::string> Gdbus(const FakeUdisks2& udisks, const std::string& object,
                                    const std::string& method, std::vector<std::string> args = {}) {
    std::vector<std::string> argv = {*gdbus_,         "call",
                                     "--address",     udisks.Address(),
                                     "--dest",        "org.freedesktop.UDisks2",
                                     "--object-path", object,
                                     "--method",      method};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunToEnd(argv);
  }
  std::optional<std::string> gdbus_;
};

TEST_F(FakeUdisks2Test, ListsDrivesAndBlocksAsUdisks2Does) {
  FakeUdisks2 udisks(
      {{.name = "Fake_DVD", .device = "/dev/sr1", .mountPoints = {"/media/user/DISC 1"}},
       {.name = "Empty", .device = "/dev/sr2", .filesystem = false}});
  const auto [code, out] = Gdbus(udisks, "/org/freedesktop/UDisks2",
                                 "org.freedesktop.DBus.ObjectManager.GetManagedObjects");
  ASSERT_EQ(code, 0) << out;
  EXPECT_NE(
      out.find(
          "'/org/freedesktop/UDisks2/drives/Fake_DVD': {'org.freedesktop.UDisks2.Drive': {'Id': "
          "<'Fake_DVD'>"),
      std::string::npos)
      << out;
  EXPECT_NE(out.find("'Ejectable': <true>, 'MediaRemovable': <true>"), std::string::npos) << out;
  // gdbus writes a NUL-terminated byte array as b'...': the trailing NUL is there.
  EXPECT_NE(
      out.find("'/org/freedesktop/UDisks2/block_devices/sr1': {'org.freedesktop.UDisks2.Block': "
               "{'Device': "
               "<b'/dev/sr1'>, 'PreferredDevice': <b'/dev/sr1'>, 'Symlinks': <@aay []>, 'Drive': "
               "<objectpath '/org/freedesktop/UDisks2/drives/Fake_DVD'>"),
      std::string::npos)
      << out;
  EXPECT_NE(
      out.find("'org.freedesktop.UDisks2.Filesystem': {'MountPoints': <[b'/media/user/DISC 1']>}"),
      std::string::npos)
      << out;
  const auto sr2 = out.find("'/org/freedesktop/UDisks2/block_devices/sr2'");
  ASSERT_NE(sr2, std::string::npos) << out;
  EXPECT_EQ(out.find("Filesystem", sr2), std::string::npos) << "sr2 has no file system: " << out;

  const auto [getCode, device] =
      Gdbus(udisks, FakeUdisks2::BlockPath("/dev/sr1"), "org.freedesktop.DBus.Properties.Get",
            {"org.freedesktop.UDisks2.Block", "Device"});
  EXPECT_EQ(getCode, 0) << device;
  EXPECT_EQ(device, "(<b'/dev/sr1'>,)\n");
  EXPECT_TRUE(udisks.Calls().empty());
}

TEST_F(FakeUdisks2Test, RecordsUnmountAndEjectInOrder) {
  FakeUdisks2 udisks(
      {{.name = "Fake_DVD", .device = "/dev/sr1", .mountPoints = {"/media/user/DISC"}}});
  const std::string block = FakeUdisks2::BlockPath("/dev/sr1");
  const std::string drive = FakeUdisks2::DrivePath("Fake_DVD");

  auto [code, out] = Gdbus(udisks, block, "org.freedesktop.UDisks2.Filesystem.Unmount",
                           {"{'auth.no_user_interaction': <true>}"});
  EXPECT_EQ(code, 0) << out;
  std::tie(code, out) = Gdbus(udisks, block, "org.freedesktop.DBus.Properties.Get",
                              {"org.freedesktop.UDisks2.Filesystem", "MountPoints"});
  EXPECT_EQ(out, "(<@aay []>,)\n");
  std::tie(code, out) = Gdbus(udisks, drive, "org.freedesktop.UDisks2.Drive.Eject", {"{}"});
  EXPECT_EQ(code, 0) << out;

  EXPECT_EQ(udisks.Calls(), (std::vector<std::string>{"Unmount " + block, "Eject " + drive}));
  const auto log = udisks.CallLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].optionKeys, (std::vector<std::string>{"auth.no_user_interaction"}));
  EXPECT_TRUE(log[1].optionKeys.empty());
}

TEST_F(FakeUdisks2Test, AnswersTheErrorAskedFor) {
  FakeUdisks2 udisks(
      {{.name = "Fake_DVD",
        .device = "/dev/sr1",
        .mountPoints = {"/media/user/DISC"},
        .unmountError = FakeUdisks2::Error{"org.freedesktop.UDisks2.Error.DeviceBusy",
                                           "Error unmounting /dev/sr1: target is busy", 1},
        .ejectError = FakeUdisks2::Error{"org.freedesktop.UDisks2.Error.Failed", "No tray"}}});
  const std::string block = FakeUdisks2::BlockPath("/dev/sr1");

  auto [code, out] = Gdbus(udisks, block, "org.freedesktop.UDisks2.Filesystem.Unmount", {"{}"});
  EXPECT_NE(code, 0);
  EXPECT_NE(
      out.find(
          "org.freedesktop.UDisks2.Error.DeviceBusy: Error unmounting /dev/sr1: target is busy"),
      std::string::npos)
      << out;
  std::tie(code, out) = Gdbus(udisks, block, "org.freedesktop.UDisks2.Filesystem.Unmount", {"{}"});
  EXPECT_EQ(code, 0) << "only the first Unmount fails: " << out;
  std::tie(code, out) = Gdbus(udisks, FakeUdisks2::DrivePath("Fake_DVD"),
                              "org.freedesktop.UDisks2.Drive.Eject", {"{}"});
  EXPECT_NE(code, 0);
  EXPECT_NE(out.find("org.freedesktop.UDisks2.Error.Failed: No tray"), std::string::npos) << out;

  EXPECT_EQ(udisks.Calls().size(), 3u) << "failed calls are recorded too";
}

TEST_F(FakeUdisks2Test, StopsItsBusWhenDestroyed) {
  std::string address;
  {
    FakeUdisks2 udisks({});
    address = udisks.Address();
  }
  const auto [code, out] = RunToEnd(
      {*gdbus_, "call", "--address", address, "--dest", "org.freedesktop.DBus", "--object-path",
       "/org/freedesktop/DBus", "--method", "org.freedesktop.DBus.GetId"});
  EXPECT_NE(code, 0) << out;
}

}  // namespace
}  // namespace kelvane::test
