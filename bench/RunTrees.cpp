// The benchmark's trees: sizes and contents from a fixed seed, so every machine measures the same.
#include "bench/RunTrees.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

namespace kelvane::bench {

namespace fs = std::filesystem;

std::vector<TreeShape> DefaultTrees() {
  return {{"20k-files-1-8KiB", 200, 20000, 1024, 8192},
          {"200k-files-0-1KiB", 1000, 200000, 0, 1024},
          {"100k-files-0-2KiB", 500, 100000, 0, 2048},
          {"one-1GiB-file", 0, 1, std::int64_t{1} << 30, std::int64_t{1} << 30}};
}

std::string MakeTree(const std::string& base, const TreeShape& shape) {
  const fs::path root = fs::path(base) / shape.name;
  // Written last: a tree whose making was cut short is made again.
  const fs::path done = fs::path(base) / (shape.name + ".done");
  if (fs::exists(done)) return root.string();
  fs::remove_all(root);
  fs::create_directories(root);
  std::mt19937_64 random(20261210);
  std::uniform_int_distribution<std::int64_t> size(shape.minBytes, shape.maxBytes);
  std::vector<char> bytes(std::size_t{1} << 20);
  for (char& b : bytes) b = static_cast<char>(random());
  for (int i = 0; i < shape.files; ++i) {
    fs::path folder = root;
    if (shape.folders > 0) {
      folder /= "d" + std::to_string(i % shape.folders);
      fs::create_directories(folder);
    }
    std::ofstream out(folder / ("f" + std::to_string(i) + ".bin"), std::ios::binary);
    // Each file starts at another place of the random block, so that no two are alike.
    std::int64_t left = size(random);
    std::size_t at = static_cast<std::size_t>(i) * 7919 % (bytes.size() / 2);
    while (left > 0) {
      const std::int64_t chunk = std::min<std::int64_t>(left, bytes.size() - at);
      out.write(bytes.data() + at, chunk);
      left -= chunk;
      at = 0;
    }
  }
  std::ofstream(done).put('\n');
  return root.string();
}

}  // namespace kelvane::bench
