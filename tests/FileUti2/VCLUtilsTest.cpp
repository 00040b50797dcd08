// The placement arithmetic: centring a window on the screen and keeping a rectangle on it.
#include <gtest/gtest.h>

#include "FileUti2/VCLUtils.h"
#include "support/NamedRows.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;

struct CenterRow {
  const char* name;
  int width, height, screenWidth, screenHeight;
  int left, top;
};

class CenterOnScreenTest : public ::testing::TestWithParam<CenterRow> {};

TEST_P(CenterOnScreenTest, PlacesWindowAndKeepsItsSize) {
  const CenterRow& row = GetParam();
  const TRect place = CenterOnScreen(row.width, row.height, row.screenWidth, row.screenHeight);
  EXPECT_EQ(place.Left, row.left);
  EXPECT_EQ(place.Top, row.top);
  EXPECT_EQ(place.Width(), row.width);
  EXPECT_EQ(place.Height(), row.height);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CenterOnScreenTest,
    ::testing::Values(CenterRow{"EvenSlack", 330, 200, 1024, 768, 347, 284},
                      CenterRow{"OddSlackRoundsDown", 331, 201, 1024, 768, 346, 283},
                      CenterRow{"WiderThanScreen", 1100, 200, 1024, 768, 0, 284},
                      CenterRow{"ExactlyScreenWide", 1024, 200, 1024, 768, 0, 284},
                      CenterRow{"VerticalEvenSlack", 200, 330, 768, 1024, 284, 347},
                      CenterRow{"VerticalOddSlack", 200, 331, 768, 1024, 284, 346},
                      CenterRow{"TallerThanScreen", 200, 900, 1024, 768, 412, 0},
                      CenterRow{"LargerThanScreenBothWays", 2000, 1500, 1024, 768, 0, 0}),
    kelvane::test::RowName());

struct MoveRow {
  const char* name;
  TRect in;
  TRect out;
};

class MoveRectIntoScreenTest : public ::testing::TestWithParam<MoveRow> {};

TEST_P(MoveRectIntoScreenTest, MovesWithoutResizing) {
  const MoveRow& row = GetParam();
  EXPECT_EQ(MoveRectIntoScreen(row.in, 1024, 768), row.out);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MoveRectIntoScreenTest,
    ::testing::Values(
        MoveRow{"InsideUnchanged", {10, 20, 110, 70}, {10, 20, 110, 70}},
        MoveRow{"TouchingEdgesUnchanged", {0, 0, 1024, 768}, {0, 0, 1024, 768}},
        MoveRow{"BeyondRightAndBottom", {950, 700, 1050, 800}, {924, 668, 1024, 768}},
        MoveRow{"BeyondLeftAndTop", {-20, -5, 80, 45}, {0, 0, 100, 50}},
        MoveRow{"WiderThanScreenBeyondRightEndsAtLeft0", {500, 0, 1600, 100}, {0, 0, 1100, 100}},
        MoveRow{"WiderThanScreenBeyondLeftEndsAtLeft0", {-300, 0, 800, 100}, {0, 0, 1100, 100}},
        MoveRow{"TallerThanScreenBelowEndsAtTop0", {0, 500, 100, 1400}, {0, 0, 100, 900}}),
    kelvane::test::RowName());

}  // namespace
}  // namespace kelvane
