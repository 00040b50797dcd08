// The banded background: 256 bands over the outer height, each row painted exactly once.
#include "main/PaintBackground.h"
#include "support/NamedRows.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <string>

namespace kelvane {
namespace {

using kelvane::test::PrintTo;

struct HeightCase {
  const char* name;
  int height;
};
class Background : public ::testing::TestWithParam<HeightCase> {};

TEST_P(Background, BandsCoverEveryRowOnceInOrder) {
  const int height = GetParam().height;
  const auto bands = BackgroundBands(height);
  ASSERT_EQ(bands.size(), 256u);
  std::vector<int> cover(height, 0);
  int next = 0;
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(bands[i].top, next) << i;  // no gap, no overlap
    EXPECT_GE(bands[i].bottom, bands[i].top) << i;
    for (int row = bands[i].top; row < bands[i].bottom; ++row) ++cover[row];
    next = bands[i].bottom;
  }
  EXPECT_EQ(next, height);
  for (int row = 0; row < height; ++row) EXPECT_EQ(cover[row], 1) << row;
}

TEST_P(Background, PaintedRowsTakeTheirBandsColour) {
  const int height = GetParam().height;
  QImage image(7, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    PaintBackground(painter, image.width(), height);
  }
  for (const BackgroundBand& band : BackgroundBands(height))
    for (int row = band.top; row < band.bottom; ++row) {
      EXPECT_EQ(QColor(image.pixel(0, row)), band.colour) << row;
      EXPECT_EQ(QColor(image.pixel(6, row)), band.colour) << row;
    }
}

TEST(Background, EightShadesOfBlueInStepsOf32Bands) {
  const auto bands = BackgroundBands(453);
  const struct {
    int band;
    QColor colour;
  } samples[] = {{0, QColor(32, 0, 0)},     {31, QColor(32, 0, 0)},    {32, QColor(32, 0, 32)},
                 {63, QColor(32, 0, 32)},   {64, QColor(32, 0, 64)},   {100, QColor(32, 0, 96)},
                 {128, QColor(32, 0, 128)}, {191, QColor(32, 0, 160)}, {192, QColor(32, 0, 192)},
                 {224, QColor(32, 0, 224)}, {255, QColor(32, 0, 224)}};
  for (const auto& sample : samples)
    EXPECT_EQ(bands[sample.band].colour, sample.colour) << sample.band;
}

INSTANTIATE_TEST_SUITE_P(Heights, Background,
                         ::testing::Values(HeightCase{"Design", 453}, HeightCase{"Short", 100},
                                           HeightCase{"Exact", 256}, HeightCase{"Tall", 1200}),
                         kelvane::test::RowName());

TEST(Background, DesignHeightPutsBandZeroOnRowZeroAndBand255OnTheLastTwoRows) {
  const auto bands = BackgroundBands(453);
  EXPECT_EQ(bands[0].top, 0);
  EXPECT_EQ(bands[0].bottom, 1);
  EXPECT_EQ(bands[255].top, 451);
  EXPECT_EQ(bands[255].bottom, 453);
  EXPECT_EQ(bands[0].colour, QColor(32, 0, 0));
  EXPECT_EQ(bands[255].colour, QColor(32, 0, 224));
}

TEST(Background, ShortWindowHasZeroHeightBandsThatPaintNothing) {
  const int height = 100;
  const auto bands = BackgroundBands(height);
  int empty = 0;
  for (const BackgroundBand& band : bands) empty += band.bottom == band.top;
  EXPECT_EQ(empty, 256 - height);
  // Bands 0 and 1 have zero height: (1*100) div 256 = (2*100) div 256 = 0; row 0 is band 2's.
  EXPECT_EQ(bands[1].top, bands[1].bottom);
  EXPECT_EQ(bands[2].top, 0);
  EXPECT_EQ(bands[2].bottom, 1);
  QImage image(4, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    PaintBackground(painter, image.width(), height);
  }
  EXPECT_EQ(QColor(image.pixel(0, 0)), bands[2].colour);
  EXPECT_EQ(QColor(image.pixel(0, height - 1)), QColor(32, 0, 224));
}

}  // namespace
}  // namespace kelvane
