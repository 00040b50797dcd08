// The main window from the keyboard: Tab order, Space and Return, the desktop shortcuts and how
// they follow their buttons' enabling; a pressed button drawn apart from a hovered one.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "main/Tfrm.h"
#include "support/Controls.h"
#include "support/NamedRows.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;

// A shown, active window whose keys reach it as the user's would.
class TfrmKeys : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(test::ShowActive(frm)); }
  QToolButton* Button(const char* name) { return frm.findChild<QToolButton*>(name); }
  // Counts the button's clicks instead of running its command.
  int* Probe(QToolButton* button) {
    button->disconnect(&frm);
    auto* clicks = new int(0);
    counters_.emplace_back(clicks);
    QObject::connect(button, &QAbstractButton::clicked, [clicks] { ++*clicks; });
    return clicks;
  }
  std::string FocusName() const {
    QWidget* focus = QApplication::focusWidget();
    return focus ? focus->objectName().toStdString() : std::string("(none)");
  }

  Tfrm frm;

 private:
  std::vector<std::unique_ptr<int>> counters_;
};

const std::vector<std::string> kTabOrder{"iNew",      "iOpen", "iSave", "iCheck",   "Reset",
                                         "Clear",     "Load",  "Eject", "HelpText", "CheckList",
                                         "AutoEject", "STOP",  "QUIT"};

TEST_F(TfrmKeys, TabAndShiftTabFollowTheLayout) {
  frm.findChild<QWidget*>("iNew")->setFocus();
  std::vector<std::string> forward{FocusName()};
  for (std::size_t i = 1; i <= kTabOrder.size(); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    forward.push_back(FocusName());
  }
  std::vector<std::string> expected = kTabOrder;
  expected.push_back("iNew");  // round again
  EXPECT_EQ(forward, expected);

  std::vector<std::string> backward{FocusName()};
  for (std::size_t i = 1; i <= kTabOrder.size(); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    backward.push_back(FocusName());
  }
  std::reverse(expected.begin(), expected.end());
  EXPECT_EQ(backward, expected);
}

struct PressRow {
  const char* name;
  Qt::Key key;
};

class PressTest : public TfrmKeys, public ::testing::WithParamInterface<PressRow> {};

TEST_P(PressTest, PressesTheFocusedButton) {
  QToolButton* reset = Button("Reset");
  int* clicks = Probe(reset);
  reset->setFocus();
  QTest::keyClick(reset, GetParam().key);
  EXPECT_EQ(*clicks, 1);
  reset->setEnabled(false);
  QTest::keyClick(reset, GetParam().key);
  EXPECT_EQ(*clicks, 1);
}

INSTANTIATE_TEST_SUITE_P(Rows, PressTest,
                         ::testing::Values(PressRow{"Space", Qt::Key_Space},
                                           PressRow{"Return", Qt::Key_Return},
                                           PressRow{"Enter", Qt::Key_Enter}),
                         kelvane::test::RowName());

struct ShortcutRow {
  const char* name;
  const char* button;
  Qt::Key key;
  Qt::KeyboardModifiers modifiers;
};

class ShortcutTest : public TfrmKeys, public ::testing::WithParamInterface<ShortcutRow> {};

TEST_P(ShortcutTest, PressesItsButtonOnlyWhileEnabled) {
  const ShortcutRow& row = GetParam();
  QToolButton* button = Button(row.button);
  int* clicks = Probe(button);
  // From the list, where the focus usually is.
  QWidget* list = frm.findChild<QWidget*>("CheckList");
  list->setFocus();
  QTest::keyClick(list, row.key, row.modifiers);
  EXPECT_EQ(*clicks, 1);
  button->setEnabled(false);
  QTest::keyClick(list, row.key, row.modifiers);
  EXPECT_EQ(*clicks, 1) << "the shortcut of a disabled button did something";
  button->setEnabled(true);
  QTest::keyClick(list, row.key, row.modifiers);
  EXPECT_EQ(*clicks, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ShortcutTest,
    ::testing::Values(ShortcutRow{"New", "iNew", Qt::Key_N, Qt::ControlModifier},
                      ShortcutRow{"Open", "iOpen", Qt::Key_O, Qt::ControlModifier},
                      ShortcutRow{"Save", "iSave", Qt::Key_S, Qt::ControlModifier},
                      ShortcutRow{"Check", "iCheck", Qt::Key_F5, Qt::NoModifier},
                      ShortcutRow{"Stop", "STOP", Qt::Key_Escape, Qt::NoModifier},
                      ShortcutRow{"Quit", "QUIT", Qt::Key_Q, Qt::ControlModifier},
                      ShortcutRow{"Help", "HelpText", Qt::Key_F1, Qt::NoModifier}),
    kelvane::test::RowName());

TEST_F(TfrmKeys, CommandButtonsDisabledByARunIgnoreTheirKeys) {
  int* clicks = Probe(Button("iNew"));
  frm.SetButtonsEnabled(false);
  QTest::keyClick(&frm, Qt::Key_N, Qt::ControlModifier);
  frm.SetButtonsEnabled(true);
  EXPECT_EQ(*clicks, 0);
}

// The panel left of the caption, where neither text nor icon is drawn.
QColor PanelColour(QToolButton* button) {
  const QImage image = button->grab().toImage();
  return image.pixelColor(4, image.height() / 2);
}

int Distance(const QColor& a, const QColor& b) {
  return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
         std::abs(a.blue() - b.blue());
}

TEST_F(TfrmKeys, APressedButtonIsClearlyApartFromAHoveredOne) {
  for (const char* name : {"Reset", "iNew", "QUIT"}) {
    SCOPED_TRACE(name);
    QToolButton* button = Button(name);
    button->setAttribute(Qt::WA_UnderMouse, true);
    const QColor hovered = PanelColour(button);
    button->setDown(true);
    const QColor pressed = PanelColour(button);
    button->setDown(false);
    button->setAttribute(Qt::WA_UnderMouse, false);
    const QColor idle = PanelColour(button);
    EXPECT_GE(Distance(pressed, hovered), 200) << "pressed " << pressed.name().toStdString()
                                               << ", hovered " << hovered.name().toStdString();
    EXPECT_GE(Distance(pressed, idle), 200);
  }
}

}  // namespace
}  // namespace kelvane
