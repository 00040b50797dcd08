// The path rules: separators at the end, joining, splitting, the home folder.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include "FileUti2/PathHelpers.h"
#include "support/NamedRows.h"
#include "support/TempDir.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;

struct TrailingCase {
  const char* name;
  const char* in;
  const char* out;
};

class RemoveTrailingBackslashTest : public ::testing::TestWithParam<TrailingCase> {};

TEST_P(RemoveTrailingBackslashTest, RemovesOneSeparatorExceptFromRoots) {
  EXPECT_EQ(RemoveTrailingBackslash(GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RemoveTrailingBackslashTest,
    ::testing::Values(
        TrailingCase{"Empty", "", ""}, TrailingCase{"LoneBackslash", "\\", "\\"},
        TrailingCase{"LoneSlash", "/", "/"}, TrailingCase{"DriveNoSep", "C:", "C:"},
        TrailingCase{"DriveRoot", "C:\\", "C:\\"}, TrailingCase{"DriveRootLower", "c:\\", "c:\\"},
        TrailingCase{"DriveRootSlash", "C:/", "C:/"}, TrailingCase{"DigitIsNoDrive", "1:\\", "1:"},
        TrailingCase{"Folder", "C:\\DATA\\", "C:\\DATA"},
        TrailingCase{"OnlyOneRemoved", "C:\\DATA\\\\", "C:\\DATA\\"},
        TrailingCase{"UncShare", "\\\\SERVER\\SHARE\\", "\\\\SERVER\\SHARE"},
        TrailingCase{"LinuxFolder", "/media/cdrom/", "/media/cdrom"},
        TrailingCase{"LinuxTwoSlashes", "/data//", "/data/"},
        TrailingCase{"NoSeparator", "/data", "/data"}, TrailingCase{"DoubleSlashOnly", "//", "/"},
        TrailingCase{"NonAsciiName", "/d\xc3\xa9j\xc3\xa0/", "/d\xc3\xa9j\xc3\xa0"}),
    kelvane::test::RowName());

TEST(FolderExistsTest, TrueOnlyForExistingDirectories) {
  test::TempDir dir;
  const std::string file = dir.Write("file.txt", "x");
  const std::string folder = dir.MakeDir("sub");
  EXPECT_FALSE(FolderExists(""));
  EXPECT_FALSE(FolderExists(dir / "missing"));
  EXPECT_FALSE(FolderExists(file));
  EXPECT_TRUE(FolderExists("/"));
  EXPECT_TRUE(FolderExists(folder));
  EXPECT_TRUE(FolderExists(folder + "/"));
}

TEST(GetWindowsDirTest, IsTheHomeFolderFromThePasswordDatabaseWithoutTrailingSlash) {
  const passwd* entry = getpwuid(getuid());
  ASSERT_NE(entry, nullptr);
  std::string expected = entry->pw_dir;
  while (!expected.empty() && expected.back() == '/') expected.pop_back();
  const std::string saved = getenv("HOME") ? getenv("HOME") : "";
  setenv("HOME", "/nowhere/else", 1);  // the environment must not matter
  EXPECT_EQ(GetWindowsDir(), expected);
  setenv("HOME", saved.c_str(), 1);
}

TEST(StripTrailingSeparatorsTest, RemovesEverySeparatorAtTheEnd) {
  const std::pair<std::string, std::string> cases[] = {
      {"/", "/"},  // the root stays, to be offered again
      {"//", "/"},
      {"/media/cdrom/", "/media/cdrom"},
      {"/media/cdrom//", "/media/cdrom"},
      {"/srv/dist", "/srv/dist"},
      {"D:\\", "D:"},
      {"C:\\DIST\\", "C:\\DIST"},
      {"", ""},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(StripTrailingSeparators(in), out) << in;
}

TEST(WithTrailingSeparatorTest, AddsOneSlashUnlessThereIsOne) {
  EXPECT_EQ(WithTrailingSeparator("/srv/dist"), "/srv/dist/");
  EXPECT_EQ(WithTrailingSeparator("/"), "/");
  EXPECT_EQ(WithTrailingSeparator(""), "/");
}

struct JoinRow {
  std::string name;
  std::string folder;
  std::string expected;
};
class JoinFolderPathCase : public testing::TestWithParam<JoinRow> {};

TEST_P(JoinFolderPathCase, PutsExactlyOneSlashBetween) {
  EXPECT_EQ(JoinFolderPath(GetParam().folder, "setup.exe"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, JoinFolderPathCase,
    testing::Values(JoinRow{"EmptyFolder", "", "/setup.exe"}, JoinRow{"Root", "/", "/setup.exe"},
                    JoinRow{"MountPoint", "/media/cdrom", "/media/cdrom/setup.exe"},
                    JoinRow{"TrailingSlash", "/media/cdrom/", "/media/cdrom/setup.exe"},
                    JoinRow{"Relative", "dist", "dist/setup.exe"}),
    kelvane::test::RowName());

TEST(SplitPathTest, GivesTheFolderAndTheName) {
  const struct {
    const char* path;
    const char* folder;
    const char* name;
  } cases[] = {{"a.cfg", ".", "a.cfg"},
               {"/a.cfg", "/", "a.cfg"},
               {"/lists/a.cfg", "/lists", "a.cfg"},
               {"lists/a.cfg", "lists", "a.cfg"},
               {"/lists/", "/lists", ""}};
  for (const auto& c : cases) {
    const auto [folder, name] = SplitPath(c.path);
    EXPECT_EQ(folder, c.folder) << c.path;
    EXPECT_EQ(name, c.name) << c.path;
  }
}

}  // namespace
}  // namespace kelvane
