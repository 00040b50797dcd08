// Tests of where a save lands: only a regular file is ever replaced, a link is written through,
// and an existing file keeps its mode and owner.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "FileUti2/FileDescriptor.h"
#include "FileUti2/ReplaceFile.h"
#include "project/ProjectFile.h"
#include "project/ValueEntry.h"
#include "support/NamedRows.h"
#include "support/TempDir.h"

namespace kelvane {
namespace {

using kelvane::test::PrintTo;
using test::FolderContents;
using test::TempDir;
namespace fs = std::filesystem;

// A device node of our own: a copy of /dev/null's numbers where this process may make one, else
// a link to /dev/null itself, which a broken save could not replace without root either.
void MakeDevice(const std::string& path) {
  if (::mknod(path.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) != 0)
    fs::create_symlink("/dev/null", path);
}

void MakeSocket(const std::string& path, FileDescriptor& keep) {
  keep = FileDescriptor(::socket(AF_UNIX, SOCK_STREAM, 0));
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(::bind(keep.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
}

struct RefusedRow {
  const char* name;
  std::function<void(const TempDir&, const std::string& target, FileDescriptor& keep)> make;
  const char* reason;
};
class RefusedSaveTarget : public testing::TestWithParam<RefusedRow> {};

TEST_P(RefusedSaveTarget, IsNotTouched) {
  // Short names: a socket's path must fit in sockaddr_un.
  TempDir dir;
  const std::string target = dir / "p.cfg";
  FileDescriptor keep;
  GetParam().make(dir, target, keep);
  struct stat before {};
  ASSERT_EQ(::lstat(target.c_str(), &before), 0);
  const std::vector<std::string> contents = FolderContents(dir.path());

  Project project;
  project.Replace({"A.TXT"}, {MakeValueEntry(1, 0)});
  project.SetConfigPath(target);
  try {
    WriteProject(project);
    ADD_FAILURE() << "saved over it";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(error.what(), "Cannot create file \"" + target + "\". " + GetParam().reason);
  }
  struct stat after {};
  ASSERT_EQ(::lstat(target.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mode, before.st_mode);
  EXPECT_EQ(FolderContents(dir.path()), contents);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RefusedSaveTarget,
    testing::Values(RefusedRow{"Fifo",
                               [](const TempDir&, const std::string& t, FileDescriptor&) {
                                 ASSERT_EQ(::mkfifo(t.c_str(), 0644), 0);
                               },
                               "Not a regular file"},
                    RefusedRow{"DeviceNode",
                               [](const TempDir&, const std::string& t, FileDescriptor&) {
                                 MakeDevice(t);
                               },
                               "Not a regular file"},
                    RefusedRow{"Socket",
                               [](const TempDir&, const std::string& t, FileDescriptor& keep) {
                                 MakeSocket(t, keep);
                               },
                               "Not a regular file"},
                    RefusedRow{"Folder",
                               [](const TempDir& d, const std::string&, FileDescriptor&) {
                                 d.Write("p.cfg/inside", "x");
                               },
                               "Is a directory"},
                    RefusedRow{"LinkToAFifo",
                               [](const TempDir& d, const std::string& t, FileDescriptor&) {
                                 ASSERT_EQ(::mkfifo((d / "f").c_str(), 0644), 0);
                                 fs::create_symlink("f", t);
                               },
                               "Not a regular file"},
                    RefusedRow{"LinkLoop",
                               [](const TempDir& d, const std::string& t, FileDescriptor&) {
                                 fs::create_symlink("q.cfg", t);
                                 fs::create_symlink("p.cfg", d / "q.cfg");
                               },
                               "Too many levels of symbolic links"}),
    kelvane::test::RowName());

class SaveTargetTest : public testing::Test {
 protected:
  void SetUp() override { project.Replace({"A.TXT"}, {MakeValueEntry(1, 0)}); }
  void Save(const std::string& path) {
    project.SetConfigPath(path);
    WriteProject(project);
  }
  std::string Saved() const { return FormatProject(project); }
  TempDir dir;
  Project project;
};

TEST_F(SaveTargetTest, RelativeLinkChainIsFollowedAndEveryLinkStays) {
  dir.Write("real/target.cfg", "old");
  fs::create_symlink("real/target.cfg", dir / "b.cfg");
  fs::create_symlink("b.cfg", dir / "a.cfg");
  Save(dir / "a.cfg");
  EXPECT_TRUE(fs::is_symlink(dir / "a.cfg"));
  EXPECT_TRUE(fs::is_symlink(dir / "b.cfg"));
  EXPECT_EQ(dir.Read("real/target.cfg"), Saved());
  EXPECT_EQ(FolderContents(dir / "real"), std::vector<std::string>{"target.cfg"});
}

TEST_F(SaveTargetTest, LinkToAFileNotThereYetCreatesIt) {
  dir.MakeDir("real");
  fs::create_symlink("real/new.cfg", dir / "a.cfg");
  Save(dir / "a.cfg");
  EXPECT_TRUE(fs::is_symlink(dir / "a.cfg"));
  EXPECT_EQ(dir.Read("real/new.cfg"), Saved());
}

TEST_F(SaveTargetTest, ReplacedFileKeepsItsModeOwnerAndGroup) {
  const std::string path = dir.Write("a.cfg", "old");
  ASSERT_EQ(::chmod(path.c_str(), 0604), 0);
  // Root may give the file away, and the save must then keep it so; others keep their own.
  const uid_t owner = ::geteuid() == 0 ? 65534 : ::geteuid();
  const gid_t group = ::geteuid() == 0 ? 65534 : ::getegid();
  ASSERT_EQ(::chown(path.c_str(), owner, group), 0);
  Save(path);
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0604u);
  EXPECT_EQ(st.st_uid, owner);
  EXPECT_EQ(st.st_gid, group);
  EXPECT_EQ(dir.Read("a.cfg"), Saved());
}

TEST_F(SaveTargetTest, SaveTargetNamesTheFileAtTheEndOfTheLinks) {
  dir.Write("real/target.cfg", "old");
  fs::create_symlink(dir / "real/target.cfg", dir / "a.cfg");
  EXPECT_EQ(SaveTarget(dir / "a.cfg"), dir / "real/target.cfg");
  EXPECT_EQ(SaveTarget(dir / "new.cfg"), dir / "new.cfg");
  EXPECT_EQ(dir.Read("real/target.cfg"), "old");
}

// A link in a sticky, world-writable folder (/tmp) is followed only when its owner is the
// folder's or this user's, as the kernel's own rule for such folders says, whatever the machine's
// fs.protected_symlinks: otherwise another user's planted link would aim a save anywhere.
struct SharedRow {
  const char* name;
  bool sticky;       // the folder is 1777, else 0777
  uid_t linkOwner;   // kOther, or the folder's owner (kFolderOwner), or this user (0)
  bool folderOnWay;  // the link stands for a folder on the way (shared/dl/p.cfg)
  bool followed;
};
constexpr uid_t kFolderOwner = 4242;
constexpr uid_t kOther = 4343;
class SharedFolderLinkTest : public testing::TestWithParam<SharedRow> {};

TEST_P(SharedFolderLinkTest, IsFollowedOnlyAsTheKernelRuleSays) {
  if (::geteuid() != 0) GTEST_SKIP() << "giving a folder and a link to other users needs root";
  const SharedRow& row = GetParam();
  TempDir dir;
  dir.Write("victim/secret", "secret");
  const std::string shared = dir.MakeDir("shared");
  ASSERT_EQ(::chown(shared.c_str(), kFolderOwner, kFolderOwner), 0);
  ASSERT_EQ(::chmod(shared.c_str(), row.sticky ? 01777 : 0777), 0);
  const std::string link = shared + (row.folderOnWay ? "/dl" : "/rel.cfg");
  fs::create_symlink(row.folderOnWay ? dir / "victim" : dir / "victim/secret", link);
  ASSERT_EQ(::lchown(link.c_str(), row.linkOwner, row.linkOwner), 0);
  const std::string target = row.folderOnWay ? link + "/secret" : link;

  Project project;
  project.Replace({"A.TXT"}, {MakeValueEntry(1, 0)});
  project.SetConfigPath(target);
  if (row.followed) {
    WriteProject(project);
    EXPECT_EQ(dir.Read("victim/secret"), FormatProject(project));
  } else {
    try {
      WriteProject(project);
      ADD_FAILURE() << "the link was followed";
    } catch (const std::runtime_error& error) {
      EXPECT_EQ(error.what(), "Cannot create file \"" + target +
                                  "\". It leads through a link that another user put in the "
                                  "shared folder " +
                                  shared);
    }
    EXPECT_EQ(dir.Read("victim/secret"), "secret");
    EXPECT_EQ(FolderContents(dir / "victim"), std::vector<std::string>{"secret"});
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SharedFolderLinkTest,
    testing::Values(SharedRow{"AnotherUsersLink", true, kOther, false, false},
                    SharedRow{"AnotherUsersLinkToAFolder", true, kOther, true, false},
                    SharedRow{"TheFolderOwnersLink", true, kFolderOwner, false, true},
                    SharedRow{"OwnLink", true, 0, false, true},
                    SharedRow{"AnotherUsersLinkInAFolderThatIsNotSticky", false, kOther, false,
                              true}),
    kelvane::test::RowName());

TEST(SaveTargetDescriptorTest, LinkOfProcIsNeverFollowed) {
  // /dev/stdout leads to /proc/self/fd/1, a descriptor: a rename over what it points at would
  // replace a log that the output appends to.
  Project project;
  project.Replace({"A.TXT"}, {MakeValueEntry(1, 0)});
  project.SetConfigPath("/dev/stdout");
  try {
    WriteProject(project);
    ADD_FAILURE() << "saved through /proc";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "Cannot create file \"/dev/stdout\". Not a regular file");
  }
}

}  // namespace
}  // namespace kelvane
