// kelvane-cli under the limits a user or a service manager sets: few descriptors, no threads to
// be had. Reading ahead must never fail a good file, and copies whose thread cannot start are
// checked in turn. Each run is a child of bash, which sets the limit (setrlimit) and starts it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/CliFixtures.h"
#include "cli/CliRunner.h"
#include "support/FakeDisc.h"
#include "support/NamedRows.h"
#include "support/TempDir.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;
using test::CliResult;
using test::FakeDisc;
using test::RunCli;
using test::TempDir;

// 300 small files in 10 folders, and their project.
void MakeManyFiles(const TempDir& dir) {
  for (int i = 0; i < 300; ++i)
    dir.Write("src/d" + std::to_string(i % 10) + "/f" + std::to_string(i), std::to_string(i));
  ASSERT_EQ(RunCli({"--no-inhibit", "new", dir / "src", dir / "p.cfg"}).status, 0);
}

struct DescriptorRow {
  const char* name;
  int limit;   // ulimit -n
  int copies;  // of the source, each a stand-in disc of its own (read side by side); 0: the source
};
class CliDescriptorLimitTest : public testing::TestWithParam<DescriptorRow> {};

TEST_P(CliDescriptorLimitTest, NeverFailsAGoodFile) {
  const DescriptorRow& row = GetParam();
  if (row.copies > 0) SKIP_WITHOUT(FakeDisc);
  TempDir dir;
  MakeManyFiles(dir);
  std::vector<std::unique_ptr<FakeDisc>> discs;
  std::vector<std::string> args = {"--no-inhibit", "check", dir / "p.cfg"};
  for (int i = 0; i < row.copies; ++i) {
    discs.push_back(std::make_unique<FakeDisc>(dir / "src"));
    args.push_back(discs.back()->MountPoint());
  }
  if (row.copies == 0) args.push_back(dir / "src");

  const CliResult run = test::RunCliAfter("ulimit -n " + std::to_string(row.limit), args);

  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(run.out.find("Too many open files"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Cheksum valid\t: 300\n"), std::string::npos) << run.out;
}

INSTANTIATE_TEST_SUITE_P(Rows, CliDescriptorLimitTest,
                         testing::Values(DescriptorRow{"OneCopyUnderTwentyFour", 24, 0},
                                         DescriptorRow{"ThreeCopiesSideBySideUnderThirtyTwo", 32,
                                                       3}),
                         kelvane::test::RowName());

// As an ordinary user only: root starts threads whatever the limit.
TEST(CliThreadLimitTest, CopiesWhoseThreadCannotStartAreCheckedInTurn) {
  if (test::IgnoresPermissions()) GTEST_SKIP() << "the limit on processes does not bind root";
  TempDir dir;
  MakeManyFiles(dir);
  // A second copy on another file system where there is one, so that it wants a thread.
  const std::string shm = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : dir.str();
  const TempDir other(shm);
  const std::string second = other / "copy";
  std::filesystem::copy(dir / "src", second, std::filesystem::copy_options::recursive);

  const CliResult run = test::RunCliAfter(
      "ulimit -u 1",
      {"--no-inhibit", "check", "--report", dir / "r.json", dir / "p.cfg", dir / "src", second});

  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_NE(run.out.find(dir / "src" + ": exact\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find(second + ": exact\n"), std::string::npos) << run.out;
  EXPECT_EQ(test::Outcomes(dir.Read("r.json")), std::vector<std::string>(600, "valid"));
}

// New learns that its project cannot be written before it reads the source.
TEST(CliNewTargetTest, ProjectThatCannotBeWrittenFailsBeforeAnyRead) {
  SKIP_WITHOUT(FakeDisc);
  TempDir dir;
  dir.Write("src/a.txt", "abc");
  FakeDisc source(dir / "src", {.log = true});
  const CliResult run = RunCli({"--no-inhibit", "new", source.MountPoint(), dir / "no/p.cfg"});
  EXPECT_EQ(run.status, 74);
  EXPECT_EQ(run.err, "kelvane-cli: Cannot create file \"" + dir / "no/p.cfg" +
                         "\". No such file or directory\n");
  for (const FakeDisc::Event& event : source.Events())
    EXPECT_NE(event.what, "open") << event.file << " was opened";
}

}  // namespace
}  // namespace kelvane
