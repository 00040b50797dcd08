// The exit statuses of kelvane-cli, each with the line or message that goes with it.
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
using test::RunCli;
using test::TempDir;

// --- check on a copy of the tree the project was made from ---

struct CopyRow {
  const char* name;
  std::function<void(const TempDir&)> damage;  // done to the copy before the check
  std::vector<std::string> options;
  int status;
  std::vector<std::string> lines;  // on stdout, with "@" standing for the copy's folder
};

class CliCopyTest : public testing::TestWithParam<CopyRow> {};

std::string Expand(std::string text, const std::string& copy) {
  for (std::size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, copy);
  return text;
}

TEST_P(CliCopyTest, StatusAndLines) {
  const CopyRow& row = GetParam();
  TempDir dir;
  dir.Write("src/a.txt", "abc");
  dir.Write("src/sub/b.txt", "123456789");
  const test::CliResult made = RunCli({"new", dir / "src", dir / "p.cfg"});
  ASSERT_EQ(made.status, 0) << made.err;
  std::filesystem::copy(dir / "src", dir / "copy", std::filesystem::copy_options::recursive);
  row.damage(dir);

  std::vector<std::string> args = row.options;
  args.insert(args.end(), {"check", dir / "p.cfg", dir / "copy"});
  const test::CliResult run = RunCli(args);

  EXPECT_EQ(run.status, row.status) << run.out << run.err;
  for (const std::string& line : row.lines)
    EXPECT_NE(run.out.find(Expand(line, dir / "copy") + "\n"), std::string::npos)
        << "missing: " << line << "\nin:\n"
        << run.out;
}

void Nothing(const TempDir&) {}
void ChangeA(const TempDir& dir) {
  dir.Write("copy/a.txt", "abd");
}
void RemoveB(const TempDir& dir) {
  std::filesystem::remove(dir / "copy/sub/b.txt");
}
void AddFile(const TempDir& dir) {
  dir.Write("copy/sub/new.txt", "new");
}

const char kMissingB[] = "missing\tsub\\b.txt\t@/sub/b.txt\t340BC6D9\t-\tNo such file or directory";

INSTANTIATE_TEST_SUITE_P(
    Rows, CliCopyTest,
    testing::Values(
        CopyRow{"Intact",
                Nothing,
                {},
                0,
                {"Error(s) found\t: 0", "Cheksum valid\t: 2", "Total file(s)\t: 2"}},
        CopyRow{"OneChanged", ChangeA, {}, 1, {"Error(s) found\t: 1"}},
        CopyRow{"OneMissing", RemoveB, {}, 2, {kMissingB, "Error(s) found\t: 1"}},
        CopyRow{"ChangedAndMissing",
                [](const TempDir& d) { ChangeA(d), RemoveB(d); },
                {},
                3,
                {kMissingB, "Error(s) found\t: 2", "Checked \t: 2"}},
        // New lists a folder's subfolders first: b.txt is checked before a.txt.
        CopyRow{"StopAtFirstEndsAtTheFirstFault",
                [](const TempDir& d) { ChangeA(d), RemoveB(d); },
                {"--stop-at-first"},
                2,
                {kMissingB, "Checked \t: 1", "Skipped \t: 1"}},
        CopyRow{"ExtraFileCountsWithExtra", AddFile, {"--extra"}, 4, {"extra\t@/sub/new.txt"}},
        CopyRow{"ExtraFileIgnoredWithoutExtra", AddFile, {}, 0, {"Error(s) found\t: 0"}}),
    test::RowName());

// The SHA-256 of "abc" and of "123456789".
#define kAbc "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"
#define k123456789 "15e2b0d3c33891ebb0f1ef609ec419420c20e320ce94c65fbc8c3312448eb225"

// A mismatch line names the CRC-32 pair and says which sum differs; a CheckSum19 that differs
// (a hand-edited value entry) is told with its pair, on the line and in the report.
struct MismatchRow {
  const char* name;
  const char* value;    // a.txt's value entry in the project
  const char* content;  // a.txt on the copy
  const char* fields;   // the line after the path
  const char* pair;     // the CheckSum19 pair in the report
};
class CliMismatchLineTest : public testing::TestWithParam<MismatchRow> {};

TEST_P(CliMismatchLineTest, SaysWhichSumDiffers) {
  TempDir dir;
  dir.Write("src/a.txt", "abc");
  ASSERT_EQ(RunCli({"new", dir / "src", dir / "p.cfg"}).status, 0);
  std::string project = dir.Read("p.cfg");
  project.replace(project.find("CADBBE3D000000001"), 17, GetParam().value);
  dir.Write("p.cfg", project);
  dir.Write("copy/a.txt", GetParam().content);

  const test::CliResult run =
      RunCli({"check", "--quiet", "--report", dir / "r.json", dir / "p.cfg", dir / "copy"});

  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "mismatch\ta.txt\t" + dir / "copy/a.txt" + "\t" + GetParam().fields + "\n");
  EXPECT_EQ(run.err, "");
  EXPECT_NE(dir.Read("r.json").find(GetParam().pair), std::string::npos) << dir.Read("r.json");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CliMismatchLineTest,
    testing::Values(
        MismatchRow{"CRC32", "CADBBE3D000000001", "123456789",
                    "CADBBE3D\t340BC6D9\tCRC-32 differs, SHA-256 differs: stored " kAbc
                    ", computed " k123456789,
                    "\"storedCheckSum19\": \"00000000\", \"computedCheckSum19\": \"00000000\""},
        MismatchRow{"CheckSum19", "CADBBE3D0000000A1", "abc",
                    "CADBBE3D\tCADBBE3D\tCheckSum19 differs: stored 0000000A, computed 00000000",
                    "\"storedCheckSum19\": \"0000000A\", \"computedCheckSum19\": \"00000000\""},
        MismatchRow{"Both", "CADBBE3D0000000A1", "123456789",
                    "CADBBE3D\t340BC6D9\tCRC-32 differs, CheckSum19 differs: stored 0000000A, "
                    "computed 00000000, SHA-256 differs: stored " kAbc ", computed " k123456789,
                    "\"storedCheckSum19\": \"0000000A\", \"computedCheckSum19\": \"00000000\""}),
    test::RowName());

TEST(CliCopyTest, EjectIsDroppedOffAnOpticalDrive) {
  TempDir dir;
  dir.Write("src/a.txt", "abc");
  ASSERT_EQ(RunCli({"new", dir / "src", dir / "p.cfg"}).status, 0);

  const test::CliResult run = RunCli({"check", "--eject", dir / "p.cfg", dir / "src"});

  EXPECT_EQ(run.status, 0);
  // Only the notice: an eject tried anyway would have told its own failure here.
  EXPECT_EQ(run.err, "No eject: " + dir / "src" + " is not on an optical drive\n");
}

// --- projects that cannot be checked ---

struct ProjectRow {
  const char* name;
  const char* bytes;  // the project file; nullptr: there is none
  const char* error;  // what stderr must hold
};

class CliProjectTest : public testing::TestWithParam<ProjectRow> {};

TEST_P(CliProjectTest, IsRefusedWith65) {
  const ProjectRow& row = GetParam();
  TempDir dir;
  dir.Write("copy/a.txt", "abc");
  if (row.bytes) dir.Write("p.cfg", row.bytes);

  const test::CliResult run = RunCli({"check", dir / "p.cfg", dir / "copy"});

  EXPECT_EQ(run.status, 65) << run.out << run.err;
  EXPECT_NE(run.err.find(row.error), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CliProjectTest,
    testing::Values(
        ProjectRow{"Damaged", "[Kelvan]\r\n/p.cfg\r\n/src/\r\n1\r\na.txt\r\nCADBBE3D000000001\r\n",
                   "kelvane-cli: Invalid Config File\n"},
        ProjectRow{"Missing", nullptr, "kelvane-cli: Cannot open file"},
        ProjectRow{"ValuesCutShort", "[Kelvane]\r\n/p.cfg\r\n/src/\r\n1\r\na.txt\r\n",
                   "kelvane-cli: List index out of bounds (0)\n"},
        ProjectRow{"Empty", "[Kelvane]\r\n/p.cfg\r\n/src/\r\n0\r\n",
                   "kelvane-cli: No file listed\n"},
        ProjectRow{"AllExcluded",
                   "[Kelvane]\r\n/p.cfg\r\n/src/\r\n1\r\na.txt\r\nCADBBE3D000000000\r\n",
                   "kelvane-cli: No file selected\n"}),
    test::RowName());

// --- the command line and the writing of projects ---

struct UsageRow {
  const char* name;
  std::vector<std::string> args;  // "@" stands for a folder that exists
  int status;
  const char* error;
};

class CliUsageTest : public testing::TestWithParam<UsageRow> {};

TEST_P(CliUsageTest, Status) {
  const UsageRow& row = GetParam();
  TempDir dir;
  dir.Write("src/a.txt", "abc");
  dir.MakeDir("src/sub");
  std::vector<std::string> args;
  for (const std::string& arg : row.args) args.push_back(Expand(arg, dir / "src"));

  const test::CliResult run = RunCli(args);

  EXPECT_EQ(run.status, row.status) << run.out << run.err;
  EXPECT_NE(run.err.find(row.error), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CliUsageTest,
    testing::Values(
        UsageRow{"NoCommand", {}, 64, "kelvane-cli: no command given\n"},
        UsageRow{"UnknownOption", {"check", "--fast", "p", "@"}, 64, "unknown option '--fast'"},
        UsageRow{"MissingOperand", {"check", "p"}, 64, "'check' takes 2 or more operands"},
        UsageRow{"CheckOptionForNew", {"new", "--extra", "@", "p"}, 64, "apply to 'check' only"},
        UsageRow{"ReportWithoutFile", {"check", "p", "@", "--report"}, 64, "needs a file name"},
        UsageRow{"CopyNotThere", {"check", "p", "@/nowhere"}, 64, "No such file or directory"},
        UsageRow{"CopyNotAFolder", {"check", "p", "@", "@/a.txt"}, 64, "Not a directory"},
        UsageRow{"CopyTwice", {"check", "p", "@", "@/sub/.."}, 64, "/src is given twice"},
        UsageRow{
            "CopyInsideAnother", {"check", "p", "@/sub", "@"}, 64, "/src/sub lies inside the copy"},
        UsageRow{"SourceNotAFolder", {"new", "@/a.txt", "p"}, 64, "Not a directory"},
        UsageRow{"ProjectInAMissingFolder",
                 {"new", "@", "/nonexistent-kelvane-folder/p.cfg"},
                 74,
                 "kelvane-cli: Cannot create file \"/nonexistent-kelvane-folder/p.cfg\". No such "
                 "file or directory\n"}),
    test::RowName());

TEST(CliNewTest, EmptyTreeIsNothingToStore) {
  TempDir dir;
  dir.MakeDir("src/sub");

  const test::CliResult run = RunCli({"new", dir / "src", dir / "p.cfg"});

  EXPECT_EQ(run.status, 74);
  EXPECT_EQ(run.err, "kelvane-cli: nothing to store\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "p.cfg"));
}

}  // namespace
}  // namespace kelvane
