// The New command: pick, walk, sums per file, STOP, the unreadable file.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "cksummer/FileChecksums.h"
#include "cksummer/ListFiles.h"
#include "commands/NewList.h"
#include "project/ValueEntry.h"
#include "support/FakeShell.h"
#include "support/TempDir.h"

namespace kelvane {
namespace {

using S = TCheckState;
using test::FakeShell;
using test::TempDir;

// Ten files f01 .. f10, each with its own content.
void WriteTen(const TempDir& dir) {
  for (int i = 1; i <= 10; ++i) {
    const std::string name = (i < 10 ? "f0" : "f") + std::to_string(i);
    dir.Write(name, "content of " + name);
  }
}

// How many times the walk of folder pumps, so that a test can aim at the pumps of one file.
int WalkPumps(const std::string& folder) {
  int pumps = 0;
  std::vector<std::string> ignored;
  ListFiles(folder, ignored, [&pumps] { ++pumps; });
  return pumps;
}

std::vector<S> States(const Project& p) {
  std::vector<S> states;
  for (int i = 0; i < p.Count(); ++i) states.push_back(p.State(i));
  return states;
}

std::vector<std::string> Entries(const Project& p) {
  std::vector<std::string> entries;
  for (int i = 0; i < p.Count(); ++i) entries.push_back(p.Entry(i));
  return entries;
}

TEST(NewListTest, CancelledPickChangesNothing) {
  Session s;
  s.project.AppendEntry("OLD.TXT", S::cbChecked);
  s.project.AppendValue("0A1B2C3D000000001");
  s.SetSourceFolder("/srv/old/");
  s.texts.Set(TLabel::Status1, "kept");
  s.StopRequested = true;
  FakeShell shell;
  shell.folders = {std::nullopt};

  iNewClick(s, shell);

  EXPECT_EQ(shell.pickOffers, std::vector<std::string>{"/srv/old/"});
  EXPECT_EQ(shell.pickPrompts,
            std::vector<std::string>{"Please pick a drive or directory to scan"});
  EXPECT_EQ(Entries(s.project), std::vector<std::string>{"OLD.TXT"});
  EXPECT_EQ(s.project.Values(), std::vector<std::string>{"0A1B2C3D000000001"});
  EXPECT_EQ(s.texts.Text(TLabel::ChkSrc), "/srv/old/");
  EXPECT_EQ(s.texts.Text(TLabel::Status1), "kept");
  EXPECT_TRUE(s.StopRequested);
  EXPECT_TRUE(shell.buttonCalls.empty());
  EXPECT_EQ(shell.pumps, 0);
}

TEST(NewListTest, EmptyFolderGivesAnEmptyProjectAndNoMessage) {
  TempDir dir;
  dir.MakeDir("empty/sub");
  Session s;
  s.project.AppendEntry("OLD.TXT", S::cbChecked);
  s.project.AppendValue("0A1B2C3D000000001");
  FakeShell shell;
  shell.folders = {dir / "empty/"};

  iNewClick(s, shell);

  EXPECT_EQ(s.project.Count(), 0);
  EXPECT_EQ(s.project.ValueCount(), 0);
  EXPECT_EQ(s.texts.Text(TLabel::ChkSrc), dir / "empty/");
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_EQ(shell.buttonCalls, (std::vector<bool>{false, false, true}));
}

TEST(NewListTest, OneFileShowsZerosInStatus1AndStoresItsSum) {
  TempDir dir;
  dir.Write("abc.txt", "abc");
  Session s;
  FakeShell shell;
  shell.folders = {dir.str() + "//"};  // every trailing separator goes

  iNewClick(s, shell);

  const Project& p = s.project;
  EXPECT_EQ(Entries(p), std::vector<std::string>{"abc.txt"});
  EXPECT_EQ(p.Values(), std::vector<std::string>{"CADBBE3D000000001"});
  EXPECT_EQ(States(p), std::vector<S>{S::cbChecked});
  EXPECT_EQ(p.SourceFolder(), dir.str() + "/");
  EXPECT_EQ(s.texts.Text(TLabel::ChkSrc), dir.str() + "/");
  EXPECT_EQ(s.texts.Text(TLabel::Status1), "CRC32:\t00000000H");
  EXPECT_EQ(s.texts.Text(TLabel::Status2), "CHX19:\t00000000H");
  EXPECT_EQ(s.texts.Text(TLabel::Status3), "1/1");
  EXPECT_EQ(s.texts.Text(TLabel::S17), "CHX19:");
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_EQ(shell.meter.back(), 100);  // the sum was read through the window's meter
}

TEST(NewListTest, CompleteRunStoresEverySumInWalkOrder) {
  TempDir dir;
  dir.Write("setup.exe", "123456789");
  dir.Write("data/a.cab", "abc");
  dir.Write("data/deep/z.bin", std::string(70000, '\xFF'));  // more than one read block
  dir.Write(".config", "dot files are listed");
  dir.MakeDir(".cache");
  dir.Write(".cache/hidden", "never listed");
  Session s;
  s.texts.Set(TLabel::ChkDst, "/kept/");
  s.texts.Set(TLabel::ini, "/kept.cfg");
  FakeShell shell;
  shell.folders = {dir.str()};
  const int walkPumps = WalkPumps(dir.str());

  iNewClick(s, shell);

  const Project& p = s.project;
  const std::vector<std::string> expected = {"data\\deep\\z.bin", "data\\a.cab", ".config",
                                             "setup.exe"};
  ASSERT_EQ(Entries(p), expected);
  ASSERT_EQ(p.ValueCount(), 4);
  for (int i = 0; i < 4; ++i) {
    std::string path = expected[i];
    std::replace(path.begin(), path.end(), '\\', '/');
    FakeShell meter;
    EXPECT_EQ(p.Value(i), MakeValueEntry(GetFileCRC32(dir / path, meter), 0)) << path;
    // Every value entry New makes: CheckSum19 eight zeros, flag "1".
    EXPECT_EQ(p.Value(i).substr(8), "000000001");
  }
  EXPECT_EQ(p.Value(1).substr(0, 8), "CADBBE3D");
  EXPECT_EQ(p.Value(3).substr(0, 8), "340BC6D9");
  EXPECT_EQ(States(p), std::vector<S>(4, S::cbChecked));
  // Status1 shows the file finished before the last one.
  EXPECT_EQ(s.texts.Text(TLabel::Status1), "CRC32:\t" + p.Value(2).substr(0, 8) + "H");
  EXPECT_EQ(s.texts.Text(TLabel::Status3), "4/4");
  EXPECT_EQ(s.texts.Text(TLabel::ChkDst), "/kept/");
  EXPECT_EQ(s.texts.Text(TLabel::ini), "/kept.cfg");
  // Four pumps per file, and one between the two blocks of z.bin, where STOP may come.
  EXPECT_EQ(shell.pumps, walkPumps + 4 * 4 + 1);
  // The folder passed over for its dot is told, and nothing counts as left out.
  EXPECT_EQ(shell.messages,
            std::vector<std::string>{"Folder(s) not entered, as their names begin with \".\":\r" +
                                     dir / ".cache/"});
  EXPECT_EQ(shell.buttonCalls, (std::vector<bool>{false, false, true}));
}

TEST(NewListTest, StopDuringTheWalkHasNoEffect) {
  TempDir dir;
  WriteTen(dir);
  Session s;
  FakeShell shell;
  shell.folders = {dir.str()};
  shell.atPump[1] = [&s] { s.StopRequested = true; };  // the walk pumps first
  shell.atPump[WalkPumps(dir.str())] = [&s] { s.StopRequested = true; };

  iNewClick(s, shell);

  EXPECT_EQ(s.project.Count(), 10);
  EXPECT_EQ(s.project.ValueCount(), 10);
  EXPECT_TRUE(shell.messages.empty());
}

// STOP pressed while the 5th of 10 files is being read: the meter reaching 100 for the 5th time
// is the end of that read.
class StopAtFifthRead : public FakeShell {
 public:
  explicit StopAtFifthRead(Session& s) : session_(s) {}
  void SetPosition(int position) override {
    FakeShell::SetPosition(position);
    if (position == 100 && ++reads_ == 5) session_.StopRequested = true;
  }

 private:
  Session& session_;
  int reads_ = 0;
};

TEST(NewListTest, StopWhileTheFifthOfTenIsReadKeepsFourFinishedFiles) {
  TempDir dir;
  WriteTen(dir);
  Session s;
  StopAtFifthRead shell(s);
  shell.folders = {dir.str()};

  iNewClick(s, shell);

  EXPECT_EQ(shell.messages, (std::vector<std::string>{"Stopped.\r4 file(s) checked from total: 10",
                                                      "Unfinished item(s) cleared"}));
  EXPECT_EQ(Entries(s.project), (std::vector<std::string>{"f01", "f02", "f03", "f04"}));
  EXPECT_EQ(States(s.project), std::vector<S>(4, S::cbChecked));
  ASSERT_EQ(s.project.ValueCount(), 4);
  FakeShell meter;
  EXPECT_EQ(s.project.Value(3), MakeValueEntry(GetFileCRC32(dir / "f04", meter), 0));
  EXPECT_TRUE(shell.buttonsEnabled);
}

// STOP seen at each of the four polls of the 3rd of 5 files: that file gets no value entry.
class NewListStopPollTest : public testing::TestWithParam<int> {};

TEST_P(NewListStopPollTest, UnfinishedFileIsRemoved) {
  TempDir dir;
  for (const char* name : {"a", "b", "c", "d", "e"}) dir.Write(name, name);
  Session s;
  FakeShell shell;
  shell.folders = {dir.str()};
  shell.atPump[WalkPumps(dir.str()) + 4 * 2 + GetParam()] = [&s] { s.StopRequested = true; };

  iNewClick(s, shell);

  EXPECT_EQ(shell.messages, (std::vector<std::string>{"Stopped.\r2 file(s) checked from total: 5",
                                                      "Unfinished item(s) cleared"}));
  EXPECT_EQ(Entries(s.project), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(s.project.ValueCount(), 2);
  EXPECT_EQ(States(s.project), std::vector<S>(2, S::cbChecked));
  EXPECT_EQ(shell.buttonCalls, (std::vector<bool>{false, false, true}));
}

std::string PollName(const testing::TestParamInfo<int>& info) {
  const char* names[] = {"BeforeTheFile", "BeforeItsCRC", "BeforeItsCheckSum19",
                         "BeforeItsValueEntry"};
  return names[info.param - 1];
}

INSTANTIATE_TEST_SUITE_P(Polls, NewListStopPollTest, testing::Values(1, 2, 3, 4), PollName);

TEST(NewListTest, UnreadableThirdFileEndsTheRunWithItsPathAndKeepsTheList) {
  TempDir dir;
  WriteTen(dir);
  Session s;
  // The file goes at a given pump: a reader ahead would have read it before.
  s.ReadSequential = true;
  FakeShell shell;
  shell.folders = {dir.str() + "/"};
  // The file vanishes between the walk and its read.
  shell.atPump[WalkPumps(dir.str()) + 4 * 2 + 1] = [&dir] { std::filesystem::remove(dir / "f03"); };

  try {
    iNewClick(s, shell);
    FAIL() << "no error";
  } catch (const CRC32Error& e) {
    EXPECT_EQ(std::string(e.what()), "Error while getting CRC32\rFile: " + (dir / "f03"));
  }
  EXPECT_EQ(s.project.Count(), 10);
  EXPECT_EQ(s.project.ValueCount(), 2);
  std::vector<S> expected(10, S::cbUnchecked);
  expected[0] = expected[1] = S::cbChecked;
  EXPECT_EQ(States(s.project), expected);
  EXPECT_TRUE(shell.buttonsEnabled);
  EXPECT_TRUE(shell.messages.empty());
}

TEST(NewListTest, FifoPutInPlaceOfAFileIsAnUnreadableFile) {
  TempDir dir;
  dir.Write("a", "a");
  dir.Write("b", "b");
  Session s;
  s.ReadSequential = true;  // (the FIFO comes at a given pump, as above)
  FakeShell shell;
  shell.folders = {dir.str()};
  // Reading a FIFO would block the window for good: it must fail at once.
  shell.atPump[WalkPumps(dir.str()) + 4 + 1] = [&dir] {
    std::filesystem::remove(dir / "b");
    ASSERT_EQ(mkfifo((dir / "b").c_str(), 0600), 0);
  };

  EXPECT_THROW(iNewClick(s, shell), CRC32Error);
  EXPECT_EQ(s.project.Count(), 2);
  EXPECT_EQ(s.project.ValueCount(), 1);
  EXPECT_TRUE(shell.buttonsEnabled);
}

}  // namespace
}  // namespace kelvane

namespace kelvane {
namespace {

// Names a Linux folder may hold: a "\" that would read as a separator, a line break that would
// split the file's line, and a colon that is an ordinary character.
TEST(NewListTest, NamesAProjectCannotHoldAreLeftOutAndToldInOneBox) {
  TempDir dir;
  dir.Write("d/e", "in the folder d");
  dir.Write("d\\e", "beside the folder");
  dir.Write("x\\y.txt", "a backslash");
  dir.Write("line\nbreak", "a line feed");
  dir.Write("a:b.txt", "abc");
  dir.Write("w\\z/inside", "in a folder whose name has a backslash");
  Session s;
  FakeShell shell;
  shell.folders = {dir.str()};

  iNewClick(s, shell);

  EXPECT_EQ(Entries(s.project), (std::vector<std::string>{"d\\e", "a:b.txt"}));
  FakeShell meter;
  ASSERT_EQ(s.project.ValueCount(), 2);
  EXPECT_EQ(s.project.Value(0), MakeValueEntry(GetFileCRC32(dir / "d/e", meter), 0));
  EXPECT_EQ(s.project.Value(1), "CADBBE3D000000001");
  EXPECT_EQ(shell.messages,
            std::vector<std::string>{"File(s) left out\t: 4\rA project cannot hold a name with "
                                     "\"\\\", CR or LF in it:\r" +
                                     (dir / "w\\z") + "/\r" + (dir / "d\\e") + "\r" +
                                     (dir / "line<LF>break") + "\r" + (dir / "x\\y.txt")});
  EXPECT_EQ(shell.buttonCalls, (std::vector<bool>{false, false, true}));
}

TEST(NewListTest, TheBoxOfFilesLeftOutNamesTenAndCountsTheRest) {
  TempDir dir;
  for (int i = 10; i < 25; ++i) dir.Write("f\\" + std::to_string(i), "x");
  Session s;
  FakeShell shell;
  shell.folders = {dir.str()};
  iNewClick(s, shell);
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].rfind("File(s) left out\t: 15\r", 0), 0u);
  EXPECT_NE(shell.messages[0].find(dir / "f\\19" + "\r... and 5 more"), std::string::npos);
}

// QUIT while the tree is still being listed: the run ends there and reads no file at all.
TEST(NewListTest, QuitDuringTheListingReadsNoFile) {
  TempDir dir;
  for (int i = 0; i < 2000; ++i)
    dir.Write("d" + std::to_string(i % 20) + "/f" + std::to_string(i), "x");
  Session s;
  int reads = 0;
  s.ReadStep = [&reads](int fd, std::uint8_t* buffer, std::size_t count) {
    ++reads;
    return ::read(fd, buffer, count);
  };
  FakeShell shell;
  shell.folders = {dir.str()};
  shell.atPump[100] = [&s] {
    s.StopRequested = true;
    s.Closing = true;
  };

  iNewClick(s, shell);

  EXPECT_EQ(reads, 0);
  EXPECT_LT(shell.pumps, 200);  // the walk ended at the poll after the click
  EXPECT_EQ(s.project.ValueCount(), 0);
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_TRUE(shell.buttonsEnabled);
}

}  // namespace
}  // namespace kelvane
