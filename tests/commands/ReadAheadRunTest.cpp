// Reading ahead changes nothing that the user sees: each run done once one file at a time and
// once with the next files read ahead gives the same boxes, the same marks and the same summary.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "VerificationFixtures.h"
#include "commands/NewList.h"
#include "commands/VerificationRun.h"
#include "support/FakeShell.h"
#include "support/NamedRows.h"
#include "support/TempDir.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;
using test::FakeShell;
using test::TempDir;

// Everything a run showed.
struct Seen {
  std::vector<std::string> questions;
  std::vector<std::string> messages;
  std::vector<TCheckState> states;
  std::vector<std::string> values;
  bool operator==(const Seen&) const = default;
};

struct AheadRow {
  const char* name;
  bool check;  // CHECK; else New
  // Damage done to the copy (CHECK) after New made the project, or to the tree (New).
  std::function<void(const TempDir&)> damage;
  int stopAtPump = 0;  // STOP pressed at that pump; 0: never
};
class ReadAheadRunTest : public testing::TestWithParam<AheadRow> {};

// 30 files, two of them of several blocks.
void WriteTree(const TempDir& dir) {
  for (int i = 0; i < 30; ++i)
    dir.Write("tree/d" + std::to_string(i % 3) + "/f" + std::to_string(i),
              std::string(i % 13 == 0 ? 200000 : 100 + i, static_cast<char>('a' + i % 26)));
}

Seen RunOnce(const AheadRow& row, bool sequential) {
  TempDir dir;
  WriteTree(dir);
  Session s;
  FakeShell shell;
  shell.folders = {dir / "tree"};
  if (row.check) {
    iNewClick(s, shell);
    s.project.SyncChecksFromValues();
    shell = FakeShell();
    shell.folders = {dir / "tree"};
  }
  row.damage(dir);
  s.ReadSequential = sequential;
  shell.answers = std::deque<bool>(40, true);
  if (row.stopAtPump > 0) shell.atPump[row.stopAtPump] = [&s] { s.StopRequested = true; };
  try {
    if (row.check)
      iCheckClick(s, shell);
    else
      iNewClick(s, shell);
  } catch (const std::exception& error) {
    shell.messages.push_back(std::string("raised: ") + error.what());
  }
  Seen seen;
  // The boxes name the folder, which differs from run to run: it is taken out.
  const auto local = [&dir](std::string text) {
    for (std::size_t at; (at = text.find(dir.str())) != std::string::npos;)
      text.replace(at, dir.str().size(), "@");
    return text;
  };
  for (const auto& question : shell.questions) seen.questions.push_back(local(question.text));
  for (const auto& message : shell.messages) seen.messages.push_back(local(message));
  seen.states = test::States(s.project);
  seen.values = s.project.Values();
  return seen;
}

TEST_P(ReadAheadRunTest, ShowsWhatOneFileAtATimeShows) {
  const Seen oneAtATime = RunOnce(GetParam(), true);
  const Seen ahead = RunOnce(GetParam(), false);
  EXPECT_EQ(ahead.questions, oneAtATime.questions);
  EXPECT_EQ(ahead.messages, oneAtATime.messages);
  EXPECT_EQ(ahead.states, oneAtATime.states);
  EXPECT_EQ(ahead.values, oneAtATime.values);
  // Each row shows something: CHECK its summary, a stopped New fewer sums than files.
  if (GetParam().check) {
    EXPECT_FALSE(oneAtATime.messages.empty());
  } else if (GetParam().stopAtPump > 0) {
    EXPECT_LT(oneAtATime.values.size(), 29u);
  }
}

void Nothing(const TempDir&) {}
void Damage(const TempDir& dir) {
  dir.Write("tree/d1/f4", "changed");                        // a mismatch
  std::filesystem::remove(dir / "tree/d2/f8");               // a missing file
  ::chmod((dir / "tree/d0/f9").c_str(), 0);                  // unreadable, but for root
  std::filesystem::resize_file(dir / "tree/d1/f13", 70000);  // a large file cut short
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ReadAheadRunTest,
    testing::Values(AheadRow{"CheckIntact", true, Nothing}, AheadRow{"CheckDamaged", true, Damage},
                    AheadRow{"CheckStoppedAtTheTwelfthEntry", true, Damage, 12 * 2 + 3},
                    AheadRow{"NewOfADamagedTree", false, Damage},
                    AheadRow{"NewStoppedAfterTheWalk", false, Nothing, 100}),
    kelvane::test::RowName());

}  // namespace
}  // namespace kelvane
