// What a screen reader's user hears of a run, with accessibility switched on as a bridge would (the
// offscreen platform has none): why each row was grayed or left unchecked, told in its
// description until a new run or Open replaces it; the keyboard back where it was when a run began
// by its shortcut; a word at the end of New, Open and Save, which show no box; Return on HELP's
// Close.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <string>
#include <vector>

#include "main/Tfrm.h"
#include "support/Accessibility.h"
#include "support/Controls.h"
#include "support/ForgedCRC.h"
#include "support/TempDir.h"
#include "support/User.h"

namespace kelvane {
namespace {

using test::Click;
using test::List;
using test::TempDir;
using test::User;

// The notifications shown, by their words.
std::vector<std::string> notified;

void Record(QAccessibleEvent* event) {
  QAccessibleInterface* face = event->accessibleInterface();
  if (event->type() == QAccessible::ObjectShow && face && face->role() == QAccessible::Notification)
    notified.push_back(face->text(QAccessible::Name).toStdString());
}

// The distribution: five files in three folders, listed c.cab, a.cab, b.cab, readme.txt,
// setup.exe.
void WriteDistribution(const TempDir& dir, const std::string& root) {
  dir.Write(root + "/setup.exe", "123456789");
  dir.Write(root + "/data/a.cab", "abc");
  dir.Write(root + "/data/b.cab", std::string(200000, 'b'));
  dir.Write(root + "/data/disk 2/c.cab", "third cabinet");
  dir.Write(root + "/readme.txt", "Read me first.");
}

// Each row's accessible description, as a screen reader reads it with the row.
std::vector<std::string> Descriptions(Tfrm& frm) {
  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&List(frm));
  std::vector<std::string> told;
  for (int i = 0; i < list->childCount(); ++i)
    told.push_back(list->child(i)->text(QAccessible::Description).toStdString());
  return told;
}

class RunA11y : public testing::Test {
 protected:
  static void SetUpTestSuite() { test::ListenToAccessibility(Record); }
  static void TearDownTestSuite() { test::ListenToAccessibility(nullptr); }

  void SetUp() override {
    WriteDistribution(dir, "dist");
    ASSERT_TRUE(test::ShowActive(frm));
    notified.clear();
  }

  TempDir dir;
  Tfrm frm;
  User user;
};

TEST_F(RunA11y, EachRowTellsWhatTheLastCheckFoundUntilOpenReplacesIt) {
  user.folders = {dir / "dist"};
  Click(frm, "iNew");
  user.fileNames = {dir / "dist.cfg"};
  Click(frm, "iSave");
  EXPECT_EQ(Descriptions(frm), std::vector<std::string>(5, "")) << "no CHECK yet";

  WriteDistribution(dir, "copy");
  dir.Write("copy/data/a.cab", "abd");
  dir.Write("copy/setup.exe", test::ForgeLegacyCRC32("echo forged\n", 0x340BC6D9));
  std::filesystem::remove(dir / "copy/readme.txt");
  // c.cab unticked: CHECK leaves it out.
  QAbstractItemModel* rows = List(frm).model();
  rows->setData(rows->index(0, 0), Qt::Unchecked, Qt::CheckStateRole);
  user.folders = {dir / "copy"};
  Click(frm, "iCheck");
  EXPECT_EQ(Descriptions(frm),
            (std::vector<std::string>{
                "not selected for CHECK", "sum did not match: CRC-32 and SHA-256", "",
                "could not be read: No such file or directory", "sum did not match: SHA-256"}));

  // A run that the user ends at its first question: what it did not reach says so, and what
  // the run before found is gone.
  rows->setData(rows->index(0, 0), Qt::Checked, Qt::CheckStateRole);
  dir.Write("copy/data/disk 2/c.cab", "changed");
  user.folders = {dir / "copy"};
  user.answers = {QMessageBox::No};
  Click(frm, "iCheck");
  EXPECT_EQ(Descriptions(frm),
            (std::vector<std::string>{"sum did not match: CRC-32 and SHA-256", "not reached",
                                      "not reached", "not reached", "not reached"}));

  user.fileNames = {dir / "dist.cfg"};
  Click(frm, "iOpen");
  EXPECT_EQ(Descriptions(frm), std::vector<std::string>(5, ""));
  EXPECT_TRUE(user.unexpected.empty());
}

// F5 from the rows the user was reading gives the keyboard back to them; the button, clicked,
// keeps it.
TEST_F(RunA11y, RunByItsShortcutGivesTheKeyboardBackWhereItWas) {
  user.folders = {dir / "dist"};
  Click(frm, "iNew");
  QListView& list = List(frm);
  list.setFocus();
  list.setCurrentIndex(list.model()->index(3, 0));
  user.folders = {dir / "dist"};
  QTest::keyClick(&list, Qt::Key_F5);
  ASSERT_TRUE(user.folders.empty()) << "F5 started no run";
  ASSERT_TRUE(QTest::qWaitForWindowActive(&frm));
  EXPECT_EQ(QApplication::focusWidget(), &list);
  EXPECT_EQ(list.currentIndex().row(), 3);

  user.folders = {dir / "dist"};
  QTest::keyClick(&list, Qt::Key_N, Qt::ControlModifier);
  ASSERT_TRUE(user.folders.empty()) << "Ctrl+N started no run";
  ASSERT_TRUE(QTest::qWaitForWindowActive(&frm));
  EXPECT_EQ(QApplication::focusWidget(), &list);

  QAbstractButton& check = test::Button(frm, "iCheck");
  user.folders = {dir / "dist"};
  QTest::mouseClick(&check, Qt::LeftButton);
  ASSERT_TRUE(user.folders.empty()) << "the click started no run";
  ASSERT_TRUE(QTest::qWaitForWindowActive(&frm));
  EXPECT_EQ(QApplication::focusWidget(), &check);
}

// New that stored every sum, Open and Save show no box: each says how it ended, once.
TEST_F(RunA11y, NewOpenAndSaveTellHowTheyEnded) {
  user.folders = {dir / "dist"};
  Click(frm, "iNew");
  user.fileNames = {dir / "dist.cfg"};
  Click(frm, "iSave");
  user.fileNames = {dir / "dist.cfg"};
  Click(frm, "iOpen");
  EXPECT_EQ(notified,
            (std::vector<std::string>{"New: 5 files listed", "Save: 5 entries written to dist.cfg",
                                      "Open: 5 entries from dist.cfg"}));
  // A cancelled dialog ends nothing: nothing is said.
  notified.clear();
  user.fileNames.clear();
  Click(frm, "iOpen");
  EXPECT_TRUE(notified.empty());
  ASSERT_EQ(user.unexpected, std::vector<std::string>{"file dialog"});
}

TEST_F(RunA11y, ReturnOnHelpsCloseButtonClosesIt) {
  dir.Write("share/kelvane/Kelvane.HLP", "The guide.\n");
  frm.SetHelpDataFolder(QString::fromStdString(dir / "share/kelvane"));
  Click(frm, "HelpText");
  auto* help = frm.findChild<QDialog*>("HelpWindow");
  ASSERT_NE(help, nullptr);
  ASSERT_TRUE(help->isVisible());
  auto* close = help->findChild<QPushButton*>();
  ASSERT_NE(close, nullptr);
  close->setFocus();
  QTest::keyClick(close, Qt::Key_Return);
  EXPECT_FALSE(help->isVisible());
}

}  // namespace
}  // namespace kelvane
