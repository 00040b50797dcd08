// The picker as a screen reader meets it, with accessibility switched on as a bridge would (the
// offscreen platform has none): typing in the path field moves the tree's row without a word
// from the tree; the tree speaks once it has the keyboard.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>
#include <algorithm>
#include <string>
#include <vector>

#include "FileUti2/FolderBrowserDialog.h"
#include "FileUti2/TBrowseFolderDlg.h"
#include "support/Accessibility.h"
#include "support/RunPicker.h"
#include "support/TempDir.h"

namespace kelvane {
namespace {

// The tree's focus and selection events: what would make a screen reader read it out.
std::vector<std::string> fromTree;
QTreeView* watched = nullptr;

void Record(QAccessibleEvent* event) {
  const QAccessible::Event type = event->type();
  if (!watched || event->object() != watched ||
      (type != QAccessible::Focus && type != QAccessible::Selection &&
       type != QAccessible::SelectionAdd))
    return;
  QAccessibleInterface* face = event->accessibleInterface();
  fromTree.push_back(face ? face->text(QAccessible::Name).toStdString() : std::string("?"));
}

TEST(PickerA11y, TypingInThePathFieldLeavesTheTreeSilentUntilItHasTheKeyboard) {
  test::ListenToAccessibility(Record);
  test::TempDir tmp;
  tmp.MakeDir("dist/disk 1");
  tmp.MakeDir("dist/disk 2");
  TBrowseFolderDlg dlg;
  dlg.SetFolderName(tmp / "dist");
  std::vector<std::string> whileTyping;
  test::RunPicker(dlg, [&](FolderBrowserDialog& window) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    watched = window.Tree();
    QLineEdit* path = window.PathField();
    path->setFocus();
    fromTree.clear();
    QTest::keyClicks(path, "/disk 1");
    ASSERT_EQ(window.PathOf(window.Tree()->currentIndex()), tmp / "dist/disk 1");
    whileTyping = fromTree;

    fromTree.clear();
    window.Tree()->setFocus();
    QTest::keyClick(window.Tree(), Qt::Key_Down);
    EXPECT_EQ(window.PathOf(window.Tree()->currentIndex()), tmp / "dist/disk 2");
    EXPECT_NE(std::find(fromTree.begin(), fromTree.end(), "disk 2"), fromTree.end())
        << "the tree never told its new row: " << testing::PrintToString(fromTree);
  });
  watched = nullptr;
  test::ListenToAccessibility(nullptr);
  EXPECT_TRUE(whileTyping.empty()) << whileTyping.size() << " events, first: " << whileTyping[0];
}

// The rows of the tree told as the focus: name, and whether expanded.
std::vector<std::pair<std::string, bool>> focused;

void RecordFocusedRow(QAccessibleEvent* event) {
  if (!watched || event->object() != watched || event->type() != QAccessible::Focus ||
      event->child() < 0)
    return;
  if (QAccessibleInterface* face = event->accessibleInterface())
    focused.emplace_back(face->text(QAccessible::Name).toStdString(), face->state().expanded);
}

// The tree names its current folder, and whether it is expanded, each time it takes the focus: at
// the start, and when Tab comes back into it from the path field.
TEST(PickerA11y, TheTreeNamesItsCurrentFolderWhenItTakesTheFocus) {
  test::ListenToAccessibility(RecordFocusedRow);
  test::TempDir tmp;
  tmp.MakeDir("dist/disk 1");
  TBrowseFolderDlg dlg;
  dlg.SetFolderName(tmp / "dist");
  std::vector<std::pair<std::string, bool>> atStart, onReturn;
  test::RunPicker(dlg, [&](FolderBrowserDialog& window) {
    watched = window.Tree();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    ASSERT_TRUE(window.Tree()->hasFocus());
    QTest::qWait(20);  // the name follows the focus change, at the next turn of the loop
    atStart = focused;
    QTest::keyClick(window.Tree(), Qt::Key_Backtab);
    focused.clear();
    QTest::keyClick(window.PathField(), Qt::Key_Tab);
    ASSERT_TRUE(window.Tree()->hasFocus());
    QTest::qWait(20);
    onReturn = focused;
  });
  watched = nullptr;
  test::ListenToAccessibility(nullptr);
  const std::vector<std::pair<std::string, bool>> dist = {{"dist", true}};
  EXPECT_EQ(atStart, dist);
  EXPECT_EQ(onReturn, dist);
}

// Everything told of the path field, in order.
std::vector<QAccessible::Event> fromField;
QLineEdit* field = nullptr;

void RecordField(QAccessibleEvent* event) {
  if (field && event->object() == field) fromField.push_back(event->type());
}

// A screen reader takes news of a field's caret as its focus: the focus must come first, or an
// empty field is never named.
TEST(PickerA11y, TheEmptyPathFieldIsFocusedBeforeAnyNewsOfItsCaret) {
  test::ListenToAccessibility(RecordField);
  TBrowseFolderDlg dlg;
  std::vector<QAccessible::Event> told;
  test::RunPicker(dlg, [&](FolderBrowserDialog& window) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    field = window.PathField();
    ASSERT_TRUE(field->text().isEmpty());
    fromField.clear();
    QTest::keyClick(window.Tree(), Qt::Key_Backtab);  // from the tree, where the focus starts
    ASSERT_TRUE(field->hasFocus());
    told = fromField;
  });
  field = nullptr;
  test::ListenToAccessibility(nullptr);
  const auto focus = std::find(told.begin(), told.end(), QAccessible::Focus);
  ASSERT_NE(focus, told.end()) << "the field's focus was never told";
  for (auto it = told.begin(); it != focus; ++it)
    EXPECT_NE(*it, QAccessible::TextCaretMoved) << "caret news before the focus";
  EXPECT_EQ(std::count(told.begin(), focus, QAccessible::TextSelectionChanged), 0);
}

}  // namespace
}  // namespace kelvane
