// ReportFile: the checks of its target and the two ways it is written.
#include "cli/ReportFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>

#include "FileUti2/PathHelpers.h"
#include "FileUti2/ReplaceFile.h"
#include "cli/CliError.h"
#include "cli/PathArguments.h"

namespace kelvane::cli {

namespace {

std::string DescriptorText(int fd) {
  if (fd == 1) return "standard output";
  if (fd == 2) return "standard error";
  return "descriptor " + std::to_string(fd);
}

[[noreturn]] void CannotWrite(int fd, int error) {
  throw CliError(kExitCannotWrite,
                 "Cannot write the report to " + DescriptorText(fd) + ". " + std::strerror(error));
}

void WriteToDescriptor(int fd, std::string_view bytes) {
  if (!WriteAll(fd, bytes)) CannotWrite(fd, errno);
}

}  // namespace

ReportFile::ReportFile(const std::string& name, const std::string& project,
                       const std::vector<std::string>& copies)
    : name_(name), descriptor_(DescriptorName(name)) {
  const std::optional<FileIdentity> projectFile = IdentityOf(project);
  if (descriptor_) {
    const int flags = ::fcntl(*descriptor_, F_GETFL);
    if (flags < 0) CannotWrite(*descriptor_, errno);
    if ((flags & O_ACCMODE) == O_RDONLY) CannotWrite(*descriptor_, EBADF);
    if (projectFile && Identity() == projectFile)
      throw UsageError("the report " + name_ + " is the project file");
    return;
  }
  path_ = AbsolutePath(name);
  if (projectFile && IdentityOf(path_) == projectFile)
    throw UsageError("the report " + name_ + " is the project file");
  std::string target;
  try {
    target = SaveTarget(path_);
  } catch (const std::exception& error) {
    throw CliError(kExitCannotWrite, error.what());
  }
  const std::string folder = SplitPath(target).first;
  for (const std::string& copy : copies)
    if (FolderLiesInside(folder, copy))
      throw UsageError("the report " + name_ + " lies inside the copy " + copy);
}

std::optional<FileIdentity> ReportFile::Identity() const {
  if (!descriptor_) return IdentityOf(path_);
  struct stat st {};
  if (::fstat(*descriptor_, &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return IdentityOf(st);
}

void ReportFile::Write(const std::function<void(const ReportWrite&)>& produce) const {
  if (descriptor_) {
    std::string buffer;
    const int fd = *descriptor_;
    produce([&buffer, fd](std::string_view piece) {
      buffer.append(piece);
      if (buffer.size() >= (std::size_t{1} << 16)) {
        WriteToDescriptor(fd, buffer);
        buffer.clear();
      }
    });
    WriteToDescriptor(fd, buffer);
    return;
  }
  try {
    FileReplacement file(path_);
    produce([&file](std::string_view piece) { file.Write(piece); });
    file.Commit();
  } catch (const CliError&) {
    throw;
  } catch (const std::exception& error) {
    throw CliError(kExitCannotWrite, error.what());
  }
}

}  // namespace kelvane::cli
