// GetFileCRC32 and GetFileCheckSum19 on real files: vectors, meter positions, failures.
#include "cksummer/FileChecksums.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "support/NamedRows.h"
#include "support/TempDir.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;

using test::TempDir;

class RecordingSink : public ProgressSink {
 public:
  void SetPosition(int position) override { positions.push_back(position); }
  std::vector<int> positions;
};

// The legacy CRC straight from its definition, one bit at a time, sharing nothing with the
// engine's table: the reflected CRC-32 step, except that table index 0 yields 0x01235201.
std::uint32_t ReferenceCRC(const std::string& bytes) {
  std::uint32_t reg = 0xFFFFFFFFu;
  for (const unsigned char b : bytes) {
    const std::uint32_t index = (reg ^ b) & 0xFFu;
    std::uint32_t entry = index;
    for (int bit = 0; bit < 8; ++bit)
      entry = (entry & 1u) ? (entry >> 1) ^ 0xEDB88320u : entry >> 1;
    if (index == 0) entry = 0x01235201u;
    reg = entry ^ (reg >> 8);
  }
  return reg;
}

std::string PseudoRandom(std::size_t size, std::uint32_t seed) {
  std::mt19937 gen(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(gen() & 0xFFu);
  return bytes;
}

// --- CRC values ---

struct VectorRow {
  std::string name;
  std::string bytes;
  bool hasKnownValue;
  std::uint32_t knownValue;
};
// Rows print as their names, so that the test names CTest shows stay readable.
class GetFileCRC32Vector : public testing::TestWithParam<VectorRow> {};

TEST_P(GetFileCRC32Vector, MatchesReference) {
  const VectorRow& row = GetParam();
  TempDir dir;
  const std::string path = dir.Write("file.bin", row.bytes);
  RecordingSink meter;
  const std::uint32_t crc = GetFileCRC32(path, meter);
  EXPECT_EQ(crc, ReferenceCRC(row.bytes));
  if (row.hasKnownValue) {
    EXPECT_EQ(crc, row.knownValue);
  }
  ASSERT_FALSE(meter.positions.empty());
  EXPECT_EQ(meter.positions.back(), 100);
}

INSTANTIATE_TEST_SUITE_P(
    Vectors, GetFileCRC32Vector,
    testing::Values(VectorRow{"abc", "abc", true, 0xCADBBE3Du},
                    VectorRow{"Digits123456789", "123456789", true, 0x340BC6D9u},
                    VectorRow{"Empty", "", true, 0xFFFFFFFFu},
                    // Its one step looks up table entry 0: the published table would give 00FFFFFF.
                    VectorRow{"SingleByteFF", std::string(1, '\xFF'), true, 0x01DCADFEu},
                    VectorRow{"OneMegabyteRandom", PseudoRandom(1 << 20, 1), false, 0},
                    VectorRow{"OneBlockRandom", PseudoRandom(65530, 2), false, 0},
                    VectorRow{"OneBlockPlusOneRandom", PseudoRandom(65531, 3), false, 0},
                    VectorRow{"ThreeBlocksExactly", PseudoRandom(3 * 65530, 4), false, 0},
                    VectorRow{"ZerosAcrossBlocks", std::string(200000, '\0'), false, 0},
                    VectorRow{"OnesAcrossBlocks", std::string(70000, '\xFF'), false, 0}),
    kelvane::test::RowName());

TEST(GetFileCRC32, ReferenceIsTheComplementOfTheStandardCRCWhereEntryZeroIsNeverUsed) {
  // CBF43926 is the published CRC-32 check value of "123456789".
  EXPECT_EQ(ReferenceCRC("123456789"), ~0xCBF43926u);
}

TEST(GetFileCRC32, ReadsThroughASymbolicLinkToARegularFile) {
  TempDir dir;
  const std::string target = dir.Write("target.txt", "abc");
  ASSERT_EQ(::symlink(target.c_str(), (dir / "link").c_str()), 0);
  RecordingSink meter;
  EXPECT_EQ(GetFileCRC32(dir / "link", meter), 0xCADBBE3Du);
}

// --- the meter ---

struct ProgressRow {
  std::string name;
  std::size_t size;
  std::vector<int> expected;  // one position before every read (files over 100 bytes), then 100
};
class GetFileCRC32Progress : public testing::TestWithParam<ProgressRow> {};

TEST_P(GetFileCRC32Progress, MovesTheMeterBeforeEveryRead) {
  const ProgressRow& row = GetParam();
  TempDir dir;
  const std::string path = dir.Write("file.bin", std::string(row.size, 'x'));
  RecordingSink meter;
  GetFileCRC32(path, meter);
  EXPECT_EQ(meter.positions, row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, GetFileCRC32Progress,
    testing::Values(ProgressRow{"Empty", 0, {100}}, ProgressRow{"OneByte", 1, {100}},
                    ProgressRow{"HundredBytes", 100, {100}},
                    // 101 div 100 = 1, so the final position is the size itself: shown full.
                    ProgressRow{"HundredAndOneBytes", 101, {0, 101, 100}},
                    ProgressRow{"HundredFiftyBytes", 150, {0, 150, 100}},
                    ProgressRow{"TwoHundredBytes", 200, {0, 100, 100}},
                    // 65530 bytes take two reads (65530, then 0).
                    ProgressRow{"OneBlock", 65530, {0, 100, 100}},
                    // 65531 bytes take three (65530, 1, then 0).
                    ProgressRow{"OneBlockPlusOne", 65531, {0, 100, 100, 100}},
                    ProgressRow{"TwoBlocksPlusOne", 131061, {0, 50, 100, 100, 100}}),
    kelvane::test::RowName());

struct PositionRow {
  std::string name;
  std::int64_t position;
  std::int64_t size;
  int expected;
};
class CRC32ProgressArithmetic : public testing::TestWithParam<PositionRow> {};

TEST_P(CRC32ProgressArithmetic, DividesIn64Bits) {
  const PositionRow& row = GetParam();
  EXPECT_EQ(CRC32Progress(row.position, row.size), row.expected);
}

constexpr std::int64_t kGiB = std::int64_t{1} << 30;

INSTANTIATE_TEST_SUITE_P(
    Positions, CRC32ProgressArithmetic,
    testing::Values(PositionRow{"Start", 0, 150, 0}, PositionRow{"EndOfSmallFile", 150, 150, 150},
                    PositionRow{"HalfOfFiveGiB", 5 * kGiB / 2, 5 * kGiB, 50},
                    PositionRow{"EndOfFiveGiB", 5 * kGiB, 5 * kGiB, 100},
                    PositionRow{"PastFourGiBInAFileOfSixGiB", 4 * kGiB + 1, 6 * kGiB, 66},
                    // A file that grew while being read is shown full, never as a wrapped value.
                    PositionRow{"FileGrewFarPastItsSize", 64 * kGiB, 101, INT_MAX}),
    kelvane::test::RowName());

// --- reads that come back short, are interrupted or fail ---

// Passes reads to read(2) but hands out at most `chunk` bytes per call; fails with EIO once
// `failAfter` bytes have been handed out; fails every other call with EINTR when asked to.
struct ScriptedReader {
  std::size_t chunk = SIZE_MAX;
  std::size_t failAfter = SIZE_MAX;
  bool interruptEveryOtherCall = false;
  std::size_t handedOut = 0;
  int calls = 0;

  ssize_t operator()(int fd, std::uint8_t* buffer, std::size_t count) {
    ++calls;
    if (interruptEveryOtherCall && calls % 2 == 1) {
      errno = EINTR;
      return -1;
    }
    if (handedOut >= failAfter) {
      errno = EIO;
      return -1;
    }
    const std::size_t n = std::min({count, chunk, failAfter - handedOut});
    const ssize_t got = ::read(fd, buffer, n);
    if (got > 0) handedOut += static_cast<std::size_t>(got);
    return got;
  }
};

TEST(GetFileCRC32, ShortReadsDoNotEndTheFile) {
  TempDir dir;
  const std::string bytes = PseudoRandom(5000, 5);
  const std::string path = dir.Write("file.bin", bytes);
  ScriptedReader reader{.chunk = 1000};
  RecordingSink meter;
  EXPECT_EQ(GetFileCRC32(path, meter, std::ref(reader)), ReferenceCRC(bytes));
  EXPECT_EQ(meter.positions, (std::vector<int>{0, 20, 40, 60, 80, 100, 100}));
}

TEST(GetFileCRC32, InterruptedReadsAreRetried) {
  TempDir dir;
  const std::string bytes = PseudoRandom(150000, 6);
  const std::string path = dir.Write("file.bin", bytes);
  ScriptedReader reader{.interruptEveryOtherCall = true};
  RecordingSink meter;
  EXPECT_EQ(GetFileCRC32(path, meter, std::ref(reader)), ReferenceCRC(bytes));
  // Interruptions are invisible to the meter: one position per real read.
  EXPECT_EQ(meter.positions.size(), 5u);
}

TEST(GetFileCRC32, ReadFailingInMidFileRaisesTheErrorAndLeavesTheMeter) {
  TempDir dir;
  const std::string path = dir.Write("file.bin", PseudoRandom(200000, 7));
  ScriptedReader reader{.failAfter = 70000};
  RecordingSink meter;
  try {
    GetFileCRC32(path, meter, std::ref(reader));
    FAIL() << "no error raised";
  } catch (const CRC32Error& e) {
    EXPECT_EQ(std::string(e.what()), "Error while getting CRC32\rFile: " + path);
  }
  // Reads: 65530 bytes, then 4470 bytes, then the failure; the meter stays where it was.
  EXPECT_EQ(meter.positions, (std::vector<int>{0, 32, 35}));
}

// --- files that cannot be read ---

struct UnreadableRow {
  std::string name;
  // Makes the thing to read inside dir; returns its path as the caller would pass it.
  std::function<std::string(const TempDir&)> make;
  bool needsPermissionChecks;
  std::string reason;  // what Reason() tells
};
class GetFileCRC32Unreadable : public testing::TestWithParam<UnreadableRow> {};

TEST_P(GetFileCRC32Unreadable, RaisesTheErrorWithThePathAsPassed) {
  const UnreadableRow& row = GetParam();
  if (row.needsPermissionChecks && test::IgnoresPermissions())
    GTEST_SKIP() << "this process reads files whatever their permissions";
  TempDir dir;
  const std::string path = row.make(dir);
  RecordingSink meter;
  try {
    GetFileCRC32(path, meter);
    FAIL() << "no error raised";
  } catch (const CRC32Error& e) {
    EXPECT_EQ(std::string(e.what()), "Error while getting CRC32\rFile: " + path);
    EXPECT_EQ(e.Reason(), row.reason);
  }
  EXPECT_TRUE(meter.positions.empty());
  EXPECT_EQ(GetFileCheckSum19(path), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GetFileCRC32Unreadable,
    testing::Values(
        UnreadableRow{"MissingFile", [](const TempDir& d) { return d / "missing.txt"; }, false,
                      "No such file or directory"},
        UnreadableRow{"MissingFolder", [](const TempDir& d) { return d / "nowhere/a.txt"; }, false,
                      "No such file or directory"},
        UnreadableRow{"Folder", [](const TempDir& d) { return d.MakeDir("sub"); }, false,
                      kNotRegularFile},
        // A FIFO with no writer: the open must neither block nor read it.
        UnreadableRow{"Fifo",
                      [](const TempDir& d) {
                        const std::string p = d / "fifo";
                        if (::mkfifo(p.c_str(), 0600) != 0) throw std::runtime_error("mkfifo");
                        return p;
                      },
                      false, kNotRegularFile},
        UnreadableRow{"CharacterDevice", [](const TempDir&) { return std::string("/dev/null"); },
                      false, kNotRegularFile},
        UnreadableRow{"DanglingLink",
                      [](const TempDir& d) {
                        const std::string p = d / "dangling";
                        if (::symlink("nowhere", p.c_str()) != 0) throw std::runtime_error("ln");
                        return p;
                      },
                      false, "No such file or directory"},
        UnreadableRow{"FileUsedAsFolder",
                      [](const TempDir& d) {
                        d.Write("plain.txt", "x");
                        return d / "plain.txt/inner.txt";
                      },
                      false, "Not a directory"},
        UnreadableRow{"NoReadPermission",
                      [](const TempDir& d) {
                        const std::string p = d.Write("locked.txt", "secret");
                        ::chmod(p.c_str(), 0);
                        return p;
                      },
                      true, "Permission denied"},
        // Views of the kernel tell a size of 0 and then give bytes, and some never end
        // (/proc/kmsg blocks): reached through a link, they are not read at all.
        UnreadableRow{"LinkToAProcFile",
                      [](const TempDir& d) {
                        const std::string p = d / "version";
                        if (::symlink("/proc/version", p.c_str()) != 0)
                          throw std::runtime_error("ln");
                        return p;
                      },
                      false, kOnPseudoFileSystem},
        UnreadableRow{"SysfsFile",
                      [](const TempDir&) { return std::string("/sys/kernel/uevent_seqnum"); },
                      false, kOnPseudoFileSystem}),
    kelvane::test::RowName());

}  // namespace
}  // namespace kelvane
