// The window paints by time during runs: the number of paints follows the elapsed time and the
// boxes shown, never the number of files or blocks; boxes and the run's end show final values.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QListView>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>
#include <string>
#include <vector>

#include "main/TabLabel.h"
#include "main/Tfrm.h"
#include "support/Controls.h"
#include "support/PaintCounter.h"
#include "support/PickingWindow.h"
#include "support/TempDir.h"
#include "support/User.h"

namespace kelvane {
namespace {

using test::Click;
using test::TempDir;

using test::PickingWindow;

using test::PaintCounter;

// Bounds a number of paints by the frames that fit in the elapsed time, plus a few per box and a
// few for the start and end of the run; a window that painted per file or per block would need
// hundreds for these runs.
int FrameBound(qint64 elapsedMs, int boxes) {
  return static_cast<int>(elapsedMs / 16) + 4 * boxes + 8;
}

TEST(TfrmPaint, PaintsFollowTheClockNotTheFiles) {
  TempDir dir;
  // 400 files of four read blocks each: 400 files and 1,600 meter positions per run.
  for (int i = 0; i < 400; ++i)
    dir.Write("tree/d" + std::to_string(i % 8) + "/f" + std::to_string(i),
              std::string(200000, static_cast<char>(i)));
  PickingWindow frm;
  frm.folder = dir / "tree";
  frm.show();
  QCoreApplication::processEvents();
  PaintCounter window(&frm);
  PaintCounter meter(frm.findChild<QWidget*>("meter"));

  test::User watcher(QMessageBox::Ok);  // answers the summary of CHECK
  QElapsedTimer clock;
  clock.start();
  Click(frm, "iNew");
  Click(frm, "iCheck");
  const qint64 elapsed = clock.elapsed();
  QCoreApplication::processEvents();

  ASSERT_EQ(frm.session().project.ValueCount(), 400);
  ASSERT_EQ(watcher.boxes.size(), 1u);
  const int bound = FrameBound(elapsed, 1);
  EXPECT_LE(window.paints, bound) << "in " << elapsed << " ms";
  EXPECT_LE(meter.paints, bound) << "in " << elapsed << " ms";
  // The meter was shown during the runs, not only at their ends.
  EXPECT_GE(meter.paints, 2);
}

// What the window shows at the moment a box comes up: the widgets hold the model's values.
struct Shown {
  std::string box;
  std::string status1, status3, s17;
  std::string modelStatus1, modelStatus3, modelS17;
  int meter;
  bool markShown;  // the grayed entry's mark had been sent to the list before the box
};

TEST(TfrmPaint, BoxesAndTheRunsEndShowTheFinalValues) {
  TempDir dir;
  // All in sight in the list, which announces the marks of the rows in sight.
  for (int i = 0; i < 20; ++i)
    dir.Write("tree/f" + std::to_string(100 + i), std::string(150000, 'a'));
  PickingWindow frm;
  frm.folder = dir / "tree";
  frm.show();
  Click(frm, "iNew");
  Project& project = frm.session().project;
  ASSERT_EQ(project.ValueCount(), 20);
  // The 15th file changes: its check ends in a mismatch box.
  dir.Write("tree/f114", std::string(150000, 'b'));

  int lastMarkedRow = -1;
  QObject::connect(
      frm.findChild<QListView*>("CheckList")->model(), &QAbstractItemModel::dataChanged,
      [&](const QModelIndex&, const QModelIndex& last) { lastMarkedRow = last.row(); });
  std::vector<Shown> seen;
  test::User user;
  user.atBox = [&](const QMessageBox& box) {
    seen.push_back(
        {box.windowTitle().toStdString(), frm.findChild<TabLabel*>("Status1")->text().toStdString(),
         frm.findChild<TabLabel*>("Status3")->text().toStdString(),
         frm.findChild<TabLabel*>("S17")->text().toStdString(),
         frm.session().texts.Text(TLabel::Status1), frm.session().texts.Text(TLabel::Status3),
         frm.session().texts.Text(TLabel::S17), frm.findChild<QProgressBar*>("meter")->value(),
         lastMarkedRow >= 14});
  };
  Click(frm, "iCheck");

  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].box, "CheckSum Error");
  EXPECT_EQ(seen[1].box, "Kelvane");
  for (const Shown& shown : seen) {
    SCOPED_TRACE(shown.box);
    EXPECT_EQ(shown.status1, shown.modelStatus1);
    EXPECT_EQ(shown.status3, shown.modelStatus3);
    EXPECT_EQ(shown.s17, shown.modelS17);
    EXPECT_EQ(shown.meter, 100);
    EXPECT_TRUE(shown.markShown);
  }
  EXPECT_EQ(seen[0].status3, "15/20");
  EXPECT_EQ(seen[1].status3, "20/20");
  // And when the run has ended.
  EXPECT_EQ(frm.findChild<TabLabel*>("Status1")->text().toStdString(),
            frm.session().texts.Text(TLabel::Status1));
  EXPECT_EQ(frm.findChild<TabLabel*>("Status1")->text(),
            "CRC-32bit :\t" + QString::fromStdString(project.StoredCRC32(19)) + "H -OK");
  EXPECT_EQ(lastMarkedRow, 19);
}

}  // namespace
}  // namespace kelvane
