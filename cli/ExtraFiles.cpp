// ExtraFiles: the walk of the copy minus the files the entries resolve to.
#include "cli/ExtraFiles.h"

#include <sys/stat.h>

#include <algorithm>
#include <unordered_set>

#include "FileUti2/PathHelpers.h"
#include "cksummer/ListFiles.h"
#include "commands/EntryResolver.h"

namespace kelvane::cli {

std::vector<std::string> ExtraFiles(const Project& project, const std::string& copy,
                                    const std::function<void()>& pump,
                                    const std::function<bool()>& abandon) {
  EntryResolver resolver(copy);
  std::unordered_set<std::string> matched;
  for (int i = 0; i < project.Count(); ++i) {
    const std::string& entry = project.Entry(i);
    const EntryPath exact = resolver.Exact(entry);
    if (!exact.safe) continue;
    struct stat st {};
    if (::stat(exact.path.c_str(), &st) == 0) {
      matched.insert(exact.path);
    } else if (const auto found = resolver.Find(entry)) {
      matched.insert(*found);
    }
  }

  std::vector<std::string> listed;
  std::vector<std::string> leftOut;
  ListFilesHooks hooks;
  hooks.Pump = pump;
  hooks.Abandon = abandon;
  hooks.LeftOut = &leftOut;
  ListFiles(copy, listed, hooks);

  std::vector<std::string> extra;
  for (std::string& relative : listed) {
    std::replace(relative.begin(), relative.end(), '\\', '/');
    std::string path = JoinFolderPath(copy, relative);
    if (!matched.count(path)) extra.push_back(std::move(path));
  }
  extra.insert(extra.end(), leftOut.begin(), leftOut.end());
  return extra;
}

}  // namespace kelvane::cli
