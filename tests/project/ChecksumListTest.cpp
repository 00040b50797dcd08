// ChecksumListParser on the forms no tool of this machine writes, or writes only in part: SFV made
// on Windows, a list mixing forms, lines fed in pieces, and the refusals of lines too long or of
// sums of no known length.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "project/ChecksumList.h"
#include "support/NamedRows.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;

struct ListCase {
  const char* name;
  std::string text;
  const char* file;
  std::vector<std::string> entries;
  std::vector<std::string> sums;  // each entry's algorithm and digits, "MD5 0cc1..."
  const char* format;
  bool clearsigned = false;
};

class ChecksumListRead : public testing::TestWithParam<ListCase> {};

// Fed a byte at a time too: a line, a CR LF or an escape cut between two reads reads the same.
TEST_P(ChecksumListRead, GivesEachEntryItsSum) {
  const ListCase& row = GetParam();
  for (const std::size_t piece : {row.text.size(), std::size_t{1}}) {
    ChecksumListParser parser(std::string("/media/cdrom/") + row.file, NamedForBlake2b(row.file));
    for (std::size_t at = 0; at < row.text.size(); at += piece)
      parser.Feed(std::string_view(row.text).substr(at, piece), false);
    parser.Feed({}, true);
    const ParsedProject parsed = parser.Finish();
    EXPECT_EQ(parsed.entries, row.entries);
    std::vector<std::string> sums;
    for (const Digest& sum : parsed.strong)
      sums.push_back(DigestName(sum.type) + " " + DigestHex(sum));
    EXPECT_EQ(sums, row.sums);
    ASSERT_TRUE(parsed.published);
    EXPECT_EQ(parsed.published->format, row.format);
    EXPECT_EQ(parsed.published->clearsigned, row.clearsigned);
    EXPECT_EQ(parsed.sourceFolder, "/media/cdrom");
    EXPECT_EQ(parsed.values, std::vector<std::string>(row.entries.size(), std::string(kListValue)));
  }
}

const std::string kMd5 = "0cc175b9c0f1b6a831c399e269772661";
const std::string k128(128, 'a');

INSTANTIATE_TEST_SUITE_P(
    Forms, ChecksumListRead,
    testing::Values(
        ListCase{
            "SfvMadeOnWindows",
            "; made by a Windows tool\r\nDISK1\\SETUP.EXE  cbf43926\r\nREADME.TXT\t363A3020\r\n",
            "release.sfv",
            {"DISK1/SETUP.EXE", "README.TXT"},
            {"CRC-32 CBF43926", "CRC-32 363A3020"},
            "SFV"},
        ListCase{"MixedFormsAndComments",
                 "# built 2026-12-11\n\nMD5 (a) = " + kMd5 + "\n" + kMd5 + " *./b\n",
                 "sums",
                 {"a", "b"},
                 {"MD5 " + kMd5, "MD5 " + kMd5},
                 "BSD tags, coreutils lines"},
        // b2sum's lines have SHA-512's length: the list's name tells them apart.
        ListCase{"Sha512ByLength",
                 k128 + "  a\n",
                 "SHA512SUMS",
                 {"a"},
                 {"SHA-512 " + k128},
                 "coreutils lines"},
        ListCase{"Blake2bByName",
                 k128 + "  a\n",
                 "B2SUMS",
                 {"a"},
                 {"BLAKE2b-512 " + k128},
                 "coreutils lines"},
        ListCase{"EscapedTagName",
                 "\\MD5 (new\\nline \\\\ name) = " + kMd5 + "\n",
                 "sums",
                 {"new\nline \\ name"},
                 {"MD5 " + kMd5},
                 "BSD tags"},
        ListCase{"ClearsignedWithoutLineEndAtTheEnd",
                 "-----BEGIN PGP SIGNED MESSAGE-----\nHash: SHA512\n\n" + kMd5 +
                     "  a\n-----BEGIN PGP SIGNATURE-----\nxyz\n-----END PGP SIGNATURE-----",
                 "SUMS.asc",
                 {"a"},
                 {"MD5 " + kMd5},
                 "coreutils lines",
                 true}),
    test::RowName());

struct RefusalCase {
  const char* name;
  std::string text;
  const char* message;
};

class ChecksumListRefusal : public testing::TestWithParam<RefusalCase> {};

TEST_P(ChecksumListRefusal, SaysWhy) {
  const RefusalCase& row = GetParam();
  ChecksumListParser parser("/tmp/list", false);
  try {
    parser.Feed(row.text, true);
    parser.Finish();
    ADD_FAILURE() << "read without a refusal";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()), row.message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ChecksumListRefusal,
    testing::Values(
        // An image picked by mistake: refused after its first line, however long.
        RefusalCase{"ImageNoLine", std::string(20000, '\0'), "Invalid Config File"},
        RefusalCase{"LongLineAfterSums", kMd5 + "  a\n" + std::string(20000, 'x'),
                    "Invalid checksum list\rFile: /tmp/list\rLine 2 is longer than a list's line "
                    "can be (16384 bytes)"},
        RefusalCase{"UnknownTag", "# sums\nSHA3 (a) = " + kMd5 + "\n",
                    "Invalid checksum list\rFile: /tmp/list\rLine 2 is not a sum and a name in a "
                    "form Kelvane reads"},
        RefusalCase{"BlakeOfNoLength", "# sums\nBLAKE2b-7 (a) = aa\n",
                    "Invalid checksum list\rFile: /tmp/list\rLine 2 is not a sum and a name in a "
                    "form Kelvane reads"},
        RefusalCase{"TextBeforeSums", "Release notes\n" + kMd5 + "  a\n", "Invalid Config File"}),
    test::RowName());

}  // namespace
}  // namespace kelvane
