// Joining a list entry to a base folder, and the entries that must never be read.
#include <gtest/gtest.h>

#include <ostream>

#include "commands/EntryPath.h"
#include "support/NamedRows.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;

struct ResolveCase {
  const char* name;
  const char* base;
  const char* entry;
  const char* path;
  bool safe;
};
class ResolveEntryTest : public testing::TestWithParam<ResolveCase> {};

TEST_P(ResolveEntryTest, BuildsThePathAndJudgesIt) {
  const ResolveCase& c = GetParam();
  const EntryPath got = ResolveEntry(c.base, c.entry);
  EXPECT_EQ(got.path, c.path);
  EXPECT_EQ(got.safe, c.safe);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, ResolveEntryTest,
    testing::Values(ResolveCase{"BareName", "/srv/dist", "setup.exe", "/srv/dist/setup.exe", true},
                    ResolveCase{"NestedBackslashes", "/srv/dist", "DATA\\DISK1\\README.TXT",
                                "/srv/dist/DATA/DISK1/README.TXT", true},
                    ResolveCase{"RootBaseGivesOneSlash", "/", "data\\a.cab", "/data/a.cab", true},
                    ResolveCase{"EmptyBaseIsTheRoot", "", "data\\a.cab", "/data/a.cab", true},
                    ResolveCase{"NameWithSpacesAndDots", "/d", "my dir\\a..b .txt",
                                "/d/my dir/a..b .txt", true},
                    ResolveCase{"DotFileIsFine", "/d", ".config", "/d/.config", true},
                    ResolveCase{"ParentSegment", "/d", "..\\secret", "/d/../secret", false},
                    ResolveCase{"ParentInTheMiddle", "/d", "a\\..\\..\\x", "/d/a/../../x", false},
                    ResolveCase{"DotSegment", "/d", "a\\.\\b", "/d/a/./b", false},
                    ResolveCase{"EmptySegment", "/d", "a\\\\b", "/d/a//b", false},
                    ResolveCase{"TrailingSeparator", "/d", "a\\", "/d/a/", false},
                    ResolveCase{"LeadingBackslash", "/d", "\\etc\\passwd", "/d//etc/passwd", false},
                    ResolveCase{"LeadingSlash", "/d", "/etc/passwd", "/d//etc/passwd", false},
                    ResolveCase{"SlashParent", "/d", "a/../../x", "/d/a/../../x", false},
                    // A colon is an ordinary character of a Linux name.
                    ResolveCase{"ColonFolder", "/d", "C:\\x.txt", "/d/C:/x.txt", true},
                    ResolveCase{"ColonSecond", "/d", "a:b.txt", "/d/a:b.txt", true},
                    ResolveCase{"EmptyEntry", "/d", "", "/d/", false}),
    kelvane::test::RowName());

}  // namespace
}  // namespace kelvane
