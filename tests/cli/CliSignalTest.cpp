// kelvane-cli stopped from outside: SIGTERM (a service manager), SIGHUP (a closed terminal) and
// Ctrl+C end a run as STOP does, with its summary and its report, even while a read of the copy
// never returns; a closed pipe on its output costs neither.
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "cli/CliFixtures.h"
#include "cli/CliRunner.h"
#include "support/FakeDisc.h"
#include "support/NamedRows.h"
#include "support/TempDir.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;
using test::FakeDisc;
using test::TempDir;

struct SignalRow {
  const char* name;
  int signal;
  bool hang;        // reads of f3.bin never return
  bool sequential;  // no readers ahead: the run itself waits on that read
};
class CliSignalTest : public testing::TestWithParam<SignalRow> {};

TEST_P(CliSignalTest, EndsTheRunWithItsSummaryAndItsReport) {
  SKIP_WITHOUT(FakeDisc);
  const SignalRow& row = GetParam();
  TempDir dir;
  test::MakeDistribution(dir, 8);
  FakeDisc::Options disc{.slowMs = 100, .log = true};
  if (row.hang) disc = {.log = true, .hangs = {"f3.bin"}};
  // Made before the disc, so that the disc goes first (pulled: no read hangs any more) and the
  // program can then be stopped whatever the test found.
  std::optional<test::ChildProcess> child;
  FakeDisc copy(dir / "src", disc);
  std::vector<std::string> args = {"--no-inhibit", "check",       "--report",
                                   dir / "r.json", dir / "p.cfg", copy.MountPoint()};
  if (row.sequential) args.insert(args.begin(), "--sequential");
  const FileDescriptor out(::memfd_create("stdout", MFD_CLOEXEC));
  const test::DefaultInterrupt defaultInterrupt;
  child.emplace(test::CliArgv(args), test::ChildProcess::Options{out.Get()});
  // The run under way, and for a hang, its read of f3.bin begun.
  const auto reading = [&] {
    const std::vector<FakeDisc::Event> events = copy.Events();
    return std::any_of(events.begin(), events.end(), [&](const FakeDisc::Event& event) {
      return event.what == "read" && (!row.hang || event.file == "f3.bin");
    });
  };
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!reading()) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline) << child->Output();
    ASSERT_TRUE(child->Running()) << child->Output();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  child->Signal(row.signal);
  // The report comes while the read still hangs: the kernel keeps a process whose read of a
  // FUSE file is under way until it returns, but what the run found is out before.
  while (!std::filesystem::exists(dir / "r.json")) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline) << child->Output();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (row.hang) copy.Pull();
  ASSERT_TRUE(child->WaitExit(std::chrono::seconds(30))) << "still running after the signal";

  EXPECT_EQ(child->ExitCode(), 128 + row.signal) << child->Describe() << "\n" << child->Output();
  const std::string printed = test::ReadAll(out.Get());
  EXPECT_NE(printed.find("Error(s) found\t: 0\n"), std::string::npos) << printed;
  EXPECT_NE(printed.find("Total file(s)\t: 8\n"), std::string::npos) << printed;
  const std::string report = dir.Read("r.json");
  EXPECT_NE(report.find(
                "\"interrupted\": true,\n  \"status\": " + std::to_string(128 + row.signal) + ","),
            std::string::npos)
      << report;
  const std::vector<std::string> outcomes = test::Outcomes(report);
  EXPECT_EQ(outcomes.size(), 8u) << report;
  EXPECT_EQ(outcomes.back(), "not reached") << report;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CliSignalTest,
    testing::Values(SignalRow{"Terminate", SIGTERM, false, false},
                    SignalRow{"HangUp", SIGHUP, false, false},
                    SignalRow{"CtrlCWhileAReaderAheadHangs", SIGINT, true, false},
                    SignalRow{"TerminateWhileTheRunItselfHangs", SIGTERM, true, true}),
    kelvane::test::RowName());

TEST(CliPipeTest, ClosedPipeOnTheOutputStillLeavesTheReport) {
  TempDir dir;
  dir.Write("copy/a.txt", "abc");
  dir.Write("copy/b.txt", "123456789");
  ASSERT_EQ(test::RunCli({"new", dir / "copy", dir / "p.cfg"}).status, 0);
  dir.Write("copy/a.txt", "abd");
  int ends[2];
  ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
  const FileDescriptor reader(ends[0]), writer(ends[1]);
  // What `check ... | head -0` leaves: nobody reads the pipe.
  ::close(reader.Get());
  test::ChildProcess child(
      test::CliArgv({"check", "--report", dir / "r.json", dir / "p.cfg", dir / "copy"}),
      test::ChildProcess::Options{writer.Get()});
  ASSERT_TRUE(child.WaitExit(std::chrono::seconds(60)));

  EXPECT_EQ(child.ExitCode(), 1) << child.Describe() << "\n" << child.Output();
  EXPECT_EQ(test::Outcomes(dir.Read("r.json")), (std::vector<std::string>{"mismatch", "valid"}));
}

}  // namespace
}  // namespace kelvane
