// A file whose size changes while GetFileCRC32 reads it, changed on cue by the stand-in disc in
// the middle of the read: its sum would be of neither version, so it cannot be read.
#include <gtest/gtest.h>

#include <string>

#include "cksummer/FileChecksums.h"
#include "support/FakeDisc.h"
#include "support/NamedRows.h"
#include "support/TempDir.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;
using test::FakeDisc;
using test::TempDir;

class NoMeter : public ProgressSink {
 public:
  void SetPosition(int) override {}
};

struct ChangeRow {
  const char* name;
  std::uint64_t newSize;
};
class ChangingFileTest : public testing::TestWithParam<ChangeRow> {};

TEST_P(ChangingFileTest, FailsLikeAnUnreadableFile) {
  if (const auto why = FakeDisc::Unavailable()) GTEST_SKIP() << "no stand-in disc: " << *why;
  TempDir dir;
  dir.Write("src/big.bin", std::string(1 << 20, 'x'));
  // The third block of 65530 bytes finds the file cut down or grown.
  FakeDisc disc(dir / "src", {.resizes = {{"big.bin", 2 * kCRC32BufferSize, GetParam().newSize}}});
  NoMeter meter;
  try {
    GetFileCRC32(disc / "big.bin", meter);
    ADD_FAILURE() << "read as if nothing had changed";
  } catch (const CRC32Error& error) {
    EXPECT_EQ(std::string(error.what()), "Error while getting CRC32\rFile: " + disc / "big.bin");
    EXPECT_EQ(error.Reason(), kChangedWhileRead);
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, ChangingFileTest,
                         testing::Values(ChangeRow{"Truncated", 3 * kCRC32BufferSize / 2},
                                         ChangeRow{"TruncatedToNothing", 0},
                                         ChangeRow{"Grown", 5u << 20}),
                         kelvane::test::RowName());

}  // namespace
}  // namespace kelvane
