// kelvane-cli: New, Save, Open and CHECK of the window, run from a terminal or a script.
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/Options.h"

namespace {

using namespace kelvane::cli;

int Run(const Options& options, Console& console) {
  switch (options.command) {
    case Command::help:
      std::fputs(HelpText().c_str(), stdout);
      return kExitValid;
    case Command::version:
      std::puts("kelvane-cli " KELVANE_VERSION);
      return kExitValid;
    case Command::newProject:
      return RunNew(options, console);
    case Command::check:
      return RunCheck(options, console);
    case Command::list:
      return RunList(options, console);
  }
  return kExitInternal;
}

// As servers do: the soft limit on descriptors raised to the hard one, so that many copies read
// side by side have room for their files ahead (the readers still keep within what there is).
void RaiseDescriptorLimit() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    (void)::setrlimit(RLIMIT_NOFILE, &limit);
  }
}

}  // namespace

int main(int argc, char** argv) {
  // A closed pipe on the output (check ... | head -1) is a failed write, not the end: the run
  // goes on and its report is still written.
  std::signal(SIGPIPE, SIG_IGN);
  RaiseDescriptorLimit();
  Options options;
  try {
    options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const UsageError& error) {
    std::fprintf(stderr, "kelvane-cli: %s\nTry 'kelvane-cli --help' for more information.\n",
                 error.what());
    return error.status();
  }
  Console console(options.quiet, options.progress || (!options.quiet && ::isatty(2)));
  int status;
  try {
    status = Run(options, console);
  } catch (const CliError& error) {
    console.Error(error.what());
    status = error.status();
  } catch (const std::exception& error) {
    console.Error(error.what());
    status = kExitInternal;
  }
  // Results that never reached their reader (a full disk, a closed pipe) are a failure too.
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    console.Error(std::string("Cannot write the output. ") + std::strerror(errno));
    if (status == kExitValid) status = kExitCannotWrite;
  }
  return status;
}
