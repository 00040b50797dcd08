// What the tests of CHECK share: a copy of a small distribution, projects of it, the summary.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "commands/Session.h"
#include "support/TempDir.h"

namespace kelvane::test {

// "abc" and "123456789" have the well-known sums of the engine.
inline constexpr char kAbc[] = "CADBBE3D000000001";
inline constexpr char kDigits[] = "340BC6D9000000001";

// A copy of the distribution: sub\b.txt ("123456789"), a.txt ("abc"), c.txt ("abc").
struct Copy {
  TempDir dir;
  Copy() {
    dir.Write("sub/b.txt", "123456789");
    dir.Write("a.txt", "abc");
    dir.Write("c.txt", "abc");
  }
};

// A project of the given entries and values, check marks from the flags as after Open.
inline Session MakeSession(std::vector<std::string> entries, std::vector<std::string> values) {
  Session s;
  s.project.Replace(std::move(entries), std::move(values));
  s.project.SyncChecksFromValues();
  return s;
}

inline Session ThreeGood() {
  return MakeSession({"sub\\b.txt", "a.txt", "c.txt"}, {kDigits, kAbc, kAbc});
}

inline std::vector<TCheckState> States(const Project& p) {
  std::vector<TCheckState> states;
  for (int i = 0; i < p.Count(); ++i) states.push_back(p.State(i));
  return states;
}

inline std::string Summary(int errors, int valid, int checked, int skipped, int total) {
  const std::string rule(25, '-');
  return "Error(s) found\t: " + std::to_string(errors) +
         "\rCheksum valid\t: " + std::to_string(valid) + "\r" + rule +
         "\rChecked \t: " + std::to_string(checked) + "\rSkipped \t: " + std::to_string(skipped) +
         "\r" + rule + "\rTotal file(s)\t: " + std::to_string(total);
}

}  // namespace kelvane::test
