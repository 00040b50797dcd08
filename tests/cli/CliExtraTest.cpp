// What --extra counts: never a path that an entry names (whatever is there), never the project
// nor the report when they lie in the copy; and what the look by case finds, inside the copy
// only.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "cli/CliRunner.h"
#include "support/NamedRows.h"
#include "support/TempDir.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;
using test::CliResult;
using test::RunCli;
using test::TempDir;
namespace fs = std::filesystem;

struct ExtraRow {
  const char* name;
  // Changes the copy (made with its project at copy/p.cfg) and gives the check's arguments.
  std::function<std::vector<std::string>(const TempDir&)> args;
  int status;
  const char* line;  // a line of stdout ("" for none); @ is the copy
};
class CliExtraTest : public testing::TestWithParam<ExtraRow> {};

TEST_P(CliExtraTest, CountsWhatNoEntryStandsFor) {
  TempDir dir;
  dir.Write("copy/a.txt", "abc");
  dir.Write("copy/etc/PASSWD", "x");
  ASSERT_EQ(RunCli({"new", dir / "copy", dir / "copy/p.cfg"}).status, 0);

  const CliResult run = RunCli(GetParam().args(dir));

  EXPECT_EQ(run.status, GetParam().status) << run.out << run.err;
  EXPECT_EQ(run.out.find("extra"), std::string::npos) << run.out;
  std::string line = GetParam().line;
  if (const auto at = line.find('@'); at != std::string::npos) line.replace(at, 1, dir / "copy");
  EXPECT_NE(run.out.find(line), std::string::npos) << run.out;
}

std::vector<std::string> Check(const TempDir& d) {
  return {"check", "--extra", d / "copy/p.cfg", d / "copy"};
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CliExtraTest,
    testing::Values(
        ExtraRow{"ItsOwnProjectInTheCopy", Check, 0, "Error(s) found\t: 0"},
        ExtraRow{"AFifoWhereAnEntryShouldBe",
                 [](const TempDir& d) {
                   fs::remove(d / "copy/a.txt");
                   ::mkfifo((d / "copy/a.txt").c_str(), 0644);
                   return Check(d);
                 },
                 2, "unreadable\ta.txt\t@/a.txt\tCADBBE3D\t-\tNot a regular file"},
        ExtraRow{"ALinkLoopWhereAnEntryShouldBe",
                 [](const TempDir& d) {
                   fs::remove(d / "copy/a.txt");
                   fs::create_symlink("a.txt", d / "copy/a.txt");
                   return Check(d);
                 },
                 2, "unreadable\ta.txt\t@/a.txt\tCADBBE3D\t-\tToo many levels of symbolic links"},
        // /etc holds passwd; the copy's etc, a link out of it, must not tell so.
        ExtraRow{"ALinkOutOfTheCopyTellsNothingOfWhatLiesThere",
                 [](const TempDir& d) {
                   fs::remove_all(d / "copy/etc");
                   fs::create_symlink("/etc", d / "copy/etc");
                   return Check(d);
                 },
                 2, "unreadable\tetc\\PASSWD\t@/etc/PASSWD\t"}),
    kelvane::test::RowName());

TEST(CliExtraReportTest, ReportOnADescriptorIntoTheCopyIsNoExtraFile) {
  TempDir dir;
  dir.Write("copy/a.txt", "abc");
  ASSERT_EQ(RunCli({"new", dir / "copy", dir / "p.cfg"}).status, 0);
  const FileDescriptor report(
      ::open((dir / "copy/r.json").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
  ASSERT_TRUE(report.IsOpen());
  test::ChildProcess child(
      test::CliArgv({"check", "--extra", "--report", "-", dir / "p.cfg", dir / "copy"}),
      test::ChildProcess::Options{report.Get()});
  ASSERT_TRUE(child.WaitExit(std::chrono::seconds(60)));
  EXPECT_EQ(child.ExitCode(), 0) << child.Output();
  EXPECT_NE(dir.Read("copy/r.json").find("\"extra\": []"), std::string::npos)
      << dir.Read("copy/r.json");
}

}  // namespace
}  // namespace kelvane
