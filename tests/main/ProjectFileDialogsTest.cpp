// Tests of OpenDialog1 and SaveDialog1: their configuration read back from the dialogs, and
// what a user's typing and answers make of the chosen name.
#include "main/ProjectFileDialogs.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <functional>
#include <ostream>

#include "FileUti2/QtStrings.h"
#include "support/NamedRows.h"
#include "support/TempDir.h"

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << text.toStdString();
}

namespace kelvane {
namespace {

using kelvane::test::PrintTo;

using test::TempDir;

const QStringList kFilters = {"Distribution File Config (*.cfg)", "Initialization File (*.ini)",
                              "All Files (*)"};

struct DialogRow {
  const char* name;
  std::function<std::unique_ptr<QFileDialog>(const std::string&)> make;
  QString objectName;
  QFileDialog::AcceptMode acceptMode;
  QFileDialog::FileMode fileMode;
  QString title;
};
class DialogConfigurationTest : public testing::TestWithParam<DialogRow> {};

TEST_P(DialogConfigurationTest, IsTheProjectFileDialog) {
  TempDir dir;
  dir.MakeDir("lists");
  const auto dialog = GetParam().make(dir / "lists/my project.cfg");
  EXPECT_EQ(dialog->objectName(), GetParam().objectName);
  EXPECT_EQ(dialog->nameFilters(), kFilters);
  EXPECT_EQ(dialog->selectedNameFilter(), kFilters[0]);
  EXPECT_EQ(dialog->defaultSuffix(), "dst");
  EXPECT_EQ(dialog->acceptMode(), GetParam().acceptMode);
  EXPECT_EQ(dialog->fileMode(), GetParam().fileMode);
  EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
  EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
  EXPECT_FALSE(dialog->testOption(QFileDialog::ReadOnly));
  // No title of its own: Qt's default for the mode.
  EXPECT_EQ(dialog->windowTitle(), GetParam().title);
  // Starts at the file: its folder, its name in the name field.
  EXPECT_EQ(dialog->directory().absolutePath(), QString::fromStdString(dir / "lists"));
  const auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->text(), "my project.cfg");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DialogConfigurationTest,
    testing::Values(
        DialogRow{"OpenDialog1", [](const std::string& f) { return MakeOpenDialog1(f, nullptr); },
                  "OpenDialog1", QFileDialog::AcceptOpen, QFileDialog::ExistingFile, "Open"},
        DialogRow{"SaveDialog1", [](const std::string& f) { return MakeSaveDialog1(f, nullptr); },
                  "SaveDialog1", QFileDialog::AcceptSave, QFileDialog::AnyFile, "Save As"}),
    kelvane::test::RowName());

TEST(NameFiltersOfTest, TurnsPairsIntoQtFilters) {
  EXPECT_EQ(NameFiltersOf(kProjectFileFilter), kFilters);
  EXPECT_EQ(NameFiltersOf("Texts|*.txt;*.doc"), QStringList{"Texts (*.txt *.doc)"});
}

// --- a user at the dialog ---

class DialogUseTest : public testing::Test {
 protected:
  void SetUp() override { dir.MakeDir("lists"); }
  // Runs the dialog; while it is up, types name (when given) and presses Enter or Escape.
  bool Run(QFileDialog& dialog, const QString& typed, bool confirm) {
    QTimer::singleShot(0, &dialog, [&dialog, typed, confirm] {
      auto* edit = dialog.findChild<QLineEdit*>("fileNameEdit");
      if (!typed.isNull()) edit->setText(typed);
      if (confirm)
        static_cast<QDialog&>(dialog).accept();  // what Enter in the name field does
      else
        dialog.reject();
    });
    chosen = "unchanged";
    return RunFileDialog(dialog, chosen);
  }
  TempDir dir;
  std::string chosen;
};

struct TypedRow {
  const char* name;
  QString typed;
  int filter;  // index of the filter chosen before typing
  std::string result;
};
class TypedNameTest : public DialogUseTest, public testing::WithParamInterface<TypedRow> {};

TEST_P(TypedNameTest, SaveDialogGivesTheChosenFullPath) {
  const auto dialog = MakeSaveDialog1(dir / "lists/start.cfg", nullptr);
  dialog->selectNameFilter(kFilters[GetParam().filter]);
  ASSERT_TRUE(Run(*dialog, GetParam().typed, true));
  EXPECT_EQ(chosen, dir / GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TypedNameTest,
    testing::Values(TypedRow{"NoExtensionGetsDst", "proj", 0, "lists/proj.dst"},
                    TypedRow{"NoExtensionGetsDstWhateverFilter", "proj", 2, "lists/proj.dst"},
                    TypedRow{"IniFilterStillDst", "proj", 1, "lists/proj.dst"},
                    TypedRow{"CfgKept", "proj.cfg", 0, "lists/proj.cfg"},
                    TypedRow{"OtherExtensionKept", "proj.txt", 0, "lists/proj.txt"},
                    TypedRow{"StartNameTaken", QString(), 0, "lists/start.cfg"}),
    kelvane::test::RowName());

TEST_F(DialogUseTest, OpenDialogFindsTheFileWithTheDefaultSuffix) {
  dir.Write("lists/proj.dst", "[Kelvane]\r\n");
  const auto dialog = MakeOpenDialog1(dir / "lists/KELVANE.CFG", nullptr);
  ASSERT_TRUE(Run(*dialog, "proj", true));
  EXPECT_EQ(chosen, dir / "lists/proj.dst");
}

TEST_F(DialogUseTest, CancelLeavesTheNameAlone) {
  const auto dialog = MakeOpenDialog1(dir / "lists/KELVANE.CFG", nullptr);
  EXPECT_FALSE(Run(*dialog, "other.cfg", false));
  EXPECT_EQ(chosen, "unchanged");
}

TEST_F(DialogUseTest, SaveOverAnExistingFileAsksFirst) {
  dir.Write("lists/old.cfg", "x");
  const auto dialog = MakeSaveDialog1(dir / "lists/old.cfg", nullptr);
  QString question;
  // The overwrite question comes up inside accept(); answer No, then leave the dialog.
  QTimer::singleShot(0, dialog.get(), [&] {
    QTimer::singleShot(0, dialog.get(), [&] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        question = box->text();
        box->button(QMessageBox::No)->click();
      }
    });
    static_cast<QDialog*>(dialog.get())->accept();
    if (dialog->isVisible()) dialog->reject();
  });
  std::string name = "unchanged";
  EXPECT_FALSE(RunFileDialog(*dialog, name));
  EXPECT_EQ(name, "unchanged");
  EXPECT_TRUE(question.contains("old.cfg")) << question.toStdString();
}

// A project file path that is not UTF-8 (a folder made on Windows) passes through the dialogs
// unchanged: kept whole, or its folder kept when only the name was typed anew.
TEST(ChosenPathTest, KeepsTheBytesOfWhatTheUserKept) {
  const std::string offered = "/srv/M\xDCSIK/Caf\xE9.cfg";
  EXPECT_EQ(ChosenPath(PathToQString(offered), offered), offered);
  EXPECT_EQ(ChosenPath(PathToQString("/srv/M\xDCSIK/") + "new.cfg", offered),
            "/srv/M\xDCSIK/new.cfg");
  EXPECT_EQ(ChosenPath(QString::fromUtf8("/home/u/\u00E9.cfg"), offered), "/home/u/\xC3\xA9.cfg");
}

TEST(ChosenPathTest, TheSaveDialogConfirmedAsOfferedGivesBackTheBytes) {
  TempDir dir;
  dir.MakeDir("M\xDCSIK");
  std::string name = dir / "M\xDCSIK/Caf\xE9.cfg";
  const std::string offered = name;
  const auto dialog = MakeSaveDialog1(name, nullptr);
  QTimer::singleShot(0, dialog.get(), [&dialog] { static_cast<QDialog&>(*dialog).accept(); });
  ASSERT_TRUE(RunFileDialog(*dialog, name));
  EXPECT_EQ(name, offered);
}

}  // namespace
}  // namespace kelvane
