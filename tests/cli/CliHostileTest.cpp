// kelvane-cli given input meant to make it lose data or pass what was not read: reports aimed at
// the project or the copy, a Ctrl+C during the save, names that would drive the terminal, what a
// copy hides from --extra, and the tree New cannot list whole.
#include <fcntl.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "cli/CliRunner.h"
#include "project/ProjectFile.h"
#include "support/NamedRows.h"
#include "support/TempDir.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;
using test::CliResult;
using test::FolderContents;
using test::RunCli;
using test::TempDir;
namespace fs = std::filesystem;

// A copy and its project, made by the program itself.
struct Made {
  TempDir dir;
  Made() {
    dir.Write("copy/a.txt", "abc");
    dir.Write("copy/sub/b.txt", "123456789");
    const CliResult made = RunCli({"new", dir / "copy", dir / "p.cfg"});
    if (made.status != 0) throw std::runtime_error("new failed: " + made.err);
  }
};

// --- where the report may go ---

struct ReportRow {
  const char* name;
  // Makes what is needed and returns the report's path.
  std::function<std::string(const TempDir&)> report;
  int status;
  const char* message;  // part of what stderr says
};
class CliReportTargetTest : public testing::TestWithParam<ReportRow> {};

TEST_P(CliReportTargetTest, IsRefusedBeforeAnythingIsRead) {
  const Made made;
  const TempDir& dir = made.dir;
  const std::string project = dir.Read("p.cfg");
  const std::string report = GetParam().report(dir);
  const std::vector<std::string> before = FolderContents(dir / "copy");

  const CliResult run = RunCli({"check", "--report", report, dir / "p.cfg", dir / "copy"});

  EXPECT_EQ(run.status, GetParam().status) << run.err;
  EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "") << "the run went ahead";
  EXPECT_EQ(dir.Read("p.cfg"), project);
  EXPECT_EQ(FolderContents(dir / "copy"), before);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CliReportTargetTest,
    testing::Values(ReportRow{"TheProject", [](const TempDir& d) { return d / "p.cfg"; }, 64,
                              "is the project file"},
                    ReportRow{"ALinkToTheProject",
                              [](const TempDir& d) {
                                fs::create_symlink(d / "p.cfg", d / "r.json");
                                return d / "r.json";
                              },
                              64, "is the project file"},
                    ReportRow{"InsideTheCopy",
                              [](const TempDir& d) { return d / "copy/sub/r.json"; }, 64,
                              "lies inside the copy"},
                    ReportRow{"TheCopyItself", [](const TempDir& d) { return d / "copy"; }, 74,
                              "Is a directory"},
                    ReportRow{"InAFolderThatIsNotThere",
                              [](const TempDir& d) { return d / "no/r.json"; }, 74,
                              "No such file or directory"},
                    ReportRow{"AFifo",
                              [](const TempDir& d) {
                                ::mkfifo((d / "r.json").c_str(), 0644);
                                return d / "r.json";
                              },
                              74, "Not a regular file"}),
    kelvane::test::RowName());

TEST(CliReportTest, ReportThatCannotBeWrittenWholeLeavesTheOldOne) {
  const Made made;
  const TempDir& dir = made.dir;
  const std::string old(4096, 'o');
  dir.Write("r.json", old);
  // Extra files, so that the new report is longer than the limit below.
  for (int i = 0; i < 40; ++i)
    dir.Write("copy/extra/" + std::string(60, 'e') + std::to_string(i), "");
  // A file size limit of one block: the new report does not fit, as on a full disk.
  const auto [status, output] = test::RunToEnd(
      {"/bin/bash", "-c", "trap '' XFSZ; ulimit -f 1; exec \"$0\" \"$@\"", KELVANE_CLI_PATH,
       "check", "--extra", "--report", dir / "r.json", dir / "p.cfg", dir / "copy"});
  EXPECT_EQ(status, 74) << output;
  EXPECT_EQ(dir.Read("r.json"), old);
  EXPECT_EQ(FolderContents(dir.path()),
            (std::vector<std::string>{"copy", "p.cfg", "p.cfg.sha256", "r.json"}));
}

// --- Ctrl+C while New saves ---

TEST(CliNewTest, CtrlCDuringTheSaveEndsIt130AndLeavesNoTemporaryFile) {
  TempDir dir;
  // Long names, so that the save has something to write.
  for (int i = 0; i < 400; ++i) dir.Write("src/" + std::string(200, 'n') + std::to_string(i), "x");
  const int watch = ::inotify_init1(IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  const FileDescriptor watching(watch);
  ASSERT_GE(::inotify_add_watch(watch, dir.str().c_str(), IN_CREATE), 0);
  const test::DefaultInterrupt defaultInterrupt;
  test::ChildProcess child(test::CliArgv({"new", dir / "src", dir / "p.cfg"}));
  // The save's temporary file appears beside the project: Ctrl+C then.
  alignas(inotify_event) char events[4096];
  ASSERT_GT(::read(watch, events, sizeof events), 0);
  child.Signal(SIGINT);
  ASSERT_TRUE(child.WaitExit(std::chrono::seconds(60)));

  EXPECT_EQ(child.ExitCode(), 130) << child.Describe() << "\n" << child.Output();
  EXPECT_EQ(FolderContents(dir.path()), (std::vector<std::string>{"p.cfg", "p.cfg.sha256", "src"}));
  // The save ended before the Ctrl+C took effect: the project and its sums are whole, and a pair.
  Project saved;
  saved.SetConfigPath(dir / "p.cfg");
  ReadProject(saved);
  EXPECT_EQ(saved.Count(), 400);
  EXPECT_TRUE(saved.HasSha256Sums());
}

// --- names that would drive the terminal or break the fields ---

TEST(CliCheckTest, NamesAreEscapedAsLsDoes) {
  TempDir dir;
  dir.Write("src/a.txt", "abc");
  dir.Write("src/x\tE\x1b[31m\\", "abc");  // no entry can hold a "\": left out, then extra
  dir.Write("src/t\tab\x1b]0;pwned\a.txt", "abc");
  const CliResult made = RunCli({"new", dir / "src", dir / "p.cfg"});
  ASSERT_EQ(made.status, 2) << made.err;
  EXPECT_EQ(made.err.find('\x1b'), std::string::npos);
  fs::remove(dir / "src/t\tab\x1b]0;pwned\a.txt");

  const CliResult run = RunCli({"check", "--extra", dir / "p.cfg", dir / "src"});

  EXPECT_EQ(run.status, 2 | 4) << run.err;
  EXPECT_NE(run.out.find("missing\tt\\tab\\033]0;pwned\\a.txt\t" + dir / "src" +
                         "/t\\tab\\033]0;pwned\\a.txt\tCADBBE3D\t-\tNo such file or directory\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("extra\t" + dir / "src" + "/x\\tE\\033[31m\\\\\n"), std::string::npos)
      << run.out;
  EXPECT_EQ(run.out.find('\x1b'), std::string::npos);
  EXPECT_EQ(run.err.find('\x1b'), std::string::npos);
}

// --- what --extra finds ---

TEST(CliCheckTest, ExtraSeesEveryNameWithItsKind) {
  const Made made;
  const TempDir& dir = made.dir;
  dir.Write("copy/.evil/payload.exe", "MZ");
  dir.Write("copy/.profile", "x");
  ASSERT_EQ(::mkfifo((dir / "copy/pipe").c_str(), 0644), 0);
  fs::create_symlink("sub", dir / "copy/folder-link");
  fs::create_symlink("nowhere", dir / "copy/broken");

  const CliResult run =
      RunCli({"check", "--extra", "--report", dir / "r.json", dir / "p.cfg", dir / "copy"});

  EXPECT_EQ(run.status, 4) << run.err;
  const std::string c = dir / "copy";
  for (const std::string& line :
       {"extra\t" + c + "/.evil/payload.exe\n", "extra\t" + c + "/.profile\n",
        "extra\t" + c + "/broken\tbroken link\n",
        "extra\t" + c + "/folder-link\tlink to a folder\n", "extra\t" + c + "/pipe\tfifo\n"})
    EXPECT_NE(run.out.find(line), std::string::npos) << line << "in:\n" << run.out;
  EXPECT_EQ(run.out.find("a.txt"), std::string::npos) << run.out;
  EXPECT_NE(dir.Read("r.json").find("{\"path\": \"" + c + "/pipe\", \"kind\": \"fifo\"}"),
            std::string::npos);
}

TEST(CliCheckTest, UnreadableFolderOfTheCopyIsExtra) {
  if (test::IgnoresPermissions())
    GTEST_SKIP() << "this process reads folders whatever their permissions";
  const Made made;
  const TempDir& dir = made.dir;
  dir.Write("copy/locked/hidden.exe", "MZ");
  ASSERT_EQ(::chmod((dir / "copy/locked").c_str(), 0), 0);
  const CliResult run = RunCli({"check", "--extra", dir / "p.cfg", dir / "copy"});
  EXPECT_EQ(run.status, 4) << run.err;
  EXPECT_NE(run.out.find("extra\t" + dir / "copy/locked/\tunreadable folder\n"), std::string::npos)
      << run.out;
}

// --- what New leaves out ---

TEST(CliNewTest, OwnProjectFileInTheTreeIsLeftOut) {
  TempDir dir;
  dir.Write("src/a.txt", "abc");
  ASSERT_EQ(RunCli({"new", dir / "src", dir / "src/p.cfg"}).status, 0);
  // A second run finds the first project in the tree, and must not list what it is replacing.
  const CliResult run = RunCli({"new", dir / "src", dir / "src/p.cfg"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ParseProject(dir.Read("src/p.cfg")).entries, std::vector<std::string>{"a.txt"});
}

TEST(CliNewTest, DotFoldersAreToldWithoutChangingTheStatus) {
  TempDir dir;
  dir.Write("src/a.txt", "abc");
  dir.Write("src/.well-known/security.txt", "x");
  dir.Write("src/sub/.git/HEAD", "ref");
  dir.Write("src/sub/b.txt", "123");
  const CliResult run = RunCli({"new", dir / "src", dir / "p.cfg"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "Folder(s) not entered, as their names begin with \".\":\n" +
                         dir / "src/.well-known/\n" + dir / "src/sub/.git/\nWritten " +
                         dir / "p.cfg" + ": 2 file(s), 6 B\n");
  // What the project does not cover makes a tree that holds it more than the project guards.
  EXPECT_EQ(RunCli({"check", "--extra", dir / "p.cfg", dir / "src"}).status, 4);
}

TEST(CliNewTest, UnreadableFolderIsToldAndExits2) {
  if (test::IgnoresPermissions())
    GTEST_SKIP() << "this process reads folders whatever their permissions";
  TempDir dir;
  dir.Write("src/a.txt", "abc");
  dir.Write("src/locked/secret.txt", "abc");
  ASSERT_EQ(::chmod((dir / "src/locked").c_str(), 0), 0);
  const CliResult run = RunCli({"new", dir / "src", dir / "p.cfg"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "kelvane-cli: File(s) left out\t: 1\nFolder(s) that could not be read:\n" +
                         dir / "src/locked/ (Permission denied)\nWritten " + dir / "p.cfg" +
                         ": 1 file(s), 3 B\n");
  EXPECT_EQ(ParseProject(dir.Read("p.cfg")).entries, std::vector<std::string>{"a.txt"});
}

}  // namespace
}  // namespace kelvane
