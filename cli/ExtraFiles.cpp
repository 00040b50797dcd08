// ExtraFiles: a walk of every name below the copy, less the files the entries resolve to.
#include "cli/ExtraFiles.h"

#include <sys/stat.h>

#include <algorithm>
#include <set>
#include <unordered_set>

#include "FileUti2/MountInfo.h"
#include "FileUti2/PathHelpers.h"
#include "cksummer/ListFiles.h"
#include "commands/EntryResolver.h"

namespace kelvane::cli {

namespace {

const char* KindOf(mode_t mode) {
  if (S_ISREG(mode)) return "file";
  if (S_ISFIFO(mode)) return "fifo";
  if (S_ISSOCK(mode)) return "socket";
  if (S_ISCHR(mode)) return "character device";
  if (S_ISBLK(mode)) return "block device";
  return "special file";
}

struct ExtraWalk {
  const EntryResolver& resolver;
  const std::unordered_set<std::string>& matched;
  const std::vector<FileIdentity>& leaveOut;
  const std::function<void()>& pump;
  const std::function<bool()>& abandon;
  std::set<std::string> pseudoMounts;
  std::vector<ExtraFile> extra;
  bool abandoned = false;

  void Folder(const std::string& folder) {
    // Views of the kernel hold nothing that was copied.
    if (pseudoMounts.count(folder)) return;
    int error = 0;
    const std::vector<FolderEntry> entries = ReadFolder(resolver.OpenFolder(folder, false), error);
    if (error != 0) {
      extra.push_back({folder + "/", "unreadable folder"});
      return;
    }
    for (const FolderEntry& entry : entries) {
      if (pump) pump();
      if (abandon && abandon()) abandoned = true;
      if (abandoned) return;
      Entry(JoinFolderPath(folder, entry.name));
    }
  }

  bool LeftOut(const struct stat& st) const {
    return std::find(leaveOut.begin(), leaveOut.end(), IdentityOf(st)) != leaveOut.end();
  }

  void Entry(const std::string& path) {
    struct stat st {};
    if (resolver.Look(path, st, false) != 0) return;  // gone since the folder was read
    if (S_ISDIR(st.st_mode)) return Folder(path);
    // The path an entry names is that entry's, whatever is there, and so are the folders on its
    // way: a failure there is told as the entry's, never again as extra.
    if (matched.count(path)) return;
    if (S_ISLNK(st.st_mode)) {
      if (resolver.Look(path, st, true) != 0) return Add(path, "broken link");
      if (S_ISDIR(st.st_mode)) return Add(path, "link to a folder");
    }
    if (S_ISREG(st.st_mode) && LeftOut(st)) return;
    Add(path, KindOf(st.st_mode));
  }

  void Add(const std::string& path, const char* kind) { extra.push_back({path, kind}); }
};

}  // namespace

std::vector<ExtraFile> ExtraFiles(const Project& project, const std::string& copy,
                                  const std::vector<FileIdentity>& leaveOut,
                                  const std::function<void()>& pump,
                                  const std::function<bool()>& abandon) {
  // Resolved as CHECK resolves them: a file answers one entry at most.
  EntryResolver resolver(copy, EntryResolver::inBase, project.Separator());
  resolver.NameExactly(project);
  std::unordered_set<std::string> matched;
  for (int i = 0; i < project.Count(); ++i) {
    const std::string& entry = project.Entry(i);
    const EntryPath exact = resolver.Exact(entry);
    if (!exact.safe) continue;
    struct stat st {};
    if (resolver.Look(exact.path, st, false) == 0) {
      matched.insert(exact.path);
    } else if (const auto found = resolver.Find(entry)) {
      matched.insert(*found);
    }
    for (std::string folder = SplitPath(exact.path).first;
         folder.size() > copy.size() && matched.insert(folder).second;)
      folder = SplitPath(folder).first;
  }

  ExtraWalk walk{resolver, matched, leaveOut, pump, abandon, {}, {}};
  for (const Mount& mount : ReadMounts())
    if (IsPseudoFileSystem(mount.fstype)) walk.pseudoMounts.insert(mount.point);
  walk.Folder(copy);
  return std::move(walk.extra);
}

}  // namespace kelvane::cli
