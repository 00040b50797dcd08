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
  // Five digits each side is the most a project holds (100 000 entries); whichever digit is
  // widest in the face decides.
  for (char digit = '0'; digit <= '9'; ++digit) {
    const QString five(5, QChar(digit));
    status3->setText(five + "/" + five);
    SCOPED_TRACE(status3->text().toStdString());
    EXPECT_LT(status3->geometry().right(), origin->x())
        << "Status3 ends at x " << status3->geometry().right() << " in "
        << QFontInfo(status3->font()).family().toStdString() << ", Origin starts at x "
        << origin->x() << " (scripts/setup.sh installs the face)";
  }
}

}  // namespace
}  // namespace kelvane
