// The project model: list entries with their check states, the parallel Values, the project
// file path and the source folder. Window-free; the window's list observes it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "FileUti2/Digest.h"

namespace kelvane {

enum class TCheckState { cbUnchecked, cbChecked, cbGrayed };

// Told of every change that a view must show. Values are not shown, so they send nothing.
class ProjectObserver {
 public:
  virtual ~ProjectObserver() = default;
  virtual void EntriesReset() = 0;                         // the whole list was replaced or cleared
  virtual void EntriesInserted(int first, int count) = 0;  // appended at the end
  virtual void EntriesRemoved(int first, int count) = 0;
  virtual void StateChanged(int index) = 0;
};

// Where a list that another tool published came from: its format, and whether it came inside a
// signed text (whose signature Kelvane does not check).
struct ListOrigin {
  std::string
      format;  // "coreutils lines", "BSD tags", "SFV", or a mix: "coreutils lines, BSD tags"
  bool clearsigned = false;
};

class Project {
 public:
  Project();

  // --- list entries (the items of CheckList) ---
  int Count() const { return static_cast<int>(entries_.size()); }
  const std::string& Entry(int index) const;
  void AppendEntry(std::string text, TCheckState state = TCheckState::cbUnchecked);
  void AppendEntries(std::vector<std::string> texts);  // all unchecked
  void DeleteEntry(int index);
  // Keeps the first count entries and drops the rest, with one notification.
  void TruncateEntries(int count);
  void ClearEntries();
  TCheckState State(int index) const;
  void SetState(int index, TCheckState state);
  bool IsChecked(int index) const { return State(index) == TCheckState::cbChecked; }

  // --- Values: one 17-character value entry per list entry ---
  const std::vector<std::string>& Values() const { return values_; }
  int ValueCount() const { return static_cast<int>(values_.size()); }
  const std::string& Value(int index) const;  // ListIndexError past the end
  void AppendValue(std::string valueEntry);
  void DeleteValue(int index);
  void TruncateValues(int count);  // keeps the first count value entries
  void ClearValues();
  std::string StoredCRC32(int index) const;       // characters 1 to 8
  std::string StoredCheckSum19(int index) const;  // characters 9 to 16
  char Flag(int index) const;                     // character 17 ('\0' if missing)
  std::string FlagText(int index) const;          // the flag as a text, empty if missing
  // Flag "0" excludes an entry from CHECK; so does a hand-edited value entry too short to have a
  // flag. Any other flag, "1" or not, leaves it selected.
  bool IsExcluded(int index) const {
    const char flag = Flag(index);
    return flag == '0' || flag == '\0';
  }
  // The selection flag follows a check state: unchecked gives "0", checked or grayed "1". A flag
  // that already agrees is not rewritten.
  void SetFlag(int index, TCheckState state);

  // Replaces list, states and Values at once (used when a whole project file or list has been
  // read); strong, when it holds one sum per entry, their strong sums, else none is known.
  // published: the list is another tool's, not a project.
  void Replace(std::vector<std::string> entries, std::vector<std::string> values,
               std::vector<Digest> strong = {}, std::optional<ListOrigin> published = {});

  // --- the strong sum of each entry, known or not; it follows its entry and goes with it ---
  const std::optional<Digest>& StoredDigest(int index) const;
  void SetDigest(int index, const Digest& sum);
  // Every entry has a SHA-256 (and there is an entry): the project can be saved with its sidecar.
  bool HasSha256Sums() const;

  // --- a list published by another tool: no CRC-32 of a project, a strong sum per entry ---
  // None for a Kelvane project (and for an empty list, whatever it was).
  const std::optional<ListOrigin>& Published() const { return published_; }
  // What stands between an entry's folders: "\" in a project, as on Windows; "/" in a published
  // list, whose names may hold a "\" of their own.
  char Separator() const { return published_ ? '/' : '\\'; }

  // Empties the list entries and Values.
  void Clear();

  // Every entry whose flag is "1" becomes checked, every other checked entry unchecked; entries
  // that already agree are not touched, so a grayed entry with flag "0" stays grayed.
  void SyncChecksFromValues();

  // --- the project file path ---
  const std::string& ConfigPath() const { return configPath_; }
  // A name without any "/" is placed in the home folder.
  void SetConfigPath(const std::string& path);

  // --- the folder the project was built from (line 2 of the project file) ---
  const std::string& SourceFolder() const { return sourceFolder_; }
  void SetSourceFolder(std::string folder) { sourceFolder_ = std::move(folder); }

  void SetObserver(ProjectObserver* observer) { observer_ = observer; }

 private:
  void CheckIndex(int index, std::size_t size) const;

  std::vector<std::string> entries_;
  std::vector<TCheckState> states_;
  // Parallel to entries_, or empty while no entry has one: a project without a sidecar pays
  // nothing for them.
  std::vector<std::optional<Digest>> strong_;
  std::optional<ListOrigin> published_;
  std::vector<std::string> values_;
  std::string configPath_;
  std::string sourceFolder_;
  ProjectObserver* observer_ = nullptr;
};

}  // namespace kelvane
