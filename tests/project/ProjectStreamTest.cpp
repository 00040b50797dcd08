// Tests of reading a project file as a stream: lines cut between pieces, a file refused after its
// first block, and a project larger than memory allows.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "project/ProjectFile.h"
#include "project/ValueEntry.h"
#include "support/NamedRows.h"
#include "support/TempDir.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;
using test::TempDir;

std::vector<std::string> Pieces(std::string_view text, std::size_t cut) {
  std::vector<std::string> lines;
  LineSplitter splitter;
  const auto emit = [&lines](std::string_view line) { lines.emplace_back(line); };
  splitter.Feed(text.substr(0, cut), false, emit);
  splitter.Feed(text.substr(cut), true, emit);
  return lines;
}

TEST(LineSplitterTest, AnyCutBetweenPiecesGivesTheLinesOfTheWhole) {
  // Every kind of line end, a CR LF and a CR CR LF among them, and a last line without an end.
  const std::string text = "[Kelvane]\r\nx\ry\n\r\n\r\r\nlast";
  const std::vector<std::string_view> whole = SplitLines(text);
  const std::vector<std::string> expected(whole.begin(), whole.end());
  for (std::size_t cut = 0; cut <= text.size(); ++cut)
    EXPECT_EQ(Pieces(text, cut), expected) << "cut at " << cut;
}

// Bytes this process has read so far, as the kernel counts them.
long long BytesRead() {
  std::ifstream io("/proc/self/io");
  std::string key;
  long long value = 0;
  while (io >> key >> value)
    if (key == "rchar:") return value;
  return -1;
}

class StreamedOpenTest : public testing::Test {
 protected:
  void SetUp() override {
    project.SetSourceFolder("/kept/");
    project.Replace({"KEPT.TXT"}, {MakeValueEntry(7, 0)});
  }
  void ExpectUnchanged() {
    EXPECT_EQ(project.SourceFolder(), "/kept/");
    ASSERT_EQ(project.Count(), 1);
    EXPECT_EQ(project.Entry(0), "KEPT.TXT");
  }
  TempDir dir;
  Project project;
};

TEST_F(StreamedOpenTest, ImageWithoutTheHeaderIsRefusedAfterItsFirstBlock) {
  // 5 GB of zeros, sparse: a disc image picked by mistake.
  const std::string path = dir.Write("image.iso", "");
  ASSERT_EQ(::truncate(path.c_str(), 5'000'000'000), 0);
  project.SetConfigPath(path);
  const long long before = BytesRead();
  ASSERT_GE(before, 0);
  try {
    ReadProject(project);
    ADD_FAILURE() << "no error";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "Invalid Config File");
  }
  EXPECT_LT(BytesRead() - before, 4 << 20);
  ExpectUnchanged();
}

TEST_F(StreamedOpenTest, ProjectOfManyBlocksReadsAsWritten) {
  Project big;
  std::vector<std::string> entries, values;
  for (int i = 0; i < 200'000; ++i) {
    entries.push_back("DATA\\FOLDER" + std::to_string(i % 97) + "\\FILE" + std::to_string(i));
    values.push_back(MakeValueEntry(static_cast<std::uint32_t>(i) * 2654435761u, 0));
  }
  big.Replace(entries, values);
  big.SetSourceFolder("/src/");
  big.SetConfigPath(dir / "big.cfg");
  WriteProject(big);
  project.SetConfigPath(dir / "big.cfg");
  ReadProject(project);
  ASSERT_EQ(project.Count(), static_cast<int>(entries.size()));
  for (int i = 0; i < project.Count(); ++i)
    ASSERT_EQ(project.Entry(i), entries[static_cast<std::size_t>(i)]) << "entry " << i;
  EXPECT_EQ(project.Values(), values);
  EXPECT_EQ(project.SourceFolder(), "/src/");
}

// Under a limit of 128 MiB of memory, 256 MiB that the file could make the reader hold: refused
// as an invalid project, the model untouched. A line longer than a path is refused at once, with
// its number, whatever memory there is; many short lines fill memory until it runs out.
struct HugeRow {
  const char* name;
  std::string line;  // written again and again after the header lines, 256 MiB in all
  const char* message;
};
class HugeProjectTest : public testing::TestWithParam<HugeRow> {};

TEST_P(HugeProjectTest, IsAnInvalidConfigFile) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit leaves";
#else
  TempDir dir;
  Project project;
  project.Replace({"old.txt"}, {MakeValueEntry(1, 0)});
  const std::string path = dir.Write("huge.cfg", "[Kelvane]\r\nx\r\n/s/\r\n1\r\n");
  {
    std::ofstream out(path, std::ios::app | std::ios::binary);
    std::string block;
    while (block.size() < (1u << 20)) block += GetParam().line;
    for (int i = 0; i < 256; ++i) out << block;
  }
  project.SetConfigPath(path);
  // In a child, so that the limit does not reach the rest of the tests.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const rlimit limit{128u << 20, 128u << 20};
    ::setrlimit(RLIMIT_AS, &limit);
    int code = 1;
    try {
      ReadProject(project);
    } catch (const std::runtime_error& error) {
      code = std::string(error.what()) == GetParam().message && project.Count() == 1 ? 0 : 2;
    } catch (...) {
      code = 3;
    }
    ::_exit(code);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: loaded, 2: another error, 3: not a runtime_error";
#endif
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HugeProjectTest,
    testing::Values(
        HugeRow{"OneLine", "A",
                "Invalid Config File\rLine 5 is longer than a path can be (4095 bytes)"},
        HugeRow{"ShortLines", "CADBBE3D000000001\r\n", "Invalid Config File"}),
    kelvane::test::RowName());

}  // namespace
}  // namespace kelvane
