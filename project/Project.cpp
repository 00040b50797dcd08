// The project model: list entries, check states, Values and ConfigPath.
#include "project/Project.h"

#include <algorithm>
#include <utility>

#include "FileUti2/PathHelpers.h"
#include "project/ListIndexError.h"
#include "project/ValueEntry.h"

namespace kelvane {

Project::Project() : configPath_(GetWindowsDir() + "/KELVANE.CFG") {}

void Project::CheckIndex(int index, std::size_t size) const {
  if (index < 0 || static_cast<std::size_t>(index) >= size) throw ListIndexError(index);
}

const std::string& Project::Entry(int index) const {
  CheckIndex(index, entries_.size());
  return entries_[index];
}

void Project::AppendEntry(std::string text, TCheckState state) {
  entries_.push_back(std::move(text));
  states_.push_back(state);
  if (!strong_.empty()) strong_.emplace_back();
  if (observer_) observer_->EntriesInserted(Count() - 1, 1);
}

void Project::AppendEntries(std::vector<std::string> texts) {
  if (texts.empty()) return;
  const int first = Count();
  for (auto& text : texts) entries_.push_back(std::move(text));
  states_.resize(entries_.size(), TCheckState::cbUnchecked);
  if (!strong_.empty()) strong_.resize(entries_.size());
  if (observer_) observer_->EntriesInserted(first, Count() - first);
}

void Project::DeleteEntry(int index) {
  CheckIndex(index, entries_.size());
  entries_.erase(entries_.begin() + index);
  states_.erase(states_.begin() + index);
  if (!strong_.empty()) strong_.erase(strong_.begin() + index);
  if (observer_) observer_->EntriesRemoved(index, 1);
}

void Project::TruncateEntries(int count) {
  if (count < 0 || count >= Count()) return;
  const int removed = Count() - count;
  entries_.resize(static_cast<std::size_t>(count));
  states_.resize(static_cast<std::size_t>(count));
  if (!strong_.empty()) strong_.resize(static_cast<std::size_t>(count));
  if (observer_) observer_->EntriesRemoved(count, removed);
}

void Project::ClearEntries() {
  entries_.clear();
  states_.clear();
  strong_.clear();
  published_.reset();
  if (observer_) observer_->EntriesReset();
}

TCheckState Project::State(int index) const {
  CheckIndex(index, states_.size());
  return states_[index];
}

void Project::SetState(int index, TCheckState state) {
  CheckIndex(index, states_.size());
  if (states_[index] == state) return;
  states_[index] = state;
  if (observer_) observer_->StateChanged(index);
}

const std::string& Project::Value(int index) const {
  CheckIndex(index, values_.size());
  return values_[index];
}

void Project::AppendValue(std::string valueEntry) {
  values_.push_back(std::move(valueEntry));
}

void Project::DeleteValue(int index) {
  CheckIndex(index, values_.size());
  values_.erase(values_.begin() + index);
}

void Project::TruncateValues(int count) {
  if (count >= 0 && count < ValueCount()) values_.resize(static_cast<std::size_t>(count));
}

void Project::ClearValues() {
  values_.clear();
}

std::string Project::StoredCRC32(int index) const {
  return StoredCRC32Text(Value(index));
}

std::string Project::StoredCheckSum19(int index) const {
  return StoredCheckSum19Text(Value(index));
}

char Project::Flag(int index) const {
  return FlagOf(Value(index));
}

std::string Project::FlagText(int index) const {
  const char flag = Flag(index);
  return flag ? std::string(1, flag) : std::string();
}

void Project::SetFlag(int index, TCheckState state) {
  const std::string& value = Value(index);
  const char wanted = state == TCheckState::cbUnchecked ? '0' : '1';
  if (FlagOf(value) == wanted) return;
  // The first 16 characters stay as they stand; a short hand-edited entry is padded with blanks
  // so that the flag lands in its column and never inside a sum.
  std::string updated = value.substr(0, 16);
  updated.resize(16, ' ');
  values_[index] = updated + wanted;
}

void Project::Replace(std::vector<std::string> entries, std::vector<std::string> values,
                      std::vector<Digest> strong, std::optional<ListOrigin> published) {
  entries_ = std::move(entries);
  states_.assign(entries_.size(), TCheckState::cbUnchecked);
  values_ = std::move(values);
  strong_.clear();
  // Strong sums come for every entry or for none (a sidecar names them all).
  if (!entries_.empty() && strong.size() == entries_.size())
    strong_.assign(strong.begin(), strong.end());
  published_ = entries_.empty() ? std::nullopt : std::move(published);
  if (observer_) observer_->EntriesReset();
}

const std::optional<Digest>& Project::StoredDigest(int index) const {
  CheckIndex(index, entries_.size());
  static const std::optional<Digest> kNone;
  return strong_.empty() ? kNone : strong_[index];
}

void Project::SetDigest(int index, const Digest& sum) {
  CheckIndex(index, entries_.size());
  if (strong_.empty()) strong_.resize(entries_.size());
  strong_[index] = sum;
}

bool Project::HasSha256Sums() const {
  return !strong_.empty() && std::all_of(strong_.begin(), strong_.end(), [](const auto& sum) {
    return sum && sum->type == kSha256Type;
  });
}

void Project::Clear() {
  ClearEntries();
  ClearValues();
}

void Project::SyncChecksFromValues() {
  for (int i = 0; i < Count(); ++i) {
    const bool wanted = Flag(i) == '1';
    if (IsChecked(i) != wanted)
      SetState(i, wanted ? TCheckState::cbChecked : TCheckState::cbUnchecked);
  }
}

void Project::SetConfigPath(const std::string& path) {
  configPath_ = path.find('/') == std::string::npos ? GetWindowsDir() + "/" + path : path;
}

}  // namespace kelvane
