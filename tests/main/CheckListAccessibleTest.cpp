// The check list as a screen reader meets it, with accessibility switched on as a bridge would
// (the offscreen platform has none): each row a checkable item, checked, unchecked or mixed, its
// changes told, the current entry named when the list takes the focus, and a long list read
// without walking its rows.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QListView>
#include <QTest>
#include <QToolButton>
#include <optional>
#include <string>
#include <vector>

#include "main/CheckListView.h"
#include "main/Tfrm.h"
#include "support/Accessibility.h"
#include "support/Controls.h"

namespace kelvane {
namespace {

using S = TCheckState;

// What a screen reader was told: the event, and the row's name and state at that moment.
struct Told {
  QAccessible::Event type;
  int child;
  QAccessible::State changed;
  std::string name;
  QAccessible::State state;
};
std::vector<Told> told;

void Record(QAccessibleEvent* event) {
  Told one{event->type(), event->child(), {}, {}, {}};
  if (event->type() == QAccessible::StateChanged)
    one.changed = static_cast<QAccessibleStateChangeEvent*>(event)->changedStates();
  if (QAccessibleInterface* face = event->accessibleInterface()) {
    one.name = face->text(QAccessible::Name).toStdString();
    one.state = face->state();
  }
  told.push_back(one);
}

std::optional<Told> Last(QAccessible::Event type) {
  for (auto it = told.rbegin(); it != told.rend(); ++it)
    if (it->type == type) return *it;
  return std::nullopt;
}

class CheckListA11y : public testing::Test {
 protected:
  static void SetUpTestSuite() { test::ListenToAccessibility(Record); }
  static void TearDownTestSuite() { test::ListenToAccessibility(nullptr); }

  void SetUp() override { ASSERT_TRUE(test::ShowActive(frm)); }
  void Fill(const std::vector<std::pair<std::string, S>>& rows) {
    frm.RunCommand([&] {
      for (const auto& [entry, state] : rows) {
        frm.session().project.AppendEntry(entry, state);
        frm.session().project.AppendValue("CADBBE3D000000001");
      }
    });
  }
  CheckListView& View() { return static_cast<CheckListView&>(test::List(frm)); }
  QAccessibleInterface* ListFace() { return QAccessible::queryAccessibleInterface(&View()); }

  Tfrm frm;
};

TEST_F(CheckListA11y, RowsAreCheckableInThreeStatesAndTellTheirChanges) {
  Fill({{"a.txt", S::cbChecked}, {"b.txt", S::cbUnchecked}, {"c.txt", S::cbGrayed}});
  QAccessibleInterface* list = ListFace();
  ASSERT_EQ(list->childCount(), 3);
  EXPECT_EQ(list->role(), QAccessible::Table);  // sized in one call, not row by row
  const auto state = [list](int row) { return list->child(row)->state(); };
  EXPECT_EQ(list->child(0)->role(), QAccessible::CheckBox);  // its check always spoken
  EXPECT_EQ(list->child(2)->text(QAccessible::Name), "c.txt");
  EXPECT_TRUE(state(0).checkable && state(0).checked && !state(0).checkStateMixed);
  EXPECT_TRUE(state(1).checkable && !state(1).checked && !state(1).checkStateMixed);
  EXPECT_TRUE(state(2).checkable && !state(2).checked && state(2).checkStateMixed);

  // Space on the first row: told as a change of its check.
  View().setFocus(Qt::TabFocusReason);
  View().setCurrentIndex(View().model()->index(0, 0));
  told.clear();
  QTest::keyClick(&View(), Qt::Key_Space);
  std::optional<Told> change = Last(QAccessible::StateChanged);
  ASSERT_TRUE(change.has_value());
  EXPECT_EQ(change->child, 0);
  EXPECT_TRUE(change->changed.checked);
  EXPECT_FALSE(change->state.checked);
  EXPECT_EQ(change->name, "a.txt");

  // The program grays the second row, as CHECK does a failed entry: told as mixed.
  told.clear();
  frm.RunCommand([this] { frm.session().project.SetState(1, S::cbGrayed); });
  change = Last(QAccessible::StateChanged);
  ASSERT_TRUE(change.has_value());
  EXPECT_EQ(change->child, 1);
  EXPECT_TRUE(change->changed.checked && change->changed.checkStateMixed);
  EXPECT_TRUE(change->state.checkStateMixed);

  // Space on the grayed row, current and focused: mixed goes, which the bridge cannot tell; the
  // row is a new object, named again as the focus with its new state.
  View().setCurrentIndex(View().model()->index(1, 0));
  const QAccessible::Id before = QAccessible::uniqueId(ListFace()->child(1));
  told.clear();
  QTest::keyClick(&View(), Qt::Key_Space);
  EXPECT_NE(QAccessible::uniqueId(ListFace()->child(1)), before);
  const std::optional<Told> focus = Last(QAccessible::Focus);
  ASSERT_TRUE(focus.has_value());
  EXPECT_EQ(focus->child, 1);
  EXPECT_EQ(focus->name, "b.txt");
  EXPECT_TRUE(focus->state.checked && !focus->state.checkStateMixed);
}

TEST_F(CheckListA11y, TakingTheFocusNamesTheCurrentEntry) {
  Fill({{"a.txt", S::cbChecked}, {"b.txt", S::cbUnchecked}, {"c.txt", S::cbGrayed}});
  View().setCurrentIndex(View().model()->index(2, 0));
  View().clearFocus();
  told.clear();
  View().setFocus(Qt::TabFocusReason);
  QCoreApplication::processEvents();  // the entry is told once the focus change is done
  ASSERT_FALSE(told.empty());
  const Told& last = told.back();
  EXPECT_EQ(last.type, QAccessible::Focus);
  EXPECT_EQ(last.child, 2);
  EXPECT_EQ(last.name, "c.txt");
  EXPECT_TRUE(last.state.focused && last.state.checkStateMixed);
}

// A screen reader that asks for the list and its focus gets them without the view making an
// interface for each of its rows.
TEST_F(CheckListA11y, ALongListIsNotWalkedWhenItTakesTheFocus) {
  constexpr int kRows = 200000;
  std::vector<std::pair<std::string, S>> rows;
  for (int i = 0; i < kRows; ++i) rows.emplace_back("f" + std::to_string(i), S::cbChecked);
  Fill(rows);
  View().clearFocus();
  View().setFocus(Qt::TabFocusReason);
  QCoreApplication::processEvents();
  QAccessibleInterface* list = ListFace();
  EXPECT_EQ(list->childCount(), kRows);
  ASSERT_NE(list->focusChild(), nullptr);
  EXPECT_EQ(list->focusChild()->text(QAccessible::Name), "f0");
  EXPECT_EQ(list->child(kRows - 1)->text(QAccessible::Name), "f199999");
  EXPECT_LE(View().RowInterfacesMade(), 3u);
}

}  // namespace
}  // namespace kelvane
