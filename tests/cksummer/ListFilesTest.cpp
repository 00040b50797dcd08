// ListFiles on fixture trees: order, what is entered and listed, unreadable parts, the pump.
#include "cksummer/ListFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/NamedRows.h"
#include "support/TempDir.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;

using test::TempDir;
using Entries = std::vector<std::string>;

void Check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

void Fifo(const TempDir& d, const char* name) {
  Check(::mkfifo((d / name).c_str(), 0600) == 0, "mkfifo");
}

void Link(const TempDir& d, const char* target, const char* name) {
  Check(::symlink(target, (d / name).c_str()) == 0, "symlink");
}

// A socket file left behind by a bound and closed Unix socket.
void Socket(const TempDir& d, const char* name) {
  const std::string path = d / name;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  Check(path.size() < sizeof(address.sun_path), "socket path length");
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  Check(fd >= 0, "socket");
  const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  Check(bound, "bind");
}

struct TreeRow {
  std::string name;
  std::function<void(const TempDir&)> build;
  Entries expected;
};
// Rows print as their names, so that the test names CTest shows stay readable.
class ListFilesTree : public testing::TestWithParam<TreeRow> {};

TEST_P(ListFilesTree, ListsTheExpectedEntriesInOrder) {
  const TreeRow& row = GetParam();
  TempDir dir;
  row.build(dir);
  Entries list;
  ListFiles(dir.str(), list);
  EXPECT_EQ(list, row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Trees, ListFilesTree,
    testing::Values(
        TreeRow{"SubfolderFilesBeforeOwnFiles",
                [](const TempDir& d) {
                  d.Write("a.txt", "a");
                  d.Write("sub/b.txt", "b");
                },
                {"sub\\b.txt", "a.txt"}},
        TreeRow{"NestedFoldersDepthFirst",
                [](const TempDir& d) {
                  d.Write("top.txt", "");
                  d.Write("x/mid.txt", "");
                  d.Write("x/y/deep.txt", "");
                  d.Write("x/y/w/w.txt", "");
                  d.Write("z/z.txt", "");
                },
                {"x\\y\\w\\w.txt", "x\\y\\deep.txt", "x\\mid.txt", "z\\z.txt", "top.txt"}},
        // Byte order, whatever the file system or the locale would do.
        TreeRow{"NamesInByteOrder",
                [](const TempDir& d) {
                  for (const char* name : {"b", "a", "_", "Z9", "Z10", "B"}) d.Write(name, "");
                },
                {"B", "Z10", "Z9", "_", "a", "b"}},
        TreeRow{"DotFolderNotEnteredDotFileListed",
                [](const TempDir& d) {
                  d.Write(".cache/x.txt", "");
                  d.Write(".config", "");
                  d.Write("sub/.profile", "");
                },
                {"sub\\.profile", ".config"}},
        TreeRow{"EmptyFoldersContributeNothing",
                [](const TempDir& d) {
                  d.MakeDir("empty");
                  d.MakeDir("e1/e2");
                  d.Write("f.txt", "");
                },
                {"f.txt"}},
        TreeRow{"EmptyRoot", [](const TempDir&) {}, {}},
        TreeRow{"ReadOnlyFileListed",
                [](const TempDir& d) { ::chmod(d.Write("ro.txt", "x").c_str(), 0444); },
                {"ro.txt"}},
        // Names are kept byte for byte: spaces, UTF-8 and bytes that are not UTF-8 at all.
        TreeRow{"SpacesAndNonAsciiBytes",
                [](const TempDir& d) {
                  d.Write("my folder/file name.txt", "");
                  d.Write("caf\xC3\xA9/\xFF\xFE raw.bin", "");
                },
                {"caf\xC3\xA9\\\xFF\xFE raw.bin", "my folder\\file name.txt"}},
        TreeRow{"OnlyRegularFilesAndLinksToThem",
                [](const TempDir& d) {
                  d.Write("a.txt", "a");
                  d.Write("sub/b.txt", "b");
                  Fifo(d, "fifo");
                  Socket(d, "sock");
                  Link(d, "a.txt", "linkfile");
                  Link(d, "sub", "linkdir");
                  Link(d, "nowhere", "dangling");
                  Link(d, "loop", "loop");
                  Link(d, "fifo", "linkfifo");
                },
                {"sub\\b.txt", "a.txt", "linkfile"}},
        // A link back up the tree would loop forever if it were followed.
        TreeRow{"LinkToAnAncestorNotEntered",
                [](const TempDir& d) {
                  d.Write("sub/b.txt", "");
                  Link(d, "..", "sub/up");
                  Link(d, d.str().c_str(), "sub/root");
                },
                {"sub\\b.txt"}},
        TreeRow{"DeepChain",
                [](const TempDir& d) {
                  std::string path;
                  for (int i = 0; i < 200; ++i) path += "d/";
                  d.Write(path + "bottom.txt", "");
                },
                {[] {
                  std::string entry;
                  for (int i = 0; i < 200; ++i) entry += "d\\";
                  return entry + "bottom.txt";
                }()}}),
    kelvane::test::RowName());

TEST(ListFiles, AppendsToTheListWithoutClearingOrSortingIt) {
  TempDir dir;
  dir.Write("a.txt", "");
  Entries list{"zzz", "kept"};
  ListFiles(dir.str(), list);
  EXPECT_EQ(list, (Entries{"zzz", "kept", "a.txt"}));
}

TEST(ListFiles, PumpsAfterEveryEntryOfBothPasses) {
  TempDir dir;
  dir.Write("a.txt", "");
  dir.Write("sub/b.txt", "");
  dir.Write("sub/c.txt", "");
  dir.Write(".cache/x.txt", "");
  Entries list;
  std::vector<std::size_t> listSizeAtPump;
  ListFiles(dir.str(), list, [&] { listSizeAtPump.push_back(list.size()); });
  // Root: a.txt, sub, .cache twice each; sub: b.txt, c.txt twice each; .cache is not entered.
  EXPECT_EQ(listSizeAtPump.size(), 10u);
  // Each pump comes before its entry is handled: root ".cache", "a.txt", "sub" (entering sub:
  // "b.txt", "c.txt"; then its files), then the root's file pass.
  EXPECT_EQ(listSizeAtPump, (std::vector<std::size_t>{0, 0, 0, 0, 0, 0, 1, 2, 2, 3}));
}

TEST(ListFiles, RootWithTrailingSlashOrReachedThroughALinkGivesTheSameEntries) {
  TempDir dir;
  dir.Write("tree/a.txt", "");
  dir.Write("tree/sub/b.txt", "");
  Link(dir, "tree", "alias");
  const Entries expected{"sub\\b.txt", "a.txt"};
  for (const std::string& root : {dir / "tree", dir / "tree/", dir / "alias"}) {
    Entries list;
    ListFiles(root, list);
    EXPECT_EQ(list, expected) << root;
  }
}

TEST(ListFiles, MissingRootLeavesTheListUnchanged) {
  TempDir dir;
  Entries list{"kept"};
  int pumps = 0;
  ListFiles(dir / "missing", list, [&] { ++pumps; });
  EXPECT_EQ(list, Entries{"kept"});
  EXPECT_EQ(pumps, 0);
}

TEST(ListFiles, UnreadableSubfolderIsLeftOutWithItsReason) {
  TempDir dir;
  dir.Write("a/a.txt", "");
  dir.Write("locked/secret.txt", "");
  dir.Write("z/z.txt", "");
  dir.Write("top.txt", "");
  ASSERT_EQ(::chmod((dir / "locked").c_str(), 0), 0);
  Entries list;
  std::vector<LeftOutFile> leftOut;
  ListFilesHooks hooks;
  hooks.LeftOut = &leftOut;
  ASSERT_NO_THROW(ListFiles(dir.str(), list, hooks));
  if (test::IgnoresPermissions()) {
    EXPECT_EQ(list, (Entries{"a\\a.txt", "locked\\secret.txt", "z\\z.txt", "top.txt"}));
    GTEST_SKIP() << "this process reads folders whatever their permissions";
  }
  EXPECT_EQ(list, (Entries{"a\\a.txt", "z\\z.txt", "top.txt"}));
  ASSERT_EQ(leftOut.size(), 1u);
  EXPECT_EQ(leftOut[0].path, dir / "locked/");
  EXPECT_EQ(leftOut[0].why, LeftOutFile::unreadableFolder);
  EXPECT_EQ(leftOut[0].reason, "Permission denied");
}

// Removes the folder Name inside the open folder Parent with everything in it, working through
// descriptors so that paths longer than the system allows can be removed too.
void RemoveTreeAt(int parent, const char* name) {
  const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd >= 0) {
    DIR* folder = ::fdopendir(fd);
    if (folder) {
      while (const dirent* entry = ::readdir(folder)) {
        const std::string child = entry->d_name;
        if (child == "." || child == "..") continue;
        if (::unlinkat(fd, child.c_str(), 0) != 0) RemoveTreeAt(fd, child.c_str());
      }
      ::closedir(folder);
    } else {
      ::close(fd);
    }
  }
  ::unlinkat(parent, name, AT_REMOVEDIR);
}

// Even a process that may read everything meets folders it cannot open: their paths are longer
// than the system allows. They contribute nothing and stop nothing, and are told as left out.
TEST(ListFiles, PartOfTheTreeBeyondTheLongestPathIsLeftOut) {
  TempDir dir;
  dir.Write("long/near.txt", "");
  dir.Write("top.txt", "");
  const std::string segment(250, 'n');
  const int root = ::open(dir.str().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(root, 0);
  int folder = ::openat(root, "long", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(folder, 0);
  for (std::size_t depth = 0; depth * (segment.size() + 1) < PATH_MAX + 500; ++depth) {
    ASSERT_EQ(::mkdirat(folder, segment.c_str(), 0700), 0);
    const int next = ::openat(folder, segment.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::close(folder);
    ASSERT_GE(folder = next, 0);
  }
  const int file = ::openat(folder, "far.txt", O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  ::close(file);
  ::close(folder);
  ASSERT_GE(file, 0);

  Entries list;
  std::vector<LeftOutFile> leftOut;
  ListFilesHooks hooks;
  hooks.LeftOut = &leftOut;
  ASSERT_NO_THROW(ListFiles(dir.str(), list, hooks));
  EXPECT_EQ(list, (Entries{"long\\near.txt", "top.txt"}));
  // The first folder or file whose path is too long, and nothing below it.
  ASSERT_EQ(leftOut.size(), 1u);
  EXPECT_EQ(leftOut[0].why, LeftOutFile::tooLong);
  EXPECT_GE(leftOut[0].path.size(), std::size_t{PATH_MAX} - 1);

  RemoveTreeAt(root, "long");
  ::close(root);
}

}  // namespace
}  // namespace kelvane

namespace kelvane {
namespace {

// A tree with a folder that mountinfo (a fake one) calls a proc mount: it is never entered, but
// a folder on a real file system beside it is.
TEST(ListFiles, NeverEntersPseudoFileSystems) {
  TempDir dir;
  dir.Write("tree/proc/cpuinfo", "endless");
  dir.Write("tree/sys/kernel/x", "a view of the kernel");
  dir.Write("tree/srv/setup.exe", "real");
  const std::string tree = dir / "tree";
  dir.Write("fakeproc/self/mountinfo", "22 1 0:5 / " + tree + "/proc rw - proc proc rw\n" +
                                           "23 1 0:6 / " + tree + "/sys rw - sysfs sysfs rw\n" +
                                           "24 1 8:1 / " + tree + "/srv rw - ext4 /dev/sda1 rw\n");
  ListFilesHooks hooks;
  hooks.ProcRoot = dir / "fakeproc";
  Entries list;
  ListFiles(tree, list, hooks);
  EXPECT_EQ(list, Entries{"srv\\setup.exe"});
}

}  // namespace
}  // namespace kelvane
