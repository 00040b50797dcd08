// kelvane-cli list PROJECT: flag, CRC-32, CheckSum19 and entry, one entry a line.
#include <string>

#include "FileUti2/TextEncoding.h"
#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/PathArguments.h"
#include "cli/TerminalShell.h"

namespace kelvane::cli {

int RunList(const Options& options, Console& console) {
  Session session;
  ShellAnswers answers;
  answers.projectPath = AbsolutePath(options.operands[0]);
  TerminalShell shell(session, console, answers, nullptr);
  OpenProject(session, shell);
  const Project& p = session.project;
  // A hand-edited value entry may lack a field; "-" keeps the columns apart.
  const auto orDash = [](const std::string& text) { return text.empty() ? "-" : text; };
  for (int i = 0; i < p.Count(); ++i)
    console.Result(orDash(p.FlagText(i)) + " " + orDash(DisplayUtf8(p.StoredCRC32(i))) + " " +
                   orDash(DisplayUtf8(p.StoredCheckSum19(i))) + " " + DisplayUtf8(p.Entry(i)));
  return kExitValid;
}

}  // namespace kelvane::cli
