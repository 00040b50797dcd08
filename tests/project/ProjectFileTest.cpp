// Tests of the project file: line splitting, parsing, the exact bytes written, and saves that
// fail without harming the file that was there.
#include "project/ProjectFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "project/ListIndexError.h"
#include "project/ValueEntry.h"
#include "support/NamedRows.h"
#include "support/TempDir.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;

using test::FolderContents;
using test::TempDir;
using namespace std::string_literals;
namespace fs = std::filesystem;

std::vector<std::string> Strings(const std::vector<std::string_view>& views) {
  return {views.begin(), views.end()};
}

// --- splitting into lines ---

struct SplitRow {
  const char* name;
  std::string bytes;
  std::vector<std::string> lines;
};
class SplitLinesTest : public testing::TestWithParam<SplitRow> {};

TEST_P(SplitLinesTest, SplitsAtEveryKindOfLineEnd) {
  EXPECT_EQ(Strings(SplitLines(GetParam().bytes)), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SplitLinesTest,
    testing::Values(
        SplitRow{"Empty", "", {}}, SplitRow{"CrLf", "a\r\nb\r\n", {"a", "b"}},
        SplitRow{"LoneLf", "a\nb\n", {"a", "b"}}, SplitRow{"LoneCr", "a\rb\r", {"a", "b"}},
        SplitRow{"NoFinalLineEnd", "a\r\nb", {"a", "b"}}, SplitRow{"OnlyALineEnd", "\r\n", {""}},
        SplitRow{"BlankLinesKept", "a\n\n\r\n\rb", {"a", "", "", "", "b"}},
        SplitRow{"CrCrLfIsTwoEnds", "a\r\r\nb", {"a", "", "b"}},
        SplitRow{"LfCrIsTwoEnds", "a\n\rb", {"a", "", "b"}},
        SplitRow{"OtherBytesUntouched", "\xEF\xBB\xBFx\0y\t \xFF"s, {"\xEF\xBB\xBFx\0y\t \xFF"s}}),
    kelvane::test::RowName());

// --- files that parse ---

struct ParseRow {
  const char* name;
  std::string bytes;
  std::string sourceFolder;
  std::vector<std::string> entries;
  std::vector<std::string> values;
};
class ParseProjectTest : public testing::TestWithParam<ParseRow> {};

TEST_P(ParseProjectTest, TakesSourceEntriesAndEveryValueLine) {
  const ParsedProject parsed = ParseProject(GetParam().bytes);
  EXPECT_EQ(parsed.sourceFolder, GetParam().sourceFolder);
  EXPECT_EQ(parsed.entries, GetParam().entries);
  EXPECT_EQ(parsed.values, GetParam().values);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ParseProjectTest,
    testing::Values(
        ParseRow{"MixedLineEndsNoFinalEnd",
                 "[Kelvane]\n/old/place.cfg\r/src/\r\n2\nDATA\\A.TXT\rB.TXT\r\n"
                 "1234ABCD000000001\n0000000000000000",
                 "/src/",
                 {"DATA\\A.TXT", "B.TXT"},
                 {"1234ABCD000000001", "0000000000000000"}},
        ParseRow{"ZeroEntriesNothingAfter", "[Kelvane]\r\nx\r\n\r\n0\r\n", "", {}, {}},
        ParseRow{"ZeroEntriesWithoutLineEnd", "[Kelvane]\r\nx\r\n/s/\r\n0", "/s/", {}, {}},
        ParseRow{"BlankLastValueLine",
                 "[Kelvane]\r\nx\r\n/s/\r\n2\r\nA\r\nB\r\n11111111000000001\r\n\r\n",
                 "/s/",
                 {"A", "B"},
                 {"11111111000000001", ""}},
        ParseRow{"MoreValuesThanEntries",
                 "[Kelvane]\r\nx\r\n/s/\r\n1\r\nA\r\n11111111000000001\r\n"
                 "22222222000000000\r\n33333333000000001\r\n",
                 "/s/",
                 {"A"},
                 {"11111111000000001", "22222222000000000", "33333333000000001"}},
        ParseRow{"FewerValuesThanEntries",
                 "[Kelvane]\r\nx\r\n/s/\r\n2\r\nA\r\nB\r\n11111111000000001\r\n",
                 "/s/",
                 {"A", "B"},
                 {"11111111000000001"}},
        ParseRow{"LeadingZerosAndSign", "[Kelvane]\r\nx\r\n/s/\r\n+01\r\nA\r\n", "/s/", {"A"}, {}},
        ParseRow{"BytesPassThrough",
                 "[Kelvane]\r\nx\r\n/m\xE9\xFF/\r\n1\r\nA\\caf\xE9\0.txt\r\n \t\r\n"s,
                 "/m\xE9\xFF/",
                 {"A\\caf\xE9\0.txt"s},
                 {" \t"}}),
    kelvane::test::RowName());

TEST(ParseProjectTest, NeverReservesTheUntrustedCount) {
  // A count near the top of int with one entry line fails at the first missing line instead
  // of asking for gigabytes first.
  try {
    ParseProject("[Kelvane]\r\nx\r\n/s/\r\n2147483647\r\nA\r\n");
    FAIL() << "no error";
  } catch (const ListIndexError& error) {
    EXPECT_STREQ(error.what(), "List index out of bounds (5)");
  }
}

// --- the bytes written ---

class WriteProjectTest : public testing::Test {
 protected:
  void SetUp() override {
    project.SetSourceFolder("/media/cdrom/");
    project.Replace({"DATA\\DISK1\\README.TXT", "caf\xE9 \xFF.txt"},
                    {MakeValueEntry(0x1234ABCD, 0), "FFFFFFFF000000000"});
    project.SetConfigPath(dir / "a.cfg");
  }
  std::string Expected() const {
    return "[Kelvane]\r\n" + dir / "a.cfg" +
           "\r\n/media/cdrom/\r\n2\r\nDATA\\DISK1\\README.TXT\r\ncaf\xE9 \xFF.txt\r\n"
           "1234ABCD000000001\r\nFFFFFFFF000000000\r\n";
  }
  TempDir dir;
  Project project;
};

TEST_F(WriteProjectTest, WritesExactLinesEachEndedByCrLf) {
  WriteProject(project);
  EXPECT_EQ(dir.Read("a.cfg"), Expected());
}

TEST_F(WriteProjectTest, WritesEveryValueEntryWhateverTheirCount) {
  project.AppendValue("33333333000000001");
  WriteProject(project);
  EXPECT_EQ(dir.Read("a.cfg"), Expected() + "33333333000000001\r\n");
}

TEST_F(WriteProjectTest, ReplacesAnExistingFileKeepingItsPermissionBits) {
  dir.Write("a.cfg",
            "old contents that are longer than the new ones will be, by far....."
            "............................................................\r\n");
  ASSERT_EQ(chmod((dir / "a.cfg").c_str(), 0640), 0);
  WriteProject(project);
  EXPECT_EQ(dir.Read("a.cfg"), Expected());
  EXPECT_EQ(fs::status(dir / "a.cfg").permissions(), fs::perms(0640));
  EXPECT_EQ(FolderContents(dir.path()), std::vector<std::string>{"a.cfg"});
}

TEST_F(WriteProjectTest, NewFileTakesTheUsualModeUnderTheUmask) {
  const mode_t old = umask(027);
  WriteProject(project);
  umask(old);
  EXPECT_EQ(fs::status(dir / "a.cfg").permissions(), fs::perms(0640));
}

TEST_F(WriteProjectTest, WritesThroughASymbolicLink) {
  dir.Write("real/target.cfg", "old\r\n");
  fs::create_symlink(dir / "real/target.cfg", dir / "a.cfg");
  WriteProject(project);
  EXPECT_TRUE(fs::is_symlink(dir / "a.cfg"));
  EXPECT_EQ(dir.Read("real/target.cfg"), Expected());
  EXPECT_EQ(FolderContents(dir / "real"), std::vector<std::string>{"target.cfg"});
}

// --- saves that fail: the error, the old file untouched, no temporary file left ---

class FailedSaveTest : public WriteProjectTest {
 protected:
  static constexpr char kOld[] = "[Kelvane]\r\nthe project that was there\r\n";
  void ExpectFails(const std::string& path, const std::string& message) {
    project.SetConfigPath(path);
    try {
      WriteProject(project);
      ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& error) {
      EXPECT_EQ(error.what(), message);
    }
  }
};

TEST_F(FailedSaveTest, FolderThatDoesNotExist) {
  const std::string path = dir / "missing/a.cfg";
  ExpectFails(path, "Cannot create file \"" + path + "\". No such file or directory");
  EXPECT_TRUE(FolderContents(dir.path()).empty());
}

TEST_F(FailedSaveTest, TargetThatIsAFolder) {
  dir.Write("a.cfg/inside", "x");
  ExpectFails(dir / "a.cfg", "Cannot create file \"" + dir / "a.cfg" + "\". Is a directory");
  EXPECT_EQ(FolderContents(dir.path()), std::vector<std::string>{"a.cfg"});
  EXPECT_EQ(dir.Read("a.cfg/inside"), "x");
}

TEST_F(FailedSaveTest, ReadOnlyFileInReadOnlyFolder) {
  if (test::IgnoresPermissions()) GTEST_SKIP() << "root writes whatever the permission bits";
  const std::string path = dir.Write("ro/a.cfg", kOld);
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  ASSERT_EQ(chmod((dir / "ro").c_str(), 0555), 0);
  ExpectFails(path, "Cannot create file \"" + path + "\". Permission denied");
  EXPECT_EQ(dir.Read("ro/a.cfg"), kOld);
  EXPECT_EQ(FolderContents(dir / "ro"), std::vector<std::string>{"a.cfg"});
}

TEST_F(FailedSaveTest, ReadOnlyFileInWritableFolderIsNotReplaced) {
  if (test::IgnoresPermissions()) GTEST_SKIP() << "root writes whatever the permission bits";
  const std::string path = dir.Write("a.cfg", kOld);
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  ExpectFails(path, "Cannot create file \"" + path + "\". Permission denied");
  EXPECT_EQ(dir.Read("a.cfg"), kOld);
  EXPECT_EQ(FolderContents(dir.path()), std::vector<std::string>{"a.cfg"});
}

TEST_F(FailedSaveTest, WriteThatFailsHalfway) {
  // The file size limit makes the kernel refuse the write once a few bytes are in: a full disk
  // seen from inside the process.
  const std::string path = dir.Write("a.cfg", kOld);
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit small = old;
  small.rlim_cur = 20;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  ExpectFails(path, "Cannot write file \"" + path + "\". File too large");
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &old), 0);
  EXPECT_EQ(dir.Read("a.cfg"), kOld);
  EXPECT_EQ(FolderContents(dir.path()), std::vector<std::string>{"a.cfg"});
}

TEST_F(FailedSaveTest, LineBreakInATextIsRefusedBeforeTheFileIsTouched) {
  const std::string path = dir.Write("a.cfg", kOld);
  project.AppendEntry("two\nlines");
  ExpectFails(path, "Cannot store a line break in the project file: \"two\"");
  EXPECT_EQ(dir.Read("a.cfg"), kOld);
  EXPECT_EQ(FolderContents(dir.path()), std::vector<std::string>{"a.cfg"});
}

}  // namespace
}  // namespace kelvane
