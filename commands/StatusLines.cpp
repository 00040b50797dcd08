// The texts of Status1 to Status3.
#include "commands/StatusLines.h"

namespace kelvane {

std::string CounterText(int index, int count) {
  return std::to_string(index + 1) + "/" + std::to_string(count);
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
