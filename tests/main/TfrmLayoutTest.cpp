// The main window's controls: places, texts, the resize rule and the command buttons' enabling.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QListView>
#include <QProgressBar>
#include <QScreen>
#include <QToolButton>
#include <string>

#include "main/TabLabel.h"
#include "main/Tfrm.h"
#include "support/Controls.h"
#include "support/NamedRows.h"

namespace kelvane {
namespace {

using test::Button;
using test::Control;
using test::List;
using test::Meter;

using kelvane::test::PrintTo;

QString TextOf(QWidget* widget) {
  if (auto* label = qobject_cast<TabLabel*>(widget)) return label->text();
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
  return {};
}

struct Place {
  const char* name;
  int x, y, w, h;  // w and h -1: the control sizes itself to its text
  const char* text;
};

// The layout in client pixels, and the text each control starts with.
const Place kLayout[] = {
    {"TheLabel3", 80, 4, -1, -1, "Config:"},
    {"ini", 128, 4, -1, -1, "configuration file"},
    {"Status3", 14, 15, -1, -1, "Status3"},
    {"TheLabel1", 80, 16, -1, -1, "Origin"},
    {"ChkSrc", 128, 16, -1, -1, ""},
    {"iNew", 12, 30, 60, 55, "New"},
    {"iOpen", 12, 86, 60, 55, "Open"},
    {"iSave", 12, 142, 60, 55, "Save"},
    {"iCheck", 12, 198, 60, 55, "CHECK"},
    {"Reset", 12, 254, 60, 27, "Reset"},
    {"Clear", 12, 280, 60, 27, "Clear"},
    {"Load", 12, 308, 60, 27, "Load"},
    {"Eject", 12, 336, 60, 27, "Eject"},
    {"HelpText", 12, 388, 60, 27, "HELP"},
    {"CheckList", 80, 32, 360, 317, ""},
    {"meter", 80, 352, 360, 10, ""},
    {"TheLabel2", 12, 365, -1, -1, "Check for: "},
    {"ChkDst", 81, 365, -1, -1, ""},
    {"AutoEject", 364, 376, 79, 17, "AutoEject"},
    {"Status1", 80, 393, -1, -1, "Status1"},
    {"Status2", 80, 403, -1, -1, "Status2"},
    {"STOP", 314, 395, 60, 27, "STOP"},
    {"QUIT", 376, 395, 62, 27, "QUIT"},
};

TEST(TfrmLayout, OpensCentredOnTheScreen) {
  Tfrm frm;
  frm.show();
  const QRect screen = frm.screen()->geometry();
  const QRect outer = frm.frameGeometry();
  EXPECT_EQ(outer.left() - screen.left(), (screen.width() - 460) / 2);
  EXPECT_EQ(outer.top() - screen.top(), (screen.height() - 453) / 2);
}

TEST(TfrmLayout, EveryControlAtItsPlaceWithItsText) {
  Tfrm frm;
  frm.show();
  EXPECT_EQ(frm.windowTitle(), "Kelvane");
  EXPECT_EQ(frm.frameGeometry().size(), QSize(460, 453));
  for (const Place& place : kLayout) {
    SCOPED_TRACE(place.name);
    auto* widget = frm.findChild<QWidget*>(place.name);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->pos(), QPoint(place.x, place.y));
    if (place.w >= 0) {
      EXPECT_EQ(widget->size(), QSize(place.w, place.h));
    }
    if (place.name != std::string("CheckList") && place.name != std::string("meter")) {
      EXPECT_EQ(TextOf(widget).toStdString(), place.text);
    }
    EXPECT_TRUE(widget->isVisible());
  }
  EXPECT_EQ(List(frm).model()->rowCount(), 0);
  EXPECT_EQ(Meter(frm).value(), 0);
  EXPECT_FALSE(frm.AutoEjectTicked());
}

TEST(TfrmLayout, LabelsSizeToTheirTextAndS17KeepsItsRightEdge) {
  Tfrm frm;
  auto* s17 = frm.findChild<TabLabel*>("S17");
  auto* status1 = frm.findChild<TabLabel*>("Status1");
  ASSERT_TRUE(s17 && status1);
  EXPECT_EQ(s17->geometry().right() + 1, 440);
  EXPECT_EQ(s17->y(), 16);
  const int shortWidth = status1->width();

  frm.session().texts.Set(TLabel::S17, "1");
  EXPECT_EQ(s17->geometry().right() + 1, 440);
  EXPECT_LT(s17->width(), frm.findChild<TabLabel*>("TheLabel1")->width());

  // A tab moves to the next tab stop: the label is wider than the same text with a space.
  frm.session().texts.Set(TLabel::Status1, "CRC-32bit :\t0A1B2C3DH");
  const int tabbed = status1->width();
  frm.session().texts.Set(TLabel::Status1, "CRC-32bit : 0A1B2C3DH");
  EXPECT_GT(tabbed, status1->width());
  EXPECT_GT(status1->width(), shortWidth);
  EXPECT_EQ(status1->pos(), QPoint(80, 393));

  // "\r" breaks the line: two lines are taller than one.
  const int oneLine = status1->height();
  frm.session().texts.Set(TLabel::Status1, "first\rsecond");
  EXPECT_EQ(status1->text(), "first\nsecond");
  EXPECT_GT(status1->height(), oneLine);
}

struct ResizeCase {
  const char* name;
  int outerWidth;
  int listWidth;
};
class TfrmResize : public ::testing::TestWithParam<ResizeCase> {};

TEST_P(TfrmResize, CheckListAndMeterFollowTheWidth) {
  Tfrm frm;
  frm.show();
  // resize() takes the client size; the platform's frame, if any, comes on top of it.
  const QSize frame = frm.frameGeometry().size() - frm.size();
  frm.resize(GetParam().outerWidth - frame.width(), 300);
  ASSERT_EQ(frm.frameGeometry().width(), GetParam().outerWidth);
  EXPECT_EQ(List(frm).geometry(), QRect(80, 32, GetParam().listWidth, 317));
  EXPECT_EQ(Meter(frm).geometry(), QRect(80, 352, GetParam().listWidth, 10));
  EXPECT_EQ(Control(frm, "Bevel1").geometry(), frm.rect());
  // Nothing else moves.
  EXPECT_EQ(Button(frm, "QUIT").geometry(), QRect(376, 395, 62, 27));
}

INSTANTIATE_TEST_SUITE_P(Widths, TfrmResize,
                         ::testing::Values(ResizeCase{"Narrow", 250, 200},
                                           ResizeCase{"AtTheMinimum", 300, 200},
                                           ResizeCase{"Design", 460, 360},
                                           ResizeCase{"Wide", 600, 500}),
                         kelvane::test::RowName());

TEST(TfrmButtons, SetButtonsEnabledTouchesExactlyTheSixCommandButtons) {
  Tfrm frm;
  const char* commandButtons[] = {"iNew", "iOpen", "iSave", "iCheck", "Reset", "Clear"};
  const char* alwaysEnabled[] = {"Load", "Eject",     "HelpText", "STOP",
                                 "QUIT", "AutoEject", "CheckList"};
  for (bool enabled : {false, true}) {
    frm.SetButtonsEnabled(enabled);
    for (const char* name : commandButtons)
      EXPECT_EQ(frm.findChild<QWidget*>(name)->isEnabled(), enabled) << name;
    for (const char* name : alwaysEnabled)
      EXPECT_TRUE(frm.findChild<QWidget*>(name)->isEnabled()) << name;
  }
}

TEST(TfrmMeter, PositionsAboveTheRangeShowAFullBar) {
  Tfrm frm;
  const std::pair<int, int> cases[] = {{0, 0}, {37, 37}, {100, 100}, {250, 100}, {-5, 0}};
  for (const auto& [position, shown] : cases) {
    frm.Meter().SetPosition(position);
    EXPECT_EQ(Meter(frm).value(), shown) << position;
  }
}

}  // namespace
}  // namespace kelvane
