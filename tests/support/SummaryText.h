// The summary CHECK shows at its end, built from its counts, for tests that expect one.
#pragma once

#include <string>

namespace kelvane::test {

// lineBreak: "\r" as the command writes it, "\n" as a box shows it.
inline std::string SummaryText(int errors, int checked, int total, const char* lineBreak = "\r") {
  const std::string rule(25, '-');
  const std::string br = lineBreak;
  return "Error(s) found\t: " + std::to_string(errors) + br +
         "Cheksum valid\t: " + std::to_string(checked - errors) + br + rule + br +
         "Checked \t: " + std::to_string(checked) + br +
         "Skipped \t: " + std::to_string(total - checked) + br + rule + br +
         "Total file(s)\t: " + std::to_string(total);
}

}  // namespace kelvane::test
