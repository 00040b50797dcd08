// Tests of Open and Save: dialogs offered and cancelled, round trips, and every way an opened
// file can fail, each leaving the project as it was.
#include "commands/ProjectCommands.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "FileUti2/PathHelpers.h"
#include "commands/ListCommands.h"
#include "project/ListIndexError.h"
#include "project/ValueEntry.h"
#include "support/FakeShell.h"
#include "support/NamedRows.h"
#include "support/TempDir.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;

using test::FakeShell;
using test::TempDir;
using State = TCheckState;

// Everything of a project that a failed Open must leave alone.
struct Snapshot {
  std::vector<std::string> entries;
  std::vector<State> states;
  std::vector<std::string> values;
  std::string sourceFolder, ChkSrc, ChkDst;
  bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const Session& session) {
  const Project& p = session.project;
  Snapshot s;
  for (int i = 0; i < p.Count(); ++i) {
    s.entries.push_back(p.Entry(i));
    s.states.push_back(p.State(i));
  }
  s.values = p.Values();
  s.sourceFolder = p.SourceFolder();
  s.ChkSrc = session.texts.Text(TLabel::ChkSrc);
  s.ChkDst = session.texts.Text(TLabel::ChkDst);
  return s;
}

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& error) {
    return error.what();
  }
  return "(no error)";
}

class ProjectCommandsTest : public testing::Test {
 protected:
  // A project as a verification run may leave it: a grayed entry, a flag "0", non-ASCII bytes.
  void Fill() {
    Project& p = session.project;
    session.SetSourceFolder("/media/dist/");
    session.texts.Set(TLabel::ChkDst, "/media/cdrom/");
    p.Replace({"DATA\\DISK1\\README.TXT", "caf\xE9.txt", "SETUP.EXE"},
              {MakeValueEntry(0x1234ABCD, 0), "0000FFFF000000000", MakeValueEntry(7, 0)});
    p.SetState(0, State::cbChecked);
    p.SetState(1, State::cbGrayed);
    p.SetState(2, State::cbChecked);
  }
  void OpenFile(const std::string& path) {
    shell.openNames.push_back(path);
    iOpenClick(session, shell);
  }
  TempDir dir;
  Session session;
  FakeShell shell;
};

TEST_F(ProjectCommandsTest, SaveThenOpenRestoresTheProject) {
  Fill();
  const std::string path = dir / "dist.cfg";
  shell.saveNames.push_back(path);
  iSaveClick(session, shell);

  const std::string bytes = dir.Read("dist.cfg");
  EXPECT_EQ(bytes, "[Kelvane]\r\n" + path +
                       "\r\n/media/dist/\r\n3\r\nDATA\\DISK1\\README.TXT\r\ncaf\xE9.txt\r\n"
                       "SETUP.EXE\r\n1234ABCD000000001\r\n0000FFFF000000000\r\n"
                       "00000007000000001\r\n");

  Session reopened;
  shell.openNames.push_back(path);
  iOpenClick(reopened, shell);
  const Project& p = reopened.project;
  EXPECT_EQ(p.ConfigPath(), path);
  EXPECT_EQ(reopened.texts.Text(TLabel::ini), path);
  EXPECT_EQ(p.SourceFolder(), "/media/dist/");
  EXPECT_EQ(reopened.texts.Text(TLabel::ChkSrc), "/media/dist/");
  EXPECT_EQ(reopened.texts.Text(TLabel::ChkDst), "");
  EXPECT_EQ(Take(reopened).entries,
            (std::vector<std::string>{"DATA\\DISK1\\README.TXT", "caf\xE9.txt", "SETUP.EXE"}));
  EXPECT_EQ(p.Values(), (std::vector<std::string>{"1234ABCD000000001", "0000FFFF000000000",
                                                  "00000007000000001"}));
  // Check marks come back from the flags, not from what the run had painted.
  EXPECT_EQ(Take(reopened).states,
            (std::vector<State>{State::cbChecked, State::cbUnchecked, State::cbChecked}));
}

TEST_F(ProjectCommandsTest, MovedFileOpensAndIniShowsWhereItWasOpenedFrom) {
  const std::string path = dir.Write("moved.cfg",
                                     "[Kelvane]\r\n/somewhere/else.cfg\r\n/s/\r\n1\r\nA\r\n"
                                     "11111111000000001\r\n");
  OpenFile(path);
  EXPECT_EQ(session.texts.Text(TLabel::ini), path);
  EXPECT_EQ(session.project.State(0), State::cbChecked);
}

TEST_F(ProjectCommandsTest, HandMadeFileWithEveryLineEndOpens) {
  const std::string path =
      dir.Write("hand.cfg", "[Kelvane]\nx\r/s/\r\n2\nA\rB\r\n11111111000000000\n22222222000000001");
  OpenFile(path);
  const Project& p = session.project;
  EXPECT_EQ(Take(session).entries, (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(p.Values(), (std::vector<std::string>{"11111111000000000", "22222222000000001"}));
  EXPECT_EQ(Take(session).states, (std::vector<State>{State::cbUnchecked, State::cbChecked}));
}

TEST_F(ProjectCommandsTest, ZeroEntriesAndNothingAfterOpensAsAnEmptyProject) {
  Fill();
  OpenFile(dir.Write("empty.cfg", "[Kelvane]\r\nx\r\n\r\n0\r\n"));
  EXPECT_EQ(session.project.Count(), 0);
  EXPECT_EQ(session.project.ValueCount(), 0);
  EXPECT_EQ(session.texts.Text(TLabel::ChkSrc), "");
}

TEST_F(ProjectCommandsTest, SurplusValueLinesOpenThenResetRefuses) {
  OpenFile(dir.Write("three.cfg",
                     "[Kelvane]\r\nx\r\n/s/\r\n2\r\nA\r\nB\r\n11111111000000001\r\n"
                     "22222222000000001\r\n33333333000000001\r\n"));
  EXPECT_EQ(session.project.ValueCount(), 3);
  EXPECT_EQ(ErrorOf([&] { resetClick(session); }),
            "ListFile invalid.\r\rChkList item count\t :2\rValues item count\t :3\r\r"
            "Create new list first, please");
}

TEST_F(ProjectCommandsTest, BlankLastLineIsAnEmptyValueEntry) {
  OpenFile(
      dir.Write("blank.cfg", "[Kelvane]\r\nx\r\n/s/\r\n2\r\nA\r\nB\r\n11111111000000001\r\n\r\n"));
  EXPECT_EQ(session.project.Values(), (std::vector<std::string>{"11111111000000001", ""}));
  EXPECT_EQ(Take(session).states, (std::vector<State>{State::cbChecked, State::cbUnchecked}));
}

TEST_F(ProjectCommandsTest, FewerValueLinesLoadThenTheCheckMarksStopAtTheFirstMissingOne) {
  Fill();
  const std::string path =
      dir.Write("short.cfg", "[Kelvane]\r\nx\r\n/s/\r\n3\r\nA\r\nB\r\nC\r\n11111111000000001\r\n");
  shell.openNames.push_back(path);
  EXPECT_EQ(ErrorOf([&] { iOpenClick(session, shell); }), "List index out of bounds (1)");
  const Project& p = session.project;
  EXPECT_EQ(Take(session).entries, (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(p.Values(), std::vector<std::string>{"11111111000000001"});
  EXPECT_EQ(Take(session).states,
            (std::vector<State>{State::cbChecked, State::cbUnchecked, State::cbUnchecked}));
  EXPECT_EQ(session.texts.Text(TLabel::ChkSrc), "/s/");
}

TEST_F(ProjectCommandsTest, CancelledOpenChangesNothing) {
  Fill();
  const Snapshot before = Take(session);
  const std::string config = session.project.ConfigPath();
  shell.openNames.push_back(std::nullopt);
  iOpenClick(session, shell);
  EXPECT_EQ(Take(session), before);
  EXPECT_EQ(session.project.ConfigPath(), config);
  EXPECT_EQ(session.texts.Text(TLabel::ini), "configuration file");
}

TEST_F(ProjectCommandsTest, CancelledSaveChangesNothingAndWritesNothing) {
  Fill();
  session.project.SetConfigPath(dir / "kept.cfg");
  shell.saveNames.push_back(std::nullopt);
  iSaveClick(session, shell);
  EXPECT_EQ(session.project.ConfigPath(), dir / "kept.cfg");
  EXPECT_FALSE(std::filesystem::exists(dir / "kept.cfg"));
}

TEST_F(ProjectCommandsTest, SaveOfAnEmptyListShowsNoDialog) {
  shell.saveNames.push_back(dir / "never.cfg");
  EXPECT_EQ(ErrorOf([&] { iSaveClick(session, shell); }), "nothing to store");
  EXPECT_TRUE(shell.dialogOffers.empty());
  EXPECT_EQ(shell.saveNames.size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(dir / "never.cfg"));
}

TEST_F(ProjectCommandsTest, DialogsOfferTheDefaultThenThePathLastChosen) {
  Fill();
  const std::string first = GetWindowsDir() + "/KELVANE.CFG";
  shell.saveNames.push_back(dir / "a.cfg");
  iSaveClick(session, shell);
  shell.openNames.push_back(std::nullopt);
  iOpenClick(session, shell);
  shell.saveNames.push_back(std::nullopt);
  iSaveClick(session, shell);
  EXPECT_EQ(shell.dialogOffers, (std::vector<std::string>{first, dir / "a.cfg", dir / "a.cfg"}));
}

TEST_F(ProjectCommandsTest, BareChosenNameIsPlacedInTheHomeFolder) {
  // Opened, not saved, so that the test never writes into the home folder.
  const std::string bare = "kelvane-test-no-such-file-" + std::to_string(getpid()) + ".cfg";
  const std::string full = GetWindowsDir() + "/" + bare;
  ASSERT_FALSE(std::filesystem::exists(full));
  shell.openNames.push_back(bare);
  EXPECT_EQ(ErrorOf([&] { iOpenClick(session, shell); }),
            "Cannot open file \"" + full + "\". No such file or directory");
  EXPECT_EQ(session.project.ConfigPath(), full);
  EXPECT_EQ(session.texts.Text(TLabel::ini), full);
}

TEST_F(ProjectCommandsTest, FailedSaveStillNamesTheNewFile) {
  Fill();
  const std::string path = dir / "missing/a.cfg";
  shell.saveNames.push_back(path);
  EXPECT_EQ(ErrorOf([&] { iSaveClick(session, shell); }),
            "Cannot create file \"" + path + "\". No such file or directory");
  EXPECT_EQ(session.project.ConfigPath(), path);
  EXPECT_EQ(session.texts.Text(TLabel::ini), path);
}

// --- every way an opened file fails: the error, and the project exactly as it was ---

enum class Kind { kFile, kMissing, kFolder, kFifo, kUnreadable };

struct FailureRow {
  const char* name;
  Kind kind;
  std::string bytes;
  std::string message;  // "{path}" stands for the file's full path
};
class FailedOpenTest : public ProjectCommandsTest,
                       public testing::WithParamInterface<FailureRow> {};

TEST_P(FailedOpenTest, ThrowsAndLeavesTheProjectAsItWas) {
  const FailureRow& row = GetParam();
  const std::string path = dir / "tried.cfg";
  switch (row.kind) {
    case Kind::kFile:
      dir.Write("tried.cfg", row.bytes);
      break;
    case Kind::kMissing:
      break;
    case Kind::kFolder:
      dir.MakeDir("tried.cfg");
      break;
    case Kind::kFifo:
      ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
      break;
    case Kind::kUnreadable:
      if (test::IgnoresPermissions()) GTEST_SKIP() << "root reads whatever the permission bits";
      dir.Write("tried.cfg", "[Kelvane]\r\nx\r\n/s/\r\n0\r\n");
      ASSERT_EQ(chmod(path.c_str(), 0), 0);
      break;
  }
  Fill();
  const Snapshot before = Take(session);

  shell.openNames.push_back(path);
  std::string message = row.message;
  if (const auto at = message.find("{path}"); at != std::string::npos) message.replace(at, 6, path);
  EXPECT_EQ(ErrorOf([&] { iOpenClick(session, shell); }), message);

  EXPECT_EQ(Take(session), before);
  EXPECT_EQ(session.project.ConfigPath(), path);
  EXPECT_EQ(session.texts.Text(TLabel::ini), path);
}

const std::string kStart = "[Kelvane]\r\n/p.cfg\r\n/new/source/\r\n";

INSTANTIATE_TEST_SUITE_P(
    Rows, FailedOpenTest,
    testing::Values(
        FailureRow{"EmptyFile", Kind::kFile, "", "List index out of bounds (0)"},
        FailureRow{"HeaderOnly", Kind::kFile, "[Kelvane]\r\n", "List index out of bounds (2)"},
        FailureRow{"HeaderAndPath", Kind::kFile, "[Kelvane]\r\n/p.cfg\r\n",
                   "List index out of bounds (2)"},
        FailureRow{"ThreeLines", Kind::kFile, kStart, "List index out of bounds (3)"},
        FailureRow{"CountNotANumber", Kind::kFile, kStart + "abc\r\nA\r\n",
                   "'abc' is not a valid integer value"},
        FailureRow{"CountWithASpace", Kind::kFile, kStart + " 1\r\nA\r\n",
                   "' 1' is not a valid integer value"},
        FailureRow{"CountEmpty", Kind::kFile, kStart + "\r\nA\r\n",
                   "'' is not a valid integer value"},
        FailureRow{"CountBeyondInt", Kind::kFile, kStart + "2147483648\r\nA\r\n",
                   "'2147483648' is not a valid integer value"},
        FailureRow{"CountNegative", Kind::kFile, kStart + "-1\r\n", "Invalid Config File"},
        FailureRow{"FewerEntriesThanCount", Kind::kFile, kStart + "3\r\nA\r\nB\r\n",
                   "List index out of bounds (6)"},
        FailureRow{"HugeCount", Kind::kFile, kStart + "2000000000\r\nA\r\nV\r\n",
                   "List index out of bounds (6)"},
        FailureRow{"HeaderInOtherCase", Kind::kFile, "[KELVANE]\r\nx\r\n/s/\r\n0\r\n",
                   "Invalid Config File"},
        FailureRow{"HeaderFollowedByASpace", Kind::kFile, "[Kelvane] \r\nx\r\n/s/\r\n0\r\n",
                   "Invalid Config File"},
        FailureRow{"HeaderAfterAByteOrderMark", Kind::kFile,
                   "\xEF\xBB\xBF[Kelvane]\r\nx\r\n/s/\r\n0\r\n", "Invalid Config File"},
        FailureRow{"BlankLineBeforeHeader", Kind::kFile, "\r\n[Kelvane]\r\nx\r\n/s/\r\n0\r\n",
                   "Invalid Config File"},
        FailureRow{"MissingFile", Kind::kMissing, "",
                   "Cannot open file \"{path}\". No such file or directory"},
        FailureRow{"Folder", Kind::kFolder, "", "Cannot open file \"{path}\". Is a directory"},
        FailureRow{"Fifo", Kind::kFifo, "", "Cannot open file \"{path}\". Not a regular file"},
        FailureRow{"Unreadable", Kind::kUnreadable, "",
                   "Cannot open file \"{path}\". Permission denied"}),
    kelvane::test::RowName());

}  // namespace
}  // namespace kelvane
