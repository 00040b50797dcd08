// The checksum lists that others publish, made by the real tools and checked by kelvane-cli: each
// form an intact copy passes (0), a changed byte fails (1) and a gone file fails (2), the failure
// line naming the algorithm; a Debian disc's own md5sum.txt; a signed list's signature told as not
// verified; a damaged list refused with its line's number.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/CliRunner.h"
#include "support/NamedRows.h"
#include "support/TempDir.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;
using test::CliResult;
using test::RunCli;
using test::TempDir;
namespace fs = std::filesystem;

// A tree with a space, a backslash and a line feed in its names (coreutils escapes the last two).
void MakeTree(const TempDir& dir) {
  dir.Write("src/a.txt", "hello\n");
  dir.Write("src/sub/b c.txt", std::string(70000, 'b'));
  dir.Write("src/back\\slash", "x");
  dir.Write("src/line\nfeed", "y");
}

// Runs script in folder with bash, its standard output into the file out.
CliResult Made(const std::string& folder, const std::string& script, const std::string& out) {
  return test::RunProgram(
      {"/bin/bash", "-c", "cd \"$1\" && { " + script + "; } > \"$2\"", "bash", folder, out});
}

struct ListRow {
  const char* name;
  const char* tool;    // what the row needs installed
  const char* file;    // the list's name
  const char* script;  // run in the tree; its output is the list
  const char* algorithm;
};

constexpr const char* kAll = "a.txt 'sub/b c.txt' 'back\\slash' $'line\\nfeed'";

class CliListTest : public testing::TestWithParam<ListRow> {};

TEST_P(CliListTest, IntactChangedAndGoneCopies) {
  const ListRow& row = GetParam();
  if (!test::FindProgram(row.tool)) GTEST_SKIP() << row.tool << " is not installed";
  TempDir dir;
  MakeTree(dir);
  std::string script = row.script;
  for (std::size_t at; (at = script.find("@ALL")) != std::string::npos;)
    script.replace(at, 4, kAll);
  const CliResult made = Made(dir / "src", script, dir / row.file);
  ASSERT_EQ(made.status, 0) << made.err;

  fs::copy(dir / "src", dir / "copy", fs::copy_options::recursive);
  const CliResult intact = RunCli({"--no-inhibit", "check", dir / row.file, dir / "copy"});
  EXPECT_EQ(intact.status, 0) << dir.Read(row.file) << intact.out << intact.err;

  dir.Write("copy/sub/b c.txt", std::string(69999, 'b') + "c");
  const CliResult changed = RunCli({"--no-inhibit", "check", dir / row.file, dir / "copy"});
  EXPECT_EQ(changed.status, 1) << changed.out << changed.err;
  EXPECT_NE(changed.out.find("mismatch\tsub/b c.txt\t" + dir / "copy/sub/b c.txt\t"),
            std::string::npos)
      << changed.out;
  EXPECT_NE(changed.out.find(std::string("\t") + row.algorithm + " differs\n"), std::string::npos)
      << changed.out;

  fs::remove(dir / "copy/a.txt");
  const CliResult gone = RunCli({"--no-inhibit", "check", dir / row.file, dir / "copy"});
  EXPECT_EQ(gone.status, 3) << gone.out << gone.err;
  EXPECT_NE(gone.out.find("missing\ta.txt\t" + dir / "copy/a.txt\t"), std::string::npos)
      << gone.out;
}

INSTANTIATE_TEST_SUITE_P(
    Tools, CliListTest,
    testing::Values(
        ListRow{"Md5sum", "md5sum", "MD5SUMS", "md5sum @ALL", "MD5"},
        ListRow{"Sha1sum", "sha1sum", "SHA1SUMS", "sha1sum @ALL", "SHA-1"},
        ListRow{"Sha224sum", "sha224sum", "SHA224SUMS", "sha224sum @ALL", "SHA-224"},
        ListRow{"Sha256sumBinary", "sha256sum", "SHA256SUMS", "sha256sum -b @ALL", "SHA-256"},
        ListRow{"Sha384sum", "sha384sum", "SHA384SUMS", "sha384sum @ALL", "SHA-384"},
        ListRow{"Sha512sum", "sha512sum", "SHA512SUMS", "sha512sum @ALL", "SHA-512"},
        ListRow{"B2sum", "b2sum", "B2SUMS", "b2sum @ALL", "BLAKE2b-512"},
        ListRow{"Sha256Tags", "sha256sum", "CHECKSUM", "sha256sum --tag @ALL", "SHA-256"},
        ListRow{"Blake2b256Tags", "b2sum", "sums", "b2sum -l 256 --tag @ALL", "BLAKE2b-256"},
        // A disc's own list: every file from "./", as Debian's md5sum.txt has them.
        ListRow{"DiscMd5sumTxt", "md5sum", "md5sum.txt",
                "find . -type f -print0 | sort -z | xargs -0 md5sum", "MD5"},
        // A list of many algorithms, each line checked by its own.
        ListRow{"Mixed", "sha512sum", "mixed",
                "md5sum --tag a.txt; sha512sum 'sub/b c.txt' 'back\\slash' $'line\\nfeed'",
                "SHA-512"},
        // The published CRC-32; rhash writes a line feed in a name as it stands, which no line
        // can hold, and takes a "\" for a folder's separator, so those names are not in it.
        ListRow{"RhashSfv", "rhash", "files.sfv", "rhash --sfv a.txt 'sub/b c.txt'", "CRC-32"},
        // Lines ended by CR LF, as an editor on Windows saves them.
        ListRow{"CrLf", "sha256sum", "crlf", "sha256sum a.txt 'sub/b c.txt' | sed 's/$/\\r/'",
                "SHA-256"}),
    test::RowName());

TEST(CliListsTest, DiscChecksItselfWithItsOwnList) {
  if (!test::FindProgram("md5sum")) GTEST_SKIP() << "coreutils' md5sum is not installed";
  TempDir dir;
  MakeTree(dir);
  ASSERT_EQ(
      Made(dir / "src", "find . -type f -print0 | sort -z | xargs -0 md5sum", dir / "md5sum.txt")
          .status,
      0);
  fs::rename(dir / "md5sum.txt", dir / "src/md5sum.txt");
  // The list lies in the copy it lists: it is no extra file, and lists itself nowhere.
  const CliResult checked = RunCli({"--no-inhibit", "check", "--extra", "--report", dir / "r.json",
                                    dir / "src/md5sum.txt", dir / "src"});
  EXPECT_EQ(checked.status, 0) << checked.out << checked.err;
  const std::string report = dir.Read("r.json");
  EXPECT_NE(report.find("\"format\": \"coreutils lines\""), std::string::npos) << report;
  EXPECT_NE(report.find("\"algorithm\": \"MD5\", \"stored\": \""), std::string::npos) << report;
  EXPECT_NE(report.find("\"extra\": []"), std::string::npos) << report;
  EXPECT_EQ(report.find("not verified"), std::string::npos) << report;

  dir.Write("src/new.txt", "n");
  const CliResult extra =
      RunCli({"--no-inhibit", "check", "--extra", dir / "src/md5sum.txt", dir / "src"});
  EXPECT_EQ(extra.status, 4) << extra.out << extra.err;
}

// A clearsigned list as a distribution publishes it: the armour, a dash-escaped line, the
// signature block. Its signature is not checked, and the run says so once.
TEST(CliListsTest, SignedListIsReadAndItsSignatureToldAsNotVerified) {
  if (!test::FindProgram("sha256sum")) GTEST_SKIP() << "coreutils' sha256sum is not installed";
  TempDir dir;
  MakeTree(dir);
  // A name that begins with "-" is dash-escaped by the signer: its SFV line, by the published
  // check value of "123456789".
  dir.Write("src/-dash.txt", "123456789");
  ASSERT_EQ(Made(dir / "src", "sha256sum a.txt 'sub/b c.txt'", dir / "sums").status, 0);
  dir.Write("SHA256SUMS.asc",
            "-----BEGIN PGP SIGNED MESSAGE-----\nHash: SHA256\n\n# Release 1.0\n"
            "- -dash.txt CBF43926\n" +
                dir.Read("sums") +
                "-----BEGIN PGP SIGNATURE-----\n\niQIzBAEBCAAdFiEE\n=abcd\n"
                "-----END PGP SIGNATURE-----\n");
  const CliResult checked = RunCli(
      {"--no-inhibit", "check", "--report", dir / "r.json", dir / "SHA256SUMS.asc", dir / "src"});
  EXPECT_EQ(checked.status, 0) << dir.Read("SHA256SUMS.asc") << checked.out << checked.err;
  const std::string notice = "signature was not verified";
  const std::size_t told = checked.err.find(notice);
  EXPECT_NE(told, std::string::npos) << checked.err;
  EXPECT_EQ(checked.err.find(notice, told + 1), std::string::npos) << "told once: " << checked.err;
  EXPECT_NE(dir.Read("r.json").find("\"signature\": \"not verified\""), std::string::npos);

  // A sum after the signature was never signed: the list is refused, not partly believed.
  dir.Write("SHA256SUMS.asc", dir.Read("SHA256SUMS.asc") +
                                  "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"
                                  "  empty\n");
  const CliResult appended = RunCli({"--no-inhibit", "check", dir / "SHA256SUMS.asc", dir / "src"});
  EXPECT_EQ(appended.status, 65) << appended.out << appended.err;
  EXPECT_NE(appended.err.find("Line 13 follows the signature"), std::string::npos) << appended.err;
}

struct RefusedRow {
  const char* name;
  const char* text;
  const char* message;
};

class CliRefusedListTest : public testing::TestWithParam<RefusedRow> {};

TEST_P(CliRefusedListTest, IsRefusedWith65AndItsReason) {
  const RefusedRow& row = GetParam();
  TempDir dir;
  dir.Write("copy/a.txt", "a");
  const std::string list = dir.Write("list", row.text);
  for (const char* command : {"check", "list"}) {
    std::vector<std::string> args = {"--no-inhibit", command, list};
    if (std::string(command) == "check") args.push_back(dir / "copy");
    const CliResult refused = RunCli(args);
    EXPECT_EQ(refused.status, 65) << command << ": " << refused.out << refused.err;
    EXPECT_NE(refused.err.find(row.message), std::string::npos) << command << ": " << refused.err;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lists, CliRefusedListTest,
    testing::Values(
        RefusedRow{"MalformedLine",
                   "# sums\n0cc175b9c0f1b6a831c399e269772661  a.txt\nnot a sum at all\n",
                   "Line 3 is not a sum and a name"},
        RefusedRow{"WrongLengthOfDigits", "0cc175b9c0f1b6a831c399e2697726  a.txt\n",
                   "Invalid Config File"},
        RefusedRow{"EmptyOfSums", "# nothing here\n\n", "Invalid Config File"},
        RefusedRow{"UnknownEscape", "\\0cc175b9c0f1b6a831c399e269772661  a\\t.txt\n",
                   "Invalid Config File"},
        RefusedRow{"SignatureNeverEnds",
                   "-----BEGIN PGP SIGNED MESSAGE-----\nHash: SHA256\n\n"
                   "0cc175b9c0f1b6a831c399e269772661  a.txt\n",
                   "Line 4 ends the file inside the signed text"}),
    test::RowName());

// Names that lead out of the copy are files that cannot be read, as in a project.
TEST(CliListsTest, UnsafeNamesAreUnreadableNotFollowed) {
  TempDir dir;
  dir.Write("copy/a.txt", "a");
  dir.Write("secret", "a");
  const std::string sum = "0cc175b9c0f1b6a831c399e269772661";
  const std::string list =
      dir.Write("list", sum + "  a.txt\n" + sum + "  ../secret\n" + sum + "  " + dir / "secret\n");
  const CliResult checked = RunCli({"--no-inhibit", "check", list, dir / "copy"});
  EXPECT_EQ(checked.status, 2) << checked.out << checked.err;
  EXPECT_NE(checked.out.find("unreadable\t../secret\t"), std::string::npos) << checked.out;
  EXPECT_NE(checked.out.find("The entry leads out of the folder"), std::string::npos)
      << checked.out;
}

}  // namespace
}  // namespace kelvane
