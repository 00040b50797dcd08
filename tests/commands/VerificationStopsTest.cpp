// The CHECK command cut short: a No, STOP, a toggle meanwhile, a failure inside the run, and
// the folders it picks.
#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "VerificationFixtures.h"
#include "commands/ListCommands.h"
#include "commands/VerificationRun.h"
#include "project/ListIndexError.h"
#include "support/FakeShell.h"
#include "support/NamedRows.h"
#include "support/TempDir.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;

using S = TCheckState;
using test::Copy;
using test::FakeShell;
using test::kAbc;
using test::kDigits;
using test::MakeSession;
using test::States;
using test::Summary;
using test::TempDir;
using test::ThreeGood;

// A mismatch answered No: after a match the tray still opens, at the first entry it does not.
struct NoAnswerCase {
  const char* name;
  std::vector<std::string> values;
  std::vector<S> states;
  std::string summary;
  int ejects;
};
class VerificationMismatchNoTest : public testing::TestWithParam<NoAnswerCase> {};

TEST_P(VerificationMismatchNoTest, EndsTheRun) {
  const NoAnswerCase& c = GetParam();
  Copy copy;
  Session s = MakeSession({"sub\\b.txt", "a.txt", "c.txt"}, c.values);
  FakeShell shell;
  shell.folders = {copy.dir.str()};
  shell.isCdrom = [](const std::string&) { return true; };
  shell.autoEject = true;
  shell.answers = {false};

  iCheckClick(s, shell);

  EXPECT_EQ(shell.questions.size(), 1u);
  EXPECT_EQ(States(s.project), c.states);
  EXPECT_EQ(shell.messages, std::vector<std::string>{c.summary});
  EXPECT_EQ(shell.ejectClicks, c.ejects);
  EXPECT_EQ(shell.buttonCalls, (std::vector<bool>{false, true}));
}

INSTANTIATE_TEST_SUITE_P(Answers, VerificationMismatchNoTest,
                         testing::Values(NoAnswerCase{"AtTheFirstEntry",
                                                      {"FFFFFFFF000000001", kAbc, kAbc},
                                                      {S::cbGrayed, S::cbUnchecked, S::cbUnchecked},
                                                      Summary(1, 0, 1, 2, 3),
                                                      0},
                                         NoAnswerCase{"AfterAMatch",
                                                      {kDigits, "FFFFFFFF000000001", kAbc},
                                                      {S::cbChecked, S::cbGrayed, S::cbUnchecked},
                                                      Summary(1, 1, 2, 1, 3),
                                                      1}),
                         kelvane::test::RowName());

// STOP seen at each poll of the second entry (pumps 4, 5, 6): an entry cut short before its
// comparison is neither counted nor marked.
class VerificationStopTest : public testing::TestWithParam<int> {};

TEST_P(VerificationStopTest, CountsOnlyFinishedEntries) {
  Copy copy;
  Session s = MakeSession({"sub\\b.txt", "a.txt", "x.txt", "c.txt"},
                          {kDigits, kAbc, "00000000000000000", kAbc});
  FakeShell shell;
  shell.folders = {copy.dir.str()};
  shell.isCdrom = [](const std::string&) { return true; };
  shell.autoEject = true;
  shell.atPump[GetParam()] = [&s] { s.StopRequested = true; };

  iCheckClick(s, shell);

  EXPECT_EQ(States(s.project),
            (std::vector<S>{S::cbChecked, S::cbUnchecked, S::cbGrayed, S::cbUnchecked}));
  EXPECT_EQ(shell.messages, std::vector<std::string>{Summary(0, 1, 1, 3, 4)});
  EXPECT_TRUE(shell.buttonsEnabled);
  EXPECT_EQ(shell.ejectClicks, 1);  // the first entry was finished
}

std::string PollName(const testing::TestParamInfo<int>& info) {
  const char* names[] = {"BetweenEntries", "BeforeTheCRC", "BeforeTheCheckSum19"};
  return names[info.param - 4];
}

INSTANTIATE_TEST_SUITE_P(Polls, VerificationStopTest, testing::Values(4, 5, 6), PollName);

TEST(VerificationRunTest, ToggleDuringTheRunDecidesALaterEntry) {
  Copy copy;
  Session s = MakeSession({"sub\\b.txt", "a.txt", "c.txt"}, {kDigits, "CADBBE3D000000000", kAbc});
  FakeShell shell;
  shell.folders = {copy.dir.str()};
  // While the first entry is handled the user ticks the excluded a.txt and unticks c.txt, as the
  // list's box handler does it.
  shell.atPump[2] = [&s] {
    s.project.SetState(1, S::cbChecked);
    CheckListTheClickCheck(s, 1);
    s.project.SetState(2, S::cbUnchecked);
    CheckListTheClickCheck(s, 2);
  };

  iCheckClick(s, shell);

  EXPECT_EQ(States(s.project), (std::vector<S>{S::cbChecked, S::cbChecked, S::cbGrayed}));
  EXPECT_EQ(shell.messages, std::vector<std::string>{Summary(0, 2, 2, 1, 3)});
}

TEST(VerificationRunTest, S17ShowsTheFlagAsItIsWhenEachSumStarts) {
  Copy copy;
  Session s = MakeSession({"a.txt"}, {kAbc});
  FakeShell shell;
  shell.folders = {copy.dir.str()};
  std::string s17AtFirstPoll;
  // The user unticks the entry while its CRC-32 is about to be taken.
  shell.atPump[2] = [&] {
    s17AtFirstPoll = s.texts.Text(TLabel::S17);
    s.project.SetState(0, S::cbUnchecked);
    CheckListTheClickCheck(s, 0);
  };

  iCheckClick(s, shell);

  EXPECT_EQ(s17AtFirstPoll, "CRC32:1");
  EXPECT_EQ(s.texts.Text(TLabel::S17), "CHX19:0");
  EXPECT_EQ(s.project.Value(0), "CADBBE3D000000000");
}

TEST(VerificationRunTest, ShortValueListFailsWithTheIndexErrorAndRestoresTheMarks) {
  Copy copy;
  Session s;
  s.project.Replace({"sub\\b.txt", "a.txt", "c.txt"}, {kDigits, "CADBBE3D000000000"});
  s.project.SetState(0, S::cbChecked);
  s.project.SetState(2, S::cbGrayed);  // left from an earlier run
  FakeShell shell;
  shell.folders = {copy.dir.str()};
  shell.isCdrom = [](const std::string&) { return true; };
  shell.autoEject = true;

  try {
    iCheckClick(s, shell);
    FAIL() << "no error";
  } catch (const ListIndexError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (2)");
  }
  // The preparation pass unmarked the entries up to the failing one; SyncChecksFromValues then
  // ran as far as the values go, leaving the excluded entry grayed.
  EXPECT_EQ(States(s.project), (std::vector<S>{S::cbChecked, S::cbGrayed, S::cbUnchecked}));
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_EQ(shell.buttonCalls, (std::vector<bool>{false, true}));
  EXPECT_EQ(shell.ejectClicks, 0);
}

TEST(VerificationRunTest, FailureInsideTheRunRestoresTheMarksFromTheFlags) {
  Copy copy;
  Session s = MakeSession({"sub\\b.txt", "a.txt", "c.txt"}, {kDigits, "CADBBE3D000000000", kAbc});
  FakeShell shell;
  shell.folders = {copy.dir.str()};
  shell.atPump[5] = [] { throw std::runtime_error("boom"); };

  EXPECT_THROW(iCheckClick(s, shell), std::runtime_error);
  EXPECT_EQ(States(s.project), (std::vector<S>{S::cbChecked, S::cbGrayed, S::cbChecked}));
  EXPECT_TRUE(shell.buttonsEnabled);
  EXPECT_TRUE(shell.messages.empty());
}

TEST(VerificationRunTest, RootPickJoinsWithOneSlashAndIsOfferedAgain) {
  Copy copy;
  // Entries below "/" that lead into the fixture, written as a project stores them.
  std::string below = copy.dir.str().substr(1);
  std::replace(below.begin(), below.end(), '/', '\\');
  Session s = MakeSession({below + "\\a.txt", below + "\\gone.txt"}, {kAbc, kAbc});
  FakeShell shell;
  shell.folders = {"/", std::nullopt};
  shell.answers = {true};

  iCheckClick(s, shell);

  EXPECT_EQ(s.CheckRoot, "/");
  EXPECT_EQ(s.texts.Text(TLabel::ChkDst), "/");
  EXPECT_EQ(shell.cdromQueries, std::vector<std::string>{"/"});
  EXPECT_EQ(s.project.State(0), S::cbChecked);
  ASSERT_EQ(shell.questions.size(), 1u);
  EXPECT_EQ(shell.questions[0].text,
            "File: " + copy.dir.str() + "/gone.txt\r\nDo you want to continue?");

  clearClick(s);  // the root is remembered whatever the labels show
  s.project.AppendEntry("a.txt");
  s.project.AppendValue(kAbc);
  iCheckClick(s, shell);
  EXPECT_EQ(shell.pickOffers, (std::vector<std::string>{"", "/"}));
}

TEST(VerificationRunTest, PickOffersTheLastFolder) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},  // never picked
      {"/media/cdrom", "/media/cdrom"},
      {"D:", "D:\\"},  // a root from a Windows-made session keeps its backslash
      {"D:\\DIST", "D:\\DIST"},
  };
  for (const auto& [root, offer] : cases) {
    Session s = ThreeGood();
    s.CheckRoot = root;
    FakeShell shell;
    shell.folders = {std::nullopt};
    iCheckClick(s, shell);
    EXPECT_EQ(shell.pickOffers, std::vector<std::string>{offer}) << root;
  }
}

}  // namespace
}  // namespace kelvane
