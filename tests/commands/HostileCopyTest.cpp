// CHECK on a copy made to mislead: entries that hold a NUL, links that lead out of the copy, and
// names that answer two entries. Each entry must be read inside the copy, from one file of its own.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "VerificationFixtures.h"
#include "commands/VerificationRun.h"
#include "support/FakeShell.h"
#include "support/NamedRows.h"
#include "support/TempDir.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;
using test::FakeShell;
using test::kAbc;
using test::TempDir;
using namespace std::string_literals;
namespace fs = std::filesystem;

// What CHECK told of one entry: the outcome, where it looked (below the copy), and why it failed.
struct Told {
  EntryVerdict::Outcome outcome;
  std::string path;
  std::string reason = {};
};

struct HostileRow {
  const char* name;
  std::vector<std::string> entries;  // each stored with the sum of "abc"
  std::function<void(const TempDir& copy, const TempDir& outside)> make;
  std::vector<Told> told;
};
class HostileCopyTest : public testing::TestWithParam<HostileRow> {};

TEST_P(HostileCopyTest, EachEntryIsReadInsideTheCopyFromAFileOfItsOwn) {
  const HostileRow& row = GetParam();
  TempDir copy, outside;
  // "abc" outside the copy: a link that reached it would pass as valid.
  outside.Write("secret.txt", "abc");
  row.make(copy, outside);
  Session s = test::MakeSession(row.entries, std::vector<std::string>(row.entries.size(), kAbc));
  FakeShell shell;
  shell.folders = {copy.str()};
  shell.answers = std::deque<bool>(row.entries.size(), true);

  iCheckClick(s, shell);

  ASSERT_EQ(shell.verdicts.size(), row.told.size());
  for (std::size_t i = 0; i < row.told.size(); ++i) {
    SCOPED_TRACE("entry " + std::to_string(i));
    EXPECT_EQ(shell.verdicts[i].outcome, row.told[i].outcome);
    EXPECT_EQ(shell.verdicts[i].path, copy / row.told[i].path);
    EXPECT_EQ(shell.verdicts[i].reason, row.told[i].reason);
  }
}

const std::string kMissing = "No such file or directory";

INSTANTIATE_TEST_SUITE_P(
    Rows, HostileCopyTest,
    testing::Values(
        HostileRow{"EntryHoldingNul",
                   {"a.txt\0junk"s},
                   [](const TempDir& c, const TempDir&) { c.Write("a.txt", "abc"); },
                   {{EntryVerdict::unreadable, "a.txt\0junk"s, "The entry holds a NUL byte"}}},
        HostileRow{"RelativeLinkOutOfTheCopy",
                   {"data\\secret.txt"},
                   [](const TempDir& c, const TempDir& o) {
                     c.MakeDir("data");
                     // As many ".." as it takes to reach the root, then down to the file.
                     fs::create_symlink("../../../../../../../../../.." + o.str() + "/secret.txt",
                                        c / "data/secret.txt");
                   },
                   {{EntryVerdict::unreadable, "data/secret.txt", kMissing}}},
        HostileRow{"AbsoluteLinkMeansTheCopysRoot",
                   {"link.txt", "folder\\link.txt"},
                   [](const TempDir& c, const TempDir& o) {
                     // On the disc, /a.txt is the disc's own a.txt.
                     c.Write("a.txt", "abc");
                     fs::create_symlink("/a.txt", c / "link.txt");
                     c.MakeDir("folder");
                     fs::create_symlink(o / "secret.txt", c / "folder/link.txt");
                   },
                   {{EntryVerdict::valid, "link.txt"},
                    {EntryVerdict::unreadable, "folder/link.txt", kMissing}}},
        HostileRow{
            "FolderLinkOutOfTheCopy",
            {"out\\secret.txt"},
            [](const TempDir& c, const TempDir& o) { fs::create_symlink(o.path(), c / "out"); },
            {{EntryVerdict::unreadable, "out/secret.txt", kMissing}}},
        HostileRow{
            "CaseTwinOfAnExactEntry",
            {"Readme", "README"},
            [](const TempDir& c, const TempDir&) { c.Write("README", "abc"); },
            {{EntryVerdict::unreadable, "Readme", kMissing}, {EntryVerdict::valid, "README"}}},
        HostileRow{
            "TwoCaseTwinsOfOneFile",
            {"Readme", "readme"},
            [](const TempDir& c, const TempDir&) { c.Write("README", "abc"); },
            {{EntryVerdict::valid, "README"}, {EntryVerdict::unreadable, "readme", kMissing}}},
        HostileRow{
            "ByCaseThroughALinkOutOfTheCopy",
            // The outside folder holds secret.txt: a look by case there would tell so.
            {"out\\SECRET.TXT"},
            [](const TempDir& c, const TempDir& o) { fs::create_symlink(o.path(), c / "out"); },
            {{EntryVerdict::unreadable, "out/SECRET.TXT", kMissing}}},
        HostileRow{"ByCaseThroughALinkInsideTheCopy",
                   {"data\\README.TXT"},
                   [](const TempDir& c, const TempDir&) {
                     c.Write("real/readme.txt", "abc");
                     fs::create_symlink("real", c / "Data");
                   },
                   {{EntryVerdict::valid, "Data/readme.txt"}}},
        HostileRow{"CodePageTwinOfAnExactEntry",
                   // Windows-1252 "Café" and the UTF-8 name that a copy holds for it.
                   {"Caf\xE9", "Caf\xC3\xA9"},
                   [](const TempDir& c, const TempDir&) { c.Write("Caf\xC3\xA9", "abc"); },
                   {{EntryVerdict::unreadable, "Caf\xE9", kMissing},
                    {EntryVerdict::valid, "Caf\xC3\xA9"}}}),
    kelvane::test::RowName());

}  // namespace
}  // namespace kelvane
