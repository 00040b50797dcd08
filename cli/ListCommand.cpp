// kelvane-cli list PROJECT: flag, CRC-32, CheckSum19 and entry, one entry a line; of a published
// list, flag, algorithm, sum and entry.
#include <optional>
#include <string>

#include "FileUti2/TextEncoding.h"
#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/PathArguments.h"
#include "cli/TerminalShell.h"
#include "cli/TerminalText.h"

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
  for (int i = 0; i < p.Count(); ++i) {
    const std::optional<Digest>& sum = p.StoredDigest(i);
    if (p.Published() && sum) {
      console.Result(orDash(p.FlagText(i)) + " " + DigestName(sum->type) + " " + DigestHex(*sum) +
                     " " + FieldText(p.Entry(i), true));
      continue;
    }
    console.Result(orDash(p.FlagText(i)) + " " + orDash(DisplayUtf8(p.StoredCRC32(i))) + " " +
                   orDash(DisplayUtf8(p.StoredCheckSum19(i))) + " " + DisplayUtf8(p.Entry(i)));
  }
  return kExitValid;
}

}  // namespace kelvane::cli
