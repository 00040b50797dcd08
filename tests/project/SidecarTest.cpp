// The sidecar's lines: written as coreutils writes them, read back with the variants coreutils
// itself writes and reads, and refused for anything else; and the strong sums following their
// entries in the model.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "project/Project.h"
#include "project/Sha256Sidecar.h"
#include "project/ValueEntry.h"
#include "support/NamedRows.h"
#include "support/TempDir.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;
using test::TempDir;

const std::string kHex = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
const Digest kSum = *DigestFromHex(kSha256Type, kHex);

TEST(SidecarTest, LinesAreCoreutilsOwn) {
  EXPECT_EQ(SidecarLine(kSum, "data\\disk 1\\a.cab"), kHex + "  data/disk 1/a.cab\n");
  // A name holding a line break is escaped, and the line says so with its first "\".
  EXPECT_EQ(SidecarLine(kSum, "two\nlines\r"), "\\" + kHex + "  two\\nlines\\r\n");
}

struct ReadRow {
  const char* name;
  std::string text;                  // the sidecar of the entries a.txt and "b c\nd"
  std::optional<std::string> error;  // what the refusal begins with; none: read
};
class SidecarReadTest : public testing::TestWithParam<ReadRow> {};

TEST_P(SidecarReadTest, ReadsWhatCoreutilsWritesAndNothingElse) {
  TempDir dir;
  const std::string path = dir.Write("p.cfg.sha256", GetParam().text);
  const std::vector<std::string> entries = {"a.txt", "b c\nd"};
  try {
    const std::vector<Digest> sums = ReadSidecar(path, entries);
    EXPECT_FALSE(GetParam().error) << "read";
    EXPECT_EQ(sums, (std::vector<Digest>{kSum, kSum}));
  } catch (const std::runtime_error& error) {
    ASSERT_TRUE(GetParam().error) << error.what();
    EXPECT_EQ(std::string(error.what()).rfind(*GetParam().error, 0), 0u) << error.what();
    EXPECT_NE(std::string(error.what()).find("\rFile: " + path + "\r"), std::string::npos);
  }
}

const std::string kEscaped = "\\" + kHex + "  b c\\nd\n";
std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SidecarReadTest,
    testing::Values(
        ReadRow{"AsWritten", SidecarLine(kSum, "a.txt") + SidecarLine(kSum, "b c\nd"), {}},
        ReadRow{"BinaryMarks", kHex + " *a.txt\n\\" + kHex + " *b c\\nd\n", {}},
        ReadRow{"LineEndsOfWindows", kHex + "  a.txt\r\n" + kEscaped, {}},
        ReadRow{"UpperCaseDigits", Upper(kHex) + "  a.txt\n" + kEscaped, {}},
        ReadRow{
            "NoLineEndAtTheEnd", kHex + "  a.txt\n" + kEscaped.substr(0, kEscaped.size() - 1), {}},
        ReadRow{"OneSpace", kHex + " a.txt\n" + kEscaped, "Invalid SHA-256 list"},
        ReadRow{"ShortSum", kHex.substr(1) + "  a.txt\n" + kEscaped, "Invalid SHA-256 list"},
        ReadRow{"BlankLine", "\n" + kHex + "  a.txt\n" + kEscaped, "Invalid SHA-256 list"},
        ReadRow{"UnknownEscape", kHex + "  a.txt\n\\" + kHex + "  b c\\qd\n",
                "Invalid SHA-256 list"},
        ReadRow{"ANameNotEscaped", kHex + "  a.txt\n" + kHex + "  b c\\nd\n",
                "The SHA-256 list belongs to another project"},
        ReadRow{"OneMore", kHex + "  a.txt\n" + kEscaped + kHex + "  e\n",
                "The SHA-256 list belongs to another project"}),
    kelvane::test::RowName());

TEST(SidecarTest, StrongSumsFollowTheirEntries) {
  Project project;
  project.Replace({"a", "b", "c"},
                  {MakeValueEntry(1, 0), MakeValueEntry(2, 0), MakeValueEntry(3, 0)});
  EXPECT_FALSE(project.HasSha256Sums());
  Digest other = kSum;
  other.bytes[0] ^= 1;
  project.SetDigest(0, kSum);
  project.SetDigest(1, other);
  project.SetDigest(2, kSum);
  EXPECT_TRUE(project.HasSha256Sums());
  project.DeleteEntry(0);
  EXPECT_EQ(project.StoredDigest(0), other);
  project.AppendEntry("d");
  EXPECT_FALSE(project.StoredDigest(2));
  EXPECT_FALSE(project.HasSha256Sums());
  project.TruncateEntries(2);
  EXPECT_TRUE(project.HasSha256Sums());
  project.Clear();
  EXPECT_FALSE(project.HasSha256Sums());
}

}  // namespace
}  // namespace kelvane
