// The labels' face: the widest count Status3 shows stays clear of "Origin" beside it.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QString>

#include "main/TabLabel.h"
#include "main/Tfrm.h"

namespace kelvane {
namespace {

TEST(TfrmFont, TheWidestCountInStatus3EndsBeforeOrigin) {
  Tfrm frm;
  auto* status3 = frm.findChild<TabLabel*>("Status3");
  auto* origin = frm.findChild<TabLabel*>("TheLabel1");
  ASSERT_NE(status3, nullptr);
  ASSERT_NE(origin, nullptr);
  // Six digits each side (up to 999 999 entries, a large project); whichever digit is widest
  // in the face decides.
  for (char digit = '0'; digit <= '9'; ++digit) {
    const QString six(6, QChar(digit));
    status3->setText(six + "/" + six);
    SCOPED_TRACE(status3->text().toStdString());
    EXPECT_LT(status3->geometry().right(), origin->x())
        << "Status3 ends at x " << status3->geometry().right() << " in "
        << QFontInfo(status3->font()).family().toStdString() << ", Origin starts at x "
        << origin->x() << " (scripts/setup.sh installs the face)";
  }
}

}  // namespace
}  // namespace kelvane
