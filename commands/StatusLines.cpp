// The texts of Status1 to Status3.
#include "commands/StatusLines.h"

#include <algorithm>

namespace kelvane {

std::string CounterText(int index, int count) {
  return std::to_string(index + 1) + "/" + std::to_string(count);
}

int CounterPosition(const WindowTexts& texts) {
  const std::string& text = texts.Text(TLabel::Status3);
  int shown = 0;
  for (const char c : text) {
    if (c < '0' || c > '9' || shown > 100'000'000) break;
    shown = shown * 10 + (c - '0');
  }
  return shown;
}

double RunFraction(const Project& project, const WindowTexts& texts, bool newRun, bool ended) {
  if (project.Count() == 0) return 0;
  const int done = newRun ? project.ValueCount() : CounterPosition(texts) - (ended ? 0 : 1);
  return std::clamp(static_cast<double>(done) / project.Count(), 0.0, 1.0);
}

void ShowStoredSums(WindowTexts& texts, const Project& project, int index) {
  texts.Set(TLabel::Status1, "CRC-32bit :\t" + project.StoredCRC32(index) + "H");
  texts.Set(TLabel::Status2, "ChekSum19 :\t" + project.StoredCheckSum19(index) + "H");
  texts.Set(TLabel::Status3, CounterText(index, project.Count()));
}

void ShowVerdicts(WindowTexts& texts, bool crcOk, bool checkSum19Ok) {
  const auto verdict = [](bool ok) { return ok ? " -OK" : " ->ERROR!"; };
  texts.Set(TLabel::Status1, texts.Text(TLabel::Status1) + verdict(crcOk));
  texts.Set(TLabel::Status2, texts.Text(TLabel::Status2) + verdict(checkSum19Ok));
}

}  // namespace kelvane
