// Where the report of a check goes, decided before anything is read: the descriptor its name
// stands for, or a file replaced as the project file is.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "FileUti2/FileIdentity.h"
#include "cli/JsonReport.h"

namespace kelvane::cli {

class ReportFile {
 public:
  // name as given on the command line; project and copies as the command resolved them. The
  // report may not be the project (UsageError), nor lie inside a copy (whose extra files it would
  // add to, or whose file it would replace: UsageError), and one that cannot be written fails
  // now rather than after a long run (CliError 74). All of it as the kernel resolves the paths.
  ReportFile(const std::string& name, const std::string& project,
             const std::vector<std::string>& copies);

  // The file the report is now (the descriptor's, or the file it will replace), if any: no extra
  // file of a copy.
  std::optional<FileIdentity> Identity() const;
  // The report goes to standard output: the lines that would go there go to standard error.
  bool OnStandardOutput() const { return descriptor_ == 1; }

  // Writes what produce gives, piece by piece; CliError 74 when it cannot be written.
  void Write(const std::function<void(const ReportWrite&)>& produce) const;

 private:
  std::string name_;  // as given, for the messages
  std::string path_;  // a file's, absolute
  std::optional<int> descriptor_;
};

}  // namespace kelvane::cli
