// iNewClick: pick, walk, then per file CRC-32 and CheckSum19 into Values.
#include "commands/NewList.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "FileUti2/FileIdentity.h"
#include "FileUti2/PathHelpers.h"
#include "cksummer/FileChecksums.h"
#include "cksummer/ListFiles.h"
#include "commands/EntryResolver.h"
#include "commands/RunReads.h"
#include "commands/RunSteps.h"
#include "commands/StatusLines.h"
#include "project/Sha256Sidecar.h"
#include "project/ValueEntry.h"

namespace kelvane {

namespace {

// A name as the box shows it: its line breaks spelled out, so that each name keeps one line.
std::string OneLine(const std::string& path) {
  std::string shown;
  for (const char c : path) {
    if (c == '\r')
      shown += "<CR>";
    else if (c == '\n')
      shown += "<LF>";
    else
      shown += c;
  }
  return shown;
}

// What the walk left out, by why: for each, its heading and the first ten names, and how many
// more there are. The count tells what the project lacks; the folders passed over for their
// dot come last, under a heading of their own, and count nothing.
std::string LeftOutText(const std::vector<LeftOutFile>& leftOut) {
  struct Group {
    LeftOutFile::Why why;
    const char* heading;
  };
  static constexpr Group kGroups[] = {
      {LeftOutFile::cannotHold, "A project cannot hold a name with \"\\\", CR or LF in it:"},
      {LeftOutFile::unreadableFolder, "Folder(s) that could not be read:"},
      {LeftOutFile::tooLong, "Path(s) too long to open:"},
      {LeftOutFile::dotFolder, "Folder(s) not entered, as their names begin with \".\":"},
  };
  constexpr std::size_t kShown = 10;
  const std::size_t lacking = static_cast<std::size_t>(
      std::count_if(leftOut.begin(), leftOut.end(),
                    [](const LeftOutFile& file) { return file.why != LeftOutFile::dotFolder; }));
  std::string text;
  const auto line = [&text](const std::string& words) {
    text.append(text.empty() ? "" : "\r").append(words);
  };
  if (lacking > 0) line("File(s) left out\t: " + std::to_string(lacking));
  for (const Group& group : kGroups) {
    std::size_t count = 0;
    for (const LeftOutFile& file : leftOut) {
      if (file.why != group.why) continue;
      if (count == 0) line(group.heading);
      if (count++ >= kShown) continue;
      line(OneLine(file.path) + (file.reason.empty() ? "" : " (" + file.reason + ")"));
    }
    if (count > kShown) line("... and " + std::to_string(count - kShown) + " more");
  }
  return text;
}

// Computes the sums of every listed file in order; returns when done or at a poll that finds
// StopRequested set.
void ComputeAll(Session& session, Shell& shell, const std::string& folder) {
  Project& p = session.project;
  WindowTexts& texts = session.texts;
  EntryResolver resolver(folder);
  std::vector<int> all(static_cast<std::size_t>(p.Count()));
  for (int i = 0; i < p.Count(); ++i) all[static_cast<std::size_t>(i)] = i;
  RunReads reads(session, shell, resolver, all, shell.IsCdromDrive(folder));
  std::uint32_t lastCRC = 0;
  const int n = p.Count();
  for (int i = 0; i < n; ++i) {
    if (PumpAndPoll(session, shell)) return;
    texts.Set(TLabel::S17, "CRC32:");
    // Shows the file finished before, not this one: this one is not computed yet.
    texts.Set(TLabel::Status1, "CRC32:\t" + Hex8(lastCRC) + "H");
    if (PumpAndPoll(session, shell)) return;
    const EntryRead read =
        reads.Read(i, session.Sha256Sums ? std::optional(kSha256Type) : std::nullopt);
    // STOP or QUIT in the middle of a large file: it is unfinished, as one stopped before it.
    if (read.abandoned) return;
    const std::string& path = read.path;
    if (!read.crc) throw CRC32Error(path, read.reason);
    lastCRC = *read.crc;
    texts.Set(TLabel::S17, "CHX19:");
    if (PumpAndPoll(session, shell)) return;
    const std::uint32_t checkSum19 = GetFileCheckSum19(path);
    texts.Set(TLabel::Status2, "CHX19:\t" + Hex8(checkSum19) + "H");
    texts.Set(TLabel::Status3, CounterText(i, p.Count()));
    if (PumpAndPoll(session, shell)) return;
    p.AppendValue(MakeValueEntry(lastCRC, checkSum19));
    if (read.strong) p.SetDigest(i, *read.strong);
    p.SetState(i, TCheckState::cbChecked);
  }
}

// Everything after the buttons were disabled; the caller gives them back on failure.
void Run(Session& session, Shell& shell, const std::string& folder) {
  Project& p = session.project;

  std::vector<std::string> files;
  std::vector<LeftOutFile> leftOut;
  ListFilesHooks hooks;
  // The project being written, and its sidecar: no files of the distribution.
  if (!session.LeaveOutOfNew.empty())
    for (const std::string& file : {session.LeaveOutOfNew, SidecarPath(session.LeaveOutOfNew)})
      if (const std::optional<FileIdentity> identity = IdentityOf(file))
        hooks.Skip.push_back(*identity);
  hooks.Pump = [&shell] { shell.PumpEvents(); };
  // QUIT does not wait for the listing: the program must not go on reading a disc unseen.
  hooks.Abandon = [&session] { return session.Closing; };
  hooks.LeftOut = &leftOut;
  ListFiles(folder, files, hooks);
  p.AppendEntries(std::move(files));
  if (session.Closing) {
    shell.SetButtonsEnabled(true);
    return;
  }
  // A stop asked for while the tree was listed does not count: the listing cannot be cut short,
  // so the run only starts being stoppable once it begins on the files.
  session.StopRequested = false;
  shell.SetButtonsEnabled(false);
  p.ClearValues();
  session.SetSourceFolder(WithTrailingSeparator(folder));

  ComputeAll(session, shell, folder);

  if (session.StopRequested)
    shell.ShowMessage("Stopped.\r" + std::to_string(p.ValueCount()) +
                      " file(s) checked from total: " + std::to_string(p.Count()));
  shell.SetButtonsEnabled(true);
  if (p.Count() != p.ValueCount()) {
    // Every remaining entry must have its value entry: drop the surplus of the longer list.
    p.TruncateEntries(p.ValueCount());
    p.TruncateValues(p.Count());
    shell.ShowMessage("Unfinished item(s) cleared");
  }
  if (!leftOut.empty()) shell.ShowMessage(LeftOutText(leftOut));
}

}  // namespace

void iNewClick(Session& session, Shell& shell) {
  std::string folder = session.project.SourceFolder();
  if (!shell.PickFolder(folder, kPickPrompt, 0)) return;
  session.project.ClearEntries();
  session.StopRequested = false;
  shell.SetButtonsEnabled(false);
  try {
    Run(session, shell, StripTrailingSeparators(std::move(folder)));
  } catch (...) {
    // The lists stay as the failure left them: the finished entries keep their values.
    shell.SetButtonsEnabled(true);
    throw;
  }
}

}  // namespace kelvane
