// The tray move on device files that are not a drive: which candidate is used, the errors, RAII.
#include "drive/Tray.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/NamedRows.h"
#include "support/TempDir.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;

using test::TempDir;

TEST(TrayCandidatesTest, ConfiguredDeviceAloneElseCdromThenSr0) {
  EXPECT_EQ(TrayCandidates("/dev/sr1"), std::vector<std::string>{"/dev/sr1"});
  EXPECT_EQ(TrayCandidates(""), (std::vector<std::string>{"/dev/cdrom", "/dev/sr0"}));
}

// A fixture folder with one of each kind of device path that is not a drive.
class TrayFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("regular", "not a drive");
    dir_.MakeDir("folder");
    ASSERT_EQ(mkfifo((dir_ / "fifo").c_str(), 0600), 0);
  }
  std::string Path(const std::string& kind) const {
    if (kind == "notdir") return dir_ / "regular/x";  // ENOTDIR, even for root
    return dir_ / kind;                               // "missing" is never created
  }
  TempDir dir_;
};

struct MoveCase {
  const char* name;
  std::vector<std::string> candidates;  // kinds, resolved in the fixture folder
  int expected;                         // errno
};

// Short names in the test listing instead of the rows' bytes.
class TrayMoveTest : public TrayFixture, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(TrayMoveTest, FailsWithTheErrnoOfTheRightCandidate) {
  std::vector<std::string> candidates;
  for (const auto& kind : GetParam().candidates) candidates.push_back(Path(kind));
  for (TTrayMove move : {TTrayMove::tmOpen, TTrayMove::tmClose}) {
    SCOPED_TRACE(move == TTrayMove::tmOpen ? "open" : "close");
    try {
      MoveTray(candidates, move);
      ADD_FAILURE() << "no error";
    } catch (const TrayError& e) {
      EXPECT_EQ(e.code, GetParam().expected);
      EXPECT_STREQ(e.what(), std::strerror(GetParam().expected));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Devices, TrayMoveTest,
    ::testing::Values(MoveCase{"Missing", {"missing"}, ENOENT},
                      MoveCase{"AllMissing", {"missing", "missing"}, ENOENT},
                      MoveCase{"RegularFile", {"regular"}, ENOTTY},
                      MoveCase{"Folder", {"folder"}, ENOTTY},
                      MoveCase{"FifoDoesNotBlock", {"fifo"}, ENOTTY},
                      MoveCase{"FallsBackPastMissing", {"missing", "regular"}, ENOTTY},
                      MoveCase{"FirstExistingIsTheDevice", {"regular", "missing"}, ENOTTY},
                      MoveCase{"NoFallbackOnOtherOpenErrors", {"notdir", "regular"}, ENOTDIR}),
    kelvane::test::RowName());

int OpenDescriptors() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
    ++count;
  return count;
}

TEST_F(TrayFixture, FailedMoveClosesTheDevice) {
  const int before = OpenDescriptors();
  for (int i = 0; i < 20; ++i)
    EXPECT_THROW(MoveTray({Path("regular")}, TTrayMove::tmOpen), TrayError);
  EXPECT_EQ(OpenDescriptors(), before);
}

}  // namespace
}  // namespace kelvane
