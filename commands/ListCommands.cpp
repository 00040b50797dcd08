// CheckListTheClick, CheckListTheClickCheck, StopClick, clearClick and resetClick.
#include "commands/ListCommands.h"

#include <stdexcept>
#include <string>

#include "commands/StatusLines.h"

namespace kelvane {

void CheckListTheClick(Session& session, int index) {
  ShowStoredSums(session.texts, session.project, index);
  session.texts.Set(TLabel::S17, session.project.FlagText(index));
}

void CheckListTheClickCheck(Session& session, int index) {
  Project& p = session.project;
  p.SetFlag(index, p.State(index));
  session.texts.Set(TLabel::S17, p.FlagText(index));
}

void StopClick(Session& session) {
  session.StopRequested = true;
}

void clearClick(Session& session) {
  session.project.Clear();
  session.SetSourceFolder("");
  session.texts.Set(TLabel::ChkDst, "");
}

void resetClick(Session& session) {
  Project& p = session.project;
  if (p.Count() != p.ValueCount())
    throw std::runtime_error(
        "ListFile invalid.\r\rChkList item count\t :" + std::to_string(p.Count()) + "\r" +
        "Values item count\t :" + std::to_string(p.ValueCount()) + "\r\r" +
        "Create new list first, please");
  p.SyncChecksFromValues();
  for (int i = 0; i < p.Count(); ++i)
    if (p.State(i) == TCheckState::cbGrayed) p.SetState(i, TCheckState::cbUnchecked);
}

}  // namespace kelvane
