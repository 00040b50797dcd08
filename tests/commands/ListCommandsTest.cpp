// The list commands: click, toggle, STOP, Clear and Reset.
#include <gtest/gtest.h>

#include "commands/ListCommands.h"
#include "project/ListIndexError.h"

namespace kelvane {
namespace {

using S = TCheckState;

// Ten entries; the 3rd one carries 0A1B2C3D.
Session TenEntries() {
  Session s;
  for (int i = 0; i < 10; ++i) {
    s.project.AppendEntry("DATA\\FILE" + std::to_string(i) + ".TXT", S::cbChecked);
    s.project.AppendValue(i == 2 ? "0A1B2C3D000000001" : "FFFFFFFF000000001");
  }
  return s;
}

TEST(CheckListTheClickTest, ShowsTheStoredValuesOfTheEntry) {
  Session s = TenEntries();
  CheckListTheClick(s, 2);
  EXPECT_EQ(s.texts.Text(TLabel::Status1), "CRC-32bit :\t0A1B2C3DH");
  EXPECT_EQ(s.texts.Text(TLabel::Status2), "ChekSum19 :\t00000000H");
  EXPECT_EQ(s.texts.Text(TLabel::Status3), "3/10");
  EXPECT_EQ(s.texts.Text(TLabel::S17), "1");
  EXPECT_EQ(s.project.Value(2), "0A1B2C3D000000001");  // nothing is changed by looking
}

TEST(CheckListTheClickTest, EntryWithoutValueFailsWithTheIndexError) {
  Session s = TenEntries();
  s.project.DeleteValue(9);
  s.texts.Set(TLabel::Status1, "before");
  EXPECT_THROW(CheckListTheClick(s, 9), ListIndexError);
  EXPECT_EQ(s.texts.Text(TLabel::Status1), "before");
}

TEST(CheckListTheClickCheckTest, UntickAndTickRewriteOnlyTheFlag) {
  Session s = TenEntries();
  s.project.SetState(2, S::cbUnchecked);  // the widget toggles first, then calls the handler
  CheckListTheClickCheck(s, 2);
  EXPECT_EQ(s.project.Value(2), "0A1B2C3D000000000");
  EXPECT_EQ(s.texts.Text(TLabel::S17), "0");
  s.project.SetState(2, S::cbChecked);
  CheckListTheClickCheck(s, 2);
  EXPECT_EQ(s.project.Value(2), "0A1B2C3D000000001");
  EXPECT_EQ(s.texts.Text(TLabel::S17), "1");
  EXPECT_EQ(s.project.State(2), S::cbChecked);  // the handler never changes the state
}

TEST(CheckListTheClickCheckTest, TogglingAnEntryWithoutValueKeepsTheWidgetsState) {
  Session s = TenEntries();
  s.project.AppendEntry("NEW.TXT");
  s.project.SetState(10, S::cbChecked);
  EXPECT_THROW(CheckListTheClickCheck(s, 10), ListIndexError);
  EXPECT_EQ(s.project.State(10), S::cbChecked);
  EXPECT_EQ(s.project.ValueCount(), 10);
}

TEST(StopClickTest, OnlySetsTheFlag) {
  Session s = TenEntries();
  StopClick(s);
  EXPECT_TRUE(s.StopRequested);
  EXPECT_EQ(s.project.Count(), 10);
}

TEST(ClearClickTest, EmptiesTheProjectButKeepsTheProjectFile) {
  Session s = TenEntries();
  s.project.SetConfigPath("/lists/a.cfg");
  s.texts.Set(TLabel::ini, "/lists/a.cfg");
  s.SetSourceFolder("/src/");
  s.texts.Set(TLabel::ChkDst, "/media/cdrom/");
  s.texts.Set(TLabel::Status1, "CRC-32bit :\t0A1B2C3DH");
  s.CheckRoot = "/media/cdrom";
  s.CheckPerformed = true;
  clearClick(s);
  EXPECT_EQ(s.project.Count(), 0);
  EXPECT_EQ(s.project.ValueCount(), 0);
  EXPECT_EQ(s.project.SourceFolder(), "");
  EXPECT_EQ(s.texts.Text(TLabel::ChkSrc), "");
  EXPECT_EQ(s.texts.Text(TLabel::ChkDst), "");
  EXPECT_EQ(s.texts.Text(TLabel::ini), "/lists/a.cfg");
  EXPECT_EQ(s.project.ConfigPath(), "/lists/a.cfg");
  EXPECT_EQ(s.texts.Text(TLabel::Status1), "CRC-32bit :\t0A1B2C3DH");
  EXPECT_EQ(s.CheckRoot, "/media/cdrom");
  EXPECT_TRUE(s.CheckPerformed);
}

TEST(ResetClickTest, BringsStatesBackToFlagsAfterARun) {
  // passed, mismatched, excluded, unhandled: flags 1, 1, 0, 1.
  Session s;
  const std::vector<std::pair<S, const char*>> rows = {{S::cbChecked, "00000000000000001"},
                                                       {S::cbGrayed, "00000000000000001"},
                                                       {S::cbGrayed, "00000000000000000"},
                                                       {S::cbUnchecked, "00000000000000001"}};
  for (const auto& [state, value] : rows) {
    s.project.AppendEntry("f", state);
    s.project.AppendValue(value);
  }
  resetClick(s);
  EXPECT_EQ(s.project.State(0), S::cbChecked);
  EXPECT_EQ(s.project.State(1), S::cbChecked);
  EXPECT_EQ(s.project.State(2), S::cbUnchecked);
  EXPECT_EQ(s.project.State(3), S::cbChecked);
}

TEST(ResetClickTest, UnequalCountsFailWithBothCountsAndChangeNothing) {
  Session s = TenEntries();
  s.project.DeleteValue(9);
  s.project.SetState(0, S::cbGrayed);
  try {
    resetClick(s);
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(),
                 "ListFile invalid.\r\rChkList item count\t :10\rValues item count\t :9\r\r"
                 "Create new list first, please");
  }
  EXPECT_EQ(s.project.State(0), S::cbGrayed);
  EXPECT_EQ(s.project.ValueCount(), 9);
}

TEST(ResetClickTest, EmptyProjectDoesNothing) {
  Session s;
  EXPECT_NO_THROW(resetClick(s));
  EXPECT_EQ(s.project.Count(), 0);
}

}  // namespace
}  // namespace kelvane
