// Kelvane as a user drives it: New on a folder, Save, Clear, Open, CHECK against a damaged copy,
// and QUIT in the middle of a run; every dialog and box answered as a user would.
#include <gtest/gtest.h>

#include <ostream>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "FileUti2/Digest.h"
#include "FileUti2/FolderBrowserDialog.h"
#include "cksummer/DigestHasher.h"
#include "main/TabLabel.h"
#include "main/Tfrm.h"
#include "support/Controls.h"
#include "support/ForgedCRC.h"
#include "support/NamedRows.h"
#include "support/TempDir.h"
#include "support/User.h"

namespace kelvane {
namespace {

using test::AutoEjectBox;
using test::Button;
using test::Click;
using test::LabelText;
using test::List;
using test::Meter;

using kelvane::test::PrintTo;

using test::TempDir;
using test::User;

// What the list shows: each entry's text and its box.
struct Row {
  std::string text;
  Qt::CheckState box;
  bool operator==(const Row&) const = default;
};
void PrintTo(const Row& row, std::ostream* os) {
  *os << row.text << " " << int(row.box);
}

std::vector<Row> Shown(Tfrm& frm) {
  std::vector<Row> rows;
  QAbstractItemModel* model = List(frm).model();
  for (int i = 0; i < model->rowCount(); ++i) {
    const QModelIndex index = model->index(i, 0);
    rows.push_back({model->data(index, Qt::DisplayRole).toString().toStdString(),
                    Qt::CheckState(model->data(index, Qt::CheckStateRole).toInt())});
  }
  return rows;
}

// The distribution: five files in three folders.
void WriteDistribution(const TempDir& dir, const std::string& root) {
  dir.Write(root + "/setup.exe", "123456789");
  dir.Write(root + "/data/a.cab", "abc");
  dir.Write(root + "/data/b.cab", std::string(200000, 'b'));
  dir.Write(root + "/data/disk 2/c.cab", "third cabinet");
  dir.Write(root + "/readme.txt", "Read me first.");
}

TEST(EndToEnd, NewSaveClearOpenThenCheckADamagedCopy) {
  TempDir dir;
  WriteDistribution(dir, "dist");
  Tfrm frm;
  frm.show();
  User user;

  // New on the distribution.
  user.folders = {dir / "dist"};
  Click(frm, "iNew");
  // A folder's subfolders come before its own files.
  const std::vector<Row> built = {{"data\\disk 2\\c.cab", Qt::Checked},
                                  {"data\\a.cab", Qt::Checked},
                                  {"data\\b.cab", Qt::Checked},
                                  {"readme.txt", Qt::Checked},
                                  {"setup.exe", Qt::Checked}};
  EXPECT_EQ(Shown(frm), built);
  EXPECT_EQ(LabelText(frm, "ChkSrc").toStdString(), dir / "dist/");
  EXPECT_EQ(LabelText(frm, "Status3").toStdString(), "5/5");
  EXPECT_EQ(Meter(frm).value(), 100);
  EXPECT_TRUE(Button(frm, "iCheck").isEnabled());
  EXPECT_TRUE(user.boxes.empty());

  // Save, Clear, Open: the same project comes back.
  const std::string saved = dir / "dist.cfg";
  user.fileNames = {saved};
  Click(frm, "iSave");
  ASSERT_TRUE(std::filesystem::exists(saved));
  Click(frm, "Clear");
  EXPECT_TRUE(Shown(frm).empty());
  user.fileNames = {saved};
  Click(frm, "iOpen");
  EXPECT_EQ(Shown(frm), built);
  EXPECT_EQ(LabelText(frm, "ini").toStdString(), saved);
  EXPECT_TRUE(user.boxes.empty());

  // A copy in which b.cab changed and c.cab is missing; AutoEject ticked, but a folder on a disk
  // is no optical drive.
  WriteDistribution(dir, "copy");
  dir.Write("copy/data/b.cab", std::string(200000, 'B'));
  std::filesystem::remove(dir / "copy/data/disk 2/c.cab");
  AutoEjectBox(frm).setChecked(true);
  user.folders = {dir / "copy"};
  Click(frm, "iCheck");

  EXPECT_FALSE(AutoEjectBox(frm).isChecked());
  EXPECT_EQ(Shown(frm), (std::vector<Row>{{"data\\disk 2\\c.cab", Qt::PartiallyChecked},
                                          {"data\\a.cab", Qt::Checked},
                                          {"data\\b.cab", Qt::PartiallyChecked},
                                          {"readme.txt", Qt::Checked},
                                          {"setup.exe", Qt::Checked}}));
  ASSERT_EQ(user.boxes.size(), 3u);
  EXPECT_EQ(user.boxes[0].caption, "Error while Getting CRC-32");
  EXPECT_EQ(user.boxes[0].text,
            "File: " + (dir / "copy") + "/data/disk 2/c.cab\nDo you want to continue?");
  EXPECT_EQ(user.boxes[1].caption, "CheckSum Error");
  EXPECT_NE(user.boxes[1].text.find("File name \t: b.cab\n"), std::string::npos);
  EXPECT_EQ(user.boxes[2].caption, "Kelvane");
  EXPECT_EQ(user.boxes[2].text,
            "Error(s) found\t: 2\nCheksum valid\t: 3\n-------------------------\n"
            "Checked \t: 5\nSkipped \t: 0\n-------------------------\nTotal file(s)\t: 5");
  EXPECT_EQ(LabelText(frm, "ChkDst").toStdString(), dir / "copy/");
  EXPECT_EQ(LabelText(frm, "Status1").toStdString(), "CRC-32bit :\t340BC6D9H -OK");
  EXPECT_TRUE(Button(frm, "iNew").isEnabled());

  // The next CHECK opens the pick at the copy again; cancelling it changes nothing.
  user.folders.clear();
  Click(frm, "iCheck");
  ASSERT_EQ(user.unexpected, std::vector<std::string>{"folder picker at " + (dir / "copy")});
  EXPECT_EQ(user.boxes.size(), 3u);
}

// Save writes the SHA-256 of every file beside the project, and CHECK catches with it a file
// forged to keep its CRC-32; a sidecar that is not the project's is refused by Open, which keeps
// the project on screen.
TEST(EndToEnd, ForgedFileIsCaughtByItsSha256AndAForeignSidecarIsRefused) {
  TempDir dir;
  WriteDistribution(dir, "dist");
  Tfrm frm;
  frm.show();
  User user;
  user.folders = {dir / "dist"};
  Click(frm, "iNew");
  const std::string saved = dir / "dist.cfg";
  user.fileNames = {saved};
  Click(frm, "iSave");
  ASSERT_TRUE(std::filesystem::exists(saved + ".sha256"));

  WriteDistribution(dir, "copy");
  const std::string forged = test::ForgeLegacyCRC32("echo forged\n", 0x340BC6D9);
  dir.Write("copy/setup.exe", forged);
  user.folders = {dir / "copy"};
  Click(frm, "iCheck");

  ASSERT_EQ(user.boxes.size(), 2u);
  EXPECT_EQ(user.boxes[0].caption, "CheckSum Error");
  DigestHasher hasher(kSha256Type);
  hasher.Update(reinterpret_cast<const std::uint8_t*>("123456789"), 9);
  const std::string stored = DigestHex(hasher.Finish());
  hasher.Update(reinterpret_cast<const std::uint8_t*>(forged.data()), forged.size());
  const std::string checked = DigestHex(hasher.Finish());
  // The CRC-32 pair matches; the line before the question tells why the file failed.
  EXPECT_NE(user.boxes[0].text.find("Stored value\t: 340BC6D9 H\nChecked value\t: 340BC6D9 H\n\n"
                                    "SHA-256 not matched: stored " +
                                    stored + ", checked " + checked +
                                    "\nDo you want to continue to check the rest of files?"),
            std::string::npos)
      << user.boxes[0].text;
  EXPECT_EQ(Shown(frm).back(), (Row{"setup.exe", Qt::PartiallyChecked}));
  EXPECT_EQ(user.boxes[1].text.substr(0, 19), "Error(s) found\t: 1\n");

  // The sums of the project in another order: no longer the project's.
  const std::vector<Row> shown = Shown(frm);
  std::string sums = dir.Read("dist.cfg.sha256");
  const std::size_t second = sums.find('\n') + 1;
  sums = sums.substr(second, sums.find('\n', second) + 1 - second) + sums.substr(0, second) +
         sums.substr(sums.find('\n', second) + 1);
  dir.Write("dist.cfg.sha256", sums);
  user.fileNames = {saved};
  Click(frm, "iOpen");
  ASSERT_EQ(user.boxes.size(), 3u);
  EXPECT_EQ(user.boxes[2].caption, "Kelvane");
  EXPECT_EQ(user.boxes[2].text,
            "The SHA-256 list belongs to another project\nFile: " + saved +
                ".sha256\nLine 1 names \"data/a.cab\" where the project has \"data/disk 2/c.cab\"");
  EXPECT_EQ(Shown(frm), shown);
}

// Return in New's picker on a control that does not pick: the dialog closes (Cancel) or goes on
// (a shortcut, then Cancel), and the project on screen stays as it was.
struct ReturnCase {
  const char* name;
  bool onShortcutFirst;
};
class EndToEndReturn : public testing::TestWithParam<ReturnCase> {};

void PressReturn(QWidget* widget) {
  widget->setFocus();
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(widget, &press);
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(widget, &release);
}

TEST_P(EndToEndReturn, NotOnOkChangesNothing) {
  TempDir dir;
  WriteDistribution(dir, "dist");
  dir.MakeDir("other");
  Tfrm frm;
  frm.show();
  User user;
  user.folders = {dir / "dist"};
  Click(frm, "iNew");
  const std::vector<Row> built = Shown(frm);
  ASSERT_EQ(built.size(), 5u);

  bool pressed = false;
  bool closedByReturn = false;
  user.meanwhile = [&] {
    auto* picker = qobject_cast<FolderBrowserDialog*>(QApplication::activeModalWidget());
    if (pressed || !picker || !picker->isVisible()) return;
    pressed = true;
    picker->SelectFolder(dir / "other");  // a pick that Return must not confirm
    if (GetParam().onShortcutFirst) {
      PressReturn(picker->ShortcutButtons().front());
      EXPECT_TRUE(picker->isVisible());
    }
    PressReturn(picker->CancelButton());
    closedByReturn = !picker->isVisible();
  };
  Click(frm, "iNew");
  EXPECT_TRUE(pressed);
  EXPECT_TRUE(closedByReturn);
  EXPECT_EQ(Shown(frm), built);
  EXPECT_EQ(LabelText(frm, "ChkSrc").toStdString(), dir / "dist/");
  EXPECT_TRUE(user.unexpected.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, EndToEndReturn,
                         testing::Values(ReturnCase{"Cancel", false},
                                         ReturnCase{"ShortcutThenCancel", true}),
                         kelvane::test::RowName());

// QUIT pressed once the run is past some files: the run ends at its next poll, no box follows,
// and the window is closed but still there for the run to return through.
struct QuitCase {
  const char* name;
  const char* button;
};
class EndToEndQuit : public testing::TestWithParam<QuitCase> {};

TEST_P(EndToEndQuit, EndsTheRunWithoutAnotherBox) {
  TempDir dir;
  for (int i = 0; i < 40; ++i)
    dir.Write("dist/f" + std::to_string(100 + i), std::string(5000, 'x'));
  QPointer<Tfrm> frm = new Tfrm;
  frm->show();
  User user(QMessageBox::NoButton, 0);
  Project& project = frm->session().project;
  const bool duringNew = std::string(GetParam().button) == "iNew";
  if (!duringNew) {
    user.folders = {dir / "dist"};
    Click(*frm, "iNew");
    ASSERT_EQ(project.ValueCount(), 40);
  }
  auto finished = [&] {
    if (duringNew) return project.ValueCount();
    int checked = 0;
    for (int i = 0; i < project.Count(); ++i) checked += project.IsChecked(i) ? 1 : 0;
    return checked;
  };
  bool quitPressed = false;
  int finishedAtQuit = -1;
  user.meanwhile = [&] {
    // Two files into the run, the user presses QUIT.
    if (quitPressed || !frm || Button(*frm, "iNew").isEnabled() || finished() < 2) return;
    quitPressed = true;
    finishedAtQuit = finished();
    // With AutoEject ticked a finished CHECK would open the tray; after QUIT it must not.
    AutoEjectBox(*frm).setChecked(true);
    Button(*frm, "QUIT").click();
  };
  int ejects = 0;
  QObject::connect(&Button(*frm, "Eject"), &QAbstractButton::clicked, [&ejects] { ++ejects; });
  user.folders = {dir / "dist"};
  Click(*frm, GetParam().button);

  ASSERT_TRUE(quitPressed);
  ASSERT_FALSE(frm.isNull());
  EXPECT_FALSE(frm->isVisible());
  EXPECT_TRUE(user.boxes.empty());
  EXPECT_TRUE(user.unexpected.empty());
  // The run ended at the poll that followed the press: nothing was finished after it.
  EXPECT_EQ(finished(), finishedAtQuit);
  EXPECT_EQ(ejects, 0);
  // New was stopped early and trimmed: every remaining entry has its value.
  if (duringNew) {
    EXPECT_EQ(project.Count(), project.ValueCount());
  }
  EXPECT_TRUE(Button(*frm, "iNew").isEnabled());
  user.meanwhile = nullptr;
  delete frm.data();
}

INSTANTIATE_TEST_SUITE_P(Runs, EndToEndQuit,
                         testing::Values(QuitCase{"DuringNew", "iNew"},
                                         QuitCase{"DuringCheck", "iCheck"}),
                         kelvane::test::RowName());

}  // namespace
}  // namespace kelvane
