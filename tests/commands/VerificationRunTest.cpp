// The CHECK command: pick, marks, questions, summary, AutoEject and the sound failure rules.
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

}  // namespace
}  // namespace kelvane
