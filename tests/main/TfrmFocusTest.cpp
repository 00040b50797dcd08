// Where the keyboard's focus is once a run has ended, however it ended: back on the button that
// started it, never on Load or Eject, where the next Return would work the tray.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QFileDialog>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <functional>
#include <set>
#include <string>

#include "main/Tfrm.h"
#include "support/Controls.h"
#include "support/NamedRows.h"
#include "support/TempDir.h"
#include "support/User.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;
using test::Button;
using test::TempDir;
using test::User;

struct FocusRow {
  const char* name;
  const char* button;  // what the user presses, with Space, having Tabbed to it
  bool madeByNew;      // the project is the tree's, made by New first
  // Sets up the user's answers (and the project, when it is not made by New).
  std::function<void(Tfrm& frm, User& user, const TempDir& dir)> prepare;
};
class TfrmFocusAfterRun : public testing::TestWithParam<FocusRow> {};

TEST_P(TfrmFocusAfterRun, IsOnTheButtonThatStartedIt) {
  TempDir dir;
  for (int i = 0; i < 300; ++i) dir.Write("tree/f" + std::to_string(i), "abc");
  Tfrm frm;
  ASSERT_TRUE(test::ShowActive(frm));
  if (GetParam().madeByNew) {
    User quiet(QMessageBox::Ok);
    quiet.folders = {dir / "tree"};
    test::Click(frm, "iNew");
    ASSERT_EQ(frm.session().project.Count(), 300);
  }
  User user(QMessageBox::NoButton, 0);
  GetParam().prepare(frm, user, dir);
  QWidget* button = frm.findChild<QToolButton*>(GetParam().button);
  // Where the keyboard is while the run goes on (what a Return in a question box returns to).
  // A row that acts during the run is sure to be looked at then.
  const bool actsDuringTheRun = static_cast<bool>(user.meanwhile);
  std::set<std::string> during;
  user.meanwhile = [&, theirs = user.meanwhile] {
    if (!button->isEnabled())
      during.insert(frm.focusWidget() ? frm.focusWidget()->objectName().toStdString() : "(none)");
    if (theirs) theirs();
  };
  button->setFocus(Qt::TabFocusReason);
  QTest::keyClick(button, Qt::Key_Space);
  ASSERT_FALSE(user.boxes.empty()) << "the run showed nothing";
  if (actsDuringTheRun) {
    EXPECT_FALSE(during.empty()) << "never looked during the run";
  }
  for (const std::string& name : during) EXPECT_EQ(name, "STOP") << "during the run";
  // The window's own focus, which the keyboard reaches as soon as the window is active again.
  EXPECT_EQ(frm.focusWidget() ? frm.focusWidget()->objectName().toStdString() : "(none)",
            GetParam().button);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TfrmFocusAfterRun,
    testing::Values(FocusRow{"NewStopped", "iNew", false,
                             [](Tfrm& frm, User& user, const TempDir& dir) {
                               user.folders = {dir / "tree"};
                               user.meanwhile = [&frm] {
                                 if (frm.session().project.ValueCount() >= 5 &&
                                     !Button(frm, "iNew").isEnabled())
                                   Button(frm, "STOP").click();
                               };
                             }},
                    FocusRow{"CheckToItsSummary", "iCheck", true,
                             [](Tfrm&, User& user, const TempDir& dir) {
                               user.folders = {dir / "tree"};
                             }},
                    FocusRow{"CheckStopped", "iCheck", true,
                             [](Tfrm& frm, User& user, const TempDir& dir) {
                               user.folders = {dir / "tree"};
                               user.meanwhile = [&frm] {
                                 if (frm.session().project.State(5) == TCheckState::cbChecked &&
                                     !Button(frm, "iCheck").isEnabled())
                                   Button(frm, "STOP").click();
                               };
                             }},
                    FocusRow{"CheckEndedByAnError", "iCheck", false,
                             [](Tfrm& frm, User& user, const TempDir& dir) {
                               // A value entry short: the run ends with the list's index error.
                               frm.session().project.Replace({"f0", "f1"}, {"CADBBE3D000000001"});
                               user.folders = {dir / "tree"};
                             }}),
    kelvane::test::RowName());

// While New sums the files, the keyboard in the list reaches rows with no sums yet: End goes to
// the last one, Space would tick it. Neither is an error, and New still ticks every row.
TEST(TfrmListDuringNew, RowsNotSummedYetShowNoErrorAndKeepNewsTicks) {
  TempDir dir;
  for (int i = 0; i < 1000; ++i) dir.Write("tree/f" + std::to_string(i), "abc");
  Tfrm frm;
  ASSERT_TRUE(test::ShowActive(frm));
  User user(QMessageBox::Ok);
  user.folders = {dir / "tree"};
  QListView& list = test::List(frm);
  bool pressed = false;
  user.meanwhile = [&] {
    const Project& p = frm.session().project;
    if (pressed || Button(frm, "iNew").isEnabled() || p.ValueCount() < 1 ||
        p.ValueCount() > p.Count() - 10)
      return;
    pressed = true;
    // Pressed after this look, so that a box they bring up is answered by the next one.
    QTimer::singleShot(0, &list, [&list] {
      list.setFocus(Qt::TabFocusReason);
      QTest::keyClick(&list, Qt::Key_End);
      QTest::keyClick(&list, Qt::Key_Space);
    });
  };
  test::Click(frm, "iNew");

  ASSERT_TRUE(pressed) << "New ended before the keys were pressed";
  EXPECT_TRUE(user.boxes.empty()) << user.boxes.front().text;
  const Project& p = frm.session().project;
  ASSERT_EQ(p.ValueCount(), 1000);
  for (int i = 0; i < p.Count(); ++i) {
    ASSERT_EQ(p.State(i), TCheckState::cbChecked) << i;
    ASSERT_EQ(p.FlagText(i), "1") << i;
  }
}

// WCAG's contrast ratio of two colours, from 1 (the same) to 21 (black and white).
double Contrast(const QColor& a, const QColor& b) {
  const auto luminance = [](const QColor& c) {
    const auto linear = [](double v) {
      return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
  };
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// While the list has the keyboard its frame and its current row stand out from the navy (3:1 at
// least); without it, neither is marked.
TEST(TfrmFocusMarks, TheListShowsItsFocusAndItsCurrentRowOnNavy) {
  Tfrm frm;
  frm.RunCommand([&frm] {
    for (const char* entry : {"a.txt", "b.txt", "c.txt"}) {
      frm.session().project.AppendEntry(entry, TCheckState::cbChecked);
      frm.session().project.AppendValue("CADBBE3D000000001");
    }
  });
  ASSERT_TRUE(test::ShowActive(frm));
  QListView& list = test::List(frm);
  const QColor navy = list.palette().color(QPalette::Base);
  // The second row current, not selected: what is drawn on its top edge is the mark alone.
  const QModelIndex row = list.model()->index(1, 0);
  list.selectionModel()->setCurrentIndex(row, QItemSelectionModel::NoUpdate);
  const QPoint rowEdge =
      list.viewport()->mapTo(&list, list.visualRect(row).topLeft() + QPoint(40, 0));
  const auto marks = [&] {
    const QImage image = list.grab().toImage();
    return std::pair{image.pixelColor(0, image.height() / 2), image.pixelColor(rowEdge)};
  };

  list.setFocus(Qt::TabFocusReason);
  const auto [focusedFrame, focusedRow] = marks();
  Button(frm, "iNew").setFocus(Qt::TabFocusReason);
  const auto [idleFrame, idleRow] = marks();

  EXPECT_GE(Contrast(focusedFrame, navy), 3.0) << focusedFrame.name().toStdString();
  EXPECT_GE(Contrast(focusedFrame, idleFrame), 3.0)
      << focusedFrame.name().toStdString() << " against " << idleFrame.name().toStdString();
  EXPECT_GE(Contrast(focusedRow, navy), 3.0) << focusedRow.name().toStdString();
  EXPECT_LT(Contrast(idleRow, navy), 1.2) << idleRow.name().toStdString();
}

// Return in the Open dialog's name field while its completion list shows: the dialog closes
// with the list still open. The window is active again afterwards, its focus where it was.
TEST(TfrmFocusAfterDialog, ReturnInTheOpenDialogsCompletionListGivesTheWindowBack) {
  TempDir dir;
  const std::string project = "[Kelvane]\r\n/p.cfg\r\n/src/\r\n1\r\na.txt\r\nCADBBE3D000000001\r\n";
  dir.Write("dist.cfg", project);
  dir.Write("dist.cfg.old", project);
  Tfrm frm;
  frm.session().project.SetConfigPath(dir / "other.cfg");  // the dialog opens in dir
  ASSERT_TRUE(test::ShowActive(frm));
  QAbstractButton& open = Button(frm, "iOpen");
  open.setFocus(Qt::TabFocusReason);

  bool started = false;
  bool typed = false;
  int ticks = 0;
  QTimer look;
  QObject::connect(&look, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible() || typed) return;
    if (++ticks > 500) {  // the list never showed: give up rather than wait for ever
      dialog->reject();
      return;
    }
    auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
    if (!name) return;
    if (!started) {
      if (QApplication::activeWindow() != dialog) return;  // keys go to the active window
      name->clear();
      name->setFocus();
      QTest::keyClicks(name, "dist.c");
      started = true;
      return;
    }
    QAbstractItemView* list = name->completer() ? name->completer()->popup() : nullptr;
    if (!list || !list->isVisible()) return;  // the folder is still being listed
    QTest::keyClicks(list, "fg");
    typed = true;
    QTest::keyClick(list, Qt::Key_Return);
  });
  look.start(10);
  QTest::keyClick(&open, Qt::Key_Space);
  look.stop();

  ASSERT_TRUE(typed) << "the completion list never showed";
  EXPECT_EQ(frm.session().project.ConfigPath(), dir / "dist.cfg");
  EXPECT_TRUE(QTest::qWaitFor([&frm] { return QApplication::activeWindow() == &frm; }, 2000))
      << "the window stayed inactive";
  EXPECT_EQ(QApplication::focusWidget(), &open);
}

}  // namespace
}  // namespace kelvane
