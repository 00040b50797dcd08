// Throughput of the legacy CRC-32: each routine this CPU has, on 65530-byte blocks (the read
// buffer of GetFileCRC32) and on 256 MiB, and GetFileCRC32 on a 1 GiB file in the page cache.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "cksummer/CRC32.h"
#include "cksummer/CRC32Fast.h"
#include "cksummer/FileChecksums.h"
#include "cksummer/ProgressSink.h"

namespace {

using kelvane::CRC32Path;

const std::vector<std::uint8_t>& RandomBuffer(std::size_t size) {
  static std::vector<std::uint8_t> bytes;
  if (bytes.size() < size) {
    std::mt19937_64 rng(2026);
    bytes.resize(size);
    for (std::size_t i = 0; i + 8 <= size; i += 8) {
      const std::uint64_t v = rng();
      for (int k = 0; k < 8; ++k) bytes[i + k] = static_cast<std::uint8_t>(v >> (8 * k));
    }
  }
  return bytes;
}

void CRC32Throughput(benchmark::State& state, CRC32Path path, bool dispatch, std::size_t size) {
  const std::uint8_t* data = RandomBuffer(size).data();
  std::uint32_t reg = kelvane::kCRC32Start;
  for (auto _ : state) {
    if (dispatch) {
      kelvane::UpdateCRC32(data, size, reg);
    } else {
      kelvane::UpdateCRC32With(path, data, size, reg);
    }
    benchmark::DoNotOptimize(reg);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

class NoMeter : public kelvane::ProgressSink {
 public:
  void SetPosition(int position) override { benchmark::DoNotOptimize(position); }
};

// A 1 GiB file of random bytes in $TMPDIR (or /tmp), made once and kept for later runs.
std::string CachedFile() {
  constexpr std::uintmax_t kSize = std::uintmax_t{1} << 30;
  const char* dir = std::getenv("TMPDIR");
  const std::filesystem::path path =
      std::filesystem::path(dir && *dir ? dir : "/tmp") / "kelvane_bench_1GiB.bin";
  std::error_code ec;
  if (std::filesystem::file_size(path, ec) != kSize || ec) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const std::vector<std::uint8_t>& block = RandomBuffer(std::size_t{16} << 20);
    for (std::uintmax_t written = 0; written < kSize; written += block.size()) {
      out.write(reinterpret_cast<const char*>(block.data()),
                static_cast<std::streamsize>(block.size()));
    }
  }
  // Read it once so that the benchmark measures the page cache, not the disk.
  std::ifstream in(path, std::ios::binary);
  std::vector<char> chunk(std::size_t{1} << 20);
  while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()))) {
  }
  return path.string();
}

void FileCRC32(benchmark::State& state) {
  const std::string path = CachedFile();
  const auto size = static_cast<std::int64_t>(std::filesystem::file_size(path));
  NoMeter meter;
  for (auto _ : state) {
    benchmark::DoNotOptimize(kelvane::GetFileCRC32(path, meter));
  }
  state.SetBytesProcessed(state.iterations() * size);
}

// With --benchmark_repetitions, the best rate of the repetitions: on a shared machine the other
// load only ever slows a run down.
double Best(const std::vector<double>& values) {
  return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
}

void RegisterAll() {
  constexpr std::size_t kBlock = kelvane::kCRC32BufferSize;
  constexpr std::size_t kLarge = std::size_t{256} << 20;
  for (std::size_t size : {kBlock, kLarge}) {
    const std::string suffix = size == kBlock ? "/65530B" : "/256MiB";
    for (CRC32Path path : kelvane::kCRC32Paths) {
      if (!kelvane::CRC32PathAvailable(path)) continue;
      benchmark::RegisterBenchmark(
          ("CRC32/" + std::string(kelvane::CRC32PathName(path)) + suffix).c_str(), CRC32Throughput,
          path, false, size)
          ->Unit(benchmark::kMillisecond)
          ->ComputeStatistics("best", Best);
    }
    benchmark::RegisterBenchmark(("CRC32/UpdateCRC32" + suffix).c_str(), CRC32Throughput,
                                 CRC32Path::Bytewise, true, size)
        ->Unit(benchmark::kMillisecond)
        ->ComputeStatistics("best", Best);
  }
  benchmark::RegisterBenchmark("GetFileCRC32/1GiB", FileCRC32)
      ->Unit(benchmark::kMillisecond)
      ->ComputeStatistics("best", Best);
}

}  // namespace

int main(int argc, char** argv) {
  RegisterAll();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
