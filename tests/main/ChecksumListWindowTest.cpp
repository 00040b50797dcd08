// A published checksum list in the window: Open of a disc's md5sum.txt, CHECK of a copy in which
// one file changed, Save refused without a dialog; a file named on the command line opened as Open
// opens it.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QListView>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "main/Tfrm.h"
#include "support/ChildProcess.h"
#include "support/Controls.h"
#include "support/TempDir.h"
#include "support/User.h"

namespace kelvane {
namespace {

using test::Click;
using test::LabelText;
using test::List;
using test::TempDir;
using test::User;

// Each row's text and whether its box is ticked, half-ticked (grayed) or clear.
std::vector<std::string> Shown(Tfrm& frm) {
  std::vector<std::string> rows;
  QAbstractItemModel* model = List(frm).model();
  for (int i = 0; i < model->rowCount(); ++i) {
    const QModelIndex index = model->index(i, 0);
    const int box = model->data(index, Qt::CheckStateRole).toInt();
    rows.push_back(model->data(index, Qt::DisplayRole).toString().toStdString() +
                   (box == Qt::Checked            ? " [x]"
                    : box == Qt::PartiallyChecked ? " [-]"
                                                  : " [ ]"));
  }
  return rows;
}

// A disc's tree and its md5sum.txt, made by md5sum as Debian makes it: every file from "./".
std::string MakeDisc(const TempDir& dir) {
  dir.Write("disc/README", "Read me first.");
  dir.Write("disc/pool/main/k/kelvane_1.0.deb", std::string(100000, 'k'));
  dir.Write("disc/dists/stable/Release", "Suite: stable\n");
  const std::string made = "cd '" + dir / "disc" +
                           "' && find . -type f -print0 | sort -z | xargs -0 md5sum > '" +
                           dir / "md5sum.txt" + "'";
  if (std::system(made.c_str()) != 0) ADD_FAILURE() << made;
  std::filesystem::rename(dir / "md5sum.txt", dir / "disc/md5sum.txt");
  return dir / "disc/md5sum.txt";
}

TEST(ChecksumListWindow, OpenCheckAndSaveOfADiscsMd5sumTxt) {
  if (!test::FindProgram("md5sum")) GTEST_SKIP() << "coreutils' md5sum is not installed";
  TempDir dir;
  const std::string list = MakeDisc(dir);
  Tfrm frm;
  frm.show();
  User user;

  user.fileNames = {list};
  Click(frm, "iOpen");
  const std::vector<std::string> opened = {"README [x]", "dists/stable/Release [x]",
                                           "pool/main/k/kelvane_1.0.deb [x]"};
  EXPECT_EQ(Shown(frm), opened);
  EXPECT_EQ(LabelText(frm, "ChkSrc").toStdString(), dir / "disc");
  EXPECT_TRUE(user.boxes.empty());

  // The copy as it came from a burner that changed one byte.
  std::filesystem::copy(dir / "disc", dir / "copy", std::filesystem::copy_options::recursive);
  dir.Write("copy/pool/main/k/kelvane_1.0.deb", std::string(99999, 'k') + "K");
  user.folders = {dir / "copy"};
  Click(frm, "iCheck");
  EXPECT_EQ(Shown(frm), (std::vector<std::string>{"README [x]", "dists/stable/Release [x]",
                                                  "pool/main/k/kelvane_1.0.deb [-]"}));
  ASSERT_EQ(user.boxes.size(), 2u);
  EXPECT_EQ(user.boxes[0].caption, "CheckSum Error");
  const std::string& text = user.boxes[0].text;
  EXPECT_EQ(text.substr(0, text.find("Stored value")),
            "CheckSum not matched!\n\nMD5 test\nFile name \t: kelvane_1.0.deb\n" +
                std::string(40, '-') + "\n")
      << text;
  const std::string sums = dir.Read("disc/md5sum.txt");
  const std::string stored = sums.substr(sums.find("  ./pool/") - 32, 32);
  EXPECT_NE(text.find("Stored value\t: " + stored + "\nChecked value\t: "), std::string::npos)
      << text;
  EXPECT_EQ(user.boxes[1].text.substr(0, 19), "Error(s) found\t: 1\n");
  // What a screen reader tells of the grayed row: the list's own sum did not match.
  EXPECT_EQ(List(frm).model()->index(2, 0).data(Qt::AccessibleDescriptionRole).toString(),
            "sum did not match: MD5");
  // The last entry's sum in the status lines, its first digits and its last.
  EXPECT_EQ(LabelText(frm, "Status1").toStdString(),
            "MD5 :\t" + stored.substr(0, 16) + "\u2026 ->ERROR!");
  EXPECT_EQ(LabelText(frm, "Status2").toStdString(),
            "ends :\t\u2026" + stored.substr(16) + " ->ERROR!");

  // Save asks for no file: a list of MD5s never becomes a project of invented CRC-32s.
  Click(frm, "iSave");
  ASSERT_EQ(user.boxes.size(), 3u);
  EXPECT_EQ(user.boxes[2].caption, "Kelvane");
  EXPECT_EQ(user.boxes[2].text.substr(0, 48), "This list is no Kelvane project (coreutils lines");
  EXPECT_TRUE(user.unexpected.empty()) << user.unexpected.front();
  EXPECT_EQ(dir.Read("disc/md5sum.txt"), sums);
  EXPECT_FALSE(std::filesystem::exists(list + ".sha256"));
}

// "kelvane FILE", as a file manager's Open With starts it: the list comes up, and a file that is
// no list gives Open's own box and leaves the window as it was.
TEST(ChecksumListWindow, FileFromTheCommandLineOpensAsOpenDoes) {
  if (!test::FindProgram("md5sum")) GTEST_SKIP() << "coreutils' md5sum is not installed";
  TempDir dir;
  const std::string list = MakeDisc(dir);
  Tfrm frm;
  frm.show();
  User user;
  frm.OpenFile(list);
  EXPECT_EQ(Shown(frm).size(), 3u);
  EXPECT_EQ(LabelText(frm, "ini").toStdString(), list);

  frm.OpenFile(dir.Write("notes.txt", "Burn it on Friday.\n"));
  ASSERT_EQ(user.boxes.size(), 1u);
  EXPECT_EQ(user.boxes[0].text, "Invalid Config File");
  EXPECT_EQ(Shown(frm).size(), 3u);
}

}  // namespace
}  // namespace kelvane
