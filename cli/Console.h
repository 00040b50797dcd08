// Where kelvane-cli writes: results on stdout, notices and errors on stderr, the progress line
// kept out of their way.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "FileUti2/TextEncoding.h"
#include "cli/ProgressLine.h"

namespace kelvane::cli {

using kelvane::AsLines;  // a box's text as terminal lines

class Console {
 public:
  Console(bool quiet, bool progress) : quiet_(quiet), progress_(progress) {}

  bool Quiet() const { return quiet_; }
  ProgressLine& Progress() { return progress_; }

  // From now on the results go to stderr: stdout holds something else (the JSON report).
  void ResultsToStandardError() { results_ = stderr; }

  // A line of results on stdout, printed even with --quiet.
  void Result(const std::string& line);
  // A line on stdout that --quiet silences (the summary).
  void Out(const std::string& text);
  // Told on stderr unless --quiet.
  void Notice(const std::string& text);
  // Always told on stderr, after "kelvane-cli: ".
  void Error(const std::string& text);

 private:
  bool quiet_;
  ProgressLine progress_;
  std::FILE* results_ = stdout;
};

}  // namespace kelvane::cli
