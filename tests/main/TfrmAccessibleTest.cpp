// What a screen reader finds in the main window: each label's current text, each control's name.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QWidget>
#include <string>

#include "main/TabLabel.h"
#include "main/Tfrm.h"
#include "support/NamedRows.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;

QAccessibleInterface* InterfaceOf(QWidget* widget) {
  return widget ? QAccessible::queryAccessibleInterface(widget) : nullptr;
}

struct LabelRow {
  const char* name;
};

class LabelTest : public ::testing::TestWithParam<LabelRow> {};

TEST_P(LabelTest, ReadsAsAStaticTextNamedByItsCurrentText) {
  Tfrm frm;
  auto* label = frm.findChild<TabLabel*>(GetParam().name);
  ASSERT_NE(label, nullptr);
  QAccessibleInterface* face = InterfaceOf(label);
  ASSERT_NE(face, nullptr);
  EXPECT_EQ(face->role(), QAccessible::StaticText);
  EXPECT_EQ(face->text(QAccessible::Name), label->text());

  // The name follows the text. (The name-changed event that setText sends reaches no handler
  // on the offscreen platform, which has no accessibility bridge, so it is not checked here.)
  label->setText("10349/20000");
  EXPECT_EQ(face->text(QAccessible::Name), "10349/20000");
  label->setText("Check\tfor");
  EXPECT_EQ(face->text(QAccessible::Name), "Check for");
}

INSTANTIATE_TEST_SUITE_P(Rows, LabelTest,
                         ::testing::Values(LabelRow{"Status1"}, LabelRow{"Status2"},
                                           LabelRow{"Status3"}, LabelRow{"ini"}, LabelRow{"ChkSrc"},
                                           LabelRow{"ChkDst"}, LabelRow{"S17"}),
                         kelvane::test::RowName());

TEST(TfrmAccessible, AHintIsTheLabelsDescription) {
  Tfrm frm;
  QAccessibleInterface* face = InterfaceOf(frm.findChild<TabLabel*>("Status3"));
  ASSERT_NE(face, nullptr);
  EXPECT_EQ(face->text(QAccessible::Description), "Curent file no./Total file");
}

struct ControlRow {
  const char* name;
  const char* accessibleName;
  const char* keyInDescription;  // nullptr: no key
};

class ControlTest : public ::testing::TestWithParam<ControlRow> {};

TEST_P(ControlTest, HasItsAccessibleName) {
  const ControlRow& row = GetParam();
  Tfrm frm;
  QAccessibleInterface* face = InterfaceOf(frm.findChild<QWidget*>(row.name));
  ASSERT_NE(face, nullptr);
  EXPECT_EQ(face->text(QAccessible::Name).toStdString(), row.accessibleName);
  if (row.keyInDescription) {
    EXPECT_TRUE(face->text(QAccessible::Description).contains(row.keyInDescription))
        << face->text(QAccessible::Description).toStdString();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ControlTest,
    ::testing::Values(ControlRow{"iNew", "New", "Ctrl+N"}, ControlRow{"iOpen", "Open", "Ctrl+O"},
                      ControlRow{"iSave", "Save", "Ctrl+S"}, ControlRow{"iCheck", "CHECK", "F5"},
                      ControlRow{"Reset", "Reset", nullptr}, ControlRow{"Clear", "Clear", nullptr},
                      ControlRow{"Load", "Load", nullptr}, ControlRow{"Eject", "Eject", nullptr},
                      ControlRow{"HelpText", "HELP", "F1"}, ControlRow{"STOP", "STOP", "Esc"},
                      ControlRow{"QUIT", "QUIT", "Ctrl+Q"},
                      ControlRow{"AutoEject", "AutoEject", nullptr},
                      ControlRow{"CheckList", "Files of the project", nullptr},
                      ControlRow{"meter", "Progress through the current file", nullptr}),
    kelvane::test::RowName());

}  // namespace
}  // namespace kelvane
