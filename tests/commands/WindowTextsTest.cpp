// The label texts beside the project: their first values and the notices a view gets.
#include "commands/WindowTexts.h"

#include <gtest/gtest.h>

#include <vector>

namespace kelvane {
namespace {

TEST(WindowTextsTest, StartWithTheLayoutTexts) {
  const WindowTexts texts;
  EXPECT_EQ(texts.Text(TLabel::ini), "configuration file");
  EXPECT_EQ(texts.Text(TLabel::ChkSrc), "");
  EXPECT_EQ(texts.Text(TLabel::ChkDst), "");
  EXPECT_EQ(texts.Text(TLabel::S17), "CRC32:1");
  EXPECT_EQ(texts.Text(TLabel::Status1), "Status1");
  EXPECT_EQ(texts.Text(TLabel::Status2), "Status2");
  EXPECT_EQ(texts.Text(TLabel::Status3), "Status3");
}

class RecordingObserver : public WindowTextsObserver {
 public:
  std::vector<TLabel> changed;
  void TextChanged(TLabel label) override { changed.push_back(label); }
};

TEST(WindowTextsTest, ObserverHearsEachChangeOnce) {
  WindowTexts texts;
  RecordingObserver seen;
  texts.SetObserver(&seen);
  texts.Set(TLabel::ChkSrc, "/src/");
  texts.Set(TLabel::ChkSrc, "/src/");  // no change, no notice
  texts.Set(TLabel::Status1, "Status1");
  texts.Set(TLabel::Status3, "1/2");
  EXPECT_EQ(seen.changed, (std::vector<TLabel>{TLabel::ChkSrc, TLabel::Status3}));
  EXPECT_EQ(texts.Text(TLabel::ChkSrc), "/src/");
}

}  // namespace
}  // namespace kelvane
