// kelvane-cli check with several copies: side by side across devices (stand-in discs), in turn
// on one device, each drive ejected when its own copy is done, and the report of them all.
#include <signal.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "cksummer/FileChecksums.h"
#include "cli/CliFixtures.h"
#include "cli/CliRunner.h"
#include "project/ValueEntry.h"
#include "support/FakeDisc.h"
#include "support/FakeShell.h"
#include "support/FakeUdisks2.h"
#include "support/TempDir.h"

namespace kelvane {
namespace {

using test::CliResult;
using test::FakeDisc;
using test::FakeUdisks2;
using test::Fill;
using test::MakeDistribution;
using test::Outcomes;
using test::ReadSpan;
using test::RunCli;
using test::Span;
using test::TempDir;

bool HasLine(const std::string& text, const std::string& line) {
  return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

bool HasLineStarting(const std::string& text, const std::string& start) {
  return ("\n" + text).find("\n" + start) != std::string::npos;
}

TEST(CliCopiesTest, CopiesOnTheirOwnDevicesAreReadSideBySide) {
  SKIP_WITHOUT(FakeDisc);
  TempDir dir;
  MakeDistribution(dir, 6);
  FakeDisc one(dir / "src", {.slowMs = 60, .log = true});
  FakeDisc scratched(dir / "src", {.slowMs = 60, .scratches = {{"f3.bin", 0}}, .log = true});
  FakeDisc three(dir / "src", {.slowMs = 60, .log = true});

  const CliResult run = RunCli({"--no-inhibit", "check", dir / "p.cfg", one.MountPoint(),
                                scratched.MountPoint(), three.MountPoint()});

  EXPECT_EQ(run.status, 2) << run.out << run.err;
  EXPECT_TRUE(HasLineStarting(
      run.out, scratched.MountPoint() + "\tunreadable\tf3.bin\t" + scratched / "f3.bin" + "\t"))
      << run.out;
  EXPECT_FALSE(HasLineStarting(run.out, one.MountPoint() + "\t")) << run.out;
  EXPECT_FALSE(HasLineStarting(run.out, three.MountPoint() + "\t")) << run.out;
  // Each summary under its copy, then the outcomes.
  EXPECT_TRUE(HasLine(run.out, one.MountPoint() + ":")) << run.out;
  EXPECT_TRUE(run.out.ends_with(one.MountPoint() + ": exact\n" + scratched.MountPoint() +
                                ": missing or unreadable\n" + three.MountPoint() + ": exact\n"))
      << run.out;
  // Side by side: every disc was still being read after each other one had begun.
  const std::vector<Span> spans = {ReadSpan(one.Events()), ReadSpan(scratched.Events()),
                                   ReadSpan(three.Events())};
  for (const Span& a : spans)
    for (const Span& b : spans) EXPECT_LT(a.first, b.last) << "one copy was read after another";
}

TEST(CliCopiesTest, CopiesOnOneDeviceAreReadOneAfterTheOther) {
  SKIP_WITHOUT(FakeDisc);
  TempDir dir;
  MakeDistribution(dir, 4);
  dir.MakeDir("disc");
  for (const char* copy : {"disc/a", "disc/b"})
    std::filesystem::copy(dir / "src", dir / copy, std::filesystem::copy_options::recursive);
  FakeDisc disc(dir / "disc", {.slowMs = 20, .log = true});

  const CliResult run = RunCli({"--no-inhibit", "check", dir / "p.cfg", disc / "a", disc / "b"});

  EXPECT_EQ(run.status, 0) << run.out << run.err;
  const std::vector<FakeDisc::Event> events = disc.Events();
  const Span a = ReadSpan(events, "a/"), b = ReadSpan(events, "b/");
  ASSERT_GE(a.first, 0);
  ASSERT_GE(b.first, 0);
  EXPECT_LT(a.last, b.first) << "the copies on one disc were read side by side";
}

TEST(CliCopiesTest, EachDriveIsEjectedWhenItsOwnCopyIsDone) {
  SKIP_WITHOUT(FakeDisc);
  SKIP_WITHOUT(FakeUdisks2);
  TempDir dir;
  MakeDistribution(dir, 4);
  // The third drive is the fastest and the second the slowest: they end in the order 3, 1, 2.
  std::vector<std::unique_ptr<FakeDisc>> discs;
  for (const double slowMs : {60.0, 140.0, 10.0})
    discs.push_back(
        std::make_unique<FakeDisc>(dir / "src", FakeDisc::Options{.slowMs = slowMs, .log = true}));
  std::vector<FakeUdisks2::Drive> drives;
  for (std::size_t i = 0; i < discs.size(); ++i) {
    const std::string device = "/dev/sr" + std::to_string(i + 1);
    discs[i]->PutInOpticalDrive(dir / "proc", device);
    drives.push_back({.name = "DVD" + std::to_string(i + 1),
                      .device = device,
                      .mountPoints = {discs[i]->MountPoint()}});
  }
  const FakeUdisks2 udisks(drives);

  const CliResult run =
      RunCli({"--no-inhibit", "check", "--eject", dir / "p.cfg", discs[0]->MountPoint(),
              discs[1]->MountPoint(), discs[2]->MountPoint()},
             {"KELVANE_PROC_ROOT=" + dir / "proc", "DBUS_SYSTEM_BUS_ADDRESS=" + udisks.Address()});

  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(run.err.find("kelvane-cli:"), std::string::npos) << run.err;
  const std::vector<FakeUdisks2::Call> calls = udisks.CallLog();
  std::vector<std::string> named;
  for (const FakeUdisks2::Call& call : calls) named.push_back(call.ToString());
  EXPECT_EQ(named, (std::vector<std::string>{
                       "Unmount " + FakeUdisks2::BlockPath("/dev/sr3"),
                       "Eject " + FakeUdisks2::DrivePath("DVD3"),
                       "Unmount " + FakeUdisks2::BlockPath("/dev/sr1"),
                       "Eject " + FakeUdisks2::DrivePath("DVD1"),
                       "Unmount " + FakeUdisks2::BlockPath("/dev/sr2"),
                       "Eject " + FakeUdisks2::DrivePath("DVD2"),
                   }))
      << udisks.Log();
  ASSERT_EQ(calls.size(), 6u);
  // Right after its own copy: after its last read, before the next copy to end had ended.
  const std::size_t order[] = {2, 0, 1};
  for (std::size_t k = 0; k < 3; ++k) {
    const Span own = ReadSpan(discs[order[k]]->Events());
    EXPECT_GT(calls[2 * k].when, own.last) << "copy " << order[k] + 1;
    if (k + 1 < 3) {
      EXPECT_LT(calls[2 * k + 1].when, ReadSpan(discs[order[k + 1]]->Events()).last)
          << "copy " << order[k] + 1 << " was ejected only after the next one ended";
    }
  }
}

// Three plain copies of a two-entry project: one exact, one with a changed file, one without a
// file. The report as it must read; @P stands for the project, @1 to @3 for the copies and @B
// for the sum of the changed file.
constexpr char kCopiesReport[] = R"({
  "project": "@P",
  "interrupted": false,
  "status": 3,
  "copies": [
    {
      "project": "@P",
      "copy": "@1",
      "format": "Kelvane project",
      "signature": null,
      "interrupted": false,
      "status": 0,
      "entries": [
        {"entry": "a.txt", "path": "@1/a.txt", "algorithm": "Kelvane", "stored": "CADBBE3D", "computed": "CADBBE3D", "storedCheckSum19": "00000000", "computedCheckSum19": "00000000", "storedSha256": null, "computedSha256": null, "outcome": "valid", "reason": null},
        {"entry": "b.txt", "path": "@1/b.txt", "algorithm": "Kelvane", "stored": "CADBBE3D", "computed": "CADBBE3D", "storedCheckSum19": "00000000", "computedCheckSum19": "00000000", "storedSha256": null, "computedSha256": null, "outcome": "valid", "reason": null}
      ],
      "extra": []
    },
    {
      "project": "@P",
      "copy": "@2",
      "format": "Kelvane project",
      "signature": null,
      "interrupted": false,
      "status": 1,
      "entries": [
        {"entry": "a.txt", "path": "@2/a.txt", "algorithm": "Kelvane", "stored": "CADBBE3D", "computed": "@B", "storedCheckSum19": "00000000", "computedCheckSum19": "00000000", "storedSha256": null, "computedSha256": null, "outcome": "mismatch", "reason": "CRC-32 differs"},
        {"entry": "b.txt", "path": "@2/b.txt", "algorithm": "Kelvane", "stored": "CADBBE3D", "computed": "CADBBE3D", "storedCheckSum19": "00000000", "computedCheckSum19": "00000000", "storedSha256": null, "computedSha256": null, "outcome": "valid", "reason": null}
      ],
      "extra": []
    },
    {
      "project": "@P",
      "copy": "@3",
      "format": "Kelvane project",
      "signature": null,
      "interrupted": false,
      "status": 2,
      "entries": [
        {"entry": "a.txt", "path": "@3/a.txt", "algorithm": "Kelvane", "stored": "CADBBE3D", "computed": "CADBBE3D", "storedCheckSum19": "00000000", "computedCheckSum19": "00000000", "storedSha256": null, "computedSha256": null, "outcome": "valid", "reason": null},
        {"entry": "b.txt", "path": "@3/b.txt", "algorithm": "Kelvane", "stored": "CADBBE3D", "computed": null, "storedCheckSum19": "00000000", "computedCheckSum19": null, "storedSha256": null, "computedSha256": null, "outcome": "missing", "reason": "No such file or directory"}
      ],
      "extra": [
        {"path": "@3/c.txt", "kind": "file"}
      ]
    }
  ]
}
)";

void WriteThreeCopies(const TempDir& dir) {
  dir.Write("p.cfg",
            "[Kelvane]\r\n/p.cfg\r\n/src/\r\n2\r\na.txt\r\nb.txt\r\n"
            "CADBBE3D000000001\r\nCADBBE3D000000001\r\n");
  dir.Write("1/a.txt", "abc");
  dir.Write("1/b.txt", "abc");
  dir.Write("2/a.txt", "abd");
  dir.Write("2/b.txt", "abc");
  dir.Write("3/a.txt", "abc");
  dir.Write("3/c.txt", "abc");
}

TEST(CliCopiesTest, ReportHoldsEveryCopy) {
  TempDir dir;
  WriteThreeCopies(dir);
  test::FakeShell meter;
  const std::string abd = Hex8(GetFileCRC32(dir / "2/a.txt", meter));

  const CliResult run = RunCli({"--no-inhibit", "check", "--report", dir / "r.json", dir / "p.cfg",
                                dir / "1", dir / "2", dir / "3"});

  EXPECT_EQ(run.status, 3) << run.out << run.err;
  EXPECT_EQ(dir.Read("r.json"), Fill(kCopiesReport, {{"@P", dir / "p.cfg"},
                                                     {"@1", dir / "1"},
                                                     {"@2", dir / "2"},
                                                     {"@3", dir / "3"},
                                                     {"@B", abd}}));
}

TEST(CliCopiesTest, StopAtFirstStopsOnlyTheCopyThatFailed) {
  TempDir dir;
  WriteThreeCopies(dir);

  const CliResult run = RunCli({"--no-inhibit", "check", "--stop-at-first", "--report",
                                dir / "r.json", dir / "p.cfg", dir / "2", dir / "1"});

  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_EQ(Outcomes(dir.Read("r.json")),
            (std::vector<std::string>{"mismatch", "not reached", "valid", "valid"}));
  EXPECT_TRUE(run.out.ends_with(dir / "2" + ": mismatch\n" + dir / "1" + ": exact\n")) << run.out;
}

TEST(CliCopiesTest, CtrlCStopsEveryCopyAndWritesThePartialReport) {
  SKIP_WITHOUT(FakeDisc);
  TempDir dir;
  MakeDistribution(dir, 8);
  std::vector<std::unique_ptr<FakeDisc>> discs;
  for (int i = 0; i < 3; ++i)
    discs.push_back(
        std::make_unique<FakeDisc>(dir / "src", FakeDisc::Options{.slowMs = 200, .log = true}));
  const test::DefaultInterrupt defaultInterrupt;
  test::ChildProcess child(
      test::CliArgv({"--no-inhibit", "check", "--report", dir / "r.json", dir / "p.cfg",
                     discs[0]->MountPoint(), discs[1]->MountPoint(), discs[2]->MountPoint()}));
  // Every copy under way, and the Ctrl+C handler with it.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  const auto reading = [&discs] {
    return std::all_of(discs.begin(), discs.end(),
                       [](const auto& disc) { return ReadSpan(disc->Events()).last >= 0; });
  };
  while (!reading()) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline) << child.Output();
    ASSERT_TRUE(child.Running()) << child.Output();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  child.Signal(SIGINT);
  ASSERT_TRUE(child.WaitExit(std::chrono::seconds(60)));

  EXPECT_EQ(child.ExitCode(), 130) << child.Output();
  const std::string report = dir.Read("r.json");
  EXPECT_TRUE(report.starts_with("{\n  \"project\": \"" + dir / "p.cfg" +
                                 "\",\n  \"interrupted\": true,\n  \"status\": 130,"))
      << report;
  const std::vector<std::string> outcomes = Outcomes(report);
  EXPECT_EQ(outcomes.size(), 24u);
  EXPECT_NE(std::find(outcomes.begin(), outcomes.end(), "not reached"), outcomes.end()) << report;
  std::size_t interrupted = 0;
  for (std::size_t at = report.find("\"interrupted\": true"); at != std::string::npos;
       at = report.find("\"interrupted\": true", at + 1))
    ++interrupted;
  EXPECT_EQ(interrupted, 4u) << report;
}

}  // namespace
}  // namespace kelvane
