// The pictures in the resources: each has a version at twice its size, name@2x.png, which QIcon
// picks by itself at a device pixel ratio of 2, and that version shows the same picture.
#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <cstdlib>
#include <string>

namespace kelvane {
namespace {

QImage Load(const QString& name) {
  return QImage(":/kelvane/" + name).convertToFormat(QImage::Format_RGBA8888_Premultiplied);
}

// Mean difference of two equally sized pictures over every channel, 0 (same) to 1.
double MeanDifference(const QImage& a, const QImage& b) {
  double sum = 0;
  for (int y = 0; y < a.height(); ++y) {
    const uchar* rowA = a.constScanLine(y);
    const uchar* rowB = b.constScanLine(y);
    for (int x = 0; x < a.width() * 4; ++x) sum += std::abs(rowA[x] - rowB[x]);
  }
  return sum / (255.0 * a.width() * a.height() * 4);
}

class Pictures : public ::testing::TestWithParam<const char*> {};

TEST_P(Pictures, DoubleSizeVersionIsTheSamePictureAtTwiceTheSize) {
  const QString name = GetParam();
  const QImage single = Load(name + ".png");
  const QImage twice = Load(name + "@2x.png");
  ASSERT_FALSE(single.isNull()) << name.toStdString();
  ASSERT_FALSE(twice.isNull()) << "no " << name.toStdString() << "@2x.png in the resources";
  ASSERT_EQ(twice.size(), single.size() * 2);
  const QImage halved = twice.scaled(single.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                            .convertToFormat(QImage::Format_RGBA8888_Premultiplied);
  // The same drawing differs only along its edges (about 0.03); another picture by over 0.2.
  EXPECT_LT(MeanDifference(halved, single), 0.08) << name.toStdString();
}

TEST(PicturesDiffer, MeasureTellsDifferentPicturesApart) {
  EXPECT_GT(MeanDifference(Load("open.png"), Load("save.png")), 0.08);
}

INSTANTIATE_TEST_SUITE_P(Resources, Pictures,
                         ::testing::Values("new", "open", "save", "check", "kelvane"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace kelvane
