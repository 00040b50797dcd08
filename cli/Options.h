// The command line of kelvane-cli: one command, its operands and the options that apply to it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kelvane::cli {

enum class Command { help, version, newProject, check, list };

struct Options {
  Command command = Command::help;
  std::vector<std::string> operands;
  bool quiet = false;
  bool progress = false;
  bool extra = false;
  bool eject = false;
  bool stopAtFirst = false;
  bool noInhibit = false;
  bool sequential = false;
  bool noSha256 = false;
  std::optional<std::string> report;
};

// Options may come before or after the command; "--" ends them. Throws UsageError.
Options ParseOptions(const std::vector<std::string>& args);

std::string HelpText();

}  // namespace kelvane::cli
