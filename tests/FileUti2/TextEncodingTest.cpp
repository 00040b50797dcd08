// UTF-8 checks and the Windows-1252 reading of the bytes that are not UTF-8.
#include "FileUti2/TextEncoding.h"

#include <gtest/gtest.h>

#include <ostream>

#include "support/NamedRows.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;

struct TextRow {
  const char* name;
  std::string bytes;
  bool utf8;
  std::string shown;  // DisplayUtf8
};
class TextEncodingRows : public testing::TestWithParam<TextRow> {};

TEST_P(TextEncodingRows, JudgesAndShows) {
  const TextRow& row = GetParam();
  EXPECT_EQ(IsValidUtf8(row.bytes), row.utf8);
  EXPECT_EQ(DisplayUtf8(row.bytes), row.shown);
  if (row.utf8) {
    EXPECT_EQ(EncodeUtf8(DecodeUtf8(row.bytes)), row.bytes);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TextEncodingRows,
    testing::Values(TextRow{"Ascii", "DATA\\DISK1.CAB", true, "DATA\\DISK1.CAB"},
                    TextRow{"Utf8", "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x92\xBF", true,
                            "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x92\xBF"},
                    TextRow{"Windows1252", "Caf\xE9", false, "Caf\xC3\xA9"},
                    TextRow{"EuroAndQuotes", "\x80 \x93x\x94", false,
                            "\xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D"},
                    TextRow{"UndefinedByteIsItsControl", "\x81", false, "\xC2\x81"},
                    TextRow{"MixedKeepsTheUtf8", "\xC3\xA9/\xE9", false, "\xC3\xA9/\xC3\xA9"},
                    TextRow{"CutSequence", "a\xC3", false, "a\xC3\x83"},
                    TextRow{"Overlong", "\xC0\xAF", false, "\xC3\x80\xC2\xAF"},
                    TextRow{"Surrogate", "\xED\xA0\x80", false, "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
                    TextRow{"PastTheLastCodePoint", "\xF4\x90\x80\x80", false,
                            "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"}),
    kelvane::test::RowName());

TEST(TextEncoding, Windows1252ToUtf8ReadsEveryByte) {
  EXPECT_EQ(Windows1252ToUtf8("Caf\xE9"), "Caf\xC3\xA9");
  // Even bytes that happen to form UTF-8 are read one by one.
  EXPECT_EQ(Windows1252ToUtf8("\xC3\xA9"), "\xC3\x83\xC2\xA9");
}

}  // namespace
}  // namespace kelvane
