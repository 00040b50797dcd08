// Feeds arbitrary bytes to the project file parser (whole, and in pieces as a stream), loads what
// it accepts into a session, and runs the list commands over it; any crash, leak, hang or broken
// invariant is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "commands/ListCommands.h"
#include "commands/Session.h"
#include "project/ListIndexError.h"
#include "project/ProjectFile.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

bool Same(const kelvane::ParsedProject& a, const kelvane::ParsedProject& b) {
  return a.sourceFolder == b.sourceFolder && a.entries == b.entries && a.values == b.values;
}

}  // namespace

// The lines of bytes fed in three pieces, cut where the bytes themselves say, as a file read in
// blocks comes: the same lines as split whole.
void RequireSameLinesInPieces(std::string_view bytes) {
  const std::size_t first =
      bytes.empty() ? 0 : static_cast<unsigned char>(bytes[0]) % (bytes.size() + 1);
  const std::size_t second = first + (bytes.size() - first) / 2;
  std::vector<std::string> pieces;
  kelvane::LineSplitter splitter;
  const auto emit = [&pieces](std::string_view line) { pieces.emplace_back(line); };
  splitter.Feed(bytes.substr(0, first), false, emit);
  splitter.Feed(bytes.substr(first, second - first), false, emit);
  splitter.Feed(bytes.substr(second), true, emit);
  const std::vector<std::string_view> whole = kelvane::SplitLines(bytes);
  Require(pieces.size() == whole.size());
  for (std::size_t i = 0; i < whole.size(); ++i) Require(pieces[i] == whole[i]);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelvane;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  RequireSameLinesInPieces(bytes);
  ParsedProject parsed;
  try {
    parsed = ParseProject(bytes);
  } catch (const ListIndexError&) {
    return 0;  // missing lines: the system's own error
  } catch (const std::runtime_error&) {
    return 0;  // bad header, bad or negative count
  }
  // Every line of the file is accounted for: header, path, source, count, entries, values.
  Require(SplitLines(bytes).size() == 4 + parsed.entries.size() + parsed.values.size());

  Session session;
  Project& project = session.project;
  ApplyProject(project, parsed);
  Require(project.Count() == static_cast<int>(parsed.entries.size()));

  // What was read is written back unchanged and reads back the same.
  Require(Same(ParseProject(FormatProject(project)), parsed));

  // SyncChecksFromValues fails exactly when a value entry is missing; otherwise every check
  // mark follows its flag.
  bool synced = true;
  try {
    project.SyncChecksFromValues();
  } catch (const ListIndexError&) {
    synced = false;
  }
  Require(synced == (project.ValueCount() >= project.Count()));
  if (synced)
    for (int i = 0; i < project.Count(); ++i)
      Require(project.IsChecked(i) == (project.Flag(i) == '1'));

  // Reset refuses exactly when the counts differ.
  bool reset = true;
  try {
    resetClick(session);
  } catch (const std::runtime_error&) {
    reset = false;
  }
  Require(reset == (project.ValueCount() == project.Count()));

  // Clicks and toggles on the first entries, as a user would do them.
  for (int i = 0; i < project.Count() && i < 32; ++i) {
    try {
      CheckListTheClick(session, i);
      project.SetState(i, project.IsChecked(i) ? TCheckState::cbUnchecked : TCheckState::cbChecked);
      CheckListTheClickCheck(session, i);
      Require(project.Flag(i) == (project.IsChecked(i) ? '1' : '0'));
    } catch (const ListIndexError&) {
      Require(i >= project.ValueCount());
    }
  }
  return 0;
}
