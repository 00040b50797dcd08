// The trees that the whole-run benchmark measures: made once in a folder and kept for later runs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelvane::bench {

struct TreeShape {
  std::string name;       // the folder's name below the trees' folder, and the name printed
  int folders;            // files are spread evenly over this many folders (0: all in the root)
  int files;              // in all
  std::int64_t minBytes;  // each file's size is drawn evenly from minBytes to maxBytes
  std::int64_t maxBytes;
};

// 20,000 files of 1 to 8 KiB in 200 folders; 200,000 files of 0 to 1 KiB; 100,000 files of 0 to
// 2 KiB in 500 folders (a medium just inserted, when measured cold); one file of 1 GiB.
std::vector<TreeShape> DefaultTrees();

// The tree's root below base, made first if a finished copy is not there yet.
std::string MakeTree(const std::string& base, const TreeShape& shape);

}  // namespace kelvane::bench
