// EntryFindings and FailureWords.
#include "main/EntryFindings.h"

#include "project/ValueEntry.h"

namespace kelvane {

std::string FailureWords(const EntryVerdict& verdict) {
  if (verdict.outcome == EntryVerdict::unreadable)
    return verdict.reason.empty() ? "could not be read" : "could not be read: " + verdict.reason;
  std::vector<std::string> sums;
  const bool strongDiffers = verdict.storedDigest && verdict.computedDigest &&
                             *verdict.storedDigest != *verdict.computedDigest;
  if (!verdict.published) {
    if (!verdict.computedCRC32 || Hex8(*verdict.computedCRC32) != verdict.storedCRC32)
      sums.push_back("CRC-32");
    if (!verdict.computedCheckSum19 ||
        Hex8(*verdict.computedCheckSum19) != verdict.storedCheckSum19)
      sums.push_back("CheckSum19");
  }
  if (strongDiffers) sums.push_back(DigestName(verdict.storedDigest->type));
  std::string words = "sum did not match";
  for (std::size_t i = 0; i < sums.size(); ++i)
    words += (i == 0 ? ": " : i + 1 == sums.size() ? " and " : ", ") + sums[i];
  return words;
}

void EntryFindings::RunStarted() {
  Clear();
}

void EntryFindings::Verified(const EntryVerdict& verdict) {
  const auto index = static_cast<std::size_t>(verdict.index);
  if (told_.size() <= index) told_.resize(index + 1, kNone);
  if (verdict.outcome == EntryVerdict::valid) {
    told_[index] = kValid;
    why_.erase(verdict.index);
  } else {
    told_[index] = kFailed;
    why_[verdict.index] = FailureWords(verdict);
  }
}

void EntryFindings::RunEnded() {
  ended_ = true;
}

void EntryFindings::Clear() {
  told_.clear();
  why_.clear();
  ended_ = false;
}

std::string EntryFindings::Description(const Project& project, int index) const {
  const auto at = static_cast<std::size_t>(index);
  const Told told = at < told_.size() ? told_[at] : kNone;
  if (told == kFailed) return why_.at(index);
  if (told == kValid || !ended_) return {};
  const bool excluded = index < project.ValueCount() && project.IsExcluded(index);
  return excluded ? "not selected for CHECK" : "not reached";
}

}  // namespace kelvane
