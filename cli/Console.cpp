// The Console's streams.
#include "cli/Console.h"

#include <cstdio>

#include "cli/TerminalText.h"

namespace kelvane::cli {

namespace {

void PutLines(std::FILE* stream, const std::string& prefix, const std::string& text) {
  // Whatever a name in the text holds, nothing reaches the terminal as a command.
  const std::string lines = prefix + TerminalSafe(AsLines(text)) + "\n";
  std::fwrite(lines.data(), 1, lines.size(), stream);
}

}  // namespace

void Console::Result(const std::string& line) {
  progress_.WriteBetween([&] {
    if (results_ != stdout) std::fflush(stdout);
    PutLines(results_, "", line);
    // The progress line on stderr is redrawn next: what stdout holds must already be out.
    if (progress_.Enabled()) std::fflush(results_);
  });
}

void Console::Out(const std::string& text) {
  if (!quiet_) Result(text);
}

void Console::Notice(const std::string& text) {
  if (quiet_) return;
  progress_.WriteBetween([&] {
    std::fflush(stdout);
    PutLines(stderr, "", text);
  });
}

void Console::Error(const std::string& text) {
  progress_.WriteBetween([&] {
    std::fflush(stdout);
    PutLines(stderr, "kelvane-cli: ", text);
  });
}

}  // namespace kelvane::cli
