// The SHA-256 beside the CRC through kelvane-cli: the sidecar that coreutils reads back, a file
// forged to keep its CRC caught by its SHA-256, a sidecar that is not the project's refused, and a
// save that fails leaving the old pair as it was.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "cksummer/FileChecksums.h"
#include "cli/CliRunner.h"
#include "project/ValueEntry.h"
#include "support/FakeShell.h"
#include "support/ForgedCRC.h"
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

// A tree with a space, UTF-8 and an empty file in it, and its project with its sidecar.
void MakeTree(const TempDir& dir) {
  dir.Write("src/read me.txt", "abc");
  dir.Write("src/caf\xC3\xA9/\xE2\x82\xAC.txt", "euro");
  dir.Write("src/empty", "");
  dir.Write("src/sub/setup.bin", std::string(5000, 's'));
  const CliResult made = RunCli({"--no-inhibit", "new", dir / "src", dir / "p.cfg"});
  ASSERT_EQ(made.status, 0) << made.err;
}

TEST(CliSha256Test, SidecarIsReadBackBySha256sum) {
  if (!test::FindProgram("sha256sum")) GTEST_SKIP() << "coreutils' sha256sum is not installed";
  TempDir dir;
  MakeTree(dir);
  const std::string sidecar = dir.Read("p.cfg.sha256");
  EXPECT_NE(sidecar.find("  read me.txt\n"), std::string::npos) << sidecar;
  EXPECT_NE(
      sidecar.find("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855  empty\n"),
      std::string::npos)
      << sidecar;
  fs::copy(dir / "src", dir / "copy", fs::copy_options::recursive);
  for (const std::string& tree : {dir / "src", dir / "copy"}) {
    const CliResult checked =
        test::RunProgram({"/bin/bash", "-c", "cd \"$1\" && sha256sum -c --strict \"$2\"",
                          "sha256sum", tree, dir / "p.cfg.sha256"});
    EXPECT_EQ(checked.status, 0) << tree << "\n" << checked.out << checked.err;
  }
}

TEST(CliSha256Test, FileForgedToKeepItsCrcIsCaughtByItsSha256) {
  TempDir dir;
  MakeTree(dir);
  fs::copy(dir / "src", dir / "copy", fs::copy_options::recursive);
  test::FakeShell meter;
  const std::uint32_t crc = GetFileCRC32(dir / "src/sub/setup.bin", meter);
  dir.Write("copy/sub/setup.bin", test::ForgeLegacyCRC32("#!/bin/sh\nrm -rf ~\n", crc));
  ASSERT_EQ(GetFileCRC32(dir / "copy/sub/setup.bin", meter), crc);

  const CliResult caught = RunCli({"--no-inhibit", "check", dir / "p.cfg", dir / "copy"});
  EXPECT_EQ(caught.status, 1) << caught.out << caught.err;
  EXPECT_NE(caught.out.find("mismatch\tsub\\setup.bin\t" + dir / "copy/sub/setup.bin\t" +
                            Hex8(crc) + "\t" + Hex8(crc) + "\tSHA-256 differs: stored "),
            std::string::npos)
      << caught.out;

  // By its CRC alone it passes, and the run says so.
  fs::remove(dir / "p.cfg.sha256");
  const CliResult passed = RunCli({"--no-inhibit", "check", dir / "p.cfg", dir / "copy"});
  EXPECT_EQ(passed.status, 0) << passed.out << passed.err;
  EXPECT_EQ(passed.err,
            "Verified by the CRC-32 alone, without a SHA-256 to check: 4 selected "
            "entries\n");
}

struct SidecarRow {
  const char* name;
  std::function<void(const TempDir&)> spoil;  // of dir/p.cfg.sha256
  const char* message;                        // what stderr says, after "kelvane-cli: "
};
class CliSidecarTest : public testing::TestWithParam<SidecarRow> {};

TEST_P(CliSidecarTest, ThatIsNotTheProjectsIsRefused) {
  TempDir dir;
  MakeTree(dir);
  GetParam().spoil(dir);
  const std::string sidecar = dir.Read("p.cfg.sha256");

  const CliResult run = RunCli({"--no-inhibit", "check", dir / "p.cfg", dir / "src"});

  EXPECT_EQ(run.status, 65);
  EXPECT_EQ(run.out, "");
  std::string message = GetParam().message;
  message.replace(message.find('@'), 1, dir / "p.cfg.sha256");
  EXPECT_EQ(run.err, "kelvane-cli: " + message + "\n");
  EXPECT_EQ(dir.Read("p.cfg.sha256"), sidecar);
}

std::string Lines(const std::string& text, std::size_t from, std::size_t count) {
  std::size_t begin = 0;
  for (std::size_t i = 0; i < from; ++i) begin = text.find('\n', begin) + 1;
  std::size_t end = begin;
  for (std::size_t i = 0; i < count; ++i) end = text.find('\n', end) + 1;
  return text.substr(begin, end - begin);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CliSidecarTest,
    testing::Values(
        SidecarRow{"AnotherProjects",
                   [](const TempDir& d) {
                     d.Write("other/a.txt", "abc");
                     ASSERT_EQ(RunCli({"--no-inhibit", "new", d / "other", d / "o.cfg"}).status, 0);
                     fs::rename(d / "o.cfg.sha256", d / "p.cfg.sha256");
                   },
                   "The SHA-256 list belongs to another project\nFile: @\nLine 1 names "
                   "\"a.txt\" where the project has \"caf\xC3\xA9/\xE2\x82\xAC.txt\""},
        SidecarRow{"ALineChanged",
                   [](const TempDir& d) {
                     std::string text = d.Read("p.cfg.sha256");
                     text[text.find('\n') + 3] = 'x';
                     d.Write("p.cfg.sha256", text);
                   },
                   "Invalid SHA-256 list\nFile: @\nLine 2 is not a sum and a name as sha256sum "
                   "writes them"},
        SidecarRow{"ALineMissing",
                   [](const TempDir& d) {
                     const std::string text = d.Read("p.cfg.sha256");
                     d.Write("p.cfg.sha256", Lines(text, 0, 3));
                   },
                   "The SHA-256 list belongs to another project\nFile: @\nIt holds 3 sums for the "
                   "project's 4 entries"},
        SidecarRow{"TwoLinesSwapped",
                   [](const TempDir& d) {
                     const std::string text = d.Read("p.cfg.sha256");
                     d.Write("p.cfg.sha256",
                             Lines(text, 1, 1) + Lines(text, 0, 1) + Lines(text, 2, 2));
                   },
                   "The SHA-256 list belongs to another project\nFile: @\nLine 1 names "
                   "\"sub/setup.bin\" where the project has \"caf\xC3\xA9/\xE2\x82\xAC.txt\""}),
    kelvane::test::RowName());

// A save that cannot be finished leaves the pair that was there, whole: never a new project
// beside the old sums, nor the reverse.
struct FailedSaveRow {
  const char* name;
  std::function<std::string(const TempDir&)> setup;  // returns what bash sets before kelvane-cli
  bool asUser = false;                               // needs a user whom permission bits stop
};
class CliFailedSaveTest : public testing::TestWithParam<FailedSaveRow> {};

TEST_P(CliFailedSaveTest, LeavesTheOldPair) {
  if (GetParam().asUser && test::IgnoresPermissions())
    GTEST_SKIP() << "this process writes files whatever their permissions";
  TempDir dir;
  for (int i = 0; i < 60; ++i) dir.Write("src/" + std::string(40, 'f') + std::to_string(i), "old");
  ASSERT_EQ(RunCli({"--no-inhibit", "new", dir / "src", dir / "p.cfg"}).status, 0);
  for (int i = 0; i < 60; ++i) dir.Write("src/" + std::string(40, 'f') + std::to_string(i), "new");
  const std::string setup = GetParam().setup(dir);
  const std::string project = dir.Read("p.cfg");
  const bool sums = fs::is_regular_file(dir / "p.cfg.sha256");
  const std::string sidecar = sums ? dir.Read("p.cfg.sha256") : "";

  const CliResult run =
      test::RunCliAfter(setup, {"--no-inhibit", "new", dir / "src", dir / "p.cfg"});

  EXPECT_EQ(run.status, 74) << run.err;
  EXPECT_EQ(dir.Read("p.cfg"), project);
  if (sums) {
    EXPECT_EQ(dir.Read("p.cfg.sha256"), sidecar);
  }
  EXPECT_EQ(FolderContents(dir.path()), (std::vector<std::string>{"p.cfg", "p.cfg.sha256", "src"}));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CliFailedSaveTest,
    testing::Values(
        // The disk full once the project is written: the sums do not fit.
        FailedSaveRow{"DiskFullForTheSums",
                      [](const TempDir&) { return std::string("trap '' XFSZ; ulimit -f 4"); }},
        // A FIFO where the sums go, which no save replaces: the project stays as it was too.
        FailedSaveRow{"SumsThatCannotBeReplaced",
                      [](const TempDir& d) {
                        fs::remove(d / "p.cfg.sha256");
                        ::mkfifo((d / "p.cfg.sha256").c_str(), 0644);
                        return std::string();
                      }},
        // Sums that may not be written: the project, which may, stays as it was too.
        FailedSaveRow{"ReadOnlySums",
                      [](const TempDir& d) {
                        ::chmod((d / "p.cfg.sha256").c_str(), 0444);
                        return std::string();
                      },
                      true}),
    kelvane::test::RowName());

TEST(CliSha256Test, NewWithoutSumsTakesAwayTheOldSidecar) {
  TempDir dir;
  MakeTree(dir);
  ASSERT_TRUE(fs::exists(dir / "p.cfg.sha256"));
  const CliResult run = RunCli({"--no-inhibit", "new", "--no-sha256", dir / "src", dir / "p.cfg"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_FALSE(fs::exists(dir / "p.cfg.sha256"));
  EXPECT_EQ(RunCli({"--no-inhibit", "check", dir / "p.cfg", dir / "src"}).err,
            "Verified by the CRC-32 alone, without a SHA-256 to check: 4 selected entries\n");
}

}  // namespace
}  // namespace kelvane
