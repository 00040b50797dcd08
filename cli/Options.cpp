// ParseOptions and the --help text.
#include "cli/Options.h"

#include <cstddef>

#include "cli/CliError.h"

namespace kelvane::cli {

namespace {

struct CommandForm {
  const char* name;
  Command command;
  std::size_t operands;
  bool more;          // more operands may follow (the copies of check)
  bool checkOptions;  // --extra, --report, --eject and --stop-at-first apply
};

constexpr CommandForm kCommands[] = {
    {"new", Command::newProject, 2, false, false},
    {"check", Command::check, 2, true, true},
    {"list", Command::list, 1, false, false},
};

const CommandForm* FindCommand(const std::string& name) {
  for (const CommandForm& form : kCommands)
    if (name == form.name) return &form;
  return nullptr;
}

// The state of one parse: what was seen so far.
struct Parse {
  Options options;
  std::optional<Command> asked;  // --help or --version: they win over everything else
  bool checkOnly = false;        // an option that only check takes was seen
  bool newOnly = false;          // an option that only new takes was seen
};

// Takes one option at args[i] (and its value); returns false when it is not one.
bool TakeOption(const std::vector<std::string>& args, std::size_t& i, Parse& parse) {
  const std::string& arg = args[i];
  Options& options = parse.options;
  std::string name = arg;
  std::optional<std::string> value;
  if (const std::size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
    name = arg.substr(0, eq);
    value = arg.substr(eq + 1);
  }
  if (name == "--report") {
    if (!value && i + 1 < args.size()) value = args[++i];
    if (!value || value->empty()) throw UsageError("option '--report' needs a file name");
    options.report = *value;
    parse.checkOnly = true;
    return true;
  }
  if (value) throw UsageError("option '" + name + "' takes no value");
  if (name == "-h" || name == "--help") {
    if (!parse.asked) parse.asked = Command::help;
  } else if (name == "--version") {
    if (!parse.asked) parse.asked = Command::version;
  } else if (name == "-q" || name == "--quiet") {
    options.quiet = true;
  } else if (name == "--progress") {
    options.progress = true;
  } else if (name == "--no-inhibit") {
    options.noInhibit = true;
  } else if (name == "--sequential") {
    options.sequential = true;
  } else if (name == "--no-sha256") {
    options.noSha256 = parse.newOnly = true;
  } else if (name == "--extra") {
    options.extra = parse.checkOnly = true;
  } else if (name == "--eject") {
    options.eject = parse.checkOnly = true;
  } else if (name == "--stop-at-first") {
    options.stopAtFirst = parse.checkOnly = true;
  } else {
    return false;
  }
  return true;
}

}  // namespace

Options ParseOptions(const std::vector<std::string>& args) {
  Parse parse;
  std::vector<std::string> words;
  bool optionsEnd = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!optionsEnd && arg == "--")
      optionsEnd = true;
    else if (!optionsEnd && arg.size() > 1 && arg[0] == '-') {
      if (!TakeOption(args, i, parse)) throw UsageError("unknown option '" + arg + "'");
    } else
      words.push_back(arg);
  }
  Options& options = parse.options;
  if (parse.asked) {
    options.command = *parse.asked;
    return options;
  }
  if (words.empty()) throw UsageError("no command given");
  const CommandForm* form = FindCommand(words.front());
  if (!form) throw UsageError("unknown command '" + words.front() + "'");
  options.command = form->command;
  options.operands.assign(words.begin() + 1, words.end());
  if (options.operands.size() < form->operands ||
      (!form->more && options.operands.size() > form->operands))
    throw UsageError("'" + std::string(form->name) + "' takes " + std::to_string(form->operands) +
                     (form->more ? " or more" : "") +
                     (form->operands == 1 ? " operand" : " operands"));
  for (const std::string& operand : options.operands)
    if (operand.empty()) throw UsageError("an operand is empty");
  if (parse.checkOnly && !form->checkOptions)
    throw UsageError("--extra, --report, --eject and --stop-at-first apply to 'check' only");
  if (parse.newOnly && form->command != Command::newProject)
    throw UsageError("--no-sha256 applies to 'new' only");
  if (options.quiet && options.progress)
    throw UsageError("--quiet and --progress exclude each other");
  return options;
}

std::string HelpText() {
  return "Usage: kelvane-cli [OPTION]... new SOURCE PROJECT\n"
         "       kelvane-cli [OPTION]... check PROJECT COPY...\n"
         "       kelvane-cli [OPTION]... list PROJECT\n"
         "\n"
         "  new    list every file below SOURCE with its CRC-32 and SHA-256 and write the\n"
         "         project file PROJECT and its sums PROJECT.sha256, exactly as New and\n"
         "         Save of the window do\n"
         "  check  read PROJECT as Open does and verify the copy in COPY as CHECK does;\n"
         "         several copies are verified side by side, those on one device in turn\n"
         "  list   print the entries of PROJECT: flag, CRC-32, CheckSum19, entry\n"
         "\n"
         "Options:\n"
         "  --extra          (check) also list everything below COPY that no entry matches\n"
         "  --report FILE    (check) write a JSON report of every entry to FILE\n"
         "                   (- for standard output)\n"
         "  --eject          (check) open the tray of each copy's optical drive when that\n"
         "                   copy is done\n"
         "  --stop-at-first  (check) stop a copy at its first mismatch or unreadable file\n"
         "  --progress       show progress on stderr even when it is not a terminal\n"
         "  --no-inhibit     let the machine sleep during the run (no logind lock)\n"
         "  --sequential     read one file at a time, never the next ones ahead\n"
         "  --no-sha256      (new) store no SHA-256 beside the project, the CRC-32 alone\n"
         "  -q, --quiet      print nothing but failed entries and errors\n"
         "  -h, --help       show this help and exit\n"
         "      --version    show the version and exit\n"
         "\n"
         "Exit status: 0 every selected entry valid; else the sum of 1 (a mismatch),\n"
         "2 (a missing or unreadable file; for new, files left out), 4 (extra files,\n"
         "with --extra), over every copy; 64 usage error;\n"
         "65 project unreadable, invalid or without a selected entry; 70 internal error;\n"
         "74 project or report cannot be written; 128 + N stopped by signal N\n"
         "(130 Ctrl+C, 143 SIGTERM, 129 SIGHUP).\n"
         "\n"
         "See kelvane-cli(1) for the details.\n";
}

}  // namespace kelvane::cli
