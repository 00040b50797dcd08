// A project made on Windows (CR LF, "\", upper-case 8.3 names, a Windows-1252 name) opened and
// checked against a Linux copy whose names are lower case and UTF-8.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "cksummer/FileChecksums.h"
#include "commands/EntryResolver.h"
#include "commands/ProjectCommands.h"
#include "commands/VerificationRun.h"
#include "project/ValueEntry.h"
#include "support/FakeShell.h"
#include "support/NamedRows.h"
#include "support/SummaryText.h"
#include "support/TempDir.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;

using S = TCheckState;
using test::FakeShell;
using test::TempDir;

std::string ValueOf(const std::string& bytes) {
  TempDir dir;
  FakeShell meter;
  return MakeValueEntry(GetFileCRC32(dir.Write("f", bytes), meter), 0);
}

using test::SummaryText;

TEST(WindowsProjectTest, VerifiesAgainstALinuxCopyWithOtherCaseAndUtf8Names) {
  TempDir dir;
  dir.Write("copy/setup.exe", "setup");
  dir.Write("copy/data/disk1.cab", "cabinet");
  dir.Write("copy/README.TXT", "read me");
  dir.Write("copy/Musik/Caf\xC3\xA9.txt", "caf\xC3\xA9");
  // Exactly as Windows writes it, but for the last line, which has no line end.
  const std::string project =
      "[Kelvane]\r\nD:\\KELVANE.CFG\r\nD:\\DIST\\\r\n4\r\n"
      "SETUP.EXE\r\nDATA\\DISK1.CAB\r\nREADME.TXT\r\nMusik\\Caf\xE9.txt\r\n" +
      ValueOf("setup") + "\r\n" + ValueOf("cabinet") + "\r\n" + ValueOf("read me") + "\r\n" +
      ValueOf("caf\xC3\xA9");
  const std::string file = dir.Write("win.cfg", project);

  Session s;
  FakeShell shell;
  shell.openNames = {file};
  iOpenClick(s, shell);
  ASSERT_EQ(s.project.Count(), 4);
  EXPECT_EQ(s.project.Entry(3), "Musik\\Caf\xE9.txt");  // the bytes as read
  shell.folders = {dir / "copy"};
  iCheckClick(s, shell);

  EXPECT_TRUE(shell.questions.empty());
  EXPECT_EQ(shell.messages, std::vector<std::string>{SummaryText(0, 4, 4)});
  for (int i = 0; i < 4; ++i) EXPECT_EQ(s.project.State(i), S::cbChecked) << s.project.Entry(i);
}

// One entry against a small copy: whether it is found, and where.
struct FindRow {
  const char* name;
  std::vector<const char*> files;  // the copy, below its folder
  const char* entry;
  const char* found;  // relative to the copy; nullptr: not found
};
class EntryResolverFind : public testing::TestWithParam<FindRow> {};

TEST_P(EntryResolverFind, FindsTheOneMatchOrNone) {
  const FindRow& row = GetParam();
  TempDir dir;
  for (const char* file : row.files) dir.Write(std::string("copy/") + file, file);
  EntryResolver resolver(dir / "copy");
  const std::optional<std::string> found = resolver.Find(row.entry);
  if (row.found)
    EXPECT_EQ(found, dir / "copy/" + row.found);
  else
    EXPECT_EQ(found, std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, EntryResolverFind,
    testing::Values(
        FindRow{"ExactBytesWin", {"a.txt", "A.TXT"}, "A.TXT", "A.TXT"},
        FindRow{"AmbiguousByCaseMatchesOnlyExactly", {"a.txt", "A.txt"}, "A.TXT", nullptr},
        FindRow{"AmbiguousFolder", {"Data/x", "DATA/x"}, "data\\x", nullptr},
        FindRow{"EachSegmentOnItsOwn",
                {"Data/Disk1/readme.txt"},
                "DATA\\DISK1\\README.TXT",
                "Data/Disk1/readme.txt"},
        FindRow{"MissingStaysMissing", {"a.txt"}, "B.TXT", nullptr},
        FindRow{"UnicodeCase",
                {"\xC3\xA9t\xC3\xA9.txt"},
                "\xC3\x89T\xC3\x89.TXT",
                "\xC3\xA9t\xC3\xA9.txt"},
        FindRow{"GreekFinalSigma", {"\xCE\xBF\xCF\x82"}, "\xCE\x9F\xCE\xA3", "\xCE\xBF\xCF\x82"},
        FindRow{"Windows1252Name",
                {"Musik/Caf\xC3\xA9.txt"},
                "MUSIK\\CAF\xC9.TXT",
                "Musik/Caf\xC3\xA9.txt"},
        FindRow{"ParentSegmentNeverLeaves", {"a.txt"}, "..\\copy\\A.TXT", nullptr},
        FindRow{"ColonIsAName", {"a:b.txt"}, "A:B.TXT", "a:b.txt"}),
    kelvane::test::RowName());

// The rows of a Windows-made project that must still fail on the Linux copy.
struct FailRow {
  const char* name;
  const char* entry;
  const char* question;  // the path the question names, relative to the copy
};
class WindowsProjectFailure : public testing::TestWithParam<FailRow> {};

TEST_P(WindowsProjectFailure, IsAnErrorThatNamesThePath) {
  TempDir dir;
  dir.Write("copy/a.txt", "abc");
  dir.Write("copy/A.txt", "abc");
  dir.Write("secret.txt", "abc");
  Session s;
  s.project.Replace({GetParam().entry}, {"CADBBE3D000000001"});
  s.project.SyncChecksFromValues();
  FakeShell shell;
  shell.folders = {dir / "copy"};
  shell.answers = {true};

  iCheckClick(s, shell);

  ASSERT_EQ(shell.questions.size(), 1u);
  EXPECT_EQ(shell.questions[0].caption, "Error while Getting CRC-32");
  EXPECT_EQ(shell.questions[0].text,
            "File: " + (dir / "copy/") + GetParam().question + "\r\nDo you want to continue?");
  EXPECT_EQ(s.project.State(0), S::cbGrayed);
  EXPECT_EQ(shell.messages, std::vector<std::string>{SummaryText(1, 1, 1)});
}

INSTANTIATE_TEST_SUITE_P(Rows, WindowsProjectFailure,
                         testing::Values(FailRow{"AmbiguousByCase", "A.TXT", "A.TXT"},
                                         FailRow{"Missing", "GONE.TXT", "GONE.TXT"},
                                         FailRow{"ParentSegment", "..\\SECRET.TXT",
                                                 "../SECRET.TXT"}),
                         kelvane::test::RowName());

TEST(WindowsProjectTest, OpenThenSaveGivesBackEveryByte) {
  TempDir dir;
  const std::string path = dir / "win.cfg";
  const std::string bytes = "[Kelvane]\r\n" + path + "\r\nD:\\M\xDCSIK\\\r\n1\r\nCaf\xE9.txt\r\n" +
                            "CADBBE3D000000001\r\n";
  dir.Write("win.cfg", bytes);
  Session s;
  FakeShell shell;
  shell.openNames = {path};
  shell.saveNames = {path};
  iOpenClick(s, shell);
  iSaveClick(s, shell);
  EXPECT_EQ(dir.Read("win.cfg"), bytes);
}

}  // namespace
}  // namespace kelvane
