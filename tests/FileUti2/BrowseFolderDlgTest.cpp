// TBrowseFolderDlg: preselection, the OK rule, the returned folder, cancel, Help, placement.
#include <gtest/gtest.h>

#include <QtCore/qtestsupport_core.h>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "FileUti2/FolderBrowserDialog.h"
#include "FileUti2/FolderModel.h"
#include "FileUti2/PathHelpers.h"
#include "FileUti2/TBrowseFolderDlg.h"
#include "support/NamedRows.h"
#include "support/TempDir.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;

enum class Close { Ok, Cancel };

// Makes path the tree's current item, as a click on it would.
void SelectPath(TBrowseFolderDlg& dlg, const std::string& path) {
  const QModelIndex index = dlg.DialogWindow()->Model()->IndexOf(path);
  ASSERT_TRUE(index.isValid()) << path;
  dlg.Tree()->setCurrentIndex(index);
}

// Runs Execute, driven from the dialog's own event so that no test waits on a clock: script
// acts on the shown dialog, then OK or Cancel is pressed. A disabled OK
// cannot be pressed; then the test fails and the dialog is cancelled, so nothing ever hangs.
bool RunDialog(TBrowseFolderDlg& dlg, Close close,
               const std::function<void(TBrowseFolderDlg&)>& script = {}) {
  dlg.SetOnInitialized([close, script](TBrowseFolderDlg& sender) {
    if (script) script(sender);
    FolderBrowserDialog* window = sender.DialogWindow();
    if (!window || !window->isVisible()) return;
    if (close == Close::Ok && window->OkButton()->isEnabled()) {
      window->OkButton()->click();
      return;
    }
    if (close == Close::Ok) ADD_FAILURE() << "OK is disabled";
    window->CancelButton()->click();
  });
  return dlg.Execute();
}

class BrowseFolderDlgTest : public ::testing::Test {
 protected:
  BrowseFolderDlgTest() {
    tmp.MakeDir("dist/disk 1");
    tmp.MakeDir("dist/.hidden");
    tmp.Write("dist/readme.txt", "x");
  }
  test::TempDir tmp;
};

TEST(BrowseFolderDlgDefaults, AreThoseOfTheComponent) {
  TBrowseFolderDlg dlg;
  EXPECT_EQ(dlg.BrowseKind(), TBrowseKind::bfFolders);
  EXPECT_TRUE(dlg.DesktopRoot());
  EXPECT_EQ(dlg.DialogText(), "");
  EXPECT_EQ(dlg.FolderName(), "");
  EXPECT_EQ(dlg.HelpContext(), 0);
  EXPECT_EQ(dlg.Position(), TDialogPosition::dpScreenCenter);
  EXPECT_FALSE(dlg.OnInitialized());
  EXPECT_FALSE(dlg.OnSelChanged());
  EXPECT_EQ(dlg.SelectionPath(), "");
  EXPECT_EQ(dlg.ImageIndex(), 0);
  EXPECT_EQ(dlg.DialogWindow(), nullptr);
}

struct PreselectRow {
  const char* name;
  const char* folder;    // below the fixture folder; "/" for the root, "" for none
  const char* selected;  // expected SelectionPath below the fixture folder; nullptr: none
};

class PreselectTest : public BrowseFolderDlgTest,
                      public ::testing::WithParamInterface<PreselectRow> {
 protected:
  std::string Full(const char* relative) const {
    const std::string r = relative;
    if (r.empty() || r == "/") return r;
    return tmp / r;
  }
};

TEST_P(PreselectTest, OnlyAnExistingFolderIsPreselected) {
  const PreselectRow& row = GetParam();
  TBrowseFolderDlg dlg;
  dlg.SetFolderName(Full(row.folder));
  bool initialised = false;
  RunDialog(dlg, Close::Cancel, [&](TBrowseFolderDlg& sender) {
    initialised = true;
    ASSERT_NE(sender.DialogWindow(), nullptr);
    if (row.selected) {
      EXPECT_EQ(sender.SelectionPath(), Full(row.selected));
      EXPECT_EQ(sender.DialogWindow()->CurrentPath(), Full(row.selected));
      EXPECT_TRUE(sender.OkButton()->isEnabled());
    } else {
      // Nothing chosen, but the keys start on the root, which the tree shows as current.
      EXPECT_EQ(sender.SelectionPath(), "");
      EXPECT_EQ(sender.DialogWindow()->CurrentPath(), "/");
      EXPECT_EQ(sender.DialogWindow()->HighlightedPath(), "");
      EXPECT_FALSE(sender.OkButton()->isEnabled());
    }
  });
  EXPECT_TRUE(initialised);
  EXPECT_EQ(dlg.FolderName(), Full(row.folder));  // cancelled: unchanged
  EXPECT_EQ(dlg.DialogWindow(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PreselectTest,
    ::testing::Values(PreselectRow{"ExistingFolder", "dist/disk 1", "dist/disk 1"},
                      PreselectRow{"TrailingSlash", "dist/disk 1/", "dist/disk 1"},
                      PreselectRow{"HiddenFolder", "dist/.hidden", "dist/.hidden"},
                      PreselectRow{"Root", "/", "/"}, PreselectRow{"Empty", "", nullptr},
                      PreselectRow{"MissingFolder", "dist/missing", nullptr},
                      PreselectRow{"File", "dist/readme.txt", nullptr}),
    kelvane::test::RowName());

TEST_F(BrowseFolderDlgTest, OkFollowsWhetherTheSelectionIsAnExistingFolder) {
  TBrowseFolderDlg dlg;
  dlg.SetFolderName(tmp / "dist/disk 1");
  std::vector<std::pair<std::string, bool>> changes;  // SelectionPath and OK at each change
  dlg.SetOnSelChanged([&](TBrowseFolderDlg& sender) {
    changes.emplace_back(sender.SelectionPath(), sender.OkButton()->isEnabled());
  });
  const bool picked = RunDialog(dlg, Close::Cancel, [&](TBrowseFolderDlg& sender) {
    sender.Tree()->setCurrentIndex(QModelIndex());  // a selection without a path
    EXPECT_EQ(sender.SelectionPath(), "");
    EXPECT_FALSE(sender.OkButton()->isEnabled());
    SelectPath(sender, tmp / "dist");
  });
  EXPECT_FALSE(picked);
  const std::vector<std::pair<std::string, bool>> expected{
      {tmp / "dist/disk 1", true}, {"", false}, {tmp / "dist", true}};
  EXPECT_EQ(changes, expected);
}

TEST_F(BrowseFolderDlgTest, CancelAfterChangingTheSelectionChangesNothing) {
  TBrowseFolderDlg dlg;
  dlg.SetFolderName(tmp / "dist/disk 1");
  const bool picked = RunDialog(
      dlg, Close::Cancel, [&](TBrowseFolderDlg& sender) { SelectPath(sender, tmp / "dist"); });
  EXPECT_FALSE(picked);
  EXPECT_EQ(dlg.FolderName(), tmp / "dist/disk 1");
}

struct OkRow {
  const char* name;
  const char* select;  // below the fixture folder, or "/"
  const char* result;
};

class OkResultTest : public BrowseFolderDlgTest, public ::testing::WithParamInterface<OkRow> {};

TEST_P(OkResultTest, ReturnsTheFolderWithoutTrailingSlash) {
  const OkRow& row = GetParam();
  const auto full = [&](const std::string& r) { return r == "/" ? r : tmp / r; };
  TBrowseFolderDlg dlg;
  dlg.SetFolderName("/nonexistent-start");
  const bool picked = RunDialog(
      dlg, Close::Ok, [&](TBrowseFolderDlg& sender) { SelectPath(sender, full(row.select)); });
  EXPECT_TRUE(picked);
  EXPECT_EQ(dlg.FolderName(), full(row.result));
  EXPECT_EQ(dlg.SelectionPath(), dlg.FolderName());
}

INSTANTIATE_TEST_SUITE_P(Rows, OkResultTest,
                         ::testing::Values(OkRow{"Folder", "dist/disk 1", "dist/disk 1"},
                                           OkRow{"Root", "/", "/"}),
                         kelvane::test::RowName());

TEST_F(BrowseFolderDlgTest, FolderRemovedBeforeOkIsNoPick) {
  TBrowseFolderDlg dlg;
  dlg.SetFolderName(tmp / "dist/disk 1");
  const bool picked = RunDialog(
      dlg, Close::Ok, [&](TBrowseFolderDlg&) { std::filesystem::remove(tmp / "dist/disk 1"); });
  EXPECT_FALSE(picked);
  EXPECT_EQ(dlg.FolderName(), tmp / "dist/disk 1");
}

TEST_F(BrowseFolderDlgTest, HelpButtonOnlyWithAContextAtTheLeftOnOksLine) {
  std::vector<int> asked;
  TBrowseFolderDlg::HelpHandler = [&](int context) { asked.push_back(context); };
  for (const int context : {0, 42}) {
    SCOPED_TRACE(context);
    TBrowseFolderDlg dlg;
    dlg.SetHelpContext(context);
    RunDialog(dlg, Close::Cancel, [&](TBrowseFolderDlg& sender) {
      QPushButton* help = sender.HelpButton();
      if (context == 0) {
        EXPECT_EQ(help, nullptr);
        EXPECT_EQ(sender.DialogWindow()->findChild<QPushButton*>("Help"), nullptr);
        return;
      }
      ASSERT_NE(help, nullptr);
      QPushButton* ok = sender.OkButton();
      const QPoint okTopLeft = ok->mapTo(sender.DialogWindow(), QPoint(0, 0));
      EXPECT_EQ(help->geometry(), QRect(QPoint(12, okTopLeft.y()), ok->size()));
      EXPECT_TRUE(help->isVisible());
      help->click();
      EXPECT_TRUE(sender.DialogWindow()->isVisible());  // Help does not close the dialog
    });
  }
  TBrowseFolderDlg::HelpHandler = nullptr;
  EXPECT_EQ(asked, std::vector<int>{42});
}

TEST_F(BrowseFolderDlgTest, IsApplicationModalAndCentredWhileShown) {
  TBrowseFolderDlg dlg;
  RunDialog(dlg, Close::Cancel, [&](TBrowseFolderDlg& sender) {
    QDialog* window = sender.DialogWindow();
    EXPECT_EQ(QApplication::activeModalWidget(), window);
    const QRect screen = window->screen()->geometry();
    const QRect frame = window->frameGeometry();
    EXPECT_LE(std::abs((frame.left() - screen.left()) - (screen.right() - frame.right())), 1);
    EXPECT_LE(std::abs((frame.top() - screen.top()) - (screen.bottom() - frame.bottom())), 1);
  });
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(BrowseFolderDlgTest, ShortcutsSelectTheirFolders) {
  const std::vector<FolderShortcut> shortcuts = FolderShortcuts(true);
  ASSERT_FALSE(shortcuts.empty());
  EXPECT_EQ(shortcuts.front().path, "/");
  if (FolderExists(GetWindowsDir())) {
    EXPECT_EQ(shortcuts.at(1).path, GetWindowsDir());
  }
  for (const FolderShortcut& shortcut : FolderShortcuts(false))
    EXPECT_NE(shortcut.path, GetWindowsDir()) << "the home folder belongs to the desktop root";

  TBrowseFolderDlg dlg;
  RunDialog(dlg, Close::Cancel, [&](TBrowseFolderDlg& sender) {
    const auto& buttons = sender.DialogWindow()->ShortcutButtons();
    ASSERT_EQ(buttons.size(), static_cast<qsizetype>(shortcuts.size()));
    for (qsizetype i = buttons.size() - 1; i >= 0; --i) {
      buttons[i]->click();
      EXPECT_EQ(sender.SelectionPath(), shortcuts[static_cast<std::size_t>(i)].path);
      EXPECT_TRUE(sender.OkButton()->isEnabled());
    }
  });
}

TEST_F(BrowseFolderDlgTest, ShowsThePromptAboveTheTree) {
  TBrowseFolderDlg dlg;
  dlg.SetDialogText("Please pick a drive or directory to scan");
  RunDialog(dlg, Close::Cancel, [&](TBrowseFolderDlg& sender) {
    auto* prompt = sender.DialogWindow()->findChild<QLabel*>("Prompt");
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(prompt->text(), "Please pick a drive or directory to scan");
    EXPECT_TRUE(prompt->isVisible());
    EXPECT_LT(prompt->geometry().bottom(), sender.Tree()->geometry().top());
  });
}

TEST_F(BrowseFolderDlgTest, TreeListsFoldersButNoFiles) {
  TBrowseFolderDlg dlg;
  dlg.SetFolderName(tmp / "dist");
  RunDialog(dlg, Close::Cancel, [&](TBrowseFolderDlg& sender) {
    FolderModel* model = sender.DialogWindow()->Model();
    const QModelIndex dist = model->IndexOf(tmp / "dist");
    EXPECT_EQ(model->rowCount(dist), 1);  // no readme.txt, no .hidden
    EXPECT_EQ(model->DisplayName(model->index(0, 0, dist)), "disk 1");
  });
}

TEST_F(BrowseFolderDlgTest, PreselectedFolderStaysInViewWhileListingsArrive) {
  for (int i = 0; i < 80; ++i) tmp.MakeDir("dist/a" + std::to_string(100 + i));
  tmp.MakeDir("dist/zz/target");
  TBrowseFolderDlg dlg;
  dlg.SetFolderName(tmp / "dist/zz/target");
  RunDialog(dlg, Close::Cancel, [&](TBrowseFolderDlg& sender) {
    FolderModel* model = sender.DialogWindow()->Model();
    QTreeView* tree = sender.Tree();
    const QModelIndex dist = model->IndexOf(tmp / "dist");
    // The 81 folders listed above zz (80, "disk 1") push the target far below the first screenful.
    const auto inView = [&] {
      return tree->viewport()->rect().contains(tree->visualRect(tree->currentIndex()));
    };
    // Listed and sorted: zz, named first, comes last.
    const auto listed = [&] {
      return model->rowCount(dist) == 82 && model->DisplayName(model->index(81, 0, dist)) == "zz";
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return listed() && inView(); }, 60000))
        << "listed " << listed() << ", in view " << inView();
    EXPECT_EQ(sender.SelectionPath(), tmp / "dist/zz/target");
  });
}

TEST(BrowseFolderDlgComputers, ThrowsBeforeAnythingIsShown) {
  TBrowseFolderDlg dlg;
  dlg.SetBrowseKind(TBrowseKind::bfComputers);
  bool shown = false;
  dlg.SetOnInitialized([&](TBrowseFolderDlg&) { shown = true; });
  EXPECT_THROW(dlg.Execute(), std::runtime_error);
  EXPECT_FALSE(shown);
  EXPECT_EQ(dlg.DialogWindow(), nullptr);
  EXPECT_EQ(dlg.BrowseKind(), TBrowseKind::bfComputers);
}

}  // namespace
}  // namespace kelvane
