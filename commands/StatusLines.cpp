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

namespace {

// The digits a status line holds beside its name, as many as a CRC-32 line's and a half.
constexpr std::size_t kShownDigits = 16;

const char* Verdict(bool ok) {
  return ok ? " -OK" : " ->ERROR!";
}

}  // namespace

void ShowStoredSums(WindowTexts& texts, const Project& project, int index) {
  const std::optional<Digest>& sum = project.StoredDigest(index);
  if (project.Published() && sum) {
    const std::string digits = DigestHex(*sum);
    const std::string name = DigestName(sum->type) + " :\t";
    if (digits.size() <= kShownDigits) {
      texts.Set(TLabel::Status1, name + digits + (sum->type.kind == DigestKind::crc32 ? "H" : ""));
      texts.Set(TLabel::Status2, "");
    } else {
      texts.Set(TLabel::Status1, name + digits.substr(0, kShownDigits) + "\u2026");
      texts.Set(TLabel::Status2, "ends :\t\u2026" + digits.substr(digits.size() - kShownDigits));
    }
  } else {
    texts.Set(TLabel::Status1, "CRC-32bit :\t" + project.StoredCRC32(index) + "H");
    texts.Set(TLabel::Status2, "ChekSum19 :\t" + project.StoredCheckSum19(index) + "H");
  }
  texts.Set(TLabel::Status3, CounterText(index, project.Count()));
}

std::string SumBeingApplied(const Project& project, int index) {
  const std::optional<Digest>& sum = project.StoredDigest(index);
  if (!project.Published() || !sum) return "CRC32";
  switch (sum->type.kind) {
    case DigestKind::md5:
      return "MD5";
    case DigestKind::sha1:
      return "SHA1";
    case DigestKind::sha224:
      return "SHA224";
    case DigestKind::sha256:
      return "SHA256";
    case DigestKind::sha384:
      return "SHA384";
    case DigestKind::sha512:
      return "SHA512";
    case DigestKind::blake2b:
      return "BLAKE2";
    case DigestKind::crc32:
      return "CRC32";
  }
  return "CRC32";
}

void ShowVerdicts(WindowTexts& texts, bool crcOk, bool checkSum19Ok) {
  texts.Set(TLabel::Status1, texts.Text(TLabel::Status1) + Verdict(crcOk));
  texts.Set(TLabel::Status2, texts.Text(TLabel::Status2) + Verdict(checkSum19Ok));
}

void ShowDigestVerdict(WindowTexts& texts, bool ok) {
  for (const TLabel label : {TLabel::Status1, TLabel::Status2})
    if (!texts.Text(label).empty()) texts.Set(label, texts.Text(label) + Verdict(ok));
}

}  // namespace kelvane
