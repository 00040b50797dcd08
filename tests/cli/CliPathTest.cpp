// Paths on kelvane-cli's command line compared as the kernel resolves them, never by their
// spelling: ".." after a link, a link to the source, a bind mount of the copy or of a folder in
// it. And where a report given as a descriptor goes: to that descriptor as it is.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "cli/CliFixtures.h"
#include "cli/CliRunner.h"
#include "project/ProjectFile.h"
#include "support/NamedRows.h"
#include "support/TempDir.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;
using test::CliResult;
using test::RunCli;
using test::TempDir;
namespace fs = std::filesystem;

// P/p.cfg, the project of copy/ (a.txt, sub/b.txt); zl a link to P/sub; other/copy a changed
// copy, and xl a link to other/inner.
struct Tree {
  TempDir dir;
  std::string project;
  Tree() {
    dir.Write("copy/a.txt", "abc");
    dir.Write("copy/sub/b.txt", "123456789");
    dir.MakeDir("P/sub");
    const CliResult made = RunCli({"new", dir / "copy", dir / "P/p.cfg"});
    if (made.status != 0) throw std::runtime_error("new failed: " + made.err);
    project = dir.Read("P/p.cfg");
    fs::create_symlink(dir / "P/sub", dir / "zl");
    dir.Write("other/copy/a.txt", "abd");
    dir.Write("other/copy/sub/b.txt", "123456789");
    dir.MakeDir("other/inner");
    fs::create_symlink(dir / "other/inner", dir / "xl");
  }
};

struct PathRow {
  const char* name;
  std::function<std::vector<std::string>(const TempDir&)> args;
  int status;
  std::function<void(const Tree&, const CliResult&)> check;
};
class CliPathTest : public testing::TestWithParam<PathRow> {};

TEST_P(CliPathTest, NamesWhatTheKernelFinds) {
  const Tree tree;
  const CliResult run = RunCli(GetParam().args(tree.dir));
  EXPECT_EQ(run.status, GetParam().status) << run.out << run.err;
  GetParam().check(tree, run);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CliPathTest,
    testing::Values(
        PathRow{"ReportAfterALinkIsTheProject",
                [](const TempDir& d) {
                  return std::vector<std::string>{"check", "--report", d / "zl/../p.cfg",
                                                  d / "P/p.cfg", d / "copy"};
                },
                64,
                [](const Tree& t, const CliResult& run) {
                  EXPECT_NE(run.err.find("is the project file"), std::string::npos) << run.err;
                  EXPECT_EQ(t.dir.Read("P/p.cfg"), t.project);
                }},
        PathRow{"CopyAfterALinkIsTheFolderLsShows",
                [](const TempDir& d) {
                  return std::vector<std::string>{"check", d / "P/p.cfg", d / "xl/../copy"};
                },
                1,
                [](const Tree& t, const CliResult& run) {
                  EXPECT_NE(run.out.find("mismatch\ta.txt\t" + t.dir / "other/copy/a.txt\t"),
                            std::string::npos)
                      << run.out;
                }},
        PathRow{"NewAfterALinkWritesWhereTheKernelSaysAndNamesIt",
                [](const TempDir& d) {
                  return std::vector<std::string>{"new", d / "copy", d / "zl/../x.cfg"};
                },
                0,
                [](const Tree& t, const CliResult&) {
                  EXPECT_FALSE(fs::exists(t.dir / "x.cfg"));
                  const std::string project = t.dir.Read("P/x.cfg");
                  const std::vector<std::string_view> lines = SplitLines(project);
                  ASSERT_GT(lines.size(), 1u);
                  EXPECT_EQ(lines[1], t.dir / "P/x.cfg");
                }},
        PathRow{"NewIntoALinkToTheSourceLeavesTheProjectOut",
                [](const TempDir& d) {
                  fs::create_symlink(d / "copy", d / "copy-link");
                  // The second run finds the first one's project in the tree.
                  RunCli({"new", d / "copy", d / "copy-link/p.cfg"});
                  return std::vector<std::string>{"new", d / "copy", d / "copy-link/p.cfg"};
                },
                0,
                [](const Tree& t, const CliResult&) {
                  EXPECT_EQ(ParseProject(t.dir.Read("copy/p.cfg")).entries,
                            (std::vector<std::string>{"sub\\b.txt", "a.txt"}));
                }},
        PathRow{"CopyGivenTwiceThroughALink",
                [](const TempDir& d) {
                  fs::create_symlink("copy/sub/..", d / "again");
                  return std::vector<std::string>{"check", d / "P/p.cfg", d / "copy", d / "again"};
                },
                64,
                [](const Tree&, const CliResult& run) {
                  EXPECT_NE(run.err.find("is given twice"), std::string::npos) << run.err;
                }}),
    kelvane::test::RowName());

// Bind mounts, in a mount namespace of the test's own: the copy seen elsewhere is the copy.
struct BindRow {
  const char* name;
  const char* source;  // below the tree, bound onto alias/
  std::function<std::vector<std::string>(const TempDir&)> args;
  const char* message;
};
class CliBindMountTest : public testing::TestWithParam<BindRow> {};

TEST_P(CliBindMountTest, IsRefusedBeforeAnythingIsRead) {
  if (::geteuid() != 0 || !test::FindProgram("unshare"))
    GTEST_SKIP() << "bind mounts need root and unshare(1) for a mount namespace of the test's own";
  const Tree tree;
  const TempDir& dir = tree.dir;
  dir.MakeDir("alias");
  const CliResult run = test::RunCliAfter(
      "exec unshare --mount --propagation private /bin/bash -c 'mount --bind \"$1\" \"$2\" && "
      "shift 2 && exec \"$@\"' bind " +
          dir / GetParam().source + " " + dir / "alias" + " " KELVANE_CLI_PATH " \"$@\"",
      GetParam().args(dir));
  EXPECT_EQ(run.status, 64) << run.out << run.err;
  EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
  EXPECT_EQ(dir.Read("copy/a.txt"), "abc");
  EXPECT_EQ(dir.Read("copy/sub/b.txt"), "123456789");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CliBindMountTest,
    testing::Values(
        BindRow{"ReportIntoTheCopy", "copy",
                [](const TempDir& d) {
                  return std::vector<std::string>{"check", "--report", d / "alias/a.txt",
                                                  d / "P/p.cfg", d / "copy"};
                },
                "lies inside the copy"},
        BindRow{"ReportIntoAFolderOfTheCopy", "copy/sub",
                [](const TempDir& d) {
                  return std::vector<std::string>{"check", "--report", d / "alias/b.txt",
                                                  d / "P/p.cfg", d / "copy"};
                },
                "lies inside the copy"},
        BindRow{"ASecondCopyInsideTheFirst", "copy/sub",
                [](const TempDir& d) {
                  return std::vector<std::string>{"check", d / "P/p.cfg", d / "copy", d / "alias"};
                },
                "lies inside the copy"}),
    kelvane::test::RowName());

// A report named as a descriptor is written to it as it is: standard output holds the report
// alone (the failed entries go to standard error), and a log that stdout appends to is appended
// to, never replaced.
struct DescriptorRow {
  const char* name;
  const char* report;
  const char* before;  // what the file behind stdout holds first
};
class CliReportDescriptorTest : public testing::TestWithParam<DescriptorRow> {};

TEST_P(CliReportDescriptorTest, WritesToTheDescriptorAsItIs) {
  const Tree tree;
  const TempDir& dir = tree.dir;
  dir.Write("copy/a.txt", "abd");
  dir.Write("build.log", GetParam().before);
  const FileDescriptor log(::open((dir / "build.log").c_str(), O_WRONLY | O_APPEND | O_CLOEXEC));
  ASSERT_TRUE(log.IsOpen());
  test::ChildProcess child(
      test::CliArgv({"check", "--report", GetParam().report, dir / "P/p.cfg", dir / "copy"}),
      test::ChildProcess::Options{log.Get()});
  ASSERT_TRUE(child.WaitExit(std::chrono::seconds(60)));

  EXPECT_EQ(child.ExitCode(), 1) << child.Output();
  const std::string written = dir.Read("build.log");
  ASSERT_TRUE(written.starts_with(std::string(GetParam().before) + "{\n  \"project\": \""))
      << written;
  EXPECT_TRUE(written.ends_with("\n}\n")) << written;
  EXPECT_EQ(test::Outcomes(written), (std::vector<std::string>{"valid", "mismatch"}));
  EXPECT_NE(child.Output().find("mismatch\ta.txt\t"), std::string::npos) << child.Output();
}

INSTANTIATE_TEST_SUITE_P(Rows, CliReportDescriptorTest,
                         testing::Values(DescriptorRow{"Dash", "-", ""},
                                         DescriptorRow{"DevStdoutAppended", "/dev/stdout",
                                                       "earlier lines of the log\n"},
                                         DescriptorRow{"DevFdOne", "/dev/fd/1", "log\n"}),
                         kelvane::test::RowName());

TEST(CliReportDescriptorTest, ClosedDescriptorIsRefusedBeforeAnythingIsRead) {
  const Tree tree;
  const CliResult run =
      RunCli({"check", "--report", "/dev/fd/9", tree.dir / "P/p.cfg", tree.dir / "copy"});
  EXPECT_EQ(run.status, 74);
  EXPECT_EQ(run.err, "kelvane-cli: Cannot write the report to descriptor 9. Bad file descriptor\n");
  EXPECT_EQ(run.out, "");
}

}  // namespace
}  // namespace kelvane
