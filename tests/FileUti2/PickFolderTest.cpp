// PickFolder: the prompt and help context reach the dialog; the folder comes back only on OK.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "FileUti2/FolderBrowserDialog.h"
#include "FileUti2/PickFolder.h"
#include "support/NamedRows.h"
#include "support/TempDir.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;

// Acts on the next folder dialog once it is up: a zero-interval timer looks for it at every turn
// of the dialog's modal loop, so nothing depends on how long anything takes.
class OnNextDialog {
 public:
  explicit OnNextDialog(std::function<void(FolderBrowserDialog&)> act) {
    timer_.setInterval(0);
    QObject::connect(&timer_, &QTimer::timeout, [this, act = std::move(act)] {
      auto* dialog = qobject_cast<FolderBrowserDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      timer_.stop();
      act(*dialog);
    });
    timer_.start();
  }
  bool Acted() const { return !timer_.isActive(); }

 private:
  QTimer timer_;
};

struct PickRow {
  const char* name;
  bool ok;
};

class PickFolderTest : public ::testing::TestWithParam<PickRow> {};

TEST_P(PickFolderTest, CopiesTheFolderBackOnlyOnOk) {
  const PickRow& row = GetParam();
  test::TempDir tmp;
  tmp.MakeDir("dist/disk1");
  std::string folder = tmp / "dist/disk1";
  OnNextDialog script([&](FolderBrowserDialog& dialog) {
    EXPECT_EQ(dialog.CurrentPath(), tmp / "dist/disk1");
    dialog.SelectFolder(tmp / "dist");
    (row.ok ? dialog.OkButton() : dialog.CancelButton())->click();
  });
  const bool picked = PickFolder(folder, "Please pick a drive or directory to scan", 0);
  EXPECT_TRUE(script.Acted());
  EXPECT_EQ(picked, row.ok);
  EXPECT_EQ(folder, row.ok ? tmp / "dist" : tmp / "dist/disk1");
}

INSTANTIATE_TEST_SUITE_P(Rows, PickFolderTest,
                         ::testing::Values(PickRow{"Ok", true}, PickRow{"Cancel", false}),
                         kelvane::test::RowName());

TEST(PickFolderDialog, ShowsThePromptAndAHelpButtonOnlyWithAContext) {
  for (const int context : {0, 3}) {
    SCOPED_TRACE(context);
    std::string folder;
    OnNextDialog script([&](FolderBrowserDialog& dialog) {
      auto* prompt = dialog.findChild<QLabel*>("Prompt");
      ASSERT_NE(prompt, nullptr);
      EXPECT_EQ(prompt->text(), "Please pick a drive or directory to scan");
      EXPECT_EQ(dialog.HelpButton() != nullptr, context != 0);
      dialog.CancelButton()->click();
    });
    EXPECT_FALSE(PickFolder(folder, "Please pick a drive or directory to scan", context));
    EXPECT_TRUE(script.Acted());
    EXPECT_EQ(folder, "");
  }
}

}  // namespace
}  // namespace kelvane
