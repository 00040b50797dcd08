// The picker from the keyboard and with names that are not UTF-8: Return, the first focus, the
// path field, the highlight rule, the bytes of a Windows-1252 name, the mounted media.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QCompleter>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "FileUti2/FolderBrowserDialog.h"
#include "FileUti2/FolderModel.h"
#include "FileUti2/FolderShortcuts.h"
#include "FileUti2/TBrowseFolderDlg.h"
#include "support/NamedRows.h"
#include "support/RunPicker.h"
#include "support/TempDir.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;
using test::RunPicker;

class PickerKeyboardTest : public ::testing::Test {
 protected:
  PickerKeyboardTest() {
    tmp.MakeDir("dist/disk 1");
    tmp.MakeDir("dist/Caf\xE9");
  }
  test::TempDir tmp;
};

struct ReturnRow {
  const char* name;
  // The control that has the focus when Return is pressed.
  std::function<QWidget*(FolderBrowserDialog&)> focus;
  bool stillOpen;  // Return did not close the dialog (the script then cancels it)
  bool picked;
};

class ReturnTest : public PickerKeyboardTest, public ::testing::WithParamInterface<ReturnRow> {};

TEST_P(ReturnTest, PressesTheFocusedControl) {
  const ReturnRow& row = GetParam();
  TBrowseFolderDlg dlg;
  dlg.SetFolderName(tmp / "dist/disk 1");
  bool openAfterReturn = false;
  const bool picked = RunPicker(dlg, [&](FolderBrowserDialog& window) {
    QWidget* focus = row.focus(window);
    focus->setFocus();
    QTest::keyClick(focus, Qt::Key_Return);
    openAfterReturn = window.isVisible();
  });
  EXPECT_EQ(openAfterReturn, row.stillOpen);
  EXPECT_EQ(picked, row.picked);
  EXPECT_EQ(dlg.FolderName(), tmp / "dist/disk 1");  // the preselected folder either way
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ReturnTest,
    ::testing::Values(
        ReturnRow{"Cancel", [](FolderBrowserDialog& w) -> QWidget* { return w.CancelButton(); },
                  false, false},
        ReturnRow{"Shortcut",
                  [](FolderBrowserDialog& w) -> QWidget* { return w.ShortcutButtons().front(); },
                  true, false},
        ReturnRow{"Tree", [](FolderBrowserDialog& w) -> QWidget* { return w.Tree(); }, false, true},
        ReturnRow{"PathField", [](FolderBrowserDialog& w) -> QWidget* { return w.PathField(); },
                  false, true}),
    kelvane::test::RowName());

TEST_F(PickerKeyboardTest, ReturnOnAShortcutJumpsThere) {
  TBrowseFolderDlg dlg;
  dlg.SetFolderName(tmp / "dist/disk 1");
  RunPicker(dlg, [&](FolderBrowserDialog& window) {
    QWidget* root = window.ShortcutButtons().front();  // "/"
    root->setFocus();
    QTest::keyClick(root, Qt::Key_Return);
    EXPECT_EQ(dlg.SelectionPath(), "/");
  });
}

TEST_F(PickerKeyboardTest, FocusStartsInTheTreeOnThePreselectedFolder) {
  TBrowseFolderDlg dlg;
  dlg.SetFolderName(tmp / "dist/disk 1");
  RunPicker(dlg, [&](FolderBrowserDialog& window) {
    EXPECT_EQ(window.focusWidget(), window.Tree());
    EXPECT_EQ(window.PathOf(window.Tree()->currentIndex()), tmp / "dist/disk 1");
    EXPECT_EQ(window.PathField()->text().toStdString(), tmp / "dist/disk 1");
  });
}

TEST_F(PickerKeyboardTest, ATypedPathSelectsItsFolder) {
  TBrowseFolderDlg dlg;
  dlg.SetFolderName(tmp / "dist/disk 1");
  const bool picked = RunPicker(dlg, [&](FolderBrowserDialog& window) {
    QLineEdit* path = window.PathField();
    path->setFocus();
    path->clear();
    QTest::keyClicks(path, QString::fromStdString(tmp / "dist"));
    EXPECT_EQ(dlg.SelectionPath(), tmp / "dist");
    QTest::keyClicks(path, "/nothing-here");
    EXPECT_EQ(dlg.SelectionPath(), "");
    EXPECT_FALSE(window.OkButton()->isEnabled());
    path->setText(QString::fromStdString(tmp / "dist/"));  // pasted, with a trailing slash
    EXPECT_EQ(dlg.SelectionPath(), tmp / "dist");
    window.OkButton()->click();
  });
  EXPECT_TRUE(picked);
  EXPECT_EQ(dlg.FolderName(), tmp / "dist");
}

struct Windows1252Row {
  const char* name;
  bool typed;  // chosen by typing its shown name into the path field, else in the tree
};

class Windows1252NameTest : public PickerKeyboardTest,
                            public ::testing::WithParamInterface<Windows1252Row> {};

TEST_P(Windows1252NameTest, IsListedAndPickedWithItsBytes) {
  TBrowseFolderDlg dlg;
  dlg.SetFolderName(tmp / "dist");
  const bool picked = RunPicker(dlg, [&](FolderBrowserDialog& window) {
    FolderModel* model = window.Model();
    const QModelIndex dist = model->IndexOf(tmp / "dist");
    ASSERT_EQ(model->rowCount(dist), 2);
    const QModelIndex cafe = model->index(0, 0, dist);  // "Café" before "disk 1"
    EXPECT_EQ(model->data(cafe).toString(), QString::fromUtf8("Caf\xC3\xA9"));
    if (GetParam().typed) {
      window.PathField()->setText(QString::fromStdString(tmp / "dist/") +
                                  QString::fromUtf8("Caf\xC3\xA9"));
    } else {
      window.Tree()->setCurrentIndex(cafe);
    }
    window.OkButton()->click();
  });
  EXPECT_TRUE(picked);
  EXPECT_EQ(dlg.FolderName(), tmp / "dist/Caf\xE9");
}

INSTANTIATE_TEST_SUITE_P(Rows, Windows1252NameTest,
                         ::testing::Values(Windows1252Row{"InTheTree", false},
                                           Windows1252Row{"Typed", true}),
                         kelvane::test::RowName());

TEST_F(PickerKeyboardTest, OkIsDisabledWithoutAHighlightedRow) {
  TBrowseFolderDlg dlg;
  dlg.SetFolderName(tmp / "dist/disk 1");
  RunPicker(dlg, [&](FolderBrowserDialog& window) {
    QTreeView* tree = window.Tree();
    ASSERT_TRUE(window.OkButton()->isEnabled());
    // Ctrl+click on the highlighted row takes the highlight away; the row stays current.
    const QRect row = tree->visualRect(tree->currentIndex());
    ASSERT_FALSE(row.isEmpty());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::ControlModifier, row.center());
    EXPECT_TRUE(tree->currentIndex().isValid());
    EXPECT_FALSE(tree->selectionModel()->hasSelection());
    EXPECT_EQ(dlg.SelectionPath(), "");
    EXPECT_FALSE(window.OkButton()->isEnabled());
    QTest::keyClick(tree, Qt::Key_Return);  // nothing to pick
    EXPECT_TRUE(window.isVisible());
  });
}

TEST_F(PickerKeyboardTest, OkIsDisabledWhenTheHighlightedFolderGoes) {
  TBrowseFolderDlg dlg;
  dlg.SetFolderName(tmp / "dist/disk 1");
  RunPicker(dlg, [&](FolderBrowserDialog& window) {
    ASSERT_TRUE(window.OkButton()->isEnabled());
    std::filesystem::remove(tmp / "dist/disk 1");
    // The file system tells of the removal through the event loop; the wait ends on the change.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.OkButton()->isEnabled(); }, 60000));
    EXPECT_EQ(window.HighlightedPath(), tmp / "dist/disk 1");  // no jump to a sibling
  });
}

TEST_F(PickerKeyboardTest, TreeAndPathFieldHaveAccessibleNames) {
  TBrowseFolderDlg dlg;
  RunPicker(dlg, [&](FolderBrowserDialog& window) {
    for (QWidget* widget : std::initializer_list<QWidget*>{window.Tree(), window.PathField()}) {
      QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
      ASSERT_NE(face, nullptr) << widget->objectName().toStdString();
      EXPECT_FALSE(face->text(QAccessible::Name).isEmpty()) << widget->objectName().toStdString();
    }
  });
}

// What a screen reader reads of the tree: no header name, each row by the name it shows.
TEST_F(PickerKeyboardTest, TreeRowsReadAsTheyShow) {
  TBrowseFolderDlg dlg;
  dlg.SetFolderName(tmp / "dist/disk 1");
  RunPicker(dlg, [&](FolderBrowserDialog& window) {
    QAccessibleInterface* tree = QAccessible::queryAccessibleInterface(window.Tree());
    ASSERT_NE(tree, nullptr);
    ASSERT_GT(tree->childCount(), 0);
    QAccessibleInterface* header = tree->child(0);
    ASSERT_NE(header, nullptr);
    if (header->role() == QAccessible::ColumnHeader) {
      EXPECT_EQ(header->text(QAccessible::Name), "");
    }
    const QModelIndex current = window.Tree()->currentIndex();
    EXPECT_EQ(current.data(Qt::AccessibleTextRole).toString(), "disk 1");
    EXPECT_EQ(current.data(Qt::AccessibleTextRole), current.data(Qt::DisplayRole));
  });
}

// Typed in full and Return pressed while the completion list shows: picked at once.
TEST_F(PickerKeyboardTest, OneReturnPicksATypedFolderWhileTheCompletionListShows) {
  TBrowseFolderDlg dlg;
  dlg.SetFolderName(tmp / "dist");
  const bool picked = RunPicker(dlg, [&](FolderBrowserDialog& window) {
    QLineEdit* path = window.PathField();
    path->setFocus();
    path->clear();
    QTest::keyClicks(path, QString::fromStdString(tmp / "dist/disk"));
    QAbstractItemView* list = path->completer()->popup();
    ASSERT_TRUE(QTest::qWaitFor([list] { return list->isVisible(); }, 5000))
        << "no completion list";
    QTest::keyClicks(list, " 1");
    ASSERT_TRUE(window.OkButton()->isEnabled());
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_FALSE(window.isVisible()) << "the first Return only closed the list";
  });
  EXPECT_TRUE(picked);
  EXPECT_EQ(dlg.FolderName(), tmp / "dist/disk 1");
}

struct MountRow {
  const char* name;
  const char* line;   // of mountinfo
  const char* label;  // of the shortcut; nullptr: none
};

// A sysfs as the kernel shows it: an optical drive (11:0), a USB stick flagged removable (8:17,
// a partition), a USB disk that is not flagged (8:49) and a fixed SATA disk (8:33).
void WriteSysfs(const test::TempDir& sys) {
  const auto disk = [&sys](const std::string& devNum, const std::string& folder,
                           const char* removable, const char* partition) {
    sys.Write(folder + "/removable", removable);
    std::string device = folder;
    if (partition) {
      device = folder + "/" + partition;
      sys.Write(device + "/partition", "1");
    }
    std::filesystem::create_directories(sys / "dev/block");
    std::filesystem::create_symlink("../../" + device, sys / ("dev/block/" + devNum));
  };
  disk("11:0", "devices/pci0/ata1/host0/block/sr0", "1", nullptr);
  sys.Write("devices/pci0/ata1/host0/block/sr0/device/type", "5");
  disk("8:17", "devices/pci0/usb1/1-1/host6/block/sdb", "1", "sdb1");
  disk("8:49", "devices/pci0/usb2/2-1/host7/block/sdd", "0", "sdd1");
  disk("8:33", "devices/pci0/ata2/host1/block/sdc", "0", "sdc1");
}

class MediaShortcutTest : public ::testing::TestWithParam<MountRow> {};

TEST_P(MediaShortcutTest, OnlyRemovableMediaNamedByTheMountPointsLastPart) {
  const MountRow& row = GetParam();
  test::TempDir proc, sys;
  WriteSysfs(sys);
  proc.Write("self/mountinfo", std::string("1 0 8:1 / / rw - ext4 /dev/sda1 rw\n") + row.line);
  const std::vector<FolderShortcut> shortcuts = FolderShortcuts(false, proc.str(), sys.str());
  ASSERT_FALSE(shortcuts.empty());
  EXPECT_EQ(shortcuts.front().path, "/");
  if (!row.label) {
    EXPECT_EQ(shortcuts.size(), 1u);
    return;
  }
  ASSERT_EQ(shortcuts.size(), 2u);
  EXPECT_EQ(shortcuts[1].label, QString::fromUtf8(row.label));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MediaShortcutTest,
    ::testing::Values(
        MountRow{"OpticalDisc", "2 1 11:0 / /media/ann/KELVANE_1 ro - iso9660 /dev/sr0 ro\n",
                 "KELVANE_1"},
        MountRow{"RunMedia", "2 1 8:17 / /run/media/bob/USB\\040STICK rw - vfat /dev/sdb1 rw\n",
                 "USB STICK"},
        MountRow{"UsbDiskBelowMnt", "2 1 8:49 / /mnt/backup rw - ext4 /dev/sdd1 rw\n", "backup"},
        MountRow{"Windows1252Label", "2 1 8:17 / /media/ann/Caf\xE9 rw - vfat /dev/sdb1 rw\n",
                 "Caf\xC3\xA9"},
        MountRow{"FixedDiskBelowMntIsNoMedium", "2 1 8:33 / /mnt/data rw - ext4 /dev/sdc1 rw\n",
                 nullptr},
        MountRow{"TmpfsBelowMntIsNoMedium", "2 1 0:45 / /mnt/scratch rw - tmpfs tmpfs rw\n",
                 nullptr},
        MountRow{"ElsewhereIsNoMedium", "2 1 8:2 / /home rw - ext4 /dev/sda2 rw\n", nullptr},
        MountRow{"MediaItselfIsNoMedium", "2 1 0:40 / /media rw - tmpfs tmpfs rw\n", nullptr},
        MountRow{"PseudoFileSystem", "2 1 0:41 / /mnt/proc rw - proc proc rw\n", nullptr}),
    kelvane::test::RowName());

}  // namespace
}  // namespace kelvane
