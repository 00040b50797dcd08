// What the tests of kelvane-cli share: a distribution made by the program itself, the outcomes a
// report gives, and when a stand-in disc was read.
#pragma once

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "cli/CliRunner.h"
#include "support/FakeDisc.h"
#include "support/TempDir.h"

#define SKIP_WITHOUT(part) \
  if (const auto why = part::Unavailable()) GTEST_SKIP() << #part " cannot run here: " << *why

namespace kelvane::test {

// A distribution of `files` files of 128 KiB (two reads of the stand-in each) in dir/src, and its
// project dir/p.cfg as kelvane-cli new writes it.
inline void MakeDistribution(const TempDir& dir, int files) {
  for (int i = 0; i < files; ++i)
    dir.Write("src/f" + std::to_string(i) + ".bin",
              std::string(128 * 1024, static_cast<char>('a' + i)));
  const CliResult made = RunCli({"--no-inhibit", "new", dir / "src", dir / "p.cfg"});
  ASSERT_EQ(made.status, 0) << made.err;
}

// The outcome of every entry (of every copy), in the report's order.
inline std::vector<std::string> Outcomes(const std::string& report) {
  std::vector<std::string> outcomes;
  const std::regex outcome("\"outcome\": \"([a-z ]+)\"");
  for (std::sregex_iterator it(report.begin(), report.end(), outcome), end; it != end; ++it)
    outcomes.push_back((*it)[1]);
  return outcomes;
}

// When a disc was first opened and last read, by its log.
struct Span {
  double first = -1;
  double last = -1;
};

inline Span ReadSpan(const std::vector<FakeDisc::Event>& events, const std::string& prefix = "") {
  Span span;
  for (const FakeDisc::Event& event : events) {
    if (event.file.rfind(prefix, 0) != 0) continue;
    if (event.what == "open" && span.first < 0) span.first = event.when;
    if (event.what == "read") span.last = event.when;
  }
  return span;
}

}  // namespace kelvane::test
