// kelvane-cli's runs beyond their status: the report, Ctrl+C, the project New and Save write, and
// the listing.
#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "cksummer/FileChecksums.h"
#include "cli/CliFixtures.h"
#include "cli/CliRunner.h"
#include "commands/NewList.h"
#include "commands/ProjectCommands.h"
#include "project/ValueEntry.h"
#include "support/FakeShell.h"
#include "support/NamedRows.h"
#include "support/TempDir.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;
using test::CliResult;
using test::Fill;
using test::RunCli;
using test::TempDir;

// Five entries, one of each fate, and a file no entry stands for. The fifth entry is in
// Windows-1252 and its file's name in UTF-8, with a quote and a tab for the JSON to escape.
const char kReportProject[] =
    "[Kelvane]\r\n/p.cfg\r\n/src/\r\n6\r\n"
    "a.txt\r\nb.txt\r\ngone.txt\r\nskip.txt\r\ncaf\xE9 \"q\"\t.txt\r\npipe\r\n"
    "CADBBE3D000000001\r\nCADBBE3D000000001\r\n12345678000000001\r\nCADBBE3D000000000\r\n"
    "CADBBE3D000000001\r\nCADBBE3D000000001\r\n";

void WriteReportFixture(const TempDir& dir) {
  dir.Write("p.cfg", kReportProject);
  dir.Write("copy/a.txt", "abc");
  dir.Write("copy/b.txt", "abd");
  dir.Write("copy/skip.txt", "abc");
  dir.Write("copy/caf\xC3\xA9 \"q\"\t.txt", "abc");
  dir.Write("copy/extra.txt", "not in the project");
  // There, but no file to read: unreadable, not missing.
  ::mkfifo((dir / "copy/pipe").c_str(), 0644);
}

// The report as it must read; @P stands for the project, @C for the copy, @B for the sum of
// b.txt and @E for the UTF-8 of the Windows-1252 byte E9 (e with acute accent).
constexpr char kExpectedReport[] = R"({
  "project": "@P",
  "copy": "@C",
  "format": "Kelvane project",
  "signature": null,
  "interrupted": false,
  "status": 3,
  "entries": [
    {"entry": "a.txt", "path": "@C/a.txt", "algorithm": "Kelvane", "stored": "CADBBE3D", "computed": "CADBBE3D", "storedCheckSum19": "00000000", "computedCheckSum19": "00000000", "storedSha256": null, "computedSha256": null, "outcome": "valid", "reason": null},
    {"entry": "b.txt", "path": "@C/b.txt", "algorithm": "Kelvane", "stored": "CADBBE3D", "computed": "@B", "storedCheckSum19": "00000000", "computedCheckSum19": "00000000", "storedSha256": null, "computedSha256": null, "outcome": "mismatch", "reason": "CRC-32 differs"},
    {"entry": "gone.txt", "path": "@C/gone.txt", "algorithm": "Kelvane", "stored": "12345678", "computed": null, "storedCheckSum19": "00000000", "computedCheckSum19": null, "storedSha256": null, "computedSha256": null, "outcome": "missing", "reason": "No such file or directory"},
    {"entry": "skip.txt", "path": null, "algorithm": "Kelvane", "stored": "CADBBE3D", "computed": null, "storedCheckSum19": "00000000", "computedCheckSum19": null, "storedSha256": null, "computedSha256": null, "outcome": "excluded", "reason": null},
    {"entry": "caf@E \"q\"\t.txt", "path": "@C/caf@E \"q\"\t.txt", "algorithm": "Kelvane", "stored": "CADBBE3D", "computed": "CADBBE3D", "storedCheckSum19": "00000000", "computedCheckSum19": "00000000", "storedSha256": null, "computedSha256": null, "outcome": "valid", "reason": null},
    {"entry": "pipe", "path": "@C/pipe", "algorithm": "Kelvane", "stored": "CADBBE3D", "computed": null, "storedCheckSum19": "00000000", "computedCheckSum19": null, "storedSha256": null, "computedSha256": null, "outcome": "unreadable", "reason": "Not a regular file"}
  ],
  "extra": [
    {"path": "@C/extra.txt", "kind": "file"}
  ]
}
)";

TEST(CliReportTest, HoldsEveryEntryAndTheExtraFiles) {
  TempDir dir;
  WriteReportFixture(dir);
  test::FakeShell meter;
  const std::string abd = Hex8(GetFileCRC32(dir / "copy/b.txt", meter));

  const CliResult run = RunCli({"check", "--report", dir / "r.json", dir / "p.cfg", dir / "copy"});

  EXPECT_EQ(run.status, 3) << run.out << run.err;
  // Without --extra the extra files count for nothing but the report.
  EXPECT_EQ(run.out.find("extra"), std::string::npos) << run.out;
  EXPECT_EQ(dir.Read("r.json"),
            Fill(kExpectedReport,
                 {{"@P", dir / "p.cfg"}, {"@C", dir / "copy"}, {"@B", abd}, {"@E", "\xC3\xA9"}}));
}

struct OutcomeRow {
  const char* name;
  std::vector<std::string> options;
  int status;
  std::vector<std::string> outcomes;
};

class CliOutcomeTest : public testing::TestWithParam<OutcomeRow> {};

TEST_P(CliOutcomeTest, PerEntry) {
  const OutcomeRow& row = GetParam();
  TempDir dir;
  WriteReportFixture(dir);
  std::vector<std::string> args = row.options;
  args.insert(args.end(), {"check", "--report", dir / "r.json", dir / "p.cfg", dir / "copy"});

  const CliResult run = RunCli(args);

  EXPECT_EQ(run.status, row.status) << run.out << run.err;
  const std::string report = dir.Read("r.json");
  EXPECT_EQ(test::Outcomes(report), row.outcomes) << report;
  EXPECT_NE(report.find("\"status\": " + std::to_string(row.status) + ","), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Rows, CliOutcomeTest,
                         testing::Values(OutcomeRow{"ExtraAddsFour",
                                                    {"--extra"},
                                                    7,
                                                    {"valid", "mismatch", "missing", "excluded",
                                                     "valid", "unreadable"}},
                                         OutcomeRow{"StopAtFirstLeavesTheRestUnreached",
                                                    {"--stop-at-first"},
                                                    1,
                                                    {"valid", "mismatch", "not reached", "excluded",
                                                     "not reached", "not reached"}}),
                         test::RowName());

int Count(const std::string& text, const std::string& part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++count;
  return count;
}

TEST(CliInterruptTest, CtrlCEndsTheRunAndPrintsItsSummary) {
  TempDir dir;
  // A copy with none of the files: every entry prints a line, and stdout is a pipe that the test
  // leaves unread, so the run is held in mid-list until the signal has been sent.
  dir.MakeDir("copy");
  constexpr int kEntries = 20000;
  std::string project = "[Kelvane]\r\n/p.cfg\r\n/src/\r\n" + std::to_string(kEntries) + "\r\n";
  for (int i = 0; i < kEntries; ++i) project += "data\\f" + std::to_string(i) + ".bin\r\n";
  for (int i = 0; i < kEntries; ++i) project += "FFFFFFFF000000001\r\n";
  dir.Write("p.cfg", project);
  int ends[2];
  ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
  const FileDescriptor readEnd(ends[0]);
  FileDescriptor writeEnd(ends[1]);
  const test::DefaultInterrupt defaultInterrupt;
  test::ChildProcess child(test::CliArgv({"check", dir / "p.cfg", dir / "copy"}),
                           test::ChildProcess::Options{writeEnd.Get(), {}});
  writeEnd.Reset();

  // Lines on stdout mean the run is under way, and its Ctrl+C handler with it.
  int waiting = 0;
  for (int pending = 0; pending < 16384 && child.Running(); ++waiting) {
    ASSERT_LT(waiting, 60000) << "no output: " << child.Output();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(::ioctl(readEnd.Get(), FIONREAD, &pending), 0);
  }
  child.Signal(SIGINT);
  std::string out;
  char buffer[65536];
  for (ssize_t got; (got = ::read(readEnd.Get(), buffer, sizeof buffer)) > 0;)
    out.append(buffer, static_cast<std::size_t>(got));
  ASSERT_TRUE(child.WaitExit(std::chrono::seconds(60)));

  EXPECT_EQ(child.ExitCode(), 130) << child.Output();
  const std::smatch checked = [&out] {
    std::smatch match;
    std::regex_search(out, match, std::regex("\nChecked \t: ([0-9]+)\n"));
    return match;
  }();
  ASSERT_FALSE(checked.empty()) << out.substr(out.size() > 300 ? out.size() - 300 : 0);
  const int count = std::stoi(checked[1]);
  EXPECT_GT(count, 0);
  EXPECT_LT(count, kEntries);
  EXPECT_EQ(Count(out, "missing\t"), count);
  const std::string tail = "Skipped \t: " + std::to_string(kEntries - count) +
                           "\n-------------------------\nTotal file(s)\t: 20000\n" + dir / "copy" +
                           ": interrupted\n";
  EXPECT_TRUE(out.ends_with(tail)) << out.substr(out.size() > 300 ? out.size() - 300 : 0);
}

std::string AsLines(std::string text) {
  for (char& c : text)
    if (c == '\r') c = '\n';
  return text;
}

TEST(CliNewTest, ProjectIsTheWindowsButForItsOwnPath) {
  TempDir dir;
  dir.Write("src/top.txt", "abc");
  dir.Write("src/data/disk1/readme.txt", "123456789");
  dir.Write("src/data/empty.bin", "");
  dir.Write("src/data/caf\xE9.txt", "\xFF");
  dir.Write("src/back\\slash.txt", "no entry can name it");

  const CliResult run = RunCli({"new", dir / "src/", dir / "cli.cfg"});
  // 2: a file was left out, which a pipeline must notice; the project is written all the same.
  ASSERT_EQ(run.status, 2) << run.err;

  // The window's New and Save with FakeShell in place of its Qt Shell: the same commands, run
  // in this process.
  Session session;
  test::FakeShell shell;
  shell.folders = {dir / "src"};
  shell.saveNames = {dir / "window.cfg"};
  iNewClick(session, shell);
  iSaveClick(session, shell);

  std::string window = dir.Read("window.cfg");
  const std::string windowLine = "\r\n" + dir / "window.cfg" + "\r\n";
  ASSERT_NE(window.find(windowLine), std::string::npos);
  window.replace(window.find(windowLine), windowLine.size(), "\r\n" + dir / "cli.cfg" + "\r\n");
  EXPECT_EQ(dir.Read("cli.cfg"), window);
  ASSERT_EQ(shell.messages.size(), 1u);
  // The box as the window shows it, then the verdict: where, how many files, how many bytes.
  EXPECT_EQ(run.err, "kelvane-cli: " + AsLines(shell.messages[0]) + "\nWritten " + dir / "cli.cfg" +
                         ": 4 file(s), 13 B\n");
}

TEST(CliListTest, OneLinePerEntry) {
  TempDir dir;
  dir.Write("p.cfg",
            "[Kelvane]\r\n/p.cfg\r\n/src/\r\n3\r\ndata\\a.cab\r\ncaf\xE9.txt\r\nshort\r\n"
            "CADBBE3D000000001\r\n340BC6D9000000000\r\n1234\r\n");

  const CliResult run = RunCli({"list", dir / "p.cfg"});

  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "1 CADBBE3D 00000000 data\\a.cab\n"
            "0 340BC6D9 00000000 caf\xC3\xA9.txt\n"
            "- 1234 - short\n");
}

}  // namespace
}  // namespace kelvane
