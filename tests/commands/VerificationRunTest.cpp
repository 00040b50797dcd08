// The CHECK command: pick, marks, questions, summary, AutoEject and the sound failure rules.
#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <filesystem>
#include <vector>

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
using test::FakeShell;
using test::TempDir;

// "abc" and "123456789" have the well-known sums of the engine.
constexpr char kAbc[] = "CADBBE3D000000001";
constexpr char kDigits[] = "340BC6D9000000001";

// A copy of the distribution: sub\b.txt ("123456789"), a.txt ("abc"), c.txt ("abc").
struct Copy {
  TempDir dir;
  Copy() {
    dir.Write("sub/b.txt", "123456789");
    dir.Write("a.txt", "abc");
    dir.Write("c.txt", "abc");
  }
};

// A project of the given entries and values, check marks from the flags as after Open.
Session MakeSession(std::vector<std::string> entries, std::vector<std::string> values) {
  Session s;
  s.project.Replace(std::move(entries), std::move(values));
  s.project.SyncChecksFromValues();
  return s;
}

Session ThreeGood() {
  return MakeSession({"sub\\b.txt", "a.txt", "c.txt"}, {kDigits, kAbc, kAbc});
}

std::vector<S> States(const Project& p) {
  std::vector<S> states;
  for (int i = 0; i < p.Count(); ++i) states.push_back(p.State(i));
  return states;
}

std::string Summary(int errors, int valid, int checked, int skipped, int total) {
  const std::string rule(25, '-');
  return "Error(s) found\t: " + std::to_string(errors) +
         "\rCheksum valid\t: " + std::to_string(valid) + "\r" + rule +
         "\rChecked \t: " + std::to_string(checked) + "\rSkipped \t: " + std::to_string(skipped) +
         "\r" + rule + "\rTotal file(s)\t: " + std::to_string(total);
}

// Pumps per entry: 1 for an excluded or grayed one, 3 for one that is checked to its end.
TEST(VerificationRunTest, EmptyListFailsBeforeAnyPick) {
  Session s;
  FakeShell shell;
  try {
    iCheckClick(s, shell);
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "No file listed");
  }
  EXPECT_TRUE(shell.pickOffers.empty());
  EXPECT_TRUE(shell.buttonCalls.empty());
}

TEST(VerificationRunTest, CancelledPickChangesNothing) {
  Session s = ThreeGood();
  s.CheckRoot = "/media/old";
  s.CheckPerformed = true;
  FakeShell shell;
  shell.folders = {std::nullopt};
  iCheckClick(s, shell);
  EXPECT_EQ(shell.pickOffers, std::vector<std::string>{"/media/old"});
  EXPECT_EQ(shell.pickPrompts,
            std::vector<std::string>{"Please pick a drive or directory to scan"});
  EXPECT_EQ(s.CheckRoot, "/media/old");
  EXPECT_TRUE(s.CheckPerformed);
  EXPECT_TRUE(shell.cdromQueries.empty());
  EXPECT_TRUE(shell.buttonCalls.empty());
  EXPECT_EQ(States(s.project), std::vector<S>(3, S::cbChecked));
}

TEST(VerificationRunTest, IntactCopyIsAllCheckedAndEjected) {
  Copy copy;
  Session s = ThreeGood();
  FakeShell shell;
  shell.folders = {copy.dir.str() + "/"};
  shell.isCdrom = [](const std::string&) { return true; };
  shell.autoEject = true;

  iCheckClick(s, shell);

  EXPECT_EQ(shell.cdromQueries, std::vector<std::string>{copy.dir.str() + "/"});  // as picked
  EXPECT_EQ(s.CheckRoot, copy.dir.str());
  EXPECT_EQ(s.texts.Text(TLabel::ChkDst), copy.dir.str() + "/");
  EXPECT_EQ(States(s.project), std::vector<S>(3, S::cbChecked));
  EXPECT_EQ(shell.messages, std::vector<std::string>{Summary(0, 3, 3, 0, 3)});
  EXPECT_TRUE(shell.questions.empty());
  EXPECT_EQ(s.texts.Text(TLabel::Status1), "CRC-32bit :\tCADBBE3DH -OK");
  EXPECT_EQ(s.texts.Text(TLabel::Status2), "ChekSum19 :\t00000000H -OK");
  EXPECT_EQ(s.texts.Text(TLabel::Status3), "3/3");
  EXPECT_EQ(s.texts.Text(TLabel::S17), "CHX19:1");
  EXPECT_EQ(shell.pumps, 3 * 3);
  EXPECT_EQ(shell.buttonCalls, (std::vector<bool>{false, true}));
  EXPECT_TRUE(s.CheckPerformed);
  EXPECT_EQ(shell.ejectClicks, 1);
  EXPECT_TRUE(shell.autoEject);
  // The run changes marks only, never the flags.
  EXPECT_EQ(s.project.Values(), (std::vector<std::string>{kDigits, kAbc, kAbc}));
}

TEST(VerificationRunTest, AllExcludedReadsNothingAndEjectsNothing) {
  Copy copy;
  Session s = MakeSession({"sub\\b.txt", "a.txt"}, {"340BC6D9000000000", "CADBBE3D000000000"});
  FakeShell shell;
  shell.folders = {copy.dir.str()};
  shell.isCdrom = [](const std::string&) { return true; };
  shell.autoEject = true;

  iCheckClick(s, shell);

  EXPECT_EQ(shell.messages, std::vector<std::string>{Summary(0, 0, 0, 2, 2)});
  EXPECT_EQ(States(s.project), std::vector<S>(2, S::cbGrayed));
  EXPECT_TRUE(shell.meter.empty());  // no file was read
  EXPECT_FALSE(s.CheckPerformed);
  EXPECT_EQ(shell.ejectClicks, 0);
}

TEST(VerificationRunTest, NonOpticalPickUnticksAutoEject) {
  Copy copy;
  Session s = ThreeGood();
  FakeShell shell;
  shell.folders = {copy.dir.str()};
  shell.autoEject = true;  // isCdrom answers false

  iCheckClick(s, shell);

  EXPECT_FALSE(shell.autoEject);
  EXPECT_EQ(shell.ejectClicks, 0);
  EXPECT_EQ(shell.messages, std::vector<std::string>{Summary(0, 3, 3, 0, 3)});
}

// One entry against a.txt ("abc"), with the stored value and the file's fate varied.
struct OneEntryCase {
  const char* name;
  const char* stored;
  const char* entry;  // "a.txt" exists, anything else does not
  const char* status1;
  const char* status2;
  const char* caption;  // the one question asked, "" for none
  S state;
  int errors;
};
class VerificationOneEntryTest : public testing::TestWithParam<OneEntryCase> {};

TEST_P(VerificationOneEntryTest, MarksAndCounts) {
  const OneEntryCase& c = GetParam();
  Copy copy;
  Session s = MakeSession({c.entry}, {c.stored});
  FakeShell shell;
  shell.folders = {copy.dir.str()};
  shell.answers = {true};

  iCheckClick(s, shell);

  EXPECT_EQ(s.texts.Text(TLabel::Status1), c.status1);
  EXPECT_EQ(s.texts.Text(TLabel::Status2), c.status2);
  if (*c.caption) {
    ASSERT_EQ(shell.questions.size(), 1u);
    EXPECT_EQ(shell.questions[0].caption, c.caption);
  } else {
    EXPECT_TRUE(shell.questions.empty());
  }
  EXPECT_EQ(States(s.project), std::vector<S>{c.state});
  EXPECT_EQ(shell.messages, std::vector<std::string>{Summary(c.errors, 1 - c.errors, 1, 0, 1)});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VerificationOneEntryTest,
    testing::Values(
        OneEntryCase{"Match", "CADBBE3D000000001", "a.txt", "CRC-32bit :\tCADBBE3DH -OK",
                     "ChekSum19 :\t00000000H -OK", "", S::cbChecked, 0},
        // Only flag "0" excludes: a hand-edited flag of another kind leaves the entry selected.
        OneEntryCase{"FlagOtherThanZeroOrOneIsSelected", "CADBBE3D00000000X", "a.txt",
                     "CRC-32bit :\tCADBBE3DH -OK", "ChekSum19 :\t00000000H -OK", "", S::cbChecked,
                     0},
        OneEntryCase{"LowerCaseStoredNeverMatches", "cadbbe3d000000001", "a.txt",
                     "CRC-32bit :\tcadbbe3dH ->ERROR!", "ChekSum19 :\t00000000H -OK",
                     "CheckSum Error", S::cbGrayed, 1},
        OneEntryCase{"CheckSum19OtherThanZeros", "CADBBE3D000000011", "a.txt",
                     "CRC-32bit :\tCADBBE3DH -OK", "ChekSum19 :\t00000001H ->ERROR!",
                     "CheckSum Error", S::cbGrayed, 1},
        OneEntryCase{"MisalignedStoredSumsNeverMatch", "ADBBE3D00000000 1", "a.txt",
                     "CRC-32bit :\tADBBE3D0H ->ERROR!", "ChekSum19 :\t0000000 H ->ERROR!",
                     "CheckSum Error", S::cbGrayed, 1},
        // Unreadable: a failed entry, no comparison, no marks, no mismatch question.
        OneEntryCase{"MissingFile", "CADBBE3D000000001", "gone.txt", "CRC-32bit :\tCADBBE3DH",
                     "ChekSum19 :\t00000000H", "Error while Getting CRC-32", S::cbGrayed, 1},
        OneEntryCase{"EntryLeavingTheFolder", "CADBBE3D000000001", "..\\a.txt",
                     "CRC-32bit :\tCADBBE3DH", "ChekSum19 :\t00000000H",
                     "Error while Getting CRC-32", S::cbGrayed, 1}),
    kelvane::test::RowName());

TEST(VerificationRunTest, MismatchTextIsExact) {
  TempDir dir;
  dir.Write("DATA/DISK1/README.TXT", "abc");
  Session s = MakeSession({"DATA\\DISK1\\README.TXT"}, {"0A1B2C3D000000001"});
  FakeShell shell;
  shell.folders = {dir.str()};
  shell.answers = {false};

  iCheckClick(s, shell);

  ASSERT_EQ(shell.questions.size(), 1u);
  EXPECT_EQ(shell.questions[0].caption, "CheckSum Error");
  EXPECT_EQ(shell.questions[0].text,
            "CheckSum not matched!\r\n\r\nCyclic Redundancy Check (CRC)-32bit test\r"
            "File name \t: README.TXT\r"
            "----------------------------------------\r"
            "Stored value\t: 0A1B2C3D H\r"
            "Checked value\t: CADBBE3D H\r\n\r\n"
            "Do you want to continue to check the rest of files?");
  EXPECT_EQ(shell.messages, std::vector<std::string>{"Error(s) found\t: 1\rCheksum valid\t: 0\r"
                                                     "-------------------------\rChecked \t: 1\r"
                                                     "Skipped \t: 0\r-------------------------\r"
                                                     "Total file(s)\t: 1"});
}

TEST(VerificationRunTest, MissingFileAsksWithTheFullPathAndNeverComparesAStaleSum) {
  Copy copy;
  // The missing entry follows a.txt and is stored with a.txt's sum: comparing the sum left over
  // from a.txt would wrongly pass it.
  Session s = MakeSession({"a.txt", "dir\\gone.txt", "sub\\b.txt"}, {kAbc, kAbc, kDigits});
  FakeShell shell;
  shell.folders = {copy.dir.str()};
  shell.isCdrom = [](const std::string&) { return true; };
  shell.autoEject = true;
  shell.answers = {true};

  iCheckClick(s, shell);

  ASSERT_EQ(shell.questions.size(), 1u);
  EXPECT_EQ(shell.questions[0].caption, "Error while Getting CRC-32");
  EXPECT_EQ(shell.questions[0].text,
            "File: " + copy.dir.str() + "/dir/gone.txt\r\nDo you want to continue?");
  EXPECT_EQ(States(s.project), (std::vector<S>{S::cbChecked, S::cbGrayed, S::cbChecked}));
  EXPECT_EQ(shell.messages, std::vector<std::string>{Summary(1, 2, 3, 0, 3)});
  EXPECT_EQ(shell.ejectClicks, 1);
}

TEST(VerificationRunTest, MissingFileAnsweredNoIsStillAFailedEntry) {
  Copy copy;
  Session s = MakeSession({"gone.txt", "a.txt"}, {kAbc, kAbc});
  FakeShell shell;
  shell.folders = {copy.dir.str()};
  shell.isCdrom = [](const std::string&) { return true; };
  shell.autoEject = true;
  shell.answers = {false};

  iCheckClick(s, shell);

  EXPECT_EQ(shell.questions.size(), 1u);
  EXPECT_EQ(States(s.project), (std::vector<S>{S::cbGrayed, S::cbUnchecked}));
  EXPECT_EQ(shell.messages, std::vector<std::string>{Summary(1, 0, 1, 1, 2)});
  EXPECT_FALSE(s.CheckPerformed);
  EXPECT_EQ(shell.ejectClicks, 0);
}

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
