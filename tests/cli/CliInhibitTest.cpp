// kelvane-cli keeps the machine awake while it reads: logind's lock, from dbusmock's own logind
// on a private system bus.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/CliRunner.h"
#include "support/NamedRows.h"
#include "support/PrivateBus.h"
#include "support/TempDir.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;
using test::CliResult;
using test::DbusMock;
using test::PrivateBus;
using test::RunCli;
using test::TempDir;

struct InhibitRow {
  const char* name;
  std::vector<std::string> args;  // "@" stands for the test's folder
  std::vector<std::string> inhibits;
};
class CliInhibitTest : public testing::TestWithParam<InhibitRow> {};

std::string Expand(std::string text, const std::string& dir) {
  for (std::size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, dir);
  return text;
}

TEST_P(CliInhibitTest, AsksLogindOnceUnlessToldNot) {
  if (const auto why = PrivateBus::Unavailable()) GTEST_SKIP() << "no private bus: " << *why;
  TempDir dir;
  dir.Write("src/a.txt", "abc");
  ASSERT_EQ(RunCli({"new", "--no-inhibit", dir / "src", dir / "p.cfg"}).status, 0);
  DbusMock logind(dir.MakeDir("system"), "logind", "org.freedesktop.login1");
  std::vector<std::string> args;
  for (const std::string& arg : GetParam().args) args.push_back(Expand(arg, dir.str()));

  const CliResult run = RunCli(args, {"DBUS_SYSTEM_BUS_ADDRESS=" + logind.Address()});

  EXPECT_EQ(run.status, 0) << run.err;
  std::vector<std::string> expected;
  for (const std::string& call : GetParam().inhibits) expected.push_back(Expand(call, dir.str()));
  EXPECT_EQ(logind.CallsOf("Inhibit"), expected);
  // The lock went with the run.
  EXPECT_EQ(logind
                .Call("org.freedesktop.login1", "/org/freedesktop/login1",
                      "org.freedesktop.login1.Manager.ListInhibitors")
                .find("Kelvane"),
            std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CliInhibitTest,
    testing::Values(
        InhibitRow{"Check",
                   {"check", "@/p.cfg", "@/src"},
                   {"Inhibit \"sleep:idle\" \"Kelvane\" \"kelvane-cli check is verifying @/src\" "
                    "\"block\""}},
        InhibitRow{"New",
                   {"new", "@/src", "@/q.cfg"},
                   {"Inhibit \"sleep:idle\" \"Kelvane\" \"kelvane-cli new is reading every file of "
                    "@/src\" \"block\""}},
        InhibitRow{"NoInhibit", {"check", "--no-inhibit", "@/p.cfg", "@/src"}, {}}),
    kelvane::test::RowName());

TEST(CliInhibitTest, WithoutABusTheRunGoesOnSilently) {
  TempDir dir;
  dir.Write("src/a.txt", "abc");
  const std::vector<std::string> noBus = {"DBUS_SYSTEM_BUS_ADDRESS=unix:path=" + dir / "no-bus"};
  ASSERT_EQ(RunCli({"new", dir / "src", dir / "p.cfg"}, noBus).status, 0);
  const CliResult run = RunCli({"check", "--quiet", dir / "p.cfg", dir / "src"}, noBus);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
}

}  // namespace
}  // namespace kelvane
