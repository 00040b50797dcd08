// The fast CRC-32 routines against the byte-wise reference, each one forced where the CPU has it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "cksummer/CRC32.h"
#include "cksummer/CRC32Fast.h"
#include "support/NamedRows.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;

#if defined(__SANITIZE_ADDRESS__) || !defined(__OPTIMIZE__)
constexpr bool kSlowBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSlowBuild = true;
#else
constexpr bool kSlowBuild = false;
#endif
#else
constexpr bool kSlowBuild = false;
#endif

// Sanitized or unoptimized builds run the big comparison on less data to stay quick.
constexpr std::size_t kBigSize = kSlowBuild ? (std::size_t{8} << 20) : (std::size_t{64} << 20);

std::uint32_t Reference(const std::uint8_t* p, std::size_t n, std::uint32_t reg) {
  UpdateCRC32Bytewise(p, n, reg);
  return reg;
}

std::vector<std::uint8_t> RandomBytes(std::size_t n, std::mt19937_64& rng) {
  std::vector<std::uint8_t> bytes(n);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
  return bytes;
}

// Rewrites bytes so that each step, with the given chance, looks up entry 0 of the table:
// such a byte equals the low byte of the register before it.
void SeedEntry0Steps(std::uint8_t* p, std::size_t n, std::uint32_t reg, double chance,
                     std::mt19937_64& rng) {
  std::bernoulli_distribution hit(chance);
  for (std::size_t i = 0; i < n; ++i) {
    if (hit(rng)) p[i] = static_cast<std::uint8_t>(reg);
    reg = CRC32Table[(reg ^ p[i]) & 0xFFu] ^ (reg >> 8);
  }
}

// Rewrites the bytes at the given positions (in increasing order) so that their steps look up
// entry 0; the other bytes stay as they are.
void ForceEntry0At(std::uint8_t* p, std::size_t n, std::uint32_t reg,
                   const std::vector<std::size_t>& positions) {
  std::size_t next = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (next < positions.size() && positions[next] == i) {
      p[i] = static_cast<std::uint8_t>(reg);
      ++next;
    }
    reg = CRC32Table[(reg ^ p[i]) & 0xFFu] ^ (reg >> 8);
  }
}

// A row: a routine forced by name, or the dispatching entry point.
struct Routine {
  std::string name;
  bool dispatch;
  CRC32Path path;
};

class CRC32FastTest : public testing::TestWithParam<Routine> {
 protected:
  void SetUp() override {
    if (!GetParam().dispatch && !CRC32PathAvailable(GetParam().path)) {
      GTEST_SKIP() << GetParam().name << " is not available on this CPU";
    }
  }
  std::uint32_t Run(const std::uint8_t* p, std::size_t n, std::uint32_t reg) const {
    if (GetParam().dispatch) {
      UpdateCRC32(p, n, reg);
    } else {
      UpdateCRC32With(GetParam().path, p, n, reg);
    }
    return reg;
  }
};

TEST_P(CRC32FastTest, EveryShortLengthAtEveryAlignment) {
  std::mt19937_64 rng(12345);
  // Random bytes take entry 0 about once in 256 steps; the dense rows take it once in 4.
  for (double entry0Chance : {0.0, 0.25}) {
    std::vector<std::uint8_t> buffer = RandomBytes(64 + 300, rng);
    for (std::size_t align = 0; align < 64; ++align) {
      for (std::size_t length = 0; length <= 300; ++length) {
        const auto start = static_cast<std::uint32_t>(rng());
        std::uint8_t* p = buffer.data() + align;
        if (entry0Chance > 0) SeedEntry0Steps(p, length, start, entry0Chance, rng);
        ASSERT_EQ(Run(p, length, start), Reference(p, length, start))
            << "length " << length << ", alignment " << align << ", start " << std::hex << start
            << ", entry-0 chance " << entry0Chance;
      }
    }
  }
}

TEST_P(CRC32FastTest, LargeRandomBufferInRandomSlices) {
  std::mt19937_64 rng(67890);
  const std::vector<std::uint8_t> buffer = RandomBytes(kBigSize, rng);
  std::uniform_int_distribution<std::size_t> sliceLength(0, 200000);
  std::uint32_t fast = kCRC32Start;
  std::uint32_t reference = kCRC32Start;
  for (std::size_t offset = 0; offset < buffer.size();) {
    const std::size_t n = std::min(sliceLength(rng), buffer.size() - offset);
    fast = Run(buffer.data() + offset, n, fast);
    reference = Reference(buffer.data() + offset, n, reference);
    ASSERT_EQ(fast, reference) << "after the slice of " << n << " bytes at " << offset;
    offset += n;
  }
}

TEST_P(CRC32FastTest, UniformBuffers) {
  struct Case {
    const char* name;
    std::uint8_t fill;
    std::size_t size;
  };
  const Case cases[] = {
      {"zeros", 0x00, 1 << 20},   {"0xFF", 0xFF, 1 << 20}, {"zeros odd", 0x00, 100003},
      {"0xFF odd", 0xFF, 100003}, {"0x5A", 0x5A, 1 << 16},
  };
  std::mt19937_64 rng(4242);
  for (const Case& c : cases) {
    const std::vector<std::uint8_t> buffer(c.size, c.fill);
    for (std::uint32_t start : {kCRC32Start, 0u, static_cast<std::uint32_t>(rng())}) {
      EXPECT_EQ(Run(buffer.data(), buffer.size(), start),
                Reference(buffer.data(), buffer.size(), start))
          << c.name << ", start " << std::hex << start;
    }
  }
}

TEST_P(CRC32FastTest, EveryStepLooksUpEntry0) {
  std::mt19937_64 rng(777);
  for (std::size_t size : {std::size_t{1}, std::size_t{63}, std::size_t{64}, std::size_t{4099}}) {
    std::vector<std::uint8_t> buffer(size);
    SeedEntry0Steps(buffer.data(), size, kCRC32Start, 1.0, rng);
    EXPECT_EQ(Run(buffer.data(), size, kCRC32Start), Reference(buffer.data(), size, kCRC32Start))
        << size << " bytes";
  }
}

// The wide routines handle the first entry-0 step of a 64-byte block apart from the later ones,
// and each one changes every later step: every pair of positions in a block, with and without
// steps at the blocks' edges around it.
TEST_P(CRC32FastTest, Entry0StepsAtEveryPairOfPositionsInABlock) {
  std::mt19937_64 rng(31337);
  constexpr std::size_t kBlock = 64;
  const std::vector<std::uint8_t> random = RandomBytes(3 * kBlock + 5, rng);
  for (std::size_t a = 0; a < kBlock; ++a) {
    for (std::size_t b = a; b < kBlock; ++b) {
      for (bool edges : {false, true}) {
        std::vector<std::size_t> positions;
        if (edges) positions.push_back(kBlock - 1);
        positions.push_back(kBlock + a);
        if (b != a) positions.push_back(kBlock + b);
        if (edges) positions.push_back(2 * kBlock);
        std::vector<std::uint8_t> buffer = random;
        const auto start = static_cast<std::uint32_t>(rng());
        ForceEntry0At(buffer.data(), buffer.size(), start, positions);
        ASSERT_EQ(Run(buffer.data(), buffer.size(), start),
                  Reference(buffer.data(), buffer.size(), start))
            << "entry-0 steps at " << a << " and " << b << " of the second block, edges " << edges;
      }
    }
  }
}

TEST_P(CRC32FastTest, PublishedValues) {
  struct Case {
    std::string bytes;
    std::uint32_t crc;
  };
  const Case cases[] = {{"abc", 0xCADBBE3Du},
                        {"123456789", 0x340BC6D9u},
                        {"", 0xFFFFFFFFu},
                        {std::string(1, '\xFF'), 0x01DCADFEu}};
  for (const Case& c : cases) {
    EXPECT_EQ(
        Run(reinterpret_cast<const std::uint8_t*>(c.bytes.data()), c.bytes.size(), kCRC32Start),
        c.crc)
        << '"' << c.bytes << '"';
  }
}

INSTANTIATE_TEST_SUITE_P(Routines, CRC32FastTest,
                         testing::Values(Routine{"UpdateCRC32", true, CRC32Path::Bytewise},
                                         Routine{"Scalar", false, CRC32Path::Scalar},
                                         Routine{"Avx2", false, CRC32Path::Avx2},
                                         Routine{"Avx512Gfni", false, CRC32Path::Avx512Gfni}),
                         kelvane::test::RowName());

TEST(CRC32FastDispatchTest, BestPathIsAvailableAndUnavailablePathsRefuse) {
  EXPECT_TRUE(CRC32PathAvailable(BestCRC32Path()));
  EXPECT_NE(BestCRC32Path(), CRC32Path::Bytewise);
  const std::uint8_t byte = 0x61;
  for (CRC32Path path : kCRC32Paths) {
    std::uint32_t reg = kCRC32Start;
    if (CRC32PathAvailable(path)) {
      UpdateCRC32With(path, &byte, 1, reg);
      EXPECT_EQ(reg, Reference(&byte, 1, kCRC32Start)) << CRC32PathName(path);
    } else {
      EXPECT_THROW(UpdateCRC32With(path, &byte, 1, reg), std::logic_error) << CRC32PathName(path);
    }
  }
}

}  // namespace
}  // namespace kelvane
