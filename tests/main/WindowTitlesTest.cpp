// The titles of the window, its boxes and dialogs as the window manager shows them (the
// _NET_WM_NAME the xcb platform sets, on an X server of the test's own): exactly their captions,
// with nothing of the application's name added.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>

#include "main/MessageBoxes.h"
#include "main/Tfrm.h"
#include "support/NamedRows.h"
#include "support/X11Display.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;

struct TitleRow {
  const char* name;
  std::function<void(Tfrm& frm)> show;  // shows one modal box or dialog over the window
  std::string title;
};
class WindowTitles : public testing::TestWithParam<TitleRow> {};

TEST_P(WindowTitles, AreTheCaptionsAlone) {
  if (const auto& why = test::X11Unavailable()) GTEST_SKIP() << "no X server: " << *why;
  Tfrm frm;
  frm.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frm));
  EXPECT_EQ(test::WindowManagerTitle(frm), "Kelvane");

  // Once the box is on the screen: its title, then it is closed as Escape would.
  std::string seen = "(nothing shown)";
  QTimer look;
  QObject::connect(&look, &QTimer::timeout, [&seen] {
    auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!modal || !modal->isVisible() || !modal->windowHandle() ||
        !modal->windowHandle()->isExposed())
      return;
    seen = test::WindowManagerTitle(*modal);
    modal->reject();
  });
  look.start(5);
  GetParam().show(frm);
  EXPECT_EQ(seen, GetParam().title);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WindowTitles,
    testing::Values(
        TitleRow{"Question", [](Tfrm& frm) { AskYesNoBox(&frm, "Continue?", "CheckSum Error"); },
                 "CheckSum Error"},
        TitleRow{"Error", [](Tfrm& frm) { ShowErrorBox(&frm, "No file listed"); }, "Kelvane"},
        TitleRow{"Notice", [](Tfrm& frm) { ShowPlainBox(&frm, "Stopped."); }, "Kelvane"},
        TitleRow{"Open",
                 [](Tfrm& frm) {
                   std::string name;
                   frm.ExecuteOpenDialog(name);
                 },
                 "Open"},
        TitleRow{"Save",
                 [](Tfrm& frm) {
                   std::string name;
                   frm.ExecuteSaveDialog(name);
                 },
                 "Save As"},
        TitleRow{"Picker",
                 [](Tfrm& frm) {
                   std::string folder = "/";
                   frm.PickFolder(folder, "Select the folder", 0);
                 },
                 "Browse for Folder"}),
    test::RowName());

}  // namespace
}  // namespace kelvane
