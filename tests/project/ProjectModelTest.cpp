// The project model: value entries, flags, check states, SetConfigPath and the index error.
#include <gtest/gtest.h>

#include "FileUti2/PathHelpers.h"
#include "project/ListIndexError.h"
#include "project/Project.h"
#include "project/ValueEntry.h"
#include "support/NamedRows.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;

using S = TCheckState;

Project MakeProject(const std::vector<std::pair<std::string, std::string>>& rows) {
  Project p;
  for (const auto& [entry, value] : rows) {
    p.AppendEntry(entry);
    p.AppendValue(value);
  }
  return p;
}

TEST(ValueEntryTest, SumsAreEightUpperCaseDigitsThenFlagOne) {
  EXPECT_EQ(MakeValueEntry(0x0A1B2C3D, 0), "0A1B2C3D000000001");
  EXPECT_EQ(MakeValueEntry(0, 0), "00000000000000001");
  EXPECT_EQ(MakeValueEntry(0xFFFFFFFF, 0xFFFFFFFF), "FFFFFFFFFFFFFFFF1");
  EXPECT_EQ(MakeValueEntry(0xabcdef, 0x1), "00ABCDEF000000011");
}

TEST(ValueEntryTest, FieldsOfAShortEntryNeverLookValid) {
  EXPECT_EQ(StoredCRC32Text("0A1B"), "0A1B");
  EXPECT_EQ(StoredCheckSum19Text("0A1B2C3D0000"), "0000");
  EXPECT_EQ(FlagOf("0A1B2C3D00000000"), '\0');  // 16 characters: no flag, so not selected
  EXPECT_EQ(FlagOf("0A1B2C3D000000000"), '0');
}

struct FlagCase {
  const char* name;
  const char* before;
  S state;
  const char* after;
};

class SetFlagTest : public ::testing::TestWithParam<FlagCase> {};

TEST_P(SetFlagTest, FlagFollowsState) {
  Project p = MakeProject({{"a", GetParam().before}});
  p.SetFlag(0, GetParam().state);
  EXPECT_EQ(p.Value(0), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    States, SetFlagTest,
    ::testing::Values(
        FlagCase{"UncheckSelected", "0A1B2C3D000000001", S::cbUnchecked, "0A1B2C3D000000000"},
        FlagCase{"CheckExcluded", "0A1B2C3D000000000", S::cbChecked, "0A1B2C3D000000001"},
        FlagCase{"GrayExcluded", "0A1B2C3D000000000", S::cbGrayed, "0A1B2C3D000000001"},
        FlagCase{"CheckSelectedUnchanged", "0A1B2C3D000000001", S::cbChecked, "0A1B2C3D000000001"},
        FlagCase{"UncheckExcludedUnchanged", "0A1B2C3D000000000", S::cbUnchecked,
                 "0A1B2C3D000000000"},
        // A flag other than 0 or 1 is not "already right": it is rewritten.
        FlagCase{"OddFlagUnchecked", "0A1B2C3D00000000X", S::cbUnchecked, "0A1B2C3D000000000"},
        // A short hand-made entry: the flag lands in column 17, never in a sum.
        FlagCase{"ShortEntryPadded", "0A1B2C3D", S::cbUnchecked, "0A1B2C3D        0"}),
    kelvane::test::RowName());

TEST(SetFlagTest, FlagAlreadyRightIsNotRewritten) {
  // "1" followed by more text: the flag (column 17) is right, so the entry stays byte for byte.
  Project p = MakeProject({{"a", "0A1B2C3D000000001extra"}});
  p.SetFlag(0, S::cbGrayed);
  EXPECT_EQ(p.Value(0), "0A1B2C3D000000001extra");
}

TEST(ProjectTest, IndexErrorNamesTheIndex) {
  Project p = MakeProject({{"a", "00000000000000001"}});
  p.AppendEntry("b");  // no value entry for it
  try {
    (void)p.Value(1);
    FAIL() << "no error";
  } catch (const ListIndexError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (1)");
  }
  EXPECT_THROW((void)p.Entry(5), ListIndexError);
  EXPECT_THROW(p.SetFlag(-1, S::cbChecked), ListIndexError);
}

TEST(ProjectTest, SyncChecksFromValuesFollowsFlagsAndLeavesExcludedGrayed) {
  Project p = MakeProject({{"ok", "00000000000000001"},
                           {"mismatch", "00000000000000001"},
                           {"excluded", "00000000000000000"},
                           {"checked-but-excluded", "00000000000000000"},
                           {"short", "0000"}});
  p.SetState(0, S::cbChecked);
  p.SetState(1, S::cbGrayed);
  p.SetState(2, S::cbGrayed);
  p.SetState(3, S::cbChecked);
  p.SetState(4, S::cbChecked);
  p.SyncChecksFromValues();
  EXPECT_EQ(p.State(0), S::cbChecked);
  EXPECT_EQ(p.State(1), S::cbChecked);
  EXPECT_EQ(p.State(2), S::cbGrayed);
  EXPECT_EQ(p.State(3), S::cbUnchecked);
  EXPECT_EQ(p.State(4), S::cbUnchecked);
}

TEST(ProjectTest, SyncChecksFromValuesStopsAtTheFirstMissingValue) {
  Project p = MakeProject({{"a", "00000000000000001"}});
  p.AppendEntry("b");
  p.AppendEntry("c");
  try {
    p.SyncChecksFromValues();
    FAIL() << "no error";
  } catch (const ListIndexError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (1)");
  }
  EXPECT_EQ(p.State(0), S::cbChecked);  // what was done before the failure stays done
  EXPECT_EQ(p.State(1), S::cbUnchecked);
}

TEST(ProjectTest, SyncOnEmptyProjectDoesNothing) {
  Project p;
  p.AppendValue("00000000000000001");  // a surplus value entry alone changes nothing
  EXPECT_NO_THROW(p.SyncChecksFromValues());
  EXPECT_EQ(p.Count(), 0);
}

TEST(ProjectTest, StartsWithDefaultsInTheHomeFolder) {
  Project p;
  EXPECT_EQ(p.ConfigPath(), GetWindowsDir() + "/KELVANE.CFG");
  EXPECT_EQ(p.SourceFolder(), "");
  EXPECT_EQ(p.Count(), 0);
  EXPECT_EQ(p.ValueCount(), 0);
}

TEST(ProjectTest, SetConfigPathPlacesABareNameInTheHomeFolder) {
  Project p;
  p.SetConfigPath("MYLIST.CFG");
  EXPECT_EQ(p.ConfigPath(), GetWindowsDir() + "/MYLIST.CFG");
  p.SetConfigPath("/lists/A.CFG");
  EXPECT_EQ(p.ConfigPath(), "/lists/A.CFG");
  p.SetConfigPath("lists/A.CFG");  // a relative path with a folder is kept as given
  EXPECT_EQ(p.ConfigPath(), "lists/A.CFG");
}

// Records what a view is told, to check that every change reaches it.
class RecordingObserver : public ProjectObserver {
 public:
  std::vector<std::string> events;
  void EntriesReset() override { events.push_back("reset"); }
  void EntriesInserted(int first, int count) override {
    events.push_back("insert " + std::to_string(first) + "+" + std::to_string(count));
  }
  void EntriesRemoved(int first, int count) override {
    events.push_back("remove " + std::to_string(first) + "+" + std::to_string(count));
  }
  void StateChanged(int index) override { events.push_back("state " + std::to_string(index)); }
};

TEST(ProjectTest, ObserverHearsEveryVisibleChangeOnce) {
  Project p;
  RecordingObserver seen;
  p.SetObserver(&seen);
  p.AppendEntries({"a", "b"});
  p.AppendEntry("c", S::cbChecked);
  p.SetState(0, S::cbGrayed);
  p.SetState(0, S::cbGrayed);  // no change, no event
  p.DeleteEntry(1);
  p.AppendEntries({"d", "e", "f"});
  p.TruncateEntries(2);  // the unfinished entries of a stopped New go in one range
  p.TruncateEntries(5);  // nothing to drop, no event
  p.Clear();
  EXPECT_EQ(seen.events,
            (std::vector<std::string>{"insert 0+2", "insert 2+1", "state 0", "remove 1+1",
                                      "insert 2+3", "remove 2+3", "reset"}));
  EXPECT_EQ(p.Count(), 0);
}

}  // namespace
}  // namespace kelvane
