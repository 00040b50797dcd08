// Where the keyboard's focus is once a run has ended, however it ended: back on the button that
// started it, never on Load or Eject, where the next Return would work the tray.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QToolButton>
#include <functional>
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
  frm.show();
  frm.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&frm));
  if (GetParam().madeByNew) {
    User quiet(QMessageBox::Ok);
    quiet.folders = {dir / "tree"};
    test::Click(frm, "iNew");
    ASSERT_EQ(frm.session().project.Count(), 300);
  }
  User user(QMessageBox::NoButton, 0);
  GetParam().prepare(frm, user, dir);
  QWidget* button = frm.findChild<QToolButton*>(GetParam().button);
  button->setFocus(Qt::TabFocusReason);
  QTest::keyClick(button, Qt::Key_Space);
  ASSERT_FALSE(user.boxes.empty()) << "the run showed nothing";
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

}  // namespace
}  // namespace kelvane
