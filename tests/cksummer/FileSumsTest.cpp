// GetFileSums: the CRC-32 and the SHA-256 of a file from one read, the same whether they are taken
// on one thread or, for a large file, side by side; and a read that stops or fails in the middle
// of a large one ends both.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <functional>
#include <random>
#include <string>

#include "cksummer/BlockSums.h"
#include "cksummer/DigestHasher.h"
#include "cksummer/FileChecksums.h"
#include "support/NamedRows.h"
#include "support/TempDir.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;
using test::TempDir;

struct Quiet : ProgressSink {
  void SetPosition(int) override {}
};

std::string PseudoRandom(std::size_t size, std::uint32_t seed) {
  std::mt19937 gen(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(gen() & 0xFFu);
  return bytes;
}

Digest WholeSha256(const std::string& bytes) {
  DigestHasher hasher(kSha256Type);
  hasher.Update(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  return hasher.Finish();
}

constexpr std::size_t kSideBySide = static_cast<std::size_t>(BlockSums::kSideBySideFrom);

struct SizeRow {
  const char* name;
  std::size_t size;
  std::size_t readSize;  // what each read returns at most; 0: a whole block
};
class FileSumsTest : public testing::TestWithParam<SizeRow> {};

TEST_P(FileSumsTest, OneReadGivesTheCrcAndTheSha256OfTheWhole) {
  TempDir dir;
  const std::string bytes =
      PseudoRandom(GetParam().size, static_cast<std::uint32_t>(GetParam().size));
  const std::string path = dir.Write("f", bytes);
  Quiet meter;
  const std::size_t most = GetParam().readSize;
  const CRC32ReadStep shortReads = [most](int fd, std::uint8_t* buffer, std::size_t count) {
    return ::read(fd, buffer, most ? std::min(count, most) : count);
  };

  const FileSums sums = GetFileSums(path, meter, shortReads, kSha256Type);

  EXPECT_EQ(sums.crc32, GetFileCRC32(path, meter));
  ASSERT_TRUE(sums.strong);
  EXPECT_EQ(DigestHex(*sums.strong), DigestHex(WholeSha256(bytes)));
  EXPECT_FALSE(GetFileSums(path, meter, {}, std::nullopt).strong)
      << "a SHA-256 that was not asked for";
}

INSTANTIATE_TEST_SUITE_P(Rows, FileSumsTest,
                         testing::Values(SizeRow{"Empty", 0, 0}, SizeRow{"OneByte", 1, 0},
                                         SizeRow{"OneBlock", kCRC32BufferSize, 0},
                                         SizeRow{"JustBelowSideBySide", kSideBySide - 1, 0},
                                         SizeRow{"SideBySide", kSideBySide, 0},
                                         SizeRow{"SideBySideWithAShortLastBlock",
                                                 kSideBySide + 3 * kCRC32BufferSize + 7, 0},
                                         SizeRow{"SideBySideInShortReads", kSideBySide + 12345,
                                                 4096}),
                         kelvane::test::RowName());

TEST(FileSumsTest, KnownSha256) {
  TempDir dir;
  Quiet meter;
  const FileSums sums = GetFileSums(dir.Write("abc", "abc"), meter, {}, kSha256Type);
  EXPECT_EQ(sums.crc32, 0xCADBBE3Du);
  EXPECT_EQ(DigestHex(*sums.strong),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

// STOP between two blocks, and a read error, in the middle of a file read side by side.
struct StopAfter : ProgressSink {
  int left;
  explicit StopAfter(int blocks) : left(blocks) {}
  void SetPosition(int) override {}
  bool StopBetweenBlocks() override { return --left < 0; }
};

TEST(FileSumsTest, StopOrAFailureInTheMiddleOfALargeFileEndsBothSums) {
  TempDir dir;
  const std::string path = dir.Write("big", PseudoRandom(2 * kSideBySide, 7));
  StopAfter stop(20);
  EXPECT_THROW(GetFileSums(path, stop, {}, kSha256Type), CRC32Abandoned);

  Quiet meter;
  int reads = 0;
  const CRC32ReadStep failing = [&reads](int fd, std::uint8_t* buffer, std::size_t count) {
    if (++reads == 30) {
      errno = EIO;
      return ssize_t{-1};
    }
    return ::read(fd, buffer, count);
  };
  try {
    GetFileSums(path, meter, failing, kSha256Type);
    ADD_FAILURE() << "the failed read went unnoticed";
  } catch (const CRC32Error& error) {
    EXPECT_EQ(error.Error(), EIO);
  }
}

}  // namespace
}  // namespace kelvane
