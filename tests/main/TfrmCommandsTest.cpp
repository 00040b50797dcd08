// The main window as the commands' shell: the error display, the list view over the project,
// HELP and QUIT.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QListView>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "main/HelpViewer.h"
#include "main/TabLabel.h"
#include "main/Tfrm.h"
#include "support/Controls.h"
#include "support/NamedRows.h"
#include "support/TempDir.h"
#include "support/User.h"

namespace kelvane {
namespace {

using test::Click;
using test::LabelText;
using test::List;

using kelvane::test::PrintTo;

using test::User;

// An object whose event handler fails, for the application's last line of defence.
class FailingObject : public QObject {
 public:
  bool event(QEvent* event) override {
    if (event->type() == QEvent::User) throw std::runtime_error("Invalid Config File");
    return QObject::event(event);
  }
};

TEST(TfrmErrors, AFailingButtonHandlerShowsTheErrorBoxAndTheWindowStays) {
  Tfrm frm;
  frm.show();
  Project& project = frm.session().project;
  // Reset refuses a list whose counts differ: a real handler raising a real error.
  project.AppendEntry("A.TXT", TCheckState::cbGrayed);
  User watcher(QMessageBox::Ok);
  Click(frm, "Reset");
  ASSERT_EQ(watcher.boxes.size(), 1u);
  EXPECT_EQ(watcher.boxes[0].caption, "Kelvane");
  EXPECT_EQ(watcher.boxes[0].text,
            "ListFile invalid.\n\nChkList item count\t :1\nValues item count\t :0\n\n"
            "Create new list first, please");
  EXPECT_TRUE(frm.isVisible());
  EXPECT_EQ(project.State(0), TCheckState::cbGrayed);
  // The window goes on: the next command works.
  Click(frm, "Clear");
  EXPECT_EQ(project.Count(), 0);
  EXPECT_EQ(watcher.boxes.size(), 1u);
}

TEST(TfrmErrors, AnExceptionLeavingAnyEventIsShownByTheApplication) {
  FailingObject failing;
  User watcher(QMessageBox::Ok);
  QEvent event(QEvent::User);
  EXPECT_FALSE(QCoreApplication::sendEvent(&failing, &event));
  ASSERT_EQ(watcher.boxes.size(), 1u);
  EXPECT_EQ(watcher.boxes[0].caption, "Kelvane");
  EXPECT_EQ(watcher.boxes[0].text, "Invalid Config File");
}

TEST(TfrmErrors, RunCommandShowsLineBreaksOfTheMessage) {
  Tfrm frm;
  User watcher(QMessageBox::Ok);
  frm.RunCommand([] { throw std::runtime_error("Error while getting CRC32\rFile: /x/A.TXT"); });
  ASSERT_EQ(watcher.boxes.size(), 1u);
  EXPECT_EQ(watcher.boxes[0].text, "Error while getting CRC32\nFile: /x/A.TXT");
}

TEST(TfrmBoxes, NoticeAndQuestionBoxesHaveTheirButtonsCaptionsAndDefaults) {
  Tfrm frm;
  frm.show();
  {
    User watcher(QMessageBox::Ok);
    frm.ShowMessage("Error(s) found\t: 0\rCheksum valid\t: 3");
    ASSERT_EQ(watcher.boxes.size(), 1u);
    const User::Box& box = watcher.boxes[0];
    EXPECT_EQ(box.caption, "Kelvane");
    EXPECT_EQ(box.text, "Error(s) found\t: 0\nCheksum valid\t: 3");  // tabs kept
    EXPECT_EQ(box.buttons, QMessageBox::Ok);
    EXPECT_EQ(box.icon, QMessageBox::NoIcon);
  }
  for (const auto answer : {QMessageBox::Yes, QMessageBox::No}) {
    User watcher(answer);
    const bool yes =
        frm.AskYesNo("File: /x/A.TXT\r\nDo you want to continue?", "Error while Getting CRC-32");
    EXPECT_EQ(yes, answer == QMessageBox::Yes);
    ASSERT_EQ(watcher.boxes.size(), 1u);
    const User::Box& box = watcher.boxes[0];
    EXPECT_EQ(box.caption, "Error while Getting CRC-32");
    EXPECT_EQ(box.text, "File: /x/A.TXT\nDo you want to continue?");
    EXPECT_EQ(box.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.defaultButton, QMessageBox::Yes);
    EXPECT_EQ(box.icon, QMessageBox::NoIcon);
    EXPECT_TRUE(box.onTop);
    EXPECT_TRUE(box.applicationModal);
  }
}

QModelIndex Row(Tfrm& frm, int row) {
  return List(frm).model()->index(row, 0);
}

Qt::CheckState CheckOf(Tfrm& frm, int row) {
  return static_cast<Qt::CheckState>(Row(frm, row).data(Qt::CheckStateRole).toInt());
}

TEST(TfrmCheckList, TheViewFollowsTheProject) {
  Tfrm frm;
  Project& project = frm.session().project;
  QAbstractItemModel* model = List(frm).model();

  project.AppendEntry("DATA\\DISK1\\README.TXT", TCheckState::cbChecked);
  project.AppendEntries({"B.TXT", "C.TXT"});
  ASSERT_EQ(model->rowCount(), 3);
  EXPECT_EQ(Row(frm, 0).data().toString(), "DATA\\DISK1\\README.TXT");
  EXPECT_EQ(Row(frm, 2).data().toString(), "C.TXT");
  EXPECT_EQ(CheckOf(frm, 0), Qt::Checked);
  EXPECT_EQ(CheckOf(frm, 1), Qt::Unchecked);
  EXPECT_EQ(Row(frm, 1).data(Qt::SizeHintRole).toSize().height(), 13);

  project.SetState(1, TCheckState::cbGrayed);
  EXPECT_EQ(CheckOf(frm, 1), Qt::PartiallyChecked);

  project.DeleteEntry(0);
  ASSERT_EQ(model->rowCount(), 2);
  EXPECT_EQ(Row(frm, 0).data().toString(), "B.TXT");

  project.Replace({"X", "Y", "Z", "W"}, {});
  EXPECT_EQ(model->rowCount(), 4);

  Click(frm, "Clear");
  EXPECT_EQ(model->rowCount(), 0);
}

TEST(TfrmCheckList, AHundredThousandEntriesArriveInOneNotification) {
  Tfrm frm;
  int inserts = 0;
  QObject::connect(List(frm).model(), &QAbstractItemModel::rowsInserted, [&inserts] { ++inserts; });
  std::vector<std::string> names(100000, "F.TXT");
  frm.session().project.AppendEntries(std::move(names));
  EXPECT_EQ(inserts, 1);
  EXPECT_EQ(List(frm).model()->rowCount(), 100000);
  EXPECT_TRUE(List(frm).uniformItemSizes());
}

class TfrmListInput : public ::testing::Test {
 protected:
  void SetUp() override {
    frm.show();
    Project& project = frm.session().project;
    for (int i = 0; i < 3; ++i) {
      project.AppendEntry("F" + std::to_string(i) + ".TXT", TCheckState::cbChecked);
      project.AppendValue("0A1B2C3D000000001");
    }
  }

  Tfrm frm;
};

TEST_F(TfrmListInput, SpaceOnAnEntryTogglesItsBoxAndTheFlagFollows) {
  List(frm).setCurrentIndex(Row(frm, 2));
  QTest::keyClick(&List(frm), Qt::Key_Space);
  Project& project = frm.session().project;
  EXPECT_EQ(project.State(2), TCheckState::cbUnchecked);
  EXPECT_EQ(project.Value(2), "0A1B2C3D000000000");
  EXPECT_EQ(frm.session().texts.Text(TLabel::S17), "0");
  EXPECT_EQ(LabelText(frm, "S17"), "0");
  EXPECT_EQ(project.Value(1), "0A1B2C3D000000001");  // the others keep their flags

  QTest::keyClick(&List(frm), Qt::Key_Space);
  EXPECT_EQ(project.State(2), TCheckState::cbChecked);
  EXPECT_EQ(project.Value(2), "0A1B2C3D000000001");
  EXPECT_EQ(LabelText(frm, "S17"), "1");
}

// The keys that move the current entry show its values, as a click does.
TEST_F(TfrmListInput, MovingWithTheKeysShowsTheEntrysValues) {
  Project& project = frm.session().project;
  project.SetFlag(1, TCheckState::cbUnchecked);
  List(frm).setFocus();
  List(frm).setCurrentIndex(Row(frm, 0));
  const std::pair<Qt::Key, const char*> moves[] = {
      {Qt::Key_Down, "2/3"}, {Qt::Key_End, "3/3"},      {Qt::Key_Up, "2/3"},
      {Qt::Key_Home, "1/3"}, {Qt::Key_PageDown, "3/3"}, {Qt::Key_PageUp, "1/3"}};
  for (const auto& [key, status3] : moves) {
    QTest::keyClick(&List(frm), key);
    EXPECT_EQ(LabelText(frm, "Status3"), status3) << key;
    EXPECT_EQ(LabelText(frm, "Status1"), "CRC-32bit :\t0A1B2C3DH") << key;
    EXPECT_EQ(LabelText(frm, "S17"), std::string(status3) == "2/3" ? "0" : "1") << key;
  }
}

// Taking the focus makes an entry current without the user choosing it: nothing is shown, so an
// entry that has no value entry brings no error either.
TEST_F(TfrmListInput, TakingTheFocusShowsNothing) {
  frm.session().project.Replace({"NOVALUE.TXT"}, {});
  User watcher(QMessageBox::Ok);
  List(frm).setFocus(Qt::TabFocusReason);
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  EXPECT_TRUE(watcher.boxes.empty());
  EXPECT_EQ(LabelText(frm, "Status3"), "Status3");
}

TEST(TfrmCheckList, ANameThatIsNotUtf8ShowsAsWindows1252) {
  Tfrm frm;
  frm.session().project.AppendEntry("Musik\\Caf\xE9.txt");
  frm.session().texts.Set(TLabel::ChkSrc, "D:\\M\xDCSIK\\");
  EXPECT_EQ(Row(frm, 0).data().toString(), QString::fromUtf8("Musik\\Caf\u00E9.txt"));
  EXPECT_EQ(LabelText(frm, "ChkSrc"), QString::fromUtf8("D:\\M\u00DCSIK\\"));
  EXPECT_EQ(frm.session().project.Entry(0), "Musik\\Caf\xE9.txt");  // the bytes stay
}

TEST_F(TfrmListInput, ClickingAnEntryShowsItsStoredValues) {
  const QRect item = List(frm).visualRect(Row(frm, 1));
  QTest::mouseClick(List(frm).viewport(), Qt::LeftButton, {}, item.center());
  EXPECT_EQ(LabelText(frm, "Status1"), "CRC-32bit :\t0A1B2C3DH");
  EXPECT_EQ(LabelText(frm, "Status2"), "ChekSum19 :\t00000000H");
  EXPECT_EQ(LabelText(frm, "Status3"), "2/3");
  EXPECT_EQ(LabelText(frm, "S17"), "1");
  EXPECT_EQ(frm.session().project.State(1), TCheckState::cbChecked);  // text click: no toggle
}

TEST_F(TfrmListInput, AToggleOfAnEntryWithoutValueKeepsTheToggleAndReportsTheError) {
  frm.session().project.AppendEntry("NOVALUE.TXT", TCheckState::cbChecked);
  User watcher(QMessageBox::Ok);
  List(frm).model()->setData(Row(frm, 3), Qt::Unchecked, Qt::CheckStateRole);
  EXPECT_EQ(frm.session().project.State(3), TCheckState::cbUnchecked);
  ASSERT_EQ(watcher.boxes.size(), 1u);
  EXPECT_EQ(watcher.boxes[0].text, "List index out of bounds (3)");
}

TEST(TfrmQuit, QuitDuringAPumpingRunStopsItAndNoBoxFollows) {
  QPointer<Tfrm> frm = new Tfrm;
  frm->show();
  User watcher(QMessageBox::Yes);
  bool answered = true;
  int pumps = 0;
  frm->RunCommand([&] {
    // A run: it pumps until asked to stop, as New and CHECK do between files.
    frm->session().StopRequested = false;
    QTimer::singleShot(0, frm, [&] { Click(*frm, "QUIT"); });
    while (!frm->session().StopRequested && pumps < 10000) {
      frm->PumpEvents();
      ++pumps;
    }
    frm->ShowMessage("Cheksum valid: 0");
    answered = frm->AskYesNo("Continue?", "Kelvane");
    throw std::runtime_error("nothing to store");
  });
  // Let any box that was wrongly opened be seen by the watcher.
  for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
  EXPECT_LT(pumps, 10000);
  ASSERT_FALSE(frm.isNull());  // closed, not destroyed
  EXPECT_TRUE(frm->session().StopRequested);
  EXPECT_FALSE(frm->isVisible());
  EXPECT_FALSE(answered);
  EXPECT_TRUE(watcher.boxes.empty());
  EXPECT_FALSE(frm->testAttribute(Qt::WA_DeleteOnClose));
  delete frm.data();
}

// A folder the test makes current for as long as it lives.
class CurrentFolder {
 public:
  explicit CurrentFolder(const std::string& folder) : previous_(QDir::currentPath()) {
    QDir::setCurrent(QString::fromStdString(folder));
  }
  ~CurrentFolder() { QDir::setCurrent(previous_); }

 private:
  QString previous_;
};

HelpWindow* ShownHelp(Tfrm& frm) {
  HelpWindow* help = frm.findChild<HelpWindow*>("HelpWindow");
  return help && help->isVisible() ? help : nullptr;
}

// The installed guide (no guide in the current folder): a Windows-1252 byte, CR LF line breaks
// and more lines than the window shows.
TEST(TfrmHelp, ShowsTheGuideInAWindowOfItsOwnThatEscapeCloses) {
  test::TempDir dir;
  std::string guide = "Kelvane Caf\xE9\r\n";
  for (int i = 1; i <= 300; ++i) guide += "line " + std::to_string(i) + "\r\n";
  dir.Write("share/kelvane/Kelvane.HLP", guide);
  dir.MakeDir("empty");
  const CurrentFolder here(dir / "empty");
  Tfrm frm;
  frm.SetHelpDataFolder(QString::fromStdString(dir / "share/kelvane"));
  frm.show();
  User watcher(QMessageBox::Ok);

  Click(frm, "HelpText");

  HelpWindow* help = ShownHelp(frm);
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(watcher.boxes.empty());
  // Not waited for: the main window stays usable beside it.
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(help->windowTitle(), "Kelvane Help");
  auto* text = help->findChild<QPlainTextEdit*>("Guide");
  ASSERT_NE(text, nullptr);
  EXPECT_TRUE(text->isReadOnly());
  EXPECT_TRUE(text->toPlainText().startsWith(QString::fromUtf8("Kelvane Caf\u00e9\nline 1\n")));
  EXPECT_TRUE(text->toPlainText().contains("line 300"));
  EXPECT_TRUE(help->screen()->availableGeometry().contains(help->frameGeometry()));
  // The keyboard scrolls it, Escape closes it, and HELP brings the same window back.
  QTest::keyClick(text, Qt::Key_PageDown);
  EXPECT_GT(text->verticalScrollBar()->value(), 0);
  QTest::keyClick(text, Qt::Key_Escape);
  EXPECT_EQ(ShownHelp(frm), nullptr);
  Click(frm, "HelpText");
  EXPECT_EQ(ShownHelp(frm), help);
  EXPECT_EQ(text->verticalScrollBar()->value(), 0);
}

// The guide in the current folder first, then the installed one; without either, the box of a
// file that cannot be opened and no window.
TEST(TfrmHelp, LooksInTheCurrentFolderThenTheDataFolder) {
  test::TempDir dir;
  dir.Write("here/Kelvane.HLP", "guide here");
  dir.Write("share/kelvane/Kelvane.HLP", "installed guide");
  dir.MakeDir("empty");
  const QString here = QString::fromStdString(dir / "here");
  const QString empty = QString::fromStdString(dir / "empty");
  const QString data = QString::fromStdString(dir / "share/kelvane");
  EXPECT_EQ(HelpFilePath(here, data), "Kelvane.HLP");
  EXPECT_EQ(HelpFilePath(empty, data), data + "/Kelvane.HLP");
  EXPECT_EQ(HelpFilePath(empty, empty), "Kelvane.HLP");

  for (const auto& [folder, shown] :
       {std::pair{dir / "here", "guide here"}, std::pair{dir / "empty", "installed guide"}}) {
    const CurrentFolder current(folder);
    Tfrm frm;
    frm.SetHelpDataFolder(data);
    Click(frm, "HelpText");
    ASSERT_NE(ShownHelp(frm), nullptr) << folder;
    EXPECT_EQ(ShownHelp(frm)->findChild<QPlainTextEdit*>("Guide")->toPlainText(), shown);
  }

  const CurrentFolder current(dir / "empty");
  Tfrm frm;
  frm.SetHelpDataFolder(empty);
  User watcher(QMessageBox::Ok);
  Click(frm, "HelpText");
  EXPECT_EQ(ShownHelp(frm), nullptr);
  ASSERT_EQ(watcher.boxes.size(), 1u);
  EXPECT_EQ(watcher.boxes[0].caption, "Kelvane");
  EXPECT_EQ(watcher.boxes[0].text, "Cannot open file \"Kelvane.HLP\". No such file or directory");
}

}  // namespace
}  // namespace kelvane
